// Furniture on map cells: placing and removing, group tests, doorways,
// secret doors, container states, variant spreading and free floor.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "GAME_Dice.h"
#include "GAME_Dungeon.h"
#include "GAME_Graphics.h"
#include "GAME_Map.h"
#include "map_text.h"

namespace {

// Draws of random_int between two generator states (-1 when more than 10000).
int draws_between(uint32_t from, uint32_t to) {
  const uint32_t saved = rand_seed;
  rand_seed = from;
  int draws = 0;
  while (rand_seed != to && draws <= 10000) {
    random_int(1);
    ++draws;
  }
  rand_seed = saved;
  return draws <= 10000 ? draws : -1;
}

class FurnitureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_test_map(20);
    furniture_tiles.clear();
    furniture_tiles.resize_to(furniture_count);
    rand_seed = 12345;
  }
  void TearDown() override { furniture_tiles.clear(); }

  static void set_variants(int furniture, int count, int step) {
    furniture_tiles[furniture].variant_count = narrow<uint16_t>(count);
    furniture_tiles[furniture].variant_stride = narrow<uint16_t>(step);
  }
  // Puts furniture on a cell directly, without add_furniture's draws.
  static void put(int x, int y, int furniture, int state = 0) {
    map_cells(x, y).furniture = narrow<uint8_t>(furniture);
    map_cells(x, y).furniture_state = narrow<uint8_t>(state);
  }
};

// ---- Placing and removing ---------------------------------------------------

TEST_F(FurnitureTest, AddFurnitureDrawsAVariantOnlyForKindsWithSeveralPictures) {
  add_to_areas(1, 5, 6, 1, 1, 1, 10, 5, area_kind::room, 50, 0, 0);
  set_variants(12, 3, 2);   // chest: 3 variants, step 2
  set_variants(4, 3, 1);    // torch: variants never drawn
  set_variants(3, 4, 1);    // teleporter: likewise
  set_variants(33, 1, 1);   // statue: a single picture
  struct Case {
    const char* name;
    int furniture;
    int area;
    int draws;
    int container_count;
  } cases[] = {
      {"chest in an area", 12, 1, 1, 1},
      {"chest outside any area", 12, 0, 1, 0},
      {"torch", 4, 1, 0, 0},
      {"teleporter", 3, 1, 0, 0},
      {"one-picture statue keeps the old variant", 33, 1, 0, 0},
      {"table without a catalogue entry", 26, 1, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    areas[1].container_count = 0;
    MapCell& cell = map_cells(5, 5);
    cell = MapCell{};
    cell.area_index = narrow<uint8_t>(c.area);
    cell.furniture_variant = 3;
    cell.furniture_state = 1;
    cell.splash = 4;
    cell.splash_variant = 2;
    const uint32_t before = rand_seed;
    add_furniture(5, 5, c.furniture, 0);
    EXPECT_EQ(draws_between(before, rand_seed), c.draws);
    EXPECT_EQ(cell.furniture, c.furniture);
    EXPECT_EQ(cell.furniture_state, 1);
    EXPECT_EQ(cell.splash, 0);
    EXPECT_EQ(cell.splash_variant, 0);
    EXPECT_EQ(areas[1].container_count, c.container_count);
    if (c.draws == 0) {
      EXPECT_EQ(cell.furniture_variant, 3);
    } else {
      rand_seed = before;
      EXPECT_EQ(cell.furniture_variant, random_int(3) * 2);
    }
  }
}

TEST_F(FurnitureTest, AddingStairsUpOrAddingOffTheMapChangesNothing) {
  set_variants(2, 3, 1);
  map_cells(5, 5).splash = 4;
  map_cells(5, 5).furniture = 26;
  const MapCell before = map_cells(5, 5);
  const uint32_t seed = rand_seed;
  add_furniture(5, 5, furniture::stairs_up, 0);
  add_furniture(21, 5, 12, 0);
  EXPECT_EQ(std::memcmp(&before, &map_cells(5, 5), sizeof before), 0);
  EXPECT_EQ(map_cells(21, 5).furniture, 0);
  EXPECT_EQ(rand_seed, seed);
}

TEST_F(FurnitureTest, RemoveFurnitureClearsTheFurnitureFieldsAndOptionallyTheHiddenBeing) {
  for (bool with_being : {false, true}) {
    SCOPED_TRACE(with_being);
    MapCell& cell = map_cells(5, 5);
    cell = MapCell{};
    cell.block = 53;
    cell.furniture = 18;
    cell.furniture_variant = 2;
    cell.furniture_state = 1;
    cell.furniture_tile = 300;
    cell.lock_level = 4;
    cell.lock_key = 9;
    cell.hidden_being = 77;
    cell.content_markers[0] = 5;
    cell.furniture_marker = 1;
    cell.container_markers[0] = cell.container_markers[1] = 1;
    remove_furniture(5, 5, with_being, 0);
    EXPECT_EQ(cell.furniture, 0);
    EXPECT_EQ(cell.furniture_variant, 0);
    EXPECT_EQ(cell.furniture_state, 0);
    EXPECT_EQ(cell.furniture_tile, 0);
    EXPECT_EQ(cell.lock_level, 0);
    EXPECT_EQ(cell.lock_key, 0);
    EXPECT_EQ(cell.furniture_marker, 0);
    EXPECT_EQ(cell.container_markers[0] + cell.container_markers[1], 0);
    EXPECT_EQ(cell.hidden_being, with_being ? 0 : 77);
    EXPECT_EQ(cell.content_markers[0], 5);
    EXPECT_EQ(cell.block, 53);
  }
  EXPECT_NO_THROW(remove_furniture(0, 0, true, 0));
}

// ---- Group tests ------------------------------------------------------------

TEST_F(FurnitureTest, GroupTestsByFurnitureRangeAndState) {
  struct Case {
    int furniture, state;
    int read_as;
    bool door, light, closed_container;
    int container;
  } cases[] = {
      {8, 0, 8, true, false, false, 0},    {10, 1, 10, true, false, false, 0},
      {11, 0, 11, false, false, false, 0}, {4, 1, 4, false, true, false, 0},
      {7, 0, 7, false, true, false, 0},    {12, 0, 12, false, false, true, 12},
      {19, 0, 19, false, false, true, 19}, {19, 1, 19, false, false, false, 19},
      {20, 0, 20, false, false, false, 20}, {31, 0, 31, false, false, false, 31},
      {32, 0, 32, false, false, false, 0}, {66, 0, 0, false, false, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.furniture);
    put(3, 3, c.furniture, c.state);
    EXPECT_EQ(get_furniture(3, 3, 0), c.read_as);
    EXPECT_TRUE(is_furniture(3, 3, c.read_as, -1, 0));
    EXPECT_TRUE(is_furniture(3, 3, c.read_as, c.state, 0));
    EXPECT_FALSE(is_furniture(3, 3, c.read_as, c.state + 1, 0));
    EXPECT_EQ(is_door(3, 3, -1, 0), c.door);
    EXPECT_EQ(is_door(3, 3, c.state, 0), c.door);
    EXPECT_FALSE(is_door(3, 3, c.state + 1, 0));
    EXPECT_EQ(is_light(3, 3, -1, 0), c.light);
    EXPECT_EQ(is_closed_container(3, 3, 0), c.closed_container);
    EXPECT_EQ(is_furniture_container(3, 3, 0), c.container);
  }
  EXPECT_EQ(get_furniture(0, 3, 0), 0);
  EXPECT_FALSE(is_furniture(0, 3, 0, -1, 0));
}

TEST(FurnitureNames, ShopFurnitureAndDisplayNames) {
  std::vector<int> shops;
  for (int f = 0; f <= 70; ++f)
    if (is_shop_furniture(f)) shops.push_back(f);
  EXPECT_EQ(shops, (std::vector<int>{13, 15, 17, 21, 23, 25, 27}));

  map_size = 20;
  const std::pair<int, const char*> names[] = {
      {0, "-"},         {1, "stairs"},      {2, "stairs"},         {3, "teleporter"},
      {5, "candelabrum"}, {9, "door"},      {10, "door"},          {11, "secret door"},
      {13, "chest"},    {21, "armor stand"}, {32, "statue"},      {36, "statue"},
      {54, "dry well"}, {63, "stone block"}};
  for (const auto& [furniture, name] : names) {
    map_cells(3, 3).furniture = narrow<uint8_t>(furniture);
    EXPECT_EQ(furniture_name(3, 3), name) << furniture;
  }
  EXPECT_EQ(furniture_name(0, 3), "-");
}

// ---- Doorways and secret doors ----------------------------------------------

TEST_F(FurnitureTest, DoorwayKindOfTheCentreCell) {
  struct Case {
    const char* picture;  // 3 x 3 around the tested cell
    bool doors_only;
    int expected;
  } cases[] = {
      {" . \n#+#\n . ", true, 2},   // door between walls, passage north-south
      {" . \n#+#\n . ", false, 2},
      {" . \n#.#\n . ", false, 2},  // the same without the door
      {" . \n#.#\n . ", true, 0},
      {" # \n#+#\n . ", true, 0},   // north wall as well
      {" # \n#.#\n . ", false, 0},
      {" # \n...\n # ", false, 1},  // passage west-east
      {" # \n.+.\n # ", true, 1},
      {"...\n.+.\n...", true, 1},   // a door counts whatever its side cells are
      {"...\n...\n...", false, 0},  // a plain doorway needs walls on both sides
      {" . \n.S.\n . ", false, 0},  // a secret door stands on a wall block
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "\n" << c.picture << "\ndoors only " << c.doors_only);
    reset_test_map(20);
    paint_map_text(1, 1, c.picture);
    EXPECT_EQ(is_doorway(2, 2, c.doors_only, 0), c.expected);
  }
}

TEST_F(FurnitureTest, NearDoorwayLooksAtTheFourNeighbours) {
  paint_map_text(1, 1, R"(
##.##
#...#
##.##
#...#
##+##
  .)");
  // (3, 4) lies between a plain doorway (north) and a door (south).
  EXPECT_EQ(is_near_doorway(3, 4, false, 0), 2);
  EXPECT_EQ(is_near_doorway(3, 4, true, 0), 2);  // south neighbour holds a door
  EXPECT_EQ(is_near_doorway(2, 2, false, 0), 0);
  EXPECT_EQ(is_near_doorway(0, 2, false, 0), 0);
}

TEST_F(FurnitureTest, SecretDoorOrientation) {
  struct Case {
    const char* picture;
    int expected;
  } cases[] = {
      {" # \n.S.\n # ", 1},
      {" . \n#S#\n . ", 2},
      {" . \n.S.\n . ", 1},   // west-east is tested first
      {" . \n#S.\n # ", 0},
      {" # \n.#.\n # ", 0},   // no secret door
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.picture);
    reset_test_map(20);
    paint_map_text(1, 1, c.picture);
    EXPECT_EQ(is_secret_door(2, 2, 0), c.expected);
  }
}

TEST_F(FurnitureTest, CreateSecretDoorShowsTheWallUnderItsMarkOrBesideIt) {
  struct Case {
    const char* name;
    int mark_block;
    Dice difficulty;
    int block, secret_difficulty;
  } cases[] = {
      {"wall under the mark", 7, constant_dice(5), 7, 5},
      {"roll 0 gives difficulty 20", 7, blank_dice, 7, 20},
      // North is empty (block 0), east the first wall with a block.
      {"first non-empty wall beside it", 0, constant_dice(3), 9, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reset_test_map(20);
    paint_map_text(4, 4, R"(
  
.?#
 #)", {.wall = 9, .floor = 53});
    map_cells(5, 5).block = 53;
    map_cells(5, 5).block_variant = 2;
    map_cells(5, 5).furniture_state = 1;
    mark_block_layer(5, 5) = narrow<uint8_t>(c.mark_block);
    create_secret_door(5, 5, c.difficulty, 0);
    const MapCell& cell = map_cells(5, 5);
    EXPECT_EQ(cell.block, c.block);
    EXPECT_EQ(cell.block_variant, 0);
    EXPECT_EQ(cell.furniture, furniture::door_secret);
    EXPECT_EQ(cell.furniture_state, 0);
    EXPECT_EQ(cell.secret_difficulty, c.secret_difficulty);
  }
}

TEST_F(FurnitureTest, RevealSecretDoorTurnsItIntoAClosedDoorOnItsAreasFloor) {
  struct Case {
    const char* name;
    int lock_level;
    int furniture, block;
  } cases[] = {
      {"unlocked", 0, furniture::door, 60},
      {"locked", 5, furniture::door_locked, 60},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reset_test_map(20);
    add_to_areas(1, 5, 8, 1, 4, 4, 6, 7, area_kind::room, 6, 0, 0);
    paint_map_text(4, 4, R"(
###
.S.
###)", {.floor = 60, .area_kind = area_kind::room, .area_index = 1});
    map_cells(5, 5).lock_level = narrow<uint8_t>(c.lock_level);
    reveal_secret_door(5, 5, 0);
    const MapCell& cell = map_cells(5, 5);
    EXPECT_EQ(cell.furniture, c.furniture);
    EXPECT_EQ(cell.furniture_state, 0);
    EXPECT_EQ(cell.secret_difficulty, 0);
    EXPECT_EQ(cell.block, c.block);
    EXPECT_EQ(is_doorway(5, 5, true, 0), 1);
  }
}

TEST_F(FurnitureTest, RevealSecretDoorWithoutOwnFloorBesideItOnlyUnhidesIt) {
  paint_map_text(4, 4, R"(
###
.S.
###)", {.area_index = 1});
  map_cells(4, 5).area_index = 2;
  map_cells(6, 5).area_index = 2;
  reveal_secret_door(5, 5, 0);
  EXPECT_EQ(map_cells(5, 5).furniture, furniture::door_secret);
  EXPECT_EQ(map_cells(5, 5).secret_difficulty, 0);
  EXPECT_EQ(map_cells(5, 5).block, 1);
}

// ---- Container states -------------------------------------------------------

TEST_F(FurnitureTest, UpdateFurnitureStateOfOpenContainers) {
  struct Case {
    int furniture, state, items;
    int expected_state, markers;
  } cases[] = {
      {12, 0, 0, 0, 0},  // closed: left alone
      {12, 1, 0, 1, 1},  {12, 2, 0, 1, 1},  {12, 1, 2, 2, 0},
      {20, 0, 0, 0, 1},  {20, 0, 3, 1, 0},  {20, 1, 0, 0, 1},
      {8, 1, 0, 1, 0},   // not a container
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.furniture << " state " << c.state << " items " << c.items);
    map_cells(3, 3) = MapCell{};
    put(3, 3, c.furniture, c.state);
    map_cells(3, 3).items[3] = narrow<uint16_t>(c.items);
    update_furniture_state(3, 3, 0);
    EXPECT_EQ(map_cells(3, 3).furniture_state, c.expected_state);
    EXPECT_EQ(map_cells(3, 3).container_markers[0], c.markers);
    EXPECT_EQ(map_cells(3, 3).container_markers[1], c.markers);
  }
}

TEST_F(FurnitureTest, OpenShopContainersOpensOnlyClosedShopContainers) {
  struct Case {
    int x, furniture, state;
    int expected_state;
  } cases[] = {
      {1, 13, 0, 1},  // closed shop chest: opened, empty
      {2, 17, 0, 1},  // closed shop crate
      {3, 12, 0, 0},  // plain chest stays closed
      {4, 13, 2, 2},  // already open
      {5, 21, 0, 0},  // shop armor stand is not closable
  };
  for (const Case& c : cases) put(c.x, 7, c.furniture, c.state);
  open_shop_containers();
  for (const Case& c : cases) EXPECT_EQ(map_cells(c.x, 7).furniture_state, c.expected_state) << c.x;
  EXPECT_EQ(map_cells(1, 7).container_markers[0], 1);
}

// ---- Variant spreading ------------------------------------------------------

TEST_F(FurnitureTest, ShuffledVariantsComeInWholeListsAndDrawForEverySlot) {
  set_variants(24, 3, 2);  // bookcase: variants 0, 2, 4
  set_variants(5, 3, 1);   // lights never shuffle
  set_variants(40, 51, 1); // too many variants to shuffle
  set_variants(41, 1, 1);  // a single variant
  struct Case {
    int bookcases;
    int draws;
  } cases[] = {
      {7, 99 * 3 + 6},  // two refills, the third list gives one entry
      {6, 99 * 3 + 6},  // the refill after the last cell still happens
      {5, 99 * 3 + 3},
      {0, 99 * 3},      // every slot draws, used or not
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bookcases);
    reset_test_map(20);
    add_to_areas(1, 3, 6, 1, 2, 2, 4, 4, area_kind::room, 9, 0, 0);
    ASSERT_EQ(areas.highest(), 99);
    std::vector<Point> cells;
    for (int x = 2; x <= 4; ++x)
      for (int y = 2; y <= 4; ++y) {
        map_cells(x, y).area_index = 1;
        if (static_cast<int>(cells.size()) < c.bookcases) {
          put(x, y, 24);
          cells.push_back({x, y});
        }
      }
    const uint32_t before = rand_seed;
    shuffle_furniture_variants();
    EXPECT_EQ(draws_between(before, rand_seed), c.draws);
    for (size_t start = 0; start + 3 <= cells.size(); start += 3) {
      int seen = 0;
      for (size_t i = start; i < start + 3; ++i)
        seen |= 1 << map_cells(cells[i].x, cells[i].y).furniture_variant;
      EXPECT_EQ(seen, (1 << 0) | (1 << 2) | (1 << 4)) << "list from cell " << start;
    }
  }
}

TEST_F(FurnitureTest, ShufflingLeavesFurnitureOfOtherAreasInTheRectangleAlone) {
  set_variants(24, 3, 2);
  add_to_areas(1, 3, 6, 1, 2, 2, 4, 4, area_kind::room, 9, 0, 0);
  put(3, 3, 24);
  map_cells(3, 3).area_index = 2;  // area 2's rectangle is empty
  map_cells(3, 3).furniture_variant = 1;
  shuffle_furniture_variants();
  EXPECT_EQ(map_cells(3, 3).furniture_variant, 1);
}

// ---- Free floor ---------------------------------------------------------------

TEST_F(FurnitureTest, FreeFloorByMode) {
  // (3, 4) is the only doorway, (5, 7) a hidden secret door; a trap lies on
  // (7, 2) and a table stands on (7, 5).
  paint_map_text(1, 1, R"(
#########
#.......#
#.......#
##.######
#.......#
#.......#
####S####)");
  map_cells(7, 2).trap = 3;
  put(7, 5, 26);
  map_cells(20, 10).block = 53;
  struct Case {
    const char* name;
    int x, y, width, height, mode;
    bool expected;
  } cases[] = {
      {"plain floor", 6, 2, 1, 1, 1, true},
      {"next to a doorway, mode 1", 3, 3, 1, 1, 1, false},
      {"next to a doorway, mode 0", 3, 3, 1, 1, 0, true},
      {"trap, mode 1", 7, 2, 1, 1, 1, false},
      {"trap, mode 2", 7, 2, 1, 1, 2, true},
      {"trap, mode 3", 7, 2, 1, 1, 3, true},
      {"trap, mode 4", 7, 2, 1, 1, 4, false},
      {"furniture", 7, 5, 1, 1, 0, false},
      {"beside a hidden secret door, mode 1", 5, 6, 1, 1, 1, false},
      {"beside a hidden secret door, mode 0", 5, 6, 1, 1, 0, true},
      {"wall", 1, 1, 1, 1, 0, false},
      {"two floors", 4, 2, 2, 1, 0, true},
      {"rectangle reaching a wall", 7, 3, 3, 1, 0, false},
      {"rectangle of rows", 2, 2, 1, 3, 0, false},
      {"floor on the map edge", 20, 10, 1, 1, 0, true},
      {"rectangle reaching off the map", 20, 10, 2, 1, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(is_free_floor(c.x, c.y, c.width, c.height, c.mode, 0, 0), c.expected);
  }
}

// ---- Area furniture -----------------------------------------------------------

TEST_F(FurnitureTest, FindAndRemoveAreaFurnitureScanXOuterYInner) {
  add_to_areas(1, 3, 6, 1, 2, 2, 4, 4, area_kind::room, 9, 0, 0);
  for (int x = 2; x <= 4; ++x)
    for (int y = 2; y <= 4; ++y) map_cells(x, y).area_index = 1;
  put(2, 4, 12);
  put(3, 2, 26);
  put(3, 3, 12);
  put(4, 2, 12);
  map_cells(4, 2).area_index = 2;  // inside the rectangle, but another area's
  map_cells(3, 3).hidden_being = 5;
  struct Case {
    int n;
    std::vector<int> list;
    Point expected;
  } cases[] = {
      {1, {}, {2, 4}}, {0, {}, {2, 4}},   {2, {}, {3, 2}},    {3, {}, {3, 3}},
      {4, {}, {0, 0}}, {2, {12}, {3, 3}}, {1, {26, 8}, {3, 2}}, {1, {8}, {0, 0}},
  };
  for (const Case& c : cases) EXPECT_EQ(find_area_furniture(1, c.n, c.list), c.expected) << c.n;
  EXPECT_EQ(find_area_furniture(7, 1, {}), (Point{0, 0}));

  remove_area_furniture(1, {12});
  EXPECT_EQ(map_text(2, 2, 4, 4), " **\n   \n   \n");
  EXPECT_EQ(map_cells(3, 3).hidden_being, 0);
}

}  // namespace
