// Where the pieces of the texture sheet (61.dat) stand. The window frame, the
// title menu and the wall strip are cut from these places, and the demo
// writer draws its sheet to the same places.
#pragma once

namespace vm {

constexpr int kTextureW = 280;
constexpr int kTextureH = 370;

// The frame piece: a 48 x 48 framed box at the top-left corner. The window
// frame takes its 16 x 16 corners, its edges (16 x 8 from the middle of the
// top and bottom, 8 x 16 from the middle of the sides) and, at its centre,
// the tint colour of the panel.
constexpr int kFramePieceSize = 48;
constexpr int kFrameCorner = 16;
constexpr int kFrameEdge = 8;
constexpr int kTintX = 24;
constexpr int kTintY = 24;

// The 64 x 64 wall tile, repeated into the wall strip under short scenes.
constexpr int kWallTileX = 96;
constexpr int kWallTileY = 0;
constexpr int kWallTileSize = 64;

// The title panel that the title screen dissolves in.
constexpr int kTitlePanelX = 0;
constexpr int kTitlePanelY = 70;
constexpr int kTitlePanelW = 280;
constexpr int kTitlePanelH = 150;

// The four title-menu items, one below the other: plain ones on the left,
// highlighted ones beside them.
constexpr int kMenuItemX = 0;
constexpr int kMenuItemHotX = 120;
constexpr int kMenuItemY = 230;
constexpr int kMenuItemW = 110;
constexpr int kMenuItemH = 35;

}  // namespace vm
