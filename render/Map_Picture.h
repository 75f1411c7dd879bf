// The second rendering stage: the finished map picture.
#pragma once

#include "Picture.h"

// Composes the map on target (square, W x H): the raster picture (which must
// be current) with the step-mode marks, enlarged by pixel replication, then
// grid, flavour walls, line walls, area numbers, grain and the step marker,
// each as map_options and step_mode_active ask, in that order. The cell size
// is W div map size. With map size 0 the target becomes the style's plain
// background. Leaves the target's pen at width 1 and its brush solid.
void draw_map_picture(Picture& target);

// The thickness of the flavour and line wall bands at a cell size.
int flavour_wall_thickness(int cell_size);
int line_wall_thickness(int cell_size);
// The area-number font height for a target height, and the marker pen width.
int area_number_font_height(int target_height);
int step_marker_pen_width(int cell_size);
