// Whole dungeons of the generated levels from the shipped game data: over
// 200 seeds per level every one of the nine area kinds is built somewhere,
// every shipped template is placed, the template areas agree with their
// templates, and the finished maps keep the promises of finalization.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>

#include "GAME_Dungeon.h"
#include "GAME_File.h"
#include "GAME_Global.h"
#include "GAME_Graphics.h"
#include "GAME_Level.h"
#include "GAME_Map.h"
#include "GAME_Reset.h"
#include "map_text.h"
#include "finished_map.h"
#include "shipped_data.h"

namespace {

constexpr int generated_levels[] = {3, 4, 6, 8};
constexpr uint32_t seeds_per_level = 200;

// What a finished map must satisfy, with the template areas agreeing with
// their templates; empty when it does.
std::string broken_promise() {
  if (std::string problem = finished_map_problem(); !problem.empty()) return problem;
  for (int i = 1; i <= areas.highest(); ++i) {
    const AreaRecord& a = areas[i];
    if (a.kind != area_kind::special && a.kind != area_kind::vault) continue;
    if (a.template_index < 1 || a.template_index > template_count())
      return "template area " + std::to_string(i) + " without its template";
    const AreaTemplate& tpl = area_templates[a.template_index];
    if (a.template_flag != tpl.sealed) return "template area " + std::to_string(i) + " lost its seal";
    // Dead-end caps are vaults whatever their name says.
    const bool named_special = tpl.name.str().starts_with("sp_");
    if (named_special && a.kind == area_kind::vault && tpl.tags[tag::cg_all] == 0)
      return "special template " + tpl.name.str() + " built as a vault";
    if (!named_special && a.kind == area_kind::special)
      return "vault template " + tpl.name.str() + " built as a special";
  }
  return "";
}

}  // namespace

TEST(AllKinds, EveryKindAndEveryTemplateAppearsOnTheGeneratedLevels) {
  if (!load_shipped_data("dungeon_all_kinds")) GTEST_SKIP() << "the game data files are not built";
  std::map<int, long> kinds;       // kind -> areas built
  std::map<int, long> placements;  // template -> areas built from it
  for (const int level : generated_levels) {
    ASSERT_LE(level, level_table.highest());
    std::map<int, long> level_kinds;
    for (uint32_t seed = 1; seed <= seeds_per_level; ++seed) {
      const uint32_t run_seed = seed * 104729u + static_cast<uint32_t>(level);
      error_log.clear();
      shutting_down = false;
      try {
        ASSERT_TRUE(generate_shipped_dungeon(level, run_seed));
      } catch (const RangeError& e) {
        FAIL() << "level " << level << " seed " << run_seed << ": " << e.what();
      }
      ASSERT_EQ(broken_promise(), "") << "level " << level << " seed " << run_seed;
      for (int i = 1; i <= areas.highest(); ++i) {
        ++level_kinds[areas[i].kind];
        if (areas[i].template_index > 0) ++placements[areas[i].template_index];
      }
    }
    std::cout << "level " << level << ":";
    for (int kind = 1; kind <= area_kind_count; ++kind) {
      std::cout << " " << area_kind_names[kind] << " " << level_kinds[kind];
      kinds[kind] += level_kinds[kind];
    }
    std::cout << "\n";
  }
  for (int kind = 1; kind <= area_kind_count; ++kind)
    EXPECT_GT(kinds[kind], 0) << "no " << area_kind_names[kind] << " on any generated level";
  for (int t = 1; t <= template_count(); ++t) {
    std::cout << "  " << area_templates[t].name.str() << " " << placements[t] << "\n";
    EXPECT_GT(placements[t], 0) << area_templates[t].name.str() << " is never placed";
  }
}
