// Shared drawing constants of the demo pictures.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/image.h"

namespace vm::datatool {

constexpr double kPi = 3.14159265358979323846;
// Dark ink for outlines and eyes; never pure black, which the game treats as
// transparent in sprites and faces.
constexpr uint32_t kInk = 0x1E1626;
constexpr uint32_t kWhite = 0xFFFFFF;

using Pts = std::vector<std::pair<double, double>>;

// Scenery shared by the backgrounds and the title picture.
void sea(Image& img, int horizon, int y1, uint32_t far, uint32_t near, uint64_t rng_start);
void stars(Image& img, int y1, int count, uint64_t rng_start);
void house(Image& img, int x, int base, int w, int h, uint32_t wall, uint32_t roof,
           bool lit = false);
void tree(Image& img, double x, double base, double s, uint32_t leaf);
void lighthouse(Image& img, double x, double base, double s, bool lamp_on);

}  // namespace vm::datatool
