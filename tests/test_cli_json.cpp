// The JSON map export: its layout, that it parses back, that its cell
// layers, areas and doors agree with the map it was made from, that one seed
// gives one document, and "dungeon-cli generate --json" run as a program.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Cli_Json.h"
#include "GAME_Dungeon.h"
#include "GAME_Map.h"
#include "Json_Layout.h"
#include "cli_run.h"
#include "shipped_data.h"

namespace {

using Json = nlohmann::json;

TEST(JsonLayout, FlatValuesStayOnOneLineOthersOneMemberPerLine) {
  const struct {
    const char* json;
    const char* text;
  } cases[] = {
      {"7", "7\n"},
      {"[]", "[]\n"},
      {"[1,2,3]", "[1,2,3]\n"},
      {R"({"b":1,"a":"x\"y"})", "{\"b\": 1, \"a\": \"x\\\"y\"}\n"},
      {R"({"a":[[1,2],[3]],"e":{}})", "{\n  \"a\": [\n    [1,2],\n    [3]\n  ],\n  \"e\": {}\n}\n"},
      {R"([{"x":1,"n":null},{"y":[true]}])", "[\n  {\"x\": 1, \"n\": null},\n  {\n    \"y\": [true]\n  }\n]\n"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(json_layout_text(nlohmann::ordered_json::parse(c.json)), c.text) << c.json;
}

TEST(JsonLayout, BytesThatAreNoUtf8AreReplacedNotThrown) {
  nlohmann::ordered_json value = {{"name", std::string("caf\xe9")}};
  EXPECT_TRUE(Json::accept(json_layout_text(value)));
}

// One generated map of each generated level and its export.
class MapJson : public testing::Test {
 protected:
  static constexpr uint32_t seed = 4711;
  static void SetUpTestSuite() { data_loaded = load_shipped_data("dungeon_cli_json"); }
  void SetUp() override {
    if (!data_loaded) GTEST_SKIP() << "the game data files are not built";
  }
  // Builds the map of level from seed and parses its export.
  static Json export_of(int level) {
    EXPECT_TRUE(generate_shipped_dungeon(level, seed));
    return Json::parse(map_json_text(seed));
  }
  static inline bool data_loaded = false;
  static constexpr int levels[] = {3, 4, 6, 8};
};

TEST_F(MapJson, HeaderAndCellLayersAgreeWithTheMap) {
  for (const int level : levels) {
    SCOPED_TRACE("level " + std::to_string(level));
    const Json doc = export_of(level);
    EXPECT_EQ(doc["format"], "dungeon-map");
    EXPECT_EQ(doc["format_version"], map_json_format_version);
    EXPECT_EQ(doc["seed"], seed);
    EXPECT_EQ(doc["level"], level);
    ASSERT_EQ(doc["map_size"], map_size);
    const Json& cells = doc["cells"];
    for (const char* layer : {"block", "area_kind", "area_index", "furniture", "furniture_state", "secret_door"})
      ASSERT_EQ(cells[layer].size(), static_cast<size_t>(map_size)) << layer;
    std::set<int> blocks, furniture_kinds;
    for (int y = 1; y <= map_size; ++y) {
      const auto row = static_cast<size_t>(y - 1);
      const std::string kinds = cells["area_kind"][row];
      const std::string secrets = cells["secret_door"][row];
      ASSERT_EQ(kinds.size(), static_cast<size_t>(map_size));
      ASSERT_EQ(secrets.size(), static_cast<size_t>(map_size));
      for (int x = 1; x <= map_size; ++x) {
        const auto column = static_cast<size_t>(x - 1);
        const MapCell& cell = map_cells(x, y);
        SCOPED_TRACE("cell " + std::to_string(x) + "," + std::to_string(y));
        ASSERT_EQ(cells["block"][row][column], cell.block);
        ASSERT_EQ(kinds[column] - '0', cell.area_kind);
        ASSERT_EQ(cells["area_index"][row][column], cell.area_index);
        ASSERT_EQ(cells["furniture"][row][column], cell.furniture);
        ASSERT_EQ(cells["furniture_state"][row][column], cell.furniture_state);
        ASSERT_EQ(secrets[column] == '1', cell.furniture == furniture::door_secret && cell.secret_difficulty != 0);
        if (cell.block != 0) blocks.insert(cell.block);
        if (cell.furniture != 0) furniture_kinds.insert(cell.furniture);
      }
    }
    // The name tables hold exactly the ids on the map, under their identifiers.
    std::set<int> named_blocks, named_furniture;
    for (const auto& [id, name] : doc["block_names"].items()) {
      named_blocks.insert(std::stoi(id));
      EXPECT_EQ(name, block_names[std::stoi(id)]);
    }
    for (const auto& [id, name] : doc["furniture_names"].items()) {
      named_furniture.insert(std::stoi(id));
      EXPECT_EQ(name, furniture_ids[std::stoi(id)]);
    }
    EXPECT_EQ(named_blocks, blocks);
    EXPECT_EQ(named_furniture, furniture_kinds);
    EXPECT_EQ(doc["area_kind_names"]["7"], "cave");
  }
}

TEST_F(MapJson, AreasAgreeWithTheTableAndItsGraph) {
  for (const int level : levels) {
    SCOPED_TRACE("level " + std::to_string(level));
    const Json doc = export_of(level);
    std::vector<int> registered;
    for (int n = 1; n <= areas.highest(); ++n)
      if (areas[n].kind != 0) registered.push_back(n);
    ASSERT_EQ(doc["areas"].size(), registered.size());
    std::map<int, std::set<int>> neighbours;
    for (size_t i = 0; i < registered.size(); ++i) {
      const Json& area = doc["areas"][i];
      const int number = registered[i];
      const AreaRecord& record = areas[number];
      SCOPED_TRACE("area " + std::to_string(number));
      ASSERT_EQ(area["number"], number);
      EXPECT_EQ(area["kind"], area_kind_names[record.kind]);
      if (record.template_index == 0)
        EXPECT_TRUE(area["template"].is_null());
      else
        EXPECT_EQ(area["template"], area_templates[record.template_index].name.str());
      EXPECT_EQ(area["box"], Json({{"x1", record.x1}, {"y1", record.y1}, {"x2", record.x2}, {"y2", record.y2}}));
      EXPECT_EQ(area["centre"], Json({{"x", record.centre_x}, {"y", record.centre_y}}));
      EXPECT_EQ(area["cells"], record.cell_count);
      EXPECT_EQ(area["parent"], number == 1 ? 0 : record.parent_area);
      for (const Json& neighbour : area["neighbours"]) {
        const std::string passage = neighbour["passage"];
        EXPECT_TRUE(passage == "empty" || passage == "opened" || passage == "closed" || passage == "locked")
            << passage;
        EXPECT_GE(neighbour["touch"], 1);
        neighbours[number].insert(neighbour["area"].get<int>());
      }
    }
    // Touching is mutual.
    for (const auto& [a, others] : neighbours)
      for (const int b : others) EXPECT_TRUE(neighbours[b].count(a)) << a << " lists " << b << " but not back";
  }
}

TEST_F(MapJson, ExportLeavesTheEnginesAreasAsTheyWere) {
  ASSERT_TRUE(generate_shipped_dungeon(6, seed));
  auto connection_fields = [] {
    std::vector<std::vector<int>> fields;
    for (const AreaRecord& area : areas) {
      std::vector<int> f = {area.door_count, area.open_door_count, area.closed_door_count, area.passable_exit_count,
                            area.secret_link_count, area.neighbour_count};
      for (const uint8_t passage : area.neighbour_passage) f.push_back(passage);
      for (const uint16_t secret : area.secret_neighbours) f.push_back(secret);
      fields.push_back(std::move(f));
    }
    return fields;
  };
  const auto before = connection_fields();
  (void)map_json_text(seed);
  EXPECT_EQ(connection_fields(), before);
}

// west-east when both side cells are floor, else north-south when those
// are, else none: the passage a door cell stands in.
std::string axis_of(int x, int y) {
  if (is_floor(x - 1, y, 0) && is_floor(x + 1, y, 0)) return "west-east";
  if (is_floor(x, y - 1, 0) && is_floor(x, y + 1, 0)) return "north-south";
  return "none";
}

TEST_F(MapJson, DoorsAreEveryDoorCellWithItsSidesAndConnection) {
  const std::map<int, std::string> kind_names = {{8, "door"}, {9, "locked"}, {10, "cell"}, {11, "secret"}};
  for (const int level : levels) {
    SCOPED_TRACE("level " + std::to_string(level));
    const Json doc = export_of(level);
    std::map<int, const Json*> area_by_number;
    for (const Json& area : doc["areas"]) area_by_number[area["number"].get<int>()] = &area;
    auto lists = [&](int a, const char* list, int b) {
      for (const Json& entry : (*area_by_number.at(a))[list])
        if ((entry.is_object() ? entry["area"] : entry) == b) return true;
      return false;
    };
    size_t next = 0;
    for (int y = 1; y <= map_size; ++y)
      for (int x = 1; x <= map_size; ++x) {
        const MapCell& cell = map_cells(x, y);
        if (!kind_names.count(cell.furniture)) continue;
        SCOPED_TRACE("door " + std::to_string(x) + "," + std::to_string(y));
        ASSERT_LT(next, doc["doors"].size());
        const Json& door = doc["doors"][next++];
        ASSERT_EQ(door["x"], x);
        ASSERT_EQ(door["y"], y);
        EXPECT_EQ(door["kind"], kind_names.at(cell.furniture));
        EXPECT_EQ(door["state"], cell.furniture_state == 1 ? "open" : "closed");
        const std::string axis = axis_of(x, y);
        EXPECT_EQ(door["axis"], axis);
        const bool west_east = axis == "west-east";
        const int first = axis == "none" ? 0 : west_east ? map_cells(x - 1, y).area_index : map_cells(x, y - 1).area_index;
        const int second = axis == "none" ? 0 : west_east ? map_cells(x + 1, y).area_index : map_cells(x, y + 1).area_index;
        EXPECT_EQ(door["first_area"], first);
        EXPECT_EQ(door["second_area"], second);
        // A secret door links its two sides; a door's own area touches the
        // areas on its sides through it.
        if (cell.furniture == furniture::door_secret) {
          if (first == second || !area_by_number.count(first) || !area_by_number.count(second)) continue;
          EXPECT_TRUE(lists(first, "secret_neighbours", second));
          EXPECT_TRUE(lists(second, "secret_neighbours", first));
        } else if (area_by_number.count(cell.area_index)) {
          for (const int side : {first, second}) {
            if (side != cell.area_index && area_by_number.count(side)) {
              EXPECT_TRUE(lists(cell.area_index, "neighbours", side)) << "side " << side;
            }
          }
        }
      }
    EXPECT_EQ(next, doc["doors"].size()) << "doors listed that the map does not hold";
  }
}

TEST_F(MapJson, SameSeedGivesTheSameBytesOtherSeedAnotherMap) {
  ASSERT_TRUE(generate_shipped_dungeon(6, seed));
  const std::string first = map_json_text(seed);
  ASSERT_TRUE(generate_shipped_dungeon(6, seed));
  EXPECT_EQ(map_json_text(seed), first);
  ASSERT_TRUE(generate_shipped_dungeon(6, seed + 1));
  EXPECT_NE(Json::parse(map_json_text(seed + 1))["cells"], Json::parse(first)["cells"]);
}

// dungeon-cli generate --json, run as a program.
class CliJson : public testing::Test {
 protected:
  void SetUp() override {
    if (!scratch.ready()) GTEST_SKIP() << "dungeon-cli or its data is not built";
  }
  CliScratch scratch{"cli_json_test"};
};

TEST_F(CliJson, NamedFileIsTheOnlyOutputAndParses) {
  const CliRun result = scratch.run("generate --seed 5 --level 3 --json '" + scratch.path("m.json") + "'");
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_NE(result.out.find("-> " + scratch.path("m.json")), std::string::npos) << result.out;
  const Json doc = Json::parse(read_text_file(scratch.path("m.json")));
  EXPECT_EQ(doc["seed"], 5);
  EXPECT_EQ(doc["level"], 3);
  EXPECT_FALSE(std::filesystem::exists(scratch.path("program/Dungeon_Maps"))) << "no PNG export asked for";
}

TEST_F(CliJson, BareJsonGoesBesideEveryPngAndItsSeedRebuildsTheMap) {
  const CliRun result = scratch.run("generate --seed 3 --count 2 --size 256 --json --folder '" + scratch.path("maps") + "'");
  ASSERT_EQ(result.exit_code, 0) << result.err;
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(scratch.path("maps")))
    names.insert(entry.path().filename().string());
  ASSERT_EQ(names.size(), 4u);
  std::vector<std::string> jsons;
  for (const std::string& name : names)
    if (name.ends_with(".json")) {
      EXPECT_TRUE(names.count(name.substr(0, name.size() - 5) + ".png")) << name;
      jsons.push_back(scratch.path("maps/" + name));
    }
  ASSERT_EQ(jsons.size(), 2u);
  // The second map's own seed rebuilds it on its own, byte for byte.
  const std::string second = read_text_file(jsons[1]);
  const uint32_t second_seed = Json::parse(second)["seed"];
  EXPECT_NE(second_seed, 3u);
  const CliRun again =
      scratch.run("generate --seed " + std::to_string(second_seed) + " --json '" + scratch.path("again.json") + "'");
  ASSERT_EQ(again.exit_code, 0) << again.err;
  EXPECT_EQ(read_text_file(scratch.path("again.json")), second);

  const CliRun beside = scratch.run("generate --seed 3 --size 256 --png '" + scratch.path("one.png") + "' --json");
  ASSERT_EQ(beside.exit_code, 0) << beside.err;
  EXPECT_EQ(read_text_file(scratch.path("one.json")), read_text_file(jsons[0])) << "the first map of seed 3";
}

TEST_F(CliJson, RefusedCombinationsAndFailedWrites) {
  const struct {
    std::string arguments;
    int exit_code;
    const char* reason;
  } cases[] = {
      {"generate --count 2 --json x.json", 2, "--json FILE names one file"},
      {"generate --ascii x.txt --json", 2, "--json without a file name"},
      {"generate --seed 1 --json '" + scratch.path("missing/m.json") + "'", 1,
       "Could not write \"/"},
  };
  for (const auto& c : cases) {
    const CliRun result = scratch.run(c.arguments);
    EXPECT_EQ(result.exit_code, c.exit_code) << c.arguments;
    expect_one_line_reason(result, c.reason);
  }
  EXPECT_FALSE(std::filesystem::exists(scratch.path("missing")));
}

}  // namespace
