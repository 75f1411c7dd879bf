// Corridors: their geometry and marks, the shortest length, branching, the
// test of the space beyond their end, and the routines that extend a dead
// end or open it into the floor beyond.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "GAME_Dice.h"
#include "GAME_Dungeon.h"
#include "GAME_Map.h"
#include "level_fixture.h"
#include "map_text.h"

namespace {

constexpr int map_side = 64;
constexpr int built_wall = 14, built_floor = 71;  // the fixture's built blocks

std::vector<int> rect_of(const AreaRecord& a) { return {a.x1, a.y1, a.x2, a.y2}; }

// The length of a corridor along its growth direction, walls included.
int length_of(const AreaRecord& a) { return a.direction == 1 || a.direction == 3 ? a.height : a.width; }
int breadth_of(const AreaRecord& a) { return a.direction == 1 || a.direction == 3 ? a.width : a.height; }

const Mark* mark_at(int x, int y) {
  const int position = find_mark(x, y);
  return position < 0 ? nullptr : &pending_mark(position);
}

void floor_rows(int y1, int y2, int area) {
  for (int x = 1; x <= map_side; ++x)
    for (int y = y1; y <= y2; ++y) set_block(x, y, built_floor, area_kind::room, area, false, 0);
}

class Corridors : public ::testing::Test {
 protected:
  void SetUp() override {
    LevelRecord level = default_level_record();
    level.dungeon.corridor_branch_chance = 0;
    start(level);
  }

  // A dungeon whose next area is number 2, grown from a room's mark; its
  // doorways stay plain openings.
  void start(LevelRecord level) {
    level.level_map_size = map_side;
    level.dungeon.doorway_door_chance = 0;
    level.dungeon.secret_door_chance = 0;
    install_level(level);
    reset_dungeon_state();
    dungeon.area_counter = 2;
    dungeon.current_from_kind = area_kind::room;
  }
};

}  // namespace

TEST_F(Corridors, SingleWidthCorridorRunsFromItsMarkWithTheEndMarkMidFarWall) {
  for (int dir = 1; dir <= 4; ++dir) {
    std::set<int> lengths;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
      SCOPED_TRACE(testing::Message() << "dir " << dir << " seed " << seed);
      SetUp();
      rand_seed = seed;
      ASSERT_TRUE(create_corridor(32, 32, dir, 0));
      const AreaRecord& c = areas[2];
      EXPECT_EQ(c.kind, area_kind::corridor);
      EXPECT_EQ(breadth_of(c), 3);
      lengths.insert(length_of(c));
      // The floor runs along the mark's own row or column; the end mark sits
      // in the middle of the far wall.
      const bool vertical = dir == 1 || dir == 3;
      EXPECT_EQ(vertical ? c.x1 + 1 : c.y1 + 1, 32);
      const Point e = far_end_cell(2, {}, 0);
      const Mark* m = mark_at(e.x, e.y);
      ASSERT_NE(m, nullptr) << "end mark";
      EXPECT_EQ(m->dir, dir);
      EXPECT_EQ(dead_end_layer(e.x, e.y), dir);
      for (int k = 1; k < length_of(c) - 1; ++k)
        EXPECT_TRUE(is_floor(32 + k * direction_step[dir].dx, 32 + k * direction_step[dir].dy, 0));
    }
    EXPECT_EQ(lengths, (std::set<int>{8, 9, 10, 11, 12, 13})) << "dir " << dir;
  }
}

TEST_F(Corridors, NorthCorridorSnapshot) {
  rand_seed = 4;
  ASSERT_TRUE(create_corridor(32, 32, 1, 0));
  EXPECT_EQ(map_text(30, 24, 34, 33),
            "     \n"
            " ### \n"
            " #.# \n"
            " #.# \n"
            " #.# \n"
            " #.# \n"
            " #.# \n"
            " #.# \n"
            " #.# \n"  // the doorway at the mark
            "     \n");
  EXPECT_EQ(dead_end_layer(32, 25), 1);
}

TEST_F(Corridors, WideCorridorsAreCentredAndLonger) {
  struct Case {
    int width, min_length, max_length;
  };
  for (const Case c : {Case{2, 13, 18}, Case{3, 16, 21}, Case{5, 20, 25}}) {
    SCOPED_TRACE(testing::Message() << "width " << c.width);
    for (uint32_t seed = 1; seed <= 20; ++seed) {
      LevelRecord level = default_level_record();
      level.dungeon.corridor_branch_chance = 0;
      level.dungeon.corridor_width = narrow<uint8_t>(c.width);
      start(level);
      rand_seed = seed;
      ASSERT_TRUE(create_corridor(32, 32, 2, 0));
      const AreaRecord& a = areas[2];
      EXPECT_EQ(a.height, c.width + 2);
      EXPECT_EQ(a.y1, 32 - (c.width + 2) / 2);
      EXPECT_GE(a.width, c.min_length);
      EXPECT_LE(a.width, c.max_length);
    }
  }
}

TEST_F(Corridors, NoCorridorIsShorterThanSeven) {
  struct Case {
    int space;  // rows free north of the mark before dug floor
    int expected_length;  // 0: none built
  };
  for (const Case c : {Case{7, 7}, Case{6, 0}}) {
    SCOPED_TRACE(testing::Message() << "space " << c.space);
    SetUp();
    floor_rows(1, 40 - c.space, 1);
    static CheckedGrid<MapCell, map_storage> before;
    before = map_cells;
    rand_seed = 8;
    const bool built = create_corridor(32, 40, 1, 0);
    ASSERT_EQ(built, c.expected_length != 0);
    if (built) {
      EXPECT_EQ(length_of(areas[2]), c.expected_length);
    } else {
      EXPECT_EQ(std::memcmp(&before, &map_cells, sizeof before), 0);
      EXPECT_EQ(mark_count(), 0);
    }
  }
}

TEST_F(Corridors, SideMarksKeepClearOfBothEnds) {
  for (int dir = 1; dir <= 4; ++dir)
    for (uint32_t seed = 1; seed <= 30; ++seed) {
      SCOPED_TRACE(testing::Message() << "dir " << dir << " seed " << seed);
      SetUp();
      rand_seed = seed;
      ASSERT_TRUE(create_corridor(32, 32, dir, 0));
      const AreaRecord& c = areas[2];
      ASSERT_EQ(mark_count(), 3);  // end mark and one per long side
      for (int i = 0; i < mark_count(); ++i) {
        const Mark& m = pending_mark(i);
        if (m.dir == dir) continue;
        EXPECT_NE(m.dir, opposite_direction(dir));
        // Cells from the far wall (0) and from the near wall along the corridor.
        const int along = dir == 1 ? m.y - c.y1 : dir == 3 ? c.y2 - m.y : dir == 2 ? c.x2 - m.x : m.x - c.x1;
        const int from_near = length_of(c) - 1 - along;
        EXPECT_GE(along, 2);
        EXPECT_GE(from_near, 3);
      }
    }
}

TEST_F(Corridors, BranchingCorridorGrowsBothSideCorridorsAtOnce) {
  int branched = 0;
  for (uint32_t seed = 1; seed <= 30; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    LevelRecord level = default_level_record();
    level.dungeon.corridor_branch_chance = 100;
    start(level);
    rand_seed = seed;
    ASSERT_TRUE(create_corridor(32, 40, 1, 0));
    const AreaRecord main = areas[2];
    if (length_of(main) < 10) {
      EXPECT_EQ(dungeon.area_counter, 3) << "too short to branch";
      continue;
    }
    ++branched;
    ASSERT_EQ(dungeon.area_counter, 5);
    const AreaRecord& east = areas[3];
    const AreaRecord& west = areas[4];
    EXPECT_EQ(east.kind, area_kind::corridor);
    EXPECT_EQ(west.kind, area_kind::corridor);
    EXPECT_EQ((std::vector<int>{east.anchor_x, east.anchor_y, east.direction}),
              (std::vector<int>{main.x2, main.y1 + 3, 2}));
    EXPECT_EQ((std::vector<int>{west.anchor_x, west.anchor_y, west.direction}),
              (std::vector<int>{main.x1, main.y1 + 3, 4}));
    EXPECT_EQ(east.parent_area, 2);
    EXPECT_EQ(west.parent_area, 2);
    EXPECT_EQ(dungeon.area_count[1], 3);
  }
  EXPECT_GT(branched, 10);
}

// When the first branch fails, the second position is not lowered: it
// then names the mark after the second branch mark, if there is one (the
// first area's back mark), and the second branch mark stays pending.
TEST_F(Corridors, FailedFirstBranchLeavesTheSecondPositionAsItWas) {
  struct Case {
    const char* name;
    int area_counter;
    int blocked_x;  // a column of dug floor three cells east of the corridor
    bool back_corridor_grows;
  };
  const Case cases[] = {{"later area: no second branch", 2, 36, false},
                        {"first area: the back mark grows instead", 1, 35, true}};
  for (const Case& c : cases)
    for (uint32_t seed = 1; seed <= 30; ++seed) {
      SCOPED_TRACE(testing::Message() << c.name << ", seed " << seed);
      LevelRecord level = default_level_record();
      level.dungeon.corridor_branch_chance = 100;
      start(level);
      dungeon.area_counter = c.area_counter;
      for (int y = 1; y <= map_side; ++y)
        set_block(c.blocked_x, y, built_floor, area_kind::room, 1, false, 0);
      rand_seed = seed;
      ASSERT_TRUE(create_corridor(32, 40, 1, 0));
      const AreaRecord main = areas[c.area_counter];
      if (length_of(main) < 10) continue;
      EXPECT_EQ(find_mark(main.x2, main.y1 + 3), -1) << "the east mark was used up";
      EXPECT_GE(find_mark(main.x1, main.y1 + 3), 0) << "the west mark stays pending";
      if (!c.back_corridor_grows) {
        EXPECT_EQ(dungeon.area_counter, c.area_counter + 1);
        continue;
      }
      ASSERT_EQ(dungeon.area_counter, c.area_counter + 2);
      const AreaRecord& back = areas[c.area_counter + 1];
      EXPECT_EQ((std::vector<int>{back.anchor_x, back.anchor_y, back.direction}),
                (std::vector<int>{main.x1 + 1, main.y2, 3}));
    }
}

TEST_F(Corridors, FirstCorridorIsCentredWithABackMarkAndDeadEndsAtBothEnds) {
  dungeon.area_counter = 1;
  rand_seed = 11;
  ASSERT_TRUE(create_corridor(20, 50, 1, 0));
  const AreaRecord& c = areas[1];
  EXPECT_EQ(c.x1, (map_side - 3) / 2);
  EXPECT_EQ(c.y1, (map_side - c.height) / 2);
  const Mark* back = mark_at(c.x1 + 1, c.y2);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->dir, 3);
  EXPECT_EQ(dead_end_layer(c.x1 + 1, c.y2), 3);
  EXPECT_EQ(dead_end_layer(c.x1 + 1, c.y1), 1);
  EXPECT_EQ(mark_count(), 4);
}

TEST_F(Corridors, ScanAcceptsOpenSpaceOrFloorAheadAndRefusesRunningAlongAFloorEdge) {
  // The corridor from (10, 30) north is 5 long; the scan looks at rows
  // 25 up to 20 (the room size expression's minimum is 5) in column 10,
  // with columns 9 and 11 beside.
  enum Cell { floor_of_area, wall_of_area };
  struct Put {
    int x, y;
    Cell what;
  };
  struct Case {
    const char* name;
    std::vector<Put> cells;
    bool expected;
  };
  const Case cases[] = {
      {"open space", {}, true},
      {"floor on one side only", {{9, 23, floor_of_area}}, false},
      {"floor on both sides and ahead", {{9, 23, floor_of_area}, {10, 23, floor_of_area}, {11, 23, floor_of_area}}, true},
      {"one wall, then space", {{10, 24, wall_of_area}}, true},
      {"three walls in a row", {{10, 24, wall_of_area}, {10, 23, wall_of_area}, {10, 22, wall_of_area}}, false},
      {"two walls, then floor", {{10, 24, wall_of_area}, {10, 23, wall_of_area}, {10, 22, floor_of_area}}, true},
      {"a lone wall where the last free cell would be", {{10, 21, wall_of_area}, {9, 20, floor_of_area}}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reset_test_map(map_side);
    for (const Put& p : c.cells)
      set_block(p.x, p.y, p.what == floor_of_area ? built_floor : built_wall, area_kind::room, 1, false, 0);
    EXPECT_EQ(scan_corridor_space(10, 30, 1, 5, 0), c.expected);
  }
  reset_test_map(map_side);
  EXPECT_FALSE(scan_corridor_space(10, 8, 1, 5, 0)) << "runs off the map";
}

TEST(FarEndCell, TakesTheCellPastTheCornerOnTheFarSide) {
  reset_test_map(40);
  const CellRect r{10, 20, 14, 30};
  const Point expected[] = {{}, {11, 20}, {14, 21}, {11, 30}, {10, 21}};
  for (int dir = 1; dir <= 4; ++dir) EXPECT_EQ(far_end_cell(0, r, dir), expected[dir]) << dir;
  add_to_areas(1, 12, 20, 2, 5, 6, 9, 8, area_kind::corridor, 15, 0, 0);
  EXPECT_EQ(far_end_cell(1, r, 1), (Point{9, 7})) << "a valid area's own box and direction";
}

TEST(DeadendToFloor, OpensThroughAtMostTwoWalls) {
  // A corridor (area 1) ends in the wall at (7, 5), facing east; area 2
  // lies beyond. Only plain and secret doors stop the opening.
  struct Case {
    const char* name;
    const char* row;
    const char* areas_row;
    bool expected;
    const char* after;
    int door_beyond = 0;  // furniture put on (8, 5), 0: as painted
  };
  const Case cases[] = {
      {"floor right beyond", "..#..", "11122", true, "....."},
      {"one more wall", "..##.", "11122", true, "....."},
      {"two more walls", "..###.", "111222", false, "..###."},
      {"a door beyond", "..#+.", "11122", false, "..#+."},
      {"a door at the end", "..+..", "11122", false, "..+.."},
      {"a secret door beyond", "..#S.", "11122", false, "..#S."},
      {"a locked door beyond", "..#..", "11122", true, "...+.", furniture::door_locked},
      {"a cell door beyond", "..#..", "11122", true, "...+.", furniture::door_cell},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reset_test_map(20);
    dungeon.built_floor = built_floor;
    paint_map_text(5, 5, c.row, {built_wall, 60, area_kind::corridor, 0});
    paint_area_text(5, 5, c.areas_row, area_kind::corridor);
    if (c.door_beyond != 0) add_furniture(8, 5, c.door_beyond, 0);
    EXPECT_EQ(deadend_to_floor(7, 5, 2, 0), c.expected);
    EXPECT_EQ(map_text(5, 5, 4 + static_cast<int>(std::strlen(c.row)), 5), std::string(c.after) + "\n");
    if (c.expected) {
      EXPECT_EQ(map_cells(7, 5).area_index, 1);
      EXPECT_EQ(map_cells(7, 5).block, built_floor);
    }
  }
}

TEST(DeadendToFloor, GivesTheMiddleWallTheFloorOfTheAreaBeyond) {
  reset_test_map(20);
  dungeon.built_floor = built_floor;
  paint_map_text(5, 5, "..##.", {built_wall, 60, area_kind::corridor, 1});
  map_cells(9, 5).area_kind = area_kind::cave;
  map_cells(9, 5).area_index = 2;
  map_cells(9, 5).block = 57;
  ASSERT_TRUE(deadend_to_floor(7, 5, 2, 0));
  EXPECT_EQ(map_cells(8, 5).block, 57);
  EXPECT_EQ(map_cells(8, 5).area_kind, area_kind::cave);
  EXPECT_EQ(map_cells(8, 5).area_index, 2);
}

TEST(DeadendToFloor, RefusesImpenetrableWallsAndTheMapBorder) {
  struct Case {
    const char* name;
    const char* row;
    int end_x, impenetrable_x;  // 0: none
  };
  const Case cases[] = {{"impenetrable end", "....#..", 5, 5},
                        {"impenetrable wall beyond", "....##.", 5, 6},
                        {"end on the map border", "#......", 1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reset_test_map(20);
    paint_map_text(1, 5, c.row, {built_wall, 60, area_kind::corridor, 1});
    if (c.impenetrable_x > 0) impenetrable_layer(c.impenetrable_x, 5) = 1;
    EXPECT_FALSE(deadend_to_floor(c.end_x, 5, 2, 0));
    EXPECT_EQ(map_text(1, 5, 7, 5), std::string(c.row) + "\n");
  }
}

TEST_F(Corridors, ContinueCorridorReachesTheRoomAheadAndOpensBothEnds) {
  // A corridor (area 1) running north ends in the wall at (5, 12); a room
  // (area 2) lies north of it with its south wall on row 6.
  paint_map_text(2, 2, R"(
#######
#.....#
#.....#
#.....#
#######)", {built_wall, built_floor, area_kind::room, 2});
  paint_map_text(4, 12, R"(
###
#.#
#.#
###)", {built_wall, built_floor, area_kind::corridor, 1});
  for (int x = 2; x <= 8; ++x)
    for (int y = 2; y <= 15; ++y)
      if (is_floor(x, y, 0)) dug_layer(x, y) = 1;
  add_to_areas(1, 5, 15, 1, 4, 12, 6, 15, area_kind::corridor, 12, 0, 0);
  rand_seed = 3;
  ASSERT_TRUE(continue_corridor(5, 12, 1, false, 0));
  EXPECT_EQ(map_text(1, 1, 9, 16),
            "         \n"
            " ####### \n"
            " #.....# \n"
            " #.....# \n"
            " #.....# \n"
            " ###.### \n"
            "   #.#   \n"
            "   #.#   \n"
            "   #.#   \n"
            "   #.#   \n"
            "   #.#   \n"
            "   #.#   \n"
            "   #.#   \n"
            "   #.#   \n"
            "   ###   \n"
            "         \n");
  const AreaRecord& c = areas[1];
  EXPECT_EQ(rect_of(c), (std::vector<int>{4, 6, 6, 15}));
  EXPECT_EQ(c.height, 10);
  EXPECT_EQ(c.cell_count, 30);
  EXPECT_EQ(c.centre_y, 11);
  EXPECT_EQ(dead_end_layer(5, 6), 0);
}

TEST_F(Corridors, ContinueCorridorFailsWithoutFloorAheadAndChangesNothing) {
  paint_map_text(4, 30, R"(
###
#.#
###)", {built_wall, built_floor, area_kind::corridor, 1});
  add_to_areas(1, 5, 32, 1, 4, 30, 6, 32, area_kind::corridor, 9, 0, 0);
  static CheckedGrid<MapCell, map_storage> before;
  before = map_cells;
  EXPECT_FALSE(continue_corridor(5, 30, 1, true, 0));
  EXPECT_EQ(std::memcmp(&before, &map_cells, sizeof before), 0);
  EXPECT_EQ(areas[1].y1, 30);
}
