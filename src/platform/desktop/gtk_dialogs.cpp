#include <initializer_list>

#include "platform/desktop/gtk_window.h"

namespace vm {

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

// The dialog's buttons for these answers show the focus as the game's own
// windows do.
void show_button_focus(GtkWidget* d, std::initializer_list<int> responses) {
  for (int r : responses)
    if (GtkWidget* b = gtk_dialog_get_widget_for_response(GTK_DIALOG(d), r)) show_focus(b, false);
}

}  // namespace

Answer GtkDialogs::message_box(const std::string& text, Buttons buttons) {
  const bool yes_no = buttons == Buttons::YesNo;
  GtkWindow* parent = window_.parent_for_dialogs();
  GtkWidget* d = gtk_message_dialog_new(
      parent, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
      GTK_MESSAGE_OTHER, yes_no ? GTK_BUTTONS_YES_NO : GTK_BUTTONS_OK, "%s",
      gtk_text(text).c_str());
  gtk_window_set_title(GTK_WINDOW(d), gtk_text(window_.app_name()).c_str());
  gtk_window_set_position(GTK_WINDOW(d),
                          parent ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
  gtk_dialog_set_default_response(GTK_DIALOG(d), yes_no ? GTK_RESPONSE_NO : GTK_RESPONSE_OK);
  show_button_focus(d, {GTK_RESPONSE_YES, GTK_RESPONSE_NO, GTK_RESPONSE_OK});
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
  show_button_focus(d, {GTK_RESPONSE_OK, GTK_RESPONSE_CANCEL});

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
