// The random-number generator, random flag picks and dice expressions.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "GAME_Dice.h"
#include "GAME_Level.h"

namespace {

// Number of generator steps that lead from one seed to another (up to limit).
int draws_between(uint32_t before, uint32_t after, int limit = 1000) {
  for (int n = 0; n <= limit; ++n) {
    if (before == after) return n;
    before = before * 134775813u + 1u;
  }
  return -1;
}

class DiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rand_seed = 0;
    current_level.level_index = 0;
  }
  void TearDown() override { current_level.level_index = 0; }

  // Rolls d from the given seed and reports how many draws the roll took.
  int32_t roll_from(uint32_t seed, const Dice& d, int* draws) {
    rand_seed = seed;
    const int32_t result = roll_dice(d);
    *draws = draws_between(seed, rand_seed);
    return result;
  }
};

// ---- Generator ------------------------------------------------------------

TEST_F(DiceTest, DrawsFromSeedZeroFollowTheLinearCongruentialSequence) {
  const int32_t expected[] = {0, 3, 86, 20, 27, 67};
  const uint32_t seeds_after[] = {1u, 134775814u};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(random_int(100), expected[i]) << "draw " << i;
    if (i < 2) {
      EXPECT_EQ(rand_seed, seeds_after[i]) << "seed after draw " << i;
    }
  }
}

TEST_F(DiceTest, DegenerateRangesReturnZeroButStillAdvance) {
  for (const int32_t n : {0, 1}) {
    rand_seed = 0xDEADBEEFu;
    const uint32_t next = 0xDEADBEEFu * 134775813u + 1u;
    EXPECT_EQ(random_int(n), 0) << "n = " << n;
    EXPECT_EQ(rand_seed, next) << "n = " << n;
  }
}

TEST_F(DiceTest, NegativeRangeIsTakenAsUnsigned) {
  rand_seed = 0x56b05733u;  // next seed 0xF0000000
  EXPECT_EQ(random_int(-1), static_cast<int32_t>(0xEFFFFFFFu));
}

TEST_F(DiceTest, PercentAndPermilleCoverOneToTheirTop) {
  bool seen_top_percent = false, seen_top_permille = false;
  for (int i = 0; i < 20000; ++i) {
    const int32_t percent = random_percent();
    const int32_t permille = random_permille();
    ASSERT_GE(percent, 1);
    ASSERT_LE(percent, 100);
    ASSERT_GE(permille, 1);
    ASSERT_LE(permille, 1000);
    seen_top_percent |= percent == 100;
    seen_top_permille |= permille == 1000;
  }
  EXPECT_TRUE(seen_top_percent);
  EXPECT_TRUE(seen_top_permille);
}

TEST_F(DiceTest, SeedIsMillisecondsSinceUtcMidnight) {
  EXPECT_EQ(seed_from_time_of_day(12, 34, 56, 789), 45296789u);
  EXPECT_EQ(seed_from_time_of_day(0, 0, 0, 0), 0u);
  EXPECT_EQ(seed_from_time_of_day(23, 59, 59, 999), 86399999u);
}

TEST_F(DiceTest, ClockSeedIgnoresTheLocalTimeZone) {
  using namespace std::chrono;
  setenv("TZ", "XST-14", 1);  // UTC+14: local and UTC days differ most
  tzset();
  const auto utc_ms = [] {
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count() % 86400000);
  };
  const uint32_t before = utc_ms();
  randomize_from_clock();
  const uint32_t after = utc_ms();
  unsetenv("TZ");
  tzset();
  if (after < before) GTEST_SKIP() << "UTC midnight passed during the test";
  EXPECT_GE(rand_seed, before);
  EXPECT_LE(rand_seed, after);
}

TEST_F(DiceTest, PickRandomFlagChoosesAmongTrueEntries) {
  struct Case {
    std::vector<bool> flags;
    uint32_t seed;
    int32_t expected;
    int draws;
  };
  const Case cases[] = {
      {{false, false, false}, 0, 0, 0},
      {{}, 0, 0, 0},
      {{false, false, true}, 0, 3, 1},
      {{false, true, false, true, true}, 0, 2, 1},           // draw 0 of 3
      {{false, true, false, true, true}, 112219955u, 4, 1},  // draw 1 of 3
      {{false, true, false, true, true}, 1454397235u, 5, 1}, // draw 2 of 3
  };
  for (const Case& c : cases) {
    bool flags[8] = {};
    for (size_t i = 0; i < c.flags.size(); ++i) flags[i] = c.flags[i];
    rand_seed = c.seed;
    EXPECT_EQ(pick_random_flag(flags, static_cast<int>(c.flags.size())), c.expected)
        << "seed " << c.seed;
    EXPECT_EQ(draws_between(c.seed, rand_seed), c.draws) << "seed " << c.seed;
  }
}

// ---- Text form --------------------------------------------------------------

struct ParseCase {
  const char* text;
  int count, sides, bonus, ability, all;
  int per_level_amount, per_level_step;
  int per_dungeon_level_amount, per_dungeon_level_step;
  int skill, skill_amount, skill_step;  // skill 0: no skill term
};

TEST_F(DiceTest, ParseDiceReadsTheContentStringForms) {
  const ParseCase cases[] = {
      // text                              cnt sid bon abl all  lvl   dlvl  skill
      {"d6",                               1,  6,  0,  0,  0,   0, 0, 0, 0, 0, 0, 0},
      {"3+2d6",                            2,  6,  3,  0,  0,   0, 0, 0, 0, 0, 0, 0},
      {"3+2d6+1",                          2,  6,  1,  0,  0,   0, 0, 0, 0, 0, 0, 0},
      {"3+d6",                             1,  6,  3,  0,  0,   0, 0, 0, 0, 0, 0, 0},
      {"2d6+3",                            2,  6,  3,  0,  0,   0, 0, 0, 0, 0, 0, 0},
      {"10d10+100",                        10, 10, 100, 0, 0,   0, 0, 0, 0, 0, 0, 0},
      {" 1 d 8 - 2 ",                      1,  8,  -2, 0,  0,   0, 0, 0, 0, 0, 0, 0},
      {"5",                                0,  0,  5,  0,  0,   0, 0, 0, 0, 0, 0, 0},
      {"-7",                               0,  0,  -7, 0,  0,   0, 0, 0, 0, 0, 0, 0},
      {"x",                                0,  0,  0,  0,  0,   0, 0, 0, 0, 0, 0, 0},
      {"xd",                               1,  1,  0,  0,  0,   0, 0, 0, 0, 0, 0, 0},
      {"D6",                               0,  0,  0,  0,  0,   0, 0, 0, 0, 0, 0, 0},
      {"all",                              0,  0,  0,  0,  1,   0, 0, 0, 0, 0, 0, 0},
      {" ALL ",                            0,  0,  0,  0,  1,   0, 0, 0, 0, 0, 0, 0},
      {"1d6+body_mod",                     1,  6,  0,  1,  0,   0, 0, 0, 0, 0, 0, 0},
      {"2d4+1-spirit_mod",                 2,  4,  1,  -4, 0,   0, 0, 0, 0, 0, 0, 0},
      {"1d6+Body_mod",                     1,  6,  0,  0,  0,   0, 0, 0, 0, 0, 0, 0},
      {"1d6-body_mod+body_mod",            1,  6,  0,  1,  0,   0, 0, 0, 0, 0, 0, 0},
      {"1d6-body_mod+mind_mod",            1,  6,  0,  -1, 0,   0, 0, 0, 0, 0, 0, 0},
      {"1d4|per_dungeon_level:1/2",        1,  4,  0,  0,  0,   0, 0, 1, 2, 0, 0, 0},
      {"1d3+1|per_level:3",                1,  3,  1,  0,  0,   3, 1, 0, 0, 0, 0, 0},
      {"1d3|per_Stealth:2/5",              1,  3,  0,  0,  0,   0, 0, 0, 0, 7, 2, 5},
      {"d2|per_disable:-1/x",              1,  2,  0,  0,  0,   0, 0, 0, 0, 1, -1, 0},
      {"1d6+mind_mod|per_melee:1/4",       1,  6,  0,  3,  0,   0, 0, 0, 0, 4, 1, 4},
      {"1d6|per_luck:1/2",                 1,  6,  0,  0,  0,   0, 0, 0, 0, 0, 0, 0},
      {"1d6|level:1/2",                    1,  6,  0,  0,  0,   0, 0, 0, 0, 0, 0, 0},
      {"1d6|per_level",                    1,  6,  0,  0,  0,   0, 0, 0, 0, 0, 0, 0},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.text);
    const Dice d = parse_dice(c.text);
    EXPECT_EQ(d.count, c.count);
    EXPECT_EQ(d.sides, c.sides);
    EXPECT_EQ(d.bonus, c.bonus);
    EXPECT_EQ(d.ability, c.ability);
    EXPECT_EQ(d.all, c.all);
    EXPECT_EQ(d.per_level_amount, c.per_level_amount);
    EXPECT_EQ(d.per_level_step, c.per_level_step);
    EXPECT_EQ(d.per_dungeon_level_amount, c.per_dungeon_level_amount);
    EXPECT_EQ(d.per_dungeon_level_step, c.per_dungeon_level_step);
    for (int k = 1; k <= 7; ++k) {
      EXPECT_EQ(d.per_skill_amount[k], k == c.skill ? c.skill_amount : 0) << "skill " << k;
      EXPECT_EQ(d.per_skill_step[k], k == c.skill ? c.skill_step : 0) << "skill " << k;
    }
    EXPECT_EQ(d.being, 0);
  }
}

TEST_F(DiceTest, ParseDiceRejectsFieldsThatDoNotFit) {
  for (const char* text : {"256d6", "-1d6", "1d256", "1d6+32768", "40000", "2+1d6-32769",
                           "1d6|per_level:40000/1", "1d6|per_dungeon_level:1/256",
                           "1d6|per_search:1/-1"}) {
    EXPECT_THROW(parse_dice(text), RangeError) << text;
  }
  EXPECT_NO_THROW(parse_dice("255d255-32768|per_level:32767/255"));
}

// ---- Rolling and bounds -----------------------------------------------------

TEST_F(DiceTest, RollsDrawOncePerDieAndStayWithinBounds) {
  struct Case {
    const char* text;
    int draws, minimum, maximum;
  };
  const Case cases[] = {
      {"2d6+3", 2, 5, 15}, {"5", 0, 5, 5}, {"d1", 1, 1, 1}, {"3+4d2", 4, 7, 11}, {"1d6-3", 1, -2, 3},
  };
  for (const Case& c : cases) {
    const Dice d = parse_dice(c.text);
    EXPECT_EQ(dice_minimum(d, 0), c.minimum) << c.text;
    EXPECT_EQ(dice_maximum(d, 0), c.maximum) << c.text;
    bool seen_min = false, seen_max = false;
    for (uint32_t seed = 0; seed < 400; ++seed) {
      int draws = 0;
      const int32_t r = roll_from(seed * 7919u, d, &draws);
      ASSERT_EQ(draws, c.draws) << c.text;
      ASSERT_GE(r, c.minimum) << c.text;
      ASSERT_LE(r, c.maximum) << c.text;
      seen_min |= r == c.minimum;
      seen_max |= r == c.maximum;
    }
    EXPECT_TRUE(seen_min && seen_max) << c.text;
  }
}

TEST_F(DiceTest, ZeroSidedDiceYieldOneEachAndStillDraw) {
  Dice d = blank_dice;
  d.count = 3;
  int draws = 0;
  EXPECT_EQ(roll_from(12345, d, &draws), 3);
  EXPECT_EQ(draws, 3);
}

TEST_F(DiceTest, DungeonLevelTermDividesBeforeMultiplying) {
  const Dice d = parse_dice("1d4|per_dungeon_level:1/2");
  const Dice triple = parse_dice("1d4|per_dungeon_level:3/2");
  Dice no_step = parse_dice("1d4");
  no_step.per_dungeon_level_amount = 5;  // step 0 disables the term
  struct Case {
    int level;
    const Dice* dice;
    int added;
  };
  const Case cases[] = {{0, &d, 0}, {1, &d, 0}, {7, &d, 3}, {255, &d, 127},
                       {7, &triple, 9}, {7, &no_step, 0}};
  for (const Case& c : cases) {
    current_level.level_index = 0;
    int base_draws = 0, draws = 0;
    const int32_t base = roll_from(99, *c.dice, &base_draws);
    current_level.level_index = static_cast<uint8_t>(c.level);
    EXPECT_EQ(roll_from(99, *c.dice, &draws), base + c.added) << "level " << c.level;
    EXPECT_EQ(draws, base_draws);
    EXPECT_EQ(dice_minimum(*c.dice, 0), 1 + c.added) << "level " << c.level;
    EXPECT_EQ(dice_maximum(*c.dice, 0), 4 + c.added) << "level " << c.level;
  }
}

TEST_F(DiceTest, BeingTermsAreZeroWithoutBeings) {
  const Dice d = parse_dice("2d6+body_mod|per_level:3/2");
  for (const int being : {0, 1, 65535}) {
    EXPECT_EQ(dice_minimum(d, being), 2) << being;
    EXPECT_EQ(dice_maximum(d, being), 12) << being;
  }
  Dice with_being = d;
  with_being.being = 4;
  int draws = 0, base_draws = 0;
  EXPECT_EQ(roll_from(5, with_being, &draws), roll_from(5, d, &base_draws));
  EXPECT_EQ(draws, base_draws);
  for (const int being : {65536, -1}) {
    EXPECT_THROW(dice_minimum(d, being), RangeError) << being;
    EXPECT_THROW(dice_maximum(d, being), RangeError) << being;
  }
}

TEST_F(DiceTest, RollAtLeastRerollsUntilTheFloor) {
  const Dice d6 = parse_dice("1d6");
  for (uint32_t seed = 0; seed < 200; ++seed) {
    rand_seed = seed;
    ASSERT_GE(roll_dice_at_least(d6, 5), 5) << seed;
  }
  // A floor of 0 or less, or at or above the maximum, accepts the first roll.
  for (const int floor : {-3, 0, 6, 50}) {
    int draws = 0;
    const int32_t first = roll_from(42, d6, &draws);
    rand_seed = 42;
    EXPECT_EQ(roll_dice_at_least(d6, floor), first) << floor;
    EXPECT_EQ(draws_between(42, rand_seed), 1) << floor;
  }
  // A floor above the maximum falls to 0: rolls below 0 are rerolled.
  const Dice low = parse_dice("1d6-3");
  for (uint32_t seed = 0; seed < 200; ++seed) {
    rand_seed = seed;
    ASSERT_GE(roll_dice_at_least(low, 10), 0) << seed;
  }
  // Dice that can only roll below 0 cannot reach that floor: the first roll
  // stands, whatever it shows.
  rand_seed = 7;
  EXPECT_EQ(roll_dice_at_least(constant_dice(-5), 3), -5);
  EXPECT_EQ(draws_between(7, rand_seed), 0);
  const Dice negative = parse_dice("1d4-10");
  for (const int floor : {-20, -6, 0, 3}) {
    for (uint32_t seed = 0; seed < 50; ++seed) {
      int draws = 0;
      const int32_t first = roll_from(seed, negative, &draws);
      rand_seed = seed;
      ASSERT_EQ(roll_dice_at_least(negative, floor), first) << "floor " << floor << " seed " << seed;
      ASSERT_EQ(draws_between(seed, rand_seed), 1) << "floor " << floor << " seed " << seed;
    }
  }
  // A reachable floor still rerolls, even for dice that roll only below 0.
  for (uint32_t seed = 0; seed < 50; ++seed) {
    rand_seed = seed;
    ASSERT_GE(roll_dice_at_least(negative, -7), -7) << seed;
  }
}

TEST_F(DiceTest, ConstantDiceHoldsOnlyTheBonus) {
  const Dice d = constant_dice(-32768);
  EXPECT_EQ(d.bonus, -32768);
  EXPECT_EQ(roll_dice(d), -32768);
  EXPECT_EQ(rand_seed, 0u);
  EXPECT_THROW(constant_dice(32768), RangeError);
  EXPECT_THROW(constant_dice(-32769), RangeError);
}

TEST_F(DiceTest, DiceIsSetLooksAtEveryMeaningfulField) {
  struct Case {
    const char* what;
    void (*change)(Dice&);
    bool set;
  };
  const Case cases[] = {
      {"blank", [](Dice&) {}, false},
      {"being only", [](Dice& d) { d.being = 3; }, false},
      {"negative level amount", [](Dice& d) { d.per_level_amount = -1; }, false},
      {"level step only", [](Dice& d) { d.per_level_step = 2; }, false},
      {"negative dungeon amount", [](Dice& d) { d.per_dungeon_level_amount = -1; }, false},
      {"negative skill amount", [](Dice& d) { d.per_skill_amount[3] = -2; }, false},
      {"count", [](Dice& d) { d.count = 1; }, true},
      {"sides", [](Dice& d) { d.sides = 1; }, true},
      {"bonus", [](Dice& d) { d.bonus = -1; }, true},
      {"all", [](Dice& d) { d.all = 1; }, true},
      {"ability", [](Dice& d) { d.ability = -2; }, true},
      {"level amount", [](Dice& d) { d.per_level_amount = 1; }, true},
      {"dungeon amount", [](Dice& d) { d.per_dungeon_level_amount = 1; }, true},
      {"dungeon step", [](Dice& d) { d.per_dungeon_level_step = 1; }, true},
      {"skill amount", [](Dice& d) { d.per_skill_amount[7] = 1; }, true},
  };
  for (const Case& c : cases) {
    Dice d = blank_dice;
    c.change(d);
    EXPECT_EQ(dice_is_set(d), c.set) << c.what;
  }
}

}  // namespace
