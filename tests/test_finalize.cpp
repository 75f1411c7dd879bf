// Finalization on small hand-made maps: dead ends and leftover marks, the
// cell fixes, natural areas, and doors turned into secret doors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GAME_Dice.h"
#include "GAME_Dungeon.h"
#include "GAME_Level.h"
#include "GAME_Map.h"
#include "level_fixture.h"
#include "map_text.h"

namespace {

struct AreaSpec {
  int kind;
  int cell_count = 40;
  int template_index = 0;
};

// A level that builds nothing by itself (every area chance 0, doorway
// chances 0), with the picture and area numbers painted at (1, 1) and the
// areas registered.
void make_map(int size, const std::string& blocks, const std::string& numbers,
              const std::vector<AreaSpec>& specs) {
  LevelRecord level = default_level_record();
  level.level_map_size = narrow<uint8_t>(size);
  DungeonSettings& d = level.dungeon;
  d.area_chance.fill(0);
  d.template_widen_chance = d.special_widen_chance = d.secret_door_chance = 0;
  d.doorway_door_chance = d.door_to_secret_chance = d.open_door_chance = 0;
  d.fix_naturals_chance = 0;
  d.mark_doorway_chance = 100;
  d.secret_door_difficulty = constant_dice(5);
  install_level(level);
  reset_dungeon_state();
  install_templates({make_template("vault_all", {tag::cg_all})});
  paint_map_text(1, 1, blocks);
  paint_area_text(1, 1, numbers, 0);
  for (size_t i = 0; i < specs.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    add_to_areas(number, 0, 0, 1, 1, 1, 1, 1, specs[i].kind, specs[i].cell_count,
                 specs[i].template_index, 0);
  }
  dungeon.area_counter = static_cast<int>(specs.size()) + 1;
  for (int x = 1; x <= map_size; ++x)
    for (int y = 1; y <= map_size; ++y)
      if (is_area(map_cells(x, y).area_index))
        map_cells(x, y).area_kind = narrow<uint8_t>(areas[map_cells(x, y).area_index].kind);
}

constexpr int corridor = area_kind::corridor, room = area_kind::room, cave = area_kind::cave,
              tunnel = area_kind::tunnel, vault = area_kind::vault;

// Room 1 above, corridor 2 below; the door at (4, 3) belongs to room 1.
const std::string door_map = R"(
#######
#.....#
###+###
###.###
###.###
#######)";
const std::string door_areas = R"(
1111111
1111111
1111111
2222222
2222222
2222222)";

TEST(DoorsToSecretDoors, SmallDeadEndRoomAlwaysHidesItsDoor) {
  struct Case {
    const char* name;
    AreaSpec owner;
    int furniture;
    bool second_exit;
    char result;
  };
  const Case cases[] = {
      {"room of 36 cells", {room, 36}, furniture::door, false, 'S'},
      {"room of 37 cells", {room, 37}, furniture::door, false, '+'},
      {"small room with two exits", {room, 36}, furniture::door, true, '+'},
      {"cell door", {room, 36}, furniture::door_cell, false, '+'},
      {"vault from a cg_all template", {vault, 200, 1}, furniture::door, false, 'S'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    make_map(7, door_map, door_areas, {c.owner, {corridor}});
    map_cells(4, 3).furniture = narrow<uint8_t>(c.furniture);
    if (c.second_exit) {  // a cell of another area north of the room
      map_cells(3, 1).block = 51;
      map_cells(3, 1).area_index = 2;
    }
    calculate_area_exits(0);
    doors_to_secret_doors(0);
    EXPECT_EQ(map_text(4, 3, 4, 3), std::string(1, c.result) + "\n");
  }
}

// Corridor 2 runs south from its anchor (5, 3) under room 1 to its front
// cell (5, 7), which opens into room 3; room 3 has a second exit into 4.
TEST(SecretDoorsToOrphanCorridors, HiddenAtOneEndMeansHiddenAtBoth) {
  const std::string blocks = R"(
#########
#.......#
####.####
####.####
####.####
####.####
####.####
#.......#
#########)";
  const std::string numbers = R"(
111111111
111111111
222222222
222222222
222222222
222222222
222222222
333333344
333333344)";
  struct Case {
    const char* name;
    Point secret, expected_secret;
  };
  for (const Case& c : {Case{"anchor hidden", {5, 3}, {5, 7}}, Case{"front hidden", {5, 7}, {5, 3}}}) {
    SCOPED_TRACE(c.name);
    make_map(9, blocks, numbers, {{room}, {corridor}, {room}, {room}});
    AreaRecord& corr = areas[2];
    corr.anchor_x = 5, corr.anchor_y = 3, corr.direction = 3;
    corr.x1 = 4, corr.y1 = 3, corr.x2 = 6, corr.y2 = 7;
    map_cells(c.secret.x, c.secret.y).furniture = furniture::door_secret;
    map_cells(c.secret.x, c.secret.y).block = 1;
    calculate_area_exits(0);
    ASSERT_EQ(areas[2].exit_cells, 1);
    secret_doors_to_orphan_corridors(0);
    EXPECT_EQ(get_furniture(c.expected_secret.x, c.expected_secret.y, 0), furniture::door_secret);
  }
}

TEST(FixNaturals, OneCellWallBetweenNaturalsOpensAndTheFloorMayChange) {
  const std::string blocks = R"(
#######
#..#..#
#..#..#
#######)";
  const std::string numbers = R"(
1111222
1111222
1111222
1111222)";
  for (const int chance : {0, 100}) {
    SCOPED_TRACE(chance);
    make_map(7, blocks, numbers, {{cave}, {tunnel}});
    for (int x = 2; x <= 6; ++x)
      for (int y = 2; y <= 3; ++y)
        if (is_floor(x, y, 0)) map_cells(x, y).block = dungeon.natural_floor;
    dungeon.fix_naturals_chance = narrow<uint8_t>(chance);
    areas[1].centre_x = 2, areas[1].centre_y = 2;
    areas[2].centre_x = 6, areas[2].centre_y = 3;  // a wall: no refloor from here
    fix_naturals(0);
    EXPECT_EQ(map_text(1, 2, 7, 3), "#.....#\n#.....#\n");
    const int floor = chance == 100 ? dungeon.natural_alt_floor : dungeon.natural_floor;
    for (int x = 2; x <= 6; ++x) EXPECT_EQ(map_cells(x, 2).block, floor) << x;
  }
}

TEST(RefloorNaturalArea, FloodStopsAtBuiltAreas) {
  make_map(7, "\n#######\n#.....#\n#######", "\n1112222\n1112222\n1112222", {{cave}, {room}});
  refloor_natural_area(2, 2, 55);
  EXPECT_EQ(map_cells(2, 2).block, 55);
  EXPECT_EQ(map_cells(3, 2).block, 55);
  EXPECT_EQ(map_cells(4, 2).block, 51);
}

// Room 2 on top; below it corridor 1 (x = 5) ends at the dead-end wall
// (5, 4), and corridor 3 (x = 2) waits beyond a pending mark of room 2 at
// (2, 4).
const std::string dead_end_map = R"(
#########
#.......#
#.......#
#########
#.##.####
#.##.####
#.##.####
#########)";
const std::string dead_end_areas = R"(
222222222
222222222
222222222
222222222
333311111
333311111
333311111
333311111)";

void make_dead_end_map(int corridor_width) {
  make_map(9, dead_end_map, dead_end_areas, {{corridor}, {room, 30}, {corridor}});
  dungeon.corridor_width = narrow<uint8_t>(corridor_width);
  dead_end_layer(5, 4) = 1;
  mark_area_layer(5, 4) = 1;
  dungeon.area_counter = 2;
  ASSERT_GE(add_mark(2, 4, 3, room, 0, 0, 0), 0);
  dungeon.area_counter = 4;
}

TEST(FinalizeDungeon, DeadEndsAndMarksOpenOnlyWithNarrowCorridors) {
  for (const int width : {1, 2}) {
    SCOPED_TRACE(width);
    make_dead_end_map(width);
    finalize_dungeon(0);
    EXPECT_EQ(map_text(1, 4, 9, 4), width == 1 ? "#.##.####\n" : "#########\n");
  }
}

TEST(FinalizeDungeon, LeavesNoRockNoMarksAndATableOfAreaCounterEntries) {
  make_dead_end_map(1);
  finalize_dungeon(0);
  for (int x = 1; x <= map_size; ++x)
    for (int y = 1; y <= map_size; ++y) ASSERT_NE(map_cells(x, y).block, 0) << x << "," << y;
  EXPECT_EQ(mark_count(), 0);
  EXPECT_EQ(failed_mark_count(), 0);
  EXPECT_EQ(areas.highest(), dungeon.area_counter - 1);
  EXPECT_EQ(dead_end_layer(5, 4), 0);
  EXPECT_EQ(dungeon.claimed_cells_at_finish, dungeon.claimed_cell_count);
}

TEST(FinalizeDungeon, FixesPillarsLooseDoorsAndLooseSecretDoors) {
  make_map(9, R"(
#########
#.......#
#...#...#
#.+.....#
#.....S.#
#########)",
           R"(
111111111
111111111
111111111
111111111
111111111
111111111)",
           {{room, 60}});
  finalize_dungeon(0);
  EXPECT_EQ(map_text(1, 1, 9, 7),
            "#########\n"
            "#.......#\n"
            "#.......#\n"
            "#.......#\n"
            "#.....#.#\n"
            "#########\n"
            "#########\n");
  // The secret door beside one wall loses its door but keeps its wall.
  EXPECT_EQ(map_cells(7, 5).secret_difficulty, 0);
  EXPECT_EQ(map_cells(7, 5).block, 1);
  EXPECT_EQ(map_cells(5, 3).block, 51);
}

}  // namespace
