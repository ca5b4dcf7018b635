#include "message/message.h"

#include <algorithm>
#include <functional>

#include "assets/text_helpers.h"
#include "graphics/surface.h"
#include "graphics/texture_sheet.h"
#include "platform/errors.h"

namespace vm {

namespace {

constexpr int kTypingDelayOneLine = 40;  // ms per character
constexpr int kTypingDelayLong = 10;

// Fixed offsets of the window text (top-left corners of the drawn strings).
constexpr int kTextX = 11;
constexpr int kLabelY = 15;
constexpr int kTextY = 18;

// The frame's inner tinted area starts this far in from every side.
constexpr int kPanelInset = 6;

// The cells the message text is drawn in now.
struct TextCells {
  Font font;
  int cell = 18;
  size_t line_chars = kLineChars;
};

TextCells text_cells(const MessageWindow& mw) {
  TextCells c{mw.screen.Waku[kWakuShown].font, mw.msg.Cell_Size, kLineChars};
  if (!mw.settings.settings().large_text) return c;
  c.font.points = kLargeTextPoints;
  c.cell = kLargeTextCell;
  c.line_chars = kLargeLineChars;
  return c;
}

void draw_string(const MessageWindow& mw, int x, int y, const std::string& s, uint32_t colour,
                 const Font& font) {
  mw.text.draw_text(mw.screen.Waku[kWakuShown].img, x, y, s, colour, font);
}

void refresh(const MessageWindow& mw) {
  present_screen(mw.screen, mw.window);
}

// The empty panel again, writing from its first line.
void blank_panel(MessageWindow mw) {
  MessageState& m = mw.msg;
  bit_blt(mw.screen.Waku[kWakuShown], 0, 0, m.width, m.height, mw.screen.Waku[kWakuBlank], 0, 0,
          SRCCOPY);
  m.Line_No = 0;
}

// The pause after each typed character at the player's text speed; -1 for
// none at all (the line appears whole, drawn as typing draws it).
int typing_delay(const MessageWindow& mw, int normal_ms) {
  switch (mw.settings.settings().text_speed) {
    case TextSpeed::Slow:
      return normal_ms * 2;
    case TextSpeed::Fast:
      return normal_ms / 2;
    case TextSpeed::Instant:
      return -1;
    case TextSpeed::Normal:
      break;
  }
  return normal_ms;
}

// Draws one line of text in its cells: every character gets its own cell of
// Cell_Size pixels, with the shadow one pixel right and down.
void draw_piece(const MessageWindow& mw, const std::vector<std::string>& chars, size_t first,
                size_t count, uint32_t colour, int delay_ms, bool typed) {
  if (typed && delay_ms < 0) {
    // Cell by cell, each shadow before its character, exactly as typing
    // leaves the line, but shown once.
    for (size_t i = 0; i < count; ++i) draw_cell(mw, static_cast<int>(i), chars[first + i], colour);
    refresh(mw);
    if (mw.window.close_requested()) throw ShutdownRequest{};
    return;
  }
  if (typed) {
    for (size_t i = 0; i < count; ++i) {
      draw_cell(mw, static_cast<int>(i), chars[first + i], colour);
      refresh(mw);
      // The typing pause lets no event run: a click waits for the click wait.
      // Only a request to close is heeded at once, however long the message.
      mw.clock.sleep(delay_ms);
      if (mw.window.close_requested()) throw ShutdownRequest{};
    }
    return;
  }
  // The whole line at once: the shadow line first, then the text over it.
  const TextCells tc = text_cells(mw);
  const int y = tc.cell * mw.msg.Line_No + kTextY;
  for (size_t i = 0; i < count; ++i)
    draw_string(mw, static_cast<int>(i) * tc.cell + kTextX + 1, y + 1, chars[first + i],
                kShadowColour, tc.font);
  for (size_t i = 0; i < count; ++i)
    draw_string(mw, static_cast<int>(i) * tc.cell + kTextX, y, chars[first + i], colour, tc.font);
  refresh(mw);
}

}  // namespace

Font label_font(bool large_text) {
  Font f = kMessageFont;
  if (large_text) f.points = kLargeTextPoints;
  return f;
}

int line_room(bool large_text) {
  // Large text: one size up, in cells wide enough for it; a line then holds
  // 19 characters and the page is still four lines, the last one ending
  // inside the panel's tinted area.
  if (large_text) return static_cast<int>(kLargeLineChars) * kLargeTextCell;
  return static_cast<int>(kLineChars) * cell_size(kMessageFont);
}

void draw_cell(const MessageWindow& mw, int index, const std::string& ch, uint32_t colour) {
  const TextCells tc = text_cells(mw);
  const int x = index * tc.cell + kTextX;
  const int y = tc.cell * mw.msg.Line_No + kTextY;
  draw_string(mw, x + 1, y + 1, ch, kShadowColour, tc.font);
  draw_string(mw, x, y, ch, colour, tc.font);
}

namespace {

const CastMember* cast_member(const MessageState& m, int code) {
  if (!m.words) return nullptr;
  const auto it = m.words->cast.find(code);
  return it == m.words->cast.end() ? nullptr : &it->second;
}

}  // namespace

std::string speaker_label(const MessageState& m, int code) {
  if (const CastMember* c = cast_member(m, code); c && c->label)
    return fill_names(m.Name_Table, *c->label);
  switch (code) {
    case 1:
      return "【ソラノ】";
    case 2:
      return "【ミツ】";
    case 3:
      return "【" + m.Name_Table[2] + "】";
    case 4:
      return "【ソラノの父】";
    case 5:
      return "【ミツの父】";
    case 6:
      return "【女の子】";
    default:
      return "";
  }
}

uint32_t speaker_colour(const MessageState& m, int code) {
  // A code the game's cast names speaks in black unless it is given a colour.
  if (const CastMember* c = cast_member(m, code)) return c->colour.value_or(0x000000u);
  return (code >= 1 && code <= 6) ? 0x000000u : kNarrationColour;
}

int draw_message(MessageWindow mw, const std::string& label, const std::string& text,
                 uint32_t colour, int speaker, bool typed, const std::function<void()>& page_full) {
  MessageState& m = mw.msg;
  if (m.Msg_Busy) return -1;
  m.Msg_Busy = -1;
  mw.screen.Waku[kWakuShown].visible = true;

  const std::vector<std::string> chars = split_chars(text);
  const size_t n = chars.size();
  const TextCells tc = text_cells(mw);
  const size_t per_line = tc.line_chars;

  // A message that would run past the page's fourth line starts a fresh page
  // instead, so no line is ever drawn over the border or below the window.
  const int text_lines = static_cast<int>((n + per_line - 1) / per_line);
  const bool new_speaker = speaker != m.Shown_Speaker;
  const int label_lines = (new_speaker && !label.empty()) ? 1 : 0;
  const int start_line = new_speaker ? 0 : m.Line_No;
  if (start_line > 0 && start_line + label_lines + text_lines > kPageLines)
    clear_message_window(mw);

  if (new_speaker) {
    clear_message_window(mw);
    m.Shown_Speaker = static_cast<int16_t>(speaker);
    if (!label.empty()) {
      const int y = tc.cell * m.Line_No + kLabelY;
      draw_string(mw, kTextX + 1, y + 1, label, kShadowColour, tc.font);
      draw_string(mw, kTextX, y, label, colour, tc.font);
      ++m.Line_No;
    }
  }

  if (n <= per_line) {
    draw_piece(mw, chars, 0, n, colour, typing_delay(mw, kTypingDelayOneLine), typed);
  } else {
    // Pieces 0 .. n / 23: the last may be short, and is empty when n is an
    // exact multiple of 23 (its line still counts).
    const size_t pieces = n / per_line + 1;
    for (size_t k = 0; k < pieces; ++k) {
      if (k > 0) ++m.Line_No;
      const size_t first = k * per_line;
      // Large text can fill a page before a long message ends: the player
      // reads the full page, then the rest goes on on a fresh one.
      if (per_line != kLineChars && m.Line_No >= kPageLines && first < n) {
        if (page_full) page_full();
        blank_panel(mw);
      }
      draw_piece(mw, chars, first, std::min(per_line, n - first), colour,
                 typing_delay(mw, kTypingDelayLong), typed);
    }
  }

  m.Msg_Busy = 0;
  m.Choice_Armed = -1;
  ++m.Line_No;
  return static_cast<int>(n);
}

void page_check(MessageWindow mw) {
  // A message of two or more lines can carry Line_No past the page; the next
  // one would then be drawn below the window, so a full page is cleared too.
  if (mw.msg.Line_No >= kPageLines) {
    mw.msg.Line_No = 0;
    clear_message_window(mw);
  }
}

void tint_window_panel(MessageWindow mw) {
  // High contrast: the panel opaque, the scene no longer showing through.
  const bool high_contrast = mw.settings.settings().high_contrast;
  auto& waku = mw.screen.Waku;
  const MessageState& m = mw.msg;
  const int w = m.width, h = m.height;
  blend_region(waku[kWakuShown], kPanelInset, kPanelInset, w - 2 * kPanelInset, h - 2 * kPanelInset,
               waku[kWakuTint], 0, 0, high_contrast ? 1.0f : mw.density, 0);
  // The border goes on opaquely: AND with the mask clears the border's area,
  // XOR then writes the border there; black border pixels change nothing.
  bit_blt(waku[kWakuShown], 0, 0, w, h, waku[kWakuBorderMask], 0, 0, SRCAND);
  bit_blt(waku[kWakuShown], 0, 0, w, h, waku[kWakuBorder], 0, 0, SRCINVERT);
  refresh(mw);
  bit_blt(waku[kWakuBlank], 0, 0, w, h, waku[kWakuShown], 0, 0, SRCCOPY);
}

void build_window_frame(MessageWindow mw) {
  auto& waku = mw.screen.Waku;
  const Surface& tex = mw.screen.Texture;
  const MessageState& m = mw.msg;
  const int w = m.width, h = m.height;

  // The tint layer: one colour taken from the middle of the frame piece.
  const uint32_t tint =
      tex.img.contains(kTintX, kTintY) ? (tex.img.at(kTintX, kTintY) & 0xFFFFFFu) : 0u;
  waku[kWakuTint].back_color = 0;
  waku[kWakuTint].place(0, 0, w - 2 * kPanelInset, h - 2 * kPanelInset);
  fill_rect(waku[kWakuTint], 0, 0, w - 2 * kPanelInset, h - 2 * kPanelInset, tint);

  // The border picture on black: edges first (their runs overshoot and are
  // clipped), then the corners over their ends.
  Surface& border = waku[kWakuBorder];
  constexpr int C = kFrameCorner, E = kFrameEdge, far = kFramePieceSize - kFrameCorner;
  border.back_color = 0;
  border.place(border.left, border.top, w, h);
  border.clear();
  for (int i = 0; i <= w / 12; ++i) {
    bit_blt(border, C * i, 0, C, E, tex, C, 0, SRCCOPY);
    bit_blt(border, C * i, h - E, C, E, tex, C, kFramePieceSize - E, SRCCOPY);
  }
  for (int j = 0; j <= h / 12; ++j) {
    bit_blt(border, 0, C * j, E, C, tex, 0, C, SRCCOPY);
    bit_blt(border, w - E, C * j, E, C, tex, kFramePieceSize - E, C, SRCCOPY);
  }
  bit_blt(border, 0, 0, C, C, tex, 0, 0, SRCCOPY);
  bit_blt(border, w - C, 0, C, C, tex, far, 0, SRCCOPY);
  bit_blt(border, 0, h - C, C, C, tex, 0, far, SRCCOPY);
  bit_blt(border, w - C, h - C, C, C, tex, far, far, SRCCOPY);

  // The border mask: white where the border picture is black.
  waku[kWakuBorderMask].back_color = rgb(255, 255, 255);
  waku[kWakuBorderMask].fore_color = rgb(0, 0, 0);
  waku[kWakuBorderMask].place(waku[kWakuBorderMask].left, waku[kWakuBorderMask].top, w, h);
  make_mask(waku[kWakuBorderMask], waku[kWakuBorder], 0, 0, w, h);

  // The panel over the scene now under the window.
  waku[kWakuShown].place(m.left, m.top, w, h);
  waku[kWakuBlank].place(m.left, m.top, w, h);
  waku[kWakuShown].clear();
  bit_blt(waku[kWakuShown], 0, 0, w, h, mw.screen.Pic_Main, m.left, m.top, SRCCOPY);
  tint_window_panel(mw);
}

void clear_message_window(MessageWindow mw) {
  blank_panel(mw);
  refresh(mw);
  mw.msg.Shown_Speaker = 0;
}

void rebuild_window_back(MessageWindow mw, const SceneState& s, const std::string& slot_code) {
  ScreenState& sc = mw.screen;
  const MessageState& m = mw.msg;
  Surface& waku = sc.Waku[kWakuShown];

  // The one sprite slot whose picture is taken under the window.
  int k = kSlotL;
  bool with_sprite = true;
  if (slot_code == "L") {
    with_sprite = false;
    for (const auto& row : s.Doll_Shown)
      if (row[kSlotR] != 0) with_sprite = true;
    k = kSlotR;
  } else if (slot_code == "R") {
    k = kSlotR;
  }
  // A hidden slot holds the picture of a scene that is gone.
  if (!sc.Doll_Disp[k].visible) with_sprite = false;

  bit_blt(waku, 0, 0, m.width, m.height, sc.Pic_Main, m.left, m.top, SRCCOPY);
  if (with_sprite)
    bit_blt(waku, s.Doll_X[k] - m.left, 0, s.Doll_W[k], m.height, sc.Doll_Disp[k], 0,
            m.top - s.Doll_Y[k], SRCCOPY);
  tint_window_panel(mw);
  mw.window.do_events();
  mw.msg.Shown_Speaker = 0;
}

void Change_Name(MessageState& m, Dialogs& dialogs) {
  static const std::string kWideSpace = "\xE3\x80\x80";  // U+3000
  dialogs.set_ime_open(true);
  const GameWords none;
  const GameWords& w = m.words ? *m.words : none;
  const std::string answer =
      dialogs.input_box(w.rename_prompt.value_or("【女の子】の名前を変更できます。\n好きな名前を入"
                                                 "力して「OK」ボタンをクリックしてください。"),
                        w.rename_title.value_or("なまえの変更"),
                        w.rename_preset ? fill_names(m.Name_Table, *w.rename_preset)
                                        : m.Name_Table[1] + kWideSpace + m.Name_Table[2]);

  // Counted in characters: the answer is at most 7 long, space included, and
  // the space is neither missing nor last.
  const std::vector<std::string> chars = split_chars(answer);
  auto find = [&](const std::string& c) -> size_t {
    return static_cast<size_t>(std::find(chars.begin(), chars.end(), c) - chars.begin());
  };
  size_t at = find(kWideSpace);
  if (at == chars.size()) at = find(" ");
  // A comma or a double quote would break the saved game's name fields.
  const bool storable = answer.find_first_of(",\"") == std::string::npos;
  if (storable && at < chars.size() && at + 1 < chars.size() && chars.size() <= 7) {
    std::string family, given;
    for (size_t i = 0; i < at; ++i) family += chars[i];
    for (size_t i = at + 1; i < chars.size(); ++i) given += chars[i];
    m.Name_Table[1] = family;
    m.Name_Table[2] = given;
  }
  dialogs.set_ime_open(false);
}

}  // namespace vm
