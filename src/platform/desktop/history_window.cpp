// The history window of the desktop: the messages the player went past in a
// scrolling list over the game, opened at the newest. Escape, a click
// anywhere outside the list (the game screen included) or the wheel turned
// down past the end closes it; a double click on a line, or Enter on the line
// the arrow keys lit, goes back to that message. It is modal: while it is open the game sees
// no input, so nothing in the story can change.
#include <gtk/gtk.h>

#include <algorithm>
#include <vector>

#include "platform/desktop/gtk_window.h"

namespace vm {

namespace {

constexpr const char* kHistoryTitle = "履歴";
constexpr int kListWidth = 520;
constexpr int kListHeight = 400;

struct HistoryRun {
  GtkWidget* window = nullptr;
  GtkWidget* scroller = nullptr;
  bool closed = false;
  bool keep_at_end = true;  // until the player scrolls, the newest stays in view
  bool holding = false;
  int picked = -1;  // the line double-clicked, or chosen by Enter, to go back to
  std::vector<GtkWidget*> rows;
  int cursor = -1;  // the line the arrow keys have lit, none at first
};

bool at_end(GtkAdjustment* adj) {
  return gtk_adjustment_get_value(adj) >=
         gtk_adjustment_get_upper(adj) - gtk_adjustment_get_page_size(adj) - 0.5;
}

bool inside(GtkWidget* widget, GtkWidget* ancestor) {
  return widget && (widget == ancestor || gtk_widget_is_ancestor(widget, ancestor));
}

// Rows are measured only once shown, and the toolkit scrolls the list back
// to its top as it settles: until the player scrolls, the list is held at
// its end, where the newest entry is.
void on_adjustment_changed(GtkAdjustment* adj, gpointer data) {
  auto* run = static_cast<HistoryRun*>(data);
  if (!run->keep_at_end || run->holding) return;
  const double end = gtk_adjustment_get_upper(adj) - gtk_adjustment_get_page_size(adj);
  if (gtk_adjustment_get_value(adj) == end) return;
  run->holding = true;
  gtk_adjustment_set_value(adj, end);
  run->holding = false;
}

gboolean on_list_scroll(GtkWidget*, GdkEventScroll* ev, gpointer data) {
  auto* run = static_cast<HistoryRun*>(data);
  run->keep_at_end = false;
  const bool down =
      ev->direction == GDK_SCROLL_DOWN || (ev->direction == GDK_SCROLL_SMOOTH && ev->delta_y > 0);
  GtkAdjustment* adj = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(run->scroller));
  if (down && at_end(adj)) {
    run->closed = true;
    return TRUE;
  }
  return FALSE;  // the list scrolls as usual
}

// Lights the line the arrow keys reached and brings it into view. The lit
// line is the window's own mark, not the toolkit's focus, which would pull
// the list to its top.
void move_cursor(HistoryRun& run, int by) {
  const int n = static_cast<int>(run.rows.size());
  if (n == 0) return;
  const int to = run.cursor < 0 ? n - 1 : std::clamp(run.cursor + by, 0, n - 1);
  if (run.cursor >= 0) {
    gtk_style_context_remove_class(gtk_widget_get_style_context(run.rows[run.cursor]), "lit");
  }
  run.cursor = to;
  GtkWidget* row = run.rows[to];
  gtk_style_context_add_class(gtk_widget_get_style_context(row), "lit");
  run.keep_at_end = false;
  GtkAllocation box;
  gtk_widget_get_allocation(row, &box);
  GtkAdjustment* adj = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(run.scroller));
  const double value = gtk_adjustment_get_value(adj);
  const double page = gtk_adjustment_get_page_size(adj);
  if (box.y < value) {
    gtk_adjustment_set_value(adj, box.y);
  } else if (box.y + box.height > value + page) {
    gtk_adjustment_set_value(adj, box.y + box.height - page);
  }
}

// Escape closes; Up and Down light a line (the newest first), Enter goes back
// to the lit line; the page keys, Home and End scroll the list.
gboolean on_key(GtkWidget*, GdkEventKey* ev, gpointer data) {
  auto* run = static_cast<HistoryRun*>(data);
  switch (ev->keyval) {
    case GDK_KEY_Escape:
      run->closed = true;
      return TRUE;
    case GDK_KEY_Up:
    case GDK_KEY_KP_Up:
      move_cursor(*run, -1);
      return TRUE;
    case GDK_KEY_Down:
    case GDK_KEY_KP_Down:
      if (run->cursor >= 0) move_cursor(*run, +1);
      return TRUE;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
      if (run->cursor < 0) return TRUE;
      run->picked = run->cursor;
      run->closed = true;
      return TRUE;
    default:
      break;
  }
  GtkAdjustment* adj = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(run->scroller));
  const double value = gtk_adjustment_get_value(adj);
  const double page = gtk_adjustment_get_page_increment(adj);
  double to;
  switch (ev->keyval) {
    case GDK_KEY_Page_Up:
    case GDK_KEY_KP_Page_Up:
      to = value - page;
      break;
    case GDK_KEY_Page_Down:
    case GDK_KEY_KP_Page_Down:
      to = value + page;
      break;
    case GDK_KEY_Home:
      to = gtk_adjustment_get_lower(adj);
      break;
    case GDK_KEY_End:
      to = gtk_adjustment_get_upper(adj);
      break;
    default:
      return FALSE;
  }
  run->keep_at_end = false;
  gtk_adjustment_set_value(adj, to);  // clamped to the list
  return TRUE;
}

// Presses anywhere while the window is open come here (it holds the grab),
// the game screen's among them.
gboolean on_press(GtkWidget*, GdkEventButton* ev, gpointer data) {
  auto* run = static_cast<HistoryRun*>(data);
  if (ev->type != GDK_BUTTON_PRESS) return FALSE;
  if (inside(gtk_get_event_widget(reinterpret_cast<GdkEvent*>(ev)), run->scroller)) return FALSE;
  run->closed = true;
  return TRUE;
}

// The player takes the scroll bar: the list is theirs to move.
gboolean on_scrollbar_press(GtkWidget*, GdkEventButton*, gpointer data) {
  static_cast<HistoryRun*>(data)->keep_at_end = false;
  return FALSE;
}

// A double click on a line asks to go back to it. The press comes to the
// list, not to the row under it (a row has no window of its own): the row is
// found by where the press lies in the list.
gboolean on_list_press(GtkWidget* list, GdkEventButton* ev, gpointer data) {
  if (ev->type != GDK_2BUTTON_PRESS || ev->button != 1) return FALSE;
  int x = 0, y = 0;
  GtkWidget* at = gtk_get_event_widget(reinterpret_cast<GdkEvent*>(ev));
  if (!at || !gtk_widget_translate_coordinates(at, list, static_cast<int>(ev->x),
                                               static_cast<int>(ev->y), &x, &y))
    return FALSE;
  GtkListBoxRow* row = gtk_list_box_get_row_at_y(GTK_LIST_BOX(list), y);
  if (!row) return FALSE;
  auto* run = static_cast<HistoryRun*>(data);
  run->picked = gtk_list_box_row_get_index(row);
  run->closed = true;
  return TRUE;
}

gboolean on_delete(GtkWidget*, GdkEvent*, gpointer data) {
  static_cast<HistoryRun*>(data)->closed = true;
  return TRUE;
}

GtkWidget* line_widget(const HistoryLine& line) {
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
  gtk_widget_set_margin_start(box, 10);
  gtk_widget_set_margin_end(box, 10);
  gtk_widget_set_margin_top(box, 6);
  gtk_widget_set_margin_bottom(box, 6);
  if (!line.speaker.empty()) {
    gchar* markup = g_markup_printf_escaped("<b>%s</b>", gtk_text(line.speaker).c_str());
    GtkWidget* who = gtk_label_new(nullptr);
    gtk_label_set_markup(GTK_LABEL(who), markup);
    g_free(markup);
    gtk_label_set_xalign(GTK_LABEL(who), 0.0f);
    gtk_box_pack_start(GTK_BOX(box), who, FALSE, FALSE, 0);
  }
  GtkWidget* text = gtk_label_new(nullptr);
  // Choices in the colour of a highlighted choice, narration in its own.
  gchar* markup = g_markup_printf_escaped(
      "<span foreground=\"%s\">%s</span>",
      line.choice ? "#1993D0" : (line.speaker.empty() ? "#953C8C" : "#000000"),
      gtk_text(line.text).c_str());
  gtk_label_set_markup(GTK_LABEL(text), markup);
  g_free(markup);
  gtk_label_set_xalign(GTK_LABEL(text), 0.0f);
  gtk_label_set_line_wrap(GTK_LABEL(text), TRUE);
  gtk_label_set_line_wrap_mode(GTK_LABEL(text), PANGO_WRAP_WORD_CHAR);
  gtk_label_set_max_width_chars(GTK_LABEL(text), 30);
  gtk_label_set_selectable(GTK_LABEL(text), FALSE);
  gtk_box_pack_start(GTK_BOX(box), text, FALSE, FALSE, 0);
  return box;
}

// The list of lines on the game's own paper, none of them focusable.
GtkWidget* history_list(const std::vector<HistoryLine>& lines, HistoryRun& run) {
  GtkWidget* list = gtk_list_box_new();
  // The list is the game's own paper, whatever the desktop theme: the
  // message colours are the game's, and need a light ground to read.
  gtk_widget_set_name(list, "velmora-history");
  static bool paper_added = false;
  if (!paper_added) {
    paper_added = true;
    GtkCssProvider* paper = gtk_css_provider_new();
    gtk_css_provider_load_from_data(
        paper,
        "#velmora-history, #velmora-history row { background-color: #FFF9EC; color: #000000; }"
        "#velmora-history row.lit { background-color: #DCEBF7; }"
        "#velmora-history.large label { font-size: 16pt; }",
        -1, nullptr);
    gtk_style_context_add_provider_for_screen(gtk_widget_get_screen(list),
                                              GTK_STYLE_PROVIDER(paper),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(paper);
  }
  gtk_list_box_set_selection_mode(GTK_LIST_BOX(list), GTK_SELECTION_NONE);
  gtk_widget_set_can_focus(list, FALSE);
  for (const HistoryLine& line : lines) {
    GtkWidget* w = line_widget(line);
    gtk_container_add(GTK_CONTAINER(list), w);
    // The row the list box wraps around it: never focused, never lit.
    if (GtkWidget* row = gtk_widget_get_parent(w)) {
      gtk_widget_set_can_focus(row, FALSE);
      gtk_list_box_row_set_activatable(GTK_LIST_BOX_ROW(row), FALSE);
      run.rows.push_back(row);
    }
  }
  gtk_widget_add_events(list, GDK_BUTTON_PRESS_MASK);
  g_signal_connect(list, "button-press-event", G_CALLBACK(on_list_press), &run);
  return list;
}

}  // namespace

int GtkDialogs::show_history(const std::vector<HistoryLine>& lines) {
  HistoryRun run;
  GtkWindow* parent = window_.parent_for_dialogs();
  run.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(run.window), kHistoryTitle);
  if (parent) gtk_window_set_transient_for(GTK_WINDOW(run.window), parent);
  gtk_window_set_modal(GTK_WINDOW(run.window), TRUE);
  gtk_window_set_destroy_with_parent(GTK_WINDOW(run.window), TRUE);
  gtk_window_set_position(GTK_WINDOW(run.window),
                          parent ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
  gtk_window_set_type_hint(GTK_WINDOW(run.window), GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_container_set_border_width(GTK_CONTAINER(run.window), 12);

  run.scroller = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(run.scroller), GTK_POLICY_NEVER,
                                 GTK_POLICY_ALWAYS);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(run.scroller), GTK_SHADOW_IN);
  gtk_widget_set_size_request(run.scroller, kListWidth, kListHeight);
  GtkWidget* list = history_list(lines, run);
  // Large text for low vision: the lines a size up, their list as wide.
  if (settings_ && settings_->settings().large_text)
    gtk_style_context_add_class(gtk_widget_get_style_context(list), "large");
  gtk_container_add(GTK_CONTAINER(run.scroller), list);
  gtk_container_add(GTK_CONTAINER(run.window), run.scroller);

  GtkAdjustment* adj = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(run.scroller));
  const gulong changed = g_signal_connect(adj, "changed", G_CALLBACK(on_adjustment_changed), &run);
  const gulong moved =
      g_signal_connect(adj, "value-changed", G_CALLBACK(on_adjustment_changed), &run);
  g_signal_connect(run.scroller, "scroll-event", G_CALLBACK(on_list_scroll), &run);
  g_signal_connect(gtk_scrolled_window_get_vscrollbar(GTK_SCROLLED_WINDOW(run.scroller)),
                   "button-press-event", G_CALLBACK(on_scrollbar_press), &run);
  g_signal_connect(run.window, "key-press-event", G_CALLBACK(on_key), &run);
  g_signal_connect(run.window, "button-press-event", G_CALLBACK(on_press), &run);
  g_signal_connect(run.window, "delete-event", G_CALLBACK(on_delete), &run);
  gtk_widget_add_events(run.window, GDK_BUTTON_PRESS_MASK);

  gtk_widget_show_all(run.window);
  // A nested loop, like a dialog's: events for the main window only queue
  // there, and the grab keeps the player's input here.
  while (!run.closed && !window_.close_queued()) gtk_main_iteration_do(TRUE);

  g_signal_handler_disconnect(adj, changed);
  g_signal_handler_disconnect(adj, moved);
  gtk_widget_destroy(run.window);
  return run.picked;
}

}  // namespace vm
