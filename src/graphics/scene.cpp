#include "graphics/scene.h"

#include "app/game.h"

namespace vm {

void pace_step(Game& g, uint32_t start, int budget_ms, bool events) {
  // Unsigned difference: correct across the tick counter's wrap.
  const uint32_t elapsed = tick_count(g) - start;
  if (budget_ms > 0 && elapsed < static_cast<uint32_t>(budget_ms))
    sleep_ms(g, budget_ms - static_cast<int>(elapsed));
  if (events) do_events(g);
}

void scene_fault(Game& g, const std::string& what) {
  message_box(g, what + "\r\n(51.dat line " + std::to_string(g.interp.cur_line) + ")");
}

bool load_data_picture(Game& g, const std::string& file, Image& out, std::string& error) {
  Image img;
  if (!g.pf.pictures.load_picture(g.assets.Data_Dir + file, img, error)) return false;
  if (img.w <= 0 || img.h <= 0) {
    error = file + ": empty picture";
    return false;
  }
  out = std::move(img);
  return true;
}

void clear_sprites(Game& g) {
  for (Surface& d : g.screen.Doll_Disp) d.visible = false;
  for (int r = 0; r < 7; ++r)
    for (int j = 0; j < 3; ++j) g.scene.Doll_Shown[r][j] = 0;
}

}  // namespace vm
