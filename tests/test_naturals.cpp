// Tunnels and caves: the brush, the minimum sizes, the closed wall ring,
// the marks at the extreme floor cells, the mouth at the parent's wall, the
// ground a natural area may cover, and the tunnel that ends in a cave.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "GAME_Dungeon.h"
#include "GAME_Map.h"
#include "level_fixture.h"
#include "map_text.h"

namespace {

constexpr int map_side = 128;
constexpr int natural_wall = 5, natural_floor = 57;  // the fixture's natural pair

// A dungeon with one area already built (unless first), on a blank map.
void start(LevelRecord level = default_level_record(), bool first = false) {
  level.level_map_size = map_side;
  level.dungeon.tunnel_end_chance = 0;
  install_level(level);
  reset_dungeon_state();
  dungeon.area_counter = first ? 1 : 2;
}

// The topmost floor cell of area (smallest y, then smallest x).
Point top_floor_of(int area) {
  for (int y = 1; y <= map_size; ++y)
    for (int x = 1; x <= map_size; ++x)
      if (is_floor(x, y, 0) && map_cells(x, y).area_index == area) return {x, y};
  return {};
}

}  // namespace

// A shape drawn into the stencil at (x, y): '#' natural wall, '.' natural
// floor, anything else leaves the stencil cell empty.
void draw_stencil(int x, int y, const std::string& picture) {
  stencil_layer.clear();
  int cx = x, cy = y;
  for (size_t i = picture.front() == '\n' ? 1 : 0; i < picture.size(); ++i) {
    const char c = picture[i];
    if (c == '\n') {
      cx = x;
      ++cy;
      continue;
    }
    if (c == '#') stencil_layer(cx, cy) = natural_wall;
    if (c == '.') stencil_layer(cx, cy) = natural_floor;
    ++cx;
  }
}

// A walled rectangle of width by height cells, floor inside.
std::string walled_rect(int width, int height) {
  std::string picture;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      picture += x == 0 || y == 0 || x == width - 1 || y == height - 1 ? '#' : '.';
    picture += '\n';
  }
  return picture;
}

TEST(NaturalShape, CaveNeedsEightyCellsAndTunnelFifty) {
  struct Case {
    int kind, width, height;
    bool fits;
  };
  const Case cases[] = {
      {area_kind::tunnel, 7, 7, false},   // 49 cells
      {area_kind::tunnel, 5, 10, true},   // 50
      {area_kind::cave, 5, 10, false},
      {area_kind::cave, 6, 13, false},    // 78
      {area_kind::cave, 8, 10, true},     // 80
      {area_kind::tunnel, 8, 10, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << ", " << c.width << " x " << c.height);
    start();
    draw_stencil(30, 30, walled_rect(c.width, c.height));
    EXPECT_EQ(natural_shape_fits(c.kind), c.fits);
  }
}

TEST(NaturalShape, MustBeOneWallRingAroundOneFloor) {
  struct Case {
    const char* what;
    const char* picture;
    bool fits;
  };
  const Case cases[] = {
      {"ring and floor",
       "##########\n"
       "#........#\n"
       "#........#\n"
       "#........#\n"
       "#........#\n"
       "#........#\n"
       "##########\n", true},
      {"ring with one gap",
       "##########\n"
       "#........#\n"
       "#........#\n"
       "#........ \n"
       "#........#\n"
       "#........#\n"
       "##########\n", true},
      {"ring broken in two",
       "##### ####\n"
       "#........#\n"
       "#........#\n"
       "#........ \n"
       "#........#\n"
       "#........#\n"
       "##########\n", false},
      {"two floors",
       "##########\n"
       "#........#\n"
       "#........#\n"
       "##########\n"
       "#........#\n"
       "#........#\n"
       "##########\n", false},
      {"a second blob",
       "##########   \n"
       "#........#   \n"
       "#........#   \n"
       "#........#  .\n"
       "#........#   \n"
       "#........#   \n"
       "##########   \n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    start();
    draw_stencil(30, 30, c.picture);
    const uint8_t before = stencil_layer(31, 31);
    EXPECT_EQ(natural_shape_fits(area_kind::tunnel), c.fits);
    EXPECT_EQ(stencil_layer(31, 31), before) << "the test leaves the stencil as it was";
  }
}

TEST(NaturalShape, MayCoverOnlyRockAndNaturalAreas) {
  struct Case {
    const char* what;
    int kind;
    bool dug;
    bool fits;
  };
  const Case cases[] = {
      {"a cave's wall", area_kind::cave, false, true},
      {"a tunnel's wall", area_kind::tunnel, false, true},
      {"a room's wall", area_kind::room, false, false},
      {"a special's wall", area_kind::special, false, false},
      {"a cave's floor", area_kind::cave, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    start();
    draw_stencil(30, 30, walled_rect(10, 10));
    set_block(30, 35, c.dug ? natural_floor : natural_wall, c.kind, 1, false, 0);
    EXPECT_EQ(natural_shape_fits(area_kind::cave), c.fits);
  }
}

TEST(Naturals, TunnelEndsInACaveOnlyFromTheThirdAreaOn) {
  struct Case {
    const char* what;
    bool first_area;
    int chance;
    bool caves_expected;
  };
  const Case cases[] = {
      {"second area, always", false, 100, true},
      {"first area, always", true, 100, false},
      {"second area, never", false, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int caves = 0;
    for (uint32_t seed = 1; seed <= 20; ++seed) {
      SCOPED_TRACE(testing::Message() << "seed " << seed);
      LevelRecord level = default_level_record();
      start(level, c.first_area);
      dungeon.tunnel_end_chance = narrow<uint8_t>(c.chance);
      rand_seed = seed;
      if (!create_natural(64, 110, 1, area_kind::tunnel, 0)) continue;
      const int tunnel = c.first_area ? 1 : 2;
      ASSERT_EQ(areas[tunnel].kind, area_kind::tunnel);
      const int next = tunnel + 1;
      if (!is_area(next) || areas[next].kind == 0) continue;
      ++caves;
      const AreaRecord& cave = areas[next];
      EXPECT_EQ(cave.kind, area_kind::cave);
      EXPECT_EQ(cave.direction, 1);
      const Point top = top_floor_of(tunnel);
      EXPECT_EQ((Point{cave.anchor_x, cave.anchor_y}), (Point{top.x, top.y - 1}))
          << "the cave grows from the mark at the tunnel's far end";
      EXPECT_EQ(find_mark(top.x, top.y - 1), -1) << "that mark is used up";
    }
    if (c.caves_expected)
      EXPECT_GT(caves, 3);
    else
      EXPECT_EQ(caves, 0);
  }
}

TEST(Naturals, MarksLieJustBeyondTheExtremeFloorCellsAwayFromTheParent) {
  struct Case {
    const char* what;
    bool first_area;
    int dir;
    std::set<int> dirs;
  };
  const Case cases[] = {
      {"first area", true, 1, {1, 2, 3, 4}},
      {"grown north", false, 1, {1, 2, 4}},
      {"grown east", false, 2, {1, 2, 3}},
      {"grown west", false, 4, {1, 3, 4}},
  };
  for (const Case& c : cases) {
    for (uint32_t seed = 1; seed <= 10; ++seed) {
      SCOPED_TRACE(testing::Message() << c.what << " seed " << seed);
      start(default_level_record(), c.first_area);
      rand_seed = seed;
      if (!create_natural(64, 64, c.dir, area_kind::cave, 0)) continue;
      const StencilBox box = stencil_bounds();
      const Point extreme[5] = {{}, box.top, box.right, box.bottom, box.left};
      std::set<int> dirs;
      for (int i = 0; i < mark_count(); ++i) {
        const Mark& m = pending_mark(i);
        dirs.insert(m.dir);
        EXPECT_EQ(m.from_kind, area_kind::cave);
        const Point beyond{extreme[m.dir].x + direction_step[m.dir].dx,
                           extreme[m.dir].y + direction_step[m.dir].dy};
        EXPECT_EQ((Point{m.x, m.y}), beyond);
        EXPECT_EQ(map_cells(m.x, m.y).block, natural_wall);
      }
      EXPECT_EQ(dirs, c.dirs);
    }
  }
}

// Every floor cell of a cave or tunnel is ringed by its walls, and no
// single unclaimed cell is left inside.
TEST(Naturals, ShapeIsClosedByItsWallRingWithoutHoles) {
  for (const int kind : {area_kind::tunnel, area_kind::cave})
    for (uint32_t seed = 1; seed <= 15; ++seed) {
      SCOPED_TRACE(testing::Message() << "kind " << kind << " seed " << seed);
      start();
      rand_seed = seed;
      if (!create_natural(64, 90, 1, kind, 0)) continue;
      for (int x = 2; x < map_size; ++x)
        for (int y = 2; y < map_size; ++y) {
          const MapCell& cell = map_cells(x, y);
          if (cell.area_index == 2 && cell.block > 50)
            for (int n = 1; n <= 8; ++n) {
              const int nx = x + neighbour_step[n].dx, ny = y + neighbour_step[n].dy;
              ASSERT_NE(map_cells(nx, ny).block, 0)
                  << "floor open to rock at (" << x << "," << y << ")\n"
                  << map_text(x - 3, y - 3, x + 3, y + 3);
            }
          if (cell.area_index != 0) continue;
          int inside = 0;
          for (int d = 1; d <= 4; ++d)
            if (map_cells(x + direction_step[d].dx, y + direction_step[d].dy).area_index == 2)
              ++inside;
          ASSERT_LT(inside, 4) << "hole at (" << x << "," << y << ")";
        }
    }
}

// The mouth opens the cells ahead of the mark; the doorway joins the mark
// to the room it was laid by, whose other cells stay as they were.
TEST(Naturals, CaveOpensFromItsMarkIntoTheParentRoom) {
  const std::string room = R"(
#####################
#...................#
#...................#
#####################)";
  int built = 0;
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    start();
    paint_map_text(54, 90, room, {14, 71, area_kind::room, 1});
    rand_seed = seed;
    if (!create_natural(64, 90, 1, area_kind::cave, 0)) continue;
    ++built;
    EXPECT_TRUE(is_floor(64, 90, 0)) << "the doorway";
    EXPECT_EQ(map_cells(64, 89).area_index, 2);
    EXPECT_TRUE(is_floor(64, 89, 0));
    for (int x = 54; x <= 74; ++x) {
      if (x == 64) continue;
      EXPECT_EQ(map_cells(x, 90).area_index, 1) << "x " << x;
      EXPECT_EQ(map_cells(x, 90).block, 14) << "x " << x;
    }
  }
  EXPECT_GT(built, 10);
}

// Natural areas may take over the walls of other natural areas, never the
// cells of a built area.
TEST(Naturals, CoversOnlyUnclaimedOrNaturalGround) {
  struct Case {
    int wall_kind;
    bool claims_expected;
  };
  for (const Case c : {Case{area_kind::room, false}, Case{area_kind::cave, true}}) {
    SCOPED_TRACE(testing::Message() << "wall kind " << c.wall_kind);
    int claims = 0, built = 0;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
      start();
      // Two walls off to one side of the way the walkers go.
      for (const int x : {56, 57}) {
        MapCell& cell = map_cells(x, 84);
        cell.block = c.wall_kind == area_kind::room ? 14 : natural_wall;
        cell.area_kind = narrow<uint8_t>(c.wall_kind);
        cell.area_index = 1;
      }
      rand_seed = seed;
      if (!create_natural(64, 90, 1, area_kind::cave, 0)) continue;
      ++built;
      for (const int x : {56, 57})
        if (map_cells(x, 84).area_index == 2) ++claims;
    }
    EXPECT_GT(built, 5);
    if (c.claims_expected)
      EXPECT_GT(claims, 0);
    else
      EXPECT_EQ(claims, 0);
  }
}

TEST(NaturalBrush, RefusesTheMapBorderWithoutDrawing) {
  start();
  for (const Point p : {Point{3, 64}, Point{64, 3}, Point{map_side - 2, 64}, Point{64, map_side - 2}}) {
    SCOPED_TRACE(testing::Message() << "(" << p.x << "," << p.y << ")");
    rand_seed = 99;
    EXPECT_FALSE(natural_brush(p.x, p.y, natural_floor));
    EXPECT_EQ(rand_seed, 99u);
  }
  for (const Point p : {Point{4, 4}, Point{map_side - 3, map_side - 3}}) {
    stencil_layer.clear();
    EXPECT_TRUE(natural_brush(p.x, p.y, natural_floor));
    EXPECT_EQ(stencil_layer(p.x, p.y), natural_floor);
  }
}

// Two brushes in three are a radius-2 circle; the other paints the cell,
// its four neighbours and some diagonals, but only where the map is rock.
TEST(NaturalBrush, SmallBlobPaintsOnlyRockAndFailsOnDugFloor) {
  int small_blobs = 0, circles = 0;
  for (uint32_t seed = 1; seed <= 30; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    start();
    paint_map_text(21, 20, "#");  // east of the brush: a wall already there
    set_block(20, 19, 71, area_kind::room, 1, false, 0);  // north: dug floor
    rand_seed = seed;
    const bool circle = random_int(3) != 0;
    rand_seed = seed;
    const bool fits = natural_brush(20, 20, natural_floor);
    EXPECT_FALSE(fits) << "touches the dug floor north of it";
    if (circle) {
      ++circles;
      EXPECT_EQ(stencil_bounds().cell_count, 21);
      continue;
    }
    ++small_blobs;
    EXPECT_EQ(stencil_layer(20, 20), natural_floor);
    EXPECT_EQ(stencil_layer(21, 20), 0) << "not on the wall";
    EXPECT_EQ(stencil_layer(20, 19), 0) << "not on the floor";
    EXPECT_EQ(stencil_layer(19, 20), natural_floor);
    EXPECT_EQ(stencil_layer(20, 21), natural_floor);
    const int cells = stencil_bounds().cell_count;
    EXPECT_GE(cells, 4);
    EXPECT_LE(cells, 7);
  }
  EXPECT_GT(small_blobs, 3);
  EXPECT_GT(circles, 3);
}
