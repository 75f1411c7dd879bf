// Specials and vaults: an area template is picked, turned and mirrored to
// face its mark, drawn into the stencil and committed with its furniture,
// the marks at its exits, the hallway ends to be continued later, and its
// zones.
#include <algorithm>

#include "GAME_Dungeon.h"
#include "GAME_Global.h"
#include "GAME_Level.h"
#include "GAME_Map.h"

namespace {

constexpr int template_side = 64;
constexpr int template_furniture_count = 50;
constexpr int template_exit_count = 50;
constexpr int template_zone_count = 60;
constexpr int first_template_kind = 10;  // kind 9 + t names template t

// Cell codes of a template.
namespace cell_code {
inline constexpr int natural_wall = 1, wall = 2, natural_floor = 3, floor = 4, light_floor = 5;
}

Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }

bool is_special_name(const AreaTemplate& tpl) { return tpl.name.str().starts_with("sp_"); }

// The wall and floor a template is drawn with: the built pair for base-block
// templates, when block colours are off, or when the special table has a
// single pair; otherwise a random pair of its table.
BlockPair template_blocks(const AreaTemplate& tpl, bool special_table) {
  const int count = special_table ? dungeon.special_block_count : dungeon.vault_block_count;
  if ((special_table && count == 1) || !engine_settings.block_colors ||
      tpl.tags[tag::vo_base_blocks] != 0)
    return {dungeon.built_wall, dungeon.built_floor};
  const int pair = random_int(count) + 1;
  return special_table ? dungeon.special_blocks[pair] : dungeon.vault_blocks[pair];
}

// The block a cell code draws, 0 for codes that draw nothing.
int code_block(int code, BlockPair blocks) {
  switch (code) {
    case cell_code::natural_wall: return dungeon.natural_wall;
    case cell_code::wall: return blocks.wall;
    case cell_code::natural_floor: return dungeon.natural_floor;
    case cell_code::floor: return blocks.floor;
    case cell_code::light_floor: return blocks.floor + 1;
    default: return 0;
  }
}

void draw_template_cells(const AreaTemplate& tpl, BlockPair blocks) {
  for (int u = 1; u <= template_side; ++u)
    for (int v = 1; v <= template_side; ++v)
      if (const int block = code_block(tpl.cells[u][v], blocks); block != 0)
        stencil_layer(u, v) = narrow<uint8_t>(block);
}

// How a template is turned for the area being built.
struct Orientation {
  int dir;
  bool mirror;
  Point offset;
};

// The map cell of template point (u, v); (0, 0) when it has none.
Point placed_point(int u, int v, const Orientation& o) {
  const Point turned = turn_template_point(u, v, o.dir, o.mirror);
  if (turned.x == 0) return {};
  return turned + o.offset;
}

void place_template_furniture(const AreaTemplate& tpl, const Orientation& o, int depth) {
  for (int i = 1; i <= template_furniture_count; ++i) {
    const TemplateFurniture& piece = tpl.furniture[i];
    if (piece.u == 0) continue;
    const Point p = placed_point(piece.u, piece.v, o);
    if (p.x == 0) continue;
    if (piece.furniture == furniture::door_secret)
      create_secret_door(p.x, p.y, dungeon.secret_door_difficulty, depth);
    else
      add_furniture(p.x, p.y, piece.furniture, depth);
  }
}

// Whether (x, y) lies far enough from the map edge it faces for a hallway
// end to be recorded there.
bool clear_of_edge(int x, int y, int dir) {
  switch (dir) {
    case 1: return y > 4;
    case 2: return x <= map_size - 4;
    case 3: return y <= map_size - 4;
    default: return x > 4;
  }
}

// Lays a mark at every exit (except on the mark the template grew from,
// unless it is the first area) and records hallway ends and vault dead
// ends; returns the number of plain exits.
int lay_template_exits(const AreaTemplate& tpl, int t, Point mark, const Orientation& o,
                       int category, bool first_area, int depth) {
  int plain_exits = 0;
  for (int i = 1; i <= template_exit_count; ++i) {
    const TemplateExit& exit = tpl.exits[i];
    if (exit.u < 1 || exit.u > template_side || exit.v < 1 || exit.v > template_side) continue;
    const Point p = placed_point(exit.u, exit.v, o);
    if (p.x == 0 || (!first_area && p == mark)) continue;
    const int e = turn_exit_direction(exit.direction, o.dir, o.mirror);
    add_mark(p.x, p.y, e, category, exit.forced_kind, t, depth);
    int end_value = 0;
    if (is_hallway_end(p.x, p.y, e))
      end_value = e;
    else if (is_vault_dead_end(p.x, p.y, e))
      end_value = e + 4;
    else
      ++plain_exits;
    if (end_value != 0 && clear_of_edge(p.x, p.y, e))
      hallway_end_layer(p.x, p.y) = narrow<uint8_t>(end_value);
  }
  return plain_exits;
}

// Stores the turned zones in the area and writes their cells; zone 1, when
// it lies on the map, becomes the area's centre.
void set_template_zones(const AreaTemplate& tpl, int area, const Orientation& o) {
  AreaRecord& record = areas[area];
  for (int i = 1; i <= template_zone_count; ++i) {
    const TemplateZone& zone = tpl.zones[i];
    if (zone.u == 0) continue;
    const TurnedZone z = turn_template_zone(zone, o.offset, o.dir, o.mirror);
    if (z.width == 0) continue;
    record.zones[i] = {narrow<uint8_t>(z.x), narrow<uint8_t>(z.y), narrow<uint8_t>(z.width),
                       narrow<uint8_t>(z.height)};
    set_zone_cells(area, i);
  }
  const ZoneRect& centre = record.zones[1];
  if (centre.x != 0 && on_map(centre.x, centre.y, 0)) {
    record.centre_x = centre.x;
    record.centre_y = centre.y;
  }
}

// Counts the use of the template and of its tags. One ambush special and
// one prison vault per dungeon: their tags leave the candidates.
void count_template_use(AreaTemplate& tpl) {
  tpl.uses_in_dungeon = narrow<uint16_t>(tpl.uses_in_dungeon + 1);
  tpl.uses_since_reset = narrow<uint16_t>(tpl.uses_since_reset + 1);
  for (int j = 1; j <= tag_count; ++j)
    if (tpl.tags[j] != 0) dungeon.tag_placed[j] = narrow<uint8_t>(dungeon.tag_placed[j] + 1);
  if (tpl.tags[tag::sg_ambush] != 0) dungeon.exclude_tags[1][tag::sg_ambush] = 1;
  if (tpl.tags[tag::vg_prison] != 0) {
    dungeon.exclude_tags[2][tag::vg_prison] = 1;
    current_level.prison_flag = 1;
  }
}

}  // namespace

// ---- Orientation -------------------------------------------------------

Point turn_template_point(int u, int v, int dir, bool mirror) {
  const int n = map_size;
  if (u < 1 || u > n || v < 1 || v > n) return {};
  const int ru = n - u + 1, rv = n - v + 1;
  check_index(dir, 1, 4);
  switch (dir) {
    case 1: return mirror ? Point{ru, v} : Point{u, v};
    case 2: return mirror ? Point{rv, ru} : Point{rv, u};
    case 3: return mirror ? Point{u, rv} : Point{ru, rv};
    default: return mirror ? Point{v, u} : Point{v, ru};
  }
}

int turn_exit_direction(int e, int dir, bool mirror) {
  static const CheckedArray<int, 1, 4> mirrored{{1, 4, 3, 2}};
  check_index(e, 1, 4);
  check_index(dir, 1, 4);
  const int drawn = mirror ? mirrored[e] : e;
  return (drawn - 1 + dir - 1) % 4 + 1;
}

TurnedZone turn_template_zone(const TemplateZone& zone, Point offset, int dir, bool mirror) {
  const Point corner = turn_template_point(zone.u, zone.v, dir, mirror);
  if (corner.x == 0) return {};
  const int x = corner.x + offset.x, y = corner.y + offset.y;
  const bool across = dir == 2 || dir == 4;
  const int w = across ? zone.height : zone.width;
  const int h = across ? zone.width : zone.height;
  // Which sides of the zone the stored corner ends up on.
  const bool corner_right = (dir == 1 && mirror) || dir == 2 || (dir == 3 && !mirror);
  const bool corner_bottom = (dir == 2 && mirror) || dir == 3 || (dir == 4 && !mirror);
  return {corner_right ? x - w + 1 : x, corner_bottom ? y - h + 1 : y, w, h};
}

TemplatePlacement place_template_stencil(int x, int y, Point entry, bool mirror, int dir) {
  static Layer turned;
  const TemplatePlacement failed{false, {}};
  turned.clear();
  CellRect box{map_size + 1, map_size + 1, 0, 0};
  for (int u = 1; u <= template_side; ++u)
    for (int v = 1; v <= template_side; ++v) {
      const int value = stencil_layer(u, v);
      if (value == 0) continue;
      const Point p = turn_template_point(u, v, dir, mirror);
      if (p.x == 0) return failed;
      turned(p.x, p.y) = narrow<uint8_t>(value);
      box = {std::min(box.x1, p.x), std::min(box.y1, p.y), std::max(box.x2, p.x),
             std::max(box.y2, p.y)};
    }
  const Point turned_entry = turn_template_point(entry.x, entry.y, dir, mirror);
  if (box.x2 == 0 || turned_entry.x == 0) return failed;

  Point offset{x - turned_entry.x, y - turned_entry.y};
  if (dungeon.area_counter == 1) {
    const int width = box.x2 - box.x1 + 1, height = box.y2 - box.y1 + 1;
    offset = {(map_size - width) / 2 - box.x1, (map_size - height) / 2 - box.y1};
  }
  stencil_layer.clear();
  if (!on_map(box.x1 + offset.x, box.y1 + offset.y, 0) ||
      !on_map(box.x2 + offset.x, box.y2 + offset.y, 0))
    return failed;
  for (int tx = box.x1; tx <= box.x2; ++tx)
    for (int ty = box.y1; ty <= box.y2; ++ty)
      if (const int value = turned(tx, ty); value != 0)
        stencil_layer(tx + offset.x, ty + offset.y) = narrow<uint8_t>(value);
  return {true, offset};
}

// ---- The builder -------------------------------------------------------

bool create_special(int x, int y, int dir, int category, int kind, int depth) {
  depth = trace_enter(depth, trace_id::create_special);
  if (!on_map(x, y, depth)) return false;
  stencil_layer.clear();
  dungeon.current_x = x;
  dungeon.current_y = y;
  dungeon.area_placed = 0;

  int t = 0;
  bool special_table = false;
  if (kind < first_template_kind) {
    const int group = category - 7;
    if (dungeon.template_candidates[group] == 0) return false;
    t = pick_template_candidate(group);
    special_table = group == 1;
  } else {
    t = kind - 9;
    special_table = t >= 1 && t <= template_count() && is_special_name(area_templates[t]);
  }
  if (t < 1 || t > template_count()) return false;
  AreaTemplate& tpl = area_templates[t];
  tpl.excluded = 1;
  const bool mirror = current_level.fixed_start_flag == 0 && random_percent() <= 50;
  draw_template_cells(tpl, template_blocks(tpl, special_table));

  const TemplatePlacement placement =
      place_template_stencil(x, y, {tpl.entry_u, tpl.entry_v}, mirror, dir);
  if (!placement.fits) return false;
  const Orientation o{dir, mirror, placement.offset};
  const bool first_area = dungeon.area_counter == 1;
  if (first_area) {
    const Point entry = placed_point(tpl.entry_u, tpl.entry_v, o);
    x = dungeon.current_x = entry.x;
    y = dungeon.current_y = entry.y;
  }
  dungeon.area_placed = stencil_is_free(1, 1, map_size, map_size, false);
  if (dungeon.area_placed == 0) return false;

  const StencilBox box = stencil_bounds();
  const int area = dungeon.area_counter;
  place_area(1, 1, map_size, map_size, category, area, tpl.sealed != 0, depth);
  place_template_furniture(tpl, o, depth);
  const int plain_exits = lay_template_exits(tpl, t, {x, y}, o, category, first_area, depth);
  add_to_areas(area, x, y, dir, box.x1, box.y1, box.x2, box.y2, category, box.cell_count, t,
               depth);
  AreaRecord& record = areas[area];
  record.trim_state = plain_exits;
  // The areas table leaves the centre of a special or vault to this builder,
  // which takes zone 1. A template without zone 1 would keep the centre
  // (0, 0), off the map, where its label and every reader of the centre
  // cell would land; it gets the middle of its box instead.
  record.centre_x = box.x1 + box.width / 2;
  record.centre_y = box.y1 + box.height / 2;
  set_template_zones(tpl, area, o);

  create_doorway(x, y, dir, category, dungeon.current_from_kind, area, depth);
  ++dungeon.area_counter;
  dungeon.area_count[category] = narrow<uint8_t>(dungeon.area_count[category] + 1);
  count_template_use(tpl);
  return true;
}
