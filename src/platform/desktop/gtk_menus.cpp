// The main window's menu bar: built once, captions, ticks and what is
// enabled set by the game, a chosen item queued as a Menu event.
#include "platform/desktop/gtk_window.h"

namespace vm {

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

// NOLINTNEXTLINE(bugprone-easily-swappable-parameters): name, then text, as every menu call
void GtkMainWindow::set_menu_note(const std::string& name, const std::string& note) {
  auto it = menu_items_.find(name);
  if (it == menu_items_.end()) return;
  gtk_widget_set_tooltip_text(it->second, note.empty() ? nullptr : gtk_text(note).c_str());
}

bool GtkMainWindow::menu_item_enabled(const std::string& name) const {
  auto it = menu_items_.find(name);
  return it != menu_items_.end() && gtk_widget_get_sensitive(it->second);
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

void GtkMainWindow::on_menu_activate(GtkMenuItem* item, gpointer self) {
  auto* w = static_cast<GtkMainWindow*>(self);
  guarded(w->failures_, "the menu", [&] {
    const char* name = static_cast<const char*>(g_object_get_data(G_OBJECT(item), "vm-name"));
    if (!name) return;
    // The toolkit has just flipped the tick; the game decides what it shows.
    if (GTK_IS_CHECK_MENU_ITEM(item)) w->set_menu_checked(name, w->checked_[name]);
    InputEvent e;
    e.kind = InputEvent::Menu;
    e.name = name;
    w->queue(std::move(e));
  });
}

}  // namespace vm
