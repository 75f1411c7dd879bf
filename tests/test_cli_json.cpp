// The JSON map export: it parses back, its cell layers, areas and doors
// agree with the map it was made from, and one seed gives one document.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "Cli_Json.h"
#include "GAME_Map.h"
#include "shipped_data.h"

namespace {

constexpr uint32_t seed = 4711;
constexpr int level = 6;

class MapJson : public testing::Test {
 protected:
  void SetUp() override {
    if (!load_shipped_data("dungeon_cli_json")) GTEST_SKIP() << "the game data files are not built";
    ASSERT_TRUE(generate_shipped_dungeon(level, seed));
    text = map_json_text(seed);
    doc = nlohmann::json::parse(text);
  }
  std::string text;
  nlohmann::json doc;
};

TEST_F(MapJson, HeaderNamesTheMap) {
  EXPECT_EQ(doc["format"], "dungeon-map");
  EXPECT_EQ(doc["format_version"], map_json_format_version);
  EXPECT_EQ(doc["seed"], seed);
  EXPECT_EQ(doc["level"], level);
  EXPECT_EQ(doc["map_size"], map_size);
}

TEST_F(MapJson, CellLayersAgreeWithTheMap) {
  const auto& cells = doc["cells"];
  ASSERT_EQ(cells["block"].size(), static_cast<size_t>(map_size));
  for (int y = 1; y <= map_size; ++y) {
    const auto row = static_cast<size_t>(y - 1);
    const std::string kinds = cells["area_kind"][row];
    const std::string secrets = cells["secret_door"][row];
    for (int x = 1; x <= map_size; ++x) {
      const auto column = static_cast<size_t>(x - 1);
      const MapCell& cell = map_cells(x, y);
      ASSERT_EQ(cells["block"][row][column], cell.block) << x << "," << y;
      ASSERT_EQ(cells["area_index"][row][column], cell.area_index) << x << "," << y;
      ASSERT_EQ(cells["furniture"][row][column], cell.furniture) << x << "," << y;
      ASSERT_EQ(cells["furniture_state"][row][column], cell.furniture_state) << x << "," << y;
      ASSERT_EQ(kinds[column] - '0', cell.area_kind) << x << "," << y;
      ASSERT_EQ(secrets[column] == '1', cell.furniture == furniture::door_secret && cell.secret_difficulty != 0)
          << x << "," << y;
    }
  }
  for (const auto& [id, name] : doc["block_names"].items()) EXPECT_EQ(name, block_names[std::stoi(id)]);
}

TEST_F(MapJson, AreasAndDoorsAgreeWithTheMap) {
  int registered = 0;
  for (int n = 1; n <= areas.highest(); ++n) registered += areas[n].kind != 0 ? 1 : 0;
  ASSERT_EQ(doc["areas"].size(), static_cast<size_t>(registered));
  for (const auto& area : doc["areas"]) {
    const AreaRecord& record = areas[area["number"].get<int>()];
    EXPECT_EQ(area["kind"], area_kind_names[record.kind]);
    EXPECT_EQ(area["box"]["x1"], record.x1);
    EXPECT_EQ(area["box"]["y2"], record.y2);
    EXPECT_EQ(area["centre"]["x"], record.centre_x);
    EXPECT_EQ(area["parent"], record.parent_area);
    EXPECT_EQ(area["template"].is_null(), record.template_index == 0);
    for (const auto& neighbour : area["neighbours"]) {
      const std::string passage = neighbour["passage"];
      EXPECT_TRUE(passage == "empty" || passage == "opened" || passage == "closed" || passage == "locked")
          << passage;
    }
  }
  int door_cells = 0;
  for (int x = 1; x <= map_size; ++x)
    for (int y = 1; y <= map_size; ++y)
      door_cells += map_cells(x, y).furniture >= furniture::door && map_cells(x, y).furniture <= furniture::door_secret;
  ASSERT_EQ(doc["doors"].size(), static_cast<size_t>(door_cells));
  for (const auto& door : doc["doors"]) {
    const MapCell& cell = map_cells(door["x"].get<int>(), door["y"].get<int>());
    const std::string kind = door["kind"];
    const int expected = kind == "door" ? 8 : kind == "locked" ? 9 : kind == "cell" ? 10 : kind == "secret" ? 11 : -1;
    EXPECT_EQ(cell.furniture, expected) << kind;
  }
}

TEST_F(MapJson, SameSeedGivesTheSameDocument) {
  ASSERT_TRUE(generate_shipped_dungeon(level, seed));
  EXPECT_EQ(map_json_text(seed), text);
  ASSERT_TRUE(generate_shipped_dungeon(level, seed + 1));
  EXPECT_NE(map_json_text(seed + 1), text);
}

}  // namespace
