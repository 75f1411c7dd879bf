// The first rendering stage: the raster picture, one pixel per map cell.
#pragma once

// Redraws raster_picture (map size square) from the map grid in the style of
// map_options. Cells outside every area keep the background; doors get their
// door colours; a secret door is drawn yellow and its cell's block becomes
// dominant_floor_block of the cell (on every call). With grain in force
// (map_options.grain and not step_mode_active) tabletop cells are jittered
// with random_int draws in cell order, x outer, y inner. With map size 0 the
// raster is left unchanged.
void draw_cell_raster();
