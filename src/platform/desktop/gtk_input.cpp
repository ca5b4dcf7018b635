// Input of the main window: the toolkit's callbacks only queue events, and
// do_events hands them to the game, one thread, outside any callback.
#include <algorithm>
#include <exception>

#include "platform/desktop/gtk_window.h"

namespace vm {

namespace {

// Virtual-key code for a GDK key, 0 for keys the game never sees.
int key_code(guint keyval) {
  switch (keyval) {
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter:
      return kKeyReturn;
    case GDK_KEY_space:
    case GDK_KEY_KP_Space:
      return kKeySpace;
    case GDK_KEY_Escape:
      return kKeyEscape;
    case GDK_KEY_BackSpace:
      return kKeyBack;
    case GDK_KEY_Tab:
    case GDK_KEY_KP_Tab:
    case GDK_KEY_ISO_Left_Tab:
      return kKeyTab;
    case GDK_KEY_Left:
    case GDK_KEY_KP_Left:
      return kKeyLeft;
    case GDK_KEY_Up:
    case GDK_KEY_KP_Up:
      return kKeyUp;
    case GDK_KEY_Right:
    case GDK_KEY_KP_Right:
      return kKeyRight;
    case GDK_KEY_Down:
    case GDK_KEY_KP_Down:
      return kKeyDown;
    case GDK_KEY_Control_L:
    case GDK_KEY_Control_R:
      return kKeyControl;
    case GDK_KEY_Page_Up:
    case GDK_KEY_KP_Page_Up:
      return kKeyPrior;
    case GDK_KEY_Page_Down:
    case GDK_KEY_KP_Page_Down:
      return kKeyNext;
    case GDK_KEY_F5:
      return kKeyF5;
    case GDK_KEY_F9:
      return kKeyF9;
    case GDK_KEY_F11:
      return kKeyF11;
    default:
      break;
  }
  const gunichar ch = gdk_keyval_to_unicode(keyval);
  if (ch > 0x20 && ch < 0x7F) {
    return (ch >= 'a' && ch <= 'z') ? static_cast<int>(ch - 'a' + 'A') : static_cast<int>(ch);
  }
  return 0;
}

}  // namespace

void GtkMainWindow::queue(InputEvent ev) {
  // Pointer motion is coalesced: only the latest position matters.
  if (ev.kind == InputEvent::MouseMove && !queue_.empty() &&
      queue_.back().kind == InputEvent::MouseMove) {
    queue_.back().x = ev.x;
    queue_.back().y = ev.y;
    return;
  }
  queue_.push_back(std::move(ev));
}

void GtkMainWindow::dispatch_queued() {
  while (!queue_.empty()) {
    InputEvent ev = std::move(queue_.front());
    queue_.pop_front();
    if (ev.kind == InputEvent::Timer) {
      if (ev.timer < 1 || ev.timer > static_cast<int>(timers_.size())) continue;
      TimerRec& t = *timers_[ev.timer - 1];
      t.pending = false;
      if (!t.enabled) continue;  // stopped since it ticked
    }
    if (ev.form != 0) {
      // A window closed since the event was queued takes nothing more.
      auto it = form_sinks_.find(ev.form);
      if (it != form_sinks_.end() && it->second) it->second->on_event(ev);
      continue;
    }
    // A Ctrl released meanwhile still counts: fast-forward must not stick.
    if (!input_enabled_ && (ev.kind == InputEvent::MouseDown || ev.kind == InputEvent::MouseMove ||
                            ev.kind == InputEvent::KeyDown || ev.kind == InputEvent::Menu ||
                            ev.kind == InputEvent::Wheel))
      continue;
    if (sink_) sink_->on_event(ev);  // may throw: the event is already off the queue
  }
}

void GtkMainWindow::set_input_enabled(bool enabled) {
  input_enabled_ = enabled;
  // The menu bar greys out; the game screen keeps its picture.
  gtk_widget_set_sensitive(menubar_, enabled);
}

void GtkMainWindow::do_events() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
  dispatch_queued();
}

bool GtkMainWindow::close_requested() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
  return close_queued();
}

void GtkMainWindow::queue_close() {
  InputEvent e;
  e.kind = InputEvent::Close;
  queue(std::move(e));
  if (running_dialog_) gtk_dialog_response(running_dialog_, GTK_RESPONSE_DELETE_EVENT);
}

void GtkMainWindow::wait_events() {
  while (queue_.empty()) gtk_main_iteration_do(TRUE);
  do_events();
}

// ------------------------------------------------------ toolkit callbacks ---
// Each one only queues an event, inside the one guard (callback_guard.h):
// nothing may throw through the C code.

gboolean GtkMainWindow::on_button_press(GtkWidget*, GdkEventButton* ev, gpointer self) {
  auto* w = static_cast<GtkMainWindow*>(self);
  return guarded(w->failures_, "the main window's mouse press", TRUE, [&]() -> gboolean {
    if (ev->type != GDK_BUTTON_PRESS) return TRUE;  // the extra double/triple-click events
    int button = 0;
    switch (ev->button) {
      case 1:
        button = kLeftButton;
        break;
      case 2:
        button = kMiddleButton;
        break;
      case 3:
        button = kRightButton;
        break;
      default:
        return FALSE;
    }
    gtk_widget_grab_focus(w->area_);
    InputEvent e;
    e.kind = InputEvent::MouseDown;
    // The black border around a full-screen picture is no part of the game.
    if (!w->pointer_to_game(ev->x, ev->y, e.x, e.y)) return TRUE;
    e.button = button;
    w->queue(std::move(e));
    return TRUE;
  });
}

gboolean GtkMainWindow::on_motion(GtkWidget*, GdkEventMotion* ev, gpointer self) {
  auto* w = static_cast<GtkMainWindow*>(self);
  return guarded(w->failures_, "the main window's pointer move", TRUE, [&]() -> gboolean {
    InputEvent e;
    e.kind = InputEvent::MouseMove;
    if (!w->pointer_to_game(ev->x, ev->y, e.x, e.y)) return TRUE;
    w->queue(std::move(e));
    return TRUE;
  });
}

gboolean GtkMainWindow::on_key_press(GtkWidget*, GdkEventKey* ev, gpointer self) {
  auto* w = static_cast<GtkMainWindow*>(self);
  return guarded(w->failures_, "the main window's key press", TRUE, [&]() -> gboolean {
    const int key = key_code(ev->keyval);
    if (key == 0) return FALSE;  // leave it to the toolkit (F10 opens the menu)
    if (key == kKeyControl) {
      if (w->ctrl_down_) return TRUE;  // held: the repeats say nothing new
      w->ctrl_down_ = true;
    }
    InputEvent e;
    e.kind = InputEvent::KeyDown;
    e.key = key;
    w->queue(std::move(e));
    return TRUE;
  });
}

gboolean GtkMainWindow::on_key_release(GtkWidget*, GdkEventKey* ev, gpointer self) {
  auto* w = static_cast<GtkMainWindow*>(self);
  return guarded(w->failures_, "the main window's key release", TRUE, [&]() -> gboolean {
    // Only Ctrl's release matters: fast-forward lasts while it is held.
    if (key_code(ev->keyval) != kKeyControl) return FALSE;
    w->ctrl_down_ = false;
    InputEvent e;
    e.kind = InputEvent::KeyUp;
    e.key = kKeyControl;
    w->queue(std::move(e));
    return TRUE;
  });
}

gboolean GtkMainWindow::on_focus_out(GtkWidget*, GdkEventFocus*, gpointer self) {
  auto* w = static_cast<GtkMainWindow*>(self);
  return guarded(w->failures_, "the main window's focus", FALSE, [&]() -> gboolean {
    // A release that happens in another window never reaches this one.
    if (w->ctrl_down_) {
      w->ctrl_down_ = false;
      InputEvent e;
      e.kind = InputEvent::KeyUp;
      e.key = kKeyControl;
      w->queue(std::move(e));
    }
    return FALSE;
  });
}

gboolean GtkMainWindow::on_scroll(GtkWidget*, GdkEventScroll* ev, gpointer self) {
  auto* w = static_cast<GtkMainWindow*>(self);
  return guarded(w->failures_, "the main window's wheel", TRUE, [&]() -> gboolean {
    int delta = 0;
    if (ev->direction == GDK_SCROLL_UP)
      delta = -1;
    else if (ev->direction == GDK_SCROLL_DOWN)
      delta = 1;
    else if (ev->direction == GDK_SCROLL_SMOOTH && ev->delta_y != 0)
      delta = ev->delta_y < 0 ? -1 : 1;
    if (delta == 0) return FALSE;
    InputEvent e;
    e.kind = InputEvent::Wheel;
    e.wheel = delta;
    if (!w->pointer_to_game(ev->x, ev->y, e.x, e.y)) return TRUE;
    w->queue(std::move(e));
    return TRUE;
  });
}

gboolean GtkMainWindow::on_delete(GtkWidget*, GdkEvent*, gpointer self) {
  auto* w = static_cast<GtkMainWindow*>(self);
  return guarded(w->failures_, "the main window's close box", TRUE, [&]() -> gboolean {
    w->queue_close();
    return TRUE;  // the window stays; the game's shutdown ends the process
  });
}

void GtkMainWindow::on_gdk_event(GdkEvent* ev, gpointer self) {
  auto* w = static_cast<GtkMainWindow*>(self);
  // Whatever the main window does not take goes to the toolkit as usual.
  const bool taken = guarded(w->failures_, "the main window's close box", false, [&] {
    if (ev->type != GDK_DELETE || !w->window_ ||
        ev->any.window != gtk_widget_get_window(w->window_))
      return false;
    w->queue_close();
    return true;
  });
  if (!taken) gtk_main_do_event(ev);
}

gboolean GtkMainWindow::on_terminate(gpointer self) {
  auto* w = static_cast<GtkMainWindow*>(self);
  return guarded(w->failures_, "the termination request", G_SOURCE_CONTINUE, [&]() -> gboolean {
    w->queue_close();
    return G_SOURCE_CONTINUE;
  });
}

gboolean GtkMainWindow::on_timer(gpointer rec) {
  auto* t = static_cast<TimerRec*>(rec);
  return guarded(t->owner->failures_, "a timer's tick", G_SOURCE_CONTINUE, [&]() -> gboolean {
    if (t->enabled && !t->pending) {
      t->pending = true;
      InputEvent e;
      e.kind = InputEvent::Timer;
      e.timer = t->id;
      t->owner->queue(std::move(e));
    }
    return G_SOURCE_CONTINUE;
  });
}

}  // namespace vm
