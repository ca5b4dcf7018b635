// The secondary windows beside the main one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/image.h"
#include "platform/input.h"

namespace vm {

// Small tool windows beside the main window (the slot window, the options
// window, the About box, the message history): a fixed layout of controls
// named by code name. Whatever the player does in one arrives as an
// InputEvent (Control, or FormClose for its close box) through the same queue
// as the main window's events and is handed to the window's own sink from
// do_events/wait_events, never from inside a toolkit callback.

struct ControlSpec {
  enum Kind {
    Label,    // text; clickable (Control, value 0); back colour paints its box
    Button,   // push button (Control, value 0)
    Option,   // option button; those sharing a group exclude each other
              // (Control when chosen, value 1)
    Check,    // check box (Control, value 0 or 1 after the change)
    Scroll,   // horizontal scroll bar min..max (Control, value the position)
    List,     // scrolling list of text rows (Control, value the row clicked)
    Picture,  // an Image shown as it is; clickable (Control, value 0)
    Link,     // text looking like a link; the game decides what it opens
    Panel,    // a plain box (back colour) holding the controls that name it
    Frame,    // a captioned group box holding the controls that name it
  };
  Kind kind = Label;
  std::string name;                // code name, unique in its window: "fBtn(3)", "Label4"
  std::string caption;             // text of a Label, Button, Option, Check, Link, Frame
  int x = 0, y = 0, w = 0, h = 0;  // in pixels, relative to the parent
  std::string parent;              // name of the Panel or Frame it lies in; "" the window
  std::string group;               // Option: the group it belongs to
  int value = 0;                   // Option/Check 0 or 1, Scroll position, List row (-1)
  int font_points = 0;             // text size; 0 the desktop's
  int min = 0, max = 100;          // Scroll range
  bool enabled = true;
  bool visible = true;
  uint32_t fore = kDefaultColour;  // text colour, 0x00RRGGBB
  uint32_t back = kDefaultColour;  // box colour (Label, Panel)
  Image picture;                   // Picture
  // Read aloud before the control's caption (a slot row's number), "" none.
  std::string spoken_prefix;

  static constexpr uint32_t kDefaultColour = 0xFFFFFFFFu;  // the desktop's own

  // A control of a kind, name and place; the rest is set on the result.
  static ControlSpec at(Kind kind, std::string name, int x, int y, int w, int h,
                        std::string caption = "", std::string parent = "") {
    ControlSpec c;
    c.kind = kind;
    c.name = std::move(name);
    c.caption = std::move(caption);
    c.x = x;
    c.y = y;
    c.w = w;
    c.h = h;
    c.parent = std::move(parent);
    return c;
  }
};

struct FormSpec {
  std::string name;     // code name: "File_Window"
  std::string caption;  // title bar
  int width = 0, height = 0;
  bool topmost = false;               // kept above every other window
  std::vector<ControlSpec> controls;  // a parent before its children; later ones lie on top
  // The keyboard, the same in every window: Tab visits the controls named
  // here in this order (reading order), or when there are none the buttons,
  // boxes, bars, lists and links in the order listed; a label named here is
  // reached too and acts as a click. Enter activates the focused button or
  // label, and elsewhere presses enter_button (the window's OK); Escape is
  // the close box (Close or Cancel).
  std::vector<std::string> tab_order;
  std::string enter_button;
};

// One open secondary window; destroying the object closes it.
class Form {
 public:
  virtual ~Form() = default;
  virtual int id() const = 0;
  // Receives this window's Control and FormClose events (nullptr: dropped).
  virtual void set_sink(EventSink* sink) = 0;
  virtual void set_text(const std::string& control, const std::string& text) = 0;
  virtual void set_colours(const std::string& control, uint32_t fore, uint32_t back) = 0;
  virtual void set_enabled(const std::string& control, bool enabled) = 0;
  virtual void set_visible(const std::string& control, bool visible) = 0;
  // Option/Check 0 or 1, Scroll position, List selected row (-1 none; the
  // row is scrolled into view). Sends no event.
  virtual void set_value(const std::string& control, int value) = 0;
  virtual int value(const std::string& control) const = 0;
  virtual void set_picture(const std::string& control, const Image& picture) = 0;
  virtual void set_rows(const std::string& control, const std::vector<std::string>& rows) = 0;
  // Brings the window in front of the others (one chosen again while open).
  virtual void raise() = 0;
};

class Forms {
 public:
  virtual ~Forms() = default;
  // Builds the window and shows it (not modal).
  virtual std::unique_ptr<Form> open(const FormSpec& spec) = 0;
  // While disabled the main window takes no mouse, key or menu input (what
  // arrives is dropped); a close request still reaches the game.
  virtual void set_main_enabled(bool enabled) = 0;
};

}  // namespace vm
