#include "platform/desktop/gtk_forms.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <stdexcept>

#include "platform/errors.h"

namespace vm {

namespace {

std::string css_colour(uint32_t c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%06X", c & 0xFFFFFFu);
  return buf;
}

// Attaches the colours to one widget only (a provider on its own context
// does not reach its children).
GtkCssProvider* apply_css(GtkWidget* w, GtkCssProvider* old, const std::string& css) {
  GtkStyleContext* ctx = gtk_widget_get_style_context(w);
  if (old) {
    gtk_style_context_remove_provider(ctx, GTK_STYLE_PROVIDER(old));
    g_object_unref(old);
  }
  if (css.empty()) return nullptr;
  GtkCssProvider* p = gtk_css_provider_new();
  gtk_css_provider_load_from_data(p, css.c_str(), -1, nullptr);
  gtk_style_context_add_provider(ctx, GTK_STYLE_PROVIDER(p),
                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  return p;
}

cairo_surface_t* to_cairo(const Image& img) {
  if (img.w <= 0 || img.h <= 0) return nullptr;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, img.w, img.h);
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < img.h; ++y)
    std::memcpy(data + static_cast<size_t>(y) * stride, &img.px[static_cast<size_t>(y) * img.w],
                static_cast<size_t>(img.w) * 4);
  cairo_surface_mark_dirty(s);
  return s;
}

}  // namespace

class GtkForm : public Form {
 public:
  GtkForm(GtkMainWindow& main, int id, const FormSpec& spec);
  ~GtkForm() override;
  GtkForm(const GtkForm&) = delete;
  GtkForm& operator=(const GtkForm&) = delete;

  int id() const override { return id_; }
  void set_sink(EventSink* sink) override { main_.register_form(id_, sink); }
  void set_text(const std::string& control, const std::string& text) override;
  void set_colours(const std::string& control, uint32_t fore, uint32_t back) override;
  void set_enabled(const std::string& control, bool enabled) override {
    gtk_widget_set_sensitive(get(control).outer, enabled);
  }
  void set_visible(const std::string& control, bool visible) override {
    gtk_widget_set_visible(get(control).outer, visible);
  }
  void set_value(const std::string& control, int value) override;
  int value(const std::string& control) const override;
  void set_picture(const std::string& control, const Image& picture) override;
  void set_rows(const std::string& control, const std::vector<std::string>& rows) override;
  void raise() override { gtk_window_present(GTK_WINDOW(window_)); }

 private:
  struct Ctl {
    GtkForm* owner = nullptr;
    ControlSpec spec;
    GtkWidget* outer = nullptr;  // placed in the parent's fixed layout
    GtkWidget* inner = nullptr;  // the label, the list box, the drawing area
    GtkWidget* fixed = nullptr;  // Panel, Frame: where their children go
    GtkCssProvider* outer_css = nullptr;
    GtkCssProvider* inner_css = nullptr;
    cairo_surface_t* picture = nullptr;
    int value = 0;
  };

  Ctl& get(const std::string& name) const {
    auto it = ctls_.find(name);
    if (it == ctls_.end()) throw DataError("", 0, "", "form has no control " + name);
    return *it->second;
  }
  void build(Ctl& c);
  void set_up_keys(const FormSpec& spec);
  // Where the keyboard focus goes for the control: a list's chosen row (or
  // its first), so that the focus shows on a line the arrow keys move from.
  static GtkWidget* focus_widget(const Ctl& c);
  // Puts the focus on the control; false when it did not take it.
  bool take_focus(const Ctl& c);
  // The control's widgets, by its kind, with their signals connected.
  void make_widget(Ctl& c, const std::string& text);
  static void make_label(Ctl& c, const std::string& text);
  static void make_list(Ctl& c);
  // The control tells when it gets the keyboard focus or the pointer.
  static void watch_focus(Ctl& c);
  void post(const Ctl& c, int value);
  void post_focus(const Ctl& c);
  void apply_colours(Ctl& c);

  // The keyboard, the same in every window (see FormSpec).
  std::vector<Ctl*> tab_stops() const;
  Ctl* focused_control() const;
  bool on_key_press(const GdkEventKey& ev);
  void move_focus(Ctl* at, bool back);
  bool on_scroll_key(Ctl& c, guint key);
  void post_close();
  static gboolean on_key(GtkWidget*, GdkEventKey* ev, gpointer self);
  static gboolean on_delete(GtkWidget*, GdkEvent*, gpointer self);
  static gboolean on_press(GtkWidget*, GdkEventButton* ev, gpointer ctl);
  static void on_clicked(GtkButton*, gpointer ctl);
  static void on_toggled(GtkToggleButton* b, gpointer ctl);
  static void on_scrolled(GtkRange* r, gpointer ctl);
  static void on_row(GtkListBox*, GtkListBoxRow* row, gpointer ctl);
  static gboolean on_link(GtkLinkButton*, gpointer ctl);
  static gboolean on_draw_picture(GtkWidget*, cairo_t* cr, gpointer ctl);
  static gboolean on_focus_in(GtkWidget*, GdkEventFocus*, gpointer ctl);
  static gboolean on_enter(GtkWidget*, GdkEventCrossing* ev, gpointer ctl);

  // Where its callbacks report what stopped them: the main window's guard.
  CallbackFailures& failures() const { return main_.callback_failures(); }

  GtkMainWindow& main_;
  int id_;
  GtkWidget* window_ = nullptr;
  GtkWidget* root_ = nullptr;
  std::map<std::string, std::unique_ptr<Ctl>> ctls_;
  std::map<std::string, GSList*> radio_groups_;
  std::vector<Ctl*> tab_order_;  // every control Tab may reach, in order
  std::string enter_button_;
  bool updating_ = false;  // changes made by the game send no events
  bool closing_ = false;
};

GtkForm::GtkForm(GtkMainWindow& main, int id, const FormSpec& spec) : main_(main), id_(id) {
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  g_object_ref_sink(window_);
  gtk_window_set_title(GTK_WINDOW(window_), gtk_text(spec.caption).c_str());
  gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
  gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_DIALOG);
  if (GtkWindow* parent = main_.parent_for_dialogs()) {
    gtk_window_set_transient_for(GTK_WINDOW(window_), parent);
    gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER_ON_PARENT);
  } else {
    gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER);
  }
  if (spec.topmost) gtk_window_set_keep_above(GTK_WINDOW(window_), TRUE);
  root_ = gtk_fixed_new();
  gtk_widget_set_size_request(root_, spec.width, spec.height);
  gtk_container_add(GTK_CONTAINER(window_), root_);
  g_signal_connect(window_, "delete-event", G_CALLBACK(on_delete), this);

  updating_ = true;
  for (const ControlSpec& cs : spec.controls) {
    auto c = std::make_unique<Ctl>();
    c->owner = this;
    c->spec = cs;
    c->value = cs.value;
    Ctl& ref = *c;
    ctls_[cs.name] = std::move(c);
    build(ref);
  }
  gtk_widget_show_all(root_);
  for (auto& [name, c] : ctls_) {
    if (!c->spec.visible) gtk_widget_hide(c->outer);
    if (!c->spec.enabled) gtk_widget_set_sensitive(c->outer, FALSE);
  }
  set_up_keys(spec);
  updating_ = false;
  gtk_widget_show(window_);
  const std::vector<Ctl*> stops = tab_stops();
  for (Ctl* c : stops)
    if (take_focus(*c)) break;
}

GtkForm::~GtkForm() {
  closing_ = true;
  main_.unregister_form(id_);
  g_signal_handlers_disconnect_by_data(window_, this);
  for (auto& [name, c] : ctls_) {
    if (c->outer) g_signal_handlers_disconnect_by_data(c->outer, c.get());
    if (c->inner) g_signal_handlers_disconnect_by_data(c->inner, c.get());
  }
  gtk_widget_destroy(window_);
  g_object_unref(window_);
  for (auto& [name, c] : ctls_) {
    if (c->outer_css) g_object_unref(c->outer_css);
    if (c->inner_css) g_object_unref(c->inner_css);
    if (c->picture) cairo_surface_destroy(c->picture);
  }
}

void GtkForm::build(Ctl& c) {
  const ControlSpec& s = c.spec;
  GtkWidget* parent = root_;
  if (!s.parent.empty()) {
    auto it = ctls_.find(s.parent);
    if (it == ctls_.end() || !it->second->fixed)
      throw DataError("", 0, "", "control " + s.name + " names no panel " + s.parent);
    parent = it->second->fixed;
  }
  make_widget(c, gtk_text(s.caption));
  watch_focus(c);
  gtk_widget_set_size_request(c.outer, std::max(1, s.w), std::max(1, s.h));
  gtk_fixed_put(GTK_FIXED(parent), c.outer, s.x, s.y);
  apply_colours(c);
}

void GtkForm::make_label(Ctl& c, const std::string& text) {
  c.outer = gtk_event_box_new();
  c.inner = gtk_label_new(text.c_str());
  gtk_label_set_line_wrap(GTK_LABEL(c.inner), TRUE);
  // A label with a box colour is a notice: its text stands in the middle.
  const bool boxed = c.spec.back != ControlSpec::kDefaultColour;
  gtk_label_set_xalign(GTK_LABEL(c.inner), boxed ? 0.5f : 0.0f);
  gtk_label_set_justify(GTK_LABEL(c.inner), boxed ? GTK_JUSTIFY_CENTER : GTK_JUSTIFY_LEFT);
  gtk_container_add(GTK_CONTAINER(c.outer), c.inner);
  gtk_widget_add_events(c.outer, GDK_BUTTON_PRESS_MASK);
  g_signal_connect(c.outer, "button-press-event", G_CALLBACK(on_press), &c);
}

void GtkForm::make_list(Ctl& c) {
  c.outer = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(c.outer), GTK_POLICY_NEVER, GTK_POLICY_ALWAYS);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(c.outer), GTK_SHADOW_IN);
  c.inner = gtk_list_box_new();
  gtk_container_add(GTK_CONTAINER(c.outer), c.inner);
  gtk_container_set_focus_vadjustment(
      GTK_CONTAINER(c.inner), gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(c.outer)));
  g_signal_connect(c.inner, "row-activated", G_CALLBACK(on_row), &c);
}

void GtkForm::make_widget(Ctl& c, const std::string& text) {
  const ControlSpec& s = c.spec;
  switch (s.kind) {
    case ControlSpec::Label:
      make_label(c, text);
      break;
    case ControlSpec::Button:
      c.outer = gtk_button_new_with_label(text.c_str());
      g_signal_connect(c.outer, "clicked", G_CALLBACK(on_clicked), &c);
      break;
    case ControlSpec::Option: {
      GSList*& group = radio_groups_[s.group];
      c.outer = gtk_radio_button_new_with_label(group, text.c_str());
      group = gtk_radio_button_get_group(GTK_RADIO_BUTTON(c.outer));
      gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(c.outer), s.value != 0);
      g_signal_connect(c.outer, "toggled", G_CALLBACK(on_toggled), &c);
      break;
    }
    case ControlSpec::Check:
      c.outer = gtk_check_button_new_with_label(text.c_str());
      gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(c.outer), s.value != 0);
      g_signal_connect(c.outer, "toggled", G_CALLBACK(on_toggled), &c);
      break;
    case ControlSpec::Scroll: {
      GtkAdjustment* adj = gtk_adjustment_new(s.value, s.min, s.max, 1, 10, 0);
      c.outer = gtk_scrollbar_new(GTK_ORIENTATION_HORIZONTAL, adj);
      // A bar is set from the keys as well as by the pointer (on_scroll_key).
      gtk_widget_set_can_focus(c.outer, TRUE);
      g_signal_connect(c.outer, "value-changed", G_CALLBACK(on_scrolled), &c);
      break;
    }
    case ControlSpec::List:
      make_list(c);
      break;
    case ControlSpec::Picture:
      c.outer = gtk_drawing_area_new();
      c.picture = to_cairo(s.picture);
      gtk_widget_add_events(c.outer, GDK_BUTTON_PRESS_MASK);
      g_signal_connect(c.outer, "draw", G_CALLBACK(on_draw_picture), &c);
      g_signal_connect(c.outer, "button-press-event", G_CALLBACK(on_press), &c);
      break;
    case ControlSpec::Link:
      c.outer = gtk_link_button_new_with_label(text.c_str(), text.c_str());
      g_signal_connect(c.outer, "activate-link", G_CALLBACK(on_link), &c);
      break;
    case ControlSpec::Panel:
      c.outer = gtk_event_box_new();
      c.fixed = gtk_fixed_new();
      gtk_container_add(GTK_CONTAINER(c.outer), c.fixed);
      break;
    case ControlSpec::Frame:
      c.outer = gtk_frame_new(text.c_str());
      c.fixed = gtk_fixed_new();
      gtk_container_add(GTK_CONTAINER(c.outer), c.fixed);
      break;
  }
}

void GtkForm::apply_colours(Ctl& c) {
  const ControlSpec& s = c.spec;
  const bool fore = s.fore != ControlSpec::kDefaultColour;
  const bool back = s.back != ControlSpec::kDefaultColour;
  if (c.spec.kind == ControlSpec::Label || c.spec.kind == ControlSpec::Panel) {
    // Without a box colour a label is see-through: the window's picture
    // shows behind its text.
    gtk_event_box_set_visible_window(GTK_EVENT_BOX(c.outer), back);
    c.outer_css = apply_css(
        c.outer, c.outer_css,
        back ? "* { background-color: " + css_colour(s.back) + "; background-image: none; }" : "");
  }
  GtkWidget* text_widget = c.inner ? c.inner : c.outer;
  if (c.spec.kind == ControlSpec::Button || c.spec.kind == ControlSpec::Check ||
      c.spec.kind == ControlSpec::Option || c.spec.kind == ControlSpec::Link)
    text_widget = gtk_bin_get_child(GTK_BIN(c.outer));
  if (c.spec.kind == ControlSpec::Frame)
    text_widget = gtk_frame_get_label_widget(GTK_FRAME(c.outer));
  std::string css;
  if (fore) css += "color: " + css_colour(s.fore) + "; ";
  if (s.font_points > 0) css += "font-size: " + std::to_string(s.font_points) + "pt; ";
  if (text_widget && GTK_IS_LABEL(text_widget))
    c.inner_css = apply_css(text_widget, c.inner_css, css.empty() ? "" : "* { " + css + "}");
}

void GtkForm::set_text(const std::string& control, const std::string& text) {
  Ctl& c = get(control);
  c.spec.caption = text;
  const std::string t = gtk_text(text);
  switch (c.spec.kind) {
    case ControlSpec::Label:
      gtk_label_set_text(GTK_LABEL(c.inner), t.c_str());
      break;
    case ControlSpec::Button:
    case ControlSpec::Option:
    case ControlSpec::Check:
    case ControlSpec::Link:
      gtk_button_set_label(GTK_BUTTON(c.outer), t.c_str());
      apply_colours(c);  // the new label widget takes the text colour
      break;
    case ControlSpec::Frame:
      gtk_frame_set_label(GTK_FRAME(c.outer), t.c_str());
      apply_colours(c);
      break;
    default:
      break;
  }
}

void GtkForm::set_colours(const std::string& control, uint32_t fore, uint32_t back) {
  Ctl& c = get(control);
  c.spec.fore = fore;
  c.spec.back = back;
  apply_colours(c);
}

void GtkForm::set_value(const std::string& control, int value) {
  Ctl& c = get(control);
  updating_ = true;
  switch (c.spec.kind) {
    case ControlSpec::Option:
    case ControlSpec::Check:
      gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(c.outer), value != 0);
      c.value = value != 0;
      break;
    case ControlSpec::Scroll:
      c.value = std::clamp(value, c.spec.min, c.spec.max);
      gtk_range_set_value(GTK_RANGE(c.outer), c.value);
      break;
    case ControlSpec::List: {
      c.value = value;
      GtkListBoxRow* row =
          value >= 0 ? gtk_list_box_get_row_at_index(GTK_LIST_BOX(c.inner), value) : nullptr;
      gtk_list_box_select_row(GTK_LIST_BOX(c.inner), row);
      if (row) gtk_widget_grab_focus(GTK_WIDGET(row));  // scrolls it into view
      break;
    }
    default:
      c.value = value;
      break;
  }
  updating_ = false;
}

int GtkForm::value(const std::string& control) const {
  const Ctl& c = get(control);
  switch (c.spec.kind) {
    case ControlSpec::Option:
    case ControlSpec::Check:
      return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(c.outer)) ? 1 : 0;
    case ControlSpec::Scroll:
      return static_cast<int>(std::lround(gtk_range_get_value(GTK_RANGE(c.outer))));
    default:
      return c.value;
  }
}

void GtkForm::set_picture(const std::string& control, const Image& picture) {
  Ctl& c = get(control);
  if (c.spec.kind != ControlSpec::Picture) return;
  if (c.picture) cairo_surface_destroy(c.picture);
  c.picture = to_cairo(picture);
  gtk_widget_queue_draw(c.outer);
}

void GtkForm::set_rows(const std::string& control, const std::vector<std::string>& rows) {
  Ctl& c = get(control);
  if (c.spec.kind != ControlSpec::List) return;
  GList* children = gtk_container_get_children(GTK_CONTAINER(c.inner));
  for (GList* l = children; l; l = l->next) gtk_widget_destroy(GTK_WIDGET(l->data));
  g_list_free(children);
  for (const std::string& r : rows) {
    GtkWidget* label = gtk_label_new(gtk_text(r).c_str());
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    gtk_widget_set_margin_start(label, 4);
    gtk_widget_set_margin_end(label, 4);
    gtk_widget_set_margin_top(label, 2);
    gtk_widget_set_margin_bottom(label, 2);
    gtk_container_add(GTK_CONTAINER(c.inner), label);
  }
  gtk_widget_show_all(c.inner);
}

void GtkForm::watch_focus(Ctl& c) {
  if (c.spec.kind == ControlSpec::Panel || c.spec.kind == ControlSpec::Frame) return;
  gtk_widget_add_events(c.outer, GDK_ENTER_NOTIFY_MASK | GDK_FOCUS_CHANGE_MASK);
  g_signal_connect(c.outer, "focus-in-event", G_CALLBACK(on_focus_in), &c);
  g_signal_connect(c.outer, "enter-notify-event", G_CALLBACK(on_enter), &c);
}

void GtkForm::post_focus(const Ctl& c) {
  if (updating_ || closing_) return;
  InputEvent e;
  e.kind = InputEvent::Focus;
  e.form = id_;
  e.name = c.spec.name;
  main_.post(std::move(e));
}

void GtkForm::post(const Ctl& c, int value) {
  if (updating_ || closing_) return;
  InputEvent e;
  e.kind = InputEvent::Control;
  e.form = id_;
  e.name = c.spec.name;
  e.value = value;
  main_.post(std::move(e));
}

// ------------------------------------------------------ toolkit callbacks ---
// Each one only posts an event, inside the one guard (callback_guard.h):
// nothing may throw through the C code.

gboolean GtkForm::on_delete(GtkWidget*, GdkEvent*, gpointer self) {
  auto* f = static_cast<GtkForm*>(self);
  return guarded(f->failures(), "a window's close box", TRUE, [&]() -> gboolean {
    if (!f->closing_) f->post_close();
    return TRUE;  // the game closes the window when it is done with it
  });
}

gboolean GtkForm::on_press(GtkWidget*, GdkEventButton* ev, gpointer ctl) {
  auto* c = static_cast<Ctl*>(ctl);
  return guarded(c->owner->failures(), "a window's label", TRUE, [&]() -> gboolean {
    if (ev->type != GDK_BUTTON_PRESS) return TRUE;
    c->owner->post(*c, 0);
    return TRUE;
  });
}

void GtkForm::on_clicked(GtkButton*, gpointer ctl) {
  auto* c = static_cast<Ctl*>(ctl);
  guarded(c->owner->failures(), "a window's button", [&] { c->owner->post(*c, 0); });
}

void GtkForm::on_toggled(GtkToggleButton* b, gpointer ctl) {
  auto* c = static_cast<Ctl*>(ctl);
  guarded(c->owner->failures(), "a window's option", [&] {
    const bool active = gtk_toggle_button_get_active(b);
    c->value = active ? 1 : 0;
    // An option button reports being chosen, not being left.
    if (c->spec.kind == ControlSpec::Option && !active) return;
    c->owner->post(*c, c->value);
  });
}

void GtkForm::on_scrolled(GtkRange* r, gpointer ctl) {
  auto* c = static_cast<Ctl*>(ctl);
  guarded(c->owner->failures(), "a window's scroll bar", [&] {
    const int v = static_cast<int>(std::lround(gtk_range_get_value(r)));
    if (v == c->value) return;  // a drag within one step
    c->value = v;
    c->owner->post(*c, v);
  });
}

void GtkForm::on_row(GtkListBox*, GtkListBoxRow* row, gpointer ctl) {
  auto* c = static_cast<Ctl*>(ctl);
  guarded(c->owner->failures(), "a window's list", [&] {
    c->value = gtk_list_box_row_get_index(row);
    c->owner->post(*c, c->value);
  });
}

gboolean GtkForm::on_link(GtkLinkButton*, gpointer ctl) {
  auto* c = static_cast<Ctl*>(ctl);
  return guarded(c->owner->failures(), "a window's link", TRUE, [&]() -> gboolean {
    c->owner->post(*c, 0);
    return TRUE;  // the game opens the target, not the toolkit
  });
}

gboolean GtkForm::on_draw_picture(GtkWidget*, cairo_t* cr, gpointer ctl) {
  auto* c = static_cast<Ctl*>(ctl);
  return guarded(c->owner->failures(), "a window's picture", TRUE, [&]() -> gboolean {
    if (c->picture) {
      cairo_set_source_surface(cr, c->picture, 0, 0);
      cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
      cairo_paint(cr);
    }
    return TRUE;
  });
}

gboolean GtkForm::on_focus_in(GtkWidget*, GdkEventFocus*, gpointer ctl) {
  auto* c = static_cast<Ctl*>(ctl);
  return guarded(c->owner->failures(), "a window's focus", FALSE, [&]() -> gboolean {
    c->owner->post_focus(*c);
    return FALSE;  // the toolkit draws the focus as usual
  });
}

gboolean GtkForm::on_enter(GtkWidget*, GdkEventCrossing* ev, gpointer ctl) {
  auto* c = static_cast<Ctl*>(ctl);
  return guarded(c->owner->failures(), "a window's pointer", FALSE, [&]() -> gboolean {
    // Coming back out of a part of the same control is no new arrival.
    if (ev->detail != GDK_NOTIFY_INFERIOR) {
      c->owner->post_focus(*c);
    }
    return FALSE;
  });
}

// ------------------------------------------------------------ the keyboard ---

void GtkForm::set_up_keys(const FormSpec& spec) {
  enter_button_ = spec.enter_button;
  auto focusable = [](const Ctl& c) {
    const ControlSpec::Kind k = c.spec.kind;
    return k == ControlSpec::Button || k == ControlSpec::Option || k == ControlSpec::Check ||
           k == ControlSpec::Scroll || k == ControlSpec::List || k == ControlSpec::Link;
  };
  if (spec.tab_order.empty()) {
    for (const ControlSpec& cs : spec.controls)
      if (focusable(get(cs.name))) tab_order_.push_back(&get(cs.name));
  } else {
    for (const std::string& name : spec.tab_order)
      if (ctls_.count(name)) tab_order_.push_back(&get(name));
  }
  for (Ctl* c : tab_order_) {
    // A label the keys reach is focusable.
    const ControlSpec::Kind k = c->spec.kind;
    if (k == ControlSpec::Label) gtk_widget_set_can_focus(c->outer, TRUE);
    show_focus(k == ControlSpec::List ? c->inner : c->outer,
               k == ControlSpec::Label || k == ControlSpec::Scroll);
  }
  g_signal_connect(window_, "key-press-event", G_CALLBACK(on_key), this);
}

GtkWidget* GtkForm::focus_widget(const Ctl& c) {
  if (c.spec.kind != ControlSpec::List) return c.outer;
  GtkListBox* list = GTK_LIST_BOX(c.inner);
  GtkListBoxRow* row = gtk_list_box_get_selected_row(list);
  if (!row) row = gtk_list_box_get_row_at_index(list, 0);
  return row ? GTK_WIDGET(row) : c.inner;
}

bool GtkForm::take_focus(const Ctl& c) {
  gtk_widget_grab_focus(focus_widget(c));
  GtkWidget* f = gtk_window_get_focus(GTK_WINDOW(window_));
  return f && (f == c.outer || gtk_widget_is_ancestor(f, c.outer));
}

std::vector<GtkForm::Ctl*> GtkForm::tab_stops() const {
  std::vector<Ctl*> stops;
  for (Ctl* c : tab_order_)
    if (gtk_widget_is_visible(c->outer) && gtk_widget_is_sensitive(c->outer)) stops.push_back(c);
  return stops;
}

GtkForm::Ctl* GtkForm::focused_control() const {
  GtkWidget* f = gtk_window_get_focus(GTK_WINDOW(window_));
  if (!f) return nullptr;
  for (auto& [name, c] : ctls_)
    if (f == c->outer || gtk_widget_is_ancestor(f, c->outer)) {
      if (c->spec.kind != ControlSpec::Panel && c->spec.kind != ControlSpec::Frame) return c.get();
    }
  return nullptr;
}

void GtkForm::post_close() {
  InputEvent e;
  e.kind = InputEvent::FormClose;
  e.form = id_;
  main_.post(std::move(e));
}

bool GtkForm::on_key_press(const GdkEventKey& ev) {
  const guint k = ev.keyval;
  if (k == GDK_KEY_Escape) {
    if (!closing_) post_close();
    return true;
  }
  Ctl* at = focused_control();
  if (k == GDK_KEY_Tab || k == GDK_KEY_ISO_Left_Tab || k == GDK_KEY_KP_Tab) {
    move_focus(at, k == GDK_KEY_ISO_Left_Tab || (ev.state & GDK_SHIFT_MASK) != 0);
    return true;
  }
  if (at && at->spec.kind == ControlSpec::Scroll && on_scroll_key(*at, k)) return true;
  const bool enter = k == GDK_KEY_Return || k == GDK_KEY_KP_Enter || k == GDK_KEY_ISO_Enter;
  const bool space = k == GDK_KEY_space || k == GDK_KEY_KP_Space;
  if (!enter && !space) return false;
  if (at && at->spec.kind == ControlSpec::Label) {
    post(*at, 0);  // a slot row, as a click on it
    return true;
  }
  // Buttons, links and lists act on their own keys; the space toggles a box.
  if (at && (at->spec.kind == ControlSpec::Button || at->spec.kind == ControlSpec::Link ||
             at->spec.kind == ControlSpec::List || space))
    return false;
  auto ok = ctls_.find(enter_button_);
  if (ok == ctls_.end() || !gtk_widget_is_visible(ok->second->outer) ||
      !gtk_widget_is_sensitive(ok->second->outer))
    return false;
  post(*ok->second, 0);
  return true;
}

// Tab and Shift+Tab go round the window's stops in their order. A stop that
// does not take the focus is passed over, so the keys are never held on the
// one before it.
void GtkForm::move_focus(Ctl* at, bool back) {
  const std::vector<Ctl*> stops = tab_stops();
  const auto n = static_cast<long>(stops.size());
  if (n == 0) return;
  long i = std::find(stops.begin(), stops.end(), at) - stops.begin();
  if (i >= n) i = back ? 0 : n - 1;  // from outside the stops: the first, or the last
  for (long step = 1; step <= n; ++step) {
    const long to = ((i + (back ? -step : step)) % n + n) % n;
    if (take_focus(*stops[static_cast<size_t>(to)])) return;
  }
}

// A focused bar moves as a slider does: the arrows by one step (Right and
// Up towards the larger value), Page Up and Page Down by a page, Home and
// End to its ends. The change reaches the game as a drag would.
bool GtkForm::on_scroll_key(Ctl& c, guint key) {
  GtkAdjustment* adj = gtk_range_get_adjustment(GTK_RANGE(c.outer));
  const double step = gtk_adjustment_get_step_increment(adj);
  const double page = gtk_adjustment_get_page_increment(adj);
  double to = gtk_adjustment_get_value(adj);
  switch (key) {
    case GDK_KEY_Right:
    case GDK_KEY_KP_Right:
    case GDK_KEY_Up:
    case GDK_KEY_KP_Up:
      to += step;
      break;
    case GDK_KEY_Left:
    case GDK_KEY_KP_Left:
    case GDK_KEY_Down:
    case GDK_KEY_KP_Down:
      to -= step;
      break;
    case GDK_KEY_Page_Up:
    case GDK_KEY_KP_Page_Up:
      to += page;
      break;
    case GDK_KEY_Page_Down:
    case GDK_KEY_KP_Page_Down:
      to -= page;
      break;
    case GDK_KEY_Home:
    case GDK_KEY_KP_Home:
      to = c.spec.min;
      break;
    case GDK_KEY_End:
    case GDK_KEY_KP_End:
      to = c.spec.max;
      break;
    default:
      return false;
  }
  gtk_range_set_value(GTK_RANGE(c.outer), std::clamp(to, double(c.spec.min), double(c.spec.max)));
  return true;
}

gboolean GtkForm::on_key(GtkWidget*, GdkEventKey* ev, gpointer self) {
  auto* f = static_cast<GtkForm*>(self);
  return guarded(f->failures(), "a window's key press", TRUE, [&]() -> gboolean {
    return static_cast<GtkForm*>(self)->on_key_press(*ev) ? TRUE : FALSE;
  });
}

std::unique_ptr<Form> GtkForms::open(const FormSpec& spec) {
  return std::make_unique<GtkForm>(main_, next_id_++, spec);
}

}  // namespace vm
