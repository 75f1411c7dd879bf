// The generation driver: the reset and seed mark of create_dungeon, the
// draws and outcomes of dig steps that build nothing, the bookkeeping of
// usable templates, the probes of the free choice on hand-made maps, and the
// byte layout of the settings records.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "GAME_Dice.h"
#include "GAME_Dungeon.h"
#include "GAME_Global.h"
#include "GAME_Level.h"
#include "GAME_Map.h"
#include "level_fixture.h"

namespace {

// rand_seed after n draws from seed.
uint32_t seed_after(uint32_t seed, int n) {
  for (int i = 0; i < n; ++i) seed = seed * 134775813u + 1u;
  return seed;
}

LevelRecord level_without_chances(int map_size_value = 64) {
  LevelRecord level = default_level_record();
  level.level_map_size = narrow<uint8_t>(map_size_value);
  level.dungeon.area_chance.fill(0);
  return level;
}

// ---- create_dungeon -------------------------------------------------------

class CreateDungeon : public ::testing::Test {
 protected:
  void SetUp() override { install_templates({}); }
};

TEST_F(CreateDungeon, ResetsTheMapAndLaysTheSeedMarkAtTheCentre) {
  struct Case {
    int size;
    int centre;
  };
  for (const Case c : {Case{128, 64}, Case{33, 16}}) {
    SCOPED_TRACE(testing::Message() << "map size " << c.size);
    LevelRecord level = default_level_record();
    level.level_map_size = narrow<uint8_t>(c.size);
    level.fixed_start_flag = 1;
    install_level(level);
    // Leftovers of an earlier attempt.
    map_cells(5, 5).block = 71;
    dug_layer(c.centre, c.centre) = 1;
    dead_end_layer(7, 7) = 2;
    add_failed_mark({9, 9, 1, 0, 0, 0, 1}, 0);
    dungeon.area_counter = 17;

    rand_seed = 4242;
    create_dungeon(0);
    EXPECT_EQ(rand_seed, 4242u) << "a fixed start draws nothing";
    EXPECT_EQ(engine_state.level_seed[3], 4242);
    EXPECT_EQ(dungeon.area_counter, 1);
    EXPECT_EQ(map_cells(5, 5).block, 0);
    EXPECT_EQ(dead_end_layer(7, 7), 0);
    EXPECT_EQ(failed_mark_count(), 0);
    ASSERT_EQ(mark_count(), 1);
    const Mark& seed = pending_mark(0);
    EXPECT_EQ(seed.x, c.centre);
    EXPECT_EQ(seed.y, c.centre);
    EXPECT_EQ(seed.dir, 1);
    EXPECT_EQ(seed.from_kind, 0);
    EXPECT_EQ(seed.area, 1);
  }
}

TEST_F(CreateDungeon, DrawsTheSeedDirectionWithoutAFixedStart) {
  install_level(default_level_record());
  for (uint32_t seed : {0u, 1u, 500u, 2000000000u}) {
    rand_seed = seed;
    const int dir = 1 + random_int(4);
    const uint32_t after = rand_seed;
    rand_seed = seed;
    create_dungeon(0);
    EXPECT_EQ(rand_seed, after);
    ASSERT_EQ(mark_count(), 1);
    EXPECT_EQ(pending_mark(0).dir, dir);
  }
}

TEST_F(CreateDungeon, TakesTheRunTimeFieldsFromTheRecordEveryAttempt) {
  LevelRecord level = default_level_record();
  level.dungeon.area_count[2] = 3;  // stored records keep these 0; the copy resets them
  install_level(level);
  create_dungeon(0);
  dungeon.area_count[2] = 9;
  dungeon.tag_placed[13] = 1;
  create_dungeon(0);
  EXPECT_EQ(dungeon.area_count[2], 3);
  EXPECT_EQ(dungeon.tag_placed[13], 0);
}

TEST_F(CreateDungeon, LevelIndexOutsideOneToTwelveIsARangeError) {
  for (int index : {0, 13}) {
    LevelRecord level = default_level_record();
    level.level_index = narrow<uint8_t>(index);
    install_level(level);
    EXPECT_THROW(create_dungeon(0), RangeError) << "level index " << index;
  }
}

// ---- Dig steps that build nothing ----------------------------------------

class DigStep : public ::testing::Test {
 protected:
  void SetUp() override { install_templates({}); }

  // A dungeon with just the given mark pending.
  void start_with_mark(const LevelRecord& level, const Mark& m) {
    install_level(level);
    reset_dungeon_state();
    ASSERT_EQ(add_mark(m.x, m.y, m.dir, m.from_kind, m.force_kind, 0, 0), 0);
  }
};

TEST_F(DigStep, WithNoChancesTheSeedMarkFailsAndTheRunEnds) {
  LevelRecord level = level_without_chances();
  level.dungeon.dig_steps = 30;
  install_level(level);
  rand_seed = 31337;
  create_dungeon(0);
  const Mark seed = pending_mark(0);
  for (int step = 1; step <= level.dungeon.dig_steps && mark_count() > 0; ++step) {
    dungeon.dig_step = step;
    dig_dungeon(0);
  }
  EXPECT_EQ(dungeon.area_counter, 1);
  EXPECT_EQ(mark_count(), 0);
  ASSERT_EQ(failed_mark_count(), 1);
  EXPECT_EQ(failed_mark(0).x, seed.x);
  EXPECT_EQ(failed_mark(0).dir, seed.dir);
  EXPECT_EQ(dungeon.current_x, seed.x);
  EXPECT_EQ(dungeon.current_y, seed.y);
}

// Every step of a run whose kinds can never be built; the failed marks and
// the final seed must come out the same for the same start seed.
std::string run_without_builders(uint32_t seed) {
  LevelRecord level = level_without_chances();
  level.dungeon.area_chance[area_kind::special] = 10;  // no templates: never allowed
  level.dungeon.area_chance[area_kind::vault] = 10;
  install_level(level);
  rand_seed = seed;
  create_dungeon(0);
  // More marks, as if an area had laid them.
  for (int i = 0; i < 8; ++i) add_marks_to_line(10, 10 + i, 50, 10 + i, 1 + i % 4, 8, 0);
  for (int step = 1; step <= 20; ++step) {
    dungeon.dig_step = step;
    dig_dungeon(0);
  }
  std::ostringstream out;
  for (int i = 0; i < failed_mark_count(); ++i)
    out << failed_mark(i).x << "," << failed_mark(i).y << "/" << failed_mark(i).dir << " ";
  out << "pending " << mark_count() << " seed " << rand_seed;
  return out.str();
}

TEST_F(DigStep, ARunIsTheSameForTheSameSeedAndEveryMarkFails) {
  const std::string first = run_without_builders(2024);
  EXPECT_EQ(first, run_without_builders(2024));
  EXPECT_NE(first, run_without_builders(2025));
  EXPECT_EQ(failed_mark_count(), 9);
  EXPECT_EQ(mark_count(), 0);
  EXPECT_EQ(dungeon.area_counter, 1);
}

struct DrawCase {
  std::string name;
  int from_kind;
  int kind;       // the only kind with a chance
  int y;          // of a north mark at x 30: the distance to the edge
  bool dead_end;  // dead_end_layer set at the mark
  int draws;      // expected random draws of the step
};

// Draw counts of steps whose only kind is refused before any builder runs;
// each extra draw is a roll the step must make (and no other).
TEST_F(DigStep, RefusedKindsMakeOnlyTheirPrescribedRolls) {
  const DrawCase cases[] = {
      {"corridor near the edge", 0, 1, 10, false, 1},
      {"corridor after a corridor rolls Seq", 1, 1, 10, false, 2},
      {"corridor at a dead end also rolls the dead-end chance", 1, 1, 10, true, 3},
      {"corridor at a dead end, not from a corridor", 2, 1, 10, true, 1},
      {"special without templates", 0, 8, 40, false, 1},
      {"special after a special rolls Seq", 8, 8, 40, false, 2},
      {"vault after a vault rolls Seq", 9, 9, 40, false, 2},
  };
  for (const DrawCase& c : cases) {
    SCOPED_TRACE(c.name);
    LevelRecord level = level_without_chances();
    level.dungeon.area_chance[c.kind] = 50;
    level.dungeon.area_seq[c.kind] = 100;
    start_with_mark(level, {30, c.y, 1, c.from_kind, 0, 0, 0});
    if (c.dead_end) dead_end_layer(30, c.y) = 1;
    const uint32_t seed = rand_seed;
    dig_dungeon(0);
    EXPECT_EQ(rand_seed, seed_after(seed, c.draws));
    EXPECT_EQ(failed_mark_count(), 1);
  }
}

TEST_F(DigStep, AKindAtItsMaximumIsNotPicked) {
  LevelRecord level = level_without_chances();
  level.dungeon.area_chance[area_kind::room] = 50;
  level.dungeon.area_max[area_kind::room] = 3;
  start_with_mark(level, {30, 30, 1, 0, 0, 0, 0});
  dungeon.area_count[area_kind::room] = 3;
  const uint32_t seed = rand_seed;
  dig_dungeon(0);
  EXPECT_EQ(rand_seed, seed_after(seed, 1)) << "only the mark choice, no pick";
  EXPECT_EQ(failed_mark_count(), 1);
}

TEST_F(DigStep, AMarkFacingAClaimedCellIsUsedUpWithOneDoorwayRoll) {
  LevelRecord level = level_without_chances();
  level.dungeon.mark_doorway_chance = 0;  // the roll is made, the doorway never
  start_with_mark(level, {30, 30, 1, 2, 0, 0, 0});
  map_cells(30, 29).area_index = 1;
  const uint32_t seed = rand_seed;
  dig_dungeon(0);
  EXPECT_EQ(rand_seed, seed_after(seed, 2));
  EXPECT_EQ(mark_count(), 0);
  EXPECT_EQ(failed_mark_count(), 0);
}

TEST_F(DigStep, AForcedSpecialWithoutTemplatesStaysPending) {
  LevelRecord level = level_without_chances();
  level.dungeon.force_area[4] = area_kind::special;
  start_with_mark(level, {30, 30, 1, 0, 0, 0, 0});
  const uint32_t seed = rand_seed;
  dig_dungeon(0);
  EXPECT_EQ(rand_seed, seed_after(seed, 1));
  EXPECT_EQ(first_pending_force_area(), 4);
  EXPECT_EQ(failed_mark_count(), 1);
}

TEST_F(DigStep, ForcedMarksAreTakenBeforeRandomOnes) {
  start_with_mark(level_without_chances(), {30, 30, 1, 0, 0, 0, 0});
  add_mark(40, 30, 1, 0, area_kind::special, 0, 0);
  add_mark(50, 30, 1, 0, 0, 0, 0);
  const uint32_t seed = rand_seed;
  dig_dungeon(0);
  EXPECT_EQ(rand_seed, seed) << "no mark choice draw";
  ASSERT_EQ(failed_mark_count(), 1);
  EXPECT_EQ(failed_mark(0).x, 40);
  EXPECT_EQ(forced_mark_count(), 0);
}

// The free choice draws r in 1..total over the allowed kinds only: with a
// room of weight 1 and a circular area of weight 3, r = 1 builds the room.
// The corridor at its maximum must add nothing to the ranges.
TEST_F(DigStep, TheFreeChoiceBuildsTheKindWhoseRangeHoldsTheDraw) {
  bool saw_room = false, saw_circular = false;
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    LevelRecord level = level_without_chances();
    level.dungeon.area_chance[area_kind::corridor] = 50;
    level.dungeon.area_max[area_kind::corridor] = 1;
    level.dungeon.area_chance[area_kind::room] = 1;
    level.dungeon.area_chance[area_kind::circular] = 3;
    start_with_mark(level, {32, 32, 1, 0, 0, 0, 0});
    dungeon.area_count[area_kind::corridor] = 1;
    rand_seed = seed_after(seed, 1);  // after the mark choice
    const bool room = 1 + random_int(4) == 1;
    rand_seed = seed;
    dig_dungeon(0);
    ASSERT_EQ(dungeon.area_counter, 2) << "the picked kind fits on the empty map";
    EXPECT_EQ(areas[1].kind, room ? area_kind::room : area_kind::circular);
    (room ? saw_room : saw_circular) = true;
  }
  EXPECT_TRUE(saw_room && saw_circular) << "the seeds must reach both ranges";
}

struct ForcedCase {
  std::string name;
  int mark_force_kind;
  int slot_kind;  // in slot 3
  int room_chance;
  int built_kind;
  int pending_slot;  // first_pending_force_area afterwards
};

// Which forced kind a step builds and which slot it clears.
TEST_F(DigStep, ForcedKindsAndTheirSlots) {
  const ForcedCase cases[] = {
      {"a pending slot is built and cleared", 0, area_kind::circular, 0, area_kind::circular, 0},
      {"the mark's own kind leaves the slots pending", area_kind::room, area_kind::circular, 0,
       area_kind::room, 3},
      {"an unbuildable slot stays and the free choice builds", 0, area_kind::vault, 10,
       area_kind::room, 3},
  };
  for (const ForcedCase& c : cases) {
    SCOPED_TRACE(c.name);
    LevelRecord level = level_without_chances();
    level.dungeon.area_chance[area_kind::room] = narrow<uint8_t>(c.room_chance);
    level.dungeon.force_area[3] = narrow<uint16_t>(c.slot_kind);
    start_with_mark(level, {32, 32, 1, 0, c.mark_force_kind, 0, 0});
    dig_dungeon(0);
    ASSERT_EQ(dungeon.area_counter, 2);
    EXPECT_EQ(areas[1].kind, c.built_kind);
    EXPECT_EQ(first_pending_force_area(), c.pending_slot);
  }
}

TEST_F(DigStep, TheFirstAreasExtremeMarksComeBeforeAnyOther) {
  install_level(level_without_chances());
  reset_dungeon_state();
  dungeon.dig_step = 1;
  add_mark(30, 20, 1, 2, 0, 0, 0);
  add_mark(31, 12, 1, 2, 0, 0, 0);  // outermost to the north
  add_mark(32, 16, 1, 2, 0, 0, 0);
  count_extreme_marks();
  dungeon.dig_step = 2;
  dig_dungeon(0);
  EXPECT_EQ(dungeon.current_x, 31);
  EXPECT_EQ(dungeon.current_y, 12);
  EXPECT_EQ(extreme_mark_count(), 0);
  // The next step chooses at random among the rest.
  const uint32_t seed = rand_seed;
  const int position = random_int(2);
  rand_seed = seed;
  dig_dungeon(0);
  EXPECT_EQ(dungeon.current_x, position == 0 ? 30 : 32);
}

TEST_F(DigStep, AnExtremeEntryWhoseMarkIsGoneEndsTheStepWhileCountsRemain) {
  install_level(level_without_chances());
  reset_dungeon_state();
  dungeon.dig_step = 1;
  add_mark(30, 8, 1, 2, 0, 0, 0);   // north entry
  add_mark(60, 30, 2, 2, 0, 0, 0);  // east entry
  count_extreme_marks();
  count_extreme_marks();  // a count above the entries that can still be taken
  take_mark(find_mark(30, 8));
  take_mark(find_mark(60, 30));
  dungeon.dig_step = 2;
  add_mark(40, 40, 3, 2, 0, 0, 0);
  dig_dungeon(0);  // lands on a stale entry while the count stays above 0
  EXPECT_EQ(mark_count(), 1);
  EXPECT_EQ(failed_mark_count(), 0);
}

// ---- Template candidates --------------------------------------------------

struct CandidateCase {
  std::string name;
  std::function<void(AreaTemplate&)> change;
  int size_limit;
  bool reset_dungeon_counts;
  bool reset_excluded;
  int candidates;  // of category 1
};

TEST(TemplateCandidates, SkipRules) {
  const auto same = [](AreaTemplate&) {};
  const CandidateCase cases[] = {
      {"usable", same, 0, false, false, 1},
      {"per-dungeon maximum reached", [](AreaTemplate& t) { t.max_per_dungeon = 2; t.uses_in_dungeon = 2; }, 0, false, false, 0},
      {"per-dungeon maximum not yet reached", [](AreaTemplate& t) { t.max_per_dungeon = 2; t.uses_in_dungeon = 1; }, 0, false, false, 1},
      {"per-dungeon uses reset", [](AreaTemplate& t) { t.max_per_dungeon = 2; t.uses_in_dungeon = 2; }, 0, true, false, 1},
      {"since-reset maximum reached", [](AreaTemplate& t) { t.max_since_reset = 1; t.uses_since_reset = 1; }, 0, true, true, 0},
      {"excluded", [](AreaTemplate& t) { t.excluded = 1; }, 0, false, false, 0},
      {"excluded flag reset", [](AreaTemplate& t) { t.excluded = 1; }, 0, false, true, 1},
      {"larger than the space", [](AreaTemplate& t) { t.size = 20; }, 19, false, false, 0},
      {"as large as the space", [](AreaTemplate& t) { t.size = 20; }, 20, false, false, 1},
      {"no space limit", [](AreaTemplate& t) { t.size = 200; }, 0, false, false, 1},
      {"carries an excluded tag", [](AreaTemplate& t) { t.tags[13] = 1; }, 0, false, false, 0},
      {"carries no included tag", [](AreaTemplate& t) { t.tags[1] = 0; t.tags[2] = 1; }, 0, false, false, 0},
  };
  for (const CandidateCase& c : cases) {
    SCOPED_TRACE(c.name);
    install_level(default_level_record());
    dungeon = current_level.dungeon;
    dungeon.include_tags[1][1] = 1;
    dungeon.exclude_tags[1][13] = 1;
    AreaTemplate tpl = make_template("sp_test", {1});
    c.change(tpl);
    install_templates({tpl});
    count_template_candidates(0, 0, c.size_limit, c.reset_dungeon_counts, c.reset_excluded);
    EXPECT_EQ(dungeon.template_candidates[1], c.candidates);
    EXPECT_EQ(area_templates[1].candidate[1], c.candidates);
  }
}

TEST(TemplateCandidates, NumbersUsableTemplatesPerCategoryInTableOrder) {
  install_level(default_level_record());
  dungeon = current_level.dungeon;
  dungeon.include_tags[1][1] = 1;   // specials: sg_all
  dungeon.include_tags[2][31] = 1;  // vaults: vg_all
  install_templates({make_template("sp_a", {1}), make_template("v_b", {31}),
                     make_template("sp_c", {1, 31}), make_template("sp_d", {2})});
  area_templates[2].candidate[3] = 7;  // stale numbers are cleared
  count_template_candidates(0, 0, 0, false, false);
  EXPECT_EQ(dungeon.template_candidates[1], 2);
  EXPECT_EQ(dungeon.template_candidates[2], 2);
  EXPECT_EQ(dungeon.template_candidates[3], 0);
  EXPECT_EQ(area_templates[1].candidate[1], 1);
  EXPECT_EQ(area_templates[3].candidate[1], 2);
  EXPECT_EQ(area_templates[2].candidate[2], 1);
  EXPECT_EQ(area_templates[3].candidate[2], 2);
  EXPECT_EQ(area_templates[2].candidate[3], 0);
  EXPECT_EQ(area_templates[4].candidate[1], 0);

  // Counting one category leaves the others at 0.
  count_template_candidates(2, 0, 0, false, false);
  EXPECT_EQ(dungeon.template_candidates[1], 0);
  EXPECT_EQ(area_templates[1].candidate[1], 0);
  EXPECT_EQ(dungeon.template_candidates[2], 2);

  // A tag counts every template carrying it, whatever the category sets say.
  count_template_candidates(0, 2, 0, false, false);
  EXPECT_EQ(dungeon.template_candidates[1], 1);
  EXPECT_EQ(area_templates[4].candidate[3], 1);
}

TEST(TemplateCandidates, PickTakesTheTemplateWithTheDrawnNumber) {
  install_level(default_level_record());
  dungeon = current_level.dungeon;
  dungeon.include_tags[1][1] = 1;
  install_templates({make_template("sp_a", {1}), make_template("sp_b", {2}),
                     make_template("sp_c", {1})});
  count_template_candidates(1, 0, 0, false, false);
  for (uint32_t seed : {0u, 3u, 4000000000u}) {
    rand_seed = seed;
    const int r = random_int(2);
    rand_seed = seed;
    EXPECT_EQ(pick_template_candidate(1), r == 0 ? 1 : 3);
  }
  // With no candidate the pick still draws once and finds nothing.
  rand_seed = 9;
  EXPECT_EQ(pick_template_candidate(2), 0);
  EXPECT_EQ(rand_seed, seed_after(9, 1));
}

// ---- Probes on hand-made maps --------------------------------------------

// Paints rows of text onto an empty map of that size, row 1 first:
// '.' unclaimed, '1'..'9' a cell of that area number (of kind area_kinds[n]),
// 'X' an impenetrable wall. Areas 1..9 are registered with the kinds and
// directions given.
struct MapText {
  std::vector<std::string> rows;
  std::vector<int> area_kinds;       // per area number 1..n
  std::vector<int> area_directions;  // per area number 1..n
};

std::string show(const MapText& text) {
  std::string out = "\n";
  for (const std::string& row : text.rows) out += row + "\n";
  return out;
}

void paint(const MapText& text) {
  LevelRecord level = default_level_record();
  level.level_map_size = narrow<uint8_t>(text.rows.size());
  install_level(level);
  reset_dungeon_state();
  areas.resize_to(static_cast<int>(text.area_kinds.size()));
  for (size_t n = 0; n < text.area_kinds.size(); ++n) {
    areas[static_cast<int>(n) + 1].kind = text.area_kinds[n];
    areas[static_cast<int>(n) + 1].direction = text.area_directions[n];
  }
  for (size_t row = 0; row < text.rows.size(); ++row) {
    for (size_t col = 0; col < text.rows[row].size(); ++col) {
      MapCell& cell = map_cells(static_cast<int>(col) + 1, static_cast<int>(row) + 1);
      const char c = text.rows[row][col];
      if (c == 'X') {
        cell.block = 14;
        impenetrable_layer(static_cast<int>(col) + 1, static_cast<int>(row) + 1) = 1;
      } else if (c >= '1' && c <= '9') {
        const int n = c - '0';
        cell.area_index = narrow<uint8_t>(n);
        cell.area_kind = n <= static_cast<int>(text.area_kinds.size())
                             ? narrow<uint8_t>(text.area_kinds[static_cast<size_t>(n) - 1])
                             : area_kind::corridor;
        cell.block = 71;
      }
    }
  }
}

struct ProbeCase {
  std::string name;
  MapText map;
  int x, y, dir, area, reach;
  bool expected;
};

TEST(Probes, RayMeetsOwnArea) {
  const MapText column = {{".......",
                           "...1...",
                           ".......",
                           ".......",
                           ".......",
                           ".......",
                           "......."},
                          {2},
                          {1}};
  const MapText other_first = {{".......",
                                "...1...",
                                ".......",
                                "...2...",
                                ".......",
                                ".......",
                                "......."},
                               {2, 2},
                               {1, 1}};
  const MapText empty = {{".......", ".......", ".......", ".......", ".......", ".......",
                          "......."},
                         {},
                         {}};
  const ProbeCase cases[] = {
      {"own area over unclaimed cells", column, 4, 7, 1, 1, 20, true},
      {"another area's cells", column, 4, 7, 1, 2, 20, false},
      {"own area one step beyond reach", column, 4, 7, 1, 1, 4, false},
      {"own area at exactly reach", column, 4, 7, 1, 1, 5, true},
      {"another area first", other_first, 4, 7, 1, 1, 20, false},
      {"leaves the map", empty, 4, 7, 1, 1, 20, false},
      {"walks the given direction", column, 1, 2, 2, 1, 20, true},
  };
  for (const ProbeCase& c : cases) {
    SCOPED_TRACE(c.name + show(c.map));
    paint(c.map);
    EXPECT_EQ(ray_meets_own_area(c.x, c.y, c.area, c.dir, c.reach), c.expected);
  }
}

TEST(Probes, ParallelCorridorNear) {
  // A north mark at (6, 12); the cell ahead is (6, 11).
  const auto map = [](std::vector<std::string> rows, int kind, int direction) {
    return MapText{std::move(rows), {kind}, {direction}};
  };
  const std::vector<std::string> beside = {
      "............", "............", "............", "............", "............",
      "............", "............", "............", "......1.....", "......1.....",
      "......1.....", "............"};
  const std::vector<std::string> two_aside = {
      "............", "............", "............", "............", "............",
      "............", "............", "............", "............", "...1........",
      "...1........", "............"};
  const std::vector<std::string> three_aside = {
      "............", "............", "............", "............", "............",
      "............", "............", "............", "............", "..1.........",
      "..1.........", "............"};
  const std::vector<std::string> five_ahead = {
      "............", "............", "............", "............", "............",
      "......1.....", "............", "............", "............", "............",
      "............", "............"};
  const std::vector<std::string> six_ahead = {
      "............", "............", "............", "............", ".......1....",
      "............", "............", "............", "............", "............",
      "............", "............"};
  const ProbeCase cases[] = {
      {"corridor beside, same axis", map(beside, 1, 1), 6, 12, 1, 0, 2, true},
      {"corridor beside, opposite direction", map(beside, 1, 3), 6, 12, 1, 0, 2, true},
      {"corridor beside, crossing axis", map(beside, 1, 2), 6, 12, 1, 0, 2, false},
      {"room beside", map(beside, 2, 1), 6, 12, 1, 0, 2, false},
      {"corridor two cells aside", map(two_aside, 1, 1), 6, 12, 1, 0, 2, true},
      {"corridor three cells aside", map(three_aside, 1, 1), 6, 12, 1, 0, 2, false},
      {"corridor five cells further on", map(five_ahead, 1, 3), 6, 12, 1, 0, 2, true},
      {"corridor six cells further on", map(six_ahead, 1, 3), 6, 12, 1, 0, 2, false},
      {"corridor cells of no registered area", MapText{beside, {}, {}}, 6, 12, 1, 0, 2, false},
  };
  for (const ProbeCase& c : cases) {
    SCOPED_TRACE(c.name + show(c.map));
    paint(c.map);
    EXPECT_EQ(parallel_corridor_near(c.x, c.y, c.dir, c.reach), c.expected);
  }
}

TEST(Probes, ImpenetrableWallAhead) {
  const auto map = [](std::vector<std::string> rows) { return MapText{std::move(rows), {}, {}}; };
  const MapText side = map({"............", "............", "............", "............",
                            "......X.....", "............", "............", "............",
                            "............", "............", "............", "............"});
  const MapText two_aside = map({"............", "............", "............", "............",
                                 ".......X....", "............", "............", "............",
                                 "............", "............", "............", "............"});
  const MapText tenth_step = map({"......X.....", "............", "............", "............",
                                  "............", "............", "............", "............",
                                  "............", "............", "............", "............"});
  const MapText on_border = map({"............", "............", "............", "............",
                                 "............", "............", "............", "............",
                                 "............", "X...........", "............", "............"});
  const ProbeCase cases[] = {
      {"beside the path", side, 6, 11, 1, 0, 0, true},
      {"two cells aside", two_aside, 6, 11, 1, 0, 0, false},
      {"at the tenth step", tenth_step, 6, 11, 1, 0, 0, true},
      {"beyond the tenth step", tenth_step, 6, 12, 1, 0, 0, false},
      {"the path's side leaves the map first", on_border, 1, 11, 1, 0, 0, false},
      {"inside the map's edge", on_border, 2, 11, 1, 0, 0, true},
      {"east along a row", side, 3, 5, 2, 0, 0, true},
  };
  for (const ProbeCase& c : cases) {
    SCOPED_TRACE(c.name + show(c.map));
    paint(c.map);
    EXPECT_EQ(impenetrable_wall_ahead(c.x, c.y, c.dir), c.expected);
  }
}

// ---- Record layouts -------------------------------------------------------

struct OffsetCase {
  std::string field;
  size_t offset;
  int width;  // bytes, little-endian
  std::function<void(LevelRecord&, uint32_t)> write;
};

uint32_t read_little_endian(const void* record, size_t offset, int width) {
  const auto* bytes = static_cast<const uint8_t*>(record) + offset;
  uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

TEST(RecordLayout, LevelRecordFieldsLandOnTheirFileOffsets) {
  const OffsetCase cases[] = {
      {"level_index", 64, 1, [](LevelRecord& r, uint32_t v) { r.level_index = uint8_t(v); }},
      {"level_map_size", 66, 1, [](LevelRecord& r, uint32_t v) { r.level_map_size = uint8_t(v); }},
      {"fixed_start_flag", 68, 1, [](LevelRecord& r, uint32_t v) { r.fixed_start_flag = uint8_t(v); }},
      {"area_chance[1]", 72, 1, [](LevelRecord& r, uint32_t v) { r.dungeon.area_chance[1] = uint8_t(v); }},
      {"area_seq[9]", 89, 1, [](LevelRecord& r, uint32_t v) { r.dungeon.area_seq[9] = uint8_t(v); }},
      {"area_count[9]", 107, 1, [](LevelRecord& r, uint32_t v) { r.dungeon.area_count[9] = uint8_t(v); }},
      {"force_area[30]", 166, 2, [](LevelRecord& r, uint32_t v) { r.dungeon.force_area[30] = uint16_t(v); }},
      {"force_count[30].sides", 168 + 29 * 38 + 1, 1, [](LevelRecord& r, uint32_t v) { r.dungeon.force_count[30].sides = uint8_t(v); }},
      {"dig_steps", 1308, 1, [](LevelRecord& r, uint32_t v) { r.dungeon.dig_steps = uint8_t(v); }},
      {"mark_doorway_chance", 1320, 1, [](LevelRecord& r, uint32_t v) { r.dungeon.mark_doorway_chance = uint8_t(v); }},
      {"room_size.bonus", 1444, 2, [](LevelRecord& r, uint32_t v) { r.dungeon.room_size.bonus = int16_t(v); }},
      {"stuff_kind", 1484, 2, [](LevelRecord& r, uint32_t v) { r.dungeon.stuff_kind = uint16_t(v); }},
      {"natural_alt_floor", 1490, 1, [](LevelRecord& r, uint32_t v) { r.dungeon.natural_alt_floor = uint8_t(v); }},
      {"include_tags[2][7]", 1430 + 120 + 7, 1, [](LevelRecord& r, uint32_t v) { r.dungeon.include_tags[2][7] = uint8_t(v); }},
      {"exclude_tags[3][60]", 1610 + 180 + 60, 1, [](LevelRecord& r, uint32_t v) { r.dungeon.exclude_tags[3][60] = uint8_t(v); }},
      {"tag_placed[60]", 1910, 1, [](LevelRecord& r, uint32_t v) { r.dungeon.tag_placed[60] = uint8_t(v); }},
      {"natural_blocks[120].floor", 2150, 1, [](LevelRecord& r, uint32_t v) { r.dungeon.natural_blocks[120].floor = uint8_t(v); }},
      {"vault_blocks[1].wall", 2631, 1, [](LevelRecord& r, uint32_t v) { r.dungeon.vault_blocks[1].wall = uint8_t(v); }},
      {"vault_block_count", 2874, 1, [](LevelRecord& r, uint32_t v) { r.dungeon.vault_block_count = uint8_t(v); }},
      {"dig_step", 2876, 4, [](LevelRecord& r, uint32_t v) { r.dungeon.dig_step = int32_t(v); }},
      {"claimed_cell_count", 2904, 4, [](LevelRecord& r, uint32_t v) { r.dungeon.claimed_cell_count = int32_t(v); }},
      {"marks_closed", 2909, 1, [](LevelRecord& r, uint32_t v) { r.dungeon.marks_closed = uint8_t(v); }},
      {"template_candidates[3]", 2914, 2, [](LevelRecord& r, uint32_t v) { r.dungeon.template_candidates[3] = uint16_t(v); }},
      {"forced_contents[1]", 2916, 2, [](LevelRecord& r, uint32_t v) { r.forced_contents[1] = uint16_t(v); }},
      {"timer_dice.count", 27610, 1, [](LevelRecord& r, uint32_t v) { r.timer_dice.count = uint8_t(v); }},
      {"creation_seed", 27728, 4, [](LevelRecord& r, uint32_t v) { r.creation_seed = int32_t(v); }},
      {"prison_flag", 27747, 1, [](LevelRecord& r, uint32_t v) { r.prison_flag = uint8_t(v); }},
      {"stored_size", 27764, 4, [](LevelRecord& r, uint32_t v) { r.stored_size = int32_t(v); }},
  };
  for (const OffsetCase& c : cases) {
    SCOPED_TRACE(c.field);
    static LevelRecord record;
    std::memset(static_cast<void*>(&record), 0, sizeof record);
    const uint32_t value = c.width == 1 ? 0xA5u : c.width == 2 ? 0xA512u : 0xA5123456u;
    c.write(record, value);
    EXPECT_EQ(read_little_endian(&record, c.offset, c.width), value);
  }
}

struct TemplateOffsetCase {
  std::string field;
  size_t offset;
  int width;
  std::function<void(AreaTemplate&, uint32_t)> write;
};

TEST(RecordLayout, AreaTemplateFieldsLandOnTheirFileOffsets) {
  const TemplateOffsetCase cases[] = {
      {"cell (1, 1)", 31, 1, [](AreaTemplate& t, uint32_t v) { t.cells[1][1] = uint8_t(v); }},
      {"cell (2, 3)", 30 + 64 + 3, 1, [](AreaTemplate& t, uint32_t v) { t.cells[2][3] = uint8_t(v); }},
      {"cell (64, 64)", 4126, 1, [](AreaTemplate& t, uint32_t v) { t.cells[64][64] = uint8_t(v); }},
      {"furniture[2].furniture", 4127 + 3 + 2, 1, [](AreaTemplate& t, uint32_t v) { t.furniture[2].furniture = uint8_t(v); }},
      {"exits[50].forced_kind", 4476, 1, [](AreaTemplate& t, uint32_t v) { t.exits[50].forced_kind = uint8_t(v); }},
      {"zones[60].height", 4716, 1, [](AreaTemplate& t, uint32_t v) { t.zones[60].height = uint8_t(v); }},
      {"tags[60]", 4776, 1, [](AreaTemplate& t, uint32_t v) { t.tags[60] = uint8_t(v); }},
      {"entry_v", 4778, 1, [](AreaTemplate& t, uint32_t v) { t.entry_v = uint8_t(v); }},
      {"size", 4785, 1, [](AreaTemplate& t, uint32_t v) { t.size = uint8_t(v); }},
      {"max_since_reset", 4788, 2, [](AreaTemplate& t, uint32_t v) { t.max_since_reset = uint16_t(v); }},
      {"candidate[3]", 4796, 2, [](AreaTemplate& t, uint32_t v) { t.candidate[3] = uint16_t(v); }},
      {"uses_in_dungeon", 4804, 2, [](AreaTemplate& t, uint32_t v) { t.uses_in_dungeon = uint16_t(v); }},
      {"excluded", 4806, 1, [](AreaTemplate& t, uint32_t v) { t.excluded = uint8_t(v); }},
      {"uses_since_reset", 4808, 2, [](AreaTemplate& t, uint32_t v) { t.uses_since_reset = uint16_t(v); }},
  };
  for (const TemplateOffsetCase& c : cases) {
    SCOPED_TRACE(c.field);
    AreaTemplate tpl;
    std::memset(static_cast<void*>(&tpl), 0, sizeof tpl);
    const uint32_t value = c.width == 1 ? 0xA5u : 0xA512u;
    c.write(tpl, value);
    EXPECT_EQ(read_little_endian(&tpl, c.offset, c.width), value);
  }
}

}  // namespace
