#include "platform/desktop/gtk_window.h"

#include <glib-unix.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

#include <algorithm>
#include <csignal>
#include <cstring>
#include <iostream>

namespace vm {

std::string gtk_text(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r') {
      out += '\n';
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
    } else {
      out += s[i];
    }
  }
  if (!g_utf8_validate(out.data(), static_cast<gssize>(out.size()), nullptr)) {
    gchar* valid = g_utf8_make_valid(out.data(), static_cast<gssize>(out.size()));
    out = valid;
    g_free(valid);
  }
  // GTK takes C strings: cut at an embedded NUL.
  out.resize(std::strlen(out.c_str()));
  return out;
}

void show_focus(GtkWidget* w, bool frame) {
  static bool style_added = false;
  gtk_style_context_add_class(gtk_widget_get_style_context(w),
                              frame ? "velmora-keys" : "velmora-ring");
  if (style_added) return;
  style_added = true;
  GtkCssProvider* p = gtk_css_provider_new();
  gtk_css_provider_load_from_data(
      p,
      ".velmora-keys:focus { box-shadow: inset 0 0 0 2px #1993D0; }"
      ".velmora-ring, .velmora-ring row {"
      " outline-color: #1993D0; outline-style: solid; outline-width: 2px; }",
      -1, nullptr);
  gtk_style_context_add_provider_for_screen(gtk_widget_get_screen(w), GTK_STYLE_PROVIDER(p),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
  g_object_unref(p);
}

// ------------------------------------------------------------ main window ---

namespace {

// The requests to end that the game takes as a close of its window.
constexpr int kTerminationSignals[] = {SIGTERM, SIGINT, SIGHUP};

void mask_termination_signals(int how) {
  sigset_t set;
  sigemptyset(&set);
  for (int sig : kTerminationSignals) sigaddset(&set, sig);
  pthread_sigmask(how, &set, nullptr);
}

}  // namespace

GtkMainWindow::GtkMainWindow(EventLog& log) : failures_(log, [this] { queue_close(); }) {
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  g_object_ref_sink(window_);
  gtk_window_set_title(GTK_WINDOW(window_), kAppTitle);
  gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
  gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER);

  box_ = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_container_add(GTK_CONTAINER(window_), box_);
  menubar_ = gtk_menu_bar_new();
  gtk_box_pack_start(GTK_BOX(box_), menubar_, FALSE, FALSE, 0);

  // The drawing area fills the window: exactly the magnified screen in a
  // window, the whole monitor below the menu bar in full screen.
  area_ = gtk_drawing_area_new();
  gtk_widget_set_size_request(area_, kWidth, kHeight);
  gtk_widget_set_hexpand(area_, TRUE);
  gtk_widget_set_vexpand(area_, TRUE);
  gtk_widget_set_can_focus(area_, TRUE);
  gtk_widget_add_events(area_, GDK_BUTTON_PRESS_MASK | GDK_POINTER_MOTION_MASK |
                                   GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK | GDK_SCROLL_MASK);
  gtk_box_pack_start(GTK_BOX(box_), area_, TRUE, TRUE, 0);

  frame_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);

  g_signal_connect(area_, "draw", G_CALLBACK(on_draw), this);
  g_signal_connect(area_, "button-press-event", G_CALLBACK(on_button_press), this);
  g_signal_connect(area_, "motion-notify-event", G_CALLBACK(on_motion), this);
  g_signal_connect(area_, "scroll-event", G_CALLBACK(on_scroll), this);
  g_signal_connect(window_, "key-press-event", G_CALLBACK(on_key_press), this);
  g_signal_connect(window_, "key-release-event", G_CALLBACK(on_key_release), this);
  g_signal_connect(window_, "focus-out-event", G_CALLBACK(on_focus_out), this);
  g_signal_connect(window_, "delete-event", G_CALLBACK(on_delete), this);
  g_signal_connect(window_, "realize", G_CALLBACK(on_realize), this);
  // The close box is taken before the toolkit sees it: while a message box
  // holds the grab the toolkit would drop it, and the player who asked to
  // leave would wait behind the box.
  gdk_event_handler_set(on_gdk_event, this, nullptr);
  // A termination request (logout, kill) closes the game as the close box
  // does, so the system file is written and the pictures disguised again.
  for (int sig : kTerminationSignals)
    signal_sources_.push_back(g_unix_signal_add(sig, on_terminate, this));
  // One that came in before this point has been held (hold_termination_signals)
  // and is delivered to the handler now.
  mask_termination_signals(SIG_UNBLOCK);
}

void hold_termination_signals() {
  mask_termination_signals(SIG_BLOCK);
}

GtkMainWindow::~GtkMainWindow() {
  gdk_event_handler_set([](GdkEvent* ev, gpointer) { gtk_main_do_event(ev); }, nullptr, nullptr);
  for (guint id : signal_sources_) g_source_remove(id);
  for (auto& t : timers_) {
    if (t->source) g_source_remove(t->source);
    t->source = 0;
  }
  if (window_) {
    g_signal_handlers_disconnect_by_data(window_, this);
    g_signal_handlers_disconnect_by_data(area_, this);
    for (auto& [name, item] : menu_items_) g_signal_handlers_disconnect_by_data(item, this);
    // An open menu must be closed before its window goes.
    gtk_menu_shell_deactivate(GTK_MENU_SHELL(menubar_));
    gtk_widget_hide(window_);
    gtk_widget_destroy(window_);
    g_object_unref(window_);
  }
  if (frame_) cairo_surface_destroy(frame_);
  for (cairo_surface_t* s : staging_)
    if (s) cairo_surface_destroy(s);
  if (screen_) cairo_surface_destroy(screen_);
}

GtkWindow* GtkMainWindow::parent_for_dialogs() const {
  return gtk_widget_get_visible(window_) ? GTK_WINDOW(window_) : nullptr;
}

void GtkMainWindow::set_caption(const std::string& caption) {
  captioned_ = true;
  gtk_window_set_title(GTK_WINDOW(window_), gtk_text(caption).c_str());
}

// A game without a name of its own leaves the toolkit's name of the program
// as it always was; GLib takes a name only once.
void GtkMainWindow::set_app_name(const std::string& name) {
  if (name == app_name_) return;
  app_name_ = name;
  if (!captioned_) gtk_window_set_title(GTK_WINDOW(window_), gtk_text(name).c_str());
  static bool named = false;
  if (!named) g_set_application_name(gtk_text(name).c_str());
  named = true;
}

void GtkMainWindow::set_busy_cursor(bool busy) {
  busy_ = busy;
  apply_cursor();
}

void GtkMainWindow::apply_cursor() {
  GdkWindow* gw = gtk_widget_get_window(window_);
  if (!gw) return;  // applied when the window is realized
  GdkDisplay* display = gdk_window_get_display(gw);
  GdkCursor* cursor = busy_ ? gdk_cursor_new_from_name(display, "wait") : nullptr;
  if (busy_ && !cursor) cursor = gdk_cursor_new_for_display(display, GDK_WATCH);
  gdk_window_set_cursor(gw, cursor);
  if (GdkWindow* aw = gtk_widget_get_window(area_)) gdk_window_set_cursor(aw, cursor);
  if (cursor) g_object_unref(cursor);
  gdk_display_flush(display);
}

void GtkMainWindow::show() {
  gtk_widget_show_all(window_);
  gtk_widget_grab_focus(area_);
  apply_cursor();
}

int GtkMainWindow::device_factor() const {
  return std::max(1, gtk_widget_get_scale_factor(area_));
}

ViewGeometry GtkMainWindow::view() const {
  const int f = device_factor();
  GtkAllocation a;
  gtk_widget_get_allocation(area_, &a);
  // Before the first allocation the area is as large as it asked to be.
  if (a.width <= 1 || a.height <= 1) {
    a.width = kWidth * scale_;
    a.height = kHeight * scale_;
  }
  return fit_view(a.width * f, a.height * f, full_screen_ ? 0 : scale_ * f, kWidth, kHeight);
}

bool GtkMainWindow::pointer_to_game(double x, double y, int& gx, int& gy) const {
  return view_to_game(view(), device_factor(), x, y, gx, gy);
}

bool GtkMainWindow::screen_room(GdkRectangle& work, int& menu_h) const {
  GdkDisplay* display = gtk_widget_get_display(window_);
  GdkWindow* gw = gtk_widget_get_window(window_);
  GdkMonitor* mon = gw ? gdk_display_get_monitor_at_window(display, gw) : nullptr;
  if (!mon) mon = gdk_display_get_primary_monitor(display);
  if (!mon && gdk_display_get_n_monitors(display) > 0) mon = gdk_display_get_monitor(display, 0);
  if (!mon) return false;
  gdk_monitor_get_workarea(mon, &work);
  menu_h = 0;
  gtk_widget_get_preferred_height(menubar_, nullptr, &menu_h);
  return true;
}

int GtkMainWindow::largest_window_scale() {
  GdkRectangle work;
  int menu_h = 0;
  if (!screen_room(work, menu_h)) return 1;
  int scale = 1;
  while (scale < 8 && kWidth * (scale + 1) <= work.width &&
         kHeight * (scale + 1) + menu_h <= work.height)
    ++scale;
  return scale;
}

// A window larger than the screen is shown at the largest size that fits
// (the game decides so); a player who asked for it, on the command line or
// in the settings, is told why on standard error, once, at start-up.
void GtkMainWindow::tell_scale_refused(int shown) const {
  if (!settings_) return;
  const int asked = settings_->settings().scale;
  GdkRectangle work;
  int menu_h = 0;
  if (asked <= shown || !screen_room(work, menu_h)) return;
  std::cerr << asked << "x needs " << kWidth * asked << " x " << kHeight * asked
            << " + the menu bar; this screen is " << work.width << " x " << work.height
            << ": playing at " << shown << "x" << std::endl;
}

void GtkMainWindow::set_view(int scale, bool full_screen) {
  if (!view_set_ && !full_screen) tell_scale_refused(scale);
  view_set_ = true;
  scale_ = std::clamp(scale, 1, 8);
  const bool was_full = full_screen_;
  full_screen_ = full_screen;
  if (full_screen) {
    gtk_window_set_resizable(GTK_WINDOW(window_), TRUE);
    gtk_widget_set_size_request(area_, kWidth, kHeight);
    if (!was_full) apply_full_screen();
  } else {
    gtk_widget_set_size_request(area_, kWidth * scale_, kHeight * scale_);
    if (was_full) {
      gtk_window_unfullscreen(GTK_WINDOW(window_));
      if (covering_monitor_) {
        covering_monitor_ = false;
        gtk_window_resize(GTK_WINDOW(window_), 1, 1);  // back to its natural size
      }
    }
    gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
    if (gtk_widget_get_realized(window_)) {
      // Keep the window on its monitor, centred there as at start-up.
      GdkDisplay* display = gtk_widget_get_display(window_);
      GdkMonitor* mon = gdk_display_get_monitor_at_window(display, gtk_widget_get_window(window_));
      GtkRequisition natural;
      gtk_widget_get_preferred_size(window_, nullptr, &natural);
      if (mon) {
        GdkRectangle geo;
        gdk_monitor_get_workarea(mon, &geo);
        gtk_window_move(GTK_WINDOW(window_), geo.x + std::max(0, (geo.width - natural.width) / 2),
                        geo.y + std::max(0, (geo.height - natural.height) / 2));
      }
    }
  }
  gtk_widget_queue_draw(area_);
}

void GtkMainWindow::apply_full_screen() {
  if (!full_screen_) return;
  gtk_window_fullscreen(GTK_WINDOW(window_));
  if (!gtk_widget_get_realized(window_)) return;  // on realize, again
#ifdef GDK_WINDOWING_X11
  // With no window manager that understands full screen (a bare X server),
  // the window covers its monitor itself.
  GdkDisplay* display = gtk_widget_get_display(window_);
  if (GDK_IS_X11_DISPLAY(display) &&
      !gdk_x11_screen_supports_net_wm_hint(
          gtk_widget_get_screen(window_),
          gdk_atom_intern_static_string("_NET_WM_STATE_FULLSCREEN"))) {
    GdkMonitor* mon = gdk_display_get_monitor_at_window(display, gtk_widget_get_window(window_));
    if (!mon) mon = gdk_display_get_primary_monitor(display);
    if (mon) {
      GdkRectangle geo;
      gdk_monitor_get_geometry(mon, &geo);
      covering_monitor_ = true;
      gtk_window_move(GTK_WINDOW(window_), geo.x, geo.y);
      gtk_window_resize(GTK_WINDOW(window_), geo.width, geo.height);
    }
  }
#endif
}

int GtkMainWindow::create_timer(int interval_ms) {
  auto t = std::make_unique<TimerRec>();
  t->owner = this;
  t->id = static_cast<int>(timers_.size()) + 1;
  t->interval = std::max(1, interval_ms);
  timers_.push_back(std::move(t));
  return timers_.back()->id;
}

void GtkMainWindow::set_timer_enabled(int id, bool enabled) {
  if (id < 1 || id > static_cast<int>(timers_.size())) return;
  TimerRec& t = *timers_[id - 1];
  if (enabled == t.enabled) return;
  t.enabled = enabled;
  if (enabled) {
    // The first tick comes one interval from now.
    t.source = g_timeout_add(static_cast<guint>(t.interval), on_timer, &t);
  } else {
    if (t.source) g_source_remove(t.source);
    t.source = 0;
    // A stopped timer delivers no tick that is still waiting in the queue.
    queue_.erase(std::remove_if(queue_.begin(), queue_.end(),
                                [id](const InputEvent& ev) {
                                  return ev.kind == InputEvent::Timer && ev.timer == id;
                                }),
                 queue_.end());
    t.pending = false;
  }
}

void GtkMainWindow::on_realize(GtkWidget*, gpointer self) {
  auto* w = static_cast<GtkMainWindow*>(self);
  guarded(w->failures_, "the main window's realize", [w] {
    w->apply_cursor();
    w->apply_full_screen();
  });
}

}  // namespace vm
