#include "Map_Colors.h"

#include <cmath>

namespace {
uint8_t scale_channel(uint8_t channel, float factor) {
  const long double product = static_cast<long double>(channel) * static_cast<long double>(factor);
  const long double rounded = std::nearbyint(product);  // the default mode rounds ties to even
  if (rounded > 255.0L) return 255;
  if (rounded < 0.0L) return 0;
  return static_cast<uint8_t>(rounded);
}
}  // namespace

Color scale_color(Color color, float factor) {
  return Color{scale_channel(color.r, factor), scale_channel(color.g, factor),
               scale_channel(color.b, factor)};
}

float grain_factor(int step) {
  return static_cast<float>(static_cast<long double>(100 + step) / 100.0L);
}

namespace {
struct GrainScale {
  uint8_t value[2 * largest_grain_step + 1][256];
  GrainScale() {
    for (int step = -largest_grain_step; step <= largest_grain_step; ++step)
      for (int c = 0; c < 256; ++c)
        value[step + largest_grain_step][c] = scale_channel(static_cast<uint8_t>(c), grain_factor(step));
  }
};
}  // namespace

const uint8_t* grain_scale_row(int step) {
  static const GrainScale table;
  check_index(step, -largest_grain_step, largest_grain_step);
  return table.value[step + largest_grain_step];
}

Color grain_color(Color color, int step) {
  const uint8_t* scaled = grain_scale_row(step);
  return Color{scaled[color.r], scaled[color.g], scaled[color.b]};
}

const CheckedArray<Color, 0, 3> background_colors = {
    {Color{0, 0, 0}, Color{0, 0, 0}, Color{68, 147, 190}, Color{255, 255, 255}}};

const CheckedArray<Color, 0, 100> kavrel_block_colors = {{
    {0, 0, 0},       {60, 60, 100},  {85, 65, 45},   {93, 85, 67},   {40, 85, 40},
    {65, 65, 65},    {80, 30, 80},   {110, 40, 40},  {110, 90, 70},  {64, 81, 80},
    {70, 70, 140},   {95, 70, 50},   {82, 79, 58},   {50, 100, 50},  {80, 80, 80},
    {90, 40, 90},    {120, 50, 50},  {55, 83, 78},   {65, 50, 160},  {85, 65, 50},
    {75, 67, 49},    {60, 100, 50},  {70, 75, 70},   {90, 15, 70},   {115, 40, 30},
    {44, 68, 68},    {50, 65, 140},  {80, 70, 30},   {83, 75, 56},   {40, 100, 50},
    {70, 70, 80},    {80, 20, 105},  {120, 40, 20},  {46, 68, 68},   {85, 63, 40},
    {67, 83, 95},    {54, 67, 101},  {95, 64, 0},    {99, 78, 14},   {47, 95, 33},
    {85, 85, 85},    {95, 67, 83},   {83, 95, 67},   {85, 42, 74},   {95, 41, 33},
    {95, 83, 67},    {49, 87, 84},   {0, 0, 0},      {0, 0, 0},      {0, 0, 0},
    {0, 0, 0},       {23, 24, 46},   {27, 28, 54},   {46, 28, 10},   {51, 31, 11},
    {18, 36, 18},    {22, 42, 22},   {29, 30, 29},   {34, 36, 34},   {37, 25, 37},
    {43, 29, 43},    {46, 24, 23},   {52, 27, 26},   {22, 38, 37},   {25, 43, 42},
    {29, 29, 48},    {32, 32, 53},   {45, 36, 25},   {49, 39, 28},   {22, 37, 22},
    {25, 41, 25},    {39, 39, 39},   {43, 44, 43},   {38, 26, 38},   {42, 28, 42},
    {43, 26, 25},    {47, 28, 28},   {30, 46, 45},   {34, 52, 51},   {28, 28, 42},
    {31, 31, 47},    {33, 26, 18},   {37, 29, 20},   {45, 37, 23},   {50, 42, 26},
    {20, 30, 20},    {22, 34, 22},   {31, 31, 31},   {35, 35, 35},   {32, 21, 32},
    {36, 24, 36},    {35, 23, 23},   {39, 26, 26},   {26, 35, 35},   {30, 40, 40},
    {42, 27, 15},    {48, 31, 18},   {0, 0, 0},      {0, 0, 0},      {0, 0, 0},
    {0, 0, 0},
}};

const CheckedArray<TabletopColors, 0, 3> tabletop_colors = {{
    {},
    {{{85, 85, 85}, 2, 10}, {{119, 119, 119}, 1, 4}, {{187, 187, 187}, 2, 4}},
    {{{34, 102, 153}, 2, 5}, {{170, 170, 170}, 1, 4}, {{221, 221, 221}, 2, 3}},
    {{{119, 119, 119}, 2, 7}, {{187, 187, 187}, 1, 4}, {{221, 221, 221}, 2, 3}},
}};

const CheckedArray<OverlayColors, 0, 3> overlay_colors = {{
    {{0, 170, 0}, {255, 255, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
    {{0, 170, 0}, {255, 255, 0}, {102, 102, 102}, {136, 136, 136}, {51, 51, 51}, {68, 68, 68}},
    {{255, 128, 0}, {255, 255, 0}, {68, 147, 190}, {68, 147, 190}, {48, 103, 133}, {0, 0, 0}},
    {{0, 170, 0}, {170, 0, 170}, {136, 136, 136}, {170, 170, 170}, {204, 204, 204}, {0, 0, 0}},
}};
