// The game data container (packing, unpacking, checksums) and the loading
// of the game data file into the engine's tables.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "GAME_File.h"
#include "GAME_Global.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> bytes_of(std::initializer_list<int> values) {
  std::vector<uint8_t> out;
  for (int v : values) out.push_back(static_cast<uint8_t>(v));
  return out;
}

std::vector<uint8_t> packed(const std::vector<uint8_t>& data) {
  MemoryStream stream{data, 0};
  pack_container(stream);
  return stream.bytes;
}

// Unpacks a container file and verifies it; messages go to `messages`.
bool unpack_and_verify(const std::vector<uint8_t>& file, std::vector<uint8_t>& decoded) {
  MemoryStream stream{file, 0};
  unpack_container(stream);
  decoded = stream.bytes;
  return verify_container_checksums("test.kvd");
}

class ContainerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    shutting_down = false;
    set_message_box_handler([this](const std::string& text) { messages.push_back(text); });
  }
  void TearDown() override {
    set_message_box_handler(nullptr);
    shutting_down = false;
  }
  std::vector<std::string> messages;
};

std::string corrupted_message(const std::string& file) {
  return "Data file \"" + file +
         "\" is corrupted or not compatible with this game version!\r\n\r\nShutting down.";
}

}  // namespace

// ---- Key material -------------------------------------------------------

TEST(ContainerKey, KeyTextAndMasksAreCutFromTheConstant) {
  ASSERT_EQ(key_constant.size(), 55u);
  build_key_text();
  // 5 digits from position 16, 2 from 8, 10 from 20, 15 from 2.
  EXPECT_EQ(key_text, std::string(key_constant.substr(15, 5)) + std::string(key_constant.substr(7, 2)) +
                          std::string(key_constant.substr(19, 10)) +
                          std::string(key_constant.substr(1, 15)));
  EXPECT_EQ(key_text.size(), 32u);
  EXPECT_EQ(checksum_mask(1), 3403455u);
  EXPECT_EQ(checksum_mask(2), 4910555u);
  EXPECT_EQ(checksum_mask(3), 9121650u);
  EXPECT_THROW(checksum_mask(4), RangeError);
}

// ---- Packing and unpacking ----------------------------------------------

TEST_F(ContainerTest, RoundTripGivesBackEveryByteString) {
  std::vector<uint8_t> mixed;
  for (int i = 0; i < 3000; ++i) mixed.push_back(static_cast<uint8_t>((i * i / 7) % 5 == 0 ? 0 : i));
  const struct {
    const char* name;
    std::vector<uint8_t> data;
  } cases[] = {
      {"empty", {}},
      {"one byte", bytes_of({42})},
      {"one zero byte", bytes_of({0})},
      {"starts with zeros", bytes_of({0, 0, 0, 9})},
      {"ends in 0", bytes_of({5, 6, 0})},
      {"ends in a run of 0", bytes_of({5, 0, 0})},
      {"300 equal bytes", std::vector<uint8_t>(300, 0xAB)},
      {"510 equal bytes", std::vector<uint8_t>(510, 3)},
      {"1000 zero bytes", std::vector<uint8_t>(1000, 0)},
      {"run count equal to next byte", bytes_of({5, 5, 2, 2, 2, 1, 1})},
      {"mixed runs and singles", mixed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> decoded;
    EXPECT_TRUE(unpack_and_verify(packed(c.data), decoded));
    EXPECT_EQ(decoded, c.data);
    MemoryStream original{c.data, 0};
    EXPECT_EQ(computed_checksums[1], byte_sum(original));
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(ContainerTest, ThreeSevensMakeAKnownFile) {
  // Run 7,7,3 scrambled with the key digits of "3" + key_text, then U = 3
  // and the checksums 21, 17 and 11 with their low halves masked.
  const std::vector<uint8_t> expected = bytes_of(
      {0x50, 0x4b, 0x03, 0x03, 0x05, 0x03, 0x00, 0x00, 0x00, 0xaa, 0xee, 0x33, 0x00, 0x00, 0x00,
       0x00, 0x00, 0xca, 0xed, 0x4a, 0x00, 0x00, 0x00, 0x00, 0x00, 0x79, 0x2f, 0x8b, 0x00, 0x00,
       0x00, 0x00, 0x00});
  const std::vector<uint8_t> file = packed(bytes_of({7, 7, 7}));
  EXPECT_EQ(file, expected);
  EXPECT_EQ(computed_checksums[1], 21u);
  EXPECT_EQ(computed_checksums[2], 17u);

  std::vector<uint8_t> decoded;
  EXPECT_TRUE(unpack_and_verify(expected, decoded));
  EXPECT_EQ(decoded, bytes_of({7, 7, 7}));
  EXPECT_EQ(computed_checksums[1], 21u);
  EXPECT_EQ(computed_checksums[2], 17u);
  EXPECT_EQ(computed_checksums[3], 3u + 3u + 5u);
}

TEST_F(ContainerTest, RunsAreSplitAfter255Bytes) {
  const struct {
    size_t length;
    size_t encoded_length;
  } cases[] = {{1, 1}, {2, 3}, {255, 3}, {256, 4}, {257, 6}, {510, 6}, {511, 7}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    const std::vector<uint8_t> file = packed(std::vector<uint8_t>(c.length, 9));
    EXPECT_EQ(file.size(), c.encoded_length + 30);
  }
}

// ---- Damaged containers -------------------------------------------------

TEST_F(ContainerTest, EveryFlippedPayloadBitIsRefused) {
  std::vector<uint8_t> data;
  for (int i = 0; i < 40; ++i) data.push_back(static_cast<uint8_t>(i % 6 < 3 ? 1 : i));
  const std::vector<uint8_t> file = packed(data);
  for (size_t byte = 2; byte < file.size() - 28; ++byte) {
    for (int bit = 0; bit < 8; ++bit) {
      std::vector<uint8_t> damaged = file;
      damaged[byte] ^= static_cast<uint8_t>(1 << bit);
      std::vector<uint8_t> decoded;
      shutting_down = false;
      messages.clear();
      ASSERT_FALSE(unpack_and_verify(damaged, decoded)) << "byte " << byte << " bit " << bit;
      ASSERT_EQ(messages.size(), 1u);
      EXPECT_EQ(messages[0], corrupted_message("test.kvd"));
      EXPECT_TRUE(shutting_down);
    }
  }
}

TEST_F(ContainerTest, DamagedTrailerIsRefused) {
  const std::vector<uint8_t> file = packed(std::vector<uint8_t>(600, 4));
  const size_t trailer = file.size() - 28;
  const struct {
    const char* name;
    size_t offset;
  } cases[] = {
      {"decoded length one short", trailer},
      {"checksum 1 low half", trailer + 4},
      {"checksum 1 high half", trailer + 8},
      {"checksum 2 low half", trailer + 12},
      {"checksum 3 low half", trailer + 20},
      {"checksum 3 high half", trailer + 27},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> damaged = file;
    if (c.offset == trailer)
      damaged[c.offset] -= 1;  // U = 599: the output is cut, checksum 1 fails
    else
      damaged[c.offset] ^= 0x10;
    std::vector<uint8_t> decoded;
    EXPECT_FALSE(unpack_and_verify(damaged, decoded));
  }
}

TEST_F(ContainerTest, TruncatedFilesAreRefusedWithoutACrash) {
  std::vector<uint8_t> data;
  for (int i = 0; i < 100; ++i) data.push_back(static_cast<uint8_t>(i / 3));
  const std::vector<uint8_t> file = packed(data);
  for (size_t length = 0; length < file.size(); ++length) {
    SCOPED_TRACE(length);
    const std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
    std::vector<uint8_t> decoded;
    if (length < 30)
      EXPECT_THROW(unpack_and_verify(cut, decoded), StreamReadError);
    else
      EXPECT_FALSE(unpack_and_verify(cut, decoded));
  }
}

TEST(MemoryStreamTest, ReadingPastTheEndCopiesNothingAndThrows) {
  MemoryStream stream{bytes_of({1, 2, 3}), 1};
  uint8_t target[4] = {9, 9, 9, 9};
  EXPECT_THROW(read_stream(stream, target, 3), StreamReadError);
  EXPECT_EQ(target[0], 9);
  EXPECT_EQ(stream.position, 1u);
  read_stream(stream, target, 2);
  EXPECT_EQ(target[0], 2);
  EXPECT_EQ(target[1], 3);
  EXPECT_EQ(stream.position, 3u);
}

// ---- Text store -----------------------------------------------------------

TEST(TextLines, AnyLineEndEndsALine) {
  const struct {
    const char* text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\r\n", {"a"}},
      {"a\rb\nc", {"a", "b", "c"}},
      {"a\n\nb", {"a", "", "b"}},
      {"\r\n\r\n", {"", ""}},
      {"a\n\rb", {"a", "", "b"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(split_text_lines(c.text), c.lines);
  }
}

// ---- Loading the game data file -------------------------------------------

namespace {

// The decoded contents of a small game data file, built record by record.
struct GameDataImage {
  VersionHeader header{game_data_version, {0, 0}, size_block_length};
  SizeBlock sizes{};
  std::vector<ItemPlan> items;
  std::vector<Talent> talent_list;
  std::vector<BeingPlan> beings;
  std::vector<LevelRecord> levels;
  std::vector<PortalRecord> portal_list;
  std::vector<ContentRecord> content_list;
  std::vector<AreaTemplate> templates;
  std::vector<TextSection> directory;  // entry 0 included
  std::string text;

  GameDataImage() {
    for (int i = 1; i <= signature_count; ++i) sizes.signature[i] = record_size_signature[i - 1];
  }

  template <class Record>
  static void put(MemoryStream& out, const std::vector<Record>& records) {
    write_stream(out, records.data(), records.size() * sizeof(Record));
  }

  // Counts follow the vectors; the text links are all zero.
  MemoryStream decoded() {
    sizes.item_plan_count = narrow<uint16_t>(items.size());
    sizes.talent_count = narrow<uint16_t>(talent_list.size());
    sizes.being_plan_count = narrow<uint16_t>(beings.size());
    sizes.level_count = narrow<uint16_t>(levels.size());
    sizes.portal_count = narrow<uint16_t>(portal_list.size());
    sizes.content_count = narrow<uint16_t>(content_list.size());
    sizes.template_count = narrow<uint16_t>(templates.size());
    sizes.text_section_count = narrow<uint16_t>(directory.size() - 1);
    MemoryStream out;
    write_stream(out, &header, sizeof header);
    write_stream(out, &sizes, sizeof sizes);
    put(out, items);
    put(out, talent_list);
    put(out, beings);
    put(out, levels);
    put(out, portal_list);
    put(out, content_list);
    put(out, templates);
    put(out, directory);
    put(out, std::vector<BeingTextLinks>(beings.size() + 1));
    put(out, std::vector<ItemTextLinks>(items.size() + 1));
    write_stream(out, text.data(), text.size());
    return out;
  }
};

// An image with two level records, one of each other non-empty table and
// a text store with a "tags" section.
GameDataImage sample_image() {
  GameDataImage image;
  image.items.resize(2);
  image.items[1].code.assign("it_coin");
  image.beings.resize(1);
  image.beings[0].name_template.assign("%names% the Bold");
  image.levels.resize(2);
  image.levels[0].level_index = 1;
  image.levels[1].level_index = 2;
  image.levels[1].level_map_size = 128;
  image.portal_list.resize(1);
  image.portal_list[0].portal_level = 2;
  image.portal_list[0].placement.stuff_id = 1;
  image.templates.resize(1);
  image.templates[0].name.assign("sp_test");
  image.templates[0].cells[3][4] = 2;
  // Sections: 1 "tags" (lines 0..1), 2 the section names (lines 2..4,
  // line 0 of that range naming the blank entry 0).
  image.directory = {{0, 0, 0, 0}, {0, 2, 0, 0}, {2, 3, 0, 0}};
  image.text = "sg_all\r\nvg_all\r\n-\r\ntags\r\nsection_names\r\n";
  return image;
}

class GameDataFileTest : public ContainerTest {
 protected:
  void SetUp() override {
    ContainerTest::SetUp();
    folder = fs::temp_directory_path() /
             ("gamedata_container_" + std::to_string(getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder / "Data");
    program_folder = folder.string() + "/";
    data_name = "Test";
  }
  void TearDown() override {
    release_game_data();
    fs::remove_all(folder);
    ContainerTest::TearDown();
  }
  std::string file_name() const { return program_folder + "Data/Test.kvd"; }
  void write_file(const std::vector<uint8_t>& bytes) const {
    std::ofstream out(file_name(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  void write_image(GameDataImage image) const {
    MemoryStream stream = image.decoded();
    pack_container(stream);
    write_file(stream.bytes);
  }
  fs::path folder;
};

}  // namespace

TEST_F(GameDataFileTest, LoadsEveryTableWithABlankEntryZero) {
  write_image(sample_image());
  ASSERT_TRUE(load_game_data());
  EXPECT_TRUE(messages.empty());
  EXPECT_FALSE(shutting_down);

  EXPECT_EQ(item_plans.highest(), 2);
  EXPECT_EQ(talents.highest(), 0);  // count 0: only the blank entry
  EXPECT_EQ(being_plans.highest(), 1);
  ASSERT_EQ(level_table.highest(), 2);
  EXPECT_EQ(portals.highest(), 1);
  EXPECT_EQ(contents.highest(), 0);
  ASSERT_EQ(area_templates.highest(), 1);
  EXPECT_EQ(text_directory.highest(), 2);
  EXPECT_EQ(being_text_links.highest(), 1);
  EXPECT_EQ(item_text_links.highest(), 2);

  const LevelRecord blank{};
  EXPECT_EQ(std::memcmp(&level_table[0], &blank, sizeof blank), 0);
  EXPECT_EQ(level_table[1].level_index, 1);
  EXPECT_EQ(level_table[2].level_index, 2);
  EXPECT_EQ(level_table[2].level_map_size, 128);
  EXPECT_EQ(portals[1].portal_level, 2);
  EXPECT_EQ(portals[1].placement.stuff_id, 1);
  EXPECT_EQ(area_templates[1].name.str(), "sp_test");
  EXPECT_EQ(area_templates[1].cells[3][4], 2);
  EXPECT_EQ(being_plans[1].name_template.str(), "%names% the Bold");
  EXPECT_EQ(coin_item_plan, 2);
  EXPECT_EQ(multishot_talent, 0);

  ASSERT_EQ(text_store.highest(), 4);
  EXPECT_EQ(text_store[1], "vg_all");
  ASSERT_EQ(text_section_names.highest(), 2);
  EXPECT_EQ(text_section_names[1], "tags");
  EXPECT_EQ(text_section_names[2], "section_names");
  ASSERT_EQ(text_tags.highest(), 1);
  EXPECT_EQ(text_tags[0], "sg_all");
  EXPECT_EQ(text_tags[1], "vg_all");
}

TEST_F(GameDataFileTest, ASecondLoadReplacesTheTables) {
  write_image(sample_image());
  ASSERT_TRUE(load_game_data());
  GameDataImage smaller = sample_image();
  smaller.levels.resize(1);
  write_image(smaller);
  ASSERT_TRUE(load_game_data());
  EXPECT_EQ(level_table.highest(), 1);
}

TEST_F(GameDataFileTest, MissingFileIsNamed) {
  EXPECT_FALSE(load_game_data());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "Missing file \"" + file_name() + "\"! Shutting down.");
  EXPECT_TRUE(shutting_down);
}

TEST_F(GameDataFileTest, WrongHeaderOrSignatureIsRefused) {
  struct Case {
    std::string name;
    void (*change)(GameDataImage&, int);
    int value;
  };
  std::vector<Case> cases = {
      {"version 51", [](GameDataImage& g, int) { g.header.version = 51; }, 0},
      {"block length 75", [](GameDataImage& g, int) { g.header.block_length = 75; }, 0},
  };
  for (int i = 1; i <= signature_count; ++i)
    cases.push_back({"signature value " + std::to_string(i),
                     [](GameDataImage& g, int k) { g.sizes.signature[k] += 1; }, i});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GameDataImage image = sample_image();
    c.change(image, c.value);
    write_image(image);
    messages.clear();
    shutting_down = false;
    EXPECT_FALSE(load_game_data());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], corrupted_message(file_name()));
    EXPECT_TRUE(shutting_down);
    EXPECT_TRUE(level_table.empty());  // nothing further was read
  }
}

TEST_F(GameDataFileTest, FlippedBitInTheFileIsRefused) {
  MemoryStream stream = sample_image().decoded();
  pack_container(stream);
  stream.bytes[stream.bytes.size() / 2] ^= 0x04;
  write_file(stream.bytes);
  EXPECT_FALSE(load_game_data());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], corrupted_message(file_name()));
}

TEST_F(GameDataFileTest, ShortFileOrOverlongTableEndsWithAStreamError) {
  write_file(bytes_of({'P', 'K', 1, 2, 3}));
  EXPECT_THROW(load_game_data(), StreamReadError);

  // Valid checksums, but the size block claims more records than follow;
  // 65535 contents (2.4 GB) must be refused before anything is allocated.
  const struct {
    const char* name;
    uint16_t SizeBlock::*count;
    uint16_t value;
  } cases[] = {{"a third level record", &SizeBlock::level_count, 3},
               {"65535 contents", &SizeBlock::content_count, 65535},
               {"more text sections", &SizeBlock::text_section_count, 400}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryStream stream = sample_image().decoded();
    SizeBlock sizes;
    std::memcpy(&sizes, stream.bytes.data() + sizeof(VersionHeader), sizeof sizes);
    sizes.*c.count = c.value;
    std::memcpy(stream.bytes.data() + sizeof(VersionHeader), &sizes, sizeof sizes);
    pack_container(stream);
    write_file(stream.bytes);
    EXPECT_THROW(load_game_data(), StreamReadError);
  }
}
