#include "portal_reader.h"

#include <map>

#include "GAME_Map.h"
#include "location_reader.h"
#include "toml_fields.h"

std::vector<PortalRecord> read_portals(std::string_view text, const std::string& file,
                                       const DataNames& names) {
  const toml::table document = parse_toml(text, file);
  TomlFields top(document, file, 1);
  std::vector<PortalRecord> records;
  const toml::array* list = top.array_or_null("portal");
  top.finish();
  if (!list) return records;
  std::map<int, int> id_lines;
  for (const toml::node& node : *list) {
    const toml::table* table = node.as_table();
    if (!table) top.fail_at(node, "portals are [[portal]] tables");
    TomlFields fields(*table, file, line_of(*table));
    PortalRecord portal{};
    portal.portal_id = static_cast<uint16_t>(
        fields.integer_or("portal_id", 1, 65535, static_cast<int64_t>(records.size()) + 1));
    if (auto [at, fresh] = id_lines.try_emplace(portal.portal_id, fields.line("portal_id")); !fresh)
      fields.fail("portal_id", "portal_id " + std::to_string(portal.portal_id) +
                                   " is used by the portal at line " + std::to_string(at->second));
    portal.portal_level = static_cast<int16_t>(fields.integer("portal_level", 1, 12));
    portal.destination_level = static_cast<uint16_t>(fields.integer("destination_level", 0, 12));
    const toml::node* furniture = fields.node("furniture");
    if (!furniture) fields.fail("furniture", "furniture is missing (fu_stairs_down, fu_stairs_up or fu_teleporter)");
    const int id = fields.furniture_of(*furniture);
    if (id < furniture::stairs_down || id > furniture::teleporter)
      fields.fail_at(*furniture, "a portal is fu_stairs_down, fu_stairs_up or fu_teleporter");
    portal.portal_flag_a = fields.flag_or("portal_flag_a", false) ? 1 : 0;
    portal.portal_flag_b = fields.flag_or("portal_flag_b", false) ? 1 : 0;
    if (id != furniture::teleporter && (portal.portal_flag_a || portal.portal_flag_b))
      fields.fail("portal_flag_a", "portal_flag_a and portal_flag_b are for teleporters only");
    portal.linked_flag = fields.flag_or("linked_flag", false) ? 1 : 0;
    if (const toml::table* placement = fields.table_or_null("placement")) {
      if (placement->contains("stuff_type") || placement->contains("stuff_id"))
        fields.fail("placement", "the portal's furniture gives its placement's stuff_type and stuff_id");
      portal.placement = read_location_spec(*placement, names, file);
    } else {
      toml::table empty;
      portal.placement = read_location_spec(empty, names, file);
    }
    portal.placement.stuff_type = 1;
    portal.placement.stuff_id = static_cast<uint16_t>(id);
    fields.finish();
    records.push_back(portal);
  }
  return records;
}
