// The map model: the one 128 x 128 grid of cells with its side layers and
// geometry helpers, the areas table, and the furniture placed in cells.
//
// Coordinates are 1-based, x is the column (eastward) and y the row
// (southward); storage is x-major. The active map is 1..map_size in both.
// Every public accessor tests on_map first; indexing storage outside 1..128
// is a range error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "GAME_Dice.h"
#include "GAME_Global.h"
#include "Range_Check.h"

inline constexpr int map_storage = 128;

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

// ---- Cells ------------------------------------------------------------

#pragma pack(push, 1)
struct MapCell {
  uint8_t block;              // 0 none, 1..50 walls, 51..100 floors
  uint8_t block_variant;
  uint16_t block_tile;        // game play only
  uint8_t area_kind;          // 1..9, 0 = unclaimed
  uint8_t area_index;         // 1..255, 0 = unclaimed
  uint8_t zone;               // 1..60, 0 = none
  uint8_t furniture;          // 0..65
  uint8_t furniture_variant;  // a multiple of the furniture's variant step
  uint8_t furniture_state;
  uint16_t furniture_tile;    // game play only
  uint8_t lock_level;         // 0 = not locked
  uint16_t lock_key;
  uint16_t hidden_being;
  uint8_t content_markers[2];
  uint8_t furniture_marker;
  uint8_t container_markers[2];  // set to 1 by update_furniture_state when a container is empty
  uint8_t secret_difficulty;     // non-zero exactly while a hidden secret door is here
  uint16_t trap;
  uint8_t trap_setter;
  int8_t trap_value;
  uint16_t trap_data;
  uint16_t special_stuff;
  uint8_t splash;
  uint8_t splash_variant;
  uint16_t items[4];  // the last is the item count that update_furniture_state tests
  uint16_t being;
  uint8_t being_data;
  uint8_t explored;
  uint8_t reserved[3];
};
#pragma pack(pop)
static_assert(sizeof(MapCell) == 48);
static_assert(offsetof(MapCell, block) == 0 && offsetof(MapCell, area_kind) == 4 &&
              offsetof(MapCell, area_index) == 5 && offsetof(MapCell, furniture) == 7 &&
              offsetof(MapCell, secret_difficulty) == 22 && offsetof(MapCell, explored) == 44);

using Layer = CheckedGrid<uint8_t, map_storage>;

extern int map_size;  // at most 128
extern CheckedGrid<MapCell, map_storage> map_cells;

// Side layers beside the grid (same indexing).
extern Layer impenetrable_layer;  // 1 = may never be dug through
extern Layer dug_layer;           // 1 = has been floor since the map was cleared
extern Layer fill_visited_layer;  // scratch of flood fills and exit counting
extern Layer stencil_layer;       // the shape of the area being built
extern Layer mark_layer;          // 1 while a pending mark sits on the cell
extern Layer mark_block_layer;    // block id of the cell when its mark was added
extern Layer mark_area_layer;     // area_counter when the mark was added
extern Layer dead_end_layer;      // direction 1..4 of a corridor dead end
extern Layer hallway_end_layer;   // 1..8, template hallway ends

// ---- Directions -------------------------------------------------------

struct Step {
  int8_t dx;
  int8_t dy;
};
// 1 north, 2 east, 3 south, 4 west.
extern const CheckedArray<Step, 1, 4> direction_step;
// 0 centre, then 1 N, 2 NE, 3 E, 4 SE, 5 S, 6 SW, 7 W, 8 NW.
extern const CheckedArray<Step, 0, 8> neighbour_step;
// The two sideways steps of each direction, in their fixed order.
extern const CheckedArray<CheckedArray<Step, 1, 2>, 1, 4> side_step;
// The direction pointing the other way (1 <-> 3, 2 <-> 4).
int opposite_direction(int direction);

// ---- Blocks and furniture ---------------------------------------------

inline constexpr int block_count = 100;
inline constexpr int furniture_count = 65;
// Identifiers ("bl_wall_stone_grey", ...), "-" where no block is named.
extern const CheckedArray<const char*, 0, block_count> block_names;
// Identifiers ("fu_door", ...) and display names ("door", ...).
extern const CheckedArray<const char*, 0, furniture_count> furniture_ids;
extern const CheckedArray<const char*, 0, furniture_count> furniture_display_names;
// Block id for an identifier, 0 when unknown; furniture id likewise (-1 when unknown).
int block_by_name(const std::string& name);
int furniture_by_name(const std::string& name);

namespace furniture {
inline constexpr int stairs_down = 1, stairs_up = 2, teleporter = 3, door = 8,
                     door_locked = 9, door_cell = 10, door_secret = 11;
}

// ---- Map routines -----------------------------------------------------

// Sets error_flag and makes the fatal "outside of the map" report for (x, y).
[[gnu::cold]] void report_off_map(int x, int y, int depth);

// The cell tests below run for every cell the generator looks at, so they
// are inline. With depth > 0 a coordinate off the map is a fatal report;
// depth 0 makes them silent tests.
inline bool on_map(int x, int y, int depth) {
  depth = trace_enter(depth, trace_id::on_map);
  if (x >= 1 && x <= map_size && y >= 1 && y <= map_size) return true;
  if (depth > 0) report_off_map(x, y, depth);
  return false;
}
// On the map and block < 51 (an empty cell counts as wall).
inline bool is_wall(int x, int y, int depth) {
  depth = trace_enter(depth, trace_id::is_wall);
  return on_map(x, y, depth) && map_cells(x, y).block <= 50;
}
// On the map and block > 50.
inline bool is_floor(int x, int y, int depth) {
  depth = trace_enter(depth, trace_id::is_floor);
  return on_map(x, y, depth) && map_cells(x, y).block > 50;
}
bool on_inner_map(int x, int y);
int get_block_base(int x, int y, int block, int depth);  // 1 wall, 2 floor, 0 off map
bool is_free_wall(int x, int y, int depth);
bool is_impenetrable_wall(int x, int y, int depth);
int get_area(int x, int y, int depth);  // area_kind, 0 off the map
void set_block(int x, int y, int block, int area_kind, int area_index, bool impenetrable, int depth);
// Commits the stencil over x1..x2 by y1..y2 to the map with set_block.
void place_area(int x1, int y1, int x2, int y2, int area_kind, int area_index, bool impenetrable,
                int depth);
void clear_map();
void fill_map_rect(int x1, int y1, int x2, int y2, const MapCell& border, const MapCell& inner);
int dominant_floor_block(int x, int y);
int adjacent_area_floor_block(int x, int y);
Point adjacent_area_floor(int x, int y, int area_index, int depth);
// neighbourhood 4 = orthogonal, otherwise the first that many of the eight;
// base filter 0 none, 1 wall, 2 floor; empty lists do not filter.
int count_neighbours(int x, int y, int neighbourhood, int base_filter,
                     const std::vector<int>& area_kinds, const std::vector<int>& area_indexes);
int free_run_length(int x, int y, int direction);
int cell_distance(int x1, int y1, int x2, int y2);

// Ring list: centre first, then square rings clockwise from the top-left
// corner; off-map cells skipped; at most 16386 entries, (0, 0) after the last.
inline constexpr int ring_list_capacity = 16386;
struct RingEntry {
  uint8_t x;
  uint8_t y;
};
extern CheckedArray<RingEntry, 0, ring_list_capacity - 1> ring_list;
extern int ring_list_length;
void build_ring_list(int x, int y, int radius);

// ---- Areas table -----------------------------------------------------

inline constexpr int area_kind_count = 9;
namespace area_kind {
inline constexpr int corridor = 1, room = 2, circular = 3, ellipse = 4, polygon = 5,
                     tunnel = 6, cave = 7, special = 8, vault = 9;
}
// Tunnels and caves, the areas grown by random walks.
inline bool is_natural_kind(int kind) { return kind == area_kind::tunnel || kind == area_kind::cave; }
extern const CheckedArray<const char*, 0, area_kind_count> area_kind_names;
extern const CheckedArray<const char*, 0, 4> passage_names;  // "-", "empty", "opened", "closed", "locked"

struct ZoneRect {
  uint8_t x, y, width, height;  // x = 0: no such zone
};
struct CellPosition {
  int16_t x, y;
};

struct AreaRecord {
  int32_t anchor_x, anchor_y;
  int32_t direction;
  int32_t x1, y1, x2, y2;
  int32_t width, height;
  int32_t centre_x, centre_y;
  int32_t kind;
  int32_t template_index;
  int32_t cell_count;
  int32_t parent_area;
  int32_t trim_state;
  int32_t reachable_areas;
  int32_t neighbour_count;
  int32_t room_neighbour_count;
  int32_t dead_end_origin;
  int32_t exit_cells;
  int32_t door_count, open_exit_count, open_door_count, closed_door_count, locked_door_count,
      passable_exit_count, secret_link_count, door_being_count;
  int32_t content;
  int32_t zone_message_state[3];
  int32_t container_count;
  int32_t being_count;
  int32_t hidden_being_count;
  int32_t game_counters[8];
  CheckedArray<ZoneRect, 1, 60> zones;
  CheckedArray<CellPosition, 31, 38> cell_zone_doors;
  CheckedArray<uint16_t, 1, 60> zone_messages[2];
  CheckedArray<uint16_t, 1, 100> neighbours;
  CheckedArray<uint16_t, 1, 100> secret_neighbours;
  CheckedArray<uint8_t, 1, 100> neighbour_kind;
  CheckedArray<uint8_t, 1, 100> neighbour_passage;  // 1 empty, 2 opened, 3 closed, 4 locked
  CheckedArray<uint8_t, 1, 100> neighbour_touch;
  uint8_t template_flag;
  CheckedArray<uint8_t, 1, 17> flags;  // flags[multi_touch_flag] is set by link_areas
};
inline constexpr int multi_touch_flag = 1;

// Slot 0 is never used; areas are numbered 1..255 in creation order.
extern CheckedTable<AreaRecord> areas;

bool is_area(int number);
void empty_areas();
void add_to_areas(int number, int anchor_x, int anchor_y, int direction, int x1, int y1, int x2,
                  int y2, int kind, int cell_count, int template_index, int depth);
std::string area_code_name(int code, int number);
void set_zone_cells(int area, int zone);
bool is_area_front_cell(int x, int y);
// The far-end cell of the area in its growth direction; false for a direction outside 1..4.
bool area_front_cell(int area, Point& cell);

// ---- Furniture -------------------------------------------------------

void add_furniture(int x, int y, int furniture, int depth);
void remove_furniture(int x, int y, bool with_hidden_being, int depth);
int get_furniture(int x, int y, int depth);
bool is_furniture(int x, int y, int furniture, int state, int depth);
bool is_door(int x, int y, int state, int depth);
bool is_light(int x, int y, int state, int depth);
int is_secret_door(int x, int y, int depth);
int is_doorway(int x, int y, bool doors_only, int depth);
int is_near_doorway(int x, int y, bool doors_only, int depth);
int is_furniture_container(int x, int y, int depth);
bool is_closed_container(int x, int y, int depth);
void update_furniture_state(int x, int y, int depth);
bool is_shop_furniture(int furniture);
std::string furniture_name(int x, int y);
void create_secret_door(int x, int y, Dice difficulty, int depth);
void reveal_secret_door(int x, int y, int depth);
void open_shop_containers();
void shuffle_furniture_variants();
bool is_free_floor(int x, int y, int width, int height, int mode, int being, int depth);
Point find_area_furniture(int area, int n, const std::vector<int>& furniture_list);
void remove_area_furniture(int area, const std::vector<int>& furniture_list);
