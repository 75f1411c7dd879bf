// What the renderer reads from the window: the map colour style and the map
// options, the step-mode flag, and the four pictures the window shows and
// exports, with the hook that repaints the map view.
#pragma once

#include <functional>

#include "Picture.h"
#include "Range_Check.h"

inline constexpr int style_kavrel = 0, style_black = 1, style_blue = 2, style_white = 3;
// "Kavrel", "Tabletop RPG black", "Tabletop RPG blue", "Tabletop RPG white".
extern const CheckedArray<const char*, 0, 3> style_names;

// The window's defaults: "Tabletop RPG blue", grid, area numbers and line walls on.
struct MapOptions {
  int style = style_blue;
  bool grid = true;
  bool area_numbers = true;
  bool block_walls = false;
  bool flavour_walls = false;
  bool line_walls = true;
  bool grain = false;
};
extern MapOptions map_options;

// True while step mode shows the generator's working state; it draws the
// step overlay and switches grain off.
extern bool step_mode_active;

extern Picture raster_picture;   // one pixel per cell, map size square
extern Picture overlay_picture;  // the raster with the step-mode marks
extern Picture display_picture;  // what the map view shows
extern Picture export_picture;   // what an export writes

// The window installs the routine that repaints the map view from the
// display picture; without one, repainting does nothing.
void set_repaint_handler(std::function<void()> handler);
void repaint_display();
