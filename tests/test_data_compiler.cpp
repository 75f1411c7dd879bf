// The data compiler: what it makes of good sources, how it refuses bad
// ones ("<file>:<line>: <reason>"), and the shipped data set as the engine
// loads it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "GAME_File.h"
#include "GAME_Global.h"
#include "GAME_Graphics.h"
#include "content_reader.h"
#include "data_set.h"
#include "game_files.h"
#include "level_reader.h"
#include "portal_reader.h"
#include "source_error.h"
#include "template_reader.h"
#include "text_store_reader.h"

namespace fs = std::filesystem;

namespace {
const fs::path shipped_data = fs::path(TEST_SOURCE_DIR) / ".." / "data";

// The message of the SourceError that run throws, or "(accepted)".
std::string error_of(const std::function<void()>& run) {
  try {
    run();
  } catch (const SourceError& error) {
    return error.what();
  }
  return "(accepted)";
}

// source with the first occurrence of find replaced (find must occur).
std::string edited(std::string source, const std::string& find, const std::string& replace) {
  const size_t at = source.find(find);
  EXPECT_NE(at, std::string::npos) << "fixture lacks: " << find;
  if (at != std::string::npos) source.replace(at, find.size(), replace);
  return source;
}

// 1-based line of the first occurrence of text in source.
int line_of_text(const std::string& source, const std::string& text) {
  const size_t at = source.find(text);
  return at == std::string::npos ? -1 : 1 + static_cast<int>(std::count(source.begin(), source.begin() + static_cast<long>(at), '\n'));
}

DataNames two_templates() { return DataNames{{"sp_one", "vt_small"}, {"co_one"}}; }

const std::string good_level = R"(level_index = 3
level_map_size = 128
dig_steps = 80
corridor_branch_chance = 20
merge_chance = 10
merge_special_chance = 0
tunnel_end_chance = 20
corridor_width = 1
dead_end_room_limit = 5
doorway_door_chance = 50
open_door_chance = 30
template_widen_chance = 20
special_widen_chance = 20
mark_doorway_chance = 25
secret_door_chance = 5
door_to_secret_chance = 8
lock_chance = 10
mimic_chance = 0
fix_naturals_chance = 20
dim_lights = 10
animated_light_chance = 0
room_size = "2d4+3"
secret_door_difficulty = "1d10+5"
lock_difficulty = "1d6+4"
stuff_amount = "2d4"
natural_alt_floor = "bl_floor_natural_green"
natural_blocks = [["bl_wall_stone_grey", "bl_floor_natural_grey"]]
built_blocks = [["bl_wall_block_grey", "bl_floor_plate_grey"], ["bl_wall_wood", "bl_floor_wood"]]
special_blocks = [["bl_wall_tile_gold", "bl_floor_plate_gold"]]
vault_blocks = [["bl_wall_block_purple", "bl_floor_plate_purple"]]
forced_contents = ["co_one"]

[area_chance]
corridor = 40
room = 45
vault = 3

[area_seq]
corridor = 40
room = 60

[area_max]
vault = 1

[include_tags]
specials = ["sg_all"]
vaults = ["vg_all", "vo_base_blocks"]

[exclude_tags]
specials = ["sg_ambush"]

[[force_area]]
area = "vt_small"
count = "1d2"
slot = 2

[[force_area]]
area = "tag:vg_prison"
count = "1"
)";

LevelRecord level_from(const std::string& source) {
  return read_level(source, "level.toml", two_templates());
}

TEST(LevelSource, EveryFieldLandsInItsRecordField) {
  const LevelRecord level = level_from(good_level);
  const DungeonSettings& d = level.dungeon;
  EXPECT_EQ(level.level_index, 3);
  EXPECT_EQ(level.level_map_size, 128);
  // Kinds by name: corridor 1, room 2, vault 9; the rest 0.
  EXPECT_EQ(d.area_chance[1], 40);
  EXPECT_EQ(d.area_chance[2], 45);
  EXPECT_EQ(d.area_chance[9], 3);
  EXPECT_EQ(d.area_chance[7], 0);
  EXPECT_EQ(d.area_seq[2], 60);
  EXPECT_EQ(d.area_max[9], 1);
  // A template is 9 + its number; a tag 9 + T + tag (vg_prison is 44), in
  // the slot after the copies the first entry's count may need.
  EXPECT_EQ(d.force_area[1], 0);
  EXPECT_EQ(d.force_area[2], 9 + 2);
  EXPECT_EQ(d.force_count[2].count, 1);
  EXPECT_EQ(d.force_count[2].sides, 2);
  EXPECT_EQ(d.force_area[3], 0);
  EXPECT_EQ(d.force_area[4], 9 + 2 + 44);
  EXPECT_EQ(d.dig_steps, 80);
  EXPECT_EQ(d.room_size.count, 2);
  EXPECT_EQ(d.room_size.sides, 4);
  EXPECT_EQ(d.room_size.bonus, 3);
  EXPECT_EQ(d.natural_alt_floor, 55);
  EXPECT_EQ(d.built_block_count, 2);
  EXPECT_EQ(d.built_blocks[2].wall, 34);   // bl_wall_wood
  EXPECT_EQ(d.built_blocks[2].floor, 95);  // bl_floor_wood
  EXPECT_EQ(d.include_tags[1][1], 1);      // sg_all
  EXPECT_EQ(d.include_tags[2][31], 1);     // vg_all
  EXPECT_EQ(d.include_tags[2][60], 1);     // vo_base_blocks
  EXPECT_EQ(d.include_tags[3][55], 0);
  EXPECT_EQ(d.exclude_tags[1][13], 1);     // sg_ambush
  EXPECT_EQ(level.forced_contents[1], 1);
  // Level set-up chooses the block ids; the stored record leaves them 0.
  EXPECT_EQ(d.natural_wall + d.natural_floor + d.built_wall + d.built_floor, 0);
}

struct BadSource {
  const char* what;
  const char* find;
  const char* replace;
  const char* reason;
  const char* at;  // the text whose line the message names (the replacement when null)
};

TEST(LevelSource, BadValuesAreRefusedWithFileLineAndReason) {
  const BadSource cases[] = {
      {"percent too high", "merge_chance = 10", "merge_chance = 140", "merge_chance must be 0..100, not 140", nullptr},
      {"misspelt field", "dim_lights = 10", "dim_lights = 10\ncolour = 3", "unknown field \"colour\"", "colour"},
      {"unknown kind", "vault = 3", "vaults = 3", "unknown field \"vaults\"", nullptr},
      {"unknown block", "\"bl_floor_plate_grey\"]", "\"bl_floor_plate_gray\"]", "unknown block \"bl_floor_plate_gray\"", "built_blocks"},
      {"light floor", "\"bl_floor_plate_grey\"]", "\"bl_floor_plate_grey_light\"]",
       "use the dark floor of a pair; its _light twin is drawn with it", "built_blocks"},
      {"wall as floor", "\"bl_floor_plate_gold\"]", "\"bl_wall_tile_gold\"]",
       "the second block of a pair must be a floor", "special_blocks"},
      {"not a dice", "room_size = \"2d4+3\"", "room_size = \"2x4\"",
       "\"2x4\" is not a dice expression (e.g. \"2d4+4\", \"3\", \"all\")", nullptr},
      {"rooms too small", "room_size = \"2d4+3\"", "room_size = \"1d4\"",
       "room_size must never roll below 5 (a room needs walls round a floor)", nullptr},
      {"slots run out", "slot = 2", "slot = 30", "a count of up to 2 from slot 30 covers more than the 30 slots",
       "count = \"1d2\""},
      {"copies overwrite a slot", "count = \"1\"", "count = \"1\"\nslot = 3",
       "its copies would overwrite slot 3, used by the entry at line 52", "count = \"1\""},
      {"count never 1", "count = \"1\"", "count = \"0\"", "the count of a forced area must be able to reach 1", nullptr},
      {"unknown template", "\"vt_small\"", "\"vt_large\"", "unknown area kind or template \"vt_large\"", nullptr},
      {"unknown tag", "\"sg_all\"", "\"sg_everything\"", "unknown tag \"sg_everything\"", nullptr},
      {"tag of another group", "specials = [\"sg_all\"]", "specials = [\"vg_all\"]",
       "tag \"vg_all\" does not belong to the specials (sg_...)", nullptr},
      {"unknown content", "[\"co_one\"]", "[\"co_two\"]", "unknown content \"co_two\"", nullptr},
      {"level beyond 12", "level_index = 3", "level_index = 13", "level_index must be 1..12, not 13", nullptr},
  };
  for (const BadSource& c : cases) {
    const std::string source = edited(good_level, c.find, c.replace);
    const int line = line_of_text(source, c.at ? c.at : c.replace);
    EXPECT_EQ(error_of([&] { level_from(source); }),
              "level.toml:" + std::to_string(line) + ": " + c.reason)
        << c.what;
  }
}

TEST(LevelSource, SyntaxErrorsNameTheirLine) {
  const std::string message = error_of([] { level_from(edited(good_level, "dig_steps = 80", "dig_steps = = 80")); });
  EXPECT_EQ(message.rfind("level.toml:3: TOML syntax:", 0), 0u) << message;
}

// ---- Templates --------------------------------------------------------

const std::string good_template = R"(name vt_small
tags vg_all vg_small
symbol k fu_chest
|#####
|#k..>
|#...#
|##@##
zone 1 3 3 1 1
zone 2 2 2 3 2
)";

// The template's cells drawn back with the source legend.
std::string cells_as_text(const AreaTemplate& t, int width, int height) {
  const char legend[] = " %#,.:";
  std::string text;
  for (int v = 1; v <= height; ++v) {
    for (int u = 1; u <= width; ++u) text += legend[t.cells[u][v]];
    text += '\n';
  }
  return text;
}

TEST(TemplateSource, GridSymbolsExitsAndZonesBecomeTheRecord) {
  const AreaTemplate t = read_template(good_template, "vt_small.txt").record;
  EXPECT_EQ(t.name.str(), "vt_small");
  // The chest stands on template floor, the exit and the entry are walls.
  EXPECT_EQ(cells_as_text(t, 5, 4),
            "#####\n"
            "#...#\n"
            "#...#\n"
            "#####\n");
  EXPECT_EQ(t.entry_u, 3);
  EXPECT_EQ(t.entry_v, 4);
  EXPECT_EQ(t.size, 4);  // rows from the entry up to the top
  EXPECT_EQ(t.exits[1].u, 5);
  EXPECT_EQ(t.exits[1].v, 2);
  EXPECT_EQ(t.exits[1].direction, 2);
  EXPECT_EQ(t.exits[2].u, 0);
  EXPECT_EQ(t.furniture[1].u, 2);
  EXPECT_EQ(t.furniture[1].v, 2);
  EXPECT_EQ(t.furniture[1].furniture, 12);
  EXPECT_EQ(t.zones[2].u, 2);
  EXPECT_EQ(t.zones[2].width, 3);
  EXPECT_EQ(t.zones[2].height, 2);
  EXPECT_EQ(t.tags[31], 1);
  EXPECT_EQ(t.tags[38], 1);
  EXPECT_EQ(t.sealed, 0);
}

TEST(TemplateSource, ExitsMayForceAKindOrATemplate) {
  ParsedTemplate parsed = read_template(good_template + "exit 3 4 south corridor\nexit 1 3 west sp_one\n", "t.txt");
  resolve_exit_kinds(parsed, two_templates(), "t.txt");
  EXPECT_EQ(parsed.record.exits[1].forced_kind, 0);      // the grid's exit comes first
  EXPECT_EQ(parsed.record.exits[2].forced_kind, 1);      // an exit on the entry is allowed
  EXPECT_EQ(parsed.record.exits[3].forced_kind, 9 + 1);  // template 1
  ParsedTemplate unknown = read_template(good_template + "exit 1 3 west sp_two\n", "t.txt");
  EXPECT_EQ(error_of([&] { resolve_exit_kinds(unknown, two_templates(), "t.txt"); }),
            "t.txt:10: unknown area kind or template \"sp_two\"");
}

TEST(TemplateSource, BadPiecesAreRefusedWithFileLineAndReason) {
  const std::string wide_row = "|" + std::string(65, '#');
  const BadSource cases[] = {
      {"exit on floor", "zone 1", "exit 3 3 north\nzone 1", "an exit must be on a wall cell (# or %)", nullptr},
      {"exit facing in", "zone 1", "exit 1 3 east\nzone 1", "the cell behind an exit facing east must be a floor", nullptr},
      {"exit facing into the template", "symbol k fu_chest\n|#####\n|#k..>", "symbol k fu_chest\nexit 3 2 east\n|#####\n|#k#.>",
       "the cell ahead of an exit facing east must be outside the template", "exit 3 2"},
      {"overlapping pieces", "zone 1", "furniture fu_barrel 2 2\nzone 1",
       "furniture at (2, 2) overlaps the piece of line 5", nullptr},
      {"furniture on an exit", "zone 1", "furniture fu_barrel 5 2\nzone 1",
       "furniture at (5, 2) overlaps the piece of line 5", nullptr},
      {"off the grid", "zone 1", "furniture fu_barrel 9 9\nzone 1", "furniture at (9, 9) is off the drawn grid", nullptr},
      {"undeclared symbol", "|#k..>", "|#q..>",
       "unknown grid character 'q' in column 2 (declare it with: symbol q <furniture>)", nullptr},
      {"floor open to the side", "|#...#", "|#....", "the floor at (5, 3) is open to the east: close it with a wall", nullptr},
      {"entry without floor ahead", "|#...#", "|#.#.#",
       "the cell north of the entry must be a floor: the template grows north from it", "@"},
      {"tag of a special", "tags vg_all vg_small", "tags vg_all sg_small",
       "tag \"sg_small\" is for specials (this is a vault: vg_, cg_ and vo_ tags)", nullptr},
      {"unknown tag", "tags vg_all vg_small", "tags vg_all vg_tiny", "unknown tag \"vg_tiny\"", nullptr},
      {"zone over nothing", "zone 1", "zone 3 4 3 3 2\nzone 1", "zone 3 covers (6, 3), which is off the drawn grid", nullptr},
      {"grid too wide", "|#####", wide_row.c_str(), "the grid is wider than 64 columns", nullptr},
      {"unknown statement", "zone 1", "colour red\nzone 1", "unknown statement \"colour\"", nullptr},
      {"bad number", "zone 1 3 3 1 1", "zone 1 3 x 1 1", "v must be a whole number, not \"x\"", nullptr},
  };
  for (const BadSource& c : cases) {
    const std::string source = edited(good_template, c.find, c.replace);
    const int line = line_of_text(source, c.at ? c.at : c.replace);
    EXPECT_EQ(error_of([&] { read_template(source, "t.txt"); }), "t.txt:" + std::to_string(line) + ": " + c.reason)
        << c.what;
  }
}

TEST(TemplateSource, WholeTemplateProblemsNameTheFile) {
  const struct {
    const char* find;
    const char* replace;
    const char* reason;
  } cases[] = {
      {"|##@##", "|#####", "the template has no entry ('@' in the grid or: entry <u> <v>)"},
      {"zone 2 2 2 3 2\n", "", "the template needs zone 2, the floor where level contents go"},
      {"name vt_small\n", "", "the template has no name"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(error_of([&] { read_template(edited(good_template, c.find, c.replace), "t.txt"); }),
              std::string("t.txt:0: ") + c.reason);
}

TEST(TemplateSource, AFloorInTwoPiecesIsRefused) {
  const std::string split = "name vt_split\ntags vg_all\n|#######\n|#.#...#\n|###...#\n|###@###\nzone 2 4 2 3 2\n";
  EXPECT_EQ(error_of([&] { read_template(split, "t.txt"); }),
            "t.txt:4: the floor at (4, 2) cannot be reached from (2, 2): the floor falls apart");
}

// ---- Portals, contents, texts -----------------------------------------

TEST(OtherSources, BadEntriesAreRefusedWithFileLineAndReason) {
  const DataNames names = two_templates();
  const std::string portal = "[[portal]]\nportal_id = 7\nportal_level = 1\ndestination_level = 2\nfurniture = \"fu_stairs_down\"\n";
  EXPECT_EQ(error_of([&] { read_portals(portal + portal, "portals.toml", names); }),
            "portals.toml:7: portal_id 7 is used by the portal at line 2");
  EXPECT_EQ(error_of([&] { read_portals(edited(portal, "fu_stairs_down", "fu_chest"), "portals.toml", names); }),
            "portals.toml:5: a portal is fu_stairs_down, fu_stairs_up or fu_teleporter");
  EXPECT_EQ(error_of([&] {
              read_portals(portal + "[portal.placement]\nneed_kind = \"hall\"\n", "portals.toml", names);
            }),
            "portals.toml:7: unknown area kind or template \"hall\"");

  const std::string content = "[[content]]\ncontent_code = \"co_one\"\n";
  EXPECT_EQ(error_of([&] { read_contents(content, "contents.toml", names); }),
            "contents.toml:1: a content needs [[content.area_needs]] whose first entry has a need_kind");
  EXPECT_EQ(error_of([&] { read_content_codes(content + content, "contents.toml"); }),
            "contents.toml:4: content \"co_one\" is also defined at line 2");
  EXPECT_EQ(error_of([&] {
              read_contents(content + "light_chance = 101\n[[content.area_needs]]\nneed_kind = \"room\"\n",
                            "contents.toml", names);
            }),
            "contents.toml:3: light_chance must be 0..100, not 101");

  EXPECT_EQ(error_of([] { read_text_store("hello\n[tags]\n", "texts.txt"); }),
            "texts.txt:1: text before the first [section]");
  EXPECT_EQ(error_of([] { read_text_store("[tags]\na\n[tags]\n", "texts.txt"); }),
            "texts.txt:3: section [tags] is given twice");
}

TEST(OtherSources, TheTextStoreEndsWithTheSectionNames) {
  const TextStore store = read_text_store("# comment\n[tags]\ntg_dark\n\ntg_damp\n[signs]\nTurn back.\n", "texts.txt");
  ASSERT_EQ(store.directory.size(), 4u);  // blank entry 0, tags, signs, the names
  EXPECT_EQ(store.directory[1].first_line, 0);
  EXPECT_EQ(store.directory[1].line_count, 2);
  EXPECT_EQ(store.directory[2].first_line, 2);
  EXPECT_EQ(store.directory[2].line_count, 1);
  EXPECT_EQ(store.directory[3].first_line, 3);
  const std::vector<std::string> expected{"tg_dark", "tg_damp", "Turn back.", "-", "tags", "signs", "section_names"};
  EXPECT_EQ(store.lines, expected);
}

// ---- The shipped data set ---------------------------------------------

// A scratch folder of this process, removed afterwards.
struct ScratchFolder {
  explicit ScratchFolder(const std::string& name)
      : path(fs::temp_directory_path() / (name + "_" + std::to_string(::getpid()))) {
    fs::create_directories(path);
  }
  ~ScratchFolder() { fs::remove_all(path); }
  fs::path path;
};

class ShippedData : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new ScratchFolder("shipped_data");
    summary_ = compile_game_files(shipped_data, folder_->path / "Data");
    set_message_box_handler([](const std::string& text) { messages_ += text; });
    build_key_text();
    program_folder = folder_->path.string() + "/";
    data_name = "Kavrel";
    engine_settings.tileset_name = "Kavrel";
    loaded_ = load_game_data() && load_tile_catalogue();
  }
  static void TearDownTestSuite() {
    release_game_data();
    release_graphics();
    delete folder_;
  }
  static inline ScratchFolder* folder_ = nullptr;
  static inline std::string summary_;
  static inline std::string messages_;
  static inline bool loaded_ = false;
};

TEST_F(ShippedData, LoadsThroughTheEngine) {
  ASSERT_TRUE(loaded_) << messages_;
  EXPECT_EQ(level_table.highest(), 12);
  EXPECT_GE(area_templates.highest(), 24);
  EXPECT_EQ(furniture_tiles.highest(), 65);
  EXPECT_FALSE(text_tags.empty());
}

TEST_F(ShippedData, LevelsAreWhereTheGameLooksForThem) {
  ASSERT_TRUE(loaded_);
  for (int k = 1; k <= 12; ++k) {
    const LevelRecord& level = level_table[k];
    EXPECT_EQ(level.level_index, k);
    EXPECT_GE(level.dungeon.dig_steps, 30) << "level " << k;
    EXPECT_LE(level.dungeon.dig_steps, 110) << "level " << k << ": area numbers must stay below 256";
  }
  for (int k : {3, 4, 6, 8}) EXPECT_EQ(level_table[k].level_map_size, 128) << "level " << k;
}

TEST_F(ShippedData, HasSpecialsVaultsAndCapsForEveryCategory) {
  ASSERT_TRUE(loaded_);
  int specials = 0, vaults = 0, caps = 0;
  for (int t = 1; t <= template_count(); ++t) {
    const AreaTemplate& record = area_templates[t];
    if (record.name.str().starts_with("sp_"))
      ++specials;
    else if (record.tags[tag::cg_all])
      ++caps;
    else
      ++vaults;
    EXPECT_NE(record.zones[2].u, 0) << record.name.str();
  }
  EXPECT_GE(specials, 12);
  EXPECT_GE(vaults, 8);
  EXPECT_GE(caps, 4);
}

TEST_F(ShippedData, RunTimeFieldsAreStoredAsZero) {
  ASSERT_TRUE(loaded_);
  auto zero = [](const void* record, size_t from, size_t to) {
    const auto* bytes = static_cast<const uint8_t*>(record);
    return std::all_of(bytes + from, bytes + to, [](uint8_t b) { return b == 0; });
  };
  for (int k = 1; k <= level_table.highest(); ++k) {
    const LevelRecord& level = level_table[k];
    EXPECT_TRUE(zero(&level, 99, 108)) << "area_count of level " << k;
    EXPECT_TRUE(zero(&level, 1851, 1911)) << "tag_placed of level " << k;
    EXPECT_TRUE(zero(&level, 2876, 2916)) << "dungeon run-time fields of level " << k;
    EXPECT_TRUE(zero(&level, 27688, 27840)) << "run-time tail of level " << k;
  }
  for (int t = 1; t <= template_count(); ++t)
    EXPECT_TRUE(zero(&area_templates[t], 4792, 4812)) << area_templates[t].name.str();
  for (int p = 1; p <= portals.highest(); ++p) EXPECT_TRUE(zero(&portals[p], 250, 254)) << "portal " << p;
}

TEST_F(ShippedData, EveryLevelHasStairsDownAndUp) {
  ASSERT_TRUE(loaded_);
  for (int k = 1; k <= 12; ++k) {
    bool down = false, up = false;
    for (int p = 1; p <= portals.highest(); ++p) {
      if (portals[p].portal_level != k) continue;
      down = down || portals[p].placement.stuff_id == furniture::stairs_down;
      up = up || portals[p].placement.stuff_id == furniture::stairs_up;
    }
    EXPECT_TRUE(down && up) << "level " << k;
  }
}

TEST_F(ShippedData, ContainersStatuesAndPillarsHaveSeveralVariants) {
  ASSERT_TRUE(loaded_);
  for (const char* name : {"fu_chest", "fu_table", "fu_statue_humanoid", "fu_pillar", "fu_bookcase"})
    EXPECT_GT(furniture_variant_count(furniture_by_name(name)), 1) << name;
  for (int f = 3; f <= 7; ++f) EXPECT_EQ(furniture_variant_count(f), 1) << "teleporters and lights keep variant 0";
}

// ---- Failed runs ------------------------------------------------------

TEST(CompileRun, ABadSourceLeavesTheOldOutputUntouched) {
  ScratchFolder scratch("bad_source");
  const fs::path sources = scratch.path / "data";
  const fs::path output = scratch.path / "program" / "Data";
  fs::copy(shipped_data, sources, fs::copy_options::recursive);
  fs::create_directories(output);
  std::ofstream(output / "Kavrel.kvd") << "old";
  std::ofstream(sources / "levels" / "level_05.toml", std::ios::app) << "colour = 3\n";

  const std::string message = error_of([&] { compile_game_files(sources, output); });
  EXPECT_NE(message.find("level_05.toml:"), std::string::npos) << message;
  EXPECT_NE(message.find("unknown field \"colour\""), std::string::npos) << message;
  EXPECT_EQ(read_source_file(output / "Kavrel.kvd"), "old");
  for (const fs::directory_entry& entry : fs::directory_iterator(output))
    EXPECT_EQ(entry.path().filename(), "Kavrel.kvd") << "left behind: " << entry.path();
}

}  // namespace
