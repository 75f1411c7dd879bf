// Whole dig runs of a level that builds only corridors and the four room
// kinds: one fixed seed pins the map and the areas table, and many seeds
// check what every such dungeon must satisfy while it grows.
//
// Golden refresh: when a deliberate change of the generator changes the
// pinned run, run
//   GOLDEN_ROOMS_PRINT=1 ./test_golden_rooms --gtest_filter='GoldenRooms*'
// and paste the printed digest and excerpts below, saying in the commit
// why the draws changed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "GAME_Dice.h"
#include "GAME_Dungeon.h"
#include "GAME_File.h"
#include "GAME_Level.h"
#include "GAME_Map.h"
#include "level_fixture.h"
#include "map_text.h"

namespace {

// The fixture's level with the natural and template kinds switched off.
LevelRecord rooms_only_level(int size, int corridor_width, int merge_chance) {
  LevelRecord level = default_level_record();
  level.level_map_size = narrow<uint8_t>(size);
  for (int kind = area_kind::tunnel; kind <= area_kind::vault; ++kind)
    level.dungeon.area_chance[kind] = 0;
  level.dungeon.corridor_width = narrow<uint8_t>(corridor_width);
  level.dungeon.merge_chance = narrow<uint8_t>(merge_chance);
  return level;
}

// Calls step() after each dig step, as level creation numbers them.
template <class AfterStep>
void dig_run(const LevelRecord& level, uint32_t seed, AfterStep step) {
  install_level(level);
  rand_seed = seed;
  dungeon.dig_step = 0;
  create_dungeon(0);
  for (int i = 1; i <= level.dungeon.dig_steps && mark_count() > 0; ++i) {
    ++dungeon.dig_step;
    dig_dungeon(0);
    step();
  }
}

uint64_t fnv(uint64_t hash, int64_t value) {
  for (int i = 0; i < 8; ++i) {
    hash ^= static_cast<uint64_t>(value >> (8 * i)) & 0xff;
    hash *= 1099511628211ull;
  }
  return hash;
}

// A digest of every cell's block, owner and furniture and of the areas
// table's placement fields.
std::string run_digest() {
  uint64_t hash = 14695981039346656037ull;
  for (int x = 1; x <= map_size; ++x)
    for (int y = 1; y <= map_size; ++y) {
      const MapCell& c = map_cells(x, y);
      hash = fnv(hash, c.block | c.area_kind << 8 | c.area_index << 16 | int64_t{c.furniture} << 24);
    }
  for (int a = 1; a <= areas.highest(); ++a) {
    const AreaRecord& r = areas[a];
    for (int64_t v : {r.kind, r.anchor_x, r.anchor_y, r.direction, r.x1, r.y1, r.x2, r.y2,
                      r.cell_count, r.parent_area})
      hash = fnv(hash, v);
  }
  hash = fnv(hash, dungeon.area_counter);
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

// The first areas of the table, one line each.
std::string areas_excerpt(int count) {
  std::string text;
  for (int a = 1; a <= count && a <= areas.highest(); ++a) {
    const AreaRecord& r = areas[a];
    char line[96];
    std::snprintf(line, sizeof line, "%d %s %d,%d-%d,%d from %d\n", a, area_kind_names[r.kind], r.x1,
                  r.y1, r.x2, r.y2, r.parent_area);
    text += line;
  }
  return text;
}

constexpr uint32_t golden_seed = 20240611;
constexpr int golden_size = 64;

const char* const golden_digest = "3a5f53e332cfa28a";
const char* const golden_areas =
    "1 corridor 30,25-32,37 from 1\n"
    "2 corridor 22,31-30,33 from 1\n"
    "3 room 26,18-32,25 from 1\n"
    "4 ellipse 27,37-35,51 from 1\n"
    "5 corridor 32,28-43,30 from 1\n"
    "6 corridor 27,8-29,18 from 3\n"
    "7 room 33,21-37,28 from 5\n"
    "8 room 26,51-32,58 from 4\n"
    "9 room 26,2-34,8 from 6\n"
    "10 room 35,42-39,49 from 4\n"
    "11 room 23,27-30,31 from 2\n"
    "12 room 32,51-40,57 from 8\n";
// Cells 17..48 by 22..42, around the first area.
const char* const golden_map =
    "#####....#.....##...#    #......\n"
    ".#.##....#.....##...#    #######\n"
    ".#.##....#.....##...#           \n"
    "...##....#####.##...#        ###\n"
    ".#.##....#   #.##...#      ###..\n"
    "##.#####.#####.##...#     ##....\n"
    " #.#  #......#.###.########.....\n"
    " #.#  #......#............+.....\n"
    "##+####......#.############.....\n"
    ".....#####+###.#   #.#....##....\n"
    "...............#   #.#....####..\n"
    ".....##.######.#   #.#....#  ###\n"
    ".....##.#    #.#   #.####.####..\n"
    ".....##.#    #.#   #.#......##..\n"
    ".....##.#    #.#   #.#......##..\n"
    ".....##.#   ##+##  #.#......##..\n"
    ".....##.#  ##...## #.#......##..\n"
    ".....##.#  #.....# #.+......##..\n"
    "....##### ##.....###.###########\n"
    "....#     #.......##.#  ###.....\n"
    "....#     #.......##.####.......\n";

}  // namespace

TEST(GoldenRooms, FixedSeedGivesThePinnedMapAndAreas) {
  dig_run(rooms_only_level(golden_size, 1, 20), golden_seed, [] {});
  const std::string digest = run_digest();
  const std::string excerpt = areas_excerpt(12);
  const std::string map = map_text(17, 22, 48, 42);
  if (std::getenv("GOLDEN_ROOMS_PRINT")) std::cout << digest << "\n" << excerpt << map;
  EXPECT_EQ(excerpt, golden_areas);
  EXPECT_EQ(map, golden_map);
  EXPECT_EQ(digest, golden_digest);
}

TEST(GoldenRooms, TheSameSeedGivesTheSameRunTwice) {
  dig_run(rooms_only_level(golden_size, 1, 20), golden_seed, [] {});
  const std::string first = run_digest();
  dig_run(rooms_only_level(golden_size, 1, 20), golden_seed, [] {});
  EXPECT_EQ(run_digest(), first);
}

namespace {

struct Variant {
  const char* name;
  int size, corridor_width, merge_chance;
};

class RoomsInvariants : public testing::TestWithParam<Variant> {};

// Owner of every floor cell after the previous step (0 = not floor).
CheckedGrid<uint8_t, map_storage> floor_owner;

void expect_invariants_after_step(uint32_t seed, int step) {
  SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << step);
  int registered = 0;
  for (int a = 1; a <= areas.highest(); ++a)
    if (areas[a].kind != 0) {
      ++registered;
      EXPECT_TRUE(areas[a].kind >= area_kind::corridor && areas[a].kind <= area_kind::polygon);
    }
  EXPECT_EQ(dungeon.area_counter, registered + 1);
  int counted = 0;
  for (int kind = 1; kind <= area_kind_count; ++kind) counted += dungeon.area_count[kind];
  EXPECT_EQ(counted, registered);
  for (int x = 1; x <= map_size; ++x)
    for (int y = 1; y <= map_size; ++y) {
      const MapCell& c = map_cells(x, y);
      if (c.area_index != 0) {
        ASSERT_TRUE(is_area(c.area_index)) << x << "," << y;
        const AreaRecord& r = areas[c.area_index];
        ASSERT_TRUE(x >= r.x1 && x <= r.x2 && y >= r.y1 && y <= r.y2)
            << "cell " << x << "," << y << " outside the box of area " << int(c.area_index);
      }
      if (floor_owner(x, y) != 0) {
        ASSERT_EQ(c.area_index, floor_owner(x, y)) << "floor " << x << "," << y << " changed hands";
      }
      if (is_floor(x, y, 0)) floor_owner(x, y) = c.area_index;
    }
}

// Dig runs of level over seeds first .. first + count - 1, checking every
// step; returns the most areas any run built.
int most_areas_over_runs(const LevelRecord& level, uint32_t first, int count) {
  int most_areas = 0;
  for (uint32_t seed = first; seed < first + count; ++seed) {
    floor_owner.clear();
    int step = 0;
    EXPECT_NO_THROW(dig_run(level, seed, [&] { expect_invariants_after_step(seed, ++step); }));
    if (testing::Test::HasFatalFailure()) return most_areas;
    most_areas = std::max(most_areas, dungeon.area_counter - 1);
  }
  return most_areas;
}

// The shipped data file, loaded once; false when the build has not made it.
bool load_shipped_levels() {
  static const bool loaded = [] {
    program_folder = TEST_PROGRAM_FOLDER;
    data_name = "Kavrel";
    return load_game_data();
  }();
  return loaded;
}

}  // namespace

TEST_P(RoomsInvariants, EveryStepKeepsAreasInTheirBoxesAndFloorsWithTheirOwners) {
  const Variant v = GetParam();
  const LevelRecord level = rooms_only_level(v.size, v.corridor_width, v.merge_chance);
  EXPECT_GE(most_areas_over_runs(level, 7919, 25), 20) << "the runs grow real dungeons";
}

INSTANTIATE_TEST_SUITE_P(Levels, RoomsInvariants,
                         testing::Values(Variant{"narrow", 64, 1, 20}, Variant{"wide", 80, 2, 20},
                                         Variant{"merging", 64, 1, 100},
                                         Variant{"full_size", 128, 1, 20}),
                         [](const testing::TestParamInfo<Variant>& param) {
                           return std::string(param.param.name);
                         });

TEST(ShippedLevelsWithRoomsOnly, EveryStepKeepsItsInvariants) {
  if (!load_shipped_levels()) GTEST_SKIP() << "the game data file is not built";
  for (int index : {3, 4, 6, 8}) {
    if (level_table.highest() < index) continue;
    SCOPED_TRACE(testing::Message() << "level " << index);
    LevelRecord level = level_table[index];
    DungeonSettings& d = level.dungeon;
    for (int kind = area_kind::tunnel; kind <= area_kind::vault; ++kind) d.area_chance[kind] = 0;
    d.force_area.fill(0);
    d.built_wall = d.built_blocks[1].wall;
    d.built_floor = d.built_blocks[1].floor;
    // Some levels cap the built kinds: they cannot exceed the sum of the caps.
    int cap = 0;
    bool capped = true;
    for (int kind = area_kind::corridor; kind <= area_kind::polygon; ++kind) {
      if (d.area_chance[kind] == 0) continue;
      capped = capped && d.area_max[kind] != 0;
      cap += d.area_max[kind];
    }
    EXPECT_GE(most_areas_over_runs(level, 104729, 10), capped ? std::min(cap, 10) : 10);
  }
}
