// The trace name table, the call trace convention and the error log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "GAME_Global.h"

namespace {

// ---- Trace names --------------------------------------------------------

std::string lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

struct FixedName {
  int id;
  uint16_t constant;
  const char* name;
};
#define TRACED(id, unit, routine) {id, trace_id::routine, unit ", " #routine}
const FixedName fixed_names[] = {
    TRACED(74, "GAME_Avatar", setup_avatars),
    TRACED(170, "GAME_Dungeon", connect_areas),
    TRACED(171, "GAME_Dungeon", connect_areas_through_walls),
    TRACED(172, "GAME_Dungeon", connect_areas_with_corridors),
    TRACED(173, "GAME_Dungeon", continue_corridor),
    TRACED(174, "GAME_Dungeon", continue_hallway),
    TRACED(175, "GAME_Dungeon", continue_vault_deadend),
    TRACED(176, "GAME_Dungeon", create_circular),
    TRACED(177, "GAME_Dungeon", create_corridor),
    TRACED(178, "GAME_Dungeon", create_doorway),
    TRACED(179, "GAME_Dungeon", create_dungeon),
    TRACED(180, "GAME_Dungeon", create_ellipse),
    TRACED(181, "GAME_Dungeon", create_natural),
    TRACED(182, "GAME_Dungeon", create_polygon),
    TRACED(183, "GAME_Dungeon", create_room),
    TRACED(184, "GAME_Dungeon", create_special),
    TRACED(185, "GAME_Dungeon", create_terminating_area),
    TRACED(186, "GAME_Dungeon", deadend_to_floor),
    TRACED(187, "GAME_Dungeon", dig_dungeon),
    TRACED(188, "GAME_Dungeon", doors_to_secret_doors),
    TRACED(189, "GAME_Dungeon", finalize_dungeon),
    TRACED(190, "GAME_Dungeon", fix_naturals),
    TRACED(191, "GAME_Dungeon", mark_to_doorway),
    TRACED(192, "GAME_Dungeon", merge_rooms),
    TRACED(193, "GAME_Dungeon", scan_corridor_space),
    TRACED(194, "GAME_Dungeon", secret_doors_to_orphan_corridors),
    TRACED(195, "GAME_Dungeon", setup_force_areas),
    TRACED(196, "GAME_Dungeon", terminate_deadends),
    TRACED(197, "GAME_Dungeon", terminate_hallways),
    TRACED(198, "GAME_Dungeon", trim_areas),
    TRACED(199, "GAME_Dungeon", widen_doorway),
    TRACED(281, "GAME_Level", add_content_light),
    TRACED(282, "GAME_Level", add_content_stuff),
    TRACED(283, "GAME_Level", add_forced_contents),
    TRACED(284, "GAME_Level", add_level_stuff),
    TRACED(285, "GAME_Level", add_portal),
    TRACED(286, "GAME_Level", add_stuff),
    TRACED(287, "GAME_Level", add_to_areas),
    TRACED(288, "GAME_Level", arrive_at_level),
    TRACED(289, "GAME_Level", calculate_area_exits),
    TRACED(290, "GAME_Level", convert_area_furniture),
    TRACED(291, "GAME_Level", create_level),
    TRACED(292, "GAME_Level", dim_area_lighhts),
    TRACED(293, "GAME_Level", doors_to_mimics),
    TRACED(294, "GAME_Level", find_area_for_content),
    TRACED(295, "GAME_Level", find_cell_zone_exits),
    TRACED(296, "GAME_Level", find_door_for_trap),
    TRACED(297, "GAME_Level", find_location),
    TRACED(298, "GAME_Level", find_location_spot),
    TRACED(299, "GAME_Level", find_nearest_portal),
    TRACED(300, "GAME_Level", force_transfer_beings),
    TRACED(301, "GAME_Level", get_destination_portal),
    TRACED(302, "GAME_Level", get_first_portal),
    TRACED(303, "GAME_Level", get_portal),
    TRACED(304, "GAME_Level", lock_area_furniture),
    TRACED(305, "GAME_Level", place_recruitable_being),
    TRACED(306, "GAME_Level", place_transfer_being),
    TRACED(307, "GAME_Level", restock_shops),
    TRACED(308, "GAME_Level", restore_recruitable_beings),
    TRACED(309, "GAME_Level", restore_transfer_beings),
    TRACED(310, "GAME_Level", set_level_themes),
    TRACED(311, "GAME_Level", set_portals),
    TRACED(312, "GAME_Level", set_stair_protectors),
    TRACED(313, "GAME_Level", setup_level),
    TRACED(314, "GAME_Level", spawn_beings),
    TRACED(315, "GAME_Level", store_recruitable_beings),
    TRACED(316, "GAME_Level", store_transfer_beings),
    TRACED(317, "GAME_Level", update_area_door_state),
    TRACED(318, "GAME_Level", update_level),
    TRACED(349, "GAME_Map", add_failed_mark),
    TRACED(350, "GAME_Map", add_furniture),
    TRACED(351, "GAME_Map", add_mark),
    TRACED(352, "GAME_Map", add_marks_to_line),
    TRACED(353, "GAME_Map", create_secret_door),
    TRACED(354, "GAME_Map", find_free_floor_for_being),
    TRACED(355, "GAME_Map", find_free_floor_for_being_weighted_to_direction),
    TRACED(356, "GAME_Map", get_area),
    TRACED(357, "GAME_Map", get_area_index),
    TRACED(358, "GAME_Map", get_block_base),
    TRACED(359, "GAME_Map", get_furniture),
    TRACED(360, "GAME_Map", get_unexplored_location),
    TRACED(361, "GAME_Map", is_closed_container),
    TRACED(362, "GAME_Map", is_door),
    TRACED(363, "GAME_Map", is_doorway),
    TRACED(364, "GAME_Map", is_floor),
    TRACED(365, "GAME_Map", is_free_floor),
    TRACED(366, "GAME_Map", is_free_wall),
    TRACED(367, "GAME_Map", is_furniture),
    TRACED(368, "GAME_Map", is_furniture_container),
    TRACED(369, "GAME_Map", is_impenetrable_wall),
    TRACED(370, "GAME_Map", is_light),
    TRACED(371, "GAME_Map", is_near),
    TRACED(372, "GAME_Map", is_near_doorway),
    TRACED(373, "GAME_Map", is_on_xy),
    TRACED(374, "GAME_Map", is_secret_door),
    TRACED(375, "GAME_Map", is_wall),
    TRACED(376, "GAME_Map", on_explored_map),
    TRACED(377, "GAME_Map", on_map),
    TRACED(378, "GAME_Map", place_area),
    TRACED(379, "GAME_Map", remove_furniture),
    TRACED(380, "GAME_Map", reveal_secret_door),
    TRACED(381, "GAME_Map", set_block),
    TRACED(382, "GAME_Map", smear_splashes),
    TRACED(383, "GAME_Map", update_furniture_state),
};
#undef TRACED

TEST(TraceNames, GivenRoutinesSitAtTheirFixedIds) {
  for (const FixedName& f : fixed_names) {
    EXPECT_EQ(f.constant, f.id) << f.name;
    EXPECT_STREQ(trace_name(f.id), f.name);
  }
  // The three generator units hold exactly these blocks of ids.
  struct Block {
    const char* unit;
    int first, last;
  };
  for (const Block& b : {Block{"GAME_Dungeon, ", 170, 199}, Block{"GAME_Level, ", 281, 318},
                         Block{"GAME_Map, ", 349, 383}}) {
    EXPECT_FALSE(std::string(trace_name(b.first - 1)).starts_with(b.unit)) << b.unit;
    EXPECT_FALSE(std::string(trace_name(b.last + 1)).starts_with(b.unit)) << b.unit;
  }
}

TEST(TraceNames, TableIsUnitCommaRoutineInAlphabeticalOrder) {
  const std::vector<std::string> units = {
      "GAME_Action", "GAME_AI",     "GAME_Avatar",  "GAME_Being",   "GAME_Character",
      "GAME_Combat", "GAME_Command", "GAME_Debug",  "GAME_Dialog",  "GAME_Dungeon",
      "GAME_Effect", "GAME_Emotion", "GAME_File",   "GAME_Item",    "GAME_Level",
      "GAME_Lister", "GAME_Main",   "GAME_Map",     "GAME_Menu",    "GAME_Path",
      "GAME_Sight",  "GAME_Sound",  "GAME_Special", "GAME_Talent",  "GAME_Target",
      "GAME_Text"};
  EXPECT_STREQ(trace_name(0), "-");
  for (int id = 1; id < trace_name_count; ++id) {
    const std::string name = trace_name(id);
    const size_t comma = name.find(", ");
    ASSERT_NE(comma, std::string::npos) << id << " " << name;
    EXPECT_NE(std::find(units.begin(), units.end(), name.substr(0, comma)), units.end())
        << id << " " << name;
    const std::string routine = name.substr(comma + 2);
    EXPECT_FALSE(routine.empty()) << id;
    EXPECT_EQ(routine.find_first_not_of("abcdefghijklmnopqrstuvwxyz_"), std::string::npos)
        << id << " " << name;
    if (id > 1) {
      EXPECT_LT(lower(trace_name(id - 1)), lower(name)) << "at id " << id;
    }
  }
}

TEST(TraceNames, LookupOutsideTheTableIsARangeError) {
  EXPECT_THROW(trace_name(trace_name_count), RangeError);
  EXPECT_THROW(trace_name(-1), RangeError);
}

// ---- Trace convention ---------------------------------------------------------

TEST(TraceEnter, StoresIntoTheNextSlotWhileSlotsRemain) {
  struct Case {
    int depth;
    int returned;
    int stored_slot;  // 0: nothing stored
  };
  const Case cases[] = {{-1, -1, 0}, {0, 0, 0}, {1, 2, 2}, {50, 51, 51},
                        {99, 100, 100}, {100, 101, 0}, {150, 151, 0}};
  for (const Case& c : cases) {
    engine_state.trace_stack.fill(0);
    EXPECT_EQ(trace_enter(c.depth, trace_id::on_map), c.returned) << "depth " << c.depth;
    for (int slot = 1; slot <= trace_slot_count; ++slot)
      EXPECT_EQ(engine_state.trace_stack[slot], slot == c.stored_slot ? trace_id::on_map : 0)
          << "depth " << c.depth << " slot " << slot;
  }
  engine_state.trace_stack.fill(0);
}

// ---- Error log ------------------------------------------------------------------

class ErrorLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/error_log_test_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    program_folder = folder_ + "/";
    error_log.clear();
    shutting_down = false;
    error_flag = false;
    engine_state.trace_stack.fill(0);
    set_local_clock([] { return LocalDateTime{2024, 3, 7, 9, 5, 42, 123}; });
    set_message_box_handler([this](const std::string& text) { shown_.push_back(text); });
  }
  void TearDown() override {
    set_local_clock({});
    set_message_box_handler({});
    error_log.clear();
    shutting_down = false;
    error_flag = false;
    engine_state.trace_stack.fill(0);
    program_folder.clear();
    std::filesystem::remove_all(folder_);
  }

  std::string log_file() const {
    std::ifstream file(program_folder + "Error-log.txt", std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }
  bool log_exists() const { return std::filesystem::exists(program_folder + "Error-log.txt"); }

  std::string folder_;
  std::vector<std::string> shown_;
};

TEST_F(ErrorLogTest, EntryListsReleaseTimeMessageAndTrace) {
  engine_state.trace_stack[2] = trace_id::setup_level;
  engine_state.trace_stack[3] = trace_id::create_level;
  report_error(3, "Could not create level! (Level-index 4, seed 77)", false);
  EXPECT_EQ(log_file(),
            "\r\n"
            "  Release 52     2024-03-07 09:05     Could not create level! (Level-index 4, seed 77)\r\n"
            "\r\n"
            "  - ->\r\n"
            "  GAME_Level, setup_level ->\r\n"
            "  GAME_Level, create_level\r\n"
            "\r\n"
            "\r\n");
}

TEST_F(ErrorLogTest, DepthOneShowsTheEmptySlotWithoutArrow) {
  report_error(1, "m", false);
  EXPECT_EQ(log_file(), "\r\n  Release 52     2024-03-07 09:05     m\r\n\r\n  -\r\n\r\n\r\n");
}

TEST_F(ErrorLogTest, NewEntriesGoAboveOlderOnes) {
  error_log = {"old line 1", "old line 2"};  // as loaded at start-up
  report_error(1, "first", false);
  set_local_clock([] { return LocalDateTime{2025, 12, 31, 23, 59, 0, 0}; });
  report_error(2, "second", false);
  EXPECT_EQ(log_file(),
            "\r\n  Release 52     2025-12-31 23:59     second\r\n\r\n  - ->\r\n  -\r\n\r\n\r\n"
            "\r\n  Release 52     2024-03-07 09:05     first\r\n\r\n  -\r\n\r\n\r\n"
            "old line 1\r\nold line 2\r\n");
  EXPECT_EQ(error_log.size(), 2u + 6u + 7u);
}

TEST_F(ErrorLogTest, DeepReportListsOnlyTheExistingSlots) {
  engine_state.trace_stack.fill(trace_id::on_map);
  report_error(130, "deep", false);
  ASSERT_EQ(error_log.size(), 3u + 100u + 2u);
  EXPECT_EQ(error_log[3], "  GAME_Map, on_map ->");
  EXPECT_EQ(error_log[101], "  GAME_Map, on_map ->");
  EXPECT_EQ(error_log[102], "  GAME_Map, on_map");
  EXPECT_EQ(error_log[103], "");
}

TEST_F(ErrorLogTest, SlotBeyondTheNameTableIsARangeErrorBeforeAnythingIsWritten) {
  engine_state.trace_stack[2] = trace_name_count;
  EXPECT_THROW(report_error(2, "bad slot", true), RangeError);
  EXPECT_TRUE(error_log.empty());
  EXPECT_FALSE(log_exists());
  EXPECT_TRUE(shown_.empty());
  EXPECT_FALSE(shutting_down);
}

TEST_F(ErrorLogTest, DepthZeroDoesNothingEvenWhenFatal) {
  error_flag = true;
  report_error(0, "silent", true);
  EXPECT_FALSE(log_exists());
  EXPECT_TRUE(error_log.empty());
  EXPECT_TRUE(shown_.empty());
  EXPECT_FALSE(shutting_down);
  EXPECT_TRUE(error_flag);
}

TEST_F(ErrorLogTest, OnlyTheFirstFatalReportShowsAMessage) {
  struct Case {
    const char* what;
    bool fatal, already_shutting_down, crashed;
    std::vector<std::string> shown;
  };
  const std::string crash = "\r\n\r\nTrying to save the game and create a crash report.";
  const std::string bye = "\r\n\r\nShutting down!";
  const Case cases[] = {
      {"non-fatal", false, false, false, {}},
      {"fatal", true, false, false, {"msg" + bye}},
      {"second fatal", true, true, false, {}},
      {"fatal after a broken invariant", true, false, true, {"msg" + crash + bye}},
      {"non-fatal after a broken invariant", false, false, true, {}},
  };
  for (const Case& c : cases) {
    shown_.clear();
    error_log.clear();
    shutting_down = c.already_shutting_down;
    error_flag = c.crashed;
    report_error(1, "msg", c.fatal);
    EXPECT_EQ(shown_, c.shown) << c.what;
    EXPECT_EQ(shutting_down, c.fatal || c.already_shutting_down) << c.what;
    EXPECT_FALSE(error_flag) << c.what;
    EXPECT_EQ(error_log.size(), 6u) << c.what;
    EXPECT_NE(log_file().find("     msg\r\n"), std::string::npos) << c.what;
  }
}

TEST_F(ErrorLogTest, FailedSaveThrowsBeforeTheUserIsTold) {
  program_folder = folder_ + "/missing/";
  error_flag = true;
  EXPECT_THROW(report_error(1, "lost", true), std::runtime_error);
  EXPECT_TRUE(shown_.empty());
  EXPECT_FALSE(shutting_down);
  EXPECT_TRUE(error_flag);
}

TEST(MessageBox, WithoutHandlerTheTextGoesToStandardError) {
  set_message_box_handler({});
  testing::internal::CaptureStderr();
  show_message_box("Shutting down!");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Shutting down!\n");
}

TEST(FormatText, FillsPatternsOfAnyLength) {
  EXPECT_EQ(format_text("Coordinates (%3.3d,%3.3d) are outside of the map!", 7, 130),
            "Coordinates (007,130) are outside of the map!");
  const std::string long_text(5000, 'x');
  EXPECT_EQ(format_text("<%s>", long_text.c_str()), "<" + long_text + ">");
  EXPECT_EQ(format_text("%s", ""), "");
}

}  // namespace
