// The expansion of the force-area list: kinds and templates copied into the
// slots their count covers, tags turned into picked templates, counts that
// roll 0, and the first forced area handed to the seed mark.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "GAME_Dice.h"
#include "GAME_Dungeon.h"
#include "GAME_Level.h"
#include "level_fixture.h"

namespace {

struct Slot {
  int slot;
  int code;
  Dice count;
};

struct ForceCase {
  std::string name;
  std::vector<AreaTemplate> templates;
  std::vector<Slot> slots;
  std::vector<std::pair<int, int>> expected;  // the non-zero slots afterwards
};

std::string slots_text() {
  std::ostringstream out;
  for (int s = 1; s <= 30; ++s)
    if (dungeon.force_area[s] != 0) out << s << ":" << dungeon.force_area[s] << " ";
  return out.str();
}

std::string slots_text(const std::vector<std::pair<int, int>>& slots) {
  std::ostringstream out;
  for (const auto& [slot, code] : slots) out << slot << ":" << code << " ";
  return out.str();
}

AreaTemplate limited(AreaTemplate tpl, int max_per_dungeon) {
  tpl.max_per_dungeon = narrow<uint16_t>(max_per_dungeon);
  return tpl;
}

TEST(ForceAreas, SetupExpandsEachSlotByItsRolledCount) {
  const Dice one = make_dice(0, 0, 1);
  const Dice two = make_dice(0, 0, 2);
  const Dice three = make_dice(0, 0, 3);
  const Dice five = make_dice(0, 0, 5);
  const Dice zero_of_three = make_dice(1, 4, -1);  // the first draw from seed 0 is 0
  const std::vector<AreaTemplate> two_templates = {make_template("sp_a"), make_template("v_b")};
  // Tag 3 is carried by templates 1 and 3 (code 9 + 3 + 3 = 15), each usable once.
  const std::vector<AreaTemplate> tagged = {limited(make_template("sp_a", {3}), 1),
                                            make_template("v_b", {5}),
                                            limited(make_template("sp_c", {3}), 1)};
  const ForceCase cases[] = {
      {"kinds", {}, {{1, 2, three}, {4, 7, two}}, {{1, 2}, {2, 2}, {3, 2}, {4, 7}, {5, 7}}},
      {"templates", two_templates, {{1, 11, two}, {3, 10, one}}, {{1, 11}, {2, 11}, {3, 10}}},
      {"a count rolling 0 clears the slots its maximum covers",
       {},
       {{1, 2, zero_of_three}, {2, 5, one}, {3, 6, one}, {4, 3, one}},
       {{4, 3}}},
      {"a count that can never reach 1 clears its own slot",
       {},
       {{1, 2, blank_dice}, {2, 4, one}},
       {{2, 4}}},
      {"a tag becomes templates carrying it", tagged, {{1, 15, two}}, {{1, 10}, {2, 12}}},
      {"a tag no template carries is dropped",
       tagged,
       {{1, 9 + 3 + 7, two}, {3, 2, one}},
       {{3, 2}}},
      {"copies stop at the last slot", {}, {{29, 2, five}}, {{29, 2}, {30, 2}}},
      {"clearing stops at the last slot", {}, {{30, 2, zero_of_three}}, {}},
  };
  for (const ForceCase& c : cases) {
    SCOPED_TRACE(c.name);
    install_level(default_level_record());
    install_templates(c.templates);
    dungeon = current_level.dungeon;
    for (const Slot& s : c.slots) {
      dungeon.force_area[s.slot] = narrow<uint16_t>(s.code);
      dungeon.force_count[s.slot] = s.count;
    }
    rand_seed = 0;
    setup_force_areas(0);
    EXPECT_EQ(slots_text(), slots_text(c.expected));
  }
}

TEST(ForceAreas, TemplatesPickedForATagCountAsUsed) {
  install_level(default_level_record());
  for (uint32_t seed : {0u, 12345u, 3000000000u}) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    install_templates({make_template("sp_a", {3}), make_template("v_b", {5}),
                       make_template("sp_c", {3})});
    dungeon = current_level.dungeon;
    dungeon.force_area[1] = 9 + 3 + 3;
    dungeon.force_count[1] = make_dice(0, 0, 3);
    // Unlimited templates: each of the three slots draws among both again.
    rand_seed = seed;
    int expected_uses_1 = 0;
    std::vector<int> expected;
    for (int s = 0; s < 3; ++s) {
      const int t = random_int(2) == 0 ? 1 : 3;
      expected_uses_1 += t == 1;
      expected.push_back(9 + t);
    }
    rand_seed = seed;
    setup_force_areas(0);
    for (int s = 1; s <= 3; ++s) EXPECT_EQ(dungeon.force_area[s], expected[s - 1]);
    EXPECT_EQ(area_templates[1].uses_in_dungeon, expected_uses_1);
    EXPECT_EQ(area_templates[3].uses_in_dungeon, 3 - expected_uses_1);
    EXPECT_EQ(area_templates[2].uses_in_dungeon, 0);
  }
}

TEST(ForceAreas, TheSeedMarkTakesTheFirstForcedArea) {
  LevelRecord level = default_level_record();
  level.fixed_start_flag = 1;
  level.dungeon.force_area[1] = 6;
  level.dungeon.force_count[1] = make_dice(0, 0, 3);
  install_level(level);
  install_templates({});
  create_dungeon(0);
  ASSERT_EQ(mark_count(), 1);
  EXPECT_EQ(pending_mark(0).force_kind, 6);
  EXPECT_EQ(forced_mark_count(), 1);
  EXPECT_EQ(slots_text(), "2:6 3:6 ");
  EXPECT_EQ(first_pending_force_area(), 2);
  // The record keeps its own list for the next attempt.
  EXPECT_EQ(current_level.dungeon.force_area[1], 6);
  EXPECT_EQ(current_level.dungeon.force_area[2], 0);
}

}  // namespace
