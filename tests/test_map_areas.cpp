// The areas table: growth, registration and centres, code names, zones and
// corridor front cells.
#include <gtest/gtest.h>

#include <string>

#include "GAME_Dungeon.h"
#include "GAME_Map.h"
#include "map_text.h"

namespace {

class AreasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_test_map(40);
    clear_marks();
    dungeon.parent_area = 0;
    area_templates.clear();
  }
  void TearDown() override { area_templates.clear(); }

  static void install_two_templates() {
    area_templates.clear();
    area_templates.resize_to(2);
    area_templates[1].name.assign("sp_hall");
    area_templates[2].name.assign("vt_crypt");
    area_templates[2].sealed = 1;
  }
  // Registers a room over the given rectangle.
  static void add_room(int number, int x1, int y1, int x2, int y2, int direction = 1) {
    add_to_areas(number, x1, y2 + 1, direction, x1, y1, x2, y2, area_kind::room,
                 (x2 - x1 + 1) * (y2 - y1 + 1), 0, 0);
  }
};

TEST_F(AreasTest, TableGrowsByHundredSlotsOfZeroAreas) {
  EXPECT_FALSE(is_area(1));
  add_room(1, 2, 2, 4, 4);
  EXPECT_EQ(areas.highest(), 99);
  add_room(99, 2, 2, 4, 4);
  EXPECT_EQ(areas.highest(), 99);
  add_room(100, 2, 2, 4, 4);
  EXPECT_EQ(areas.highest(), 199);
  EXPECT_TRUE(is_area(199));
  EXPECT_FALSE(is_area(200));
  EXPECT_FALSE(is_area(0));
  for (int n = 101; n <= 199; ++n) {
    EXPECT_EQ(areas[n].kind, 0) << n;
    EXPECT_EQ(areas[n].cell_count, 0) << n;
    EXPECT_EQ(areas[n].x2, 0) << n;
  }
}

TEST_F(AreasTest, AreaNumbersOutsideOneToTwoHundredFiftyFiveAreRangeErrors) {
  areas.resize_to(299);
  EXPECT_THROW(add_room(256, 2, 2, 4, 4), RangeError);
  EXPECT_THROW(add_room(0, 2, 2, 4, 4), RangeError);
  EXPECT_NO_THROW(add_room(255, 2, 2, 4, 4));
}

TEST_F(AreasTest, RegistrationStoresTheRectangleItsSizeCentreAndParent) {
  dungeon.parent_area = 4;
  add_to_areas(1, 12, 24, 1, 10, 20, 14, 23, area_kind::room, 18, 0, 0);
  const AreaRecord& a = areas[1];
  EXPECT_EQ(a.anchor_x, 12);
  EXPECT_EQ(a.anchor_y, 24);
  EXPECT_EQ(a.direction, 1);
  EXPECT_EQ(a.width, 5);
  EXPECT_EQ(a.height, 4);
  EXPECT_EQ(a.centre_x, 12);
  EXPECT_EQ(a.centre_y, 22);
  EXPECT_EQ(a.parent_area, 4);
  EXPECT_EQ(a.kind, area_kind::room);
  EXPECT_EQ(a.cell_count, 18);
  EXPECT_EQ(a.template_flag, 0);
}

TEST_F(AreasTest, TemplateAreasKeepTheirBuildersCentreAndTakeTheSealedFlag) {
  install_two_templates();
  add_room(1, 2, 2, 4, 4);
  areas[2].centre_x = 7;
  areas[2].centre_y = 9;
  add_to_areas(2, 5, 5, 2, 5, 5, 15, 15, area_kind::vault, 50, 2, 0);
  EXPECT_EQ(areas[2].centre_x, 7);
  EXPECT_EQ(areas[2].centre_y, 9);
  EXPECT_EQ(areas[2].template_index, 2);
  EXPECT_EQ(areas[2].template_flag, 1);
  add_to_areas(3, 5, 5, 2, 5, 5, 15, 15, area_kind::special, 50, 1, 0);
  EXPECT_EQ(areas[3].centre_x, 0);
  EXPECT_EQ(areas[3].template_flag, 0);
}

// A natural area whose rectangle centre (12, 22) is rock. The picture spans
// 10..14 by 20..24; all of it belongs to cave 3 except (11, 21), area 5.
TEST_F(AreasTest, NaturalAreaCentreMovesToTheFirstOwnFloorInRingOrder) {
  paint_map_text(10, 20, R"(
#####
#.#.#
#.#.#
#####
#####)");
  paint_area_text(10, 20, R"(
33333
35333
33333
33333
33333)", area_kind::cave);
  for (int kind : {area_kind::cave, area_kind::tunnel}) {
    SCOPED_TRACE(kind);
    add_to_areas(3, 12, 25, 1, 10, 20, 14, 24, kind, 25, 0, 0);
    // Ring 1 starts at (11, 21): another area's floor; (12, 21) is wall; (13, 21) wins
    // over (11, 22), which comes last in the ring.
    EXPECT_EQ(areas[3].centre_x, 13);
    EXPECT_EQ(areas[3].centre_y, 21);
  }
}

TEST_F(AreasTest, NaturalAreaCentreOnOwnFloorStaysAndWithoutFloorFallsBackOnTheAnchor) {
  paint_map_text(10, 20, ".....", {.area_kind = area_kind::cave, .area_index = 1});
  add_to_areas(1, 12, 21, 1, 10, 20, 14, 20, area_kind::cave, 5, 0, 0);
  EXPECT_EQ(areas[1].centre_x, 12);
  EXPECT_EQ(areas[1].centre_y, 20);

  // Nothing of area 2 is floor within radius 10: one step from the anchor.
  struct Case {
    int direction, x, y;
  } cases[] = {{1, 30, 29}, {2, 31, 30}, {3, 30, 31}, {4, 29, 30}};
  for (const Case& c : cases) {
    add_to_areas(2, 30, 30, c.direction, 25, 25, 35, 35, area_kind::tunnel, 0, 0, 0);
    EXPECT_EQ(areas[2].centre_x, c.x) << c.direction;
    EXPECT_EQ(areas[2].centre_y, c.y) << c.direction;
  }
  EXPECT_THROW(add_to_areas(2, 30, 30, 0, 25, 25, 35, 35, area_kind::cave, 0, 0, 0), RangeError);
}

TEST_F(AreasTest, AreaCodeNames) {
  install_two_templates();
  add_room(1, 2, 2, 4, 4);
  add_to_areas(2, 5, 5, 2, 5, 5, 15, 15, area_kind::vault, 50, 2, 0);
  const int t = template_count();
  ASSERT_EQ(t, 2);
  struct Case {
    int code, number;
    const char* name;
  } cases[] = {
      {1, 0, "corridor"},       {3, 0, "circular"},        {9, 0, "vault"},
      {10, 0, "sp_hall"},       {9 + t, 0, "vt_crypt"},     {10 + t, 0, "sg_all"},
      {22 + t, 0, "sg_ambush"}, {69 + t, 0, "vo_base_blocks"}, {70 + t, 0, "-"},
      {0, 2, "vt_crypt"},       {0, 1, "room"},            {-1, 1, "room"},
      {0, 0, "-"},              {0, 150, "-"},             {3, 2, "circular"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(area_code_name(c.code, c.number), c.name) << c.code << " / " << c.number;

  area_templates.clear();
  EXPECT_EQ(area_code_name(10, 0), "sg_all");
  EXPECT_EQ(area_code_name(70, 0), "-");
}

TEST_F(AreasTest, ZoneCellsAreWrittenOnTheMapPartOfTheZoneRectangle) {
  add_room(1, 30, 30, 40, 40);
  areas[1].zones[3] = {38, 39, 4, 3};  // runs off the map's east and south edges
  areas[1].zones[4] = {0, 10, 2, 2};   // x = 0: no such zone
  set_zone_cells(1, 3);
  set_zone_cells(1, 4);
  set_zone_cells(1, 61);
  set_zone_cells(7, 3);
  int zoned = 0;
  for (int x = 1; x <= 40; ++x)
    for (int y = 1; y <= 40; ++y)
      if (map_cells(x, y).zone != 0) {
        ++zoned;
        EXPECT_EQ(map_cells(x, y).zone, 3);
        EXPECT_TRUE(x >= 38 && y >= 39) << x << "," << y;
      }
  EXPECT_EQ(zoned, 3 * 2);
}

TEST_F(AreasTest, FrontCellIsTheFarEndInTheGrowthDirection) {
  struct Case {
    int direction;
    bool found;
    Point cell;
  } cases[] = {{1, true, {11, 20}}, {2, true, {14, 21}}, {3, true, {11, 23}},
               {4, true, {10, 21}}, {0, false, {}},      {5, false, {}}};
  add_room(1, 10, 20, 14, 23);
  for (const Case& c : cases) {
    areas[1].direction = c.direction;
    Point cell;
    EXPECT_EQ(area_front_cell(1, cell), c.found) << c.direction;
    if (c.found) {
      EXPECT_EQ(cell, c.cell) << c.direction;
    }
  }
  Point cell;
  EXPECT_FALSE(area_front_cell(2, cell));
}

TEST_F(AreasTest, FrontCellCountsForTheCorridorAndAreasGrownFromIt) {
  // Corridor 1 grows north over 10..12 by 5..9: its front cell is (11, 5).
  add_to_areas(1, 11, 10, 1, 10, 5, 12, 9, area_kind::corridor, 15, 0, 0);
  dungeon.parent_area = 1;
  add_room(2, 10, 1, 12, 4);
  dungeon.parent_area = 2;
  add_room(3, 20, 1, 22, 4);
  struct Case {
    const char* name;
    int area;
    int x, y;
    bool expected;
  } cases[] = {
      {"corridor's own front cell", 1, 11, 5, true},
      {"another corridor cell", 1, 12, 5, false},
      {"room grown from the corridor", 2, 11, 5, true},
      {"room grown from a room", 3, 11, 5, false},
      {"unclaimed cell", 0, 11, 5, false},
      {"area slot never registered", 150, 11, 5, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    map_cells(c.x, c.y).area_index = narrow<uint8_t>(c.area);
    EXPECT_EQ(is_area_front_cell(c.x, c.y), c.expected);
  }
  EXPECT_FALSE(is_area_front_cell(0, 5));
}

}  // namespace
