// Level assembly: the level settings records (one per dungeon level), the
// level table loaded from the data file and the current level record.
#pragma once

#include <cstddef>
#include <cstdint>

#include "GAME_Dice.h"
#include "GAME_Dungeon.h"
#include "Range_Check.h"

#pragma pack(push, 1)
// A location specification (236 bytes): what to place (furniture, items,
// beings, traps, splashes, special stuff), how many, with what chance, and
// in which area and where in it. Stored in level records, portal records
// and content records, so the offsets are fixed.
struct LocationSpec {
  uint8_t need_kind;      // 1..9 area kind, 10+ template (code - 9), 0 any but corridors
  uint8_t place;          // 0 = 2 anywhere; 1; 3..22 template zone; 43..46 special zones
  uint8_t spot_mode;      // 0 = 2 random sampling; 1, 3, 4, 5, formations 6..23
  uint8_t need_passable;
  uint8_t area_order;     // 0 random, 1 first, 2 last, 3 most cells
  uint8_t reserved_5;
  uint16_t need_template;
  uint16_t need_content;
  uint16_t min_exits;
  uint16_t max_exits;     // 0 admits only areas without exits
  uint16_t min_reachable;
  uint8_t min_level;      // content stuff lists: 0 = every level
  uint8_t max_level;
  uint16_t min_size;
  uint16_t max_size;      // 0 = no limit
  uint8_t doors_only_exits;
  uint8_t single_touch_only;
  uint8_t no_content;
  uint8_t no_portals_near;
  uint8_t no_beings;
  uint8_t no_special_stuff;
  uint8_t no_content_stuff;
  uint8_t reserved_29;
  uint16_t min_area_cells;
  Dice chance;             // percent with which the specification is used
  uint8_t stuff_type;      // 1 furniture .. 9 splash; 0 ends a stuff list
  uint8_t width;
  uint8_t height;
  uint8_t reserved_73;
  uint16_t content_ref;
  uint16_t stuff_group;
  uint16_t stuff_id;
  Dice amount;
  uint16_t chosen_code;      // output
  uint16_t chosen_template;  // output
  uint16_t area;             // input 0 = let the finder choose; output
  uint16_t owner_content;
  uint8_t result_x;          // output: last placed cell, 0 = none
  uint8_t result_y;
  uint8_t formation_piece;   // run-time
  uint8_t must_place;
  uint8_t same_area;
  uint8_t spread;
  uint8_t after_success;
  uint8_t after_failure;
  uint8_t unless_item_placed;
  uint8_t unless_being_placed;
  uint8_t stop_on_failure;
  uint8_t keep_content;
  uint8_t give_up;
  uint8_t group_start;
  uint8_t group_end;
  uint8_t grouped;
  uint8_t group_choice;      // run-time
  uint8_t being_group_slot;
  uint8_t floor_item_chance;
  uint8_t stack_item_chance;
  Dice hidden_chance;
  uint16_t hidden_being_kind;
  CheckedArray<uint8_t, 1, 2> cell_markers;
  uint8_t use_level_stuff_kind;
  uint8_t trap_in_container;
  uint8_t trap_at_door;
  uint8_t reserved_191;
  Dice trap_power;
  uint16_t trap_data;
  uint8_t need_free_below;
  uint8_t reserved_233;
  uint16_t placed_count;     // output
};
static_assert(sizeof(LocationSpec) == 236);
static_assert(offsetof(LocationSpec, need_template) == 6);
static_assert(offsetof(LocationSpec, min_level) == 16);
static_assert(offsetof(LocationSpec, min_size) == 18);
static_assert(offsetof(LocationSpec, doors_only_exits) == 22);
static_assert(offsetof(LocationSpec, no_content_stuff) == 28);
static_assert(offsetof(LocationSpec, min_area_cells) == 30);
static_assert(offsetof(LocationSpec, chance) == 32);
static_assert(offsetof(LocationSpec, stuff_type) == 70);
static_assert(offsetof(LocationSpec, content_ref) == 74);
static_assert(offsetof(LocationSpec, stuff_id) == 78);
static_assert(offsetof(LocationSpec, amount) == 80);
static_assert(offsetof(LocationSpec, chosen_code) == 118);
static_assert(offsetof(LocationSpec, area) == 122);
static_assert(offsetof(LocationSpec, result_x) == 126);
static_assert(offsetof(LocationSpec, must_place) == 129);
static_assert(offsetof(LocationSpec, give_up) == 138);
static_assert(offsetof(LocationSpec, group_choice) == 142);
static_assert(offsetof(LocationSpec, stack_item_chance) == 145);
static_assert(offsetof(LocationSpec, hidden_chance) == 146);
static_assert(offsetof(LocationSpec, hidden_being_kind) == 184);
static_assert(offsetof(LocationSpec, cell_markers) == 186);
static_assert(offsetof(LocationSpec, use_level_stuff_kind) == 188);
static_assert(offsetof(LocationSpec, trap_at_door) == 190);
static_assert(offsetof(LocationSpec, trap_power) == 192);
static_assert(offsetof(LocationSpec, trap_data) == 230);
static_assert(offsetof(LocationSpec, need_free_below) == 232);
static_assert(offsetof(LocationSpec, placed_count) == 234);

// A level settings record (27840 bytes), stored byte for byte in the data file.
struct LevelRecord {
  uint8_t reserved_0[64];
  uint8_t level_index;  // dungeon levels 1..10; the driver accepts 1..12
  uint8_t reserved_65;
  uint8_t level_map_size;     // 1..128
  uint8_t recruitables_flag;  // the town level
  uint8_t fixed_start_flag;   // seed mark north, no template mirroring
  uint8_t reserved_69[3];
  DungeonSettings dungeon;
  CheckedArray<uint16_t, 1, 20> forced_contents;
  CheckedArray<uint16_t, 1, 20> theme_groups;
  CheckedArray<Dice, 1, 20> theme_counts;
  CheckedArray<LocationSpec, 1, 100> level_stuff;
  uint8_t reserved_27356[234];
  uint16_t reserved_27590;
  CheckedArray<uint16_t, 1, 8> level_being_groups;
  uint8_t reserved_27608[2];
  Dice timer_dice;
  uint8_t reserved_27648[40];
  uint8_t game_27688[4];
  uint8_t game_27692[4];
  int32_t creation_clock;
  int32_t game_27700[2];
  int32_t game_27708[2];
  uint8_t reserved_27716[4];
  double creation_time;
  int32_t creation_seed;
  int32_t timer;
  uint16_t reserved_27736;
  uint16_t explorable_count;
  uint16_t game_27740;
  uint16_t isolated_count;
  uint8_t game_27744[3];
  uint8_t prison_flag;
  uint8_t game_27748[16];
  int32_t stored_size;  // non-zero: restored from the saved game, not generated
  uint8_t game_27768[72];
};
#pragma pack(pop)

static_assert(sizeof(LevelRecord) == 27840);
static_assert(offsetof(LevelRecord, level_index) == 64);
static_assert(offsetof(LevelRecord, level_map_size) == 66);
static_assert(offsetof(LevelRecord, recruitables_flag) == 67);
static_assert(offsetof(LevelRecord, fixed_start_flag) == 68);
static_assert(offsetof(LevelRecord, dungeon) == dungeon_block_offset);
static_assert(offsetof(LevelRecord, forced_contents) == 2916);
static_assert(offsetof(LevelRecord, theme_groups) == 2956);
static_assert(offsetof(LevelRecord, theme_counts) == 2996);
static_assert(offsetof(LevelRecord, level_stuff) == 3756);
static_assert(offsetof(LevelRecord, level_being_groups) == 27592);
static_assert(offsetof(LevelRecord, timer_dice) == 27610);
static_assert(offsetof(LevelRecord, creation_clock) == 27696);
static_assert(offsetof(LevelRecord, creation_time) == 27720);
static_assert(offsetof(LevelRecord, creation_seed) == 27728);
static_assert(offsetof(LevelRecord, timer) == 27732);
static_assert(offsetof(LevelRecord, explorable_count) == 27738);
static_assert(offsetof(LevelRecord, isolated_count) == 27742);
static_assert(offsetof(LevelRecord, prison_flag) == 27747);
static_assert(offsetof(LevelRecord, stored_size) == 27764);

// Level records 1..count in data-file order (entry 0 blank).
extern CheckedTable<LevelRecord> level_table;
// The record of the level being set up; all level code reads this copy.
extern LevelRecord current_level;

// ---- Area exits and door states ------------------------------------------
// Derived from the map alone: the neighbour graph of the areas, their exit
// cells, dead-end chains and reachability, and the doors between areas.

// Rebuilds exit_cells, the neighbour lists, dead_end_origin and
// reachable_areas of every area slot, in one pass over the inner map.
void calculate_area_exits(int depth);
// The same results by one full scan of the inner map per area slot; the
// reference the one-pass version is checked against.
void calculate_area_exits_by_slot(int depth);
// Records that b touches a through one more cell; a new non-corridor
// neighbour takes the slot of a's first corridor neighbour, which moves on.
void link_areas(int a, int b);
void link_secret(int a, int b);
// Lowers the passage of the a-b connection in both directions (1 is kept).
void set_passage(int a, int b, int passage);
// Rebuilds the door statistics, secret neighbours and passages of every area.
void update_all_door_states();
// Accounts the door at (x, y); with adjust it first leaves its previous count.
void update_area_door_state(int x, int y, bool adjust, int depth);
bool are_neighbours(int a, int b);
bool are_secret_neighbours(int a, int b);
bool are_second_neighbours(int a, int b);
