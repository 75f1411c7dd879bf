// The dungeon generator's shared data: the working copy of the dungeon
// settings, the template tag names and the loaded area templates.
#include "GAME_Dungeon.h"

#include <cstring>

DungeonSettings dungeon;
CheckedTable<AreaTemplate> area_templates;

int template_count() { return area_templates.highest() < 1 ? 0 : area_templates.highest(); }

namespace {
CheckedArray<const char*, 1, tag_count> make_tag_names() {
  CheckedArray<const char*, 1, tag_count> names;
  names.fill("-");
  const char* special_groups[] = {"sg_all",   "sg_rectangular", "sg_curved", "sg_diagonal",
                                  "sg_haphazard", "sg_narrow", "sg_wide",   "sg_small",
                                  "sg_medium", "sg_big",      "sg_huge",   "sg_hallway",
                                  "sg_ambush"};
  for (int i = 0; i < 13; ++i) names[1 + i] = special_groups[i];
  const char* vault_groups[] = {"vg_all",    "vg_rectangular", "vg_curved",     "vg_diagonal",
                                "vg_haphazard", "vg_narrow",   "vg_wide",       "vg_small",
                                "vg_medium", "vg_big",         "vg_huge",       "vg_throneroom",
                                "vg_barracks", "vg_prison"};
  for (int i = 0; i < 14; ++i) names[31 + i] = vault_groups[i];
  names[45] = "- ";
  names[51] = "vg_kavrel_portal";
  names[55] = "cg_all";
  names[59] = "vo_floor_motif";
  names[60] = "vo_base_blocks";
  return names;
}
}  // namespace

const CheckedArray<const char*, 1, tag_count> tag_names = make_tag_names();

int tag_by_name(const std::string& name) {
  if (name.empty() || name[0] == '-') return 0;
  for (int t = 1; t <= tag_count; ++t)
    if (name == tag_names[t]) return t;
  return 0;
}
