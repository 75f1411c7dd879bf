// The generation state reset: what prepare_generation empties, records and
// draws, the run-time fields of the loaded tables, the text decks and the
// naming of being plans.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "GAME_Dice.h"
#include "GAME_Dungeon.h"
#include "GAME_File.h"
#include "GAME_Global.h"
#include "GAME_Level.h"
#include "GAME_Map.h"
#include "GAME_Reset.h"

namespace fs = std::filesystem;

namespace {

// Installs a text store: each section is a name and its lines; the section
// names come last, as the data file stores them.
void install_text_sections(const std::vector<std::pair<std::string, std::vector<std::string>>>& sections) {
  text_store.clear();
  text_directory.clear();
  text_directory.push_back(TextSection{});
  std::vector<std::string> names = {"-"};
  for (const auto& [name, lines] : sections) {
    text_directory.push_back({text_store.highest() + 1, static_cast<int32_t>(lines.size()), 0, 0});
    for (const std::string& line : lines) text_store.push_back(line);
    names.push_back(name);
  }
  names.push_back("section_names");
  text_directory.push_back({text_store.highest() + 1, static_cast<int32_t>(names.size()), 0, 0});
  for (const std::string& name : names) text_store.push_back(name);
  build_text_sections();
  reset_text_decks();
}

// The number of random_int calls that take the generator from `from` to rand_seed (up to limit).
int draws_since(uint32_t from, int limit = 100000) {
  const uint32_t now = rand_seed;
  rand_seed = from;
  for (int n = 0; n <= limit; ++n) {
    if (rand_seed == now) return n;
    random_int(2);
  }
  rand_seed = now;
  return -1;
}

class ResetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() /
             ("gamedata_reset_" + std::to_string(getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
    program_folder = folder.string() + "/";
    set_message_box_handler([this](const std::string& text) { messages.push_back(text); });
    shutting_down = false;
    release_game_data();
    release_text_decks();
    install_text_sections({});
  }
  void TearDown() override {
    release_game_data();
    release_text_decks();
    set_message_box_handler(nullptr);
    shutting_down = false;
    fs::remove_all(folder);
  }
  void write_party(std::vector<uint8_t> decoded) const {
    MemoryStream stream{std::move(decoded), 0};
    pack_container(stream);
    fs::create_directories(folder / "Save");
    std::ofstream out(folder / "Save" / "Avatars.kav", std::ios::binary);
    out.write(reinterpret_cast<const char*>(stream.bytes.data()), static_cast<std::streamsize>(stream.bytes.size()));
  }
  static std::vector<uint8_t> party_header(int16_t version, int32_t length) {
    VersionHeader header{version, {0, 0}, length};
    std::vector<uint8_t> bytes(sizeof header);
    std::memcpy(bytes.data(), &header, sizeof header);
    return bytes;
  }
  fs::path folder;
  std::vector<std::string> messages;
};

}  // namespace

// ---- prepare_generation -----------------------------------------------------

TEST_F(ResetTest, PrepareGenerationStartsFromACleanEngine) {
  areas.resize_to(99);
  std::memset(static_cast<void*>(&engine_state), 0x5A, sizeof engine_state);
  map_size = 128;
  current_level.level_map_size = 77;
  current_level.level_index = 6;
  shutting_down = true;
  error_flag = true;
  rand_seed = 987654321;

  EXPECT_TRUE(prepare_generation());
  EXPECT_TRUE(areas.empty());
  EXPECT_EQ(mark_count(), 0);
  EXPECT_EQ(failed_mark_count(), 0);
  EXPECT_EQ(engine_state.generation_seed, 987654321);
  EXPECT_EQ(engine_state.level_seed[0], 987654321);
  for (int k = 1; k <= 12; ++k) EXPECT_EQ(engine_state.level_seed[k], 0) << k;
  EXPECT_EQ(map_size, 77);
  EXPECT_EQ(engine_state.destination_level, 6);
  EXPECT_EQ(engine_state.current_level, 0);
  // Only the party set-up (no saved party) left its trace id in slot 2.
  for (int slot = 1; slot <= trace_slot_count; ++slot)
    EXPECT_EQ(engine_state.trace_stack[slot], slot == 2 ? 74 : 0) << slot;
  EXPECT_STREQ(trace_name(74), "GAME_Avatar, setup_avatars");
  EXPECT_TRUE(shutting_down);  // the process flags survive the reset
  EXPECT_TRUE(error_flag);
  error_flag = false;
}

TEST_F(ResetTest, WithoutNamedPlansPrepareGenerationDrawsNothing) {
  being_plans.resize_to(2);
  being_plans[1].name_template.assign("Orc");  // no "%"
  being_plans[1].unique_kind = 1;
  being_plans[2].name_template.assign("%names%");  // neither unique nor named
  install_text_sections({{"names", {"anna", "bert"}}});
  for (bool party_saved : {false, true}) {
    SCOPED_TRACE(party_saved);
    if (party_saved) write_party(party_header(52, 0));
    rand_seed = 4242;
    prepare_generation();
    EXPECT_EQ(rand_seed, 4242u);
    EXPECT_EQ(engine_state.generation_seed, 4242);
    EXPECT_EQ(being_plans[2].name.str(), "");
    EXPECT_EQ(engine_state.trace_stack[2], party_saved ? 0 : 74);
  }
}

// ---- reset_runtime_tables ---------------------------------------------------

TEST_F(ResetTest, LevelRecordsLoseTheirRunTimeFieldsOnly) {
  level_table.resize_to(2);
  for (int i = 1; i <= 2; ++i) std::memset(static_cast<void*>(&level_table[i]), 0xFF, sizeof(LevelRecord));
  reset_runtime_tables();
  for (int i = 1; i <= 2; ++i) {
    SCOPED_TRACE(i);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&level_table[i]);
    int cleared = 0;
    for (size_t b = 0; b < sizeof(LevelRecord); ++b) cleared += bytes[b] == 0 ? 1 : 0;
    EXPECT_EQ(cleared, 126);
    for (size_t b = 0; b < 27689; ++b) ASSERT_EQ(bytes[b], 0xFF) << b;
    const struct {
      size_t from, to;
    } kept[] = {{27688, 27688}, {27716, 27727}, {27747, 27747}, {27754, 27755},
                {27762, 27763}, {27772, 27775}, {27836, 27839}};
    for (const auto& k : kept)
      for (size_t b = k.from; b <= k.to; ++b) EXPECT_EQ(bytes[b], 0xFF) << b;
    const LevelRecord& record = level_table[i];
    EXPECT_EQ(record.creation_clock, 0);
    EXPECT_EQ(record.creation_seed, 0);
    EXPECT_EQ(record.timer, 0);
    EXPECT_EQ(record.explorable_count, 0);
    EXPECT_EQ(record.isolated_count, 0);
    EXPECT_EQ(record.stored_size, 0);
    EXPECT_EQ(record.prison_flag, 0xFF);
  }
}

TEST_F(ResetTest, OtherTablesLoseTheirRunTimeFieldsOnly) {
  portals.resize_to(1);
  contents.resize_to(1);
  item_plans.resize_to(1);
  being_plans.resize_to(1);
  area_templates.resize_to(1);
  std::memset(static_cast<void*>(&portals[1]), 0xFF, sizeof(PortalRecord));
  std::memset(static_cast<void*>(&contents[1]), 0xFF, sizeof(ContentRecord));
  std::memset(static_cast<void*>(&item_plans[1]), 0xFF, sizeof(ItemPlan));
  std::memset(static_cast<void*>(&being_plans[1]), 0xFF, sizeof(BeingPlan));
  std::memset(static_cast<void*>(&area_templates[1]), 0xFF, sizeof(AreaTemplate));
  remembered_variants.fill(3);
  reset_runtime_tables();

  // (table, record, size, cleared byte ranges [from, to))
  const struct {
    const char* table;
    const void* record;
    size_t size;
    std::vector<std::pair<size_t, size_t>> cleared;
  } cases[] = {
      {"portal", &portals[1], sizeof(PortalRecord), {{250, 253}}},
      {"content", &contents[1], sizeof(ContentRecord), {{37786, 37790}}},
      {"item plan", &item_plans[1], sizeof(ItemPlan), {{4856, 4858}, {4922, 4932}}},
      {"being plan", &being_plans[1], sizeof(BeingPlan),
       {{22660, 22976}, {23930, 24056}, {24168, 24180}}},
      {"area template", &area_templates[1], sizeof(AreaTemplate), {{4804, 4806}, {4808, 4810}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.table);
    const auto* bytes = static_cast<const uint8_t*>(c.record);
    for (size_t b = 0; b < c.size; ++b) {
      const bool cleared = std::any_of(c.cleared.begin(), c.cleared.end(),
                                       [b](const auto& r) { return b >= r.first && b < r.second; });
      ASSERT_EQ(bytes[b], cleared ? 0 : 0xFF) << "byte " << b;
    }
  }
  for (uint8_t v : remembered_variants) EXPECT_EQ(v, 0);
}

// ---- Text decks ---------------------------------------------------------------

TEST_F(ResetTest, DecksFollowEachOtherInSectionOrder) {
  install_text_sections({{"a", {"a0", "a1", "a2"}}, {"empty", {}}, {"b", {"b0", "b1"}}});
  EXPECT_EQ(text_directory[1].deck_start, 0);
  EXPECT_EQ(text_directory[2].deck_start, 3);
  EXPECT_EQ(text_directory[3].deck_start, 3);
  EXPECT_EQ(text_directory[1].deck_remaining, 3);
  EXPECT_EQ(text_directory[2].deck_remaining, 0);
  EXPECT_EQ(text_directory[3].deck_remaining, 2);
  std::vector<int> deck;
  for (int i = 0; i < 5; ++i) deck.push_back(text_deck[i]);
  EXPECT_EQ(deck, (std::vector<int>{0, 1, 2, 0, 1}));
}

TEST_F(ResetTest, ADeckGivesEveryLineOnceBeforeRepeating) {
  const std::vector<std::string> lines = {"l0", "l1", "l2", "l3", "l4", "l5", "l6"};
  install_text_sections({{"first", {"x"}}, {"lines", lines}});
  for (uint32_t seed : {1u, 77u, 123456u}) {
    SCOPED_TRACE(seed);
    reset_text_decks();
    rand_seed = seed;
    for (int round = 0; round < 2; ++round) {
      std::vector<std::string> drawn;
      for (size_t i = 0; i < lines.size(); ++i) drawn.push_back(draw_text_line(2));
      std::sort(drawn.begin(), drawn.end());
      EXPECT_EQ(drawn, lines) << "round " << round;
      EXPECT_EQ(text_directory[2].deck_remaining, 7);  // refilled
    }
    EXPECT_EQ(draws_since(seed), 14);
    EXPECT_EQ(text_directory[1].deck_remaining, 1);  // other decks untouched
  }
}

TEST_F(ResetTest, IdleChatterStaysUsedUpUnlessSentient) {
  install_text_sections({{"guard_idle_chatter", {"c0", "c1"}},
                         {"idle_chatter_sentient", {"s0", "s1"}},
                         {"empty", {}}});
  rand_seed = 99;
  draw_text_line(1);
  draw_text_line(1);
  EXPECT_EQ(text_directory[1].deck_remaining, 0);
  const uint32_t before = rand_seed;
  const std::string again = draw_text_line(1);  // drawn at random, deck untouched
  EXPECT_TRUE(again == "c0" || again == "c1");
  EXPECT_EQ(draws_since(before), 1);
  EXPECT_EQ(text_directory[1].deck_remaining, 0);

  draw_text_line(2);
  draw_text_line(2);
  EXPECT_EQ(text_directory[2].deck_remaining, 2);

  // A section without lines still draws once; its line 0 lies past its
  // range, here on the first name line.
  const uint32_t empty_before = rand_seed;
  EXPECT_EQ(draw_text_line(3), text_store[text_directory[3].first_line]);
  EXPECT_EQ(draws_since(empty_before), 1);
}

// ---- Name templates -----------------------------------------------------------

TEST_F(ResetTest, TemplatesExpandPlaceholders) {
  install_text_sections({{"names", {"anna"}}, {"titles", {"the bold"}}});
  const struct {
    const char* text;
    const char* expanded;
    int draws;  // chance draw + deck draw per expanded placeholder
  } cases[] = {
      {"%names%", "Anna", 2},
      {"%names% %titles%", "Anna the bold", 4},
      {"% names |0% x", "Anna x", 2},
      {"%names:100%", "Anna", 2},
      {"%nosuch% x", " ILLEGAL_ID  x", 0},
      {"100% sure", "100 sure", 0},
      {"plain", "Plain", 0},
      {"", "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    reset_text_decks();
    rand_seed = 555;
    EXPECT_EQ(expand_name_template(c.text), c.expanded);
    EXPECT_EQ(draws_since(555), c.draws);
  }
}

TEST_F(ResetTest, PlaceholderChanceDecidesAgainstOnePercentDraw) {
  install_text_sections({{"names", {"anna"}}});
  rand_seed = 2024;
  const int draw = random_percent();
  ASSERT_GT(draw, 1);
  const struct {
    int chance;
    const char* expanded;
  } cases[] = {{draw, "Anna!"}, {draw - 1, "!"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chance);
    reset_text_decks();
    rand_seed = 2024;
    EXPECT_EQ(expand_name_template("%names|" + std::to_string(c.chance) + "%!"), c.expanded);
  }
}

TEST_F(ResetTest, NamedPlansGetDistinctNamesCutTo30Characters) {
  install_text_sections({{"names", {"anna", "bert"}}, {"long", {std::string(40, 'x')}}});
  being_plans.resize_to(5);
  being_plans[1].unique_kind = 1;
  being_plans[1].name_template.assign("%names%");
  being_plans[2].named_flag = 1;
  being_plans[2].name_template.assign("%names%");
  being_plans[3].name_template.assign("%names%");  // neither flag: keeps its name
  being_plans[3].name.assign("Old");
  being_plans[4].unique_kind = 2;
  being_plans[4].name_template.assign("%names%");
  being_plans[5].unique_kind = 1;
  being_plans[5].name_template.assign("%long%");
  rand_seed = 31337;
  name_being_plans();
  const std::set<std::string> names = {being_plans[1].name.str(), being_plans[2].name.str()};
  EXPECT_EQ(names, (std::set<std::string>{"Anna", "Bert"}));
  EXPECT_EQ(being_plans[3].name.str(), "Old");
  EXPECT_EQ(being_plans[4].name.str(), "");
  EXPECT_EQ(being_plans[5].name.str(), "X" + std::string(29, 'x'));
}

TEST_F(ResetTest, ARepeatedNameIsAcceptedAfterTheExpansionLimit) {
  install_text_sections({{"names", {"anna"}}});
  being_plans.resize_to(2);
  for (int p = 1; p <= 2; ++p) {
    being_plans[p].unique_kind = 1;
    being_plans[p].name_template.assign("%names%");
  }
  rand_seed = 8;
  name_being_plans();
  EXPECT_EQ(being_plans[1].name.str(), "Anna");
  EXPECT_EQ(being_plans[2].name.str(), "Anna");
  EXPECT_EQ(draws_since(8), 2 * (1 + name_expansion_limit));
}

// ---- The saved party -------------------------------------------------------------

TEST_F(ResetTest, SavedPartyIsReadOrRefused) {
  EXPECT_FALSE(load_avatars());  // no file
  EXPECT_TRUE(messages.empty());

  write_party(party_header(52, 0));
  EXPECT_TRUE(load_avatars());

  std::ifstream in(folder / "Save" / "Avatars.kav", std::ios::binary);
  std::vector<char> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  in.close();
  file[3] ^= 1;
  std::ofstream(folder / "Save" / "Avatars.kav", std::ios::binary).write(file.data(), static_cast<std::streamsize>(file.size()));
  EXPECT_FALSE(load_avatars());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "Data file \"" + program_folder + "Save/Avatars.kav" +
                             "\" is corrupted or not compatible with this game version!\r\n\r\n"
                             "Shutting down.");
  EXPECT_TRUE(shutting_down);

  shutting_down = false;
  write_party(party_header(51, 0));
  EXPECT_FALSE(load_avatars());
  EXPECT_TRUE(shutting_down);
}
