// The golden seed catalogue: levels 3, 4, 6 and 8 built from seeds 1..10
// must give exactly the stored lines. A difference means the random draws
// or the builders changed; refresh the file (the command is in its first
// lines) only when that change is intended, and say why in the commit.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Seed_Catalogue.h"
#include "shipped_data.h"

namespace {

std::vector<std::string> catalogue_lines(std::istream& in) {
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] != '#') lines.push_back(line);
  return lines;
}

TEST(SeedCatalogue, GeneratedMapsMatchTheStoredCatalogue) {
  if (!load_shipped_data("dungeon_seed_catalogue")) GTEST_SKIP() << "the game data files are not built";
  std::ifstream stored_file(TEST_SOURCE_DIR "/golden/seed_catalogue.txt");
  ASSERT_TRUE(stored_file) << "tests/golden/seed_catalogue.txt is missing";
  const std::vector<std::string> stored = catalogue_lines(stored_file);

  std::vector<uint32_t> seeds;
  for (uint32_t s = 1; s <= 10; ++s) seeds.push_back(s);
  std::stringstream made_text;
  write_seed_catalogue({3, 4, 6, 8}, seeds, made_text);
  const std::vector<std::string> made = catalogue_lines(made_text);

  ASSERT_EQ(made.size(), stored.size());
  int differences = 0;
  for (size_t i = 0; i < made.size(); ++i)
    if (made[i] != stored[i]) {
      ++differences;
      ADD_FAILURE() << "stored: " << stored[i] << "\n  made: " << made[i];
    }
  if (differences > 0)
    std::cerr << "If the change of draws is intended, refresh with\n"
                 "  build/program/dungeon-cli catalogue --levels 3,4,6,8 --seeds 1-10 > "
                 "tests/golden/seed_catalogue.txt\nand explain the change in the commit message.\n";
}

}  // namespace
