// Whole dungeons from the shipped game data: create, dig and finalize many
// seeds on the generated levels and check what every finished map must
// satisfy; one fixed seed pins a finished map.
//
// Golden refresh: when a deliberate change of the generator changes the
// pinned map, run
//   DUNGEON_GOLDEN_PRINT=1 ./test_invariants --gtest_filter='Golden*'
// and paste the printed digest and excerpt into golden_digest and
// golden_excerpt below, saying in the commit why the draws changed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "GAME_Dungeon.h"
#include "GAME_File.h"
#include "GAME_Global.h"
#include "GAME_Graphics.h"
#include "GAME_Level.h"
#include "GAME_Map.h"
#include "GAME_Reset.h"
#include "map_text.h"
#include "finished_map.h"
#include "shipped_data.h"

namespace {

// Areas whose floor cannot be walked to from area 1's floor through floor
// cells (open doorways and doors; secret doors are walls until found).
int unreachable_areas() {
  fill_visited_layer.clear();
  std::vector<Point> queue;
  for (int x = 1; x <= map_size && queue.empty(); ++x)
    for (int y = 1; y <= map_size && queue.empty(); ++y)
      if (map_cells(x, y).area_index == 1 && is_floor(x, y, 0)) queue.push_back({x, y});
  std::vector<bool> reached(static_cast<size_t>(areas.highest() + 1), false);
  for (size_t head = 0; head < queue.size(); ++head) {
    const Point p = queue[head];
    if (fill_visited_layer(p.x, p.y) != 0) continue;
    fill_visited_layer(p.x, p.y) = 1;
    reached[map_cells(p.x, p.y).area_index] = true;
    for (int d = 1; d <= 4; ++d) {
      const int nx = p.x + direction_step[d].dx, ny = p.y + direction_step[d].dy;
      if (is_floor(nx, ny, 0) && fill_visited_layer(nx, ny) == 0) queue.push_back({nx, ny});
    }
  }
  int count = 0;
  for (int i = 1; i <= areas.highest(); ++i)
    if (!reached[static_cast<size_t>(i)]) ++count;
  return count;
}

// The neighbour fields of every area as the exit calculation leaves them.
std::vector<int> neighbour_fields() {
  std::vector<int> values;
  for (int i = 1; i <= areas.highest(); ++i) {
    const AreaRecord& a = areas[i];
    for (int v : {a.exit_cells, a.neighbour_count, a.room_neighbour_count, a.dead_end_origin,
                  a.reachable_areas, static_cast<int>(a.flags[multi_touch_flag])})
      values.push_back(v);
    for (int s = 1; s <= 100; ++s)
      for (int v : {int{a.neighbours[s]}, int{a.neighbour_kind[s]}, int{a.neighbour_touch[s]}})
        values.push_back(v);
  }
  return values;
}

// Whether the one-pass exit calculation and the per-slot scan agree on the
// finished map.
bool exit_passes_agree() {
  calculate_area_exits_by_slot(0);
  const std::vector<int> by_slot = neighbour_fields();
  calculate_area_exits(0);
  return neighbour_fields() == by_slot;
}

struct LevelFigures {
  int maps = 0;
  long areas = 0;
  long unreachable = 0;
  long no_open_exit = 0;
  long sealed = 0;
  int worst_unreachable = 0;
};

class Invariants : public testing::TestWithParam<int> {};

TEST_P(Invariants, EveryFinishedDungeonKeepsItsPromises) {
  const int level_index = GetParam();
  if (!load_shipped_data("dungeon_invariants")) GTEST_SKIP() << "the game data files are not built";
  if (level_table.highest() < level_index) GTEST_SKIP() << "no level " << level_index;
  LevelFigures figures;
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    error_log.clear();
    shutting_down = false;
    try {
      ASSERT_TRUE(generate_shipped_dungeon(level_index, seed * 7919u));
    } catch (const RangeError& e) {
      FAIL() << "level " << level_index << " seed " << seed * 7919u << ": " << e.what();
    }
    const std::string broken = finished_map_problem();
    ASSERT_EQ(broken, "") << "level " << level_index << " seed " << seed * 7919u;
    ASSERT_TRUE(exit_passes_agree()) << "level " << level_index << " seed " << seed * 7919u;
    const int unreachable = unreachable_areas();
    figures.maps += 1;
    figures.areas += areas.highest();
    figures.unreachable += unreachable;
    figures.worst_unreachable = std::max(figures.worst_unreachable, unreachable);
    for (int i = 1; i <= areas.highest(); ++i) {
      if (areas[i].exit_cells != 0) continue;
      figures.no_open_exit += 1;
      if (areas[i].secret_link_count == 0) figures.sealed += 1;
    }
  }
  const double maps = figures.maps;
  std::cout << "level " << level_index << ": " << figures.maps << " maps, "
            << figures.areas / maps << " areas per map, " << figures.unreachable / maps
            << " unreachable through open passages (worst " << figures.worst_unreachable << "), "
            << figures.no_open_exit / maps << " without an open exit, " << figures.sealed / maps
            << " without any exit\n";
}

INSTANTIATE_TEST_SUITE_P(GeneratedLevels, Invariants, testing::Values(3, 4, 6, 8),
                         [](const testing::TestParamInfo<int>& param) {
                           return "Level" + std::to_string(param.param);
                         });

// FNV-1a over what a finished map shows and how it is divided into areas.
uint64_t map_digest() {
  uint64_t h = 1469598103934665603ull;
  auto mix = [&h](int v) {
    h ^= static_cast<uint64_t>(v & 0xff);
    h *= 1099511628211ull;
  };
  mix(dungeon.area_counter);
  for (int x = 1; x <= map_size; ++x)
    for (int y = 1; y <= map_size; ++y) {
      const MapCell& c = map_cells(x, y);
      for (int v : {c.block, c.area_kind, c.area_index, c.furniture, c.furniture_state})
        mix(v);
    }
  return h;
}

constexpr uint32_t golden_seed = 4242;
constexpr int golden_level = 3;
constexpr uint64_t golden_digest = 0x67b86151b4955604;
// The 41 x 21 cells around the map centre.
const char* const golden_excerpt = R"(######.......####.........####.#......#.*
######.......####.........####.+......#..
######.......####.........####.##########
#########+########.......#####.####.*.*##
#########.########.......#####+####....##
..######...#########...#####......#...*##
..#####.....#########S######........*..##
..####.......###.......#####......#...*##
..###.........##.......######.#####....##
..##..*.....*..#.......#........###.*.*##
####...........#................#########
##.......*.....+.......#.................
##.#...........#.......#........#######+#
.+.#..*.....*..###+#####+###########.....
.#.##.........####.####.....########.....
.#.###.......#####.####............+.....
.#.####.....######.####.....##+#####.....
##.#####...#######.####.....##.....#.....
##.######.########.####.....##.....#.....
#.....###.########.########.##.....#.####
......+............................+.....
)";

TEST(GoldenDungeon, FixedSeedGivesThePinnedFinishedMap) {
  if (!load_shipped_data("dungeon_invariants")) GTEST_SKIP() << "the game data files are not built";
  if (level_table.highest() < golden_level) GTEST_SKIP() << "no level " << golden_level;
  ASSERT_TRUE(generate_shipped_dungeon(golden_level, golden_seed));
  const int c = map_size / 2;
  const std::string excerpt = map_text(c - 20, c - 10, c + 20, c + 10);
  if (std::getenv("DUNGEON_GOLDEN_PRINT") != nullptr)
    std::cout << "digest 0x" << std::hex << map_digest() << std::dec << ", area_counter "
              << dungeon.area_counter << "\n" << excerpt;
  EXPECT_EQ(excerpt, golden_excerpt);
  EXPECT_EQ(map_digest(), golden_digest);
}

}  // namespace
