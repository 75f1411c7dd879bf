// The golden seed catalogue: the levels and seeds named in the first lines
// of tests/golden/seed_catalogue.txt must give exactly its stored lines. A
// difference means the random draws or the builders changed; refresh the
// file (the command is in its first lines) only when that change is
// intended, and say why in the commit message. Also: what the cell digest
// covers, the number lists of the command line, and "dungeon-cli catalogue"
// run as a program.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "GAME_Map.h"
#include "Number_List.h"
#include "Seed_Catalogue.h"
#include "cli_run.h"
#include "shipped_data.h"

namespace {

const std::string golden_path = TEST_SOURCE_DIR "/golden/seed_catalogue.txt";

std::vector<std::string> lines_of(const std::string& text, bool comments) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && (line[0] == '#') == comments) lines.push_back(line);
  return lines;
}

// The text after `option ` up to the next space in the catalogue's header
// line that holds its command.
std::string header_argument(const std::vector<std::string>& header, const std::string& option) {
  for (const std::string& line : header) {
    const size_t at = line.find(" " + option + " ");
    if (line.find("dungeon-cli catalogue") == std::string::npos || at == std::string::npos) continue;
    const size_t start = at + option.size() + 2;
    return line.substr(start, line.find(' ', start) - start);
  }
  return "";
}

TEST(SeedCatalogue, GeneratedMapsMatchTheStoredCatalogue) {
  if (!load_shipped_data("dungeon_seed_catalogue")) GTEST_SKIP() << "the game data files are not built";
  const std::string stored_text = read_text_file(golden_path);
  ASSERT_FALSE(stored_text.empty()) << golden_path << " is missing";
  const std::vector<std::string> header = lines_of(stored_text, true);
  std::vector<uint32_t> levels, seeds;
  ASSERT_TRUE(parse_number_list(header_argument(header, "--levels"), 1, 255, levels)) << "header without --levels";
  ASSERT_TRUE(parse_number_list(header_argument(header, "--seeds"), 0, UINT32_MAX, seeds)) << "header without --seeds";

  std::ostringstream made_text;
  write_seed_catalogue(std::vector<int>(levels.begin(), levels.end()), seeds, made_text);
  EXPECT_EQ(lines_of(made_text.str(), true), header) << "the header names the command that made the file";
  const std::vector<std::string> stored = lines_of(stored_text, false), made = lines_of(made_text.str(), false);
  std::string differences;
  for (size_t i = 0; i < std::max(stored.size(), made.size()); ++i) {
    const std::string s = i < stored.size() ? stored[i] : "(none)", m = i < made.size() ? made[i] : "(none)";
    if (s != m) differences += "stored: " + s + "\n  made: " + m + "\n";
  }
  if (!differences.empty())
    ADD_FAILURE() << "The generated maps differ from " << golden_path << ":\n"
                  << differences << "If the change of draws is intended, refresh it with\n"
                  << "  build/program/dungeon-cli catalogue --levels " << number_list_text(levels) << " --seeds "
                  << number_list_text(seeds)
                  << " > tests/golden/seed_catalogue.txt\nand explain the change in the commit message.";
}

TEST(SeedCatalogue, DigestCoversExactlyTheFiveCellFields) {
  map_size = 8;
  map_cells.clear();
  const uint64_t blank = map_cell_digest();
  const struct {
    const char* field;
    std::function<void(MapCell&)> change;
    bool counts;
  } cases[] = {
      {"block", [](MapCell& c) { c.block = 51; }, true},
      {"area_kind", [](MapCell& c) { c.area_kind = 2; }, true},
      {"area_index", [](MapCell& c) { c.area_index = 7; }, true},
      {"furniture", [](MapCell& c) { c.furniture = 8; }, true},
      {"furniture_state", [](MapCell& c) { c.furniture_state = 1; }, true},
      {"block_variant", [](MapCell& c) { c.block_variant = 3; }, false},
      {"furniture_variant", [](MapCell& c) { c.furniture_variant = 2; }, false},
      {"secret_difficulty", [](MapCell& c) { c.secret_difficulty = 9; }, false},
  };
  for (const auto& c : cases) {
    map_cells.clear();
    c.change(map_cells(8, 3));
    EXPECT_EQ(map_cell_digest() != blank, c.counts) << c.field;
  }
  // The same values in another cell give another digest, and cells outside
  // the map do not count.
  map_cells.clear();
  map_cells(3, 8).block = 51;
  const uint64_t at_3_8 = map_cell_digest();
  map_cells.clear();
  map_cells(8, 3).block = 51;
  EXPECT_NE(map_cell_digest(), at_3_8);
  map_cells.clear();
  map_cells(9, 3).block = 51;
  EXPECT_EQ(map_cell_digest(), blank);
}

TEST(NumberList, ParsesListsAndRangesAndRefusesTheRest) {
  const struct {
    const char* text;
    bool ok;
    std::vector<uint32_t> numbers;
  } cases[] = {
      {"1-10", true, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {"3,4,6,8", true, {3, 4, 6, 8}},
      {"8,3,3", true, {8, 3, 3}},
      {"5-5,0", true, {5, 0}},
      {"4294967294-4294967295", true, {4294967294u, 4294967295u}},
      {"", false, {}},
      {"5-2", false, {}},
      {"1,,2", false, {}},
      {"1,", false, {}},
      {"-3", false, {}},
      {"+3", false, {}},
      {"1 ,2", false, {}},
      {"4294967296", false, {}},
      {"1-100001", false, {}},
  };
  for (const auto& c : cases) {
    std::vector<uint32_t> numbers;
    EXPECT_EQ(parse_number_list(c.text, 0, UINT32_MAX, numbers), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(numbers, c.numbers) << c.text;
    }
  }
  std::vector<uint32_t> levels;
  EXPECT_FALSE(parse_number_list("0,3", 1, 255, levels)) << "below the lowest";
  EXPECT_FALSE(parse_number_list("3-256", 1, 255, levels)) << "above the highest";
}

TEST(NumberList, TextIsShortestAndReadsBack) {
  const struct {
    std::vector<uint32_t> numbers;
    const char* text;
  } cases[] = {
      {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, "1-10"},
      {{3, 4, 6, 8}, "3,4,6,8"},
      {{1, 2, 3, 7, 8, 9, 10, 12}, "1-3,7-10,12"},
      {{5, 4, 3}, "5,4,3"},
      {{4294967293u, 4294967294u, 4294967295u, 0}, "4294967293-4294967295,0"},
      {{}, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(number_list_text(c.numbers), c.text);
    std::vector<uint32_t> back;
    if (!c.numbers.empty()) {
      EXPECT_TRUE(parse_number_list(c.text, 0, UINT32_MAX, back)) << c.text;
      EXPECT_EQ(back, c.numbers) << c.text;
    }
  }
}

// dungeon-cli catalogue, run as a program.
class CliCatalogue : public testing::Test {
 protected:
  void SetUp() override {
    if (!scratch.ready()) GTEST_SKIP() << "dungeon-cli or its data is not built";
  }
  CliScratch scratch{"cli_catalogue_test"};
};

TEST_F(CliCatalogue, PrintsTheStoredLinesOfItsLevelsAndSeeds) {
  const CliRun result = scratch.run("catalogue --levels 3 --seeds 1,2");
  ASSERT_EQ(result.exit_code, 0) << result.err;
  const std::vector<std::string> stored = lines_of(read_text_file(golden_path), false);
  std::vector<std::string> expected;
  for (const std::string& line : stored)
    if (line.rfind("seed 1 level 3 ", 0) == 0 || line.rfind("seed 2 level 3 ", 0) == 0) expected.push_back(line);
  EXPECT_EQ(lines_of(result.out, false), expected);
  EXPECT_NE(result.out.find("dungeon-cli catalogue --levels 3 --seeds 1,2 > "), std::string::npos) << result.out;
}

TEST_F(CliCatalogue, BadListsAndLevelsAreOneLineReasons) {
  const struct {
    const char* arguments;
    int exit_code;
    const char* reason;
  } cases[] = {
      {"catalogue --seeds 5-2", 2, "--seeds \"5-2\""},
      {"catalogue --seeds 1,,2", 2, "--seeds"},
      {"catalogue --levels 0", 2, "--levels \"0\""},
      {"catalogue --levels x", 2, "--levels"},
      {"catalogue --levels 1-255 --seeds 1-1000", 2, "at most 100000 maps"},
      {"catalogue --levels 3,200", 1, "level 200 is not in the game data"},
  };
  for (const auto& c : cases) {
    const CliRun result = scratch.run(c.arguments);
    EXPECT_EQ(result.exit_code, c.exit_code) << c.arguments;
    expect_one_line_reason(result, c.reason);
    EXPECT_EQ(lines_of(result.out, false), std::vector<std::string>()) << c.arguments;
  }
}

}  // namespace
