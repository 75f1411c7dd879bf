// The areas table: registration of the areas the generator digs, their code
// names, their zones and the front cells of corridors.
#include "GAME_Dungeon.h"
#include "GAME_Global.h"
#include "GAME_Map.h"

CheckedTable<AreaRecord> areas;

const CheckedArray<const char*, 0, area_kind_count> area_kind_names{
    {"-", "corridor", "room", "circular", "ellipse", "polygon", "tunnel", "cave", "special",
     "vault"}};
const CheckedArray<const char*, 0, 4> passage_names{{"-", "empty", "opened", "closed", "locked"}};

inline constexpr int area_table_step = 100;
inline constexpr int highest_area_number = 255;
inline constexpr int natural_centre_radius = 10;

bool is_area(int number) { return number >= 1 && number <= areas.highest(); }

void empty_areas() { areas.clear(); }

namespace {
bool is_floor_of_area(int x, int y, int number) {
  return is_floor(x, y, 0) && map_cells(x, y).area_index == number;
}

// A natural area's rectangle centre may lie in rock: take the nearest floor
// of the area in ring order, else the cell one step inside from the anchor.
void settle_natural_centre(AreaRecord& area, int number) {
  if (is_floor_of_area(area.centre_x, area.centre_y, number)) return;
  build_ring_list(area.centre_x, area.centre_y, natural_centre_radius);
  for (int i = 1; i < ring_list_length; ++i) {
    const RingEntry cell = ring_list[i];
    if (is_floor_of_area(cell.x, cell.y, number)) {
      area.centre_x = cell.x;
      area.centre_y = cell.y;
      return;
    }
  }
  const Step step = direction_step[area.direction];
  area.centre_x = area.anchor_x + step.dx;
  area.centre_y = area.anchor_y + step.dy;
}
}  // namespace

// Area numbers are handed out in creation order, so one step of growth is
// always enough; a number above 255 cannot be stored in a cell.
void add_to_areas(int number, int anchor_x, int anchor_y, int direction, int x1, int y1, int x2,
                  int y2, int kind, int cell_count, int template_index, int depth) {
  trace_enter(depth, trace_id::add_to_areas);
  check_index(number, 1, highest_area_number);
  if (number > areas.highest()) areas.resize_to(areas.highest() + area_table_step);
  AreaRecord& area = areas[number];
  area.anchor_x = anchor_x;
  area.anchor_y = anchor_y;
  area.direction = direction;
  area.x1 = x1;
  area.y1 = y1;
  area.x2 = x2;
  area.y2 = y2;
  area.width = x2 - x1 + 1;
  area.height = y2 - y1 + 1;
  area.parent_area = dungeon.parent_area;
  if (kind != area_kind::special && kind != area_kind::vault) {
    area.centre_x = x1 + area.width / 2;
    area.centre_y = y1 + area.height / 2;
  }
  if (is_natural_kind(kind)) settle_natural_centre(area, number);
  area.kind = kind;
  area.cell_count = cell_count;
  area.template_index = template_index;
  if (template_index > 0) area.template_flag = area_templates[template_index].sealed;
  if (number == 1) count_extreme_marks();
}

// Codes 1..9 are kinds, 10..9+T templates, the next 60 template tags.
std::string area_code_name(int code, int number) {
  if (code <= 0 && is_area(number)) {
    const AreaRecord& area = areas[number];
    code = area.template_index >= 1 ? 9 + area.template_index : area.kind;
  }
  const int templates = template_count();
  if (code >= 1 && code <= area_kind_count) return area_kind_names[code];
  if (code >= 10 && code <= 9 + templates) return area_templates[code - 9].name.str();
  if (code >= 10 + templates && code <= 9 + templates + tag_count)
    return tag_names[code - 9 - templates];
  return "-";
}

void set_zone_cells(int area, int zone) {
  if (!is_area(area) || zone < 1 || zone > 60) return;
  const ZoneRect rect = areas[area].zones[zone];
  if (rect.x == 0) return;
  for (int x = rect.x; x < rect.x + rect.width; ++x)
    for (int y = rect.y; y < rect.y + rect.height; ++y)
      if (on_map(x, y, 0)) map_cells(x, y).zone = narrow<uint8_t>(zone);
}

bool area_front_cell(int area, Point& cell) {
  if (!is_area(area)) return false;
  const AreaRecord& a = areas[area];
  switch (a.direction) {
    case 1: cell = {a.x1 + 1, a.y1}; return true;
    case 2: cell = {a.x2, a.y1 + 1}; return true;
    case 3: cell = {a.x1 + 1, a.y2}; return true;
    case 4: cell = {a.x1, a.y1 + 1}; return true;
    default: return false;
  }
}

// The front cell of a corridor counts for the corridor itself and for any
// area that grew directly out of that corridor.
bool is_area_front_cell(int x, int y) {
  if (!on_map(x, y, 0)) return false;
  int area = map_cells(x, y).area_index;
  if (!is_area(area)) return false;
  if (areas[area].kind != area_kind::corridor) {
    area = areas[area].parent_area;
    if (!is_area(area) || areas[area].kind != area_kind::corridor) return false;
  }
  Point front;
  return area_front_cell(area, front) && front == Point{x, y};
}
