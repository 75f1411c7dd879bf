#include "Cli_Json.h"

#include <functional>
#include <string>
#include <utility>

#include "GAME_Dungeon.h"
#include "GAME_Level.h"
#include "GAME_Map.h"
#include "Json_Layout.h"
#include "Range_Check.h"

namespace {

using Json = nlohmann::ordered_json;

// The game's texts are 8-bit Latin-1; JSON text is UTF-8.
std::string text_from_data(const std::string& text) {
  std::string utf8;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | (byte >> 6));
      utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return utf8;
}

// value after checking that it lies in lo..hi.
int checked(int value, int lo, int hi) {
  check_index(value, lo, hi);
  return value;
}

// One array of numbers per row, north first, each west first.
Json number_rows(const std::function<int(const MapCell&)>& field) {
  Json rows = Json::array();
  for (int y = 1; y <= map_size; ++y) {
    Json row = Json::array();
    for (int x = 1; x <= map_size; ++x) row.push_back(field(map_cells(x, y)));
    rows.push_back(std::move(row));
  }
  return rows;
}

// One string of digits 0..9 per row, north first, each west first.
Json digit_rows(const std::function<int(const MapCell&)>& digit) {
  Json rows = Json::array();
  for (int y = 1; y <= map_size; ++y) {
    std::string row;
    for (int x = 1; x <= map_size; ++x) row += static_cast<char>('0' + checked(digit(map_cells(x, y)), 0, 9));
    rows.push_back(std::move(row));
  }
  return rows;
}

// {"id": name} for every non-zero id 1..highest that some cell holds.
Json names_used(int highest, const std::function<int(const MapCell&)>& field,
                const std::function<std::string(int)>& name) {
  std::vector<bool> used(static_cast<size_t>(highest) + 1, false);
  for (int x = 1; x <= map_size; ++x)
    for (int y = 1; y <= map_size; ++y) used[static_cast<size_t>(checked(field(map_cells(x, y)), 0, highest))] = true;
  Json names = Json::object();
  for (int id = 1; id <= highest; ++id)
    if (used[static_cast<size_t>(id)]) names[std::to_string(id)] = name(id);
  return names;
}

bool is_hidden_secret_door(const MapCell& cell) {
  return cell.furniture == furniture::door_secret && cell.secret_difficulty != 0;
}

Json cell_layers() {
  Json cells = Json::object();
  cells["block"] = number_rows([](const MapCell& c) { return int(c.block); });
  cells["area_kind"] = digit_rows([](const MapCell& c) { return int(c.area_kind); });
  cells["area_index"] = number_rows([](const MapCell& c) { return int(c.area_index); });
  cells["furniture"] = number_rows([](const MapCell& c) { return int(c.furniture); });
  cells["furniture_state"] = number_rows([](const MapCell& c) { return int(c.furniture_state); });
  cells["secret_door"] = digit_rows([](const MapCell& c) { return int(is_hidden_secret_door(c)); });
  return cells;
}

Json area_entry(int number) {
  const AreaRecord& area = areas[number];
  Json entry = Json::object();
  entry["number"] = number;
  entry["kind"] = area_kind_names[area.kind];
  entry["template"] =
      area.template_index >= 1 ? Json(text_from_data(area_templates[area.template_index].name.str())) : Json();
  entry["box"] = {{"x1", area.x1}, {"y1", area.y1}, {"x2", area.x2}, {"y2", area.y2}};
  entry["centre"] = {{"x", area.centre_x}, {"y", area.centre_y}};
  entry["cells"] = area.cell_count;
  // The first area grows from the seed mark, which the engine files under
  // that area itself; a tool walking the tree of areas expects no parent.
  entry["parent"] = area.parent_area == number ? 0 : area.parent_area;
  Json neighbours = Json::array();
  for (int slot = 1; slot <= 100 && area.neighbours[slot] != 0; ++slot)
    neighbours.push_back({{"area", area.neighbours[slot]},
                          {"passage", passage_names[area.neighbour_passage[slot]]},
                          {"touch", area.neighbour_touch[slot]}});
  entry["neighbours"] = std::move(neighbours);
  Json secret = Json::array();
  for (int slot = 1; slot <= 100; ++slot)
    if (area.secret_neighbours[slot] != 0) secret.push_back(area.secret_neighbours[slot]);
  entry["secret_neighbours"] = std::move(secret);
  return entry;
}

Json area_list() {
  Json list = Json::array();
  for (int number = 1; number <= areas.highest(); ++number)
    if (areas[number].kind != 0) list.push_back(area_entry(number));
  return list;
}

const char* door_kind_name(int furniture_id) {
  switch (furniture_id) {
    case furniture::door: return "door";
    case furniture::door_locked: return "locked";
    case furniture::door_cell: return "cell";
    default: return "secret";
  }
}

// A door or secret door: its kind, state, the axis of the passage it stands
// in and the areas on its two sides: west and east, or north and south;
// 0 and 0 when it stands in no straight passage.
Json door_entry(int x, int y) {
  const MapCell& cell = map_cells(x, y);
  const int axis = cell.furniture == furniture::door_secret ? is_secret_door(x, y, 0) : is_doorway(x, y, true, 0);
  int first = 0, second = 0;
  if (axis == 1) first = map_cells(x - 1, y).area_index, second = map_cells(x + 1, y).area_index;
  if (axis == 2) first = map_cells(x, y - 1).area_index, second = map_cells(x, y + 1).area_index;
  return {{"x", x},
          {"y", y},
          {"kind", door_kind_name(cell.furniture)},
          {"state", cell.furniture_state == 1 ? "open" : "closed"},
          {"axis", axis == 1 ? "west-east" : axis == 2 ? "north-south" : "none"},
          {"first_area", first},
          {"second_area", second}};
}

Json door_list() {
  Json list = Json::array();
  for (int y = 1; y <= map_size; ++y)
    for (int x = 1; x <= map_size; ++x) {
      const int f = map_cells(x, y).furniture;
      if (f >= furniture::door && f <= furniture::door_secret) list.push_back(door_entry(x, y));
    }
  return list;
}

// Puts the areas table back when the export is done, however it ends.
struct KeepAreas {
  CheckedTable<AreaRecord> kept = areas;
  ~KeepAreas() { areas = std::move(kept); }
};

}  // namespace

nlohmann::ordered_json map_json(uint32_t seed) {
  const KeepAreas keep;
  update_all_door_states();
  Json map = Json::object();
  map["format"] = "dungeon-map";
  map["format_version"] = map_json_format_version;
  map["seed"] = seed;
  map["level"] = current_level.level_index;
  map["map_size"] = map_size;
  map["block_names"] = names_used(block_count, [](const MapCell& c) { return int(c.block); },
                                  [](int id) { return std::string(block_names[id]); });
  map["furniture_names"] = names_used(furniture_count, [](const MapCell& c) { return int(c.furniture); },
                                      [](int id) { return std::string(furniture_ids[id]); });
  Json kinds = Json::object();
  for (int kind = 1; kind <= area_kind_count; ++kind) kinds[std::to_string(kind)] = area_kind_names[kind];
  map["area_kind_names"] = std::move(kinds);
  map["cells"] = cell_layers();
  map["areas"] = area_list();
  map["doors"] = door_list();
  return map;
}

std::string map_json_text(uint32_t seed) { return json_layout_text(map_json(seed)); }
