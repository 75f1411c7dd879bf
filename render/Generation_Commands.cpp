#include "Generation_Commands.h"

#include <cmath>
#include <string>

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

long long acceptance_threshold(int dig_steps) { return std::llrint(0.3L * dig_steps); }

namespace {
// One attempt: a new dungeon and its dig steps. Returns the message of a
// forced area left unbuilt (empty when none is pending).
std::string dig_attempt(int depth) {
  dungeon.dig_step = 0;
  current_level.creation_seed = static_cast<int32_t>(rand_seed);
  create_dungeon(depth);
  for (int step = 1; step <= current_level.dungeon.dig_steps; ++step) {
    if (shutting_down || mark_count() == 0) break;
    ++dungeon.dig_step;
    dig_dungeon(depth);
  }
  const int slot = first_pending_force_area();
  if (slot == 0) return {};
  const int code = dungeon.force_area[slot];
  return format_text(
      "Could not create all force areas on level-index %d with seed %d! Stuck on creating area "
      "%d: %s.",
      current_level.level_index, current_level.creation_seed, code,
      area_code_name(code, 0).c_str());
}

// Strikes a forced area code that keeps failing from the current record's own list.
void strike_force_area(int code) {
  for (int slot = 1; slot <= 30; ++slot)
    if (current_level.dungeon.force_area[slot] == code) current_level.dungeon.force_area[slot] = 0;
}
}  // namespace

bool build_level() {
  // Traced as the level set-up and creation it stands for, so an error-log
  // entry shows the same call chain.
  const int depth = trace_enter(trace_enter(1, trace_id::setup_level), trace_id::create_level);
  choose_block_themes();
  const long long needed = acceptance_threshold(current_level.dungeon.dig_steps);
  bool accepted = false;
  std::string message;
  for (int attempt = 1; attempt <= 1000 && !accepted; ++attempt) {
    const std::string forced = dig_attempt(depth);
    if (shutting_down) return false;
    if (!forced.empty()) {
      message = forced;
      if (attempt >= 900) strike_force_area(dungeon.force_area[first_pending_force_area()]);
    } else {
      accepted = dungeon.area_counter >= needed;
    }
  }
  if (!accepted) {
    report_error(depth, message, true);
    return false;
  }
  finalize_dungeon(depth);
  if (shutting_down) return false;
  if (dungeon.area_counter == 1) {
    report_error(depth,
                 format_text("Could not create level! (Level-index %d, seed %d)",
                             current_level.level_index, current_level.creation_seed),
                 true);
    return false;
  }
  stencil_layer.clear();
  dungeon.current_x = 0;
  dungeon.current_y = 0;
  return true;
}

bool generate_dungeon(int level) {
  load_level(level == 0 ? choose_level_index() : level);
  if (!build_level()) return false;
  step_mode_active = false;
  draw_cell_raster();
  return true;
}
