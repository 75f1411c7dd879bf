// Area exits and door states: the neighbour graph, dead-end chains,
// reachability and the door statistics derived from small hand-made maps.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "GAME_Level.h"
#include "GAME_Map.h"
#include "map_text.h"

namespace {

// Registers areas 1..kinds.size() with the given kinds (0 leaves a slot
// unused) and writes each area's kind into its cells.
void set_area_kinds(const std::vector<int>& kinds) {
  areas.resize_to(static_cast<int>(kinds.size()));
  for (size_t i = 0; i < kinds.size(); ++i) areas[static_cast<int>(i) + 1].kind = kinds[i];
  for (int x = 1; x <= map_size; ++x)
    for (int y = 1; y <= map_size; ++y) {
      MapCell& cell = map_cells(x, y);
      if (is_area(cell.area_index)) cell.area_kind = narrow<uint8_t>(areas[cell.area_index].kind);
    }
}

// Paints a map and its area numbers at (1, 1) and registers the areas.
void make_map(int size, const char* blocks, const char* numbers, const std::vector<int>& kinds) {
  reset_test_map(size);
  paint_map_text(1, 1, blocks);
  paint_area_text(1, 1, numbers, 0);
  set_area_kinds(kinds);
}

std::vector<int> neighbour_list(int area) {
  std::vector<int> list;
  for (int s = 1; s <= 100 && areas[area].neighbours[s] != 0; ++s)
    list.push_back(areas[area].neighbours[s]);
  return list;
}

using Ints = std::vector<int>;
constexpr int room = area_kind::room, corridor = area_kind::corridor;

TEST(AreaExits, TwoRoomsJoinedByOneDoorwayListEachOtherOnce) {
  make_map(7, R"(
#######
#..#..#
#.....#
#..#..#
#######)",
           R"(
1111222
1111222
1111222
1111222
1111222)",
           {room, room});
  calculate_area_exits(0);
  update_all_door_states();
  for (const auto& [a, b] : {std::pair{1, 2}, std::pair{2, 1}}) {
    SCOPED_TRACE(a);
    EXPECT_EQ(neighbour_list(a), Ints{b});
    EXPECT_EQ(areas[a].neighbour_count, 1);
    EXPECT_EQ(areas[a].room_neighbour_count, 1);
    EXPECT_EQ(areas[a].neighbour_touch[1], 1);
    EXPECT_EQ(areas[a].neighbour_passage[1], 1);
    EXPECT_EQ(areas[a].exit_cells, 1);
    EXPECT_EQ(areas[a].flags[multi_touch_flag], 0);
    EXPECT_EQ(areas[a].open_exit_count, 1);
    EXPECT_EQ(areas[a].passable_exit_count, 1);
    EXPECT_EQ(areas[a].reachable_areas, 1);
  }
}

TEST(AreaExits, CorridorAlongThreeCellsCountsThreeTouchesAndSetsMultiTouch) {
  make_map(7, R"(
#######
#.....#
#.....#
##...##
#######)",
           R"(
1111111
1111111
1111111
1122211
1111111)",
           {room, corridor});
  calculate_area_exits(0);
  EXPECT_EQ(neighbour_list(1), Ints{2});
  EXPECT_EQ(areas[1].neighbour_touch[1], 3);
  EXPECT_EQ(areas[1].exit_cells, 3);
  EXPECT_EQ(areas[1].flags[multi_touch_flag], 1);
  EXPECT_EQ(areas[1].room_neighbour_count, 0);
  EXPECT_EQ(areas[2].neighbour_touch[1], 3);
  EXPECT_EQ(areas[2].room_neighbour_count, 1);
}

TEST(AreaExits, SecondRoomTakesTheCorridorSlotAndTheCorridorMovesOn) {
  make_map(10, R"(
##########
##########
#........#
##########)",
           R"(
----------
----------
-2111113--
----------)",
           {room, corridor, room});
  calculate_area_exits(0);
  EXPECT_EQ(neighbour_list(1), (Ints{3, 2}));
  EXPECT_EQ(areas[1].neighbour_kind[1], room);
  EXPECT_EQ(areas[1].neighbour_kind[2], corridor);
  EXPECT_EQ(areas[1].neighbour_count, 2);
  EXPECT_EQ(areas[1].room_neighbour_count, 1);
}

TEST(AreaExits, MovedCorridorLeavesItsPassageToTheNewcomer) {
  reset_test_map(10);
  set_area_kinds({room, corridor, room});
  link_areas(1, 2);
  areas[1].neighbour_passage[1] = 3;
  link_areas(1, 3);
  link_areas(1, 2);
  EXPECT_EQ(neighbour_list(1), (Ints{3, 2}));
  EXPECT_EQ(areas[1].neighbour_passage[1], 3);
  EXPECT_EQ(areas[1].neighbour_passage[2], 0);
  EXPECT_EQ(areas[1].neighbour_touch[1], 1);
  EXPECT_EQ(areas[1].neighbour_touch[2], 2);
}

// 1 (room) - 2 (corridor) - 3 (corridor) - 4 (hub, with rooms 5 and 6);
// 7 stands alone.
TEST(AreaExits, DeadEndChainsStopAtAHubAndReachabilityCountsOtherAreas) {
  make_map(12, R"(
############
#######.####
#.......##.#
#######.####
############)",
           R"(
------------
-------5----
-1122334--7-
-------6----
------------)",
           {room, corridor, corridor, room, room, room, room});
  calculate_area_exits(0);
  EXPECT_EQ(areas[2].dead_end_origin, 1);
  EXPECT_EQ(areas[3].dead_end_origin, 1);
  for (int area : {1, 4, 5, 6, 7}) EXPECT_EQ(areas[area].dead_end_origin, 0) << area;
  EXPECT_EQ(areas[4].neighbour_count, 3);
  for (int area = 1; area <= 6; ++area) EXPECT_EQ(areas[area].reachable_areas, 5) << area;
  EXPECT_EQ(areas[7].exit_cells, 0);
  EXPECT_EQ(areas[7].neighbour_count, 0);
  EXPECT_EQ(areas[7].reachable_areas, 0);
}

TEST(AreaExits, RecalculationRestartsTheChainAtTheNewDeadEnd) {
  make_map(12, R"(
############
#######.####
#.......##.#
#######.####
############)",
           R"(
------------
-------5----
-1122334--7-
-------6----
------------)",
           {room, corridor, corridor, room, room, room, room});
  calculate_area_exits(0);
  map_cells(3, 3).block = 1;  // cut room 1 off: corridor 2 is the dead end now
  calculate_area_exits(0);
  EXPECT_EQ(areas[2].dead_end_origin, 0);
  EXPECT_EQ(areas[3].dead_end_origin, 2);
}

TEST(AreaExits, FullNeighbourListIgnoresTheHundredAndFirstButCountsItsCell) {
  reset_test_map(110);
  std::vector<int> kinds(102, room);
  for (int k = 0; k <= 100; ++k) {
    MapCell& below = map_cells(2 + k, 3);
    below.block = 51;
    below.area_index = 1;
    MapCell& above = map_cells(2 + k, 2);
    above.block = 51;
    above.area_index = narrow<uint8_t>(2 + k);
  }
  set_area_kinds(kinds);
  calculate_area_exits(0);
  EXPECT_EQ(areas[1].exit_cells, 101);
  EXPECT_EQ(areas[1].neighbour_count, 100);
  EXPECT_EQ(areas[1].neighbours[100], 101);
  EXPECT_FALSE(are_neighbours(1, 102));
  EXPECT_TRUE(are_neighbours(102, 1));
}

TEST(AreaExits, FloorOfNoAreaCountsAsExitButIsNoNeighbour) {
  make_map(6, R"(
######
#....#
######)",
           R"(
------
-11---
------)",
           {room});
  calculate_area_exits(0);
  EXPECT_EQ(areas[1].exit_cells, 1);
  EXPECT_EQ(areas[1].neighbour_count, 0);
}

// Rooms 3 and 5 (slots 1, 2 and 4 unused) with a locked door between them,
// and in the second case an open doorway as well.
TEST(DoorStates, LockedDoorGivesPassageFourUnlessAlsoOpenElsewhere) {
  struct Case {
    const char* name;
    char lower_doorway;
    int passage;
  };
  for (const Case& c : {Case{"locked door only", '#', 4}, Case{"and an open doorway", '.', 1}}) {
    SCOPED_TRACE(c.name);
    std::string blocks = R"(
#######
#..#..#
#..+..#
#..#..#
#..#..#
#######)";
    blocks[1 + 4 * 8 + 3] = c.lower_doorway;
    make_map(7, blocks.c_str(), R"(
3333555
3333555
3333555
3333555
3333555
3333555)",
             {0, 0, room, 0, room});
    map_cells(4, 3).furniture = furniture::door_locked;
    calculate_area_exits(0);
    update_all_door_states();
    for (const auto& [a, b] : {std::pair{3, 5}, std::pair{5, 3}}) {
      EXPECT_EQ(neighbour_list(a), Ints{b});
      EXPECT_EQ(areas[a].neighbour_passage[1], c.passage);
      EXPECT_EQ(areas[a].locked_door_count, 1);
      EXPECT_EQ(areas[a].closed_door_count, 0);
      EXPECT_EQ(areas[a].door_count, 1);
      EXPECT_EQ(areas[a].open_exit_count, areas[a].exit_cells - 1);
      EXPECT_EQ(areas[a].passable_exit_count, areas[a].open_exit_count);
    }
  }
}

const char* door_blocks = R"(
#######
#..#..#
#..+..#
#..#..#
#######)";
const char* door_areas = R"(
1111222
1111222
1111222
1111222
1111222)";

TEST(DoorStates, OpeningADoorMovesItFromClosedToOpenAndMakesItPassable) {
  make_map(7, door_blocks, door_areas, {room, room});
  calculate_area_exits(0);
  update_all_door_states();
  EXPECT_EQ(areas[1].closed_door_count, 1);
  EXPECT_EQ(areas[1].neighbour_passage[1], 3);
  EXPECT_EQ(areas[2].passable_exit_count, 0);

  map_cells(4, 3).furniture_state = 1;
  update_area_door_state(4, 3, true, 0);
  for (int a : {1, 2}) {
    SCOPED_TRACE(a);
    EXPECT_EQ(areas[a].open_door_count, 1);
    EXPECT_EQ(areas[a].closed_door_count, 0);
    EXPECT_EQ(areas[a].passable_exit_count, 1);
    EXPECT_EQ(areas[a].neighbour_passage[1], 2);
  }
}

TEST(DoorStates, SecretDoorLinksBothSidesAsSecretNeighboursOnly) {
  make_map(7, door_blocks, door_areas, {room, room});
  map_cells(4, 3).block = 1;
  map_cells(4, 3).furniture = furniture::door_secret;
  map_cells(4, 3).secret_difficulty = 5;
  map_cells(4, 3).hidden_being = 7;
  calculate_area_exits(0);
  update_all_door_states();
  EXPECT_TRUE(are_secret_neighbours(1, 2));
  EXPECT_TRUE(are_secret_neighbours(2, 1));
  EXPECT_FALSE(are_neighbours(1, 2));
  EXPECT_EQ(areas[1].secret_link_count, 1);
  EXPECT_EQ(areas[2].secret_link_count, 1);
  EXPECT_EQ(areas[1].door_being_count, 1);
  EXPECT_EQ(areas[2].door_being_count, 0);
  EXPECT_EQ(areas[1].exit_cells, 0);
}

TEST(DoorStates, SetPassageKeepsOpenDoorwaysAndOnlyLowersMultiCellConnections) {
  struct Case {
    int touch, current, value, expected;
  };
  const Case cases[] = {
      {1, 0, 3, 3}, {1, 2, 4, 4},  // one touching cell: the door decides
      {2, 0, 3, 0}, {2, 4, 2, 2}, {2, 2, 4, 2},  // several: only a lower value
      {1, 1, 4, 1}, {3, 1, 2, 1},  // an open doorway stays open
  };
  reset_test_map(10);
  set_area_kinds({room, room});
  link_areas(1, 2);
  link_areas(2, 1);
  for (const Case& c : cases) {
    for (int a : {1, 2}) {
      areas[a].neighbour_touch[1] = narrow<uint8_t>(c.touch);
      areas[a].neighbour_passage[1] = narrow<uint8_t>(c.current);
    }
    set_passage(1, 2, c.value);
    EXPECT_EQ(areas[1].neighbour_passage[1], c.expected)
        << "touch " << c.touch << " current " << c.current << " value " << c.value;
    EXPECT_EQ(areas[2].neighbour_passage[1], c.expected);
  }
}

TEST(AreaExits, SecondNeighboursShareAnArea) {
  make_map(12, R"(
############
#######.####
#.......##.#
#######.####
############)",
           R"(
------------
-------5----
-1122334--7-
-------6----
------------)",
           {room, corridor, corridor, room, room, room, room});
  calculate_area_exits(0);
  EXPECT_TRUE(are_second_neighbours(5, 6));
  EXPECT_TRUE(are_second_neighbours(1, 3));
  EXPECT_FALSE(are_second_neighbours(1, 4));
  EXPECT_FALSE(are_second_neighbours(7, 1));
}

// ---- The one-pass calculation against the per-slot scan --------------------

struct ExitFields {
  std::vector<int> values;
};

ExitFields exit_fields() {
  ExitFields f;
  for (int i = 1; i <= areas.highest(); ++i) {
    const AreaRecord& a = areas[i];
    for (int v : {a.exit_cells, a.neighbour_count, a.room_neighbour_count, a.dead_end_origin,
                  a.reachable_areas, static_cast<int>(a.flags[multi_touch_flag])})
      f.values.push_back(v);
    for (int s = 1; s <= 100; ++s)
      for (int v : {static_cast<int>(a.neighbours[s]), static_cast<int>(a.neighbour_kind[s]),
                    static_cast<int>(a.neighbour_touch[s]), static_cast<int>(a.neighbour_passage[s])})
        f.values.push_back(v);
  }
  return f;
}

// A random map: cells grouped around random centres (so areas touch along
// borders and interleave), with random walls, unclaimed floor and cells
// naming areas beyond the table.
void make_random_map(std::mt19937& rng, int size, int area_total) {
  reset_test_map(size);
  std::uniform_int_distribution<int> coordinate(1, size);
  std::uniform_int_distribution<int> kind(1, 9);
  std::uniform_int_distribution<int> percent(1, 100);
  std::vector<Point> centres;
  for (int i = 0; i < area_total; ++i) centres.push_back({coordinate(rng), coordinate(rng)});
  const int highest = area_total - area_total / 10;
  std::vector<int> kinds;
  for (int i = 0; i < highest; ++i) kinds.push_back(kind(rng));
  for (int x = 1; x <= size; ++x)
    for (int y = 1; y <= size; ++y) {
      int best = 0;
      for (int i = 1; i < area_total; ++i) {
        const int dx = centres[i].x - x, dy = centres[i].y - y;
        const int bx = centres[best].x - x, by = centres[best].y - y;
        if (dx * dx + dy * dy < bx * bx + by * by) best = i;
      }
      MapCell& cell = map_cells(x, y);
      cell.area_index = percent(rng) <= 5 ? 0 : narrow<uint8_t>(best + 1);
      cell.block = percent(rng) <= 30 ? 1 : 51;
    }
  set_area_kinds(kinds);
}

TEST(AreaExits, OnePassScanMatchesPerSlotScanOnRandomMaps) {
  std::mt19937 rng(20240611);
  const int area_totals[] = {2, 3, 8, 40, 150, 255};
  for (int round = 0; round < 60; ++round) {
    const int total = area_totals[round % 6];
    make_random_map(rng, 24 + round % 5 * 20, total);
    calculate_area_exits_by_slot(0);
    const ExitFields expected = exit_fields();
    calculate_area_exits(0);
    ASSERT_EQ(exit_fields().values, expected.values) << "round " << round << ", " << total << " areas";
  }
}

}  // namespace
