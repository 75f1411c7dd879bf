#include "Cell_Raster.h"

#include "GAME_Dice.h"
#include "GAME_Map.h"
#include "Map_Colors.h"
#include "Map_View.h"

namespace {

Color grained(const GrainedColor& base, bool grain) {
  if (!grain) return base.color;
  int step;
  if (base.draws == 2) {
    const int a = random_int(base.spread);
    const int b = random_int(base.spread);
    step = a - b;
  } else {
    step = random_int(base.spread);
  }
  return grain_color(base.color, step);
}

// The tabletop colour of a cell inside an area; false leaves the background.
bool tabletop_cell_color(int style, int block, bool grain, Color& color) {
  const TabletopColors& colors = tabletop_colors[style];
  if (block <= 50) {
    if (!map_options.block_walls) return false;
    color = grained(colors.wall, grain);
  } else if (block <= 64) {
    color = grained(colors.natural_floor, grain);
  } else {
    color = grained(colors.built_floor, grain);
  }
  return true;
}

}  // namespace

void draw_cell_raster() {
  if (map_size == 0) return;
  const int style = map_options.style;
  const bool grain = map_options.grain && !step_mode_active;
  raster_picture.set_size(map_size, map_size);
  raster_picture.fill(background_colors[style]);

  for (int x = 1; x <= map_size; ++x) {
    for (int y = 1; y <= map_size; ++y) {
      MapCell& cell = map_cells(x, y);
      if (cell.area_index == 0) continue;
      Color color;
      switch (cell.furniture) {
        case furniture::door:
        case furniture::door_locked:
          color = door_color;
          break;
        case furniture::door_cell:
          color = cell_door_color;
          break;
        case furniture::door_secret:
          cell.block = narrow<uint8_t>(dominant_floor_block(x, y));
          color = secret_door_color;
          break;
        default:
          if (style == style_kavrel)
            color = kavrel_block_colors[cell.block];
          else if (!tabletop_cell_color(style, cell.block, grain, color))
            continue;
      }
      raster_picture.set_pixel(x - 1, y - 1, color);
    }
  }
}
