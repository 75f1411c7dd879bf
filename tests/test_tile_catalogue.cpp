// Loading the tile catalogue: its checks and messages, its tables, and the
// furniture variants that placement draws with.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>
#include <vector>

#include "GAME_File.h"
#include "GAME_Global.h"
#include "GAME_Graphics.h"
#include "GAME_Map.h"
#include "map_text.h"

namespace fs = std::filesystem;

namespace {

constexpr int chest = 12;

// A catalogue whose counts match an empty data file: chests have three
// variants of four pictures, each on the sheet in all four picture groups.
struct CatalogueImage {
  TileHeader header{};
  std::vector<TileRecord> tables[tile_table_count + 1];
  std::vector<SheetRect> rects;

  CatalogueImage() {
    const int counts[tile_table_count + 1] = {0, 100, 65, 2, 1, 1, 0, 0, 5, 1, 0, 73};
    for (int k = 1; k <= tile_table_count; ++k) tables[k].resize(static_cast<size_t>(counts[k]));
    header.source_tile_size = 32;
    TileRecord& chest_tile = tables[furniture_tile_table][chest - 1];
    chest_tile = {1, 3, 4, 1, 0, 0};
    header.words[tile_first_rect_word(furniture_tile_table)] = 1;
    for (int g = 1; g <= 4; ++g) header.words[tile_group_word(furniture_tile_table, g)] = narrow<uint16_t>(12 * (g - 1));
    rects.resize(48, SheetRect{0, 0, 32, 32});
  }

  std::vector<uint8_t> bytes() {
    size_t length = sizeof header + rects.size() * sizeof(SheetRect);
    for (int k = 1; k <= tile_table_count; ++k) {
      header.words[tile_count_word(k)] = narrow<uint16_t>(tables[k].size());
      length += tables[k].size() * sizeof(TileRecord);
    }
    header.rect_count = narrow<uint16_t>(rects.size());
    header.file_length = narrow<int32_t>(length);
    std::vector<uint8_t> out(sizeof header);
    std::memcpy(out.data(), &header, sizeof header);
    auto append = [&out](const void* p, size_t n) {
      const auto* b = static_cast<const uint8_t*>(p);
      out.insert(out.end(), b, b + n);
    };
    for (int k = 1; k <= tile_table_count; ++k)
      append(tables[k].data(), tables[k].size() * sizeof(TileRecord));
    append(rects.data(), rects.size() * sizeof(SheetRect));
    return out;
  }
};

// A 1 x 1 pixel 24-bit Windows bitmap.
std::vector<uint8_t> tiny_bitmap() {
  std::vector<uint8_t> bmp(58, 0);
  auto put32 = [&bmp](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
  };
  bmp[0] = 'B';
  bmp[1] = 'M';
  put32(2, 58);
  put32(10, 54);
  put32(14, 40);
  put32(18, 1);
  put32(22, 1);
  bmp[26] = 1;
  bmp[28] = 24;
  put32(34, 4);
  return bmp;
}

class TileCatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    shutting_down = false;
    set_message_box_handler([this](const std::string& text) { messages.push_back(text); });
    folder = fs::temp_directory_path() /
             ("gamedata_tiles_" + std::to_string(getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder / "Data");
    program_folder = folder.string() + "/";
    engine_settings.tileset_name = "Kavrel";
    release_game_data();
    create_graphics();
  }
  void TearDown() override {
    release_graphics();
    set_message_box_handler(nullptr);
    shutting_down = false;
    fs::remove_all(folder);
  }
  std::string info_name() const { return program_folder + "Data/Kavrel.kti"; }
  std::string sheet_name() const { return program_folder + "Data/Kavrel.kts"; }
  static void write(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream out(name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  void write_catalogue(CatalogueImage image) const {
    write(info_name(), image.bytes());
    write(sheet_name(), tiny_bitmap());
  }
  void expect_refused(const std::string& message) {
    EXPECT_FALSE(load_tile_catalogue());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], message);
    EXPECT_TRUE(shutting_down);
    messages.clear();
    shutting_down = false;
  }
  std::string corrupted(const std::string& file) const {
    return "Data file \"" + file +
           "\" is corrupted or not compatible with this game version!\r\n\r\nShutting down.";
  }
  std::vector<std::string> messages;
  fs::path folder;
};

}  // namespace

TEST_F(TileCatalogueTest, LoadsTheTablesAndCountsThePictures) {
  write_catalogue(CatalogueImage());
  ASSERT_TRUE(load_tile_catalogue());
  EXPECT_TRUE(messages.empty());
  const int counts[tile_table_count + 1] = {0, 100, 65, 2, 1, 1, 0, 0, 5, 1, 0, 73};
  for (int k = 1; k <= tile_table_count; ++k) EXPECT_EQ(tile_table(k).highest(), counts[k]) << k;
  EXPECT_EQ(&tile_table(furniture_tile_table), &furniture_tiles);
  EXPECT_EQ(sheet_rects.highest(), 48);
  EXPECT_EQ(furniture_variant_count(chest), 3);
  EXPECT_EQ(furniture_variant_step(chest), 4);
  EXPECT_EQ(furniture_variant_count(chest + 1), 0);
  // Placeholder plus 3 variants x 4 pictures in each of the four groups.
  EXPECT_EQ(image_list_size[2], 1 + 48);
  EXPECT_EQ(image_list_size[1], 1);
  EXPECT_THROW(furniture_variant_count(66), RangeError);

  release_graphics();
  EXPECT_EQ(furniture_variant_count(chest), 0);
  release_graphics();  // a second release finds nothing
}

// Word 54 is also furniture's fourth picture group, so moving it moves the
// chest pictures of that group; the sheet has rectangles to spare.
TEST_F(TileCatalogueTest, LightStepsAreMadeForEveryVariantOfFurniture61) {
  const struct {
    const char* what;
    TileRecord light;
    uint16_t list4_offset;
  } cases[] = {
      {"pictures of its own", {1, 2, 1, 1, 0, 0}, 36},
      {"pictures past the end of list 2", {0, 3, 1, 1, 1, 0}, 100},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CatalogueImage image;
    image.tables[furniture_tile_table][61 - 1] = c.light;
    image.header.words[tile_list4_offset_word] = c.list4_offset;
    image.rects.resize(200, SheetRect{0, 0, 32, 32});
    write_catalogue(image);
    ASSERT_TRUE(load_tile_catalogue());
    EXPECT_EQ(image_list_size[4], 10 * c.light.variant_count);
  }
}

TEST_F(TileCatalogueTest, MissingFileNamesTheMissingFile) {
  expect_refused("Missing file \"" + info_name() + "\"! Shutting down.");
  write(info_name(), CatalogueImage().bytes());
  expect_refused("Missing file \"" + sheet_name() + "\"! Shutting down.");
}

TEST_F(TileCatalogueTest, WrongLengthIsRefusedNamingTheInformationFile) {
  write(sheet_name(), tiny_bitmap());
  const std::vector<uint8_t> good = CatalogueImage().bytes();
  write(info_name(), std::vector<uint8_t>(good.begin(), good.begin() + 215));
  expect_refused(corrupted(info_name()));

  std::vector<uint8_t> longer = good;
  longer.push_back(0);  // one byte more than the stored length
  write(info_name(), longer);
  expect_refused(corrupted(info_name()));

  std::vector<uint8_t> claims_more = good;
  const int32_t stored = static_cast<int32_t>(good.size()) + 1;
  std::memcpy(claims_more.data() + offsetof(TileHeader, file_length), &stored, 4);
  write(info_name(), claims_more);
  expect_refused(corrupted(info_name()));
}

TEST_F(TileCatalogueTest, CountsMustMatchTheFixedValuesAndTheDataFile) {
  const struct {
    int table;
    int count;
  } cases[] = {{1, 99}, {2, 66}, {6, 1}, {7, 1}, {8, 4}, {10, 2}, {11, 72}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.table);
    CatalogueImage image;
    image.tables[c.table].resize(static_cast<size_t>(c.count));
    write_catalogue(image);
    expect_refused(corrupted(info_name()));
  }
  // The free counts may be anything.
  CatalogueImage free_counts;
  free_counts.tables[3].resize(7);
  free_counts.tables[9].resize(0);
  write_catalogue(free_counts);
  EXPECT_TRUE(load_tile_catalogue());
}

TEST_F(TileCatalogueTest, CountsFollowTheLoadedBeingPlans) {
  being_plans.resize_to(2);  // as after loading two being plans
  CatalogueImage image;
  write_catalogue(image);
  expect_refused(corrupted(info_name()));
  image.tables[6].resize(2);
  write_catalogue(image);
  EXPECT_TRUE(load_tile_catalogue());
  being_plans.clear();
}

TEST_F(TileCatalogueTest, UnreadableSheetOrMissingRectanglesThrow) {
  write(info_name(), CatalogueImage().bytes());
  write(sheet_name(), {'n', 'o', 't', ' ', 'a', ' ', 'b', 'm', 'p'});
  EXPECT_THROW(load_tile_catalogue(), std::runtime_error);

  CatalogueImage short_of_rectangles;
  short_of_rectangles.rects.resize(47);
  write_catalogue(short_of_rectangles);
  EXPECT_THROW(load_tile_catalogue(), RangeError);
}

TEST_F(TileCatalogueTest, FurniturePlacementDrawsFromTheLoadedVariants) {
  CatalogueImage image;
  image.tables[furniture_tile_table][20 - 1] = {0, 1, 4, 1, 1, 0};  // one variant
  write_catalogue(image);
  ASSERT_TRUE(load_tile_catalogue());

  const struct {
    int furniture;
    bool draws;
    std::set<int> variants;
  } cases[] = {{chest, true, {0, 4, 8}}, {20, false, {0}}, {21, false, {0}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.furniture);
    reset_test_map(8);
    rand_seed = 12345;
    std::set<int> seen;
    for (int i = 0; i < 60; ++i) {
      const uint32_t before = rand_seed;
      add_furniture(3, 3, c.furniture, 0);
      EXPECT_EQ(rand_seed != before, c.draws);
      seen.insert(map_cells(3, 3).furniture_variant);
    }
    EXPECT_EQ(seen, c.variants);
  }
}
