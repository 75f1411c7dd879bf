// The map grid with its side layers, the direction and name tables, and the
// cell routines the whole generator shares.
#include "GAME_Map.h"

#include <cmath>
#include <cstring>

#include "GAME_Dungeon.h"
#include "GAME_Global.h"

int map_size = 0;
CheckedGrid<MapCell, map_storage> map_cells;

Layer impenetrable_layer;
Layer dug_layer;
Layer fill_visited_layer;
Layer stencil_layer;
Layer mark_layer;
Layer mark_block_layer;
Layer mark_area_layer;
Layer dead_end_layer;
Layer hallway_end_layer;

CheckedArray<RingEntry, 0, ring_list_capacity - 1> ring_list;
int ring_list_length = 0;

// ---- Directions -------------------------------------------------------

const CheckedArray<Step, 1, 4> direction_step{{{0, -1}, {1, 0}, {0, 1}, {-1, 0}}};
const CheckedArray<Step, 0, 8> neighbour_step{
    {{0, 0}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}}};
const CheckedArray<CheckedArray<Step, 1, 2>, 1, 4> side_step{{
    {{{-1, 0}, {1, 0}}},
    {{{0, -1}, {0, 1}}},
    {{{1, 0}, {-1, 0}}},
    {{{0, 1}, {0, -1}}},
}};

int opposite_direction(int direction) {
  check_index(direction, 1, 4);
  return (direction + 1) % 4 + 1;
}

// ---- Names ------------------------------------------------------------

const CheckedArray<const char*, 0, block_count> block_names{{
    "-",
    // 1..9
    "bl_wall_stone_blue", "bl_wall_stone_brown", "bl_wall_stone_gold", "bl_wall_stone_green",
    "bl_wall_stone_grey", "bl_wall_stone_purple", "bl_wall_stone_red", "bl_wall_stone_sand",
    "bl_wall_stone_turquoise",
    // 10..17
    "bl_wall_block_blue", "bl_wall_block_brown", "bl_wall_block_gold", "bl_wall_block_green",
    "bl_wall_block_grey", "bl_wall_block_purple", "bl_wall_block_red", "bl_wall_block_turquoise",
    // 18..25
    "bl_wall_moss_blue", "bl_wall_moss_brown", "bl_wall_moss_gold", "bl_wall_moss_green",
    "bl_wall_moss_grey", "bl_wall_moss_purple", "bl_wall_moss_red", "bl_wall_moss_turquoise",
    // 26..33
    "bl_wall_sewer_blue", "bl_wall_sewer_brown", "bl_wall_sewer_gold", "bl_wall_sewer_green",
    "bl_wall_sewer_grey", "bl_wall_sewer_purple", "bl_wall_sewer_red", "bl_wall_sewer_turquoise",
    // 34
    "bl_wall_wood",
    // 35..46
    "bl_wall_tile_azure", "bl_wall_tile_blue", "bl_wall_tile_brown", "bl_wall_tile_gold",
    "bl_wall_tile_green", "bl_wall_tile_grey", "bl_wall_tile_lavender", "bl_wall_tile_mantis",
    "bl_wall_tile_purple", "bl_wall_tile_red", "bl_wall_tile_sand", "bl_wall_tile_turquoise",
    // 47..50
    "-", "-", "-", "-",
    // 51..64
    "bl_floor_natural_blue", "bl_floor_natural_blue_light", "bl_floor_natural_brown",
    "bl_floor_natural_brown_light", "bl_floor_natural_green", "bl_floor_natural_green_light",
    "bl_floor_natural_grey", "bl_floor_natural_grey_light", "bl_floor_natural_purple",
    "bl_floor_natural_purple_light", "bl_floor_natural_red", "bl_floor_natural_red_light",
    "bl_floor_natural_turquoise", "bl_floor_natural_turquoise_light",
    // 65..78
    "bl_floor_block_blue", "bl_floor_block_blue_light", "bl_floor_block_brown",
    "bl_floor_block_brown_light", "bl_floor_block_green", "bl_floor_block_green_light",
    "bl_floor_block_grey", "bl_floor_block_grey_light", "bl_floor_block_purple",
    "bl_floor_block_purple_light", "bl_floor_block_red", "bl_floor_block_red_light",
    "bl_floor_block_turquoise", "bl_floor_block_turquoise_light",
    // 79..94
    "bl_floor_plate_blue", "bl_floor_plate_blue_light", "bl_floor_plate_brown",
    "bl_floor_plate_brown_light", "bl_floor_plate_gold", "bl_floor_plate_gold_light",
    "bl_floor_plate_green", "bl_floor_plate_green_light", "bl_floor_plate_grey",
    "bl_floor_plate_grey_light", "bl_floor_plate_purple", "bl_floor_plate_purple_light",
    "bl_floor_plate_red", "bl_floor_plate_red_light", "bl_floor_plate_turquoise",
    "bl_floor_plate_turquoise_light",
    // 95..96
    "bl_floor_wood", "bl_floor_wood_light",
    // 97..100
    "-", "-", "-", "-",
}};

const CheckedArray<const char*, 0, furniture_count> furniture_ids{{
    "-",
    "fu_stairs_down", "fu_stairs_up", "fu_teleporter", "fu_light_torch", "fu_light_stand",
    "fu_light_brazier", "fu_light_campfire", "fu_door", "fu_door_locked", "fu_door_cell",
    "fu_door_secret", "fu_chest", "fu_chest_shop", "fu_barrel", "fu_barrel_shop", "fu_crate",
    "fu_crate_shop", "fu_coffin", "fu_sarcophagus", "fu_armorstand", "fu_armorstand_shop",
    "fu_weaponrack", "fu_weaponrack_shop", "fu_bookcase", "fu_bookcase_shop", "fu_table",
    "fu_table_shop", "fu_altar", "fu_pedestal", "fu_cauldron", "fu_crystal_ball",
    "fu_statue_gargoyle", "fu_statue_humanoid", "fu_statue_symbol", "fu_statue_other",
    "fu_statue_clonomancer", "fu_wall_disappearing", "fu_switch", "fu_table_broken", "fu_chair",
    "fu_chair_broken", "fu_throne", "fu_bed", "fu_bed_broken", "fu_pillar", "fu_pillar_broken",
    "fu_totem", "fu_rubble", "fu_stalagmite", "fu_painting", "fu_tapestry", "fu_forge",
    "fu_well", "fu_well_dry", "fu_basin", "fu_basin_dry", "fu_target_dummy", "fu_target",
    "fu_tube", "fu_text", "fu_crystal", "fu_block", "fu_block_gold", "fu_block_green", "fu_egg",
}};

const CheckedArray<const char*, 0, furniture_count> furniture_display_names{{
    "-",
    "stairs down", "stairs up", "teleporter", "torch", "candelabrum",
    "brazier", "campfire", "door", "locked door", "cell door",
    "secret door", "chest", "chest", "barrel", "barrel", "crate",
    "crate", "coffin", "sarcophagus", "armor stand", "armor stand",
    "weapon rack", "weapon rack", "bookcase", "bookcase", "table",
    "table", "altar", "pedestal", "cauldron", "orb stand",
    "gargoyle statue", "statue", "statue", "statue",
    "statue", "wall", "switch", "broken table", "chair",
    "broken chair", "throne", "bed", "broken bed", "pillar", "broken pillar",
    "totem", "rubble", "stalagmite", "painting", "tapestry", "forge",
    "well", "dry well", "basin", "empty basin", "target dummy", "target",
    "tube", "text", "crystal formation", "stone block", "stone block", "stone block", "egg",
}};

int block_by_name(const std::string& name) {
  if (name == "-") return 0;
  for (int b = 1; b <= block_count; ++b)
    if (name == block_names[b]) return b;
  return 0;
}

int furniture_by_name(const std::string& name) {
  for (int f = 0; f <= furniture_count; ++f)
    if (name == furniture_ids[f]) return f;
  return -1;
}

// ---- Cell tests -------------------------------------------------------

void report_off_map(int x, int y, int depth) {
  error_flag = true;
  report_error(depth, format_text("Coordinates (%3.3d,%3.3d) are outside of the map!", x, y), true);
}

bool on_inner_map(int x, int y) {
  return x >= 2 && x <= map_size - 1 && y >= 2 && y <= map_size - 1;
}

namespace {
// 0 for no block, 1 for a wall block (1..50), 2 for a floor block (51..).
int block_base(int block) { return block == 0 ? 0 : (block <= 50 ? 1 : 2); }
}  // namespace

int get_block_base(int x, int y, int block, int depth) {
  depth = trace_enter(depth, trace_id::get_block_base);
  if (block >= 1 && block <= block_count) return block_base(block);
  if (!on_map(x, y, depth)) return 0;
  return map_cells(x, y).block > 50 ? 2 : 1;
}

bool is_free_wall(int x, int y, int depth) {
  depth = trace_enter(depth, trace_id::is_free_wall);
  return is_wall(x, y, depth) && get_furniture(x, y, depth) < 1;
}

bool is_impenetrable_wall(int x, int y, int depth) {
  depth = trace_enter(depth, trace_id::is_impenetrable_wall);
  return on_map(x, y, depth) && impenetrable_layer(x, y) != 0;
}

int get_area(int x, int y, int depth) {
  depth = trace_enter(depth, trace_id::get_area);
  return on_map(x, y, depth) ? map_cells(x, y).area_kind : 0;
}

// ---- Writing cells ----------------------------------------------------

// A claimed cell keeps its block when the new block has the same base, so an
// area that claims an already placed wall or floor keeps its colour.
void set_block(int x, int y, int block, int area_kind, int area_index, bool impenetrable,
               int depth) {
  depth = trace_enter(depth, trace_id::set_block);
  if (!on_map(x, y, depth)) return;
  const uint8_t new_block = narrow<uint8_t>(block);
  const uint8_t new_kind = narrow<uint8_t>(area_kind);
  const uint8_t new_index = narrow<uint8_t>(area_index);
  MapCell& cell = map_cells(x, y);
  if (cell.area_index == 0 || block_base(new_block) != block_base(cell.block))
    cell.block = new_block;
  if (new_block <= 50 && impenetrable) impenetrable_layer(x, y) = 1;
  if (cell.area_index == 0 && new_index > 0) ++dungeon.claimed_cell_count;
  cell.area_kind = new_kind;
  cell.area_index = new_index;
  if (cell.block > 50) {
    dug_layer(x, y) = 1;
    impenetrable_layer(x, y) = 0;
  }
}

void place_area(int x1, int y1, int x2, int y2, int area_kind, int area_index, bool impenetrable,
                int depth) {
  depth = trace_enter(depth, trace_id::place_area);
  for (int x = x1; x <= x2; ++x)
    for (int y = y1; y <= y2; ++y)
      if (on_map(x, y, 0) && stencil_layer(x, y) != 0)
        set_block(x, y, stencil_layer(x, y), area_kind, area_index, impenetrable, depth);
}

void fill_map_rect(int x1, int y1, int x2, int y2, const MapCell& border, const MapCell& inner) {
  for (int x = x1; x <= x2; ++x)
    for (int y = y1; y <= y2; ++y)
      if (on_map(x, y, 0))
        map_cells(x, y) = (x == x1 || x == x2 || y == y1 || y == y2) ? border : inner;
}

void clear_map() {
  const MapCell empty{};
  fill_map_rect(1, 1, map_storage, map_storage, empty, empty);
}

// ---- Neighbourhoods ---------------------------------------------------

// Ties go to the block that reached the winning count first, in neighbour order.
int dominant_floor_block(int x, int y) {
  CheckedArray<uint8_t, 51, 255> counts{};
  int best = 0;
  int best_count = 0;
  for (int n = 1; n <= 8; ++n) {
    const int nx = x + neighbour_step[n].dx;
    const int ny = y + neighbour_step[n].dy;
    if (!is_floor(nx, ny, 0)) continue;
    const int block = map_cells(nx, ny).block;
    const int count = ++counts[block];
    if (count > best_count) {
      best = block;
      best_count = count;
    }
  }
  return best;
}

int adjacent_area_floor_block(int x, int y) {
  if (!on_map(x, y, 0)) return 0;
  const int area = map_cells(x, y).area_index;
  for (int d = 1; d <= 4; ++d) {
    const int nx = x + direction_step[d].dx;
    const int ny = y + direction_step[d].dy;
    if (is_floor(nx, ny, 0) && map_cells(nx, ny).area_index == area) return map_cells(nx, ny).block;
  }
  return 0;
}

// Neighbours off the map are skipped silently, so a cell on the map's edge is
// never reported; the depth only traces the floor tests.
Point adjacent_area_floor(int x, int y, int area_index, int depth) {
  for (int d = 1; d <= 4; ++d) {
    const int nx = x + direction_step[d].dx;
    const int ny = y + direction_step[d].dy;
    if (on_map(nx, ny, 0) && is_floor(nx, ny, depth) && map_cells(nx, ny).area_index == area_index)
      return {nx, ny};
  }
  return {};
}

namespace {
bool listed(const std::vector<int>& list, int value) {
  for (int entry : list)
    if (entry == value) return true;
  return false;
}
}  // namespace

int count_neighbours(int x, int y, int neighbourhood, int base_filter,
                     const std::vector<int>& area_kinds, const std::vector<int>& area_indexes) {
  const bool orthogonal = neighbourhood == 4;
  const int last = orthogonal ? 4 : neighbourhood;
  int count = 0;
  for (int n = 1; n <= last; ++n) {
    const Step step = orthogonal ? direction_step[n] : neighbour_step[n];
    const int nx = x + step.dx;
    const int ny = y + step.dy;
    if (!on_map(nx, ny, 0)) continue;
    if (base_filter != 0) {
      const MapCell& cell = map_cells(nx, ny);
      if (get_block_base(nx, ny, 0, 0) != base_filter) continue;
      if (!area_kinds.empty() && !listed(area_kinds, cell.area_kind)) continue;
      if (!area_indexes.empty() && !listed(area_indexes, cell.area_index)) continue;
    }
    ++count;
  }
  return count;
}

int free_run_length(int x, int y, int direction) {
  const Step step = direction_step[direction];
  int length = 1;
  for (int cx = x + step.dx, cy = y + step.dy; on_map(cx, cy, 0) && dug_layer(cx, cy) == 0;
       cx += step.dx, cy += step.dy)
    ++length;
  return length;
}

int cell_distance(int x1, int y1, int x2, int y2) {
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  return static_cast<int>(std::floor(std::sqrt(dx * dx + dy * dy)));
}

// ---- Ring list --------------------------------------------------------

namespace {
void add_ring_cell(int x, int y) {
  if (ring_list_length >= ring_list_capacity || !on_map(x, y, 0)) return;
  ring_list[ring_list_length++] = {narrow<uint8_t>(x), narrow<uint8_t>(y)};
}
}  // namespace

// The centre is always entry 0; each ring r runs clockwise from its top-left
// corner: top edge east, east edge south, bottom edge west, west edge north.
void build_ring_list(int x, int y, int radius) {
  ring_list_length = 0;
  ring_list[ring_list_length++] = {narrow<uint8_t>(x), narrow<uint8_t>(y)};
  for (int r = 1; r <= radius; ++r) {
    for (int cx = x - r; cx <= x + r; ++cx) add_ring_cell(cx, y - r);
    for (int cy = y - r + 1; cy <= y + r; ++cy) add_ring_cell(x + r, cy);
    for (int cx = x + r - 1; cx >= x - r; --cx) add_ring_cell(cx, y + r);
    for (int cy = y + r - 1; cy >= y - r + 1; --cy) add_ring_cell(x - r, cy);
  }
  if (ring_list_length < ring_list_capacity) ring_list[ring_list_length] = {0, 0};
}
