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

#include "platform/services.h"

namespace vm {

class GtkMainWindow : public Window {
 public:
  GtkMainWindow();
  ~GtkMainWindow() override;
  GtkMainWindow(const GtkMainWindow&) = delete;
  GtkMainWindow& operator=(const GtkMainWindow&) = delete;

  void set_sink(EventSink* sink) override { sink_ = sink; }
  void set_menu(const std::vector<MenuEntry>& items) override;
  void set_menu_enabled(const std::string& name, bool enabled) override;
  void set_menu_caption(const std::string& name, const std::string& caption) override;
  void set_caption(const std::string& caption) override;
  void set_busy_cursor(bool busy) override;
  void show() override;
  void present(const Image& frame) override;
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

  // Secondary windows post their events here, to be dispatched in order with
  // the main window's to the sink registered for their window id.
  void post(InputEvent ev) { queue(std::move(ev)); }
  void register_form(int id, EventSink* sink) { form_sinks_[id] = sink; }
  void unregister_form(int id) { form_sinks_.erase(id); }
  // While disabled, mouse, key and menu input of the main window is dropped.
  void set_input_enabled(bool enabled);

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

  static gboolean on_draw(GtkWidget* w, cairo_t* cr, gpointer self);
  static gboolean on_button_press(GtkWidget* w, GdkEventButton* ev, gpointer self);
  static gboolean on_motion(GtkWidget* w, GdkEventMotion* ev, gpointer self);
  static gboolean on_key_press(GtkWidget* w, GdkEventKey* ev, gpointer self);
  static gboolean on_terminate(gpointer self);
  static gboolean on_delete(GtkWidget* w, GdkEvent* ev, gpointer self);
  static void on_realize(GtkWidget* w, gpointer self);
  static void on_menu_activate(GtkMenuItem* item, gpointer self);
  static gboolean on_timer(gpointer rec);

  GtkWidget* window_ = nullptr;
  GtkWidget* box_ = nullptr;
  GtkWidget* menubar_ = nullptr;
  GtkWidget* area_ = nullptr;
  cairo_surface_t* frame_ = nullptr;  // the last presented frame
  bool have_frame_ = false;
  bool busy_ = false;
  EventSink* sink_ = nullptr;
  std::deque<InputEvent> queue_;
  std::map<std::string, GtkWidget*> menu_items_;
  std::vector<std::unique_ptr<TimerRec>> timers_;
  std::vector<guint> signal_sources_;
  GtkDialog* running_dialog_ = nullptr;
  std::map<int, EventSink*> form_sinks_;
  bool input_enabled_ = true;
};

class GtkDialogs : public Dialogs {
 public:
  explicit GtkDialogs(GtkMainWindow& window) : window_(window) {}
  Answer message_box(const std::string& text, Buttons buttons) override;
  std::string input_box(const std::string& prompt, const std::string& title,
                        const std::string& preset) override;
  void set_ime_open(bool open) override { ime_open_ = open; }

 private:
  GtkMainWindow& window_;
  bool ime_open_ = false;
};

// Text for GTK: valid UTF-8, CR LF and lone CR turned into LF.
std::string gtk_text(const std::string& s);

}  // namespace vm
