// The generation path's attempt loop: the acceptance threshold, a forced
// area that is struck after failing, and the level that built nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "GAME_Dice.h"
#include "GAME_Dungeon.h"
#include "GAME_Global.h"
#include "GAME_Level.h"
#include "GAME_Map.h"
#include "Generation_Commands.h"
#include "level_fixture.h"

namespace {

TEST(AcceptanceThreshold, RoundsThreeTenthsWithHalvesToEven) {
  struct Case {
    int dig_steps;
    long long threshold;
  };
  const Case cases[] = {{0, 0}, {5, 2}, {10, 3}, {15, 4}, {25, 8}, {95, 29},
                        {100, 30}, {175, 53}, {195, 59}, {255, 76}};
  for (const Case& c : cases)
    EXPECT_EQ(acceptance_threshold(c.dig_steps), c.threshold) << "dig_steps " << c.dig_steps;
}

// Captures fatal messages and keeps the error log out of the build.
class LevelBuild : public testing::Test {
 protected:
  void SetUp() override {
    const auto folder = std::filesystem::temp_directory_path() / "dungeon_level_build";
    std::filesystem::create_directories(folder);
    program_folder = folder.string() + "/";
    shutting_down = false;
    error_log.clear();
    set_message_box_handler([this](const std::string& text) { shown += text; });
    install_templates({});
  }
  void TearDown() override {
    set_message_box_handler(nullptr);
    shutting_down = false;
  }
  std::string shown;
};

TEST_F(LevelBuild, NoDigStepsIsAcceptedButBuildsNothingAndIsFatal) {
  LevelRecord level = default_level_record();
  level.dungeon.dig_steps = 0;
  install_level(level);
  rand_seed = 77;
  EXPECT_FALSE(build_level());
  EXPECT_TRUE(shutting_down);
  EXPECT_EQ(shown.rfind("Could not create level! (Level-index 3, seed ", 0), 0u) << shown;
}

TEST_F(LevelBuild, ForcedAreaThatCannotBeBuiltIsStruckLateAndTheLevelStillBuilds) {
  LevelRecord level = default_level_record();
  level.level_map_size = 40;
  level.dungeon.dig_steps = 12;
  // A vault with no templates loaded can never be built: the attempts fail
  // until attempt 900 strikes it from the record's force list.
  level.dungeon.force_area[2] = area_kind::vault;
  level.dungeon.force_count[2] = constant_dice(1);
  install_level(level);
  rand_seed = 5;
  EXPECT_TRUE(build_level());
  EXPECT_FALSE(shutting_down);
  EXPECT_EQ(current_level.dungeon.force_area[2], 0);
  EXPECT_GT(dungeon.area_counter, 1);
}

}  // namespace
