// Doorways between areas, turning marks into doorways, and the connection
// passes, on small hand-made maps.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "GAME_Dice.h"
#include "GAME_Dungeon.h"
#include "GAME_Level.h"
#include "GAME_Map.h"
#include "level_fixture.h"
#include "map_text.h"

namespace {

// Number of random draws made since the generator stood at `start`.
int draws_since(uint32_t start) {
  uint32_t s = start;
  for (int n = 0; n <= 50; ++n) {
    if (s == rand_seed) return n;
    s = s * 134775813u + 1u;
  }
  return -1;
}

struct AreaSpec {
  int kind;
  int cell_count = 40;
  int template_index = 0;
  int parent = 0;
};

// A level whose doorway chances are all 0, a blank map of the given size
// with the picture and area numbers painted at (1, 1), and the areas
// registered with kind, size, template and parent.
void make_map(int size, const std::string& blocks, const std::string& numbers,
              const std::vector<AreaSpec>& specs) {
  LevelRecord level = default_level_record();
  level.level_map_size = narrow<uint8_t>(size);
  DungeonSettings& d = level.dungeon;
  d.template_widen_chance = d.special_widen_chance = d.secret_door_chance = 0;
  d.doorway_door_chance = d.door_to_secret_chance = 0;
  d.secret_door_difficulty = constant_dice(5);  // no draws
  install_level(level);
  reset_dungeon_state();
  dungeon.area_counter = static_cast<int>(specs.size()) + 1;
  paint_map_text(1, 1, blocks);
  paint_area_text(1, 1, numbers, 0);
  areas.resize_to(static_cast<int>(specs.size()));
  for (size_t i = 0; i < specs.size(); ++i) {
    AreaRecord& a = areas[static_cast<int>(i) + 1];
    a.kind = specs[i].kind;
    a.cell_count = specs[i].cell_count;
    a.template_index = specs[i].template_index;
    a.parent_area = specs[i].parent;
  }
  for (int x = 1; x <= map_size; ++x)
    for (int y = 1; y <= map_size; ++y)
      if (is_area(map_cells(x, y).area_index))
        map_cells(x, y).area_kind = narrow<uint8_t>(areas[map_cells(x, y).area_index].kind);
}

constexpr int corridor = area_kind::corridor, room = area_kind::room, tunnel = area_kind::tunnel,
              cave = area_kind::cave, special = area_kind::special, vault = area_kind::vault;

// Area 1 above the wall row y = 3, area 2 below; the doorway goes at (3, 3)
// with area 2 growing south from it.
const std::string wall_between = R"(
#####
#...#
#####
#...#
#####)";
const std::string wall_between_areas = R"(
11111
11111
11111
22222
22222)";

TEST(CreateDoorway, FirstAreaNeverGetsADoorway) {
  make_map(5, wall_between, wall_between_areas, {{room}, {room}});
  dungeon.area_counter = 1;
  dungeon.doorway_door_chance = 100;
  const uint32_t start = rand_seed;
  create_doorway(3, 3, 3, room, room, 2, 0);
  EXPECT_EQ(map_text(1, 3, 5, 3), "#####\n");
  EXPECT_EQ(draws_since(start), 0);
}

TEST(CreateDoorway, OutcomeAndDrawsFollowTheKindsAndChances) {
  struct Case {
    const char* name;
    int new_kind, from_kind;
    int secret, door, template_widen, special_widen, corridor_width;
    int template_index;  // of the new area: 1 plain vault template, 2 carries "cg_all"
    const char* row;
    int draws;
  };
  const Case cases[] = {
      {"room to room, door", room, room, 0, 100, 0, 0, 1, 0, "##+##\n", 2},
      {"room to room, no door", room, room, 0, 0, 0, 0, 1, 0, "##.##\n", 2},
      {"secret door", room, room, 100, 100, 0, 0, 1, 0, "##S##\n", 1},
      {"corridor from corridor", corridor, corridor, 0, 100, 0, 0, 1, 0, "##.##\n", 1},
      {"corridor from cave", corridor, cave, 0, 100, 0, 0, 1, 0, "##.##\n", 1},
      {"room from corridor", room, corridor, 0, 100, 0, 0, 1, 0, "##+##\n", 2},
      {"special from corridor", special, corridor, 0, 100, 0, 0, 1, 0, "##.##\n", 2},
      {"special to special", special, special, 0, 100, 0, 100, 1, 0, "#...#\n", 3},
      {"template widened", vault, room, 100, 100, 100, 0, 1, 1, "#...#\n", 1},
      {"cg_all template", vault, room, 0, 100, 100, 0, 1, 2, "##+##\n", 2},
      {"wide corridors", room, room, 100, 100, 0, 0, 2, 0, "#...#\n", 0},
      {"tunnel to cave", tunnel, cave, 100, 100, 0, 0, 1, 0, "##.##\n", 0},
      {"cave to cave, wide", cave, cave, 100, 100, 0, 0, 2, 0, "#...#\n", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    make_map(5, wall_between, wall_between_areas,
             {{c.from_kind}, {c.new_kind, 40, c.template_index}});
    install_templates({make_template("vault_plain"), make_template("vault_all", {tag::cg_all})});
    dungeon.secret_door_chance = narrow<uint8_t>(c.secret);
    dungeon.doorway_door_chance = narrow<uint8_t>(c.door);
    dungeon.template_widen_chance = narrow<uint8_t>(c.template_widen);
    dungeon.special_widen_chance = narrow<uint8_t>(c.special_widen);
    dungeon.corridor_width = narrow<uint8_t>(c.corridor_width);
    dead_end_layer(3, 3) = 3;
    const uint32_t start = rand_seed;
    create_doorway(3, 3, 3, c.new_kind, c.from_kind, 2, 0);
    EXPECT_EQ(map_text(1, 3, 5, 3), c.row);
    EXPECT_EQ(draws_since(start), c.draws);
    EXPECT_EQ(map_cells(3, 3).area_index, 2);
    EXPECT_EQ(map_cells(3, 3).area_kind, c.new_kind);
  }
}

TEST(CreateDoorway, NaturalDoorwayUsesTheNaturalFloor) {
  make_map(5, wall_between, wall_between_areas, {{cave}, {tunnel}});
  create_doorway(3, 3, 3, tunnel, cave, 2, 0);
  EXPECT_EQ(map_cells(3, 3).block, dungeon.natural_floor);
}

TEST(CreateDoorway, BuiltDoorwayUsesTheSurroundingFloorAndEndsTheDeadEnd) {
  make_map(5, wall_between, wall_between_areas, {{corridor}, {room}});
  dead_end_layer(3, 3) = 3;
  create_doorway(3, 3, 3, room, corridor, 2, 0);
  EXPECT_EQ(map_cells(3, 3).block, 51);
  EXPECT_EQ(dead_end_layer(3, 3), 0);
}

TEST(CreateDoorway, NoDoorwayUnlessBothSidesArePlainWalls) {
  struct Case {
    const char* name;
    const char* row;
  };
  for (const Case& c : {Case{"floor beside", "#.###"}, Case{"secret door beside", "#S###"}}) {
    SCOPED_TRACE(c.name);
    std::string blocks = wall_between;
    blocks.replace(1 + 2 * 6, 5, c.row);
    make_map(5, blocks, wall_between_areas, {{room}, {room}});
    dungeon.doorway_door_chance = 100;
    const uint32_t start = rand_seed;
    create_doorway(3, 3, 3, room, room, 2, 0);
    EXPECT_EQ(map_text(1, 3, 5, 3), std::string(c.row) + "\n");
    EXPECT_EQ(draws_since(start), 0);
  }
}

TEST(WidenDoorway, RoomsUnder37CellsAreNeverWidened) {
  struct Case {
    int doorway_room_cells, room_ahead_cells;
    bool widened;
  };
  for (const Case& c : {Case{36, 60, false}, Case{60, 36, false}, Case{37, 37, true}}) {
    SCOPED_TRACE(c.doorway_room_cells * 100 + c.room_ahead_cells);
    make_map(5, wall_between, wall_between_areas,
             {{room, c.doorway_room_cells}, {room, c.room_ahead_cells}});
    map_cells(3, 3).block = 51;
    EXPECT_EQ(widen_doorway(3, 3, 3, room, room, 1, true, 0), c.widened);
    EXPECT_EQ(map_text(1, 3, 5, 3), c.widened ? "#...#\n" : "##.##\n");
  }
}

TEST(WidenDoorway, UnforcedWideningNeedsATemplateSideWithWallsToSpare) {
  // The widening cells of a south-facing doorway at (3, 3) lie at x = 1 and
  // 5 on rows 4 and 5: here they are the border walls.
  struct Case {
    const char* name;
    int new_kind, from_kind;
    bool open_widening_cell;
    bool widened;
  };
  const Case cases[] = {
      {"no template side", room, room, false, false},
      {"new vault with walls to spare", vault, room, false, true},
      {"new vault, a widening cell open", vault, room, true, false},
      {"from a special, its cells are the other side", room, special, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string blocks = R"(
#####
#...#
#####
#...#
#...#
#####)";
    if (c.open_widening_cell) blocks[1 + 3 * 6] = '.';  // (1, 4)
    make_map(6, blocks, "\n111111\n111111\n111111\n222222\n222222\n222222",
             {{c.from_kind}, {c.new_kind}});
    map_cells(3, 3).block = 51;
    EXPECT_EQ(widen_doorway(3, 3, 3, c.new_kind, c.from_kind, 2, false, 0), c.widened);
  }
}

// Rooms 1 (north) and 2 (south) share the wall row y = 3. The mark sits at
// (3, 3) facing south; an opening may already join the rooms further east.
TEST(MarkToDoorway, RefusesWhenTheAreasAreAlreadyJoinedNearby) {
  struct Case {
    const char* name;
    int opening_distance;  // 0: none
    char opening;
    int corridor_width;
    int mark_from_kind;
    int lower_kind;
    char result;
  };
  const Case cases[] = {
      {"no opening", 0, '.', 1, room, room, '.'},
      {"open cell 3 along", 3, '.', 1, room, room, '#'},
      {"secret door 7 along", 7, 'S', 1, room, room, '#'},
      {"open cell 8 along", 8, '.', 1, room, room, '.'},
      {"wide corridors", 0, '.', 2, room, room, '#'},
      {"corridor into corridor", 0, '.', 1, corridor, corridor, '#'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string blocks = R"(
#############
#...........#
#############
#...........#
#############)";
    if (c.opening_distance > 0) blocks[1 + 2 * 14 + 2 + c.opening_distance] = c.opening;
    make_map(13, blocks, R"(
1111111111111
1111111111111
1111111111111
2222222222222
2222222222222)",
             {{c.mark_from_kind}, {c.lower_kind}});
    dungeon.corridor_width = narrow<uint8_t>(c.corridor_width);
    const Mark mark{3, 3, 3, c.mark_from_kind, 0, 0, 1};
    mark_to_doorway(mark, 0);
    EXPECT_EQ(map_text(3, 3, 3, 3), std::string(1, c.result) + "\n");
    if (c.result == '.') {
      EXPECT_EQ(dungeon.area_placed, 1);
      EXPECT_EQ(map_cells(3, 3).area_index, 1);
    }
  }
}

TEST(IsDoorwaySpot, WallThatEndsInOpenFloorIsNoSpotAndLosesItsDoor) {
  const std::string hall = R"(
##########
#........#
#........#
#.##.....#
#........#
#........#
##########)";
  struct Case {
    const char* name;
    std::string blocks;
    Point cell;
    bool spot;
    const char* row_after;  // row y of the cell, x = 1..10
  };
  std::string long_wall = R"(
##########
#........#
##########
#........#
##########)";
  std::string door_in_stub = hall;
  door_in_stub[1 + 3 * 11 + 2] = '+';
  // A door diagonal to the open floor beyond the stub's end: the doorway
  // cell is a floor too, so the wall still ends in open floor there.
  std::string door_past_stub = hall;
  door_past_stub[1 + 2 * 11 + 6] = '+';  // (7, 3)
  const Case cases[] = {
      {"straight wall between rooms", long_wall, {4, 3}, true, "##########\n"},
      {"stub of wall", hall, {3, 4}, false, "#.##.....#\n"},
      {"door in a stub of wall", door_in_stub, {3, 4}, false, "#.##.....#\n"},
      {"stub ending in floor beside a door", door_past_stub, {3, 4}, false, "#.##.....#\n"},
      {"too many walls around", long_wall, {1, 3}, false, "##########\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    make_map(10, c.blocks, std::string(80, ' '), {});
    EXPECT_EQ(is_doorway_spot(c.cell.x, c.cell.y), c.spot);
    EXPECT_EQ(map_text(1, c.cell.y, 10, c.cell.y), c.row_after);
  }
}

TEST(IsDoorwaySpot, CorridorAnchorAndItsChildsFrontAreNoSpots) {
  const std::string blocks = R"(
#######
#.....#
#######
#.....#
#######)";
  make_map(7, blocks, "\n1111111\n1111111\n1111111\n2222222\n2222222", {{corridor}, {room}});
  AreaRecord& c = areas[1];
  c.anchor_x = 4, c.anchor_y = 3, c.direction = 3;
  c.x1 = 2, c.y1 = 1, c.x2 = 6, c.y2 = 3;  // front cell (3, 3)
  EXPECT_FALSE(is_doorway_spot(4, 3));
  EXPECT_TRUE(is_doorway_spot(3, 3));
  areas[2].parent_area = 1;  // a room grown from the corridor's front
  map_cells(3, 3).area_index = 2;
  EXPECT_FALSE(is_doorway_spot(3, 3));
}

// Area 1's wall at (3, 5) looks east over rock to area 2's wall at x = 7.
TEST(ScanConnectionCorridor, FindsTheFloorBeyondAnotherAreasWall) {
  const std::string blocks = R"(
#########
#.#   #..
#.#   #..
#.#   #..
#.#   #..
#.#   #..
#.#   #..
#########)";
  const std::string numbers = R"(
111---222
111---222
111---222
111---222
111---222
111---222
111---222
111---222)";
  struct Case {
    const char* name;
    Point dug, door;
    int length;
  };
  const Case cases[] = {
      {"clear rock", {0, 0}, {0, 0}, 5},
      {"dug cell on the way", {5, 4}, {0, 0}, 0},
      {"door beside the landing", {0, 0}, {8, 6}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    make_map(9, blocks, numbers, {{room}, {room}});
    if (c.dug.x != 0) dug_layer(c.dug.x, c.dug.y) = 1;
    if (c.door.x != 0) map_cells(c.door.x, c.door.y).furniture = furniture::door;
    EXPECT_EQ(scan_connection_corridor(3, 5, 2, 0), c.length);
  }
}

// Rooms 1 and 2 side by side; the column x = 5 is room 1's east wall.
const std::string twin_rooms = R"(
#########
#...#...#
#...#...#
#...#...#
#########)";
const std::string twin_areas = R"(
111112222
111112222
111112222
111112222
111112222)";

int count_in_column(int x, char c) {
  const std::string column = map_text(x, 1, x, 5);
  return static_cast<int>(std::count(column.begin(), column.end(), c));
}

TEST(ConnectAreas, OnePassagePerSideAndASecretDoorWhileTheRoomHasNoNeighbours) {
  for (const bool room_has_neighbour : {false, true}) {
    SCOPED_TRACE(room_has_neighbour);
    make_map(9, twin_rooms, twin_areas, {{room, 25}, {room, 20}, {corridor}});
    areas[1].x1 = 1, areas[1].y1 = 1, areas[1].x2 = 5, areas[1].y2 = 5;
    areas[2].x1 = 5, areas[2].y1 = 1, areas[2].x2 = 9, areas[2].y2 = 5;
    if (room_has_neighbour) {  // a corridor north of room 1 through (3, 1)
      map_cells(3, 1).block = 51;
      map_cells(3, 1).area_index = 3;
      map_cells(3, 1).area_kind = corridor;
    }
    calculate_area_exits(0);
    connect_areas(0);
    EXPECT_EQ(count_in_column(5, room_has_neighbour ? '.' : 'S'), 1) << map_text(1, 1, 9, 5);
    EXPECT_EQ(count_in_column(5, '#'), 4);
    EXPECT_EQ(are_neighbours(1, 2), room_has_neighbour);
  }
}

// Area 1 (x 2..4) and area 2 (x 6..8) with the one-cell wall x = 5 between
// them; areas 3 and 4 are linked to them by hand.
TEST(ConnectAreasThroughWalls, JoinsAreasThatShareNothingYet) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, int>> links;
    char passage;  // at (5, 2), the first wall cell in scan order
    bool neighbours, secret;
  };
  const Case cases[] = {
      {"both linked elsewhere", {{1, 3}, {2, 4}}, '.', true, false},
      {"sharing a neighbour", {{1, 3}, {2, 3}}, '#', false, false},
      {"one without neighbours", {{1, 3}}, 'S', false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    make_map(9, twin_rooms, "\n111112222\n111112222\n111112222\n111112222\n111112222",
             {{room}, {room}, {room}, {room}});
    for (const auto& [a, b] : c.links) {
      link_areas(a, b);
      link_areas(b, a);
    }
    connect_areas_through_walls(0);
    EXPECT_EQ(map_text(5, 2, 5, 4), std::string(1, c.passage) + "\n#\n#\n");
    EXPECT_EQ(are_neighbours(1, 2), c.neighbours);
    EXPECT_EQ(are_neighbours(2, 1), c.neighbours);
    EXPECT_EQ(are_secret_neighbours(1, 2), c.secret);
    EXPECT_EQ(are_secret_neighbours(2, 1), c.secret);
  }
}

// Room 1 (63 cells, one exit, grown south) and room 2 four cells of rock
// to its east: a corridor is dug from the middle of room 1's east side.
TEST(ConnectAreasWithCorridors, DigsOneCorridorToABigRoomNearby) {
  const std::string blocks = R"(
######################
#########    #########
#.......#    #.......#
#.......#    #.......#
#.......#    #.......#
#.......#    #.......#
#.......#    #.......#
#########    #########
######################)";
  std::string numbers;
  for (int y = 1; y <= 9; ++y) numbers += "\n111111111----222222222";
  make_map(22, blocks, numbers, {{room, 63}, {room, 63, 0, 1}});
  AreaRecord& r = areas[1];
  r.x1 = 1, r.y1 = 2, r.x2 = 9, r.y2 = 8, r.width = 9, r.height = 7;
  r.anchor_x = 5, r.anchor_y = 2, r.direction = 3;
  r.exit_cells = 1;
  AreaRecord& other = areas[2];
  other.x1 = 14, other.y1 = 2, other.x2 = 22, other.y2 = 8, other.width = 9, other.height = 7;
  other.anchor_x = 14, other.anchor_y = 5, other.direction = 2;
  connect_areas_with_corridors(0);
  EXPECT_EQ(map_text(8, 4, 15, 6), ".######.\n........\n.######.\n");
  EXPECT_EQ(dungeon.area_counter, 4);
  ASSERT_EQ(areas.highest() >= 3, true);
  const AreaRecord& c = areas[3];
  EXPECT_EQ(c.kind, corridor);
  EXPECT_EQ(c.anchor_x, 9);
  EXPECT_EQ(c.anchor_y, 5);
  EXPECT_EQ(c.direction, 2);
  EXPECT_EQ(c.parent_area, 1);
  EXPECT_EQ(map_cells(11, 5).area_index, 3);
  EXPECT_TRUE(are_neighbours(1, 3));
  EXPECT_TRUE(are_neighbours(3, 2));
}

}  // namespace
