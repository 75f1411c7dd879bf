// The cell raster: one pixel per cell in the four styles, doors, secret
// doors, block walls and the grain draws.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <initializer_list>

#include "Cell_Raster.h"
#include "GAME_Dice.h"
#include "GAME_Map.h"
#include "Map_Colors.h"
#include "Map_View.h"
#include "map_text.h"

namespace {

constexpr Color black{0, 0, 0}, blue{68, 147, 190}, white{255, 255, 255};

// How many random_int draws lie between two generator states (at most 10000).
int draws_between(uint32_t before, uint32_t after) {
  for (int n = 0; n <= 10000; ++n, before = before * 134775813u + 1u)
    if (before == after) return n;
  return -1;
}

// The first generator state from which random_int(n) yields the given draws.
uint32_t seed_giving(int n, std::initializer_list<int> draws) {
  for (uint32_t seed = 1;; ++seed) {
    rand_seed = seed;
    bool match = true;
    for (int draw : draws) match = match && random_int(n) == draw;
    if (match) return seed;
  }
}

class RasterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_test_map(3);
    map_options = MapOptions{};
    step_mode_active = false;
  }
  // One cell at (2, 2) in area 1 on a blank 3 x 3 map.
  void set_cell(int block, int furniture, int area_index = 1) {
    MapCell& cell = map_cells(2, 2);
    cell.block = static_cast<uint8_t>(block);
    cell.furniture = static_cast<uint8_t>(furniture);
    cell.area_index = static_cast<uint8_t>(area_index);
  }
  Color raster_of(int style, bool block_walls) {
    map_options.style = style;
    map_options.block_walls = block_walls;
    draw_cell_raster();
    return raster_picture.pixel(1, 1);
  }
};

TEST_F(RasterTest, CellColoursInEveryStyle) {
  struct Case {
    const char* what;
    int block, furniture, area_index;
    bool block_walls;
    std::array<Color, 4> by_style;
  };
  const Case cases[] = {
      {"natural floor", 51, 0, 1, false, {{{23, 24, 46}, {119, 119, 119}, {170, 170, 170}, {187, 187, 187}}}},
      {"natural floor 64", 64, 0, 1, false, {{{25, 43, 42}, {119, 119, 119}, {170, 170, 170}, {187, 187, 187}}}},
      {"built floor", 65, 0, 1, false, {{{29, 29, 48}, {187, 187, 187}, {221, 221, 221}, {221, 221, 221}}}},
      {"built floor 100", 100, 0, 1, false, {{black, {187, 187, 187}, {221, 221, 221}, {221, 221, 221}}}},
      {"wall, no block walls", 1, 0, 1, false, {{{60, 60, 100}, black, blue, white}}},
      {"wall 50, no block walls", 50, 0, 1, false, {{black, black, blue, white}}},
      {"wall with block walls", 1, 0, 1, true, {{{60, 60, 100}, {85, 85, 85}, {34, 102, 153}, {119, 119, 119}}}},
      {"door", 1, 8, 1, false, {{{119, 68, 0}, {119, 68, 0}, {119, 68, 0}, {119, 68, 0}}}},
      {"locked door", 65, 9, 1, true, {{{119, 68, 0}, {119, 68, 0}, {119, 68, 0}, {119, 68, 0}}}},
      {"cell door", 51, 10, 1, false, {{{102, 102, 102}, {102, 102, 102}, {102, 102, 102}, {102, 102, 102}}}},
      {"secret door", 1, 11, 1, false, {{{204, 204, 0}, {204, 204, 0}, {204, 204, 0}, {204, 204, 0}}}},
      {"floor outside any area", 65, 0, 0, true, {{black, black, blue, white}}},
      {"door outside any area", 1, 8, 0, true, {{black, black, blue, white}}},
      {"other furniture on floor", 65, 1, 1, false, {{{29, 29, 48}, {187, 187, 187}, {221, 221, 221}, {221, 221, 221}}}},
  };
  for (const Case& c : cases) {
    for (int style = 0; style <= 3; ++style) {
      set_cell(c.block, c.furniture, c.area_index);
      EXPECT_EQ(raster_of(style, c.block_walls), c.by_style[style]) << c.what << ", style " << style;
      EXPECT_EQ(raster_picture.pixel(0, 0), background_colors[style]) << c.what << ", style " << style;
    }
  }
}

TEST_F(RasterTest, RasterCoversTheMapAndCellXYIsPixelXMinus1YMinus1) {
  reset_test_map(5);
  paint_map_text(1, 1, R"(
#....
#####)", {1, 65, 2, 1});
  map_options.style = style_black;
  map_options.block_walls = true;
  draw_cell_raster();
  ASSERT_EQ(raster_picture.width(), 5);
  ASSERT_EQ(raster_picture.height(), 5);
  EXPECT_EQ(raster_picture.pixel(0, 0), (Color{85, 85, 85}));
  EXPECT_EQ(raster_picture.pixel(4, 0), (Color{187, 187, 187}));
  EXPECT_EQ(raster_picture.pixel(4, 1), (Color{85, 85, 85}));
  EXPECT_EQ(raster_picture.pixel(4, 2), black);
}

TEST_F(RasterTest, SecretDoorTakesTheDominantFloorOnEveryRender) {
  reset_test_map(5);
  paint_map_text(1, 1, R"(
#####
#,S.#
#...#)", {1, 65, 2, 1});
  map_cells(2, 2).block = 71;  // a second kind of floor beside the door
  map_cells(2, 2).area_index = 1;
  draw_cell_raster();
  EXPECT_EQ(map_cells(3, 2).block, 65);
  EXPECT_EQ(raster_picture.pixel(2, 1), secret_door_color);

  for (int x = 2; x <= 4; ++x) map_cells(x, 3).block = 71;
  draw_cell_raster();
  EXPECT_EQ(map_cells(3, 2).block, 71) << "rewritten again on the next render";

  reset_test_map(3);
  paint_map_text(1, 1, "###\n#S#\n###", {1, 65, 2, 1});
  draw_cell_raster();
  EXPECT_EQ(map_cells(2, 2).block, 0) << "no floor neighbour";
}

TEST_F(RasterTest, MapSizeZeroLeavesTheRasterAlone) {
  set_cell(65, 0);
  draw_cell_raster();
  const std::vector<uint8_t> before = raster_picture.bytes();
  map_size = 0;
  map_options.style = style_white;
  draw_cell_raster();
  EXPECT_EQ(raster_picture.bytes(), before);
  EXPECT_EQ(raster_picture.width(), 3);
}

TEST_F(RasterTest, GrainedBuiltFloorExamples) {
  struct Case {
    int a, b;
    Color expected;
  };
  for (const Case& c : {Case{2, 0, {225, 225, 225}}, Case{0, 2, {217, 217, 217}}, Case{1, 1, {221, 221, 221}}}) {
    set_cell(65, 0);
    map_options.grain = true;
    const uint32_t seed = seed_giving(3, {c.a, c.b});
    rand_seed = seed;
    EXPECT_EQ(raster_of(style_blue, false), c.expected) << "draws " << c.a << "," << c.b;
    EXPECT_EQ(draws_between(seed, rand_seed), 2);
  }
}

TEST_F(RasterTest, GrainDrawsPerCellKind) {
  struct Case {
    const char* what;
    int style, block, furniture, area_index;
    bool block_walls, grain, step_mode;
    int draws;
  };
  const Case cases[] = {
      {"built floor", style_black, 65, 0, 1, false, true, false, 2},
      {"natural floor", style_white, 51, 0, 1, false, true, false, 1},
      {"wall with block walls", style_blue, 1, 0, 1, true, true, false, 2},
      {"wall without block walls", style_blue, 1, 0, 1, false, true, false, 0},
      {"door", style_blue, 65, 8, 1, true, true, false, 0},
      {"secret door", style_blue, 1, 11, 1, true, true, false, 0},
      {"outside any area", style_blue, 65, 0, 0, true, true, false, 0},
      {"style 0", style_kavrel, 65, 0, 1, true, true, false, 0},
      {"grain off", style_blue, 65, 0, 1, true, false, false, 0},
      {"step mode", style_blue, 65, 0, 1, true, true, true, 0},
  };
  for (const Case& c : cases) {
    set_cell(c.block, c.furniture, c.area_index);
    map_options.grain = c.grain;
    step_mode_active = c.step_mode;
    rand_seed = 12345;
    const Color plain = [&] {
      const MapOptions saved = map_options;
      map_options.grain = false;
      const Color color = raster_of(c.style, c.block_walls);
      map_options = saved;
      return color;
    }();
    rand_seed = 12345;
    const Color drawn = raster_of(c.style, c.block_walls);
    EXPECT_EQ(draws_between(12345, rand_seed), c.draws) << c.what;
    if (c.draws == 0) {
      EXPECT_EQ(drawn, plain) << c.what;
    }
  }
}

TEST_F(RasterTest, NaturalFloorGrainOnlyLightens) {
  set_cell(51, 0);
  map_options.grain = true;
  const Color expected[] = {{119, 119, 119}, {120, 120, 120}, {121, 121, 121}, {123, 123, 123}};
  for (int a = 0; a < 4; ++a) {
    uint32_t seed = 1;
    for (;; ++seed) {
      rand_seed = seed;
      if (random_int(4) == a) break;
    }
    rand_seed = seed;
    EXPECT_EQ(raster_of(style_black, false), expected[a]) << "draw " << a;
  }
}

TEST_F(RasterTest, GrainDrawsFollowTheCellOrderColumnByColumn) {
  // Built floors at (1, 2) and (2, 1): with x outer, (1, 2) draws first.
  reset_test_map(2);
  paint_map_text(1, 1, " .\n. ", {1, 65, 2, 1});
  map_options.style = style_blue;
  map_options.grain = true;
  const uint32_t seed = seed_giving(3, {2, 0, 0, 2});
  rand_seed = seed;
  draw_cell_raster();
  EXPECT_EQ(raster_picture.pixel(0, 1), (Color{225, 225, 225}));
  EXPECT_EQ(raster_picture.pixel(1, 0), (Color{217, 217, 217}));
  EXPECT_EQ(draws_between(seed, rand_seed), 4);
}

TEST(ScaleColor, RoundsHalfToEvenAndClamps) {
  struct Case {
    Color color;
    float factor;
    Color expected;
  };
  const Case cases[] = {
      {{255, 255, 255}, 1.03f, {255, 255, 255}},
      {{250, 200, 100}, 1.03f, {255, 206, 103}},
      {{221, 221, 221}, 1.02f, {225, 225, 225}},
      {{221, 221, 221}, 0.98f, {217, 217, 217}},
      {{68, 147, 190}, 0.7f, {48, 103, 133}},
      {{255, 255, 255}, 0.8f, {204, 204, 204}},
      {{5, 7, 9}, 0.5f, {2, 4, 4}},    // 2.5, 3.5, 4.5: ties to the even neighbour
      {{1, 3, 0}, 1.5f, {2, 4, 0}},    // 1.5, 4.5
      {{200, 0, 17}, 1.0f, {200, 0, 17}},
  };
  for (const Case& c : cases) EXPECT_EQ(scale_color(c.color, c.factor), c.expected) << c.factor;
}

TEST(ScaleColor, FlavourWallColoursAreScaledBackgrounds) {
  EXPECT_EQ(overlay_colors[style_blue].flavour_wall, scale_color(background_colors[style_blue], 0.7f));
  EXPECT_EQ(overlay_colors[style_white].flavour_wall, scale_color(background_colors[style_white], 0.8f));
}

}  // namespace
