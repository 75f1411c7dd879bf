// The colours of the four map styles and the colour scaling that grain and
// the flavour walls use. Tables are indexed by style 0..3.
#pragma once

#include "Picture.h"
#include "Range_Check.h"

// Each channel times factor, computed in extended precision, rounded to the
// nearest integer with ties to even and clamped to 0..255.
Color scale_color(Color color, float factor);

// The grain factor (100 + step) / 100, formed as a single-precision value.
float grain_factor(int step);

// Grain steps run from -(largest_grain_step) to largest_grain_step.
inline constexpr int largest_grain_step = 19;
// Row of 256 values: channel c scaled by grain_factor(step), as scale_color
// gives it, looked up rather than computed for every pixel.
const uint8_t* grain_scale_row(int step);
// scale_color(color, grain_factor(step)).
Color grain_color(Color color, int step);

extern const CheckedArray<Color, 0, 3> background_colors;
// Style 0: one colour per block id 0..100.
extern const CheckedArray<Color, 0, 100> kavrel_block_colors;

inline constexpr Color door_color{119, 68, 0};          // fu_door, fu_door_locked
inline constexpr Color cell_door_color{102, 102, 102};  // fu_door_cell
inline constexpr Color secret_door_color{204, 204, 0};  // fu_door_secret

// A tabletop colour with its grain: draws 2 means a factor (100 + a - b) / 100
// from a = random_int(spread), b = random_int(spread); draws 1 means
// (100 + random_int(4)) / 100.
struct GrainedColor {
  Color color;
  int draws;
  int spread;
};
struct TabletopColors {
  GrainedColor wall, natural_floor, built_floor;
};
// Styles 1..3 (entry 0 unused).
extern const CheckedArray<TabletopColors, 0, 3> tabletop_colors;

// Colours of the map picture's overlays.
struct OverlayColors {
  Color mark;
  Color marker_pen;
  Color grid_natural;  // style 0: the whole-picture grid
  Color grid_built;
  Color flavour_wall;
  Color line_wall;
};
extern const CheckedArray<OverlayColors, 0, 3> overlay_colors;

inline constexpr Color stencil_fits_color{0, 85, 0}, stencil_blocked_color{85, 0, 0};
inline constexpr Color current_fits_color{51, 255, 51}, current_blocked_color{255, 51, 51};
