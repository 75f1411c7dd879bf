#include "Map_Picture.h"

#include <string>

#include "Canvas.h"
#include "GAME_Dungeon.h"
#include "GAME_Map.h"
#include "Map_Colors.h"
#include "Map_Grain.h"
#include "Map_View.h"
#include "Text.h"

namespace {

// Lower bound first: lo when v < lo, else hi when v > hi, else v.
int clamp_low_first(int v, int lo, int hi) {
  if (v < lo) return lo;
  if (v > hi) return hi;
  return v;
}

bool is_door_furniture(int f) { return f >= furniture::door && f <= furniture::door_secret; }
bool is_wall_block(int x, int y) { return map_cells(x, y).block <= 50; }

void paint_step_marks(int style) {
  const Color fits = dungeon.area_placed ? stencil_fits_color : stencil_blocked_color;
  for (int x = 1; x <= map_size; ++x) {
    for (int y = 1; y <= map_size; ++y) {
      if (stencil_layer(x, y) != 0) overlay_picture.set_pixel(x - 1, y - 1, fits);
      if (mark_layer(x, y) != 0) overlay_picture.set_pixel(x - 1, y - 1, overlay_colors[style].mark);
    }
  }
  if (on_map(dungeon.current_x, dungeon.current_y, 0))
    overlay_picture.set_pixel(dungeon.current_x - 1, dungeon.current_y - 1,
                              dungeon.area_placed ? current_fits_color : current_blocked_color);
}

void draw_whole_grid(Picture& target, int cs) {
  const int h = target.height();
  target.pen = Pen{Color{0, 0, 0}, 1};
  for (int k = 1; k <= map_size + 1; ++k) {
    const int p = k * cs;
    draw_line(target, p, 0, p, h);
    draw_line(target, 0, p, h, p);
  }
}

void draw_floor_grid(Picture& target, int style, int cs) {
  target.pen.width = 1;
  for (int x = 1; x <= map_size; ++x) {
    for (int y = 1; y <= map_size; ++y) {
      const MapCell& cell = map_cells(x, y);
      if (cell.block < 51 || is_door_furniture(cell.furniture) || stencil_layer(x, y) != 0) continue;
      target.pen.color = cell.block <= 64 ? overlay_colors[style].grid_natural : overlay_colors[style].grid_built;
      const int left = (x - 1) * cs, top = (y - 1) * cs;
      draw_line(target, left, top, x * cs, top);
      draw_line(target, left, top, left, y * cs);
    }
  }
}

// Fills, in the brush colour, a band of thickness t on the wall side of
// every edge between a floor cell and a wall cell outside the stencil,
// lengthened by t at each end where the floor cell's side neighbour is a
// wall too. The outermost ring of cells is never visited.
void draw_wall_bands(Picture& target, int cs, int t) {
  for (int x = 2; x <= map_size - 1; ++x) {
    for (int y = 2; y <= map_size - 1; ++y) {
      if (map_cells(x, y).block < 51) continue;
      const int px = (x - 1) * cs, py = (y - 1) * cs;
      auto faces_wall = [](int nx, int ny) { return is_wall_block(nx, ny) && stencil_layer(nx, ny) == 0; };
      auto extension = [t](int nx, int ny) { return is_wall_block(nx, ny) ? t : 0; };
      if (faces_wall(x, y - 1))
        fill_rect(target, px - extension(x - 1, y), py - t, px + cs + extension(x + 1, y), py);
      if (faces_wall(x + 1, y))
        fill_rect(target, px + cs, py - extension(x, y - 1), px + cs + t, py + cs + extension(x, y + 1));
      if (faces_wall(x, y + 1))
        fill_rect(target, px - extension(x - 1, y), py + cs, px + cs + extension(x + 1, y), py + cs + t);
      if (faces_wall(x - 1, y))
        fill_rect(target, px - t, py - extension(x, y - 1), px, py + cs + extension(x, y + 1));
    }
  }
}

void draw_wall_band_layer(Picture& target, Color fill, int cs, int t) {
  target.brush = Brush{fill, false};
  draw_wall_bands(target, cs, t);
}

// Numbers the non-corridor areas 1, 2, ... in table order at their centres.
void draw_area_numbers(Picture& target, int style, int cs) {
  target.brush.clear = true;
  target.font.name = "Verdana";
  target.font.height = area_number_font_height(target.height());
  int n = 0;
  for (int i = 1; i <= areas.highest(); ++i) {
    const AreaRecord& area = areas[i];
    if (area.kind == 0 || area.kind == area_kind::corridor) continue;
    const std::string label = std::to_string(++n);
    const TextSize size = text_size(target, label);
    const int x = (area.centre_x - 1) * cs + cs / 2 - size.width / 2;
    const int y = (area.centre_y - 1) * cs + cs / 2 - size.height / 2;
    target.font.color = Color{0, 0, 0};
    if (style == style_kavrel) {
      draw_text(target, x + 1, y + 1, label);
      draw_text(target, x + 2, y + 2, label);
      target.font.color = Color{255, 255, 255};
    }
    draw_text(target, x, y, label);
  }
  target.brush.clear = false;
}

void draw_step_marker(Picture& target, int style, int cs) {
  const int px = dungeon.current_x, py = dungeon.current_y;
  target.brush.clear = true;
  target.pen = Pen{overlay_colors[style].marker_pen, step_marker_pen_width(cs)};
  draw_ellipse(target, (px - 3) * cs, (py - 3) * cs, (px + 2) * cs, (py + 2) * cs);
  target.brush.clear = false;
  target.pen.width = 1;
}

}  // namespace

int flavour_wall_thickness(int cell_size) { return clamp_low_first(cell_size / 2 + 1, 4, cell_size); }
int line_wall_thickness(int cell_size) { return clamp_low_first(cell_size / 4, 2, cell_size); }
int area_number_font_height(int target_height) { return clamp_low_first(target_height / 60, 16, 32); }
int step_marker_pen_width(int cell_size) { return clamp_low_first(cell_size / 2, 3, 6); }

void draw_map_picture(Picture& target) {
  const int style = map_options.style;
  if (map_size == 0) {
    target.fill(background_colors[style]);
    return;
  }
  overlay_picture.copy_pixels_from(raster_picture);
  if (step_mode_active) paint_step_marks(style);
  stretch_draw(target, 0, 0, target.width(), target.height(), overlay_picture);

  const int cs = target.width() / map_size;
  const bool tabletop = style != style_kavrel;
  if (map_options.grid) {
    if (tabletop)
      draw_floor_grid(target, style, cs);
    else
      draw_whole_grid(target, cs);
  }
  if (tabletop && map_options.flavour_walls)
    draw_wall_band_layer(target, overlay_colors[style].flavour_wall, cs, flavour_wall_thickness(cs));
  if (tabletop && map_options.line_walls)
    draw_wall_band_layer(target, overlay_colors[style].line_wall, cs, line_wall_thickness(cs));
  if (map_options.area_numbers) draw_area_numbers(target, style, cs);
  if (tabletop && map_options.grain && !step_mode_active) grain_picture(target);
  if (step_mode_active && on_map(dungeon.current_x, dungeon.current_y, 0)) draw_step_marker(target, style, cs);
}
