// The mark lists: which marks add_mark refuses, the random cell of
// add_marks_to_line, what taking a mark records, and the extreme marks that
// spread the dungeon out from its first area.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "GAME_Dice.h"
#include "GAME_Dungeon.h"
#include "GAME_Map.h"
#include "level_fixture.h"

namespace {

class Marks : public ::testing::Test {
 protected:
  void SetUp() override {
    LevelRecord level = default_level_record();
    level.level_map_size = 40;
    install_level(level);
    reset_dungeon_state();
  }
};

struct RefusalCase {
  std::string name;
  int x, y, dir;
  std::function<void()> setup;
};

TEST_F(Marks, AddMarkRefusesEachForbiddenPlaceAndChangesNothing) {
  const auto nothing = [] {};
  const RefusalCase cases[] = {
      {"marks closed", 20, 20, 1, [] { dungeon.marks_closed = 1; }},
      {"off the map", 41, 20, 1, nothing},
      {"north too close to the edge", 20, 4, 1, nothing},
      {"east too close to the edge", 37, 20, 2, nothing},
      {"south too close to the edge", 20, 37, 3, nothing},
      {"west too close to the edge", 4, 20, 4, nothing},
      {"a mark already there", 20, 20, 1, [] { mark_layer(20, 20) = 1; }},
      {"dug cell", 20, 20, 1, [] { dug_layer(20, 20) = 1; }},
      {"floor cell", 20, 20, 1, [] { map_cells(20, 20).block = 71; }},
      {"hidden secret door", 20, 20, 1, [] { map_cells(20, 20).secret_difficulty = 12; }},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.name);
    reset_dungeon_state();
    c.setup();
    const uint8_t layer_before = mark_layer(20, 20);
    EXPECT_EQ(add_mark(c.x, c.y, c.dir, 2, 0, 0, 0), -1);
    EXPECT_EQ(mark_count(), 0);
    EXPECT_EQ(mark_layer(20, 20), layer_before);
  }
}

TEST_F(Marks, AddMarkAcceptsTheCellsNextToEachEdgeLimit) {
  struct Accepted {
    int x, y, dir;
  };
  // The outermost cells each direction still accepts on a 40-cell map.
  const Accepted cases[] = {{20, 5, 1}, {36, 20, 2}, {20, 36, 3}, {5, 20, 4}};
  for (const Accepted& c : cases) {
    SCOPED_TRACE(testing::Message() << "dir " << c.dir);
    reset_dungeon_state();
    EXPECT_EQ(add_mark(c.x, c.y, c.dir, 2, 0, 0, 0), 0);
  }
}

TEST_F(Marks, AddMarkRecordsTheMarkOnItsLayers) {
  dungeon.area_counter = 7;
  map_cells(12, 15).block = 14;
  ASSERT_EQ(add_mark(10, 10, 1, 2, 0, 0, 0), 0);
  ASSERT_EQ(add_mark(12, 15, 2, 3, 5, 4, 0), 1);

  const Mark& m = pending_mark(1);
  EXPECT_EQ(m.x, 12);
  EXPECT_EQ(m.y, 15);
  EXPECT_EQ(m.dir, 2);
  EXPECT_EQ(m.from_kind, 3);
  EXPECT_EQ(m.force_kind, 5);
  EXPECT_EQ(m.exit_value, 4);
  EXPECT_EQ(m.area, 7);
  EXPECT_EQ(mark_layer(12, 15), 1);
  EXPECT_EQ(mark_block_layer(12, 15), 14);
  EXPECT_EQ(mark_area_layer(12, 15), 7);
  EXPECT_EQ(forced_mark_count(), 1);
  EXPECT_EQ(find_mark(12, 15), 1);
  EXPECT_EQ(find_mark(12, 16), -1);
}

TEST_F(Marks, AreaNumbersAbove255DoNotFitTheMarkAreaLayer) {
  dungeon.area_counter = 256;
  EXPECT_THROW(add_mark(10, 10, 1, 2, 0, 0, 0), RangeError);
}

TEST_F(Marks, AddMarksToLineDrawsTheRowFirstThenTheColumn) {
  // The column range (10..13) and row range (20..35) differ, so drawing them
  // in the other order lands on another cell.
  for (uint32_t seed : {1u, 77u, 123456u, 99999999u}) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    reset_dungeon_state();
    rand_seed = seed;
    const int y = 20 + random_int(16);
    const int x = 10 + random_int(4);
    const uint32_t after = rand_seed;

    rand_seed = seed;
    add_marks_to_line(10, 20, 13, 35, 4, 2, 0);
    EXPECT_EQ(rand_seed, after);
    ASSERT_EQ(mark_count(), 1);
    EXPECT_EQ(pending_mark(0).x, x);
    EXPECT_EQ(pending_mark(0).y, y);
  }
}

TEST_F(Marks, TakeMarkRemovesItAndRecordsItsParentAndSourceKind) {
  dungeon.area_counter = 4;
  add_mark(10, 10, 1, 6, 0, 0, 0);
  dungeon.area_counter = 9;
  add_mark(11, 10, 1, 7, 3, 0, 0);
  add_mark(12, 10, 1, 2, 0, 0, 0);

  const Mark taken = take_mark(1);
  EXPECT_EQ(taken.x, 11);
  EXPECT_EQ(dungeon.parent_area, 9);
  EXPECT_EQ(dungeon.current_from_kind, 7);
  EXPECT_EQ(mark_layer(11, 10), 0);
  EXPECT_EQ(forced_mark_count(), 0);
  ASSERT_EQ(mark_count(), 2);
  EXPECT_EQ(pending_mark(0).x, 10);
  EXPECT_EQ(pending_mark(1).x, 12);

  const Mark first = take_mark(0);
  EXPECT_EQ(dungeon.parent_area, 4);
  EXPECT_EQ(dungeon.current_from_kind, 6);
  EXPECT_EQ(first.x, 10);

  EXPECT_TRUE(take_mark(5).empty());
  EXPECT_TRUE(take_mark(-1).empty());
  EXPECT_EQ(mark_count(), 1);
}

TEST_F(Marks, TakeForcedMarkTakesTheFirstForcedMark) {
  add_mark(10, 10, 1, 2, 0, 0, 0);
  add_mark(11, 10, 1, 2, 6, 0, 0);
  add_mark(12, 10, 1, 2, 7, 0, 0);
  EXPECT_EQ(take_forced_mark().force_kind, 6);
  EXPECT_EQ(take_forced_mark().force_kind, 7);
  EXPECT_TRUE(take_forced_mark().empty());
  EXPECT_EQ(mark_count(), 1);
}

TEST_F(Marks, FailedMarksKeepTheirOrderAndOffMapMarksAreDropped) {
  add_failed_mark({10, 11, 1, 2, 0, 0, 3}, 0);
  add_failed_mark({0, 0, 0, 0, 0, 0, 0}, 0);
  add_failed_mark({12, 13, 3, 4, 0, 0, 5}, 0);
  ASSERT_EQ(failed_mark_count(), 2);
  EXPECT_EQ(failed_mark(1).x, 12);

  mark_area_layer(10, 11) = 3;
  const Mark m = take_failed_mark(0);
  EXPECT_EQ(m.y, 11);
  EXPECT_EQ(dungeon.parent_area, 3);
  EXPECT_EQ(dungeon.current_from_kind, 2);
  EXPECT_EQ(failed_mark(0).x, 12);
}

TEST_F(Marks, ExtremeTableKeepsTheOutermostMarkPerDirection) {
  dungeon.dig_step = 1;
  // North: y 10 then 8 (further), then 8 again at another x (not strictly
  // further), then 9 (nearer). The first mark at y 8 must be kept.
  add_mark(20, 10, 1, 2, 0, 0, 0);
  add_mark(21, 8, 1, 2, 0, 0, 0);
  add_mark(22, 8, 1, 2, 0, 0, 0);
  add_mark(23, 9, 1, 2, 0, 0, 0);
  count_extreme_marks();
  ASSERT_EQ(extreme_mark_count(), 1);

  const Mark m = take_extreme_mark();
  EXPECT_EQ(m.x, 21);
  EXPECT_EQ(m.y, 8);
  EXPECT_EQ(extreme_mark_count(), 0);
  EXPECT_EQ(find_mark(21, 8), -1);
}

TEST_F(Marks, AMarkOfTheFirstDigStepWithoutADirectionIsARangeError) {
  dungeon.dig_step = 1;
  EXPECT_THROW(add_mark(20, 10, 0, 2, 0, 0, 0), RangeError);
}

TEST_F(Marks, ExtremeMarksAreCollectedOnlyDuringTheFirstDigStep) {
  dungeon.dig_step = 2;
  add_mark(20, 10, 1, 2, 0, 0, 0);
  count_extreme_marks();
  EXPECT_EQ(extreme_mark_count(), 0);
  const uint32_t seed = rand_seed;
  EXPECT_TRUE(take_extreme_mark().empty());
  EXPECT_EQ(rand_seed, seed);
}

TEST_F(Marks, TakeExtremeMarkPicksARandomDirectionAndClearsItsEntry) {
  dungeon.dig_step = 1;
  add_mark(20, 6, 1, 2, 0, 0, 0);   // north
  add_mark(34, 20, 2, 2, 0, 0, 0);  // east
  count_extreme_marks();
  ASSERT_EQ(extreme_mark_count(), 2);

  const uint32_t seed = rand_seed;
  const bool north_first = random_int(2) == 0;
  rand_seed = seed;
  const Mark first = take_extreme_mark();
  EXPECT_EQ(first.dir, north_first ? 1 : 2);
  EXPECT_EQ(extreme_mark_count(), 1);
  // Only the other direction is left, whatever the draw.
  EXPECT_EQ(take_extreme_mark().dir, north_first ? 2 : 1);
  EXPECT_EQ(extreme_mark_count(), 0);
  EXPECT_EQ(mark_count(), 0);
}

TEST_F(Marks, TakeExtremeMarkUsesUpOneCountEvenWhenItsMarkIsGone) {
  dungeon.dig_step = 1;
  add_mark(34, 20, 2, 2, 0, 0, 0);
  count_extreme_marks();
  take_mark(find_mark(34, 20));  // taken as an ordinary mark meanwhile

  const uint32_t seed = rand_seed;
  EXPECT_TRUE(take_extreme_mark().empty());
  EXPECT_NE(rand_seed, seed);  // the direction was still drawn
  EXPECT_EQ(extreme_mark_count(), 0);
}

TEST_F(Marks, TakeExtremeMarkWithNoEntryLeftZeroesTheCountWithoutDrawing) {
  dungeon.dig_step = 1;
  add_mark(20, 6, 1, 2, 0, 0, 0);
  count_extreme_marks();
  count_extreme_marks();  // a count above the entries that can still be taken
  ASSERT_EQ(extreme_mark_count(), 2);
  EXPECT_EQ(take_extreme_mark().y, 6);
  EXPECT_EQ(extreme_mark_count(), 1);

  const uint32_t seed = rand_seed;
  EXPECT_TRUE(take_extreme_mark().empty());
  EXPECT_EQ(rand_seed, seed);
  EXPECT_EQ(extreme_mark_count(), 0);
}

TEST_F(Marks, ClearMarksEmptiesBothListsAndCounts) {
  dungeon.dig_step = 1;
  add_mark(20, 6, 1, 2, 9, 0, 0);
  add_failed_mark({10, 10, 1, 2, 0, 0, 1}, 0);
  count_extreme_marks();
  clear_marks();
  EXPECT_EQ(mark_count(), 0);
  EXPECT_EQ(failed_mark_count(), 0);
  EXPECT_EQ(extreme_mark_count(), 0);
  EXPECT_EQ(forced_mark_count(), 0);
}

TEST_F(Marks, FreeAheadNeedsAnInnerCellAndAnUnclaimedCellBeyond) {
  map_cells(20, 19).area_index = 3;
  struct Case {
    Mark mark;
    bool free;
  };
  const Case cases[] = {
      {{20, 21, 1, 0, 0, 0, 0}, true},
      {{20, 20, 1, 0, 0, 0, 0}, false},  // the cell beyond belongs to area 3
      {{20, 20, 3, 0, 0, 0, 0}, true},
      {{1, 20, 2, 0, 0, 0, 0}, false},   // on the map's border
      {{39, 20, 2, 0, 0, 0, 0}, true},
      {{40, 20, 4, 0, 0, 0, 0}, false},
      {{20, 20, 0, 0, 0, 0, 0}, false},  // no direction
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mark.x << "," << c.mark.y << " dir " << c.mark.dir);
    EXPECT_EQ(is_free_ahead(c.mark), c.free);
  }
}

}  // namespace
