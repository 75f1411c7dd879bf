// The map picture: enlargement, step-mode overlay, grid, wall bands, area
// numbers, grain and the step marker.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "Canvas.h"
#include "Cell_Raster.h"
#include "GAME_Dice.h"
#include "GAME_Dungeon.h"
#include "GAME_Map.h"
#include "Map_Colors.h"
#include "Map_Grain.h"
#include "Map_Picture.h"
#include "Map_View.h"
#include "Text.h"
#include "map_text.h"

namespace {

constexpr Color black{0, 0, 0}, blue{68, 147, 190}, white{255, 255, 255};

// The picture as text, one character per pixel by the legend, '?' for any
// other colour.
std::string picture_text(const Picture& picture, const std::map<char, Color>& legend) {
  std::string text;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      char c = '?';
      for (const auto& [symbol, color] : legend)
        if (picture.pixel(x, y) == color) c = symbol;
      text += c;
    }
    text += '\n';
  }
  return text;
}

// A square of n x n cells of one character, as map text.
std::string filled_text(int n, char c) {
  std::string text;
  for (int y = 0; y < n; ++y) text += std::string(static_cast<size_t>(n), c) + "\n";
  return text;
}

int draws_between(uint32_t before, uint32_t after) {
  for (int n = 0; n <= 100000; ++n, before = before * 134775813u + 1u)
    if (before == after) return n;
  return -1;
}

// ---- The drawing surface ------------------------------------------------

std::string canvas_text(const Picture& picture) {
  return picture_text(picture, {{' ', black}, {'#', white}, {'o', {255, 0, 0}}, {'b', {0, 0, 255}}});
}

TEST(Canvas, LinesStopBeforeTheirEndPoint) {
  const struct {
    int x1, y1, x2, y2, width;
    const char* picture;
  } cases[] = {
      {0, 1, 4, 1, 1, "     \n#### \n     \n     \n"},
      {4, 1, 0, 1, 1, "     \n ####\n     \n     \n"},
      {1, 0, 1, 3, 1, " #   \n #   \n #   \n     \n"},
      {0, 0, 3, 3, 1, "#    \n #   \n  #  \n     \n"},
      {2, 2, 2, 2, 1, "     \n     \n     \n     \n"},
      {-3, 2, 9, 2, 1, "     \n     \n#####\n     \n"},
      {1, 1, 3, 1, 3, "#### \n#### \n#### \n     \n"},
  };
  for (const auto& c : cases) {
    Picture picture(5, 4);
    picture.pen = Pen{white, c.width};
    draw_line(picture, c.x1, c.y1, c.x2, c.y2);
    EXPECT_EQ(canvas_text(picture), c.picture) << c.x1 << "," << c.y1 << " to " << c.x2 << "," << c.y2;
  }
}

TEST(Canvas, FilledRectanglesExcludeRightAndBottomAndClip) {
  Picture picture(5, 4);
  picture.brush = Brush{white, false};
  fill_rect(picture, 1, 1, 3, 3);
  fill_rect(picture, 4, -5, 9, 1);
  fill_rect(picture, 3, 3, 2, 4);  // empty
  picture.brush = Brush{{255, 0, 0}, true};
  fill_rect(picture, 0, 0, 5, 4);  // a clear brush paints nothing
  EXPECT_EQ(canvas_text(picture), "    #\n ##  \n ##  \n     \n");
}

TEST(Canvas, EllipseOutlineWithPenWidth) {
  Picture picture(9, 9);
  picture.pen = Pen{white, 1};
  picture.brush.clear = true;
  draw_ellipse(picture, 1, 1, 8, 8);
  EXPECT_EQ(canvas_text(picture),
            "         \n"
            "   ###   \n"
            "  #   #  \n"
            " #     # \n"
            " #     # \n"
            " #     # \n"
            "  #   #  \n"
            "   ###   \n"
            "         \n");
  Picture wide(11, 11);
  wide.pen = Pen{white, 3};
  wide.brush = Brush{{0, 0, 255}, false};
  draw_ellipse(wide, 2, 2, 9, 9);
  EXPECT_EQ(canvas_text(wide),
            "           \n"
            "   #####   \n"
            "  #######  \n"
            " ######### \n"
            " ###bbb### \n"
            " ###bbb### \n"
            " ###bbb### \n"
            " ######### \n"
            "  #######  \n"
            "   #####   \n"
            "           \n");
}

TEST(Canvas, StretchReplicatesPixels) {
  Picture source(2, 2);
  source.set_pixel(0, 0, white);
  source.set_pixel(1, 0, {0, 0, 255});
  source.set_pixel(1, 1, {255, 0, 0});
  Picture target(5, 4);  // 5 columns from 2: source columns 0, 0, 0, 1, 1
  stretch_draw(target, 0, 0, 5, 4, source);
  EXPECT_EQ(canvas_text(target), "###bb\n###bb\n   oo\n   oo\n");
  Picture offset(5, 4);
  stretch_draw(offset, -2, 2, 2, 6, source);  // clipped on the left and below
  EXPECT_EQ(canvas_text(offset), "     \n     \nbb   \nbb   \n");
}

class MapPictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_test_map(4);
    map_options = MapOptions{};
    map_options.grid = map_options.area_numbers = map_options.line_walls = false;
    step_mode_active = false;
    dungeon.current_x = dungeon.current_y = 0;
    dungeon.area_placed = 0;
  }
  // A room of natural floor in a ring of walls, in area 1.
  void paint_room() { paint_map_text(1, 1, "####\n#..#\n#..#\n####", {1, 51, 2, 1}); }
  void render(int size) {
    draw_cell_raster();
    target.set_size(size, size);
    draw_map_picture(target);
  }
  Picture target;
};

TEST_F(MapPictureTest, NoMapGivesThePlainBackgroundWhateverTheOptions) {
  map_options = MapOptions{};
  map_options.grain = map_options.flavour_walls = true;
  map_size = 0;
  for (int style = 0; style <= 3; ++style) {
    map_options.style = style;
    target.set_size(12, 12);
    target.fill(Color{1, 2, 3});
    rand_seed = 99;
    draw_map_picture(target);
    Picture expected(12, 12);
    expected.fill(background_colors[style]);
    EXPECT_EQ(target.bytes(), expected.bytes()) << "style " << style;
    EXPECT_EQ(rand_seed, 99u);
  }
}

TEST_F(MapPictureTest, EnlargesTheRasterByPixelReplication) {
  paint_room();
  map_options.style = style_black;
  render(12);
  EXPECT_EQ(picture_text(target, {{' ', black}, {'.', {119, 119, 119}}}),
            "            \n"
            "            \n"
            "            \n"
            "   ......   \n"
            "   ......   \n"
            "   ......   \n"
            "   ......   \n"
            "   ......   \n"
            "   ......   \n"
            "            \n"
            "            \n"
            "            \n");
}

TEST_F(MapPictureTest, KavrelGridLinesAtEveryMultipleOfTheCellSize) {
  paint_room();
  map_options.style = style_kavrel;
  map_options.grid = true;
  map_options.block_walls = true;
  render(16);  // cell size 4: lines at 4, 8, 12 (16 and 20 fall off)
  const Color floor = kavrel_block_colors[51], wall = kavrel_block_colors[1];
  EXPECT_EQ(picture_text(target, {{'#', wall}, {'.', floor}, {'|', black}}),
            "####|###|###|###\n"
            "####|###|###|###\n"
            "####|###|###|###\n"
            "####|###|###|###\n"
            "||||||||||||||||\n"
            "####|...|...|###\n"
            "####|...|...|###\n"
            "####|...|...|###\n"
            "||||||||||||||||\n"
            "####|...|...|###\n"
            "####|...|...|###\n"
            "####|...|...|###\n"
            "||||||||||||||||\n"
            "####|###|###|###\n"
            "####|###|###|###\n"
            "####|###|###|###\n");
}

TEST_F(MapPictureTest, TabletopGridOnFloorCellsOnly) {
  // Natural and built floor, a door on floor, a floor cell in the stencil.
  reset_test_map(3);
  paint_map_text(1, 1, "...\n.+#\n...", {1, 51, 2, 1});
  for (int y = 1; y <= 3; ++y) map_cells(3, y).block = y == 2 ? 1 : 65;
  stencil_layer(2, 3) = 1;
  map_options.style = style_white;
  map_options.grid = true;
  render(9);
  // n natural floor, b built floor, d door, # wall background (white);
  // lines: 'N' natural grid pen, 'B' built grid pen.
  EXPECT_EQ(picture_text(target, {{'n', {187, 187, 187}},
                                  {'b', {221, 221, 221}},
                                  {'d', {119, 68, 0}},
                                  {'#', white},
                                  {'N', {136, 136, 136}},
                                  {'B', {170, 170, 170}}}),
            "NNNNNNBBB\n"
            "NnnNnnBbb\n"
            "NnnNnnBbb\n"
            "NNNddd###\n"
            "Nnnddd###\n"
            "Nnnddd###\n"
            "NNNnnnBBB\n"
            "NnnnnnBbb\n"
            "NnnnnnBbb\n");
}

TEST_F(MapPictureTest, LineWallBandsAroundARoom) {
  paint_room();
  map_options.style = style_black;
  map_options.line_walls = true;
  render(20);  // cell size 5: line bands 2 pixels thick
  EXPECT_EQ(picture_text(target, {{' ', black}, {'.', {119, 119, 119}}, {'#', {68, 68, 68}}}),
            "                    \n"
            "                    \n"
            "                    \n"
            "   ##############   \n"
            "   ##############   \n"
            "   ##..........##   \n"
            "   ##..........##   \n"
            "   ##..........##   \n"
            "   ##..........##   \n"
            "   ##..........##   \n"
            "   ##..........##   \n"
            "   ##..........##   \n"
            "   ##..........##   \n"
            "   ##..........##   \n"
            "   ##..........##   \n"
            "   ##############   \n"
            "   ##############   \n"
            "                    \n"
            "                    \n"
            "                    \n");
}

TEST_F(MapPictureTest, WallBandsAtTwoTwoExtendOnlyTowardsWalls) {
  // Floor at (2, 2) with walls north and west; (1, 2) and (2, 1) are walls,
  // (3, 2) and (2, 3) floor; the outer ring is never visited.
  paint_map_text(1, 1, "####\n#...\n#...\n#...", {1, 65, 2, 1});
  map_options.style = style_blue;
  map_options.line_walls = true;
  render(16);  // cell size 4, band 2
  const std::string text = picture_text(target, {{' ', blue}, {'.', {221, 221, 221}}, {'#', black}});
  std::string expected;
  for (int y = 0; y < 16; ++y) {
    if (y < 2) expected += "                \n";
    else if (y < 4) expected += "  ##########    \n";  // (4, 2) is never visited
    else if (y < 12) expected += "  ##............\n";
    else expected += "    ............\n";  // nor is (2, 4)
  }
  EXPECT_EQ(text, expected);
}

TEST_F(MapPictureTest, StencilCellsGetNoBandTowardsThem) {
  paint_room();
  stencil_layer(2, 1) = 1;  // the wall north of (2, 2)
  map_options.style = style_black;
  map_options.line_walls = true;
  render(20);
  const Color band{68, 68, 68};
  EXPECT_EQ(target.pixel(7, 4), black) << "no band on the stencil wall";
  EXPECT_EQ(target.pixel(3, 4), band) << "extension tests read the block only";
  EXPECT_EQ(target.pixel(12, 4), band) << "(3, 2) still faces its own wall";
}

TEST_F(MapPictureTest, BandThicknessesByCellSize) {
  struct Case {
    int cell_size;
    bool flavour;
    int thickness;
  };
  // At cell size 3 the flavour band is 4 thick, more than a cell.
  const Case cases[] = {{5, true, 4}, {5, false, 2}, {15, true, 8}, {15, false, 3}, {3, true, 4}, {3, false, 2}};
  for (const Case& c : cases) {
    reset_test_map(6);
    paint_map_text(2, 2, "####\n#..#\n#..#\n####", {1, 51, 2, 1});
    map_options.style = style_black;
    map_options.flavour_walls = c.flavour;
    map_options.line_walls = !c.flavour;
    render(6 * c.cell_size);
    const Color band = c.flavour ? Color{51, 51, 51} : Color{68, 68, 68};
    // Count band pixels up from the top edge of floor cell (3, 3) in its middle column.
    const int column = 2 * c.cell_size + c.cell_size / 2;
    int thickness = 0;
    for (int y = 2 * c.cell_size - 1; y >= 0 && target.pixel(column, y) == band; --y) ++thickness;
    EXPECT_EQ(thickness, c.thickness) << "cell size " << c.cell_size << (c.flavour ? " flavour" : " line");
  }
}

TEST_F(MapPictureTest, LineWallsDrawOverFlavourWalls) {
  paint_room();
  map_options.style = style_black;
  map_options.flavour_walls = map_options.line_walls = true;
  render(60);  // cell size 15: flavour 8, line 3
  std::string column;
  for (int y = 6; y < 15; ++y) {
    const Color c = target.pixel(22, y);
    column += c == Color{51, 51, 51} ? 'f' : c == Color{68, 68, 68} ? 'l' : '?';
  }
  EXPECT_EQ(column, "?ffffflll");
}

TEST_F(MapPictureTest, SizeDependentMeasures) {
  EXPECT_EQ(area_number_font_height(640), 16);
  EXPECT_EQ(area_number_font_height(1920), 32);
  EXPECT_EQ(area_number_font_height(128), 16);
  EXPECT_EQ(step_marker_pen_width(5), 3);
  EXPECT_EQ(step_marker_pen_width(15), 6);
  EXPECT_EQ(step_marker_pen_width(10), 5);
}

// Areas 1 corridor, 2 room, 3 corridor, 4 cave and two unused slots: the
// labels are "1" on area 2 and "2" on area 4, black on tabletop styles and
// white over a two-step black shadow in style 0.
TEST_F(MapPictureTest, AreaNumbersCountOnlyNonCorridorAreas) {
  reset_test_map(16);
  paint_map_text(1, 1, filled_text(16, '.'), {1, 65, 2, 1});
  areas.resize_to(6);
  const int kinds[] = {0, area_kind::corridor, area_kind::room, area_kind::corridor, area_kind::cave};
  const int centres[][2] = {{0, 0}, {3, 3}, {5, 10}, {12, 4}, {11, 12}};
  for (int i = 1; i <= 4; ++i) {
    areas[i].kind = kinds[i];
    areas[i].centre_x = centres[i][0];
    areas[i].centre_y = centres[i][1];
  }
  for (int style : {style_kavrel, style_black}) {
    map_options.style = style;
    map_options.area_numbers = false;
    render(320);  // cell size 20, font 16
    Picture expected;
    expected.copy_pixels_from(target);
    expected.brush.clear = true;
    expected.font = Font{"Verdana", 16, black};
    const struct {
      const char* label;
      int area;
    } labels[] = {{"1", 2}, {"2", 4}};
    for (const auto& l : labels) {
      const TextSize size = text_size(expected, l.label);
      const int x = (areas[l.area].centre_x - 1) * 20 + 10 - size.width / 2;
      const int y = (areas[l.area].centre_y - 1) * 20 + 10 - size.height / 2;
      expected.font.color = black;
      if (style == style_kavrel) {
        draw_text(expected, x + 1, y + 1, l.label);
        draw_text(expected, x + 2, y + 2, l.label);
        expected.font.color = white;
      }
      draw_text(expected, x, y, l.label);
    }
    map_options.area_numbers = true;
    render(320);
    EXPECT_EQ(target.bytes(), expected.bytes()) << "style " << style;
    EXPECT_FALSE(target.brush.clear);
    EXPECT_EQ(target.pen.width, 1);
  }
}

TEST_F(MapPictureTest, StepModeOverlayAndMarker) {
  reset_test_map(8);
  paint_map_text(1, 1, filled_text(8, '#'), {1, 65, 2, 1});
  stencil_layer(2, 2) = 1;
  mark_layer(3, 3) = 1;
  stencil_layer(4, 4) = mark_layer(4, 4) = 1;
  dungeon.current_x = 5;
  dungeon.current_y = 5;
  dungeon.area_placed = 1;
  map_options.style = style_blue;
  map_options.grain = true;
  step_mode_active = true;
  rand_seed = 7;
  render(40);  // cell size 5
  EXPECT_EQ(rand_seed, 7u) << "no grain in step mode";
  EXPECT_EQ(target.pixel(7, 7), (Color{0, 85, 0}));
  EXPECT_EQ(target.pixel(12, 12), (Color{255, 128, 0}));
  EXPECT_EQ(target.pixel(17, 17), (Color{255, 128, 0})) << "the mark wins over the stencil";
  EXPECT_EQ(target.pixel(22, 22), (Color{51, 255, 51}));
  // The marker: a circle five cells across, pen 3, on the cell (5, 5).
  const Color pen{255, 255, 0};
  EXPECT_EQ(target.pixel(10, 22), pen) << "west edge";
  EXPECT_EQ(target.pixel(34, 22), pen) << "east edge";
  EXPECT_EQ(target.pixel(22, 10), pen) << "north edge";
  EXPECT_EQ(target.pixel(16, 22), blue) << "inside stays";
  EXPECT_EQ(target.pen.width, 1);
  EXPECT_FALSE(target.brush.clear);

  dungeon.area_placed = 0;
  render(40);
  EXPECT_EQ(target.pixel(7, 7), (Color{85, 0, 0}));
  EXPECT_EQ(target.pixel(22, 22), (Color{255, 51, 51}));

  step_mode_active = false;
  map_options.grain = false;
  render(40);
  EXPECT_EQ(target.pixel(7, 7), blue) << "no overlay outside step mode";
  EXPECT_EQ(target.pixel(10, 22), blue) << "no marker outside step mode";
}

TEST_F(MapPictureTest, GrainOnlyInTabletopStyles) {
  paint_room();
  map_options.grain = true;
  map_options.style = style_kavrel;
  draw_cell_raster();
  rand_seed = 5;
  target.set_size(8, 8);
  draw_map_picture(target);
  EXPECT_EQ(rand_seed, 5u);

  map_options.style = style_black;
  draw_cell_raster();
  const uint32_t after_raster = rand_seed;
  draw_map_picture(target);
  // 64 pixels: 48 black (one or two draws each) and 16 floor pixels (two each).
  const int draws = draws_between(after_raster, rand_seed);
  EXPECT_GE(draws, 48 + 32);
  EXPECT_LE(draws, 96 + 32);
}

TEST_F(MapPictureTest, KavrelIgnoresFlavourWallsLineWallsAndGrain) {
  paint_room();
  map_options.style = style_kavrel;
  map_options.grid = map_options.area_numbers = false;
  render(40);
  Picture plain;
  plain.copy_pixels_from(target);
  map_options.flavour_walls = map_options.line_walls = map_options.grain = true;
  rand_seed = 5;
  render(40);
  EXPECT_EQ(target.bytes(), plain.bytes());
  EXPECT_EQ(rand_seed, 5u);
}

// Replays the grain rules on four pixels with the same generator.
TEST(Grain, DrawsPerPixelKindInRowOrder) {
  Picture picture(2, 2);
  const Color other{100, 150, 200};
  picture.set_pixel(0, 0, black);
  picture.set_pixel(1, 0, white);
  picture.set_pixel(0, 1, blue);
  picture.set_pixel(1, 1, other);
  for (uint32_t seed : {1u, 2u, 3u, 1000u, 4242u}) {
    rand_seed = seed;
    Color expected[4];
    int a = random_int(100);
    expected[0] = a < 51 ? [] { const uint8_t v = uint8_t(random_int(34)); return Color{v, v, v}; }() : black;
    a = random_int(100);
    expected[1] = a < 51 ? [] { const uint8_t v = uint8_t(255 - random_int(26)); return Color{v, v, v}; }() : white;
    a = random_int(100);
    if (a < 51) {
      const int b = random_int(20), c = random_int(20);
      expected[2] = scale_color(blue, grain_factor(b - c));
    } else {
      expected[2] = blue;
    }
    const int b = random_int(5), c = random_int(5);
    expected[3] = scale_color(other, grain_factor(b - c));
    const uint32_t end = rand_seed;

    Picture grained;
    grained.copy_pixels_from(picture);
    rand_seed = seed;
    grain_picture(grained);
    EXPECT_EQ(rand_seed, end) << "seed " << seed;
    EXPECT_EQ(grained.pixel(0, 0), expected[0]) << "seed " << seed;
    EXPECT_EQ(grained.pixel(1, 0), expected[1]) << "seed " << seed;
    EXPECT_EQ(grained.pixel(0, 1), expected[2]) << "seed " << seed;
    EXPECT_EQ(grained.pixel(1, 1), expected[3]) << "seed " << seed;
  }
}

TEST(Grain, LookedUpScalingEqualsScaleColor) {
  for (int step = -largest_grain_step; step <= largest_grain_step; ++step)
    for (int c = 0; c < 256; ++c) {
      const Color color{uint8_t(c), uint8_t(255 - c), uint8_t(c / 2)};
      ASSERT_EQ(grain_color(color, step), scale_color(color, grain_factor(step))) << "step " << step;
    }
  EXPECT_THROW(grain_scale_row(largest_grain_step + 1), RangeError);
}

TEST(Grain, WhiteStyleStatistics) {
  Picture picture(128, 128);
  picture.fill(white);
  for (int x = 0; x < 64; ++x) picture.set_pixel(x, 0, Color{221, 221, 221});
  rand_seed = 31337;
  grain_picture(picture);
  int changed = 0;
  for (int y = 1; y < 128; ++y) {
    for (int x = 0; x < 128; ++x) {
      const Color c = picture.pixel(x, y);
      ASSERT_TRUE(c.r == c.g && c.g == c.b);
      ASSERT_GE(c.r, 230);
      if (c.r != 255) ++changed;
    }
  }
  const double share = changed / (127.0 * 128.0);
  EXPECT_GT(share, 0.45);
  EXPECT_LT(share, 0.55);
  for (int x = 0; x < 64; ++x) {
    const int v = picture.pixel(x, 0).r;
    EXPECT_GE(v, 212);  // 221 by at most 4 percent either way
    EXPECT_LE(v, 230);
  }
}

}  // namespace
