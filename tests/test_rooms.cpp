// The room builders: where rooms, circles, ellipses and polygons are placed
// relative to their mark, which walls become impenetrable, which marks they
// lay, the first area at the map centre, the shrinking of a room capping a
// dead end, and the merging of shared walls.
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

Dice constant(int value) { return constant_dice(value); }

Dice dice(int count, int sides, int bonus) {
  Dice d = blank_dice;
  d.count = narrow<uint8_t>(count);
  d.sides = narrow<uint8_t>(sides);
  d.bonus = narrow<int16_t>(bonus);
  return d;
}

std::set<int> pending_mark_dirs() {
  std::set<int> dirs;
  for (int i = 0; i < mark_count(); ++i) dirs.insert(pending_mark(i).dir);
  return dirs;
}

std::set<int> all_dirs_but(int dir) {
  std::set<int> dirs = {1, 2, 3, 4};
  dirs.erase(dir);
  return dirs;
}

std::vector<int> rect_of(const AreaRecord& a) { return {a.x1, a.y1, a.x2, a.y2}; }

// rand_seed after n more draws from seed.
uint32_t seed_after(uint32_t seed, int n) {
  rand_seed = seed;
  for (int i = 0; i < n; ++i) random_int(1);
  return rand_seed;
}

// Number of draws that lead from seed `before` to `after` (-1 beyond limit).
int draws_between(uint32_t before, uint32_t after, int limit = 1000) {
  for (int n = 0; n <= limit; ++n)
    if (seed_after(before, n) == after) return n;
  return -1;
}

using Builder = bool (*)(int x, int y, int dir, int depth);
struct NamedBuilder {
  const char* name;
  Builder build;
  int kind;
};
const NamedBuilder all_builders[] = {{"corridor", create_corridor, area_kind::corridor},
                                     {"room", create_room, area_kind::room},
                                     {"circular", create_circular, area_kind::circular},
                                     {"ellipse", create_ellipse, area_kind::ellipse},
                                     {"polygon", create_polygon, area_kind::polygon}};

class Rooms : public ::testing::Test {
 protected:
  void SetUp() override { start(default_level_record()); }

  // A dungeon with one area already built, so the next one has a parent.
  void start(LevelRecord level, int size = map_side) {
    level.level_map_size = narrow<uint8_t>(size);
    install_level(level);
    reset_dungeon_state();
    dungeon.area_counter = 2;
  }
};

}  // namespace

TEST_F(Rooms, RoomOfBreadthFiveOrWithWideCorridorsIsCentredOnItsMark) {
  struct Case {
    int corridor_width, size, dir;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {1, 5, 1, {30, 28, 34, 32}}, {1, 5, 2, {32, 30, 36, 34}}, {1, 5, 3, {30, 32, 34, 36}},
      {1, 5, 4, {28, 30, 32, 34}}, {2, 7, 1, {29, 26, 35, 32}}, {2, 8, 2, {32, 28, 39, 35}},
      {3, 6, 3, {29, 32, 34, 37}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "width " << c.corridor_width << " size " << c.size
                                    << " dir " << c.dir);
    LevelRecord level = default_level_record();
    level.dungeon.corridor_width = narrow<uint8_t>(c.corridor_width);
    level.dungeon.room_size = constant(c.size);
    start(level);
    ASSERT_TRUE(create_room(32, 32, c.dir, 0));
    EXPECT_EQ(rect_of(areas[2]), c.expected);
  }
}

TEST_F(Rooms, WallsOfRoomsSixWideOrLessAreImpenetrable) {
  struct Case {
    int breadth_and_depth;
    bool impenetrable;
  };
  for (const Case c : {Case{6, true}, Case{7, false}, Case{4, true}}) {
    SCOPED_TRACE(testing::Message() << "size " << c.breadth_and_depth);
    LevelRecord level = default_level_record();
    level.dungeon.room_size = constant(c.breadth_and_depth);
    level.dungeon.merge_chance = 0;
    start(level);
    ASSERT_TRUE(create_room(32, 32, 3, 0));
    const AreaRecord& room = areas[2];
    for (int x = room.x1; x <= room.x2; ++x)
      for (int y = room.y1; y <= room.y2; ++y) {
        const bool border = x == room.x1 || x == room.x2 || y == room.y1 || y == room.y2;
        if (!border) {
          EXPECT_EQ(impenetrable_layer(x, y), 0);
        } else if (is_wall(x, y, 0)) {
          EXPECT_EQ(impenetrable_layer(x, y) != 0, c.impenetrable);
        }
      }
  }
}

TEST_F(Rooms, NewRoomLaysOneMarkPerSideButNoneTowardsItsParent) {
  for (int dir = 1; dir <= 4; ++dir) {
    SCOPED_TRACE(testing::Message() << "dir " << dir);
    LevelRecord level = default_level_record();
    level.dungeon.room_size = constant(9);
    start(level);
    ASSERT_TRUE(create_room(32, 32, dir, 0));
    EXPECT_EQ(pending_mark_dirs(), all_dirs_but(opposite_direction(dir)));
    const AreaRecord& room = areas[2];
    for (int i = 0; i < mark_count(); ++i) {
      const Mark& m = pending_mark(i);
      const bool on_x_side = m.dir == 1 || m.dir == 3;
      // Never within two cells of a corner.
      if (on_x_side) {
        EXPECT_TRUE(m.x >= room.x1 + 2 && m.x <= room.x2 - 2) << m.x;
      } else {
        EXPECT_TRUE(m.y >= room.y1 + 2 && m.y <= room.y2 - 2) << m.y;
      }
      EXPECT_EQ(m.from_kind, area_kind::room);
    }
  }
}

TEST_F(Rooms, FirstAreaOfEveryKindIsCentredWithMarksOnEverySideAndNoDoorway) {
  for (const NamedBuilder& b : all_builders) {
    for (uint32_t seed : {3u, 17u, 2024u}) {
      SCOPED_TRACE(testing::Message() << b.name << " seed " << seed);
      LevelRecord level = default_level_record();
      level.dungeon.corridor_branch_chance = 0;
      start(level);
      dungeon.area_counter = 1;
      dungeon.dig_step = 1;
      rand_seed = seed;
      ASSERT_TRUE(b.build(20, 40, 2, 0));
      ASSERT_EQ(dungeon.area_counter, 2);
      const AreaRecord& first = areas[1];
      EXPECT_EQ(first.kind, b.kind);
      EXPECT_EQ(first.x1, (map_side - first.width) / 2);
      EXPECT_EQ(first.y1, (map_side - first.height) / 2);
      EXPECT_EQ(pending_mark_dirs(), (std::set<int>{1, 2, 3, 4}));
      // The anchor moved with the shape and is still one of its wall cells.
      EXPECT_TRUE(is_wall(first.anchor_x, first.anchor_y, 0));
      EXPECT_EQ(map_cells(first.anchor_x, first.anchor_y).area_index, 1);
      // A polygon registers before laying its marks, so its marks come too
      // late to be counted as extreme marks.
      EXPECT_EQ(extreme_mark_count() == 0, b.kind == area_kind::polygon);
    }
  }
}

TEST_F(Rooms, FailedBuilderLeavesTheMapAndTheAreasUnchanged) {
  static CheckedGrid<MapCell, map_storage> cells_before;
  for (const NamedBuilder& b : all_builders) {
    SCOPED_TRACE(b.name);
    start(default_level_record());
    // Everything north of row 31 is floor already: no shape fits there.
    for (int x = 1; x <= map_side; ++x)
      for (int y = 1; y <= 31; ++y) set_block(x, y, 71, area_kind::room, 1, false, 0);
    cells_before = map_cells;
    const int claimed_before = dungeon.claimed_cell_count;
    EXPECT_FALSE(b.build(32, 32, 1, 0));
    EXPECT_EQ(std::memcmp(&cells_before, &map_cells, sizeof cells_before), 0);
    EXPECT_EQ(dungeon.claimed_cell_count, claimed_before);
    EXPECT_EQ(dungeon.area_counter, 2);
    EXPECT_EQ(dungeon.area_count[b.kind], 0);
    EXPECT_EQ(mark_count(), 0);
    EXPECT_FALSE(is_area(2) && areas[2].kind != 0);
  }
}

TEST_F(Rooms, RoomCappingADeadEndShrinksAfterThirtyTriesAndEndsAtTheLimit) {
  // Free space north of the mark holds rooms up to `space` cells deep.
  // The size expression rolls 12; the limit is 6. The first 30 tries use
  // 12, the next ones 11, 10, ... down to 6, the last 10 the limit itself.
  struct Case {
    int space;
    int expected_depth;  // 0: no room
    int successful_try;
  };
  const Case cases[] = {{12, 12, 1}, {11, 11, 31}, {8, 8, 34}, {6, 6, 36}, {5, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "space " << c.space);
    LevelRecord level = default_level_record();
    level.dungeon.room_size = dice(1, 1, 11);
    level.dungeon.dead_end_room_limit = 6;
    start(level);
    for (int x = 1; x <= map_side; ++x) set_block(x, 40 - c.space, 71, area_kind::room, 1, false, 0);
    dead_end_layer(32, 40) = 1;
    const uint32_t seed = 12345;
    rand_seed = seed;
    const bool built = create_room(32, 40, 1, 0);
    ASSERT_EQ(built, c.expected_depth > 0);
    if (!built) {
      // 40 tries with two rolls and a placement draw, 10 with the placement only.
      EXPECT_EQ(draws_between(seed, rand_seed), 40 * 3 + 10);
      continue;
    }
    const AreaRecord& room = areas[2];
    EXPECT_EQ(room.height, c.expected_depth);
    EXPECT_EQ(room.width, c.expected_depth);
    // The placement draw of the successful try comes after three draws per
    // failed try and the two rolls of its own.
    rand_seed = seed_after(seed, 3 * (c.successful_try - 1) + 2);
    EXPECT_EQ(room.x1, 32 - random_int(c.expected_depth - 2) - 1);
  }
}

TEST_F(Rooms, RoomNotCappingADeadEndGivesUpAfterTwentyTries) {
  LevelRecord level = default_level_record();
  level.dungeon.room_size = dice(1, 1, 11);
  start(level);
  for (int x = 1; x <= map_side; ++x) set_block(x, 35, 71, area_kind::room, 1, false, 0);
  rand_seed = 777;
  EXPECT_FALSE(create_room(32, 40, 1, 0));
  EXPECT_EQ(draws_between(777, rand_seed), 20 * 3);
}

TEST_F(Rooms, MergeOpensOnlySharedWallsBetweenFloorsOfMergeableAreas) {
  // Area 1 (left, of the given kind) and the new room 2 (right) share the
  // wall column x = 6; its middle cell is impenetrable.
  const char* picture = R"(
#########
#...#...#
#...#...#
#...#...#
#########)";
  const char* merged = "#########\n#.......#\n#...#...#\n#.......#\n#########\n";
  const char* unmerged = "#########\n#...#...#\n#...#...#\n#...#...#\n#########\n";
  struct Case {
    const char* name;
    int neighbour_kind, merge_chance, special_chance;
    const char* expected;
  };
  const Case cases[] = {
      {"room, merging", area_kind::room, 100, 0, merged},
      {"ellipse, merging", area_kind::ellipse, 100, 0, merged},
      {"polygon, merging", area_kind::polygon, 100, 0, merged},
      {"room, not merging", area_kind::room, 0, 100, unmerged},
      {"corridor", area_kind::corridor, 100, 100, unmerged},
      {"special without special merging", area_kind::special, 100, 0, unmerged},
      {"special with special merging", area_kind::special, 100, 100, merged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reset_test_map(20);
    dungeon.merge_chance = narrow<uint8_t>(c.merge_chance);
    dungeon.merge_special_chance = narrow<uint8_t>(c.special_chance);
    paint_map_text(2, 2, picture, {14, 71, c.neighbour_kind, 1});
    paint_area_text(6, 2, R"(
22222
22222
22222
22222
22222)", area_kind::room);
    impenetrable_layer(6, 4) = 1;
    const uint32_t seed = 5;
    rand_seed = seed;
    merge_rooms(CellRect{6, 2, 10, 6}, 2, 0);
    EXPECT_EQ(map_text(2, 2, 10, 6), c.expected);
    EXPECT_EQ(draws_between(seed, rand_seed), 2);
    if (c.expected == merged) {
      EXPECT_EQ(map_cells(6, 3).area_index, 2);
      EXPECT_EQ(map_cells(6, 3).area_kind, area_kind::room);
      EXPECT_EQ(map_cells(6, 3).block, 71);
    }
  }
}

TEST_F(Rooms, CircleHasItsMarkOnTheOutlineAndMarksAtItsCompassPoints) {
  for (int dir = 1; dir <= 4; ++dir)
    for (uint32_t seed = 1; seed <= 25; ++seed) {
      SCOPED_TRACE(testing::Message() << "dir " << dir << " seed " << seed);
      start(default_level_record());
      rand_seed = seed;
      ASSERT_TRUE(create_circular(32, 32, dir, 0));
      const AreaRecord& circle = areas[2];
      EXPECT_EQ(stencil_layer(32, 32), dungeon.built_wall) << "the mark is an outline cell";
      const int r = circle.width / 2;
      EXPECT_TRUE(r >= 4 && r <= 7) << r;
      EXPECT_EQ(circle.width, circle.height);
      EXPECT_EQ(mark_count(), 3);
      for (int i = 0; i < mark_count(); ++i) {
        const Mark& m = pending_mark(i);
        EXPECT_NE(m.dir, opposite_direction(dir));
        const int cx = circle.x1 + r, cy = circle.y1 + r;
        EXPECT_EQ(m.x, cx + r * direction_step[m.dir].dx);
        EXPECT_EQ(m.y, cy + r * direction_step[m.dir].dy);
      }
    }
}

TEST_F(Rooms, EllipseSemiAxesAlwaysDifferByAtLeastThree) {
  std::set<int> differences;
  for (uint32_t seed = 1; seed <= 150; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    start(default_level_record());
    rand_seed = seed;
    ASSERT_TRUE(create_ellipse(32, 32, 1 + static_cast<int>(seed % 4), 0));
    // The box is the outline (2a + 1 by 2b + 1) with its wall ring.
    const int a = (areas[2].width - 3) / 2, b = (areas[2].height - 3) / 2;
    EXPECT_TRUE(a >= 3 && a <= 9 && b >= 3 && b <= 9) << a << " " << b;
    differences.insert(std::abs(a - b));
  }
  EXPECT_EQ(*differences.begin(), 3);
}

TEST_F(Rooms, PolygonGrowsFromItsMarkWithZonesAndMarksAtItsOuterCorners) {
  for (int dir = 1; dir <= 4; ++dir)
    for (uint32_t seed = 1; seed <= 25; ++seed) {
      SCOPED_TRACE(testing::Message() << "dir " << dir << " seed " << seed);
      // Polygons grow far: about 30 cells ahead of their mark.
      start(default_level_record(), 128);
      rand_seed = seed;
      ASSERT_TRUE(create_polygon(64, 64, dir, 0));
      const AreaRecord& polygon = areas[2];
      const int ax = 64 + direction_step[dir].dx, ay = 64 + direction_step[dir].dy;
      EXPECT_TRUE(is_floor(ax, ay, 0)) << "corner 1 lies just beyond the mark";
      EXPECT_EQ(pending_mark_dirs(), all_dirs_but(opposite_direction(dir)));
      const ZoneRect centre = polygon.zones[1];
      EXPECT_EQ(centre.width, 1);
      EXPECT_EQ(centre.height, 1);
      const ZoneRect inner = polygon.zones[2];
      EXPECT_TRUE(centre.x >= inner.x && centre.x < inner.x + inner.width);
      EXPECT_TRUE(centre.y >= inner.y && centre.y < inner.y + inner.height);
      for (int x = inner.x; x < inner.x + inner.width; ++x)
        for (int y = inner.y; y < inner.y + inner.height; ++y) {
          EXPECT_EQ(map_cells(x, y).zone, 2);
          EXPECT_EQ(map_cells(x, y).area_index, 2);
        }
    }
}
