// The GTK 3 main window and dialogs of the desktop platform (internal to
// platform/desktop). Toolkit callbacks only queue InputEvents; do_events and
// wait_events hand them to the sink from their own stack frame.
#pragma once

#include <gtk/gtk.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/common/view_geometry.h"
#include "platform/desktop/callback_guard.h"
#include "platform/dialogs.h"
#include "platform/event_log.h"
#include "platform/image.h"
#include "platform/input.h"
#include "platform/settings.h"
#include "platform/window.h"

namespace vm {

class GtkMainWindow : public Window {
 public:
  // A failure inside one of its callbacks, or of the windows beside it, is
  // recorded in log and ends the game in order.
  explicit GtkMainWindow(EventLog& log);
  ~GtkMainWindow() override;
  GtkMainWindow(const GtkMainWindow&) = delete;
  GtkMainWindow& operator=(const GtkMainWindow&) = delete;

  void set_sink(EventSink* sink) override { sink_ = sink; }
  void set_menu(const std::vector<MenuEntry>& items) override;
  void set_menu_enabled(const std::string& name, bool enabled) override;
  void set_menu_caption(const std::string& name, const std::string& caption) override;
  void set_menu_checked(const std::string& name, bool checked) override;
  void set_menu_note(const std::string& name, const std::string& note) override;
  void set_caption(const std::string& caption) override;
  void set_app_name(const std::string& name) override;
  // The title of the message boxes.
  const std::string& app_name() const { return app_name_; }
  void set_busy_cursor(bool busy) override;
  void show() override;
  void set_view(int scale, bool full_screen) override;
  int largest_window_scale() override;
  void present(Image& frame) override;
  void do_events() override;
  void wait_events() override;
  bool close_requested() override;
  int create_timer(int interval_ms) override;
  void set_timer_enabled(int id, bool enabled) override;

  // The toplevel, for dialogs (null until shown).
  GtkWindow* parent_for_dialogs() const;
  // The modal dialog now running, which a close request answers at once so
  // that the game can go on to its shutdown.
  void set_running_dialog(GtkDialog* d) { running_dialog_ = d; }
  // A close (close box, termination signal) waits in the queue: nested
  // loops of our own windows leave at once, so the game can end in order.
  bool close_queued() const {
    for (const InputEvent& ev : queue_)
      if (ev.kind == InputEvent::Close) return true;
    return false;
  }

  // Secondary windows post their events here, to be dispatched in order with
  // the main window's to the sink registered for their window id.
  void post(InputEvent ev) { queue(std::move(ev)); }
  void register_form(int id, EventSink* sink) { form_sinks_[id] = sink; }
  void unregister_form(int id) { form_sinks_.erase(id); }
  // Where the toolkit callbacks of the desktop report what stopped them.
  CallbackFailures& callback_failures() { return failures_; }
  // Whether the game lets the player choose this menu item now.
  bool menu_item_enabled(const std::string& name) const;
  // While disabled, mouse, key and menu input of the main window is dropped.
  void set_input_enabled(bool enabled);
  // Where the window finds the magnification the player asked for.
  void set_settings(SettingsStore* settings) { settings_ = settings; }

  // Game-screen size.
  static constexpr int kWidth = 640;
  static constexpr int kHeight = 480;

 private:
  struct TimerRec {
    GtkMainWindow* owner = nullptr;
    int id = 0;
    int interval = 0;
    bool enabled = false;
    bool pending = false;  // a tick is queued and not dispatched yet
    guint source = 0;
  };

  void queue(InputEvent ev);
  void queue_close();
  void dispatch_queued();
  void apply_cursor();
  // Where the game screen lies in the drawing area now, in device pixels.
  ViewGeometry view() const;
  int device_factor() const;
  // Full screen through the window manager, or by covering the monitor when
  // there is none that does it.
  void apply_full_screen();
  bool pointer_to_game(double x, double y, int& gx, int& gy) const;
  // The work area of the window's monitor and the menu bar's height; false
  // when there is no monitor to ask.
  bool screen_room(GdkRectangle& work, int& menu_h) const;
  void tell_scale_refused(int shown) const;

  static gboolean on_draw(GtkWidget* w, cairo_t* cr, gpointer self);
  static gboolean on_button_press(GtkWidget* w, GdkEventButton* ev, gpointer self);
  static gboolean on_motion(GtkWidget* w, GdkEventMotion* ev, gpointer self);
  static gboolean on_key_press(GtkWidget* w, GdkEventKey* ev, gpointer self);
  static gboolean on_key_release(GtkWidget* w, GdkEventKey* ev, gpointer self);
  static gboolean on_scroll(GtkWidget* w, GdkEventScroll* ev, gpointer self);
  static gboolean on_focus_out(GtkWidget* w, GdkEventFocus* ev, gpointer self);
  static gboolean on_terminate(gpointer self);
  static gboolean on_delete(GtkWidget* w, GdkEvent* ev, gpointer self);
  static void on_gdk_event(GdkEvent* ev, gpointer self);
  static void on_realize(GtkWidget* w, gpointer self);
  static void on_menu_activate(GtkMenuItem* item, gpointer self);
  static gboolean on_timer(gpointer rec);

  GtkWidget* window_ = nullptr;
  GtkWidget* box_ = nullptr;
  GtkWidget* menubar_ = nullptr;
  GtkWidget* area_ = nullptr;
  // The game screen on the display's side (null until the area exists), kept
  // equal to frame_; drawn magnified from there.
  cairo_surface_t* screen_surface(bool refill);
  // Copies the frame's changed pixels into frame_; returns where they lie
  // (the caller destroys the region).
  cairo_region_t* take_frame(const Image& frame);
  // Sends the changed part of frame_ to the display and the window.
  void show_changed(const cairo_region_t* changed, bool had_frame);
  // Fills the given game pixels (all of them for none) from the screen, as
  // the view places them, into a context in the area's own coordinates.
  void paint_screen(cairo_t* cr, const ViewGeometry& v, int device_factor,
                    const cairo_region_t* game_area);
  // The image the changed game pixels are sent to the display from.
  cairo_surface_t* staged(const cairo_region_t* changed);
  cairo_surface_t* frame_ = nullptr;  // the last presented frame
  cairo_surface_t* staging_[2] = {nullptr, nullptr};
  int staging_next_ = 0;
  cairo_surface_t* screen_ = nullptr;
  int screen_factor_ = 1;
  bool have_frame_ = false;
  bool busy_ = false;
  int scale_ = 1;
  bool view_set_ = false;  // the view of start-up is set
  SettingsStore* settings_ = nullptr;
  bool full_screen_ = false;
  bool covering_monitor_ = false;  // full screen without the window manager's help
  bool ctrl_down_ = false;
  std::map<std::string, bool> checked_;  // the ticks as the game set them
  EventSink* sink_ = nullptr;
  std::deque<InputEvent> queue_;
  std::map<std::string, GtkWidget*> menu_items_;
  std::vector<std::unique_ptr<TimerRec>> timers_;
  std::vector<guint> signal_sources_;
  std::map<int, EventSink*> form_sinks_;
  bool input_enabled_ = true;
  std::string app_name_ = kAppTitle;
  bool captioned_ = false;  // the game has set a caption of its own
  GtkDialog* running_dialog_ = nullptr;
  CallbackFailures failures_;
};

class GtkDialogs : public Dialogs {
 public:
  explicit GtkDialogs(GtkMainWindow& window) : window_(window) {}
  Answer message_box(const std::string& text, Buttons buttons) override;
  std::string input_box(const std::string& prompt, const std::string& title,
                        const std::string& preset) override;
  void set_ime_open(bool open) override { ime_open_ = open; }
  int show_history(const std::vector<HistoryLine>& lines) override;
  // Where the history finds the player's text size.
  void set_settings(SettingsStore* settings) { settings_ = settings; }

 private:
  GtkMainWindow& window_;
  SettingsStore* settings_ = nullptr;
  bool ime_open_ = false;
};

// Text for GTK: valid UTF-8, CR LF and lone CR turned into LF.
std::string gtk_text(const std::string& s);

// The keyboard focus on w in the game's highlight colour, plain to see in
// every secondary window: a widget the theme draws no focus on (a label the
// keys reach, a scroll bar) is framed while it has it (frame); on the others
// the theme's faint dotted ring is drawn solid in that colour (on a list, on
// its rows).
void show_focus(GtkWidget* w, bool frame);

}  // namespace vm
