// Where the 640 x 480 game screen lands in the window's drawing area, and
// the way back from a pointer position to the game pixel under it. Pure
// arithmetic in device pixels (a desktop with a scaled display has several
// device pixels per logical one), so every magnification is a whole number of
// device pixels per game pixel and edges stay hard.
#pragma once

namespace vm {

struct ViewGeometry {
  int scale = 1;     // device pixels per game pixel
  int x = 0, y = 0;  // the game screen's top-left corner in the area
  int w = 640, h = 480;
};

// The view for an area of area_w x area_h device pixels. With scale > 0 the
// game screen is drawn at that magnification (the window is sized to fit it);
// with scale 0 (full screen) at the largest whole one that fits, at least 1.
// Either way it is centred in the area.
ViewGeometry fit_view(int area_w, int area_h, int scale, int screen_w = 640, int screen_h = 480);

// The game pixel under an area position given in logical pixels with
// device_factor device pixels each (positions may be fractional). False when
// the position is on the black border around the game screen.
bool view_to_game(const ViewGeometry& v, int device_factor, double x, double y, int& game_x,
                  int& game_y);

// The logical-pixel rectangle of the area that shows the game-screen
// rectangle (gx, gy, gw, gh), rounded outwards.
struct ViewRect {
  int x = 0, y = 0, w = 0, h = 0;
};
ViewRect game_to_view(const ViewGeometry& v, int device_factor, int gx, int gy, int gw, int gh);

}  // namespace vm
