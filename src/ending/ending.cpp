#include "ending/ending.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "assets/text_helpers.h"
#include "graphics/button.h"
#include "graphics/scene.h"
#include "platform/errors.h"
#include "sound/sound.h"

namespace vm {

namespace {

const Font kArial20{"Arial", 20, false};
const Font kMincho20{"ＭＳ 明朝", 20, false};

constexpr uint32_t kBlack = 0;
constexpr uint32_t kWhite = rgb(255, 255, 255);

// Staff names and the maker: this game's own credits. A card shows the first
// 65 pixels of a name and 240 of the notice, so they are short.
constexpr const char* kMaker = "Minato-ya";
constexpr const char* kStaffA = "Renji";
constexpr const char* kStaffB = "Aoi";

// The rectangle (x1, y1)-(x2, y2) filled in one colour, right and bottom
// edges excluded.
void rect(Surface& s, int x1, int y1, int x2, int y2, uint32_t colour) {
  fill_rect(s, x1, y1, x2 - x1, y2 - y1, colour);
}

// Setting a picture box's background colour clears it to that colour.
void set_back_color(Surface& s, uint32_t colour) {
  s.back_color = colour;
  s.clear();
}

// The ending's own pacing and presenting, on the stage's services.
void refresh(const Finale& g) {
  refresh(g.stage);
}
void do_events(const Finale& g) {
  g.stage.window.do_events();
}
void sleep_ms(const Finale& g, int ms) {
  g.stage.clock.sleep(ms);
}
uint32_t tick_count(const Finale& g) {
  return g.stage.clock.tick_count();
}

Surface& end_pic(const Finale& g) {
  return g.stage.screen.End_Pic;
}
Surface& pic_back(const Finale& g) {
  return g.stage.screen.Pic_Back;
}

// blend(...) and copy(...) of the roll: Pic_Back onto End_Pic.
void blend(const Finale& g, int dx, int dy, int w, int h, int sx, int sy, float alpha, bool keyed) {
  blend_region(end_pic(g), dx, dy, w, h, pic_back(g), sx, sy, alpha, keyed ? -1 : 0);
}
void copy(const Finale& g, int dx, int dy, int w, int h, int sx, int sy) {
  bit_blt(end_pic(g), dx, dy, w, h, pic_back(g), sx, sy, SRCCOPY);
}

// Waits at least ms, letting events run every 100 ms.
void pause_ms(const Finale& g, int ms) {
  const uint32_t start = tick_count(g);
  while (tick_count(g) - start < static_cast<uint32_t>(ms)) {
    do_events(g);
    const uint32_t left = static_cast<uint32_t>(ms) - (tick_count(g) - start);
    if (static_cast<int32_t>(left) <= 0) break;
    sleep_ms(g, static_cast<int>(std::min<uint32_t>(left, 100)));
  }
}

// Loads a staff-roll picture into Place_Load and lays its top 640 x 345
// reduced to half on End_Pic at (160, 130). A picture that cannot be read is
// named once and the card goes on without it: a box would hold the roll
// while its tune plays on.
void show_card_picture(Finale g, int number) {
  const std::string file = std::to_string(number) + ".dat";
  Result<Image> picture = load_data_picture(g.stage, file);
  if (!picture) {
    g.stage.log.record(LogEvent::warning("the staff roll goes on without " + file + ": " +
                                         picture.error().what()));
    return;
  }
  g.stage.screen.Place_Load.img = std::move(picture).value_or_throw();
  stretch_blt(end_pic(g), 160, 130, 320, 173, g.stage.screen.Place_Load, 0, 0, 640, 345);
  refresh(g);
}

uint32_t name_colour(const EndingState& e, const std::string& name) {
  const bool marked = name.size() >= 3 && name.compare(0, 3, name_colour_key(e)) == 0;
  return marked ? rgb(255, 192, 255) : rgb(255, 255, 192);
}

// --- the rose ----------------------------------------------------------------

struct RoseVariant {
  int start_x, cy;
  uint32_t erase;
  bool writes;  // copies the text column of Pic_Back behind it
  int frame_ms;
};

int nearest(double v) {
  return static_cast<int>(std::nearbyint(v));  // ties to even
}

void rose_loop(Finale g, const RoseVariant& v) {
  EndingState& e = g.ending;
  Surface& pic = end_pic(g);
  constexpr double kPi = 3.141592;
  constexpr double kRadius = 15;
  int x = v.start_x;
  for (int a = 0; a <= 920; a += 2) {
    const uint32_t start = tick_count(g);
    rect(pic, x - 16, v.cy - 16, x + 16, v.cy + 17, v.erase);
    uint32_t colour;
    if (a < 250) {
      colour =
          rgb(static_cast<uint8_t>(a), static_cast<uint8_t>(a / 2), static_cast<uint8_t>(a / 2));
    } else if (a <= 800) {
      if (v.writes) bit_blt(pic, x - 16, 10, 2, 35, pic_back(g), x - 180, 0, SRCCOPY);
      ++x;
      colour = rgb(255, 128, 128);
    } else {
      const int d = a - 800;
      colour = rgb(static_cast<uint8_t>(255 - 2 * d), static_cast<uint8_t>(128 - d),
                   static_cast<uint8_t>(128 - d));
    }
    if (a == 920 && v.writes) colour = kEndBackground;
    const double theta = (a % 360) * kPi / 180;
    const double c = std::cos(theta), s = std::sin(theta);
    double t = 0;
    for (int step = 0; step < 32; ++step, t += 0.1) {
      const double rho = std::sin(7 * t);
      const int x0 = nearest(kRadius * rho * std::cos(t));
      const int y0 = nearest(kRadius * rho * std::sin(t));
      const int xr = nearest(c * x0 - s * y0);
      const int yr = nearest(c * y0 + s * x0);
      draw_line(pic, e.pen_x, e.pen_y, x + xr, v.cy + yr, colour);
      e.pen_x = x + xr;
      e.pen_y = v.cy + yr;
    }
    refresh(g);
    const uint32_t spent = tick_count(g) - start;
    if (spent < static_cast<uint32_t>(v.frame_ms))
      sleep_ms(g, static_cast<int>(static_cast<uint32_t>(v.frame_ms) - spent));
    do_events(g);
  }
}

}  // namespace

// --- tables ------------------------------------------------------------------

int ending_row(int16_t hap) {
  return hap == 1 ? 1 : 0;
}

const std::string& end_message(int16_t hap, int line) {
  static const std::string kMessages[2][3] = {
      {"       Sorry...", "This is not true end.", "Let's try again!"},
      {"Congratulations!", "This is true end.", "Thanks for playing!"},
  };
  return kMessages[ending_row(hap)][line];
}

uint32_t end_message_colour(int16_t hap) {
  return ending_row(hap) == 1 ? kEndColourTrue : kEndColourOther;
}

namespace {

const ClosingWords* closing_words(const EndingState& e, int16_t hap) {
  if (!e.words) return nullptr;
  return ending_row(hap) == 1 ? &e.words->true_end : &e.words->other_end;
}

}  // namespace

const std::string& closing_line(const EndingState& e, int16_t hap, int line) {
  const ClosingWords* w = closing_words(e, hap);
  return w && w->lines ? (*w->lines)[static_cast<size_t>(line)] : end_message(hap, line);
}

uint32_t closing_colour(const EndingState& e, int16_t hap) {
  const ClosingWords* w = closing_words(e, hap);
  return w && w->colour ? *w->colour : end_message_colour(hap);
}

int end_char_x(int16_t hap, int i, int n) {
  return 15 * i + 320 - 8 * n - 10 * ending_row(hap);
}

void fill_staff_table(EndingState& e) {
  for (auto& row : e.Staff_Table) row.fill(std::string());
  auto& t = e.Staff_Table;
  t[0] = {std::string("(C) 2026 ") + kMaker, "Velmora", " making staff", "", ""};
  t[2] = {"System & code", "Programming", kStaffA, "", ""};
  t[3] = {"    Graphics", "Drawing", kStaffB, "", ""};
  t[4] = {"      Sound", "Beep!", kStaffA, "", ""};
  t[5] = {"    Scenario", "Produce", kStaffB, "", ""};
  t[6] = {"and...", "Special thanks to", "", "", ""};
  t[7] = {"       All music & MIDI files", std::string(kMaker) + " music room",
          "https://velmora.example.org/music/", "", ""};
  t[8] = {"Renji - Morning on the slope", "Renji - Harbour town", "Aoi - Sea breeze waltz",
          "Aoi - Lanterns at night", "Renji - Velloria"};
  if (!e.words) return;
  // The staff roll's first card names the game the player has just read.
  if (e.words->title) t[0][1] = *e.words->title;
  for (const auto& [row, cells] : e.words->credit_rows) {
    auto& to = t[static_cast<size_t>(row)];
    to.fill(std::string());
    for (size_t i = 0; i < cells.size() && i < to.size(); ++i) to[i] = cells[i];
  }
}

std::string name_colour_key(const EndingState&) {
  return std::string(kStaffB).substr(0, 3);
}

int staff_picture(int row) {
  const int n = row + 79;
  return n == 84 ? 85 : n;
}

// --- layout and controls -------------------------------------------------------

void layout_ending(Finale g) {
  Surface& b = g.ending.END_btn;
  b.place(560, 440, kEndButtonW, kEndButtonH);
  b.visible = false;
  g.stage.screen.layers.push_back(&b);
}

bool on_end_button_press(const Finale& g, const Surface* target, int button) {
  if (target != &g.ending.END_btn) return false;
  // The main loop unloads the main window: the program ends in order.
  if (button == kLeftButton && g.ending.end_button_enabled) throw ShutdownRequest{};
  return true;
}

bool on_end_button_key(const Finale& g, int key) {
  const EndingState& e = g.ending;
  if (!e.END_btn.visible || !e.end_button_enabled) return false;
  if (key != kKeyReturn && key != kKeySpace) return false;
  throw ShutdownRequest{};
}

// --- the ending ------------------------------------------------------------------

void wait_seconds(const Finale& g, int32_t n) {
  for (int32_t i = 0; i < n * 10; ++i) {
    do_events(g);
    sleep_ms(g, 100);
  }
}

namespace {

// The tune fades out on the speakers, as the script's stop-music command
// fades it; the stop itself waits for the black canvas.
void fade_the_music(Finale g) {
  g.audio.state.Cur_Track = 0;
  uint32_t level = 0;
  if (get_volume(g.audio, level)) {
    g.audio.state.Start_Volume = level;
    // After the script's own fade-out the speakers read 0; the level to
    // come back to is still the one from before that fade.
    if (!g.audio.state.faded_out) g.audio.state.Saved_Volume = level;
  }
  if (g.audio.state.Start_Volume != 0) fade_out(g.audio, g.audio.state.Saved_Volume);
}

// A black Pic_Back to dissolve into, a black window behind; then the
// speakers are back at their level for the ending tune.
void black_canvas(Finale g) {
  Surface& back = pic_back(g);
  back.font = kArial20;
  back.place(0, 0, kScreenW, kScreenH);
  rect(back, 0, 0, 640, 480, kBlack);
  Surface& form = g.stage.screen.Form_Canvas;
  form.back_color = kBlack;
  form.img = Image(kScreenW, kScreenH, kBlack);
  refresh(g);
  stop_music(g.audio);
  set_volume(g.audio, g.audio.state.Saved_Volume);
  g.audio.state.faded_out = false;
}

// The last scene dissolves to black in nine steps of at least 150 ms.
void dissolve_to_black(Finale g) {
  ScreenState& sc = g.stage.screen;
  ensure_mask_sheet(g.stage.screen);
  sc.Mesh2.place(0, 0, 32, 32);
  for (int k = 0; k <= 8; ++k) {
    const uint32_t start = tick_count(g);
    dither_step(g.stage.screen, sc.Pic_Main, 0, 0, kScreenW, kScreenH, sc.Pic_Back, 0, 0, k);
    refresh(g);
    while (tick_count(g) - start <= 150) {
      do_events(g);
      sleep_ms(g, 50);
    }
  }
  bit_blt(sc.Pic_Main, 0, 0, 640, 480, sc.Pic_Back, 0, 0, SRCCOPY);
  refresh(g);
}

// The black overlay the roll is shown on takes the screen's place; the
// ending tune will not be started again.
void raise_the_overlay(Finale g) {
  ScreenState& sc = g.stage.screen;
  Surface& pic = end_pic(g);
  pic.font = kArial20;
  pic.back_color = kBlack;
  pic.fore_color = kBlack;
  pic.place_keeping(0, 0, kScreenW, kScreenH);
  rect(pic, 0, 0, 640, 480, kBlack);
  pic.visible = true;
  g.ending.pen_x = g.ending.pen_y = 0;
  refresh(g);
  sc.Pic_Main.place(0, 0, 0, 0);
  sc.Pic_Main.visible = false;
  if (g.audio.state.BGMLoop >= 0) g.stage.window.set_timer_enabled(g.audio.state.BGMLoop, false);
}

// The end button waits hidden, the credits are filled and the last scene's
// window and sprites go.
void clear_the_stage(Finale g) {
  ScreenState& sc = g.stage.screen;
  EndingState& e = g.ending;
  e.END_btn.place(560, 440, e.END_btn.width(), e.END_btn.height());
  e.END_btn.visible = false;
  e.end_button_enabled = false;
  fill_staff_table(e);
  sc.Waku[0].visible = false;
  for (Surface& d : sc.Doll_Disp) d.visible = false;
  refresh(g);  // the music fades over the bare background, not the last scene
}

}  // namespace

void play_ending(const Finale& f) {
  clear_the_stage(f);
  fade_the_music(f);
  black_canvas(f);
  dissolve_to_black(f);
  raise_the_overlay(f);
  show_staff_roll(f);
  show_end_message(f);
}

void show_end_message(Finale g) {
  EndingState& e = g.ending;
  Surface& pic = end_pic(g);
  const int16_t hap = g.hap;
  const uint32_t c = closing_colour(e, hap);

  pic.font = kMincho20;
  pic.fore_color = c;
  set_back_color(pic, kEndBackground);
  set_back_color(g.stage.screen.Form_Canvas, kEndBackground);
  refresh(g);
  // Read whole as its first line comes in; the writing takes longer.
  std::string said;
  for (int l = 0; l < 3; ++l) said += (l ? " " : "") + closing_line(e, hap, l);
  if (const size_t first = said.find_first_not_of(' '); first != std::string::npos)
    g.speech.say(said.substr(first));

  for (int l = 0; l < 3; ++l) {
    const std::string& line = closing_line(e, hap, l);
    if (l == 0) {
      // Written on the hidden canvas with its shadow, then the rose brings it
      // onto the screen column by column.
      Surface& back = pic_back(g);
      back.font = kArial20;
      back.back_color = kEndBackground;
      rect(back, 0, 0, 500, 300, kEndBackground);
      g.text.draw_text(back.img, 51, 1, line, kEndShadow, back.font);
      g.text.draw_text(back.img, 50, 0, line, c, back.font);
      rose_writer(g);
      pic.font = kMincho20;
      pic.fore_color = c;
      pause_ms(g, 1000);
      continue;
    }
    do_events(g);
    pic.fore_color = c;
    const std::vector<std::string> chars = split_chars(line);
    const int n = static_cast<int>(chars.size());
    // The engine's lines stand in fixed steps; a game's own may hold wide
    // characters, so each of its characters goes where the one before it
    // ended, the line centred as a whole.
    const ClosingWords* own = closing_words(e, hap);
    const bool measured = own && own->lines;
    int pen = measured ? 320 - g.text.text_width(line, pic.font) / 2 : 0;
    for (int i = 1; i <= n; ++i) {
      const int x = measured ? pen : end_char_x(hap, i, n);
      if (measured) pen += g.text.text_width(chars[i - 1], pic.font);
      g.text.draw_text(pic.img, x, 30 * l + 150, chars[i - 1], c, pic.font);
      refresh(g);
      do_events(g);
      sleep_ms(g, 50);
    }
  }

  paint_button(g.text, e.END_btn, kEndButtonCaption, true);
  e.END_btn.visible = true;
  e.end_button_enabled = true;
  refresh(g);
  g.stage.log.record(LogEvent::end_button_shown());
  g.speech.say(kEndButtonCaption);
}

void draw_staff_card(Finale g, int16_t row) {
  EndingState& e = g.ending;
  Surface& back = pic_back(g);
  const int w = e.Card_Split;
  const auto& r = e.Staff_Table[static_cast<size_t>(row)];
  rect(back, 0, 0, 500, 300, kBlack);
  draw_line(back, 0, 68, w, 68, rgb(0, 0, 255));
  g.text.draw_text(back.img, 0, 50, r[0], rgb(128, 255, 128), back.font);
  g.text.draw_text(back.img, w, 50, r[1], kWhite, back.font);
  g.text.draw_text(back.img, 0, 150, r[2], name_colour(e, r[2]), back.font);
}

namespace {

// --- the staff roll as a table of cards ------------------------------------------

// A region of Pic_Back brought onto End_Pic: w x h from (sx, sy) to (dx, dy).
struct Region {
  int dx, dy, w, h, sx, sy;
};

// Where a region ends after its fade: blended only, copied at full strength,
// or copied and shown at once.
enum class Settle { Blended, Copied, Shown };

// Steps of blending regions towards what Pic_Back holds there, all with the
// roll's one weight; no regions, no fade.
struct Fade {
  std::vector<Region> regions;
  bool keyed = false;  // black source pixels leave the overlay as it is
  int steps = 11;      // 0: the regions are only copied
  int step_ms = 50;
  bool events = true;  // pending events run between the steps
  Settle settle = Settle::Blended;
};

// A rectangle (x1, y1)-(x2, y2) of End_Pic painted black; x2 = 0, none.
struct Box {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// A text of the credits drawn onto the card: Staff_Table's cell at (x, y).
struct CardLine {
  size_t row, column;
  int x, y;
  uint32_t colour;
};

// What a card draws into Pic_Back: a row of Staff_Table as a staff card, or
// lines of credits over black in the font given; a card that shows neither
// brings on more of what the card before it drew.
struct Shows {
  int16_t staff_row = -1;
  const char* family = nullptr;  // nullptr keeps the font's family
  int points = 0;                // 0 keeps its size
  std::vector<CardLine> lines;
};

// One card of the roll, played in the order of its fields.
struct Card {
  int32_t card_split = 0;  // Card_Split for this card; 0 keeps it
  float alpha = 0;         // the weight it starts from; 0 keeps what the last split left
  Box clear_before;        // shown black before the card
  int wait_before = 0;     // seconds
  Shows shows;
  bool strip = false;  // End_Pic narrowed to the title strip until the card leaves
  int picture = 0;     // staff-roll picture under the card
  Fade wipe;           // the last card's text covered with black
  Fade in;
  bool splits = false;  // the heading splits and the name slides across
  int hold = 0;         // seconds
  bool rose_out = false;
  Fade out;
  Box clear_after;  // shown black after the card, pending events run
  int rest = 0;     // seconds
};

// How much of a staff card's name the split heading slides across.
constexpr int kNameShown = 65;

// A staff card over its picture; the first of them starts the weight again.
Card staff_card(int16_t row, bool first) {
  return {.card_split = 200,
          .alpha = first ? 0.1f : 0.0f,
          .wait_before = first ? 1 : 0,
          .shows = {.staff_row = row},
          .picture = staff_picture(row),
          .in = {.regions = {{180, 350, 200, 32, 0, 50}}, .keyed = true},
          .splits = true,
          .hold = 3,
          .out = {.regions = {{180, 350, 285, 32, 0, 0}}, .settle = Settle::Copied},
          .clear_after = {100, 305, 600, 480},
          .rest = 2};
}

// The whole roll: the title card in three parts (the notice, swept away by
// the rose; the product name; " making staff"), the four staff cards, the
// special thanks, where the music came from over the lighthouse at dusk, and
// the tunes.
const std::vector<Card> kStaffRoll = {
    {.card_split = 240,
     .alpha = 0.1f,
     .wait_before = 4,
     .shows = {.staff_row = 0},
     .strip = true,
     .in = {.regions = {{40, 0, 240, 30, 0, 50}}, .step_ms = 80, .settle = Settle::Shown},
     .hold = 5,
     .rose_out = true,
     .rest = 3},
    {.in = {.regions = {{260, 210, 240, 30, 240, 50}}, .settle = Settle::Shown}, .hold = 1},
    {.in = {.regions = {{230, 260, 240, 30, 0, 150}}, .settle = Settle::Shown},
     .hold = 4,
     .out = {.regions = {{260, 210, 240, 30, 0, 0}, {230, 260, 240, 30, 0, 0}},
             .settle = Settle::Shown},
     .rest = 2},
    staff_card(2, true),
    staff_card(3, false),
    staff_card(4, false),
    staff_card(5, false),
    {.clear_before = {100, 100, 600, 480},
     .wait_before = 5,
     .shows = {.points = 14,
               .lines = {{6, 0, 0, 0, rgb(255, 192, 192)}, {6, 1, 0, 20, rgb(255, 192, 192)}}},
     .in = {.regions = {{180, 350, 150, 40, 0, 0}}, .steps = 0, .settle = Settle::Shown},
     .hold = 3},
    {.clear_before = {0, 0, 600, 400},
     .shows = {.family = "ＭＳ ゴシック",
               .points = 11,
               .lines = {{7, 0, 0, 0, rgb(255, 128, 128)},
                         {7, 1, 0, 20, kWhite},
                         {7, 2, 0, 35, kWhite}}},
     .picture = 84,
     .in = {.regions = {{170, 350, 300, 80, 0, 0}},
            .keyed = true,
            .events = false,
            .settle = Settle::Shown},
     .hold = 6,
     .out = {.regions = {{170, 350, 300, 80, 0, 100}}, .events = false},
     .rest = 2},
    {.wait_before = 1,
     .shows = {.lines = {{8, 0, 0, 0, rgb(238, 255, 255)},
                         {8, 1, 0, 17, rgb(238, 255, 255)},
                         {8, 2, 0, 34, rgb(238, 255, 255)},
                         {8, 3, 0, 51, rgb(238, 255, 255)},
                         {8, 4, 0, 68, rgb(238, 255, 255)}}},
     .wipe = {.regions = {{170, 350, 300, 80, 0, 100}}, .steps = 0, .settle = Settle::Copied},
     .in = {.regions = {{170, 360, 330, 200, 0, 0}}, .keyed = true, .settle = Settle::Shown},
     .hold = 6,
     .out = {.regions = {{170, 360, 330, 200, 0, 200}}},
     .clear_after = {0, 0, 640, 480},
     .rest = 2},
};

}  // namespace

// What the cards above bring on of each cell, in the font Pic_Back has then
// (as draw_card sets it): a staff card shows the first Card_Split pixels of
// its role and task (the title card of all three parts) and kNameShown of
// its name; a card of lines shows as much of each as its region brings on.
const std::vector<CreditRoom>& credit_rooms() {
  static const std::vector<CreditRoom> rooms = [] {
    std::vector<CreditRoom> r;
    Font font = kArial20;  // as black_canvas leaves it
    for (const Card& c : kStaffRoll) {
      const Shows& s = c.shows;
      if (s.staff_row >= 0)
        for (int cell = 0; cell < 3; ++cell)
          r.push_back(
              {s.staff_row, cell, font, cell == 2 && s.staff_row > 0 ? kNameShown : c.card_split});
      if (s.lines.empty()) continue;
      if (s.family)
        font = Font{s.family, s.points, false};
      else if (s.points)
        font.points = s.points;
      for (const CardLine& l : s.lines)
        r.push_back(
            {static_cast<int>(l.row), static_cast<int>(l.column), font, c.in.regions.front().w});
    }
    return r;
  }();
  return rooms;
}

const Font& closing_font() {
  return kMincho20;
}

namespace {

void play_fade(const Finale& g, const Fade& f) {
  if (f.regions.empty()) return;
  const float alpha = g.ending.alpha;
  for (int i = 0; i < f.steps; ++i) {
    for (const Region& r : f.regions) blend(g, r.dx, r.dy, r.w, r.h, r.sx, r.sy, alpha, f.keyed);
    refresh(g);
    if (f.events)
      do_events(g);
    else if (g.stage.window.close_requested())
      throw ShutdownRequest{};  // steps that run no events still heed a close
    sleep_ms(g, f.step_ms);
  }
  if (f.settle == Settle::Blended) return;
  for (const Region& r : f.regions) copy(g, r.dx, r.dy, r.w, r.h, r.sx, r.sy);
  if (f.settle == Settle::Shown) refresh(g);
}

// Paints a box of the overlay black and shows it.
bool clear_box(const Finale& g, const Box& b) {
  if (b.x2 == 0) return false;
  rect(end_pic(g), b.x1, b.y1, b.x2, b.y2, kBlack);
  refresh(g);
  return true;
}

// The card's texts into Pic_Back, over black.
void draw_card(const Finale& g, const Shows& s) {
  if (s.staff_row >= 0) {
    draw_staff_card(g, s.staff_row);
    return;
  }
  if (s.lines.empty()) return;
  Surface& back = pic_back(g);
  if (s.family)
    back.font = Font{s.family, s.points, false};
  else if (s.points)
    back.font.points = s.points;
  rect(back, 0, 0, 600, 400, kBlack);
  const auto& table = g.ending.Staff_Table;
  for (const CardLine& l : s.lines)
    g.text.draw_text(back.img, l.x, l.y, table[l.row][l.column], l.colour, back.font);
}

// After a moment, the heading splits: two fading copies of its second text
// drift up and down, the name drifts right and fades while a second copy of
// it drifts left and grows stronger. The weight it leaves stays for the rest
// of the roll.
void split_heading(Finale g) {
  EndingState& e = g.ending;
  sleep_ms(g, 300);
  do_events(g);
  e.alpha = 0.7f;
  for (int j = 0; j <= 20; ++j) {
    e.alpha = static_cast<float>(static_cast<double>(e.alpha) - 0.03);
    copy(g, 180, 330, 200, 52 + j, 0, 30);
    copy(g, 415 - j, 350, kNameShown, 32, 0, 200);
    blend(g, 180, 350 - j, 200, 32, 200, 50, e.alpha, true);
    blend(g, 180, 350 + j, 200, 32, 200, 50, e.alpha, true);
    blend(g, 180 + j, 350, kNameShown, 32, 0, 150, e.alpha, true);
    blend(g, 415 - j, 350, kNameShown, 32, 0, 150, static_cast<float>(1.0 - e.alpha), true);
    refresh(g);
    do_events(g);
    sleep_ms(g, 50);
  }
}

void play_card(Finale g, const Card& c) {
  EndingState& e = g.ending;
  Surface& pic = end_pic(g);
  if (c.card_split) e.Card_Split = c.card_split;
  if (c.alpha > 0) e.alpha = c.alpha;
  clear_box(g, c.clear_before);
  wait_seconds(g, c.wait_before);
  draw_card(g, c.shows);
  if (c.strip) {
    pic.place_keeping(160, 210, 310, 30);
    set_back_color(pic, kBlack);
  }
  if (c.picture) show_card_picture(g, c.picture);
  play_fade(g, c.wipe);
  play_fade(g, c.in);
  if (c.splits) split_heading(g);
  wait_seconds(g, c.hold);
  if (c.rose_out) rose_wipe(g);
  play_fade(g, c.out);
  if (c.strip) pic.place_keeping(0, 0, kScreenW, kScreenH);
  if (clear_box(g, c.clear_after)) do_events(g);
  wait_seconds(g, c.rest);
}

}  // namespace

void show_staff_roll(const Finale& g) {
  // The pen of the overlay stays black for the whole roll; the ending tune
  // plays once, music switched on or not.
  end_pic(g).fore_color = kBlack;
  play_music(g.audio, g.stage.assets.Data_Dir + "velloria.mid");
  for (const Card& card : kStaffRoll) play_card(g, card);
  // The overlay turns dark purple for the closing message.
  set_back_color(end_pic(g), kEndBackground);
  refresh(g);
  wait_seconds(g, 1);
}

void rose_wipe(const Finale& g) {
  Surface& pic = end_pic(g);
  pic.place_keeping(160, 210, 310, 30);
  rose_loop(g, RoseVariant{20, 15, kBlack, false, 15});
  pic.place_keeping(0, 0, kScreenW, kScreenH);
}

void rose_writer(Finale g) {
  EndingState& e = g.ending;
  Surface& pic = end_pic(g);
  pic.place_keeping(0, 200, kScreenW, 50);
  e.pen_x = 180;
  e.pen_y = 25;
  rose_loop(g, RoseVariant{180, 25, kEndBackground, true, 10});
  pic.place_keeping(0, 200, kScreenW, 280);
}

}  // namespace vm
