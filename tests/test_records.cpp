// File-format records keep their sizes (checked at compile time in the
// headers) and every engine table index is range-checked.
#include <gtest/gtest.h>

#include "GAME_Dungeon.h"
#include "GAME_Global.h"
#include "GAME_Graphics.h"
#include "GAME_Level.h"
#include "GAME_Map.h"

TEST(RangeCheck, OutOfBoundsIndexThrowsRangeCheckError) {
  CheckedArray<int, 1, 9> kinds{};
  EXPECT_NO_THROW(kinds[1] = 1);
  EXPECT_NO_THROW(kinds[9] = 9);
  try {
    kinds[10] = 0;
    FAIL() << "no exception";
  } catch (const RangeError& e) {
    EXPECT_STREQ(e.what(), "Range check error");
  }
  EXPECT_THROW(kinds[0], RangeError);
}

TEST(RangeCheck, NarrowingThatDoesNotFitThrows) {
  EXPECT_EQ(narrow<uint8_t>(255), 255);
  EXPECT_THROW(narrow<uint8_t>(256), RangeError);
  EXPECT_THROW(narrow<uint8_t>(-1), RangeError);
  EXPECT_THROW(narrow<int16_t>(40000), RangeError);
}

TEST(RangeCheck, GridIsOneBasedAndXMajor) {
  static CheckedGrid<uint8_t, 128> grid;
  grid.clear();
  grid(1, 2) = 7;
  EXPECT_EQ(grid.cells[0][1], 7);
  EXPECT_THROW(grid(0, 1), RangeError);
  EXPECT_THROW(grid(1, 129), RangeError);
}

TEST(RangeCheck, TableIndexBeyondHighestThrows) {
  CheckedTable<int> table;
  table.resize_to(3);
  EXPECT_EQ(table.highest(), 3);
  EXPECT_EQ(table[3], 0);
  EXPECT_THROW(table[4], RangeError);
}
