// Faces: one shared sheet (60.dat) with a column per sprite picture.
#pragma once

#include <array>

namespace vm {

struct Stage;

constexpr int kFaceSheetW = 580;
constexpr int kFaceSheetH = 585;
constexpr int kFacesPerColumn = 8;

// Where a sprite picture's face is: its rectangle (x1, y1)-(x2, y2) on the
// sprite, and the left edge of its column in the face sheet, where the faces
// 1..8 stand one below the other, each as high as the rectangle.
struct FaceArea {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  int sheet_x = 0;
  constexpr int w() const { return x2 - x1; }
  constexpr int h() const { return y2 - y1; }
  bool operator==(const FaceArea&) const = default;
};

// The sprites with a column of their own: 11, 12, 21, 22, 31, 32, 41.
constexpr std::array<FaceArea, 7> kFaceAreas = {{
    {77, 69, 161, 137, 0},
    {62, 68, 140, 138, 84},
    {55, 64, 140, 134, 168},
    {40, 58, 128, 130, 253},
    {69, 68, 150, 141, 341},
    {70, 63, 148, 133, 422},
    {79, 62, 159, 130, 500},
}};
// The Face_Rect row of a sprite key; any other key uses row 0 (sprite 11's).
int face_row(int key);
inline const FaceArea& face_area(int key) {
  return kFaceAreas[static_cast<size_t>(face_row(key))];
}

void load_faces(Stage st);  // the face sheet, once at start-up
// Paints face number `face` over sprite doll/pose where it stands, with the
// short dissolve when `dissolve` (the text is not shown at once). A sprite
// that does not stand there ends the game (ShutdownRequest).
void change_face(Stage st, int doll, int pose, int face, bool dissolve);

}  // namespace vm
