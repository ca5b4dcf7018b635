#include "platform/desktop/gtk_window.h"

#include <glib-unix.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

#include <algorithm>
#include <csignal>
#include <cstring>
#include <exception>

namespace vm {

namespace {

constexpr const char* kAppTitle = "Velmora";

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

bool on_x11([[maybe_unused]] GdkWindow* gw) {
#ifdef GDK_WINDOWING_X11
  return GDK_IS_X11_DISPLAY(gdk_window_get_display(gw));
#else
  return false;
#endif
}

}  // namespace

GtkMainWindow::GtkMainWindow() {
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

void GtkMainWindow::set_menu(const std::vector<MenuEntry>& items) {
  // Top-level menus in the order their group first appears.
  std::vector<std::pair<std::string, GtkWidget*>> menus;
  for (const MenuEntry& entry : items) {
    auto it = std::find_if(menus.begin(), menus.end(),
                           [&](const auto& m) { return m.first == entry.group; });
    GtkWidget* menu;
    if (it == menus.end()) {
      GtkWidget* top = gtk_menu_item_new_with_label(gtk_text(entry.group).c_str());
      menu = gtk_menu_new();
      gtk_menu_item_set_submenu(GTK_MENU_ITEM(top), menu);
      gtk_menu_shell_append(GTK_MENU_SHELL(menubar_), top);
      menus.emplace_back(entry.group, menu);
    } else {
      menu = it->second;
    }
    GtkWidget* item;
    if (entry.caption == "-") {
      item = gtk_separator_menu_item_new();
    } else {
      item = entry.check ? gtk_check_menu_item_new_with_label(gtk_text(entry.caption).c_str())
                         : gtk_menu_item_new_with_label(gtk_text(entry.caption).c_str());
      if (entry.check) checked_[entry.name] = false;
      if (entry.check && entry.radio)
        gtk_check_menu_item_set_draw_as_radio(GTK_CHECK_MENU_ITEM(item), TRUE);
      g_object_set_data_full(G_OBJECT(item), "vm-name", g_strdup(entry.name.c_str()), g_free);
      g_signal_connect(item, "activate", G_CALLBACK(on_menu_activate), this);
    }
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
    if (!entry.name.empty()) menu_items_[entry.name] = item;
  }
  gtk_widget_show_all(menubar_);
}

void GtkMainWindow::set_menu_enabled(const std::string& name, bool enabled) {
  auto it = menu_items_.find(name);
  if (it != menu_items_.end()) gtk_widget_set_sensitive(it->second, enabled);
}

void GtkMainWindow::set_menu_caption(const std::string& name, const std::string& caption) {
  auto it = menu_items_.find(name);
  if (it != menu_items_.end() && GTK_IS_MENU_ITEM(it->second) &&
      !GTK_IS_SEPARATOR_MENU_ITEM(it->second)) {
    gtk_menu_item_set_label(GTK_MENU_ITEM(it->second), gtk_text(caption).c_str());
  }
}

void GtkMainWindow::set_menu_checked(const std::string& name, bool checked) {
  auto it = menu_items_.find(name);
  if (it == menu_items_.end() || !GTK_IS_CHECK_MENU_ITEM(it->second)) return;
  checked_[name] = checked;
  // Setting the tick activates the item: that is no click of the player's.
  g_signal_handlers_block_by_func(it->second, reinterpret_cast<gpointer>(on_menu_activate), this);
  gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(it->second), checked);
  g_signal_handlers_unblock_by_func(it->second, reinterpret_cast<gpointer>(on_menu_activate), this);
}

void GtkMainWindow::set_caption(const std::string& caption) {
  gtk_window_set_title(GTK_WINDOW(window_), gtk_text(caption).c_str());
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

int GtkMainWindow::largest_window_scale() {
  GdkDisplay* display = gtk_widget_get_display(window_);
  GdkWindow* gw = gtk_widget_get_window(window_);
  GdkMonitor* mon = gw ? gdk_display_get_monitor_at_window(display, gw) : nullptr;
  if (!mon) mon = gdk_display_get_primary_monitor(display);
  if (!mon && gdk_display_get_n_monitors(display) > 0) mon = gdk_display_get_monitor(display, 0);
  if (!mon) return 1;
  GdkRectangle work;
  gdk_monitor_get_workarea(mon, &work);
  int menu_h = 0;
  gtk_widget_get_preferred_height(menubar_, nullptr, &menu_h);
  int scale = 1;
  while (scale < 8 && kWidth * (scale + 1) <= work.width &&
         kHeight * (scale + 1) + menu_h <= work.height)
    ++scale;
  return scale;
}

void GtkMainWindow::set_view(int scale, bool full_screen) {
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

void GtkMainWindow::present(const Image& frame) {
  if (frame.w <= 0 || frame.h <= 0) return;
  if (cairo_image_surface_get_width(frame_) != frame.w ||
      cairo_image_surface_get_height(frame_) != frame.h) {
    cairo_surface_destroy(frame_);
    frame_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, frame.w, frame.h);
    have_frame_ = false;
  }
  cairo_surface_flush(frame_);
  unsigned char* data = cairo_image_surface_get_data(frame_);
  const int stride = cairo_image_surface_get_stride(frame_);
  if (!data) return;
  // CAIRO_FORMAT_RGB24 is one native-endian word per pixel, 0x00RRGGBB: our
  // own layout, so rows copy as they are. Only the runs of pixels that
  // changed are repainted, which keeps typing (one character cell a step) and
  // the bar effects (a few columns at each edge) cheap on a magnified screen.
  cairo_region_t* changed = cairo_region_create();
  const bool all = !have_frame_;
  constexpr int kJoinGap = 32;  // nearby runs go as one rectangle
  for (int y = 0; y < frame.h; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
    const uint32_t* src = &frame.px[static_cast<size_t>(y) * frame.w];
    if (!all && std::memcmp(row, src, static_cast<size_t>(frame.w) * 4) == 0) continue;
    if (all) {
      std::memcpy(row, src, static_cast<size_t>(frame.w) * 4);
      continue;
    }
    int x = 0;
    while (x < frame.w) {
      while (x < frame.w && row[x] == src[x]) ++x;
      if (x == frame.w) break;
      const int first = x;
      int last = x, same = 0;
      for (; x < frame.w && same <= kJoinGap; ++x) {
        if (row[x] != src[x]) {
          last = x;
          same = 0;
        } else {
          ++same;
        }
      }
      std::memcpy(row + first, src + first, static_cast<size_t>(last - first + 1) * 4);
      const cairo_rectangle_int_t run{first, y, last - first + 1, 1};
      cairo_region_union_rectangle(changed, &run);
      x = last + 1;
    }
  }
  if (all) {
    const cairo_rectangle_int_t whole{0, 0, frame.w, frame.h};
    cairo_region_union_rectangle(changed, &whole);
  }
  cairo_surface_mark_dirty(frame_);
  const bool had_frame = have_frame_;
  have_frame_ = true;
  const int rects = cairo_region_num_rectangles(changed);

  // Only the changed game pixels travel to the display; it magnifies them.
  if (cairo_surface_t* screen = rects > 0 ? screen_surface(!had_frame) : nullptr) {
    cairo_t* c = cairo_create(screen);
    cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(c, staged(changed), 0, 0);
    gdk_cairo_region(c, changed);
    cairo_fill(c);
    cairo_destroy(c);
  }
  if (rects == 0 || !gtk_widget_get_mapped(area_)) {  // unchanged, or painted when exposed
    cairo_region_destroy(changed);
    return;
  }
  GdkWindow* gw = gtk_widget_get_window(area_);
  if (!gw) {
    cairo_region_destroy(changed);
    return;
  }
  const ViewGeometry v = view();
  const int f = device_factor();
  if (on_x11(gw)) {
    // On X the server magnifies the changed game pixels straight into the
    // window. The toolkit's own repaint would first magnify them into a fresh
    // off-screen buffer as large as the window and then copy that: at 3x a
    // full-screen change then costs the server about twice as much, more
    // than a fifth of the shortest transition step.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    cairo_t* cr = gdk_cairo_create(gw);
#pragma GCC diagnostic pop
    paint_screen(cr, v, f, changed);
    cairo_destroy(cr);
  } else {
    // Elsewhere (Wayland) only the toolkit's repaint reaches the screen.
    for (int i = 0; i < rects; ++i) {
      cairo_rectangle_int_t g;
      cairo_region_get_rectangle(changed, i, &g);
      const ViewRect r = game_to_view(v, f, g.x, g.y, g.width, g.height);
      gtk_widget_queue_draw_area(area_, r.x, r.y, r.w, r.h);
    }
    // Paint now, handling only the repaint: no input reaches the game here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    gdk_window_process_updates(gw, TRUE);
#pragma GCC diagnostic pop
  }
  cairo_region_destroy(changed);
  gdk_display_flush(gdk_window_get_display(gw));
}

void GtkMainWindow::paint_screen(cairo_t* cr, const ViewGeometry& v, int device_factor,
                                 const cairo_region_t* game_area) {
  // In device pixels, then in game pixels: each one a whole square of
  // device pixels, never blurred.
  cairo_save(cr);
  cairo_scale(cr, 1.0 / device_factor, 1.0 / device_factor);
  cairo_translate(cr, v.x, v.y);
  cairo_scale(cr, v.scale, v.scale);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  if (game_area) {
    gdk_cairo_region(cr, game_area);
  } else {
    cairo_rectangle(cr, 0, 0, kWidth, kHeight);
  }
  cairo_surface_t* screen = screen_surface(false);
  cairo_set_source_surface(cr, screen ? screen : frame_, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_fill(cr);
  cairo_restore(cr);
}

cairo_surface_t* GtkMainWindow::staged(const cairo_region_t* changed) {
  GdkWindow* gw = gtk_widget_get_window(area_);
  if (!gw || !on_x11(gw)) return frame_;
  // The changed pixels go to the X server through one of two images it
  // shares with us, in turn. Shared memory maps nothing new in the server
  // each frame; two of them let us fill one while the server still reads
  // and magnifies the other, instead of waiting for it.
  const int w = cairo_image_surface_get_width(frame_), h = cairo_image_surface_get_height(frame_);
  cairo_surface_t*& buf = staging_[staging_next_];
  staging_next_ ^= 1;
  if (buf &&
      (cairo_image_surface_get_width(buf) != w || cairo_image_surface_get_height(buf) != h)) {
    cairo_surface_destroy(buf);
    buf = nullptr;
  }
  if (!buf) {
    buf = gdk_window_create_similar_image_surface(gw, CAIRO_FORMAT_RGB24, w, h, 1);
    if (buf && (cairo_surface_status(buf) != CAIRO_STATUS_SUCCESS ||
                cairo_surface_get_type(buf) != CAIRO_SURFACE_TYPE_IMAGE ||
                cairo_image_surface_get_format(buf) != CAIRO_FORMAT_RGB24)) {
      cairo_surface_destroy(buf);
      buf = nullptr;
    }
    if (!buf) return frame_;
  }
  cairo_surface_flush(buf);
  const unsigned char* from = cairo_image_surface_get_data(frame_);
  unsigned char* to = cairo_image_surface_get_data(buf);
  const int from_stride = cairo_image_surface_get_stride(frame_);
  const int to_stride = cairo_image_surface_get_stride(buf);
  if (!from || !to) return frame_;
  // Only the changed pixels are current in this image; only they are sent.
  for (int i = 0, n = cairo_region_num_rectangles(changed); i < n; ++i) {
    cairo_rectangle_int_t r;
    cairo_region_get_rectangle(changed, i, &r);
    for (int y = r.y; y < r.y + r.height; ++y)
      std::memcpy(to + static_cast<size_t>(y) * to_stride + static_cast<size_t>(r.x) * 4,
                  from + static_cast<size_t>(y) * from_stride + static_cast<size_t>(r.x) * 4,
                  static_cast<size_t>(r.width) * 4);
  }
  cairo_surface_mark_dirty(buf);
  return buf;
}

cairo_surface_t* GtkMainWindow::screen_surface(bool refill) {
  GdkWindow* gw = gtk_widget_get_window(area_);
  if (!gw) return nullptr;
  const int f = std::max(1, gdk_window_get_scale_factor(gw));
  if (screen_ && screen_factor_ != f) {
    cairo_surface_destroy(screen_);
    screen_ = nullptr;
  }
  if (!screen_) {
    // A surface of the display's own kind (an X pixmap), one device pixel per
    // game pixel; it is sized in logical pixels, hence the rounding up.
    screen_ = gdk_window_create_similar_surface(gw, CAIRO_CONTENT_COLOR, (kWidth + f - 1) / f,
                                                (kHeight + f - 1) / f);
    cairo_surface_set_device_scale(screen_, 1.0, 1.0);
    screen_factor_ = f;
    refill = true;
  }
  if (refill && have_frame_) {
    cairo_t* c = cairo_create(screen_);
    cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(c, frame_, 0, 0);
    cairo_paint(c);
    cairo_destroy(c);
  }
  return screen_;
}

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

// ------------------------------------------------------ toolkit callbacks ---
// Each one only queues an event; nothing may throw through the C code.

gboolean GtkMainWindow::on_draw(GtkWidget*, cairo_t* cr, gpointer self) {
  try {
    auto* w = static_cast<GtkMainWindow*>(self);
    const ViewGeometry v = w->view();
    const int f = w->device_factor();
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgb(cr, 0, 0, 0);
    if (!w->have_frame_) {
      cairo_paint(cr);
      return TRUE;
    }
    // Black only around the screen (full screen): on a magnified screen
    // a second pass over every pixel would be most of what a repaint costs.
    cairo_save(cr);
    cairo_scale(cr, 1.0 / f, 1.0 / f);
    GtkAllocation a;
    gtk_widget_get_allocation(w->area_, &a);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_rectangle(cr, 0, 0, a.width * f, a.height * f);
    cairo_rectangle(cr, v.x, v.y, v.w, v.h);
    cairo_fill(cr);
    cairo_restore(cr);
    // Then the screen itself.
    w->paint_screen(cr, v, f, nullptr);
  } catch (...) {
  }
  return TRUE;
}

gboolean GtkMainWindow::on_button_press(GtkWidget*, GdkEventButton* ev, gpointer self) {
  try {
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
    auto* w = static_cast<GtkMainWindow*>(self);
    gtk_widget_grab_focus(w->area_);
    InputEvent e;
    e.kind = InputEvent::MouseDown;
    // The black border around a full-screen picture is no part of the game.
    if (!w->pointer_to_game(ev->x, ev->y, e.x, e.y)) return TRUE;
    e.button = button;
    w->queue(std::move(e));
  } catch (...) {
  }
  return TRUE;
}

gboolean GtkMainWindow::on_motion(GtkWidget*, GdkEventMotion* ev, gpointer self) {
  try {
    auto* w = static_cast<GtkMainWindow*>(self);
    InputEvent e;
    e.kind = InputEvent::MouseMove;
    if (!w->pointer_to_game(ev->x, ev->y, e.x, e.y)) return TRUE;
    w->queue(std::move(e));
  } catch (...) {
  }
  return TRUE;
}

gboolean GtkMainWindow::on_key_press(GtkWidget*, GdkEventKey* ev, gpointer self) {
  try {
    const int key = key_code(ev->keyval);
    if (key == 0) return FALSE;  // leave it to the toolkit (F10 opens the menu)
    auto* w = static_cast<GtkMainWindow*>(self);
    if (key == kKeyControl) {
      if (w->ctrl_down_) return TRUE;  // held: the repeats say nothing new
      w->ctrl_down_ = true;
    }
    InputEvent e;
    e.kind = InputEvent::KeyDown;
    e.key = key;
    w->queue(std::move(e));
    return TRUE;
  } catch (...) {
  }
  return TRUE;
}

gboolean GtkMainWindow::on_key_release(GtkWidget*, GdkEventKey* ev, gpointer self) {
  try {
    // Only Ctrl's release matters: fast-forward lasts while it is held.
    if (key_code(ev->keyval) != kKeyControl) return FALSE;
    auto* w = static_cast<GtkMainWindow*>(self);
    w->ctrl_down_ = false;
    InputEvent e;
    e.kind = InputEvent::KeyUp;
    e.key = kKeyControl;
    w->queue(std::move(e));
    return TRUE;
  } catch (...) {
  }
  return TRUE;
}

gboolean GtkMainWindow::on_focus_out(GtkWidget*, GdkEventFocus*, gpointer self) {
  try {
    // A release that happens in another window never reaches this one.
    auto* w = static_cast<GtkMainWindow*>(self);
    if (w->ctrl_down_) {
      w->ctrl_down_ = false;
      InputEvent e;
      e.kind = InputEvent::KeyUp;
      e.key = kKeyControl;
      w->queue(std::move(e));
    }
  } catch (...) {
  }
  return FALSE;
}

gboolean GtkMainWindow::on_scroll(GtkWidget*, GdkEventScroll* ev, gpointer self) {
  try {
    int delta = 0;
    if (ev->direction == GDK_SCROLL_UP)
      delta = -1;
    else if (ev->direction == GDK_SCROLL_DOWN)
      delta = 1;
    else if (ev->direction == GDK_SCROLL_SMOOTH && ev->delta_y != 0)
      delta = ev->delta_y < 0 ? -1 : 1;
    if (delta == 0) return FALSE;
    auto* w = static_cast<GtkMainWindow*>(self);
    InputEvent e;
    e.kind = InputEvent::Wheel;
    e.wheel = delta;
    if (!w->pointer_to_game(ev->x, ev->y, e.x, e.y)) return TRUE;
    w->queue(std::move(e));
  } catch (...) {
  }
  return TRUE;
}

gboolean GtkMainWindow::on_delete(GtkWidget*, GdkEvent*, gpointer self) {
  try {
    static_cast<GtkMainWindow*>(self)->queue_close();
  } catch (...) {
  }
  return TRUE;  // the window stays; the game's shutdown ends the process
}

void GtkMainWindow::on_gdk_event(GdkEvent* ev, gpointer self) {
  try {
    auto* w = static_cast<GtkMainWindow*>(self);
    if (ev->type == GDK_DELETE && w->window_ &&
        ev->any.window == gtk_widget_get_window(w->window_)) {
      w->queue_close();
      return;
    }
  } catch (...) {
  }
  gtk_main_do_event(ev);
}

gboolean GtkMainWindow::on_terminate(gpointer self) {
  try {
    static_cast<GtkMainWindow*>(self)->queue_close();
  } catch (...) {
  }
  return G_SOURCE_CONTINUE;
}

void GtkMainWindow::on_realize(GtkWidget*, gpointer self) {
  try {
    auto* w = static_cast<GtkMainWindow*>(self);
    w->apply_cursor();
    w->apply_full_screen();
  } catch (...) {
  }
}

void GtkMainWindow::on_menu_activate(GtkMenuItem* item, gpointer self) {
  try {
    const char* name = static_cast<const char*>(g_object_get_data(G_OBJECT(item), "vm-name"));
    if (!name) return;
    auto* w = static_cast<GtkMainWindow*>(self);
    // The toolkit has just flipped the tick; the game decides what it shows.
    if (GTK_IS_CHECK_MENU_ITEM(item)) w->set_menu_checked(name, w->checked_[name]);
    InputEvent e;
    e.kind = InputEvent::Menu;
    e.name = name;
    w->queue(std::move(e));
  } catch (...) {
  }
}

gboolean GtkMainWindow::on_timer(gpointer rec) {
  try {
    auto* t = static_cast<TimerRec*>(rec);
    if (t->enabled && !t->pending) {
      t->pending = true;
      InputEvent e;
      e.kind = InputEvent::Timer;
      e.timer = t->id;
      t->owner->queue(std::move(e));
    }
  } catch (...) {
  }
  return G_SOURCE_CONTINUE;
}

// ---------------------------------------------------------------- dialogs ---
// gtk_dialog_run is a nested main loop: main-window input that arrives
// meanwhile only lands in the queue, as everywhere else. A close request
// answers the dialog at once (as its close box would), so the game reaches
// its shutdown instead of waiting for a player who has asked to leave.

namespace {

template <class BeforeDestroy>
int run_dialog(GtkMainWindow& owner, GtkWidget* d, BeforeDestroy&& before_destroy) {
  owner.set_running_dialog(GTK_DIALOG(d));
  const int r = gtk_dialog_run(GTK_DIALOG(d));
  owner.set_running_dialog(nullptr);
  before_destroy();
  gtk_widget_destroy(d);
  return r;
}

int run_dialog(GtkMainWindow& owner, GtkWidget* d) {
  return run_dialog(owner, d, [] {});
}

}  // namespace

Answer GtkDialogs::message_box(const std::string& text, Buttons buttons) {
  const bool yes_no = buttons == Buttons::YesNo;
  GtkWindow* parent = window_.parent_for_dialogs();
  GtkWidget* d = gtk_message_dialog_new(
      parent, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
      GTK_MESSAGE_OTHER, yes_no ? GTK_BUTTONS_YES_NO : GTK_BUTTONS_OK, "%s",
      gtk_text(text).c_str());
  gtk_window_set_title(GTK_WINDOW(d), kAppTitle);
  gtk_window_set_position(GTK_WINDOW(d),
                          parent ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
  gtk_dialog_set_default_response(GTK_DIALOG(d), yes_no ? GTK_RESPONSE_NO : GTK_RESPONSE_OK);
  const int r = run_dialog(window_, d);
  if (!yes_no) return Answer::Ok;
  return r == GTK_RESPONSE_YES ? Answer::Yes : Answer::No;
}

std::string GtkDialogs::input_box(const std::string& prompt, const std::string& title,
                                  const std::string& preset) {
  GtkWindow* parent = window_.parent_for_dialogs();
  GtkWidget* d = gtk_dialog_new_with_buttons(
      gtk_text(title).c_str(), parent,
      static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
      g_dgettext("gtk30", "_Cancel"), GTK_RESPONSE_CANCEL, g_dgettext("gtk30", "_OK"),
      GTK_RESPONSE_OK, nullptr);
  gtk_window_set_position(GTK_WINDOW(d),
                          parent ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
  gtk_window_set_resizable(GTK_WINDOW(d), FALSE);
  gtk_dialog_set_default_response(GTK_DIALOG(d), GTK_RESPONSE_OK);

  GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(d));
  gtk_container_set_border_width(GTK_CONTAINER(content), 12);
  gtk_box_set_spacing(GTK_BOX(content), 8);
  GtkWidget* label = gtk_label_new(gtk_text(prompt).c_str());
  gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
  gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
  gtk_label_set_max_width_chars(GTK_LABEL(label), 40);
  gtk_box_pack_start(GTK_BOX(content), label, FALSE, FALSE, 0);
  GtkWidget* entry = gtk_entry_new();
  gtk_entry_set_text(GTK_ENTRY(entry), gtk_text(preset).c_str());
  gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
  gtk_entry_set_width_chars(GTK_ENTRY(entry), 30);
  gtk_box_pack_start(GTK_BOX(content), entry, FALSE, FALSE, 0);
  gtk_widget_show_all(content);

  // The entry's input method is the toolkit's default; with the game asking
  // for it open, the entry has the focus so the Japanese input engages.
  gtk_widget_grab_focus(entry);
  gtk_editable_select_region(GTK_EDITABLE(entry), 0, -1);
  (void)ime_open_;

  std::string result;
  const int r = run_dialog(window_, d, [&] { result = gtk_entry_get_text(GTK_ENTRY(entry)); });
  if (r != GTK_RESPONSE_OK) result.clear();
  return result;
}

}  // namespace vm
