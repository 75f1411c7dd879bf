#include "location_reader.h"

#include <array>

#include "toml_fields.h"

namespace {
constexpr std::array<const char*, 10> stuff_type_names{
    "-", "furniture", "item", "item_group", "being", "being_group",
    "trap", "trap_group", "special", "splash"};

uint8_t flag(TomlFields& fields, std::string_view key) { return fields.flag_or(key, false) ? 1 : 0; }

template <class T>
T number(TomlFields& fields, std::string_view key, int64_t lo, int64_t hi) {
  return static_cast<T>(fields.integer_or(key, lo, hi, 0));
}

// An optional name resolved with lookup; 0 when absent.
template <class Lookup>
int named(TomlFields& fields, std::string_view key, const char* what, Lookup lookup) {
  const toml::node* value = fields.node(key);
  if (!value) return 0;
  const std::string name = fields.text_of(*value, key);
  const int code = lookup(name);
  if (code == 0) fields.fail_at(*value, "unknown " + std::string(what) + " \"" + name + "\"");
  return code;
}
}  // namespace

int stuff_type_by_name(std::string_view name) {
  for (size_t i = 1; i < stuff_type_names.size(); ++i)
    if (name == stuff_type_names[i]) return static_cast<int>(i);
  return 0;
}

LocationSpec read_location_spec(const toml::table& table, const DataNames& names,
                                const std::string& file) {
  TomlFields fields(table, file, line_of(table));
  LocationSpec spec{};
  spec.need_kind = static_cast<uint8_t>(named(fields, "need_kind", "area kind or template", [&](const std::string& n) {
    return area_code_by_name(names, n);
  }));
  spec.place = number<uint8_t>(fields, "place", 0, 255);
  spec.spot_mode = number<uint8_t>(fields, "spot_mode", 0, 23);
  spec.need_passable = flag(fields, "need_passable");
  spec.area_order = number<uint8_t>(fields, "area_order", 0, 3);
  spec.need_template = static_cast<uint16_t>(named(fields, "need_template", "template", [&](const std::string& n) {
    return template_by_name(names, n);
  }));
  spec.need_content = static_cast<uint16_t>(named(fields, "need_content", "content", [&](const std::string& n) {
    return content_by_name(names, n);
  }));
  spec.min_exits = number<uint16_t>(fields, "min_exits", 0, 65535);
  spec.max_exits = number<uint16_t>(fields, "max_exits", 0, 65535);
  spec.min_reachable = number<uint16_t>(fields, "min_reachable", 0, 65535);
  spec.min_level = number<uint8_t>(fields, "min_level", 0, 255);
  spec.max_level = number<uint8_t>(fields, "max_level", 0, 255);
  spec.min_size = number<uint16_t>(fields, "min_size", 0, 65535);
  spec.max_size = number<uint16_t>(fields, "max_size", 0, 65535);
  spec.doors_only_exits = flag(fields, "doors_only_exits");
  spec.single_touch_only = flag(fields, "single_touch_only");
  spec.no_content = flag(fields, "no_content");
  spec.no_portals_near = flag(fields, "no_portals_near");
  spec.no_beings = flag(fields, "no_beings");
  spec.no_special_stuff = flag(fields, "no_special_stuff");
  spec.no_content_stuff = flag(fields, "no_content_stuff");
  spec.min_area_cells = number<uint16_t>(fields, "min_area_cells", 0, 65535);
  spec.chance = fields.dice_or("chance", "100");
  spec.stuff_type = static_cast<uint8_t>(named(fields, "stuff_type", "stuff type", [](const std::string& n) {
    return stuff_type_by_name(n);
  }));
  spec.width = number<uint8_t>(fields, "width", 0, 255);
  spec.height = number<uint8_t>(fields, "height", 0, 255);
  spec.content_ref = static_cast<uint16_t>(named(fields, "content_ref", "content", [&](const std::string& n) {
    return content_by_name(names, n);
  }));
  spec.stuff_group = number<uint16_t>(fields, "stuff_group", 0, 65535);
  if (const toml::node* id = fields.node("stuff_id")) {
    if (spec.stuff_type == 1)
      spec.stuff_id = static_cast<uint16_t>(fields.furniture_of(*id));
    else
      spec.stuff_id = static_cast<uint16_t>(fields.integer_of(*id, 0, 65535, "stuff_id"));
  }
  spec.amount = fields.dice_or("amount", "1");
  spec.must_place = flag(fields, "must_place");
  spec.same_area = flag(fields, "same_area");
  spec.spread = flag(fields, "spread");
  spec.after_success = flag(fields, "after_success");
  spec.after_failure = flag(fields, "after_failure");
  spec.unless_item_placed = flag(fields, "unless_item_placed");
  spec.unless_being_placed = flag(fields, "unless_being_placed");
  spec.stop_on_failure = flag(fields, "stop_on_failure");
  spec.keep_content = flag(fields, "keep_content");
  spec.give_up = flag(fields, "give_up");
  spec.group_start = flag(fields, "group_start");
  spec.group_end = flag(fields, "group_end");
  spec.grouped = flag(fields, "grouped");
  spec.being_group_slot = number<uint8_t>(fields, "being_group_slot", 0, 8);
  spec.floor_item_chance = number<uint8_t>(fields, "floor_item_chance", 0, 100);
  spec.stack_item_chance = number<uint8_t>(fields, "stack_item_chance", 0, 100);
  spec.hidden_chance = fields.dice_or_blank("hidden_chance");
  spec.hidden_being_kind = number<uint16_t>(fields, "hidden_being_kind", 0, 65535);
  if (const toml::array* markers = fields.array_or_null("cell_markers")) {
    if (markers->size() != 2) fields.fail("cell_markers", "cell_markers must list two numbers");
    spec.cell_markers[1] = static_cast<uint8_t>(fields.integer_of(*markers->get(0), 0, 255, "a cell marker"));
    spec.cell_markers[2] = static_cast<uint8_t>(fields.integer_of(*markers->get(1), 0, 255, "a cell marker"));
  }
  spec.use_level_stuff_kind = flag(fields, "use_level_stuff_kind");
  spec.trap_in_container = flag(fields, "trap_in_container");
  spec.trap_at_door = flag(fields, "trap_at_door");
  spec.trap_power = fields.dice_or_blank("trap_power");
  spec.trap_data = number<uint16_t>(fields, "trap_data", 0, 65535);
  spec.need_free_below = flag(fields, "need_free_below");
  if (spec.stuff_type == 1 && spec.stuff_id == 0)
    fields.fail("stuff_type", "furniture needs a stuff_id such as \"fu_chest\"");
  if (spec.min_level > spec.max_level && spec.max_level != 0)
    fields.fail("min_level", "min_level is above max_level");
  fields.finish();
  return spec;
}
