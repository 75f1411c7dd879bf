// Engine start-up and shutdown with their housekeeping in a temporary
// program folder, and the start-up of the real data files as the window
// runs it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "GAME_Dungeon.h"
#include "GAME_File.h"
#include "GAME_Global.h"
#include "GAME_Graphics.h"
#include "GAME_Level.h"
#include "GAME_Map.h"
#include "GAME_Reset.h"

namespace fs = std::filesystem;

namespace {

std::string read_text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_text(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << text;
}

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() /
             ("gamedata_startup_" + std::to_string(getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder / "Data");
    setenv("DUNGEON_PROGRAM_FOLDER", folder.c_str(), 1);
    set_local_clock([] { return LocalDateTime{2024, 3, 1, 12, 0, 0, 0}; });
    set_message_box_handler([this](const std::string& text) { messages.push_back(text); });
    shutting_down = false;
  }
  void TearDown() override {
    release_engine();
    release_graphics();
    unsetenv("DUNGEON_PROGRAM_FOLDER");
    set_local_clock(nullptr);
    set_message_box_handler(nullptr);
    shutting_down = false;
    error_log.clear();
    fs::remove_all(folder);
  }
  fs::path folder;
  std::vector<std::string> messages;
};

}  // namespace

TEST_F(StartupTest, StartTakesTheFolderOverrideAndSetsDefaults) {
  engine_settings.tile_size = 64;
  start_engine();
  EXPECT_EQ(program_folder, folder.string() + "/");
  EXPECT_EQ(key_text.size(), 32u);
  EXPECT_EQ(engine_settings.tileset_name, "Kavrel");
  EXPECT_EQ(engine_settings.tile_size, 32);
  EXPECT_EQ(engine_settings.tile_size_2, 32);
  EXPECT_EQ(engine_settings.saved_monitor, 0);
  EXPECT_EQ(engine_settings.monitor_to_save, 0);
  EXPECT_TRUE(engine_settings.block_colors);
  EXPECT_TRUE(error_log.empty());
  EXPECT_EQ(mark_count(), 0);
}

TEST_F(StartupTest, WithoutOverrideTheProgramFolderIsTheExecutablesFolder) {
  unsetenv("DUNGEON_PROGRAM_FOLDER");
  start_engine();
  EXPECT_EQ(program_folder, fs::read_symlink("/proc/self/exe").parent_path().string() + "/");
}

TEST_F(StartupTest, StartDeletesUpdaterLeftoversAndOnlyKzzSaves) {
  for (const char* name : {"Get_Release.bat", "Update.bat", "Kavrel.zip"}) write_text(folder / name, "x");
  write_text(folder / "Save" / "level_3.kzz", "x");
  write_text(folder / "Save" / "Avatars.kav", "x");
  write_text(folder / "Save" / "notes.kzz.txt", "x");
  fs::create_directories(folder / "Save" / "old.kzz");
  write_text(folder / "Keep.kzz", "x");

  start_engine();
  for (const char* name : {"Get_Release.bat", "Update.bat", "Kavrel.zip"})
    EXPECT_FALSE(fs::exists(folder / name)) << name;
  EXPECT_FALSE(fs::exists(folder / "Save" / "level_3.kzz"));
  EXPECT_TRUE(fs::exists(folder / "Save" / "Avatars.kav"));
  EXPECT_TRUE(fs::exists(folder / "Save" / "notes.kzz.txt"));
  EXPECT_TRUE(fs::is_directory(folder / "Save" / "old.kzz"));
  EXPECT_TRUE(fs::exists(folder / "Keep.kzz"));  // only the "Save" folder is cleaned
}

TEST_F(StartupTest, LoadedErrorLogKeepsOldEntriesBelowANewReport) {
  const std::string old_log =
      "\r\n  Release 52     2024-02-01 10:00     Second failure\r\n\r\n  -\r\n\r\n\r\n"
      "\r\n  Release 52     2024-01-01 09:00     First failure\r\n\r\n  -\r\n\r\n\r\n";
  write_text(folder / "Error-log.txt", old_log);
  start_engine();
  EXPECT_EQ(error_log.size(), 12u);
  EXPECT_EQ(error_log[1], "  Release 52     2024-02-01 10:00     Second failure");

  engine_state.trace_stack[1] = 0;
  report_error(1, "Third failure", false);
  const std::string log = read_text(folder / "Error-log.txt");
  EXPECT_EQ(log.substr(0, log.size() - old_log.size()),
            "\r\n  Release 52     2024-03-01 12:00     Third failure\r\n\r\n  -\r\n\r\n\r\n");
  EXPECT_EQ(log.substr(log.size() - old_log.size()), old_log);
}

TEST_F(StartupTest, ShutdownEmptiesTemporaryAndWritesTheStatistics) {
  start_engine();
  write_text(folder / "Temporary" / "level_1.tmp", "x");
  write_text(folder / "Temporary" / "locked.tmp", "x");
  fs::permissions(folder / "Temporary" / "locked.tmp", fs::perms::owner_read);
  write_text(folder / "Temporary" / "sub" / "inner.tmp", "x");
  write_text(folder / "Update.bat", "x");

  shut_down_engine(false);
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(folder / "Temporary"))
    left.push_back(entry.path().filename().string());
  EXPECT_EQ(left, std::vector<std::string>{"sub"});  // sub-folders are not removed
  EXPECT_TRUE(fs::exists(folder / "Temporary" / "sub" / "inner.tmp"));
  EXPECT_FALSE(fs::exists(folder / "Update.bat"));

  const std::string statistics = read_text(folder / "Data" / "Kavrel.kst");
  ASSERT_EQ(statistics.size(), 64u);
  VersionHeader header;
  std::memcpy(&header, statistics.data(), sizeof header);
  EXPECT_EQ(header.version, 52);
  EXPECT_EQ(header.block_length, 56);
  double closed_at = 0;
  std::memcpy(&closed_at, statistics.data() + 8, sizeof closed_at);
  EXPECT_EQ(closed_at, 45352.5);  // 2024-03-01 12:00 as days since 1899-12-30
  EXPECT_EQ(statistics.substr(16), std::string(48, '\0'));
  EXPECT_FALSE(fs::exists(folder / "Data" / "Settings.txt"));  // the monitor did not change
}

TEST_F(StartupTest, SettingsAreWrittenOnceWhenTheWindowMovedToAnotherMonitor) {
  start_engine();
  engine_settings.window_monitor = 1;
  shut_down_engine(false);
  const std::string settings = read_text(folder / "Data" / "Settings.txt");
  EXPECT_EQ(settings.substr(0, settings.find("\r\n")), "monitor.................. 1");
  EXPECT_NE(settings.find("\r\ntile_size................ 32\r\n"), std::string::npos);
  EXPECT_EQ(engine_settings.saved_monitor, 1);

  fs::remove(folder / "Data" / "Settings.txt");
  shut_down_engine(false);  // same monitor as the last save: not written again
  EXPECT_FALSE(fs::exists(folder / "Data" / "Settings.txt"));
}

TEST_F(StartupTest, ShutdownTwiceReleasesOnce) {
  start_engine();
  level_table.resize_to(3);
  area_templates.resize_to(2);
  furniture_tiles.resize_to(65);
  areas.resize_to(99);
  shut_down_engine(false);
  EXPECT_TRUE(level_table.empty());
  EXPECT_TRUE(area_templates.empty());
  EXPECT_TRUE(furniture_tiles.empty());
  EXPECT_TRUE(areas.empty());
  EXPECT_NO_THROW(shut_down_engine(false));
  EXPECT_NO_THROW(release_engine());
}

TEST_F(StartupTest, FailedStatisticsWriteStopsTheShutdown) {
  start_engine();
  fs::remove_all(folder / "Data");
  level_table.resize_to(3);
  EXPECT_ANY_THROW(shut_down_engine(false));
  EXPECT_EQ(level_table.highest(), 3);  // the release steps were not reached
}

TEST_F(StartupTest, TerminatingShutdownEndsTheProcess) {
  start_engine();
  EXPECT_EXIT(shut_down_engine(true), ::testing::ExitedWithCode(0), "");
}

// The window's start-up sequence on the data files the build produces.
TEST_F(StartupTest, TheBuiltDataFilesLoadAsTheWindowLoadsThem) {
  setenv("DUNGEON_PROGRAM_FOLDER", TEST_PROGRAM_FOLDER, 1);
  release_engine();
  start_engine();
  create_graphics();
  data_name = "Kavrel";
  ASSERT_TRUE(load_game_data()) << (messages.empty() ? "" : messages[0]);
  ASSERT_TRUE(load_tile_catalogue()) << (messages.empty() ? "" : messages[0]);
  EXPECT_TRUE(messages.empty());
  EXPECT_FALSE(shutting_down);

  ASSERT_EQ(level_table.highest(), 12);
  for (int level = 1; level <= 12; ++level) {
    SCOPED_TRACE(level);
    EXPECT_GE(level_table[level].level_map_size, 1);
    EXPECT_LE(level_table[level].level_map_size, 128);
  }
  for (int level : {3, 4, 6, 8}) EXPECT_EQ(level_table[level].level_map_size, 128) << level;

  int specials = 0, vaults = 0, caps = 0;
  for (int t = 1; t <= template_count(); ++t) {
    const AreaTemplate& area_template = area_templates[t];
    if (area_template.tags[tag::cg_all] != 0)
      ++caps;
    else if (area_template.name.str().starts_with("sp_"))
      ++specials;
    else
      ++vaults;
  }
  EXPECT_GE(specials, 12);
  EXPECT_GE(vaults, 8);
  EXPECT_GE(caps, 4);
  EXPECT_GE(furniture_variant_count(12), 2);  // chests come in several variants
  EXPECT_GE(portals.highest(), 1);
  EXPECT_FALSE(text_tags.empty());

  // The shell's first generation step on a generated level.
  current_level = level_table[4];
  map_size = 1;
  EXPECT_TRUE(prepare_generation());
  EXPECT_EQ(map_size, 128);
  EXPECT_EQ(engine_state.destination_level, level_table[4].level_index);
}
