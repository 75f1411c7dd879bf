// Furniture on map cells: placing and removing it, the tests by furniture
// group, secret doors, container states and the spread of graphic variants.
//
// Every routine first tests its own cell with on_map at the given depth (so
// a coordinate off the map is reported when a depth is given); neighbour
// tests are silent.
#include <cstring>

#include "GAME_Dice.h"
#include "GAME_Global.h"
#include "GAME_Graphics.h"
#include "GAME_Level.h"
#include "GAME_Map.h"

namespace {
bool in_range(int value, int low, int high) { return value >= low && value <= high; }

// The furniture of an on-map cell; values of 66 and more read as none.
int furniture_at(int x, int y) {
  const int f = map_cells(x, y).furniture;
  return f <= furniture_count ? f : 0;
}

bool state_matches(int x, int y, int state) {
  return state == -1 || map_cells(x, y).furniture_state == state;
}

bool is_light_kind(int f) { return in_range(f, 4, 7); }
bool is_door_kind(int f) { return in_range(f, furniture::door, furniture::door_cell); }
bool is_container_kind(int f) { return in_range(f, 12, 31); }
bool is_closable_kind(int f) { return in_range(f, 12, 19); }

bool floor_at(int x, int y, int direction) {
  return is_floor(x + direction_step[direction].dx, y + direction_step[direction].dy, 0);
}
bool wall_at(int x, int y, int direction) {
  return is_wall(x + direction_step[direction].dx, y + direction_step[direction].dy, 0);
}
}  // namespace

// Teleporters and lights always keep variant 0; a kind with one variant
// keeps whatever variant the cell had.
void add_furniture(int x, int y, int furniture, int depth) {
  depth = trace_enter(depth, trace_id::add_furniture);
  if (furniture == furniture::stairs_up || !on_map(x, y, depth)) return;
  MapCell& cell = map_cells(x, y);
  cell.furniture = narrow<uint8_t>(furniture);
  if (!in_range(furniture, furniture::teleporter, 7)) {
    const int variants = furniture_variant_count(furniture);
    if (variants > 1)
      cell.furniture_variant =
          narrow<uint8_t>(random_int(variants) * furniture_variant_step(furniture));
  }
  cell.splash = 0;
  cell.splash_variant = 0;
  if (is_area(cell.area_index) && is_container_kind(furniture))
    ++areas[cell.area_index].container_count;
}

void remove_furniture(int x, int y, bool with_hidden_being, int depth) {
  depth = trace_enter(depth, trace_id::remove_furniture);
  if (!on_map(x, y, depth)) return;
  MapCell& cell = map_cells(x, y);
  cell.furniture = 0;
  cell.furniture_variant = 0;
  cell.furniture_state = 0;
  cell.furniture_tile = 0;
  cell.lock_level = 0;
  cell.lock_key = 0;
  cell.furniture_marker = 0;
  cell.container_markers[0] = 0;
  cell.container_markers[1] = 0;
  if (with_hidden_being) cell.hidden_being = 0;
}

int get_furniture(int x, int y, int depth) {
  depth = trace_enter(depth, trace_id::get_furniture);
  return on_map(x, y, depth) ? furniture_at(x, y) : 0;
}

bool is_furniture(int x, int y, int furniture, int state, int depth) {
  depth = trace_enter(depth, trace_id::is_furniture);
  return on_map(x, y, depth) && furniture_at(x, y) == furniture && state_matches(x, y, state);
}

bool is_door(int x, int y, int state, int depth) {
  depth = trace_enter(depth, trace_id::is_door);
  return on_map(x, y, depth) && is_door_kind(furniture_at(x, y)) && state_matches(x, y, state);
}

bool is_light(int x, int y, int state, int depth) {
  depth = trace_enter(depth, trace_id::is_light);
  return on_map(x, y, depth) && is_light_kind(furniture_at(x, y)) && state_matches(x, y, state);
}

// 1 when the secret door joins west and east, 2 when it joins north and south.
int is_secret_door(int x, int y, int depth) {
  depth = trace_enter(depth, trace_id::is_secret_door);
  if (!on_map(x, y, depth) || furniture_at(x, y) != furniture::door_secret) return 0;
  if (floor_at(x, y, 4) && floor_at(x, y, 2)) return 1;
  if (floor_at(x, y, 1) && floor_at(x, y, 3)) return 2;
  return 0;
}

// 1 for a passage running west-east, 2 for north-south. A door counts
// whatever its side cells are; a plain doorway needs walls on both sides.
int is_doorway(int x, int y, bool doors_only, int depth) {
  depth = trace_enter(depth, trace_id::is_doorway);
  if (!is_floor(x, y, depth)) return 0;
  const bool west_east = floor_at(x, y, 4) && floor_at(x, y, 2);
  const bool north_south = floor_at(x, y, 1) && floor_at(x, y, 3);
  if (is_door_kind(furniture_at(x, y))) return west_east ? 1 : (north_south ? 2 : 0);
  if (doors_only) return 0;
  if (west_east && wall_at(x, y, 1) && wall_at(x, y, 3)) return 1;
  if (north_south && wall_at(x, y, 4) && wall_at(x, y, 2)) return 2;
  return 0;
}

int is_near_doorway(int x, int y, bool doors_only, int depth) {
  depth = trace_enter(depth, trace_id::is_near_doorway);
  if (!on_map(x, y, depth)) return 0;
  for (int d = 1; d <= 4; ++d) {
    const int kind =
        is_doorway(x + direction_step[d].dx, y + direction_step[d].dy, doors_only, 0);
    if (kind != 0) return kind;
  }
  return 0;
}

int is_furniture_container(int x, int y, int depth) {
  depth = trace_enter(depth, trace_id::is_furniture_container);
  if (!on_map(x, y, depth)) return 0;
  const int f = furniture_at(x, y);
  return is_container_kind(f) ? f : 0;
}

bool is_closed_container(int x, int y, int depth) {
  depth = trace_enter(depth, trace_id::is_closed_container);
  return on_map(x, y, depth) && is_closable_kind(furniture_at(x, y)) &&
         map_cells(x, y).furniture_state == 0;
}

// Closable containers: 1 open and empty, 2 open with contents; the others:
// 0 empty, 1 holding contents. Closed containers are left alone.
void update_furniture_state(int x, int y, int depth) {
  depth = trace_enter(depth, trace_id::update_furniture_state);
  if (!on_map(x, y, depth)) return;
  const int f = furniture_at(x, y);
  if (!is_container_kind(f) || is_closed_container(x, y, 0)) return;
  MapCell& cell = map_cells(x, y);
  const bool holds_items = cell.items[3] != 0;
  if (holds_items) {
    cell.furniture_state = is_closable_kind(f) ? 2 : 1;
  } else {
    cell.furniture_state = is_closable_kind(f) ? 1 : 0;
    cell.container_markers[0] = 1;
    cell.container_markers[1] = 1;
  }
}

bool is_shop_furniture(int furniture) {
  return in_range(furniture, 1, furniture_count) &&
         std::strstr(furniture_ids[furniture], "shop") != nullptr;
}

std::string furniture_name(int x, int y) {
  const int f = get_furniture(x, y, 0);
  if (in_range(f, furniture::stairs_down, furniture::stairs_up)) return "stairs";
  if (is_door_kind(f)) return "door";
  if (in_range(f, 32, 36)) return "statue";
  return furniture_display_names[f];
}

// The secret door shows the wall that stood under its mark, else the first
// non-empty wall beside it.
void create_secret_door(int x, int y, Dice difficulty, int depth) {
  depth = trace_enter(depth, trace_id::create_secret_door);
  if (!on_map(x, y, depth)) return;
  MapCell& cell = map_cells(x, y);
  cell.block = mark_block_layer(x, y);
  const int roll = roll_dice(difficulty);
  cell.secret_difficulty = narrow<uint8_t>(roll == 0 ? 20 : roll);
  add_furniture(x, y, furniture::door_secret, depth);
  cell.furniture_state = 0;
  for (int d = 1; d <= 4 && cell.block == 0; ++d) {
    const int nx = x + direction_step[d].dx;
    const int ny = y + direction_step[d].dy;
    if (is_wall(nx, ny, 0) && map_cells(nx, ny).block != 0) cell.block = map_cells(nx, ny).block;
  }
  cell.block_variant = 0;
}

// Without a floor of its own area beside it the door stays a secret door,
// no longer hidden.
void reveal_secret_door(int x, int y, int depth) {
  depth = trace_enter(depth, trace_id::reveal_secret_door);
  if (!on_map(x, y, depth) || furniture_at(x, y) != furniture::door_secret) return;
  MapCell& cell = map_cells(x, y);
  cell.secret_difficulty = 0;
  const int floor = adjacent_area_floor_block(x, y);
  if (floor == 0) return;
  cell.block = narrow<uint8_t>(floor);
  cell.block_variant = 0;
  add_furniture(x, y, cell.lock_level != 0 ? furniture::door_locked : furniture::door, depth);
  calculate_area_exits(depth);
  update_all_door_states();
}

void open_shop_containers() {
  for (int x = 1; x <= map_size; ++x)
    for (int y = 1; y <= map_size; ++y)
      if (is_closed_container(x, y, 0) && is_shop_furniture(furniture_at(x, y))) {
        map_cells(x, y).furniture_state = 1;
        update_furniture_state(x, y, 0);
      }
}

namespace {
inline constexpr int max_shuffled_variants = 50;
using VariantList = CheckedArray<uint8_t, 0, max_shuffled_variants - 1>;

// Fills list with 0, step, 2 step, ... and shuffles it: count draws.
void shuffle_variant_list(VariantList& list, int count, int step) {
  for (int i = 0; i < count; ++i) list[i] = narrow<uint8_t>(i * step);
  for (int i = 0; i < count; ++i) {
    const int j = random_int(count);
    const uint8_t swap = list[i];
    list[i] = list[j];
    list[j] = swap;
  }
}
}  // namespace

// Each area hands out the variants of each kind as whole shuffled lists, so
// they spread evenly. The lists are drawn for every slot and kind, and a new
// list is drawn as soon as one is used up, whether or not cells follow.
void shuffle_furniture_variants() {
  VariantList list;
  for (int number = 1; number <= areas.highest(); ++number) {
    const AreaRecord& area = areas[number];
    for (int f = 1; f <= furniture_count; ++f) {
      if (in_range(f, furniture::teleporter, 7)) continue;
      const int count = furniture_variant_count(f);
      if (!in_range(count, 2, max_shuffled_variants)) continue;
      const int step = furniture_variant_step(f);
      shuffle_variant_list(list, count, step);
      int next = 0;
      for (int x = area.x1; x <= area.x2; ++x)
        for (int y = area.y1; y <= area.y2; ++y) {
          if (!on_map(x, y, 0) || map_cells(x, y).area_index != number ||
              furniture_at(x, y) != f)
            continue;
          map_cells(x, y).furniture_variant = list[next++];
          if (next == count) {
            shuffle_variant_list(list, count, step);
            next = 0;
          }
        }
    }
  }
}

// Beings and items do not exist in the generator, so their tests never fail
// a cell. Mode 1 also keeps clear of doorways and hidden secret doors.
bool is_free_floor(int x, int y, int width, int height, int mode, int /*being*/, int depth) {
  depth = trace_enter(depth, trace_id::is_free_floor);
  for (int cx = x; cx < x + width; ++cx)
    for (int cy = y; cy < y + height; ++cy) {
      if (!is_floor(cx, cy, depth) || furniture_at(cx, cy) != 0) return false;
      const MapCell& cell = map_cells(cx, cy);
      if (cell.trap != 0 && mode != 2 && mode != 3) return false;
      if (mode != 1) continue;
      if (is_near_doorway(cx, cy, false, 0) != 0) return false;
      for (int d = 1; d <= 4; ++d) {
        const int nx = cx + direction_step[d].dx;
        const int ny = cy + direction_step[d].dy;
        if (on_map(nx, ny, 0) && map_cells(nx, ny).secret_difficulty != 0) return false;
      }
    }
  return true;
}

namespace {
// A cell of the area holding furniture from the list (an empty list: any furniture).
bool holds_listed_furniture(int x, int y, int area, const std::vector<int>& furniture_list) {
  if (!on_map(x, y, 0) || map_cells(x, y).area_index != area) return false;
  const int f = furniture_at(x, y);
  if (f == 0) return false;
  if (furniture_list.empty()) return true;
  for (int entry : furniture_list)
    if (entry == f) return true;
  return false;
}
}  // namespace

// Scans the area's rectangle x outer, y inner; n below 1 counts as 1.
Point find_area_furniture(int area, int n, const std::vector<int>& furniture_list) {
  if (!is_area(area)) return {};
  const AreaRecord& a = areas[area];
  int remaining = n < 1 ? 1 : n;
  for (int x = a.x1; x <= a.x2; ++x)
    for (int y = a.y1; y <= a.y2; ++y)
      if (holds_listed_furniture(x, y, area, furniture_list) && --remaining == 0) return {x, y};
  return {};
}

void remove_area_furniture(int area, const std::vector<int>& furniture_list) {
  if (!is_area(area)) return;
  const AreaRecord& a = areas[area];
  for (int x = a.x1; x <= a.x2; ++x)
    for (int y = a.y1; y <= a.y2; ++y)
      if (holds_listed_furniture(x, y, area, furniture_list)) remove_furniture(x, y, true, 0);
}
