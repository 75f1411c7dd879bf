#include "level_reader.h"

#include "GAME_Dungeon.h"
#include "GAME_Map.h"
#include "location_reader.h"
#include "source_error.h"
#include "toml_fields.h"

namespace {
constexpr int force_slot_count = 30;

uint8_t percent(TomlFields& fields, std::string_view key) {
  return static_cast<uint8_t>(fields.integer(key, 0, 100));
}

// area_chance, area_seq, area_max: a table keyed by kind name; kinds left out are 0.
void read_kind_table(TomlFields& level, std::string_view key, int64_t high,
                     CheckedArray<uint8_t, 1, 9>& values) {
  values.fill(0);
  const toml::table* table = level.table_or_null(key);
  if (!table) level.fail(key, "[" + std::string(key) + "] is missing");
  TomlFields kinds(*table, level.file(), line_of(*table));
  for (int kind = 1; kind <= area_kind_count; ++kind)
    values[kind] = static_cast<uint8_t>(kinds.integer_or(area_kind_names[kind], 0, high, 0));
  kinds.finish();
}

bool is_natural_floor(int block) { return block >= 51 && block <= 64; }
bool is_built_floor(int block) { return block >= 65 && block <= 96; }

enum class FloorRule { natural, built, any };

// A list of [wall, floor] pairs; floors are the dark block of their pair, so
// that the light twin is the next id.
void read_block_pairs(TomlFields& level, std::string_view key, FloorRule rule,
                      CheckedArray<BlockPair, 1, 120>& pairs, uint8_t& count) {
  const toml::array* list = level.array_or_null(key);
  if (!list) level.fail(key, std::string(key) + " is missing");
  if (list->empty() || list->size() > 120)
    level.fail(key, std::string(key) + " must hold 1..120 [wall, floor] pairs");
  count = static_cast<uint8_t>(list->size());
  for (size_t i = 0; i < list->size(); ++i) {
    const toml::node& entry = *list->get(i);
    const toml::array* pair = entry.as_array();
    if (!pair || pair->size() != 2) level.fail_at(entry, "a block pair is [\"<wall>\", \"<floor>\"]");
    const int wall = level.block_of(*pair->get(0));
    const int floor = level.block_of(*pair->get(1));
    if (wall > 50) level.fail_at(*pair->get(0), "the first block of a pair must be a wall");
    if (floor <= 50) level.fail_at(*pair->get(1), "the second block of a pair must be a floor");
    if (floor % 2 == 0)
      level.fail_at(*pair->get(1), "use the dark floor of a pair; its _light twin is drawn with it");
    if (rule == FloorRule::natural && !is_natural_floor(floor))
      level.fail_at(*pair->get(1), "natural_blocks need natural floors (bl_floor_natural_...)");
    if (rule == FloorRule::built && !is_built_floor(floor))
      level.fail_at(*pair->get(1), "built_blocks need built floors (block, plate or wood)");
    pairs[static_cast<int>(i) + 1] = {static_cast<uint8_t>(wall), static_cast<uint8_t>(floor)};
  }
}

// include_tags / exclude_tags: per category a list of tag names of that category's group.
void read_tag_sets(TomlFields& level, std::string_view key,
                   CheckedArray<CheckedArray<uint8_t, 1, 60>, 1, 3>& sets) {
  for (auto& set : sets) set.fill(0);
  const toml::table* table = level.table_or_null(key);
  if (!table) return;
  TomlFields categories(*table, level.file(), line_of(*table));
  const char* category_keys[] = {"specials", "vaults", "caps"};
  const char* group_prefixes[] = {"sg_", "vg_", "cg_"};
  for (int k = 1; k <= 3; ++k) {
    const toml::array* list = categories.array_or_null(category_keys[k - 1]);
    if (!list) continue;
    for (const toml::node& entry : *list) {
      const int tag = categories.tag_of(entry);
      const std::string name = tag_names[tag];
      if (!name.starts_with(group_prefixes[k - 1]) && !name.starts_with("vo_"))
        categories.fail_at(entry, "tag \"" + name + "\" does not belong to the " +
                                      category_keys[k - 1] + " (" + group_prefixes[k - 1] + "...)");
      sets[k][tag] = 1;
    }
  }
  categories.finish();
}

// The forced-area code: a kind, a template name, or "tag:<tag name>".
int force_code(TomlFields& entry, const DataNames& names) {
  const toml::node* value = entry.node("area");
  if (!value) entry.fail("area", "a force_area entry needs an area");
  const std::string name = entry.text_of(*value, "area");
  if (name.starts_with("tag:")) {
    const int tag = tag_by_name(name.substr(4));
    if (tag == 0) entry.fail_at(*value, "unknown tag \"" + name.substr(4) + "\"");
    return area_kind_count + names.template_count() + tag;
  }
  const int code = area_code_by_name(names, name);
  if (code == 0) entry.fail_at(*value, "unknown area kind or template \"" + name + "\"");
  return code;
}

// Each entry takes its slot (by default the first slot after the previous
// entry's copies) and the slots its count may fill with copies.
void read_force_areas(TomlFields& level, const DataNames& names, DungeonSettings& settings) {
  settings.force_area.fill(0);
  settings.force_count.fill(blank_dice);
  const toml::array* list = level.array_or_null("force_area");
  if (!list) return;
  CheckedArray<int, 1, force_slot_count> owner;  // line of the entry covering each slot
  owner.fill(0);
  int next_slot = 1;
  for (const toml::node& node : *list) {
    const toml::table* table = node.as_table();
    if (!table) level.fail_at(node, "force_area entries are [[force_area]] tables");
    TomlFields entry(*table, level.file(), line_of(*table));
    const int code = force_code(entry, names);
    const Dice count = entry.dice("count");
    const int slot = static_cast<int>(entry.integer_or("slot", 1, force_slot_count, next_slot));
    entry.finish();
    const int copies = dice_maximum(count, 0);
    if (copies < 1) entry.fail("count", "the count of a forced area must be able to reach 1");
    if (slot > force_slot_count)
      entry.fail("area", "no force_area slot is left (there are 30)");
    if (slot + copies - 1 > force_slot_count)
      entry.fail("count", "a count of up to " + std::to_string(copies) + " from slot " +
                              std::to_string(slot) + " covers more than the 30 slots");
    for (int s = slot; s < slot + copies; ++s)
      if (owner[s] != 0)
        entry.fail("count", "its copies would overwrite slot " + std::to_string(s) +
                                ", used by the entry at line " + std::to_string(owner[s]));
    for (int s = slot; s < slot + copies; ++s) owner[s] = line_of(*table);
    settings.force_area[slot] = static_cast<uint16_t>(code);
    settings.force_count[slot] = count;
    next_slot = slot + copies;
  }
}

void read_dungeon_settings(TomlFields& level, const DataNames& names, DungeonSettings& d) {
  read_kind_table(level, "area_chance", 255, d.area_chance);
  read_kind_table(level, "area_seq", 100, d.area_seq);
  read_kind_table(level, "area_max", 255, d.area_max);
  bool buildable = false;
  for (int kind = 1; kind <= 7; ++kind) buildable = buildable || d.area_chance[kind] > 0;
  if (!buildable) level.fail("area_chance", "area_chance needs at least one kind from corridor to cave");
  read_force_areas(level, names, d);
  d.dig_steps = static_cast<uint8_t>(level.integer("dig_steps", 1, 255));
  d.corridor_branch_chance = percent(level, "corridor_branch_chance");
  d.merge_chance = percent(level, "merge_chance");
  d.merge_special_chance = percent(level, "merge_special_chance");
  d.tunnel_end_chance = percent(level, "tunnel_end_chance");
  d.corridor_width = static_cast<uint8_t>(level.integer("corridor_width", 1, 5));
  d.dead_end_room_limit = static_cast<uint8_t>(level.integer("dead_end_room_limit", 5, 20));
  d.doorway_door_chance = percent(level, "doorway_door_chance");
  d.open_door_chance = percent(level, "open_door_chance");
  d.template_widen_chance = percent(level, "template_widen_chance");
  d.special_widen_chance = percent(level, "special_widen_chance");
  d.mark_doorway_chance = percent(level, "mark_doorway_chance");
  d.secret_door_chance = percent(level, "secret_door_chance");
  d.door_to_secret_chance = percent(level, "door_to_secret_chance");
  d.lock_chance = percent(level, "lock_chance");
  d.mimic_chance = percent(level, "mimic_chance");
  d.fix_naturals_chance = percent(level, "fix_naturals_chance");
  d.dim_lights = static_cast<uint8_t>(level.integer("dim_lights", 0, 255));
  d.animated_light_chance = percent(level, "animated_light_chance");
  d.secret_door_difficulty = level.dice("secret_door_difficulty");
  d.lock_difficulty = level.dice("lock_difficulty");
  d.stuff_amount = level.dice("stuff_amount");
  d.room_size = level.dice("room_size");
  if (dice_minimum(d.room_size, 0) < 5)
    level.fail("room_size", "room_size must never roll below 5 (a room needs walls round a floor)");
  if (dice_maximum(d.room_size, 0) > 40) level.fail("room_size", "room_size must stay at most 40");
  d.lock_key_id = static_cast<uint16_t>(level.integer_or("lock_key_id", 0, 65535, 0));
  d.mimic_kind = static_cast<uint16_t>(level.integer_or("mimic_kind", 0, 65535, 0));
  d.stuff_kind = static_cast<uint16_t>(level.integer_or("stuff_kind", 0, 65535, 0));
  d.natural_alt_floor = static_cast<uint8_t>(level.block("natural_alt_floor"));
  if (!is_natural_floor(d.natural_alt_floor))
    level.fail("natural_alt_floor", "natural_alt_floor must be a natural floor");
  read_tag_sets(level, "include_tags", d.include_tags);
  read_tag_sets(level, "exclude_tags", d.exclude_tags);
  read_block_pairs(level, "natural_blocks", FloorRule::natural, d.natural_blocks, d.natural_block_count);
  read_block_pairs(level, "built_blocks", FloorRule::built, d.built_blocks, d.built_block_count);
  read_block_pairs(level, "special_blocks", FloorRule::any, d.special_blocks, d.special_block_count);
  read_block_pairs(level, "vault_blocks", FloorRule::any, d.vault_blocks, d.vault_block_count);
  // A forced special (kind 8, category 1) or vault (kind 9, category 2)
  // needs templates the level can choose from.
  for (int slot = 1; slot <= force_slot_count; ++slot) {
    const int code = d.force_area[slot];
    for (int category = 1; category <= 2; ++category) {
      bool any = false;
      for (int tag = 1; tag <= tag_count; ++tag) any = any || d.include_tags[category][tag] != 0;
      if (code == area_kind::special + category - 1 && !any)
        level.fail("force_area", std::string("a forced ") + area_kind_names[code] +
                                     " needs include_tags." + (category == 1 ? "specials" : "vaults"));
    }
  }
}

void read_contents(TomlFields& level, const DataNames& names, LevelRecord& record) {
  record.forced_contents.fill(0);
  if (const toml::array* list = level.array_or_null("forced_contents")) {
    if (list->size() > 20) level.fail("forced_contents", "at most 20 forced contents");
    for (size_t i = 0; i < list->size(); ++i) {
      const std::string code = level.text_of(*list->get(i), "a content code");
      const int content = content_by_name(names, code);
      if (content == 0) level.fail_at(*list->get(i), "unknown content \"" + code + "\"");
      record.forced_contents[static_cast<int>(i) + 1] = static_cast<uint16_t>(content);
    }
  }
  record.theme_groups.fill(0);
  record.theme_counts.fill(blank_dice);
  if (const toml::array* list = level.array_or_null("theme")) {
    if (list->size() > 20) level.fail("theme", "at most 20 themes");
    for (size_t i = 0; i < list->size(); ++i) {
      const toml::table* table = list->get(i)->as_table();
      if (!table) level.fail_at(*list->get(i), "themes are [[theme]] tables");
      TomlFields theme(*table, level.file(), line_of(*table));
      record.theme_groups[static_cast<int>(i) + 1] = static_cast<uint16_t>(theme.integer("group", 1, 65535));
      record.theme_counts[static_cast<int>(i) + 1] = theme.dice("count");
      theme.finish();
    }
  }
  if (const toml::array* list = level.array_or_null("level_stuff")) {
    if (list->size() > 100) level.fail("level_stuff", "at most 100 level_stuff entries");
    for (size_t i = 0; i < list->size(); ++i) {
      const toml::table* table = list->get(i)->as_table();
      if (!table) level.fail_at(*list->get(i), "level stuff entries are [[level_stuff]] tables");
      record.level_stuff[static_cast<int>(i) + 1] = read_location_spec(*table, names, level.file());
      if (record.level_stuff[static_cast<int>(i) + 1].stuff_type == 0)
        level.fail_at(*table, "a level_stuff entry needs a stuff_type");
    }
  }
  record.level_being_groups.fill(0);
  if (const toml::array* list = level.array_or_null("level_being_groups")) {
    if (list->size() > 8) level.fail("level_being_groups", "at most 8 being groups");
    for (size_t i = 0; i < list->size(); ++i)
      record.level_being_groups[static_cast<int>(i) + 1] =
          static_cast<uint16_t>(level.integer_of(*list->get(i), 0, 65535, "a being group"));
  }
  record.timer_dice = level.dice_or_blank("timer_dice");
}
}  // namespace

LevelRecord read_level(std::string_view text, const std::string& file, const DataNames& names) {
  const toml::table document = parse_toml(text, file);
  TomlFields level(document, file, 1);
  LevelRecord record{};
  record.level_index = static_cast<uint8_t>(level.integer("level_index", 1, 12));
  record.level_map_size = static_cast<uint8_t>(level.integer("level_map_size", 1, 128));
  record.recruitables_flag = level.flag_or("recruitables_flag", false) ? 1 : 0;
  record.fixed_start_flag = level.flag_or("fixed_start_flag", false) ? 1 : 0;
  read_dungeon_settings(level, names, record.dungeon);
  read_contents(level, names, record);
  level.finish();
  return record;
}
