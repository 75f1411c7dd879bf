// Level assembly: the level settings records (one per dungeon level), the
// level table loaded from the data file and the current level record.
#pragma once

#include <cstddef>
#include <cstdint>

#include "GAME_Dice.h"
#include "GAME_Dungeon.h"
#include "Range_Check.h"

#pragma pack(push, 1)
// A location specification (236 bytes): where and how the level contents
// place one kind of stuff. Opaque until the contents code reads its fields.
struct LocationSpec {
  uint8_t bytes[236];
};
static_assert(sizeof(LocationSpec) == 236);

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
