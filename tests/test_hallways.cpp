// Template hallways and dead ends: how their exits are recognised in all
// four directions, how they are dug on to another area's floor (narrow and
// wide) and when that is refused, the refitted area box, and the
// finalization pass that continues them.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "GAME_Dungeon.h"
#include "GAME_Level.h"
#include "GAME_Map.h"
#include "level_fixture.h"
#include "map_text.h"

namespace {

constexpr int map_side = 40;
constexpr int template_area = 2, room_area = 3;
constexpr MapTextPaint template_paint{14, 87, area_kind::special, template_area};
constexpr MapTextPaint room_paint{14, 71, area_kind::room, room_area};

void start() {
  LevelRecord level = default_level_record();
  level.level_map_size = map_side;
  level.dungeon.secret_door_chance = 0;
  level.dungeon.template_widen_chance = 0;
  level.dungeon.doorway_door_chance = 0;
  install_level(level);
  reset_dungeon_state();
  dungeon.area_counter = 4;
}

void register_area(int number, int kind, int x1, int y1, int x2, int y2) {
  add_to_areas(number, x1, y1, 1, x1, y1, x2, y2, kind, (x2 - x1 + 1) * (y2 - y1 + 1), 0, 0);
}

// A room (area 3) whose floor ends at row 14, and north of it, six rows
// apart, the end of a template's three-wide hallway (area 2) at (20, 20).
constexpr const char* room_picture = R"(
###########
#.........#
#.........#
#.........#
#.........#
###########)";
constexpr const char* hallway_picture = R"(
#####
#...#
#...#)";
constexpr const char* dead_end_picture = R"(
###
#.#
#.#)";

void paint_hallway_and_room(const char* end_picture, int end_left) {
  start();
  paint_map_text(15, 10, room_picture, room_paint);
  paint_map_text(end_left, 20, end_picture, template_paint);
  register_area(template_area, area_kind::special, 18, 20, 22, 22);
  register_area(room_area, area_kind::room, 15, 10, 25, 15);
}

// The room's floor counts as the template's own.
void room_belongs_to_template() {
  for (int x = 16; x <= 24; ++x)
    for (int y = 11; y <= 14; ++y) map_cells(x, y).area_index = template_area;
}

std::string scene() { return map_text(15, 10, 25, 22); }

const std::string untouched_narrow_scene =
    "###########\n"
    "#.........#\n"
    "#.........#\n"
    "#.........#\n"
    "#.........#\n"
    "###########\n"
    "           \n"
    "           \n"
    "           \n"
    "           \n"
    "   #####   \n"
    "   #...#   \n"
    "   #...#   \n";

}  // namespace

// Pictures of each exit shape facing each direction, with the exit cell
// marked by its position in the picture.
TEST(HallwayEnds, AreRecognisedFacingEveryDirection) {
  struct Case {
    const char* what;
    const char* picture;
    int ex, ey, dir;
    bool hallway, dead_end;
  };
  const Case cases[] = {
      {"hallway north", "#####\n#...#\n ... \n", 2, 0, 1, true, false},
      {"hallway east", " ## \n..# \n..# \n..# \n ## \n", 2, 2, 2, true, false},
      {"hallway south", " ... \n#...#\n#####\n", 2, 2, 3, true, false},
      {"hallway west", "## \n#..\n#..\n#..\n## \n", 0, 2, 4, true, false},
      {"dead end north", "###\n#.#\n . \n", 1, 0, 1, false, true},
      {"dead end east", " ##\n..#\n ##\n", 2, 1, 2, false, true},
      {"dead end south", " . \n#.#\n###\n", 1, 2, 3, false, true},
      {"dead end west", "## \n#..\n## \n", 0, 1, 4, false, true},
      {"hallway north asked as east", "#####\n#...#\n ... \n", 2, 0, 2, false, false},
      {"hallway without its last row", "#####\n#...#\n     \n", 2, 0, 1, false, false},
      {"dead end with a wider end", "###\n...\n . \n", 1, 0, 1, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    start();
    paint_map_text(10, 10, c.picture, template_paint);
    EXPECT_EQ(is_hallway_end(10 + c.ex, 10 + c.ey, c.dir), c.hallway);
    EXPECT_EQ(is_vault_dead_end(10 + c.ex, 10 + c.ey, c.dir), c.dead_end);
  }
}

TEST(HallwayEnds, NeedUnfurnishedWallsAndCellsOfAreas) {
  struct Case {
    const char* what;
    int x, y;  // the cell changed, in a north hallway whose exit is (12, 10)
    bool furnish;
  };
  const Case cases[] = {
      {"torch on the outer wall", 10, 11, true},
      {"torch on the exit", 12, 10, true},
      {"floor of no area", 12, 12, false},
      {"wall of no area", 14, 10, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    start();
    paint_map_text(10, 10, "#####\n#...#\n ... \n", template_paint);
    ASSERT_TRUE(is_hallway_end(12, 10, 1));
    if (c.furnish)
      map_cells(c.x, c.y).furniture = 4;
    else
      map_cells(c.x, c.y).area_index = 0;
    EXPECT_FALSE(is_hallway_end(12, 10, 1));
  }
}

TEST(ContinueHallway, NarrowDigTakesTheHallwayBlocksUpToTheFloorBeyond) {
  paint_hallway_and_room(hallway_picture, 18);
  ASSERT_EQ(scene(), untouched_narrow_scene);
  ASSERT_TRUE(continue_hallway(20, 20, 1, false, 0));
  EXPECT_EQ(scene(),
            "###########\n"
            "#.........#\n"
            "#.........#\n"
            "#.........#\n"
            "#.........#\n"
            "#####.#####\n"
            "    #.#    \n"
            "    #.#    \n"
            "    #.#    \n"
            "    #.#    \n"
            "   ##.##   \n"
            "   #...#   \n"
            "   #...#   \n");
  for (int y = 15; y <= 20; ++y) {
    EXPECT_EQ(map_cells(20, y).area_index, template_area);
    EXPECT_EQ(map_cells(20, y).block, 87) << "the floor behind the end";
    EXPECT_EQ(map_cells(19, y).area_index, template_area);
  }
  EXPECT_EQ(map_cells(19, 17).block, 14) << "the end's wall block";
  const AreaRecord& area = areas[template_area];
  EXPECT_EQ((std::array{area.x1, area.y1, area.x2, area.y2}), (std::array{18, 15, 22, 22}));
  EXPECT_EQ(area.cell_count, 5 * 8);
}

TEST(ContinueHallway, WideDigOpensTheWholeHallway) {
  paint_hallway_and_room(hallway_picture, 18);
  ASSERT_TRUE(continue_hallway(20, 20, 1, true, 0));
  EXPECT_EQ(scene(),
            "###########\n"
            "#.........#\n"
            "#.........#\n"
            "#.........#\n"
            "#.........#\n"
            "####...####\n"
            "   #...#   \n"
            "   #...#   \n"
            "   #...#   \n"
            "   #...#   \n"
            "   #...#   \n"
            "   #...#   \n"
            "   #...#   \n");
  EXPECT_EQ(map_cells(18, 17).area_index, template_area);
  EXPECT_EQ(map_cells(18, 15).area_index, room_area) << "walls of other areas keep their owner";
}

// Each refusal leaves the map as it was.
TEST(ContinueHallway, RefusesUnsuitableWaysAndTargets) {
  struct Case {
    const char* what;
    void (*change)();
    bool wide;
  };
  const Case cases[] = {
      {"target is the template itself", room_belongs_to_template, false},
      {"sealed target", [] { areas[room_area].template_flag = 1; }, false},
      {"target of 25 cells", [] { areas[room_area].cell_count = 25; }, false},
      {"furniture in the way", [] { map_cells(20, 17).furniture = 4; }, false},
      {"floor beside the way", [] { paint_map_text(21, 17, ".", {14, 71, area_kind::room, room_area}); }, false},
      {"impenetrable wall in the way", [] { impenetrable_layer(20, 15) = 1; }, false},
      {"furniture on the target", [] { map_cells(20, 14).furniture = 26; }, false},
      {"wide into a narrow target", [] { paint_map_text(19, 14, "#", room_paint); }, true},
      {"wide along a floor", [] { paint_map_text(18, 17, ".", {14, 71, area_kind::room, room_area}); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    paint_hallway_and_room(hallway_picture, 18);
    c.change();
    const std::string before = scene();
    EXPECT_FALSE(continue_hallway(20, 20, 1, c.wide, 0));
    EXPECT_EQ(scene(), before);
  }
}

TEST(ContinueHallway, RefusesTargetsMoreThanFifteenCellsAway) {
  for (const int gap : {15, 16}) {
    SCOPED_TRACE(testing::Message() << "room floor " << gap << " cells ahead");
    start();
    paint_map_text(15, 1, room_picture, room_paint);  // floor ends at row 5
    register_area(room_area, area_kind::room, 15, 1, 25, 6);
    const int end_y = 5 + gap;
    paint_map_text(18, end_y, hallway_picture, template_paint);
    register_area(template_area, area_kind::special, 18, end_y, 22, end_y + 2);
    EXPECT_EQ(continue_hallway(20, end_y, 1, false, 0), gap <= 15);
  }
}

TEST(ContinueHallway, NarrowDigKeepsClearOfCorridorsAlongside) {
  for (const int corridor_dir : {1, 2}) {
    SCOPED_TRACE(testing::Message() << "corridor direction " << corridor_dir);
    paint_hallway_and_room(hallway_picture, 18);
    // A corridor cell inside the room's floor, five cells beyond the cell
    // next to the one ahead of the end.
    add_to_areas(4, 21, 14, corridor_dir, 21, 14, 21, 14, area_kind::corridor, 1, 0, 0);
    map_cells(21, 14).area_kind = area_kind::corridor;
    map_cells(21, 14).area_index = 4;
    EXPECT_EQ(continue_hallway(20, 20, 1, false, 0), corridor_dir != 1);
  }
}

TEST(ContinueHallway, JoinsConnectedAreasOnlyOnceInFourTries) {
  int carved = 0;
  for (uint32_t seed = 1; seed <= 80; ++seed) {
    paint_hallway_and_room(hallway_picture, 18);
    link_areas(template_area, room_area);
    link_areas(room_area, template_area);
    rand_seed = seed;
    if (continue_hallway(20, 20, 1, false, 0)) ++carved;
  }
  EXPECT_GT(carved, 8);
  EXPECT_LT(carved, 35);
}

TEST(ContinueVaultDeadend, JoinsSealedAndConnectedAreasButNotItself) {
  struct Case {
    const char* what;
    void (*change)();
    bool carved;
  };
  const Case cases[] = {
      {"plain", [] {}, true},
      {"sealed target", [] { areas[room_area].template_flag = 1; }, true},
      {"connected target",
       [] {
         link_areas(template_area, room_area);
         link_areas(room_area, template_area);
       },
       true},
      {"target of 25 cells", [] { areas[room_area].cell_count = 25; }, false},
      {"target is the template itself", room_belongs_to_template, false},
      {"target floor of no area", [] { map_cells(20, 14).area_index = 0; }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (uint32_t seed = 1; seed <= 8; ++seed) {
      paint_hallway_and_room(dead_end_picture, 19);
      c.change();
      rand_seed = seed;
      const uint32_t before = rand_seed;
      EXPECT_EQ(continue_vault_deadend(20, 20, 1, 0), c.carved);
      EXPECT_EQ(rand_seed, before) << "no random draws";
    }
  }
  paint_hallway_and_room(dead_end_picture, 19);
  ASSERT_TRUE(continue_vault_deadend(20, 20, 1, 0));
  EXPECT_EQ(map_text(18, 14, 22, 22),
            ".....\n"
            "##.##\n"
            " #.# \n"
            " #.# \n"
            " #.# \n"
            " #.# \n"
            " #.# \n"
            " #.# \n"
            " #.# \n");
}

TEST(TerminateHallways, ContinuesHallwayEndsAndVaultEndsOnlyWhenAsked) {
  struct Case {
    const char* what;
    const char* picture;
    int left, layer;
    bool include_vault_ends, carved;
  };
  const Case cases[] = {
      {"hallway end", hallway_picture, 18, 1, false, true},
      {"vault end, not asked", dead_end_picture, 19, 5, false, false},
      {"vault end, asked", dead_end_picture, 19, 5, true, true},
      {"hallway end, asked too", hallway_picture, 18, 1, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    paint_hallway_and_room(c.picture, c.left);
    hallway_end_layer(20, 20) = narrow<uint8_t>(c.layer);
    terminate_hallways(c.include_vault_ends, 0);
    EXPECT_EQ(is_floor(20, 17, 0), c.carved);
    EXPECT_EQ(hallway_end_layer(20, 20), c.carved ? 0 : c.layer);
    EXPECT_EQ(dungeon.marks_closed, 0);
    EXPECT_EQ(mark_count(), 0);
  }
}

TEST(TerminateHallways, EndFacingFloorBecomesADoorwayAndKeepsItsEntry) {
  start();
  paint_map_text(15, 17, "###########\n#.........#\n###########\n", room_paint);
  paint_map_text(18, 19, "#####\n#...#\n#...#\n", template_paint);
  register_area(template_area, area_kind::special, 18, 19, 22, 21);
  register_area(room_area, area_kind::room, 15, 17, 25, 19);
  hallway_end_layer(20, 19) = 1;
  terminate_hallways(false, 0);
  EXPECT_TRUE(is_floor(20, 19, 0));
  EXPECT_EQ(hallway_end_layer(20, 19), 1);
}

TEST(TerminateHallways, SkipsEndsWithoutWallsBesideThem) {
  paint_hallway_and_room(hallway_picture, 18);
  paint_map_text(19, 20, ".", template_paint);
  hallway_end_layer(20, 20) = 1;
  const std::string before = scene();
  terminate_hallways(true, 0);
  EXPECT_EQ(scene(), before);
  EXPECT_EQ(hallway_end_layer(20, 20), 1);
}

// With the way straight ahead refused (a table on the target floor), the
// hallway is continued narrow from the cell beside the end on its first
// sideways side, for a north end the west one.
TEST(TerminateHallways, FallsBackOnANarrowDigBesideTheEnd) {
  paint_hallway_and_room(hallway_picture, 18);
  map_cells(20, 14).furniture = 26;
  hallway_end_layer(20, 20) = 1;
  terminate_hallways(false, 0);
  EXPECT_EQ(scene(),
            "###########\n"
            "#.........#\n"
            "#.........#\n"
            "#.........#\n"
            "#....*....#\n"
            "####.######\n"
            "   #.#     \n"
            "   #.#     \n"
            "   #.#     \n"
            "   #.#     \n"
            "   #.###   \n"
            "   #...#   \n"
            "   #...#   \n");
  EXPECT_EQ(hallway_end_layer(20, 20), 0);
}
