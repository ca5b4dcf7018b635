#include "platform/desktop/sdl_pad.h"

#include <string>

namespace vm {

namespace {

constexpr guint kPollMs = 16;      // a pad in hand: as often as a frame
constexpr guint kHotplugMs = 250;  // none yet: often enough to notice one plugged in

uint32_t now_ms() {
  return static_cast<uint32_t>(static_cast<uint64_t>(g_get_monotonic_time() / 1000));
}

std::optional<PadButton> pad_button(Uint8 b) {
  switch (b) {
    case SDL_CONTROLLER_BUTTON_A:
      return PadButton::A;
    case SDL_CONTROLLER_BUTTON_B:
      return PadButton::B;
    case SDL_CONTROLLER_BUTTON_X:
      return PadButton::X;
    case SDL_CONTROLLER_BUTTON_Y:
      return PadButton::Y;
    case SDL_CONTROLLER_BUTTON_BACK:
      return PadButton::Back;
    case SDL_CONTROLLER_BUTTON_START:
      return PadButton::Start;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
      return PadButton::LeftShoulder;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
      return PadButton::RightShoulder;
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
      return PadButton::Up;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
      return PadButton::Down;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
      return PadButton::Left;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
      return PadButton::Right;
    default:
      return std::nullopt;
  }
}

guint keyval_of(int key) {
  switch (key) {
    case kKeyReturn:
      return GDK_KEY_Return;
    case kKeyEscape:
      return GDK_KEY_Escape;
    case kKeyF5:
      return GDK_KEY_F5;
    case kKeyPrior:
      return GDK_KEY_Page_Up;
    case kKeyControl:
      return GDK_KEY_Control_L;
    case kKeyUp:
      return GDK_KEY_Up;
    case kKeyDown:
      return GDK_KEY_Down;
    case kKeyLeft:
      return GDK_KEY_Left;
    case kKeyRight:
      return GDK_KEY_Right;
    default:
      return 0;
  }
}

// The window of ours the keyboard would type into now: the one holding a
// grab (a modal dialog, the history, an open menu), else the active one,
// else the main window.
GtkWidget* keyboard_target(GtkWidget* main_window) {
  if (GtkWidget* grab = gtk_grab_get_current()) return gtk_widget_get_toplevel(grab);
  GtkWidget* active = nullptr;
  GList* tops = gtk_window_list_toplevels();
  for (GList* l = tops; l; l = l->next) {
    auto* w = static_cast<GtkWidget*>(l->data);
    if (gtk_widget_get_visible(w) && gtk_window_is_active(GTK_WINDOW(w))) active = w;
  }
  g_list_free(tops);
  return active ? active : main_window;
}

// A key event made as the keyboard would make it and handed to GTK, so the
// window's own handling (our main window's, a button's Return, a menu's
// arrows) takes it exactly as it takes a key.
void send_key(GtkWidget* toplevel, guint keyval, bool press) {
  GdkWindow* gw = toplevel ? gtk_widget_get_window(toplevel) : nullptr;
  if (!gw || keyval == 0) return;
  GdkEvent* ev = gdk_event_new(press ? GDK_KEY_PRESS : GDK_KEY_RELEASE);
  ev->key.window = GDK_WINDOW(g_object_ref(gw));
  ev->key.send_event = TRUE;
  ev->key.time = GDK_CURRENT_TIME;
  ev->key.keyval = keyval;
  ev->key.is_modifier = keyval == GDK_KEY_Control_L ? 1 : 0;
  GdkDisplay* display = gdk_window_get_display(gw);
  GdkKeymapKey* keys = nullptr;
  gint n = 0;
  // Key bindings match the hardware code, not only the key's name.
  if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), keyval, &keys, &n) &&
      n > 0) {
    ev->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
    ev->key.group = static_cast<guint8>(keys[0].group);
  }
  g_free(keys);
  if (GdkSeat* seat = gdk_display_get_default_seat(display))
    gdk_event_set_device(ev, gdk_seat_get_keyboard(seat));
  gtk_main_do_event(ev);
  gdk_event_free(ev);
}

}  // namespace

SdlPad::SdlPad(GtkMainWindow& window, EventLog& log) : window_(window) {
  // SDL's event queue must leave SIGINT and SIGTERM to the game, and with no
  // SDL window of its own it would otherwise think the pad's events are for
  // some other program.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    log.record(LogEvent::warning(std::string("no gamepad support (") + SDL_GetError() + ")"));
    return;
  }
  started_ = true;
  // The controllers already plugged in arrive as SDL_CONTROLLERDEVICEADDED too.
  schedule();
}

SdlPad::~SdlPad() {
  if (source_) g_source_remove(source_);
  for (auto& p : pads_) SDL_GameControllerClose(p->controller);
  pads_.clear();
  if (started_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

guint SdlPad::pace() const {
  return pads_.empty() ? kHotplugMs : kPollMs;
}

void SdlPad::schedule() {
  interval_ = pace();
  source_ = g_timeout_add(interval_, on_poll, this);
}

gboolean SdlPad::on_poll(gpointer self) {
  auto* pad = static_cast<SdlPad*>(self);
  return guarded(pad->window_.callback_failures(), "the gamepad", G_SOURCE_CONTINUE,
                 [pad]() -> gboolean {
                   if (pad->poll()) return G_SOURCE_CONTINUE;
                   pad->schedule();
                   return G_SOURCE_REMOVE;
                 });
}

bool SdlPad::poll() {
  const uint32_t now = now_ms();
  SDL_Event e;
  while (SDL_PollEvent(&e) != 0) take(e, now);
  for (auto& p : pads_) {
    std::vector<PadChange> changes;
    p->state.tick(now, changes);
    act(changes);
  }
  return pace() == interval_;
}

SdlPad::Pad* SdlPad::find(SDL_JoystickID id) {
  for (auto& p : pads_)
    if (p->id == id) return p.get();
  return nullptr;
}

void SdlPad::take(const SDL_Event& e, uint32_t now) {
  std::vector<PadChange> changes;
  switch (e.type) {
    case SDL_CONTROLLERDEVICEADDED:
      open(e.cdevice.which);  // a device index here...
      return;
    case SDL_CONTROLLERDEVICEREMOVED:
      close(e.cdevice.which);  // ...and an instance id here
      return;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      Pad* p = find(e.cbutton.which);
      const std::optional<PadButton> b = pad_button(e.cbutton.button);
      if (!p || !b) return;
      p->state.button(*b, e.type == SDL_CONTROLLERBUTTONDOWN, now, changes);
      break;
    }
    case SDL_CONTROLLERAXISMOTION: {
      Pad* p = find(e.caxis.which);
      if (!p ||
          (e.caxis.axis != SDL_CONTROLLER_AXIS_LEFTX && e.caxis.axis != SDL_CONTROLLER_AXIS_LEFTY))
        return;
      p->state.stick({SDL_GameControllerGetAxis(p->controller, SDL_CONTROLLER_AXIS_LEFTX),
                      SDL_GameControllerGetAxis(p->controller, SDL_CONTROLLER_AXIS_LEFTY)},
                     now, changes);
      break;
    }
    default:
      return;  // the joystick's raw events, the audio device's: not ours
  }
  act(changes);
}

void SdlPad::open(int device_index) {
  SDL_GameController* c = SDL_GameControllerOpen(device_index);
  if (!c) return;
  const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c));
  if (find(id)) {  // told twice (present at start and announced): opened once
    SDL_GameControllerClose(c);
    return;
  }
  auto p = std::make_unique<Pad>();
  p->controller = c;
  p->id = id;
  pads_.push_back(std::move(p));
}

void SdlPad::close(SDL_JoystickID id) {
  for (auto it = pads_.begin(); it != pads_.end(); ++it) {
    if ((*it)->id != id) continue;
    std::vector<PadChange> changes;
    (*it)->state.release_all(changes);
    act(changes);
    SDL_GameControllerClose((*it)->controller);
    pads_.erase(it);
    return;
  }
}

void SdlPad::act(const std::vector<PadChange>& changes) {
  GtkWindow* main = window_.parent_for_dialogs();
  if (!main) return;  // not shown yet: nothing to play
  for (const PadChange& c : changes) {
    const PadAction& a = pad_action(c.button);
    GtkWidget* target = keyboard_target(GTK_WIDGET(main));
    switch (a.kind) {
      case PadAction::Key:
      case PadAction::HeldKey:
        send_key(target, keyval_of(a.key), c.down);
        break;
      case PadAction::Menu:
        // A menu item is the main window's; a window over it keeps its own.
        if (c.down && !gtk_grab_get_current() && window_.menu_item_enabled(a.menu))
          for (InputEvent& ev : pad_events(c.button, true)) window_.post(std::move(ev));
        break;
      case PadAction::MenuBar:
        // F10 opens the menu bar; an open menu takes B (Escape) to close.
        if (c.down && !gtk_grab_get_current()) {
          send_key(GTK_WIDGET(main), GDK_KEY_F10, true);
          send_key(GTK_WIDGET(main), GDK_KEY_F10, false);
        }
        break;
    }
  }
}

}  // namespace vm
