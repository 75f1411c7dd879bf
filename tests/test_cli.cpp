// dungeon-cli, run as a program: option errors, missing data, failed
// writes, and maps reproduced bit for bit from a seed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli_run.h"

namespace fs = std::filesystem;

namespace {

const std::string program = std::string(TEST_PROGRAM_FOLDER) + "dungeon-cli";

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(fs::exists(program)) << program << " is not built"; }

  // Runs dungeon-cli with the arguments and the test's own program folder.
  CliRun run(const std::string& arguments) const { return scratch.run(arguments); }
  bool have_data() const { return scratch.ready(); }
  std::string path(const std::string& name) const { return scratch.path(name); }

  CliScratch scratch{"cli_test"};
};

TEST_F(CliTest, BadOptionsExitWithTwoAndOneLine) {
  const struct {
    const char* arguments;
    const char* reason;
  } cases[] = {
      {"", "subcommand"},
      {"generate --style purple", "unknown style \"purple\""},
      {"generate --style 4", "unknown style"},
      {"generate --size 0", "--size"},
      {"generate --size 9000", "--size"},
      {"generate --count 0", "--count"},
      {"generate --level abc", "--level"},
      {"generate --seed -1", "--seed"},
      {"generate --bogus", "--bogus"},
      {"generate --count 2 --png x.png", "--png"},
      {"generate --count 2 --ascii x.txt", "--ascii"},
  };
  for (const auto& c : cases) {
    const CliRun result = run(c.arguments);
    EXPECT_EQ(result.exit_code, 2) << c.arguments;
    expect_one_line_reason(result, c.reason);
    EXPECT_EQ(result.out, "") << c.arguments;
  }
}

TEST_F(CliTest, HelpExitsWithZero) {
  const CliRun result = run("generate --help");
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_NE(result.out.find("--seed"), std::string::npos);
}

TEST_F(CliTest, MissingDataFileIsOneLineAndExitOne) {
  fs::remove_all(path("program/Data"));
  const CliRun result = run("generate --seed 1 --png '" + path("m.png") + "'");
  EXPECT_EQ(result.exit_code, 1);
  expect_one_line_reason(result, "Kavrel.kvd");
  EXPECT_FALSE(fs::exists(path("m.png")));
}

TEST_F(CliTest, FailedWriteIsReported) {
  if (!have_data()) GTEST_SKIP() << "no game data built";
  const std::string target = path("missing/m.png");
  const CliRun result = run("generate --seed 1 --png '" + target + "'");
  EXPECT_EQ(result.exit_code, 1);
  expect_one_line_reason(result, "Could not write \"" + target + "\"");
}

TEST_F(CliTest, ChecksAgainstTheLoadedData) {
  if (!have_data()) GTEST_SKIP() << "no game data built";
  const struct {
    const char* arguments;
    const char* reason;
  } cases[] = {
      {"generate --seed 1 --level 200", "level 200 is not in the game data"},
      {"generate --seed 1 --size 700", "--size 700"},
  };
  for (const auto& c : cases) {
    const CliRun result = run(c.arguments);
    EXPECT_EQ(result.exit_code, 1) << c.arguments;
    expect_one_line_reason(result, c.reason);
  }
}

TEST_F(CliTest, SameSeedSameFilesOtherSeedOtherMap) {
  if (!have_data()) GTEST_SKIP() << "no game data built";
  auto generate = [&](const std::string& seed, const std::string& name) {
    const CliRun result = run("generate --seed " + seed + " --grain --size 640 --png '" + path(name + ".png") +
                           "' --ascii '" + path(name + ".txt") + "'");
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(result.out.rfind("seed " + seed + "\n", 0), 0u) << result.out;
    return read_text_file(path(name + ".png"));
  };
  const std::string first = generate("4711", "a");
  const std::string again = generate("4711", "b");
  const std::string other = generate("4712", "c");
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first, again);
  EXPECT_EQ(read_text_file(path("a.txt")), read_text_file(path("b.txt")));
  EXPECT_NE(read_text_file(path("a.txt")), read_text_file(path("c.txt"))) << "a different seed gives a different map";
  EXPECT_NE(first, other);
}

TEST_F(CliTest, TextPictureHasOneCharacterPerCell) {
  if (!have_data()) GTEST_SKIP() << "no game data built";
  const CliRun result = run("generate --seed 9 --level 3 --ascii '" + path("m.txt") + "'");
  ASSERT_EQ(result.exit_code, 0) << result.err;
  std::istringstream text(read_text_file(path("m.txt")));
  std::vector<std::string> rows;
  for (std::string row; std::getline(text, row);) rows.push_back(row);
  ASSERT_FALSE(rows.empty());
  for (const std::string& row : rows) {
    EXPECT_EQ(row.size(), rows.size());
    EXPECT_EQ(row.find_first_not_of(" #.+S<>*"), std::string::npos) << row;
  }
  EXPECT_NE(result.out.find("map 1: level 3"), std::string::npos) << result.out;
}

TEST_F(CliTest, CountWritesDatedMapsIntoTheFolder) {
  if (!have_data()) GTEST_SKIP() << "no game data built";
  const CliRun result = run("generate --seed 3 --count 3 --size 256 --folder '" + path("maps") + "'");
  ASSERT_EQ(result.exit_code, 0) << result.err;
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(path("maps"))) names.push_back(entry.path().filename().string());
  ASSERT_EQ(names.size(), 3u);
  for (const std::string& name : names) {
    EXPECT_EQ(name.rfind("Map_", 0), 0u) << name;
    EXPECT_EQ(name.substr(name.size() - 4), ".png") << name;
    EXPECT_NE(result.out.find(name), std::string::npos) << result.out;
  }
}

}  // namespace
