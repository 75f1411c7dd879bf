// The map grid: writing blocks into cells, the cell tests, the off-map
// report, neighbourhood helpers and the ring list.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "GAME_Dungeon.h"
#include "GAME_Global.h"
#include "GAME_Map.h"
#include "map_text.h"

namespace {

class MapTest : public ::testing::Test {
 protected:
  void SetUp() override { reset_test_map(20); }
};

// ---- set_block ----------------------------------------------------------

struct BlockWrite {
  int block, kind, index;
  bool impenetrable;
};
struct SetBlockCase {
  const char* name;
  std::vector<BlockWrite> writes;  // applied in order to cell (5, 5)
  int block, kind, index;
  int impenetrable, dug, claimed;
};

TEST_F(MapTest, SetBlockKeepsColourOfClaimedCellsAndTracksLayersAndClaims) {
  const SetBlockCase cases[] = {
      {"wall over unclaimed floor", {{53, 0, 0, false}, {5, 2, 7, false}}, 5, 2, 7, 0, 1, 1},
      {"claimed floor keeps its colour", {{53, 2, 7, false}, {60, 4, 9, false}}, 53, 4, 9, 0, 1, 1},
      {"claimed wall keeps its colour", {{5, 2, 7, false}, {9, 3, 8, false}}, 5, 3, 8, 0, 0, 1},
      {"other base overwrites", {{53, 2, 7, false}, {5, 2, 7, false}}, 5, 2, 7, 0, 1, 1},
      {"block 0 always overwrites", {{5, 2, 7, false}, {0, 0, 0, false}}, 0, 0, 0, 0, 0, 1},
      {"impenetrable wall", {{5, 2, 7, true}}, 5, 2, 7, 1, 0, 1},
      {"impenetrable flag ignored for floor", {{53, 2, 7, true}}, 53, 2, 7, 0, 1, 1},
      {"floor clears impenetrable", {{5, 2, 7, true}, {53, 0, 0, false}}, 53, 0, 0, 0, 1, 1},
      {"kept wall still set impenetrable", {{5, 2, 7, false}, {9, 2, 7, true}}, 5, 2, 7, 1, 0, 1},
      {"claimed twice counts once", {{5, 2, 7, false}, {5, 2, 8, false}}, 5, 2, 8, 0, 0, 1},
      {"index 0 claims nothing", {{5, 2, 0, false}}, 5, 2, 0, 0, 0, 0},
      {"released and claimed again", {{5, 2, 7, false}, {5, 0, 0, false}, {5, 2, 7, false}},
       5, 2, 7, 0, 0, 2},
  };
  for (const SetBlockCase& c : cases) {
    SCOPED_TRACE(c.name);
    reset_test_map(20);
    for (const BlockWrite& w : c.writes) set_block(5, 5, w.block, w.kind, w.index, w.impenetrable, 0);
    const MapCell& cell = map_cells(5, 5);
    EXPECT_EQ(cell.block, c.block);
    EXPECT_EQ(cell.area_kind, c.kind);
    EXPECT_EQ(cell.area_index, c.index);
    EXPECT_EQ(impenetrable_layer(5, 5), c.impenetrable);
    EXPECT_EQ(dug_layer(5, 5), c.dug);
    EXPECT_EQ(dungeon.claimed_cell_count, c.claimed);
  }
}

TEST_F(MapTest, DugLayerRemembersFloorAfterTheCellBecomesWall) {
  set_block(3, 3, 53, 2, 1, false, 0);
  set_block(3, 3, 5, 0, 0, false, 0);
  EXPECT_EQ(map_cells(3, 3).block, 5);
  EXPECT_EQ(dug_layer(3, 3), 1);
}

TEST_F(MapTest, SetBlockValuesBeyondAByteAreRangeErrorsAndChangeNothing) {
  EXPECT_THROW(set_block(5, 5, 300, 2, 1, false, 0), RangeError);
  EXPECT_THROW(set_block(5, 5, 53, 2, 256, false, 0), RangeError);
  EXPECT_THROW(set_block(5, 5, 53, -1, 1, false, 0), RangeError);
  EXPECT_EQ(map_cells(5, 5).block, 0);
  EXPECT_EQ(dungeon.claimed_cell_count, 0);
}

TEST_F(MapTest, SetBlockOffTheMapChangesNothing) {
  set_block(21, 5, 53, 2, 1, true, 0);
  set_block(0, 0, 53, 2, 1, true, 0);
  EXPECT_EQ(map_cells(21, 5).block, 0);
  EXPECT_EQ(dungeon.claimed_cell_count, 0);
}

TEST_F(MapTest, PlaceAreaCommitsOnlyStencilCellsInsideTheRectangle) {
  paint_map_text(1, 1, R"(
#####
#####
#####)");
  for (int x = 1; x <= 5; ++x) stencil_layer(x, 2) = 60;
  stencil_layer(2, 1) = 7;
  place_area(2, 1, 4, 2, area_kind::room, 3, false, 0);
  EXPECT_EQ(map_text(1, 1, 5, 3), "#####\n#...#\n#####\n");
  EXPECT_EQ(area_text(1, 1, 5, 3), "-3---\n-333-\n-----\n");
  EXPECT_EQ(map_cells(2, 1).block, 7);
  EXPECT_EQ(dungeon.claimed_cell_count, 4);
}

TEST_F(MapTest, ClearMapEmptiesOnlyTheActiveSquare) {
  map_cells(20, 20).block = 53;
  map_cells(21, 21).block = 53;
  clear_map();
  EXPECT_EQ(map_cells(20, 20).block, 0);
  EXPECT_EQ(map_cells(21, 21).block, 53);
}

TEST_F(MapTest, FillMapRectUsesTheBorderTemplateOnTheOutermostCells) {
  MapCell border{};
  border.block = 5;
  MapCell inner{};
  inner.block = 53;
  fill_map_rect(18, 1, 22, 4, border, inner);  // runs off the east edge
  EXPECT_EQ(map_text(17, 1, 21, 5),
            " ###~\n"
            " #..~\n"
            " #..~\n"
            " ###~\n"
            "    ~\n");
}

// ---- Cell tests -----------------------------------------------------------

TEST_F(MapTest, CellTestsOfEmptyWallFloorAndOffMapCells) {
  map_cells(2, 2).block = 5;
  map_cells(3, 2).block = 51;
  map_cells(4, 2).block = 100;
  struct Case {
    int x, y;
    int base;
    bool wall, floor;
  } cases[] = {
      {1, 1, 1, true, false},    // never written: reads as wall
      {2, 2, 1, true, false},    // wall block
      {3, 2, 2, false, true},    // first floor block
      {4, 2, 2, false, true},    // last floor block
      {0, 5, 0, false, false},   // off the map
      {21, 5, 0, false, false},  // beyond map_size, still inside storage
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "(" << c.x << "," << c.y << ")");
    EXPECT_EQ(get_block_base(c.x, c.y, 0, 0), c.base);
    EXPECT_EQ(is_wall(c.x, c.y, 0), c.wall);
    EXPECT_EQ(is_floor(c.x, c.y, 0), c.floor);
  }
}

TEST_F(MapTest, GetBlockBaseOfAGivenBlockIgnoresTheCoordinates) {
  EXPECT_EQ(get_block_base(-5, 500, 50, 0), 1);
  EXPECT_EQ(get_block_base(-5, 500, 51, 0), 2);
  map_cells(1, 1).block = 53;
  EXPECT_EQ(get_block_base(1, 1, 5, 0), 1);
  EXPECT_EQ(get_block_base(1, 1, 101, 0), 2);  // outside 1..100: the cell decides
}

TEST_F(MapTest, InnerMapLeavesOutTheOutermostRing) {
  EXPECT_TRUE(on_inner_map(2, 2));
  EXPECT_TRUE(on_inner_map(19, 19));
  EXPECT_FALSE(on_inner_map(1, 10));
  EXPECT_FALSE(on_inner_map(10, 20));
}

// The off-map report writes the error log into a scratch program folder and
// captures the message box.
class OffMapReportTest : public MapTest {
 protected:
  void SetUp() override {
    MapTest::SetUp();
    folder_ = std::filesystem::temp_directory_path() /
              ("map_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
    saved_folder_ = program_folder;
    program_folder = folder_.string() + "/";
    error_log.clear();
    shutting_down = false;
    error_flag = false;
    set_message_box_handler([this](const std::string& text) { boxes_.push_back(text); });
  }
  void TearDown() override {
    set_message_box_handler(nullptr);
    program_folder = saved_folder_;
    shutting_down = false;
    error_flag = false;
    error_log.clear();
    std::filesystem::remove_all(folder_);
  }
  bool log_mentions(const std::string& text) const {
    for (const std::string& line : error_log)
      if (line.find(text) != std::string::npos) return true;
    return false;
  }
  std::filesystem::path folder_;
  std::string saved_folder_;
  std::vector<std::string> boxes_;
};

TEST_F(OffMapReportTest, DepthZeroFailsSilently) {
  EXPECT_FALSE(on_map(0, 5, 0));
  EXPECT_FALSE(is_floor(0, 5, 0));
  EXPECT_FALSE(error_flag);
  EXPECT_FALSE(shutting_down);
  EXPECT_TRUE(error_log.empty());
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(OffMapReportTest, TracedMissIsAFatalReportWithZeroPaddedCoordinates) {
  EXPECT_TRUE(on_map(20, 20, 3));
  EXPECT_TRUE(error_log.empty());

  EXPECT_FALSE(on_map(0, 5, 3));
  EXPECT_TRUE(shutting_down);
  EXPECT_TRUE(log_mentions("Coordinates (000,005) are outside of the map!"));
  EXPECT_TRUE(log_mentions("GAME_Map, on_map"));
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_NE(boxes_[0].find("Coordinates (000,005) are outside of the map!"), std::string::npos);
  EXPECT_NE(boxes_[0].find("Shutting down!"), std::string::npos);
  // error_flag was set before the report: the report's crash save answers it (and clears it).
  EXPECT_NE(boxes_[0].find("Trying to save the game and create a crash report."), std::string::npos);
  EXPECT_EQ(engine_state.trace_stack[4], trace_id::on_map);
}

TEST_F(OffMapReportTest, CellRoutinesReportOffMapCoordinatesWhenTraced) {
  EXPECT_FALSE(is_floor(21, 1, 1));
  EXPECT_TRUE(log_mentions("Coordinates (021,001) are outside of the map!"));
  EXPECT_TRUE(log_mentions("GAME_Map, is_floor"));
}

// ---- Neighbourhoods -------------------------------------------------------

TEST_F(MapTest, DominantFloorBlockBreaksTiesByNeighbourOrder) {
  struct Case {
    const char* name;
    int north, east, south;
    int expected;
  } cases[] = {
      {"two beat one", 53, 60, 60, 60},
      {"tie goes to the first in order", 53, 60, 0, 53},
      {"walls do not count", 5, 0, 0, 0},
      {"no floor around", 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reset_test_map(20);
    map_cells(5, 4).block = narrow<uint8_t>(c.north);
    map_cells(6, 5).block = narrow<uint8_t>(c.east);
    map_cells(5, 6).block = narrow<uint8_t>(c.south);
    EXPECT_EQ(dominant_floor_block(5, 5), c.expected);
  }
}

TEST_F(MapTest, DominantFloorBlockOnTheMapEdgeSkipsCellsOffTheMap) {
  map_size = 128;
  map_cells(127, 128).block = 70;
  EXPECT_EQ(dominant_floor_block(128, 128), 70);
}

TEST_F(MapTest, CountNeighboursFilters) {
  // Around (2, 2): N floor of area 1 (room), NE wall, E floor of area 2
  // (cave), SE..NW empty except W, a wall of area 1.
  paint_map_text(1, 1, R"(
 .#
# .
   )");
  paint_area_text(1, 1, R"(
 1
1 2)", area_kind::room);
  map_cells(3, 2).area_kind = area_kind::cave;
  struct Case {
    const char* name;
    int x, y, neighbourhood, base;
    std::vector<int> kinds, indexes;
    int expected;
  } cases[] = {
      {"orthogonal, no filter", 2, 2, 4, 0, {}, {}, 4},
      {"eight, walls (empty counts as wall)", 2, 2, 8, 1, {}, {}, 6},
      {"eight, floors", 2, 2, 8, 2, {}, {}, 2},
      {"first three, floors", 2, 2, 3, 2, {}, {}, 2},
      {"first two, floors", 2, 2, 2, 2, {}, {}, 1},
      {"floors of rooms", 2, 2, 8, 2, {area_kind::room}, {}, 1},
      {"floors of area 2", 2, 2, 8, 2, {}, {2}, 1},
      {"floors of rooms in area 2", 2, 2, 8, 2, {area_kind::room}, {2}, 0},
      {"kind list ignored without base filter", 2, 2, 4, 0, {area_kind::vault}, {}, 4},
      {"corner skips cells off the map", 1, 1, 8, 0, {}, {}, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(count_neighbours(c.x, c.y, c.neighbourhood, c.base, c.kinds, c.indexes), c.expected);
  }
}

TEST_F(MapTest, AdjacentAreaFloorFindsTheFirstFloorOfTheSameArea) {
  paint_map_text(4, 4, R"(
 .
.#.
 .)", {.floor = 60});
  paint_area_text(4, 4, R"(
 2
1-2
 3)", area_kind::room);
  map_cells(6, 5).block = 70;
  map_cells(5, 5).area_index = 2;
  EXPECT_EQ(adjacent_area_floor_block(5, 5), 60);  // north comes before east
  map_cells(5, 4).area_index = 1;
  EXPECT_EQ(adjacent_area_floor_block(5, 5), 70);
  EXPECT_EQ(adjacent_area_floor(5, 5, 1, 0), (Point{5, 4}));
  EXPECT_EQ(adjacent_area_floor(5, 5, 3, 0), (Point{5, 6}));
  EXPECT_EQ(adjacent_area_floor(5, 5, 4, 0), (Point{0, 0}));
  EXPECT_EQ(adjacent_area_floor_block(0, 5), 0);
}

TEST_F(MapTest, FreeRunLengthStopsAtDugCellsAndTheMapEdge) {
  dug_layer(5, 7) = 1;
  EXPECT_EQ(free_run_length(5, 3, 3), 4);   // 5,4 5,5 5,6 free, 5,7 dug
  EXPECT_EQ(free_run_length(5, 3, 1), 3);   // 5,2 5,1, then the edge
  EXPECT_EQ(free_run_length(20, 3, 2), 1);  // already on the east edge
}

TEST_F(MapTest, CellDistanceIsTheFlooredEuclideanDistance) {
  EXPECT_EQ(cell_distance(1, 1, 4, 5), 5);
  EXPECT_EQ(cell_distance(1, 1, 2, 2), 1);
  EXPECT_EQ(cell_distance(10, 10, 3, 10), 7);
  EXPECT_EQ(cell_distance(1, 1, 128, 128), 179);
}

// ---- Ring list --------------------------------------------------------------

// The ring list as a picture: each cell shows its entry position in base 36,
// '.' for cells not in the list.
std::string ring_picture(int x1, int y1, int x2, int y2) {
  const char* digits = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string text;
  for (int y = y1; y <= y2; ++y) {
    for (int x = x1; x <= x2; ++x) {
      char c = '.';
      for (int i = 0; i < ring_list_length; ++i)
        if (ring_list[i].x == x && ring_list[i].y == y) c = digits[i];
      text += c;
    }
    text += '\n';
  }
  return text;
}

TEST_F(MapTest, RingListRunsClockwiseFromTheTopLeftCornerOfEachRing) {
  build_ring_list(10, 10, 2);
  EXPECT_EQ(ring_list_length, 25);
  EXPECT_EQ(ring_picture(8, 8, 12, 12),
            "9abcd\n"
            "o123e\n"
            "n804f\n"
            "m765g\n"
            "lkjih\n");
  EXPECT_EQ(ring_list[25].x, 0);
  EXPECT_EQ(ring_list[25].y, 0);
}

TEST_F(MapTest, RingListSkipsCellsOffTheMap) {
  build_ring_list(1, 1, 1);
  ASSERT_EQ(ring_list_length, 4);
  const std::vector<std::pair<int, int>> expected = {{1, 1}, {2, 1}, {2, 2}, {1, 2}, {0, 0}};
  for (int i = 0; i <= 4; ++i) {
    EXPECT_EQ(ring_list[i].x, expected[static_cast<size_t>(i)].first) << i;
    EXPECT_EQ(ring_list[i].y, expected[static_cast<size_t>(i)].second) << i;
  }
}

TEST_F(MapTest, RingListOverTheWholeMapFitsWithItsTerminator) {
  map_size = 128;
  build_ring_list(64, 64, 128);
  EXPECT_EQ(ring_list_length, 128 * 128);
  EXPECT_EQ(ring_list[128 * 128].x, 0);
}

// ---- Tables -----------------------------------------------------------------

TEST(MapTables, BlockAndFurnitureNamesSitAtTheirIds) {
  const std::pair<int, const char*> blocks[] = {
      {0, "-"},   {1, "bl_wall_stone_blue"},  {9, "bl_wall_stone_turquoise"},
      {10, "bl_wall_block_blue"}, {34, "bl_wall_wood"}, {46, "bl_wall_tile_turquoise"},
      {47, "-"}, {50, "-"}, {51, "bl_floor_natural_blue"}, {52, "bl_floor_natural_blue_light"},
      {64, "bl_floor_natural_turquoise_light"}, {65, "bl_floor_block_blue"},
      {79, "bl_floor_plate_blue"}, {94, "bl_floor_plate_turquoise_light"},
      {95, "bl_floor_wood"}, {96, "bl_floor_wood_light"}, {97, "-"}, {100, "-"}};
  for (const auto& [id, name] : blocks) {
    EXPECT_STREQ(block_names[id], name) << id;
    if (std::string(name) != "-") {
      EXPECT_EQ(block_by_name(name), id);
    }
  }
  EXPECT_EQ(block_by_name("-"), 0);
  EXPECT_EQ(block_by_name("bl_nothing"), 0);

  const std::pair<int, const char*> furniture[] = {
      {1, "fu_stairs_down"}, {11, "fu_door_secret"}, {31, "fu_crystal_ball"},
      {36, "fu_statue_clonomancer"}, {64, "fu_block_green"}, {65, "fu_egg"}};
  for (const auto& [id, name] : furniture) {
    EXPECT_STREQ(furniture_ids[id], name) << id;
    EXPECT_EQ(furniture_by_name(name), id);
  }
  EXPECT_EQ(furniture_by_name("fu_nothing"), -1);
  EXPECT_STREQ(furniture_display_names[13], "chest");
  EXPECT_STREQ(furniture_display_names[56], "empty basin");
  EXPECT_STREQ(furniture_display_names[65], "egg");
}

TEST(MapTables, DirectionsAndTheirSides) {
  const int opposite[] = {0, 3, 4, 1, 2};
  for (int d = 1; d <= 4; ++d) {
    EXPECT_EQ(opposite_direction(d), opposite[d]);
    // Both sides of a direction are perpendicular to it and opposite each other.
    const Step s1 = side_step[d][1], s2 = side_step[d][2];
    EXPECT_EQ(s1.dx * direction_step[d].dx + s1.dy * direction_step[d].dy, 0);
    EXPECT_EQ(s1.dx, -s2.dx);
    EXPECT_EQ(s1.dy, -s2.dy);
  }
  // Each first side is the direction turned anticlockwise (north: west first).
  EXPECT_EQ(side_step[1][1].dx, -1);
  EXPECT_EQ(side_step[2][1].dy, -1);
  EXPECT_EQ(side_step[3][1].dx, 1);
  EXPECT_EQ(side_step[4][1].dy, 1);
  EXPECT_THROW(opposite_direction(5), RangeError);
  EXPECT_THROW(direction_step[0], RangeError);
}

}  // namespace
