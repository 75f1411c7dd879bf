// The shape primitives of the builders: the line walk, the circle outline
// and line tables, and the routines that draw, fill, ring, test, measure,
// centre and place shapes in the stencil.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "GAME_Dice.h"
#include "GAME_Dungeon.h"
#include "GAME_Map.h"
#include "map_text.h"

namespace {

constexpr int wall = 14, floor_block = 71;

// The stencil x1..x2 by y1..y2 as text: ' ' empty, '#' wall, '.' floor.
std::string stencil_text(int x1, int y1, int x2, int y2) {
  std::string text;
  for (int y = y1; y <= y2; ++y) {
    for (int x = x1; x <= x2; ++x) {
      const int v = stencil_layer(x, y);
      text += v == 0 ? ' ' : v <= 50 ? '#' : '.';
    }
    text += '\n';
  }
  return text;
}

std::vector<std::pair<int, int>> points_of(const LinePoints& line) {
  std::vector<std::pair<int, int>> points;
  for (int i = 1; i <= line.count; ++i) points.emplace_back(line.points[i].x, line.points[i].y);
  return points;
}

class Shapes : public ::testing::Test {
 protected:
  void SetUp() override { reset_test_map(20); }
};

}  // namespace

TEST(LinePoints, WalksAlongTheLongerAxisWithoutTheStartPoint) {
  using Points = std::vector<std::pair<int, int>>;
  struct Case {
    int x1, y1, x2, y2;
    Points expected;
  };
  const Case cases[] = {
      {0, 0, 0, 0, {}},
      {0, 0, 4, 0, {{1, 0}, {2, 0}, {3, 0}, {4, 0}}},
      {0, 0, 4, 2, {{1, 1}, {2, 1}, {3, 2}, {4, 2}}},
      {5, 5, 4, 2, {{5, 4}, {4, 3}, {4, 2}}},
      {0, 0, 3, 3, {{1, 1}, {2, 2}, {3, 3}}},
      {3, 0, 0, -1, {{2, 0}, {1, -1}, {0, -1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x1 << "," << c.y1 << " -> " << c.x2 << "," << c.y2);
    EXPECT_EQ(points_of(line_points(c.x1, c.y1, c.x2, c.y2)), c.expected);
  }
}

TEST(LinePoints, KeepsAtMost200Points) {
  const LinePoints line = line_points(0, 0, 250, 0);
  ASSERT_EQ(line.count, 200);
  EXPECT_EQ(line.points[200], (Point{200, 0}));
}

TEST(GeometryTables, RadiusOneOutlineRunsOnceRoundInAngleOrder) {
  init_geometry_tables();
  const CircleOutline& outline = circle_outline[1];
  std::vector<std::pair<int, int>> offsets;
  for (int i = 1; i <= outline.count; ++i)
    offsets.emplace_back(outline.offsets[i].dx, outline.offsets[i].dy);
  const std::vector<std::pair<int, int>> expected = {{1, 0},  {1, 1},   {0, 1},  {-1, 1},
                                                     {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
  EXPECT_EQ(offsets, expected);
}

TEST(GeometryTables, EveryOutlineHoldsDistinctPointsOnItsCircle) {
  init_geometry_tables();
  for (int r = 1; r <= circle_radius_limit; ++r) {
    SCOPED_TRACE(testing::Message() << "radius " << r);
    const CircleOutline& outline = circle_outline[r];
    ASSERT_GE(outline.count, 8);
    ASSERT_LE(outline.count, circle_outline_capacity);
    std::set<std::pair<int, int>> seen;
    for (int i = 1; i <= outline.count; ++i) {
      const Step p = outline.offsets[i];
      EXPECT_TRUE(seen.insert({p.dx, p.dy}).second) << "repeated " << int(p.dx) << "," << int(p.dy);
      EXPECT_NEAR(std::hypot(p.dx, p.dy), r, 0.71);
    }
    for (auto axis : {std::pair{r, 0}, {0, r}, {-r, 0}, {0, -r}}) EXPECT_TRUE(seen.count(axis));
  }
}

TEST(GeometryTables, EachLineRunsFromTheCentreToItsOutlinePoint) {
  init_geometry_tables();
  for (int r = 1; r <= circle_radius_limit; ++r)
    for (int i = 1; i <= circle_outline[r].count; ++i) {
      const Step end = circle_outline[r].offsets[i];
      const CircleLine& line = circle_lines[r][i];
      SCOPED_TRACE(testing::Message() << "radius " << r << " point " << i);
      ASSERT_EQ(line.count, std::max(std::abs(end.dx), std::abs(end.dy)));
      if (line.count == 0) continue;
      EXPECT_EQ(line.cells[line.count].dx, end.dx);
      EXPECT_EQ(line.cells[line.count].dy, end.dy);
      int x = 0, y = 0;
      for (int k = 1; k <= line.count; ++k) {
        EXPECT_LE(std::abs(line.cells[k].dx - x), 1);
        EXPECT_LE(std::abs(line.cells[k].dy - y), 1);
        x = line.cells[k].dx;
        y = line.cells[k].dy;
      }
    }
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  const std::pair<double, int> cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0},
                                          {-1.5, -2}, {7.5, 8}, {12.5, 12}, {0.49, 0}};
  for (auto [value, expected] : cases) EXPECT_EQ(round_half_even(value), expected) << value;
}

TEST_F(Shapes, RectStencilHasWallBorderAndFloorInside) {
  EXPECT_TRUE(draw_rect_stencil(2, 2, 6, 5, floor_block, wall));
  EXPECT_EQ(stencil_text(1, 1, 7, 6),
            "       \n"
            " ##### \n"
            " #...# \n"
            " #...# \n"
            " ##### \n"
            "       \n");
}

TEST_F(Shapes, RectStencilFailsOffTheMapOrOnDugCellsButDrawsEveryOnMapCell) {
  EXPECT_FALSE(draw_rect_stencil(18, 18, 21, 20, floor_block, wall));
  EXPECT_EQ(stencil_text(17, 17, 20, 20),
            "    \n"
            " ###\n"
            " #..\n"
            " ###\n");
  stencil_layer.clear();
  dug_layer(3, 3) = 1;
  EXPECT_FALSE(draw_rect_stencil(2, 2, 5, 5, floor_block, wall));
  EXPECT_EQ(stencil_text(2, 2, 5, 5), "####\n#..#\n#..#\n####\n");
}

TEST_F(Shapes, CircleStencilIsAClosedOutlineFilledWithFloor) {
  EXPECT_TRUE(draw_circle_stencil(10, 10, 4, wall, floor_block));
  EXPECT_EQ(stencil_text(5, 5, 15, 15),
            "           \n"
            "   #####   \n"
            "  ##...##  \n"
            " ##.....## \n"
            " #.......# \n"
            " #.......# \n"
            " #.......# \n"
            " ##.....## \n"
            "  ##...##  \n"
            "   #####   \n"
            "           \n");
}

TEST_F(Shapes, CircleStencilFailsWhenTheOutlineLeavesTheMapOrMeetsDugFloor) {
  EXPECT_FALSE(draw_circle_stencil(3, 10, 4, wall, floor_block));
  stencil_layer.clear();
  dug_layer(10, 6) = 1;  // on the outline's top
  EXPECT_FALSE(draw_circle_stencil(10, 10, 4, wall, floor_block));
  stencil_layer.clear();
  dug_layer(10, 6) = 0;
  dug_layer(10, 10) = 1;  // the centre, reached only by the fill
  EXPECT_FALSE(draw_circle_stencil(10, 10, 4, wall, floor_block));
}

TEST_F(Shapes, FloodFillFillsTheEnclosedRegionOnly) {
  draw_rect_stencil(3, 3, 7, 6, 0, wall);  // a ring of walls, empty inside
  EXPECT_TRUE(flood_fill_stencil(5, 4, floor_block));
  EXPECT_EQ(stencil_text(2, 2, 8, 7),
            "       \n"
            " ##### \n"
            " #...# \n"
            " #...# \n"
            " ##### \n"
            "       \n");
}

TEST_F(Shapes, FloodFillThroughAGapRunsToTheMapEdgeAndFails) {
  draw_rect_stencil(3, 3, 7, 6, 0, wall);
  stencil_layer(7, 4) = 0;
  EXPECT_FALSE(flood_fill_stencil(5, 4, floor_block));
  EXPECT_EQ(stencil_layer(1, 1), floor_block);
  EXPECT_EQ(stencil_layer(20, 20), floor_block);
}

TEST_F(Shapes, FloodFillFailsWhenAnExaminedNeighbourIsDug) {
  draw_rect_stencil(3, 3, 7, 6, 0, wall);
  dug_layer(7, 4) = 1;  // a wall cell next to the filled region
  EXPECT_FALSE(flood_fill_stencil(5, 4, floor_block));
  dug_layer(7, 4) = 0;
  dug_layer(1, 1) = 1;  // far outside: never examined
  draw_rect_stencil(3, 3, 7, 6, 0, wall);
  EXPECT_TRUE(flood_fill_stencil(5, 4, floor_block));
}

TEST_F(Shapes, WallRingSurroundsFloorWithItsEightNeighbours) {
  stencil_layer(5, 4) = floor_block;
  stencil_layer(4, 5) = floor_block;
  stencil_layer(5, 5) = floor_block;
  stencil_layer(6, 5) = floor_block;
  EXPECT_TRUE(wall_ring_stencil(2, 2, 8, 7, wall, floor_block));
  EXPECT_EQ(stencil_text(2, 2, 8, 7),
            "       \n"
            "  ###  \n"
            " ##.## \n"
            " #...# \n"
            " ##### \n"
            "       \n");
}

TEST_F(Shapes, WallRingFailsOnADugCellAndLeavesCellsOutsideItsRectangle) {
  stencil_layer(5, 5) = floor_block;
  dug_layer(4, 4) = 1;
  EXPECT_FALSE(wall_ring_stencil(4, 4, 6, 5, wall, floor_block));
  EXPECT_EQ(stencil_text(4, 4, 6, 6), "###\n#.#\n   \n");
}

TEST_F(Shapes, StencilIsFreeTestsOnlyTheShapesCells) {
  struct Case {
    const char* name;
    int x1, y1, x2, y2;
    bool naturals_only;
    int kind_under_shape;
    bool dug_under_shape, dug_beside_shape;
    bool expected;
  };
  const Case cases[] = {
      {"free", 3, 3, 6, 6, false, 0, false, false, true},
      {"rectangle off the map", 15, 15, 21, 18, false, 0, false, false, false},
      {"dug under the shape", 3, 3, 6, 6, false, 0, true, false, false},
      {"dug beside the shape", 3, 3, 6, 6, false, 0, false, true, true},
      {"room under a shape for naturals", 3, 3, 6, 6, true, area_kind::room, false, false, false},
      {"tunnel under a shape for naturals", 3, 3, 6, 6, true, area_kind::tunnel, false, false, true},
      {"cave under a shape for naturals", 3, 3, 6, 6, true, area_kind::cave, false, false, true},
      {"room under a built shape", 3, 3, 6, 6, false, area_kind::room, false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reset_test_map(20);
    stencil_layer(4, 4) = wall;
    stencil_layer(5, 5) = floor_block;
    map_cells(5, 5).area_kind = narrow<uint8_t>(c.kind_under_shape);
    if (c.dug_under_shape) dug_layer(4, 4) = 1;
    if (c.dug_beside_shape) dug_layer(4, 5) = 1;
    EXPECT_EQ(stencil_is_free(c.x1, c.y1, c.x2, c.y2, c.naturals_only), c.expected);
  }
}

TEST_F(Shapes, BoundsMeasureTheShapeAndPickTheOutermostFloorsWithTieBreaks) {
  for (auto [x, y] : {std::pair{3, 2}, {5, 2}, {7, 4}, {7, 6}, {4, 8}, {6, 8}, {2, 5}, {2, 7}})
    stencil_layer(x, y) = floor_block;
  stencil_layer(1, 9) = wall;  // widens the box, never an extreme
  const StencilBox box = stencil_bounds();
  EXPECT_EQ((std::vector<int>{box.x1, box.y1, box.x2, box.y2}), (std::vector<int>{1, 2, 7, 9}));
  EXPECT_EQ(box.width, 7);
  EXPECT_EQ(box.height, 8);
  EXPECT_EQ(box.cell_count, 9);
  EXPECT_EQ(box.top, (Point{3, 2}));
  EXPECT_EQ(box.right, (Point{7, 4}));
  EXPECT_EQ(box.bottom, (Point{4, 8}));
  EXPECT_EQ(box.left, (Point{2, 5}));
}

TEST_F(Shapes, CentringMovesTheBoxCornerToTheMiddleOfTheMap) {
  draw_rect_stencil(2, 3, 4, 4, floor_block, wall);  // 3 by 2
  const Point offset = center_first_area();
  EXPECT_EQ(offset, (Point{(20 - 3) / 2 - 2, (20 - 2) / 2 - 3}));
  const StencilBox box = stencil_bounds();
  EXPECT_EQ(box.x1, 8);
  EXPECT_EQ(box.y1, 9);
  EXPECT_EQ(box.cell_count, 6);
  EXPECT_EQ(stencil_layer(2, 3), 0);
}

TEST(RoomRectAtMark, CentredRectangleHasTheMarkInTheMiddleOfItsNearWall) {
  struct Case {
    int dir;
    CellRect expected;
  };
  const Case cases[] = {
      {1, {8, 7, 12, 10}}, {2, {10, 8, 13, 12}}, {3, {8, 10, 12, 13}}, {4, {7, 8, 10, 12}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "dir " << c.dir);
    rand_seed = 99;
    const CellRect r = room_rect_at_mark(10, 10, c.dir, 5, 4, true);
    EXPECT_EQ((std::vector<int>{r.x1, r.y1, r.x2, r.y2}),
              (std::vector<int>{c.expected.x1, c.expected.y1, c.expected.x2, c.expected.y2}));
    EXPECT_EQ(rand_seed, 99u) << "a centred rectangle draws nothing";
  }
}

TEST(RoomRectAtMark, UncentredRectangleDrawsOncePlacingTheMarkOffItsCorners) {
  std::set<int> starts;
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    rand_seed = seed;
    random_int(1);
    const uint32_t after_one_draw = rand_seed;
    rand_seed = seed;
    const CellRect r = room_rect_at_mark(20, 10, 3, 7, 4, false);
    EXPECT_EQ(rand_seed, after_one_draw);
    EXPECT_EQ(r.x2 - r.x1 + 1, 7);
    EXPECT_EQ(r.y1, 10);
    EXPECT_EQ(r.y2, 13);
    starts.insert(r.x1);
  }
  EXPECT_EQ(starts, (std::set<int>{15, 16, 17, 18, 19}));
}
