#include "Generation_Commands.h"

#include "Cell_Raster.h"
#include "GAME_Dice.h"
#include "GAME_Dungeon.h"
#include "GAME_File.h"
#include "GAME_Global.h"
#include "GAME_Graphics.h"
#include "GAME_Level.h"
#include "GAME_Map.h"
#include "GAME_Reset.h"
#include "Map_View.h"

const CheckedArray<int, 0, 3> generated_levels = {{3, 4, 6, 8}};

bool start_generator() {
  release_engine();
  start_engine();
  create_graphics();
  data_name = "Kavrel";
  if (!load_game_data()) {
    shut_down_engine(false);
    return false;
  }
  if (!load_tile_catalogue()) {
    shut_down_engine(false);
    return false;
  }
  for (int level = 1; level <= level_table.highest(); ++level)
    level_table[level].dungeon.exclude_tags[1][tag::sg_ambush] = 1;
  return true;
}

int choose_level_index() { return generated_levels[random_int(4)]; }

void load_level(int level) {
  current_level.level_index = narrow<uint8_t>(level);
  current_level = level_table[level];
  prepare_generation();
}

namespace {
// The level's wall and floor blocks: one natural and one built pair of the
// current record's tables.
void choose_block_themes() {
  DungeonSettings& settings = current_level.dungeon;
  const BlockPair natural = settings.natural_blocks[random_int(settings.natural_block_count) + 1];
  settings.natural_wall = natural.wall;
  settings.natural_floor = natural.floor;
  const BlockPair built = settings.built_blocks[random_int(settings.built_block_count) + 1];
  settings.built_wall = built.wall;
  settings.built_floor = built.floor;
}

}  // namespace

bool build_level() {
  choose_block_themes();
  dungeon.dig_step = 0;
  create_dungeon(1);
  for (int step = 1; step <= current_level.dungeon.dig_steps; ++step) {
    if (shutting_down || mark_count() == 0) break;
    ++dungeon.dig_step;
    dig_dungeon(1);
  }
  if (shutting_down) return false;
  finalize_dungeon(1);
  stencil_layer.clear();
  dungeon.current_x = 0;
  dungeon.current_y = 0;
  return !shutting_down;
}

bool generate_dungeon(int level) {
  load_level(level == 0 ? choose_level_index() : level);
  if (!build_level()) return false;
  step_mode_active = false;
  draw_cell_raster();
  return true;
}
