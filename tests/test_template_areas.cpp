// Specials and vaults built from area templates: the eight orientations of
// a template (cells, furniture, exit marks and zones), placements that do
// not fit, the first area at the map centre, hallway ends and vault dead
// ends near the map edge, the blocks a template is drawn with, sealed
// templates, secret doors, the registration and use counts, and the
// once-per-dungeon ambush and prison tags.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "GAME_Dungeon.h"
#include "GAME_Global.h"
#include "GAME_Level.h"
#include "GAME_Map.h"
#include "level_fixture.h"
#include "map_text.h"

namespace {

constexpr int map_side = 32;
constexpr int table = 26;  // fu_table

// A template from a picture drawn facing north, one character per cell,
// rows from v = 1: '#' wall, '.' floor, ':' light floor, '%' natural wall,
// ',' natural floor; '^' '>' 'v' '<' walls with an exit facing that way;
// '@' the entry (a wall); '*' a table on floor; 'S' a secret door in a wall.
AreaTemplate template_from_picture(const std::string& name, std::string_view picture,
                                   std::initializer_list<int> tags = {1}) {
  AreaTemplate tpl = make_template(name, tags);
  if (!picture.empty() && picture.front() == '\n') picture.remove_prefix(1);
  int u = 1, v = 1, exits = 0, pieces = 0;
  auto add_exit = [&](int dir) { tpl.exits[++exits] = {narrow<uint8_t>(u), narrow<uint8_t>(v), narrow<uint8_t>(dir), 0}; };
  auto add_piece = [&](int furniture) {
    tpl.furniture[++pieces] = {narrow<uint8_t>(u), narrow<uint8_t>(v), narrow<uint8_t>(furniture)};
  };
  for (char c : picture) {
    if (c == '\n') {
      u = 1;
      ++v;
      continue;
    }
    int code = 0;
    switch (c) {
      case '#': code = 2; break;
      case '.': code = 4; break;
      case ':': code = 5; break;
      case '%': code = 1; break;
      case ',': code = 3; break;
      case '^': code = 2; add_exit(1); break;
      case '>': code = 2; add_exit(2); break;
      case 'v': code = 2; add_exit(3); break;
      case '<': code = 2; add_exit(4); break;
      case '@':
        code = 2;
        tpl.entry_u = narrow<uint8_t>(u);
        tpl.entry_v = narrow<uint8_t>(v);
        break;
      case '*': code = 4; add_piece(table); break;
      case 'S': code = 2; add_piece(furniture::door_secret); break;
      default: break;
    }
    tpl.cells[u][v] = narrow<uint8_t>(code);
    ++u;
  }
  return tpl;
}

// Five by four, with a north exit off the middle, an east exit, a table in
// the south-east corner of the floor and the entry in the middle of the
// south wall: no turn or mirror of it looks like another.
constexpr std::string_view lopsided_picture = R"(
#^###
#...>
#..*#
##@##)";

AreaTemplate lopsided_template() {
  AreaTemplate tpl = template_from_picture("sp_lopsided", lopsided_picture);
  tpl.zones[1] = {2, 2, 1, 1};
  tpl.zones[2] = {2, 2, 3, 2};
  return tpl;
}

// A level whose doorways stay plain openings, so that pictures are stable.
LevelRecord quiet_level(int size = map_side) {
  LevelRecord level = default_level_record();
  level.level_map_size = narrow<uint8_t>(size);
  level.dungeon.secret_door_chance = 0;
  level.dungeon.template_widen_chance = 0;
  level.dungeon.special_widen_chance = 0;
  level.dungeon.doorway_door_chance = 0;
  return level;
}

// A dungeon with one area already built, so the next one has a parent.
void start(const LevelRecord& level, const std::vector<AreaTemplate>& templates) {
  install_level(level);
  install_templates(templates);
  reset_dungeon_state();
  dungeon.area_counter = 2;
}

// A seed whose first percent roll (the mirror roll) mirrors as asked.
uint32_t seed_mirroring(bool mirror) {
  for (uint32_t seed = 1;; ++seed) {
    rand_seed = seed;
    if ((random_percent() <= 50) == mirror) return seed;
  }
}

using MarkAt = std::array<int, 3>;  // x, y, dir

std::vector<MarkAt> pending_marks() {
  std::vector<MarkAt> marks;
  for (int i = 0; i < mark_count(); ++i) {
    const Mark& m = pending_mark(i);
    marks.push_back({m.x, m.y, m.dir});
  }
  std::sort(marks.begin(), marks.end());
  return marks;
}

using Rect = std::array<int, 4>;  // x, y, width, height

Rect zone_of(int area, int zone) {
  const ZoneRect& z = areas[area].zones[zone];
  return {z.x, z.y, z.width, z.height};
}

// No cell of the map holds anything.
bool map_is_blank() {
  for (int x = 1; x <= map_size; ++x)
    for (int y = 1; y <= map_size; ++y)
      if (map_cells(x, y).block != 0 || map_cells(x, y).area_index != 0) return false;
  return true;
}

}  // namespace

// The mark is at (16, 16) in every case; the pictures show x 12..20 by
// y 12..20, the marks and zones were worked out by hand from the template.
TEST(Specials, EightOrientationsTurnCellsFurnitureExitsAndZones) {
  struct Case {
    int dir;
    bool mirror;
    const char* picture;
    std::vector<MarkAt> marks;
    Rect zone1, zone2;
  };
  const Case cases[] = {
      {1, false,
       "         \n"
       "  #####  \n"
       "  #...#  \n"
       "  #..*#  \n"
       "  ##.##  \n"
       "         \n"
       "         \n"
       "         \n"
       "         \n",
       {{15, 13, 1}, {18, 14, 2}}, {15, 14, 1, 1}, {15, 14, 3, 2}},
      {1, true,
       "         \n"
       "  #####  \n"
       "  #...#  \n"
       "  #*..#  \n"
       "  ##.##  \n"
       "         \n"
       "         \n"
       "         \n"
       "         \n",
       {{14, 14, 4}, {17, 13, 1}}, {17, 14, 1, 1}, {15, 14, 3, 2}},
      {2, false,
       "         \n"
       "         \n"
       "    #### \n"
       "    #..# \n"
       "    ...# \n"
       "    #*.# \n"
       "    #### \n"
       "         \n"
       "         \n",
       {{18, 18, 3}, {19, 15, 2}}, {18, 15, 1, 1}, {17, 15, 2, 3}},
      {2, true,
       "         \n"
       "         \n"
       "    #### \n"
       "    #*.# \n"
       "    ...# \n"
       "    #..# \n"
       "    #### \n"
       "         \n"
       "         \n",
       {{18, 14, 1}, {19, 17, 2}}, {18, 17, 1, 1}, {17, 15, 2, 3}},
      {3, false,
       "         \n"
       "         \n"
       "         \n"
       "         \n"
       "  ##.##  \n"
       "  #*..#  \n"
       "  #...#  \n"
       "  #####  \n"
       "         \n",
       {{14, 18, 4}, {17, 19, 3}}, {17, 18, 1, 1}, {15, 17, 3, 2}},
      {3, true,
       "         \n"
       "         \n"
       "         \n"
       "         \n"
       "  ##.##  \n"
       "  #..*#  \n"
       "  #...#  \n"
       "  #####  \n"
       "         \n",
       {{15, 19, 3}, {18, 18, 2}}, {15, 18, 1, 1}, {15, 17, 3, 2}},
      {4, false,
       "         \n"
       "         \n"
       " ####    \n"
       " #.*#    \n"
       " #...    \n"
       " #..#    \n"
       " ####    \n"
       "         \n"
       "         \n",
       {{13, 17, 4}, {14, 14, 1}}, {14, 17, 1, 1}, {14, 15, 2, 3}},
      {4, true,
       "         \n"
       "         \n"
       " ####    \n"
       " #..#    \n"
       " #...    \n"
       " #.*#    \n"
       " ####    \n"
       "         \n"
       "         \n",
       {{13, 15, 4}, {14, 18, 3}}, {14, 15, 1, 1}, {14, 15, 2, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "dir " << c.dir << (c.mirror ? " mirrored" : ""));
    start(quiet_level(), {lopsided_template()});
    rand_seed = seed_mirroring(c.mirror);
    ASSERT_TRUE(create_special(16, 16, c.dir, area_kind::special, 10, 0));
    EXPECT_EQ(map_text(12, 12, 20, 20), c.picture);
    EXPECT_EQ(pending_marks(), c.marks);
    EXPECT_EQ(zone_of(2, 1), c.zone1);
    EXPECT_EQ(zone_of(2, 2), c.zone2);
    EXPECT_EQ((std::array{areas[2].centre_x, areas[2].centre_y}), (std::array{c.zone1[0], c.zone1[1]}));
    for (int i = 0; i < mark_count(); ++i) {
      EXPECT_EQ(pending_mark(i).from_kind, area_kind::special);
      EXPECT_EQ(pending_mark(i).exit_value, 1);
    }
  }
}

TEST(Specials, TemplatePointsOffTheMapHaveNoTurnedPosition) {
  map_size = 40;
  for (int dir = 1; dir <= 4; ++dir)
    for (bool mirror : {false, true}) {
      SCOPED_TRACE(testing::Message() << "dir " << dir << " mirror " << mirror);
      EXPECT_EQ(turn_template_point(41, 3, dir, mirror), Point{});
      EXPECT_EQ(turn_template_point(3, 0, dir, mirror), Point{});
      const Point inside = turn_template_point(40, 1, dir, mirror);
      EXPECT_TRUE(on_map(inside.x, inside.y, 0));
    }
}

TEST(Specials, ShapeLeavingTheMapFailsWithoutDrawingOrMarking) {
  struct Case {
    const char* what;
    int size, x, y, dir;
  };
  const Case cases[] = {
      {"west edge", map_side, 3, 16, 4},
      {"north edge", map_side, 16, 3, 1},
      {"east edge", map_side, 30, 16, 2},
      {"south edge", map_side, 16, 30, 3},
      {"template wider than the map", 4, 2, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    start(quiet_level(c.size), {lopsided_template()});
    rand_seed = 7;
    EXPECT_FALSE(create_special(c.x, c.y, c.dir, area_kind::special, 10, 0));
    EXPECT_TRUE(map_is_blank());
    EXPECT_EQ(mark_count(), 0);
    EXPECT_EQ(dungeon.area_counter, 2);
    EXPECT_EQ(dungeon.area_placed, 0);
    EXPECT_NE(area_templates[1].excluded, 0) << "the template stays taken for the dig step";
  }
}

TEST(Specials, ExitOnTheEntryLaysAMarkOnlyForTheFirstArea) {
  for (const bool first : {true, false}) {
    SCOPED_TRACE(first ? "first area" : "later area");
    AreaTemplate tpl = lopsided_template();
    tpl.exits[3] = {tpl.entry_u, tpl.entry_v, 3, 0};
    start(quiet_level(), {tpl});
    if (first) dungeon.area_counter = 1;
    rand_seed = seed_mirroring(false);
    ASSERT_TRUE(create_special(16, 16, 1, area_kind::special, 10, 0));
    const AreaRecord& area = areas[first ? 1 : 2];
    const std::vector<MarkAt> marks = pending_marks();
    const bool marked_entry = std::find(marks.begin(), marks.end(),
                                        MarkAt{area.anchor_x, area.anchor_y, 3}) != marks.end();
    EXPECT_EQ(marked_entry, first);
    EXPECT_EQ(marks.size(), first ? 3u : 2u);
    if (first) {
      // 5 by 4 on a 32 map: top-left corner at (13, 14), entry at (15, 17).
      EXPECT_EQ((Rect{area.x1, area.y1, area.x2, area.y2}), (Rect{13, 14, 17, 17}));
      EXPECT_EQ((std::array{area.anchor_x, area.anchor_y}), (std::array{15, 17}));
      EXPECT_EQ((std::array{dungeon.current_x, dungeon.current_y}), (std::array{15, 17}));
      EXPECT_TRUE(is_wall(15, 17, 0)) << "the first area has no doorway";
    }
  }
}

TEST(Specials, HallwayEndsAndVaultDeadEndsAreRecordedClearOfTheEdge) {
  const AreaTemplate hallway = template_from_picture("sp_hall", R"(
##^##
#...#
#...#
##@##)");
  const AreaTemplate dead_end = template_from_picture("sp_lane", R"(
#^#
#.#
#.#
#@#)");
  struct Case {
    const char* what;
    const AreaTemplate& tpl;
    int x, y, dir;
    Point exit;
    int layer, plain_exits;
  };
  // Facing north the exit lies 3 rows above the mark; facing east 3
  // columns right of it.
  const Case cases[] = {
      {"hallway, 5 from the north edge", hallway, 16, 8, 1, {16, 5}, 1, 0},
      {"hallway, 4 from the north edge", hallway, 16, 7, 1, {16, 4}, 0, 0},
      {"hallway, 4 from the east edge", hallway, 25, 16, 2, {28, 16}, 2, 0},
      {"hallway, 3 from the east edge", hallway, 26, 16, 2, {29, 16}, 0, 0},
      {"dead end, 5 from the north edge", dead_end, 16, 8, 1, {16, 5}, 5, 0},
      {"dead end, 4 from the north edge", dead_end, 16, 7, 1, {16, 4}, 0, 0},
      {"dead end facing east", dead_end, 16, 16, 2, {19, 16}, 6, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    start(quiet_level(), {c.tpl});
    current_level.fixed_start_flag = 1;
    ASSERT_TRUE(create_special(c.x, c.y, c.dir, area_kind::special, 10, 0));
    ASSERT_TRUE(is_wall(c.exit.x, c.exit.y, 0));
    EXPECT_EQ(hallway_end_layer(c.exit.x, c.exit.y), c.layer);
    EXPECT_EQ(areas[2].trim_state, c.plain_exits);
  }
}

TEST(Specials, PlainExitsAreCountedInTheTrimState) {
  start(quiet_level(), {lopsided_template()});
  current_level.fixed_start_flag = 1;
  ASSERT_TRUE(create_special(16, 16, 1, area_kind::special, 10, 0));
  EXPECT_EQ(areas[2].trim_state, 2);
  EXPECT_EQ(hallway_end_layer(15, 13), 0);
  EXPECT_EQ(hallway_end_layer(18, 14), 0);
}

TEST(Specials, FixedStartNeverMirrors) {
  // Facing north, the east exit shows whether the template was mirrored.
  int mirrored_without_flag = 0;
  for (uint32_t seed = 1; seed <= 30; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    for (const bool fixed : {true, false}) {
      start(quiet_level(), {lopsided_template()});
      current_level.fixed_start_flag = fixed ? 1 : 0;
      rand_seed = seed;
      ASSERT_TRUE(create_special(16, 16, 1, area_kind::special, 10, 0));
      const bool mirrored = find_mark(14, 14) >= 0;
      if (fixed)
        EXPECT_FALSE(mirrored);
      else if (mirrored)
        ++mirrored_without_flag;
    }
  }
  EXPECT_GT(mirrored_without_flag, 5);
  EXPECT_LT(mirrored_without_flag, 25);
}

TEST(Specials, BlocksComeFromTheTemplatesTableOrTheBuiltPair) {
  constexpr std::string_view picture = R"(
#####
#.:.#
##@##)";
  struct Case {
    const char* what;
    const char* name;
    std::initializer_list<int> tags;
    int special_pairs;
    bool block_colors;
    bool built_pair;
  };
  const Case cases[] = {
      {"special with two pairs", "sp_two", {1}, 2, true, false},
      {"special with one pair", "sp_one", {1}, 1, true, true},
      {"vault", "vault_two", {31}, 2, true, false},
      {"vault with base blocks", "vault_base", {31, tag::vo_base_blocks}, 2, true, true},
      {"special with block colours off", "sp_plain", {1}, 2, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const bool vault = std::string_view(c.name).substr(0, 3) != "sp_";
    std::vector<std::array<int, 2>> seen;
    for (uint32_t seed = 1; seed <= 12; ++seed) {
      LevelRecord level = quiet_level();
      level.dungeon.special_blocks[1] = {20, 81};
      level.dungeon.special_blocks[2] = {30, 91};
      level.dungeon.special_block_count = narrow<uint8_t>(c.special_pairs);
      level.dungeon.vault_blocks[1] = {21, 83};
      level.dungeon.vault_blocks[2] = {31, 93};
      level.dungeon.vault_block_count = 2;
      start(level, {template_from_picture(c.name, picture, c.tags)});
      engine_settings.block_colors = c.block_colors;
      rand_seed = seed;
      ASSERT_TRUE(create_special(16, 16, 1, vault ? area_kind::vault : area_kind::special, 10, 0));
      engine_settings.block_colors = true;
      const int wall = map_cells(14, 14).block, floor = map_cells(15, 15).block;
      EXPECT_EQ(map_cells(16, 15).block, floor + 1) << "the light twin of the floor";
      seen.push_back({wall, floor});
    }
    std::sort(seen.begin(), seen.end());
    seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
    using Pairs = std::vector<std::array<int, 2>>;
    const Pairs expected = c.built_pair ? Pairs{{14, 71}}
                           : vault      ? Pairs{{21, 83}, {31, 93}}
                                        : Pairs{{20, 81}, {30, 91}};
    EXPECT_EQ(seen, expected);
  }
}

TEST(Specials, SealedTemplateWallsBecomeImpenetrable) {
  AreaTemplate tpl = lopsided_template();
  tpl.sealed = 1;
  start(quiet_level(), {tpl});
  current_level.fixed_start_flag = 1;
  ASSERT_TRUE(create_special(16, 16, 1, area_kind::special, 10, 0));
  EXPECT_EQ(areas[2].template_flag, 1);
  EXPECT_EQ(impenetrable_layer(14, 13), 1);
  EXPECT_EQ(impenetrable_layer(18, 15), 1);
  EXPECT_EQ(impenetrable_layer(15, 14), 0) << "floor";
}

TEST(Specials, SecretDoorsOfATemplateAreHidden) {
  start(quiet_level(), {template_from_picture("sp_hidden", R"(
#####
#...S
#...#
##@##)")});
  current_level.fixed_start_flag = 1;
  ASSERT_TRUE(create_special(16, 16, 1, area_kind::special, 10, 0));
  const MapCell& door = map_cells(18, 14);
  EXPECT_EQ(door.furniture, furniture::door_secret);
  EXPECT_NE(door.secret_difficulty, 0);
  EXPECT_TRUE(is_wall(18, 14, 0));
  EXPECT_EQ(door.area_index, 2);
}

TEST(Specials, RegistersTheAreaAndCountsItsUse) {
  AreaTemplate tpl = lopsided_template();
  tpl.tags[9] = 1;  // sg_medium
  start(quiet_level(), {tpl});
  current_level.fixed_start_flag = 1;
  dungeon.parent_area = 1;
  ASSERT_TRUE(create_special(16, 16, 1, area_kind::special, 10, 0));
  const AreaRecord& area = areas[2];
  EXPECT_EQ(area.kind, area_kind::special);
  EXPECT_EQ(area.template_index, 1);
  EXPECT_EQ(area.cell_count, 20);
  EXPECT_EQ((Rect{area.x1, area.y1, area.x2, area.y2}), (Rect{14, 13, 18, 16}));
  EXPECT_EQ((std::array{area.anchor_x, area.anchor_y, area.direction}), (std::array{16, 16, 1}));
  EXPECT_EQ(area.parent_area, 1);
  EXPECT_EQ(map_cells(15, 14).zone, 2) << "zone 2 is written over zone 1";
  EXPECT_EQ(map_cells(17, 15).zone, 2);
  EXPECT_EQ(map_cells(14, 14).zone, 0);
  EXPECT_EQ(dungeon.area_counter, 3);
  EXPECT_EQ(dungeon.area_count[area_kind::special], 1);
  EXPECT_EQ(area_templates[1].uses_in_dungeon, 1);
  EXPECT_EQ(area_templates[1].uses_since_reset, 1);
  EXPECT_EQ(dungeon.tag_placed[1], 1);
  EXPECT_EQ(dungeon.tag_placed[9], 1);
  EXPECT_EQ(dungeon.tag_placed[2], 0);
  EXPECT_TRUE(is_floor(16, 16, 0)) << "the doorway at the mark";
}

TEST(Specials, WithoutZoneOneTheCentreIsTheMiddleOfTheBox) {
  AreaTemplate tpl = lopsided_template();
  tpl.zones[1] = {};
  start(quiet_level(), {tpl});
  current_level.fixed_start_flag = 1;
  ASSERT_TRUE(create_special(16, 16, 1, area_kind::special, 10, 0));
  EXPECT_EQ((std::array{areas[2].centre_x, areas[2].centre_y}), (std::array{16, 15}));
}

TEST(Specials, RandomCandidateNeedsOneAndStaysExcludedAfterAFailure) {
  LevelRecord level = quiet_level();
  level.dungeon.include_tags[1][1] = 1;
  start(level, {lopsided_template()});
  EXPECT_FALSE(create_special(16, 16, 1, area_kind::special, 0, 0)) << "not counted yet";
  count_template_candidates(0, 0, 0, true, true);
  ASSERT_EQ(dungeon.template_candidates[1], 1);
  EXPECT_FALSE(create_special(3, 16, 4, area_kind::special, 0, 0)) << "does not fit";
  count_template_candidates(1, 0, 0, false, false);
  EXPECT_EQ(dungeon.template_candidates[1], 0);
}

TEST(Specials, AmbushSpecialsAndPrisonVaultsArePlacedOncePerDungeon) {
  struct Case {
    const char* what;
    const char* first_name;
    const char* second_name;
    int tag, group_tag, kind, group;
    bool prison;
  };
  const Case cases[] = {
      {"ambush", "sp_ambush_a", "sp_ambush_b", tag::sg_ambush, 1, area_kind::special, 1, false},
      {"prison", "prison_a", "prison_b", tag::vg_prison, 31, area_kind::vault, 2, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LevelRecord level = quiet_level();
    level.dungeon.include_tags[c.group][c.group_tag] = 1;
    const std::vector<AreaTemplate> templates = {
        template_from_picture(c.first_name, lopsided_picture, {c.group_tag, c.tag}),
        template_from_picture(c.second_name, lopsided_picture, {c.group_tag, c.tag}),
        template_from_picture(c.group == 1 ? "sp_plain" : "plain", lopsided_picture, {c.group_tag})};
    start(level, templates);
    current_level.prison_flag = 0;
    count_template_candidates(0, 0, 0, true, true);
    ASSERT_EQ(dungeon.template_candidates[c.group], 3);
    ASSERT_TRUE(create_special(16, 16, 1, c.kind, 10, 0));
    EXPECT_NE(dungeon.exclude_tags[c.group][c.tag], 0);
    EXPECT_EQ(dungeon.tag_placed[c.tag], 1);
    EXPECT_EQ(current_level.prison_flag, c.prison ? 1 : 0);
    count_template_candidates(c.group, 0, 0, false, true);
    EXPECT_EQ(dungeon.template_candidates[c.group], 1) << "only the template without the tag";
    EXPECT_NE(area_templates[3].candidate[c.group], 0);
  }
}
