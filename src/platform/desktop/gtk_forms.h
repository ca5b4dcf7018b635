// Secondary windows on GTK 3 (internal to platform/desktop): a toplevel with
// a fixed layout of labels, buttons, option buttons, check boxes, a scroll
// bar, lists, pictures and links. Toolkit callbacks only post events to the
// main window's queue.
#pragma once

#include "platform/desktop/gtk_window.h"
#include "platform/forms.h"

namespace vm {

class GtkForms : public Forms {
 public:
  explicit GtkForms(GtkMainWindow& main) : main_(main) {}
  std::unique_ptr<Form> open(const FormSpec& spec) override;
  void set_main_enabled(bool enabled) override { main_.set_input_enabled(enabled); }

 private:
  GtkMainWindow& main_;
  int next_id_ = 1;
};

}  // namespace vm
