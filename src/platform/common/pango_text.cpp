#include "platform/common/pango_text.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace vm {

namespace {

// The families the game names, each followed by the free font installed in
// its place. Fontconfig takes the first family of the list that the machine
// has, so a desktop with the named fonts draws with them and any other with
// IPA Gothic, IPA Mincho or Liberation Sans (Arial's metric twin).
std::string family_list(const std::string& family) {
  if (family.find("明朝") != std::string::npos || family.find("Mincho") != std::string::npos)
    return family + ",MS Mincho,IPAMincho";
  if (family == "Arial") return "Arial,Liberation Sans";
  if (family.find("ゴシック") != std::string::npos || family.find("Gothic") != std::string::npos)
    return family + ",MS Gothic,IPAGothic";
  return family + ",IPAGothic";
}

// Font::points is at 96 dpi like the classic desktop, rounded to whole pixels
// the way the classic font mapper does (MulDiv: 13 pt -> 17 px). A whole pixel
// size keeps the monochrome glyphs crisp.
int pixel_size(int points) {
  if (points <= 0) points = 1;
  return (points * 96 + 36) / 72;
}

// The font map, context and layout, built once per thread and kept for the
// life of the process (typing draws one character every 10 ms).
struct TextCache {
  PangoFontMap* font_map = nullptr;
  PangoContext* context = nullptr;
  PangoLayout* layout = nullptr;
  int px = -1;
  bool bold = false;
  std::string family;

  TextCache() {
    font_map = pango_cairo_font_map_new();
    pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(font_map), 96.0);
    context = pango_font_map_create_context(font_map);
    cairo_font_options_t* opts = cairo_font_options_create();
    // Each pixel is either the text colour or untouched: exact colours and
    // shadows, the same output on every run.
    cairo_font_options_set_antialias(opts, CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_style(opts, CAIRO_HINT_STYLE_FULL);
    cairo_font_options_set_hint_metrics(opts, CAIRO_HINT_METRICS_ON);
    cairo_font_options_set_subpixel_order(opts, CAIRO_SUBPIXEL_ORDER_DEFAULT);
    pango_cairo_context_set_font_options(context, opts);
    cairo_font_options_destroy(opts);
    pango_cairo_context_set_resolution(context, 96.0);
    pango_context_set_base_dir(context, PANGO_DIRECTION_LTR);
    layout = pango_layout_new(context);
    pango_layout_set_auto_dir(layout, FALSE);
  }

  PangoLayout* prepare(const std::string& utf8, const Font& font) {
    const int want_px = pixel_size(font.points);
    if (want_px != px || font.bold != bold || font.family != family) {
      PangoFontDescription* desc = pango_font_description_new();
      pango_font_description_set_family(desc, family_list(font.family).c_str());
      pango_font_description_set_absolute_size(desc, static_cast<double>(want_px) * PANGO_SCALE);
      pango_font_description_set_weight(desc, font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
      pango_font_description_set_style(desc, PANGO_STYLE_NORMAL);
      pango_layout_set_font_description(layout, desc);
      pango_font_description_free(desc);
      px = want_px;
      bold = font.bold;
      family = font.family;
    }
    // Invalid UTF-8 would make Pango refuse the text: draw it made valid.
    if (g_utf8_validate(utf8.data(), static_cast<gssize>(utf8.size()), nullptr)) {
      pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
    } else {
      gchar* valid = g_utf8_make_valid(utf8.data(), static_cast<gssize>(utf8.size()));
      pango_layout_set_text(layout, valid, -1);
      g_free(valid);
    }
    return layout;
  }
};

TextCache& cache() {
  // Deliberately never freed: fontconfig and Pango outlive every caller.
  thread_local TextCache* c = new TextCache();
  return *c;
}

}  // namespace

namespace {

// Which pixels of a text's box the glyphs cover, the box placed from the
// text's origin. Without antialiasing a pixel is covered or not, whatever the
// colour and whatever lies under it.
struct TextMask {
  int left = 0, top = 0, w = 0, h = 0;
  std::vector<uint8_t> on;  // w * h, 1 where a glyph covers the pixel
};

TextMask render_mask(const std::string& utf8, const Font& font) {
  TextMask m;
  PangoLayout* layout = cache().prepare(utf8, font);
  PangoRectangle ink, logical;
  pango_layout_get_pixel_extents(layout, &ink, &logical);
  // The box that holds both the glyphs and the text cell.
  int left = logical.x, top = logical.y;
  int right = logical.x + logical.width, bottom = logical.y + logical.height;
  if (ink.width > 0 && ink.height > 0) {
    left = std::min(left, ink.x);
    top = std::min(top, ink.y);
    right = std::max(right, ink.x + ink.width);
    bottom = std::max(bottom, ink.y + ink.height);
  }
  const int sw = right - left, sh = bottom - top;
  if (sw <= 0 || sh <= 0) return m;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, sw, sh);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return m;
  }
  cairo_t* cr = cairo_create(surface);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
  cairo_move_to(cr, -left, -top);
  pango_cairo_show_layout(cr, layout);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  m = {left, top, sw, sh, std::vector<uint8_t>(static_cast<size_t>(sw) * sh, 0)};
  for (int j = 0; j < sh; ++j) {
    const uint32_t* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(j) * stride);
    // ARGB32, premultiplied; without antialiasing alpha is 0 or 255.
    for (int i = 0; i < sw; ++i)
      m.on[static_cast<size_t>(j) * sw + i] = (row[i] >> 24) >= 128 ? 1 : 0;
  }
  cairo_surface_destroy(surface);
  return m;
}

// The masks of short texts (a message is typed one character at a time,
// each with its shadow), kept so that a character is laid out and drawn by
// Pango once per font rather than at every cell. Bounded: past kMasksKept
// the masks start again from none.
constexpr size_t kMaskedBytes = 8;
constexpr size_t kMasksKept = 2048;

const TextMask& mask_of(const std::string& utf8, const Font& font, TextMask& scratch) {
  if (utf8.size() > kMaskedBytes) return scratch = render_mask(utf8, font);
  thread_local std::unordered_map<std::string, TextMask> masks;
  std::string key = font.family;
  key += '\0';
  key += std::to_string(pixel_size(font.points));
  key += font.bold ? 'b' : 'n';
  key += utf8;
  if (const auto found = masks.find(key); found != masks.end()) return found->second;
  if (masks.size() >= kMasksKept) masks.clear();
  return masks.emplace(std::move(key), render_mask(utf8, font)).first->second;
}

}  // namespace

// NOLINTNEXTLINE(bugprone-easily-swappable-parameters): every text service draws at x, y
void PangoText::draw_text(Image& dst, int x, int y, const std::string& utf8, uint32_t colour,
                          const Font& font) {
  if (utf8.empty() || dst.w <= 0 || dst.h <= 0) return;
  TextMask scratch;
  const TextMask& m = mask_of(utf8, font, scratch);
  const uint32_t c = colour & 0xFFFFFFu;
  for (int j = 0; j < m.h; ++j) {
    const int dy = y + m.top + j;
    if (dy < 0 || dy >= dst.h) continue;
    const uint8_t* on = &m.on[static_cast<size_t>(j) * m.w];
    uint32_t* out = &dst.px[static_cast<size_t>(dy) * dst.w];
    for (int i = 0; i < m.w; ++i) {
      const int dx = x + m.left + i;
      if (on[i] && dx >= 0 && dx < dst.w) out[dx] = c;
    }
  }
}

int PangoText::text_width(const std::string& utf8, const Font& font) {
  if (utf8.empty()) return 0;
  PangoLayout* layout = cache().prepare(utf8, font);
  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout, nullptr, &logical);
  return logical.width;
}

int PangoText::missing_letters(const std::string& utf8, const Font& font) {
  if (utf8.empty()) return 0;
  return pango_layout_get_unknown_glyphs_count(cache().prepare(utf8, font));
}

}  // namespace vm
