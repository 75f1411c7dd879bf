#include "content_reader.h"

#include <map>

#include "location_reader.h"
#include "source_error.h"
#include "toml_fields.h"

namespace {
const toml::array* content_list(const toml::table& document, const std::string& file) {
  TomlFields top(document, file, 1);
  const toml::array* list = top.array_or_null("content");
  top.finish();
  return list;
}

uint8_t percent(TomlFields& fields, std::string_view key) {
  return static_cast<uint8_t>(fields.integer_or(key, 0, 100, 0));
}
uint8_t flag(TomlFields& fields, std::string_view key) { return fields.flag_or(key, false) ? 1 : 0; }

// The [[content.<key>]] list of specifications, at most limit of them.
template <int Limit>
int read_specs(TomlFields& fields, std::string_view key, const DataNames& names,
               CheckedArray<LocationSpec, 1, Limit>& specs) {
  const toml::array* list = fields.array_or_null(key);
  if (!list) return 0;
  if (list->size() > static_cast<size_t>(Limit))
    fields.fail(key, "at most " + std::to_string(Limit) + " " + std::string(key) + " entries");
  for (size_t i = 0; i < list->size(); ++i) {
    const toml::table* table = list->get(i)->as_table();
    if (!table) fields.fail_at(*list->get(i), std::string(key) + " entries are [[content." + std::string(key) + "]] tables");
    specs[static_cast<int>(i) + 1] = read_location_spec(*table, names, fields.file());
  }
  return static_cast<int>(list->size());
}

ContentRecord read_content(const toml::table& table, const std::string& file, const DataNames& names) {
  TomlFields fields(table, file, line_of(table));
  ContentRecord c{};
  c.content_code.assign(fields.text("content_code", 40));
  c.content_title.assign(fields.text_or("content_title", 30, ""));
  c.theme_group_ids.fill(0);
  if (const toml::array* groups = fields.array_or_null("theme_group_ids")) {
    if (groups->size() > 10) fields.fail("theme_group_ids", "at most 10 theme groups");
    for (size_t i = 0; i < groups->size(); ++i)
      c.theme_group_ids[static_cast<int>(i) + 1] =
          static_cast<uint16_t>(fields.integer_of(*groups->get(i), 1, 65535, "a theme group"));
  }
  c.max_per_level = static_cast<uint8_t>(fields.integer_or("max_per_level", 0, 255, 0));
  c.max_total = static_cast<uint8_t>(fields.integer_or("max_total", 0, 255, 0));
  c.light_chance = percent(fields, "light_chance");
  c.dim_chance = percent(fields, "dim_chance");
  c.animated_chance = percent(fields, "animated_chance");
  c.chest_lock_chance = percent(fields, "chest_lock_chance");
  c.chest_lock_difficulty = fields.dice_or_blank("chest_lock_difficulty");
  c.chest_key = static_cast<uint16_t>(fields.integer_or("chest_key", 0, 65535, 0));
  c.checker_chance = percent(fields, "checker_chance");
  c.floor_shift_chance = percent(fields, "floor_shift_chance");
  c.shuffle_needs_chance = percent(fields, "shuffle_needs_chance");
  if (const toml::array* parameters = fields.array_or_null("placement_parameters")) {
    if (parameters->size() != 2) fields.fail("placement_parameters", "placement_parameters lists two numbers");
    for (int i = 1; i <= 2; ++i)
      c.placement_parameters[i] = static_cast<uint8_t>(
          fields.integer_of(*parameters->get(static_cast<size_t>(i - 1)), 0, 255, "a placement parameter"));
  }
  c.motif_unify_chance = percent(fields, "motif_unify_chance");
  c.motif_skip_special_chance = percent(fields, "motif_skip_special_chance");
  c.motif_unify_after_special_chance = percent(fields, "motif_unify_after_special_chance");
  c.remove_statues_chance = percent(fields, "remove_statues_chance");
  c.remove_pillars_chance = percent(fields, "remove_pillars_chance");
  c.avoid_special_stuff = flag(fields, "avoid_special_stuff");
  c.beings_near_walls = flag(fields, "beings_near_walls");
  c.content_stuff_mark = static_cast<uint8_t>(fields.integer_or("content_stuff_mark", 0, 255, 0));
  c.shut_doors = flag(fields, "shut_doors");
  c.shut_doors_b = flag(fields, "shut_doors_b");
  c.relax_area_needs = flag(fields, "relax_area_needs");
  c.no_teleporter = flag(fields, "no_teleporter");
  c.entry_lock_chance = percent(fields, "entry_lock_chance");
  c.entry_secret_chance = percent(fields, "entry_secret_chance");
  c.door_secret_chance = percent(fields, "door_secret_chance");
  const int needs = read_specs(fields, "area_needs", names, c.area_needs);
  if (needs == 0 || c.area_needs[1].need_kind == 0)
    fields.fail("area_needs", "a content needs [[content.area_needs]] whose first entry has a need_kind");
  const int stuff = read_specs(fields, "stuff", names, c.stuff_list);
  for (int i = 1; i <= stuff; ++i)
    if (c.stuff_list[i].stuff_type == 0)
      fields.fail("stuff", "every stuff entry needs a stuff_type (entry " + std::to_string(i) + ")");
  fields.finish();
  return c;
}
}  // namespace

std::vector<std::string> read_content_codes(std::string_view text, const std::string& file) {
  const toml::table document = parse_toml(text, file);
  std::vector<std::string> codes;
  std::map<std::string, int> lines;
  if (const toml::array* list = content_list(document, file)) {
    for (const toml::node& node : *list) {
      const toml::table* table = node.as_table();
      if (!table) source_fail(file, line_of(node), "contents are [[content]] tables");
      TomlFields fields(*table, file, line_of(*table));
      const std::string code = fields.text("content_code", 40);
      if (auto [at, fresh] = lines.try_emplace(code, fields.line("content_code")); !fresh)
        fields.fail("content_code", "content \"" + code + "\" is also defined at line " +
                                        std::to_string(at->second));
      codes.push_back(code);
    }
  }
  return codes;
}

std::vector<ContentRecord> read_contents(std::string_view text, const std::string& file,
                                         const DataNames& names) {
  const toml::table document = parse_toml(text, file);
  std::vector<ContentRecord> records;
  if (const toml::array* list = content_list(document, file))
    for (const toml::node& node : *list) records.push_back(read_content(*node.as_table(), file, names));
  return records;
}
