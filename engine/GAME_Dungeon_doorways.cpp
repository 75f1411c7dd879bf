// Doorways: the cell where a new area meets the area it grew from becomes
// floor, possibly with a door, a secret door or widened to three cells; a
// pending mark whose outward cell is already dug can become such a doorway.
#include "GAME_Dungeon.h"
#include "GAME_Global.h"
#include "GAME_Level.h"
#include "GAME_Map.h"

namespace {

// Offsets from a doorway of the four cells that must be walls before a
// template doorway facing that direction may be widened.
const CheckedArray<CheckedArray<Step, 1, 4>, 1, 4> widening_cells = {{
    {{{-2, -1}, {2, -1}, {-2, -2}, {2, -2}}},
    {{{1, -2}, {1, 2}, {2, -2}, {2, 2}}},
    {{{-2, 1}, {2, 1}, {-2, 2}, {2, 2}}},
    {{{-1, -2}, {-1, 2}, {-2, -2}, {-2, 2}}},
}};
const CheckedArray<Step, 1, 4> diagonal_steps = {{{1, -1}, {1, 1}, {-1, 1}, {-1, -1}}};

bool is_template_kind(int kind) { return kind == area_kind::special || kind == area_kind::vault; }

Point side_cell(int x, int y, int dir, int side) {
  const Step s = side_step[dir][side];
  return {x + s.dx, y + s.dy};
}

bool all_widening_cells_walls(int x, int y, int dir) {
  for (const Step s : widening_cells[dir])
    if (!is_wall(x + s.dx, y + s.dy, 0)) return false;
  return true;
}

// A room of fewer than 37 cells keeps one-cell doorways.
bool is_small_room(int area) {
  return is_area(area) && areas[area].kind == area_kind::room && areas[area].cell_count < 37;
}

// Whether the template the area was built from carries the given tag.
bool area_template_has_tag(int area, int tag_number) {
  if (!is_area(area)) return false;
  const int t = areas[area].template_index;
  return t > 0 && area_templates[t].tags[tag_number] != 0;
}

// Both sideways neighbours are on the map, walls, and hide no secret door.
bool has_plain_wall_sides(int x, int y, int dir) {
  for (int side = 1; side <= 2; ++side) {
    const Point c = side_cell(x, y, dir, side);
    if (!is_wall(c.x, c.y, 0) || map_cells(c.x, c.y).secret_difficulty != 0) return false;
  }
  return true;
}

}  // namespace

bool widen_doorway(int x, int y, int dir, int new_kind, int from_kind, int area, bool forced,
                   int depth) {
  depth = trace_enter(depth, trace_id::widen_doorway);
  for (const Step s : diagonal_steps)
    if (!is_floor(x + s.dx, y + s.dy, 0)) return false;
  if (!forced) {
    bool ok = false;
    if (is_template_kind(from_kind)) ok = all_widening_cells_walls(x, y, opposite_direction(dir));
    if (is_template_kind(new_kind) && !ok) ok = all_widening_cells_walls(x, y, dir);
    if (!ok) return false;
  }
  const Step ahead = direction_step[dir];
  if (is_small_room(area)) return false;
  if (on_map(x + ahead.dx, y + ahead.dy, 0) &&
      is_small_room(map_cells(x + ahead.dx, y + ahead.dy).area_index))
    return false;
  const int floor = dominant_floor_block(x, y);
  for (int side = 1; side <= 2; ++side) {
    const Point c = side_cell(x, y, dir, side);
    set_block(c.x, c.y, floor, new_kind, area, false, depth);
  }
  return true;
}

void create_doorway(int x, int y, int dir, int new_kind, int from_kind, int area, int depth) {
  depth = trace_enter(depth, trace_id::create_doorway);
  if (dungeon.area_counter == 1) return;
  if (is_natural_kind(new_kind) && is_natural_kind(from_kind)) {
    set_block(x, y, dungeon.natural_floor, new_kind, area, false, depth);
    if (dungeon.corridor_width > 1)
      for (int side = 1; side <= 2; ++side) {
        const Point c = side_cell(x, y, dir, side);
        set_block(c.x, c.y, dungeon.natural_floor, new_kind, area, false, depth);
      }
    return;
  }
  if (!has_plain_wall_sides(x, y, dir)) return;
  set_block(x, y, dominant_floor_block(x, y), new_kind, area, false, depth);
  dead_end_layer(x, y) = 0;
  if ((is_template_kind(new_kind) || is_template_kind(from_kind)) &&
      !area_template_has_tag(area, tag::cg_all)) {
    if (random_percent() <= dungeon.template_widen_chance &&
        widen_doorway(x, y, dir, new_kind, from_kind, area, false, depth))
      return;
  }
  if ((dungeon.corridor_width > 1 || current_level.recruitables_flag != 0) &&
      widen_doorway(x, y, dir, new_kind, from_kind, area, true, depth))
    return;
  if (random_percent() <= dungeon.secret_door_chance && !is_area_front_cell(x, y) &&
      hallway_end_layer(x, y) == 0) {
    create_secret_door(x, y, dungeon.secret_door_difficulty, depth);
    return;
  }
  if (new_kind == area_kind::corridor &&
      (from_kind == area_kind::corridor || is_natural_kind(from_kind) ||
       from_kind == area_kind::special))
    return;
  if (new_kind == area_kind::special && from_kind == area_kind::corridor) return;
  if (new_kind == area_kind::special && from_kind == area_kind::special) {
    if (random_percent() <= dungeon.special_widen_chance)
      widen_doorway(x, y, dir, new_kind, from_kind, area, true, depth);
    return;
  }
  if (random_percent() <= dungeon.doorway_door_chance) add_furniture(x, y, furniture::door, depth);
}

namespace {

bool holds_door_or_secret_door(int x, int y) {
  const int f = get_furniture(x, y, 0);
  return f == furniture::door || f == furniture::door_secret;
}

// Whether the two areas already meet through an open cell or a secret door
// within 7 cells of the mark along its wall: a cell W of the wall line whose
// inner side belongs to the mark's area and whose outer side to `outer`.
bool joined_nearby(const Mark& mark, int outer) {
  const Step ahead = direction_step[mark.dir];
  for (int side = 1; side <= 2; ++side) {
    const Step s = side_step[mark.dir][side];
    for (int i = 1; i <= 7; ++i) {
      const int wx = mark.x + i * s.dx;
      const int wy = mark.y + i * s.dy;
      if (!on_map(wx, wy, 0)) break;
      const int w_area = map_cells(wx, wy).area_index;
      if (w_area != mark.area && w_area != outer) continue;
      const int bx = wx - ahead.dx, by = wy - ahead.dy;
      const int fx = wx + ahead.dx, fy = wy + ahead.dy;
      if (!on_map(bx, by, 0) || !on_map(fx, fy, 0)) break;
      if (map_cells(bx, by).area_index != mark.area) break;
      if (map_cells(fx, fy).area_index != outer || !is_floor(bx, by, 0) || !is_floor(fx, fy, 0))
        break;
      if (is_floor(wx, wy, 0) || get_furniture(wx, wy, 0) == furniture::door_secret) return true;
    }
  }
  return false;
}

}  // namespace

void mark_to_doorway(const Mark& mark, int depth) {
  depth = trace_enter(depth, trace_id::mark_to_doorway);
  if (dungeon.corridor_width > 1) return;
  dungeon.area_placed = 0;
  const int x = mark.x, y = mark.y, dir = mark.dir;
  if (!is_wall(x, y, depth) || holds_door_or_secret_door(x, y) || impenetrable_layer(x, y) != 0)
    return;
  if (mark.from_kind == area_kind::corridor && dead_end_layer(x, y) != 0) {
    if (!continue_corridor(x, y, dir, false, depth)) deadend_to_floor(x, y, dir, depth);
    return;
  }
  const int ax = x + direction_step[dir].dx;
  const int ay = y + direction_step[dir].dy;
  if (!is_floor(ax, ay, 0) || holds_door_or_secret_door(ax, ay)) return;
  const int outer = map_cells(ax, ay).area_index;
  const int outer_kind = map_cells(ax, ay).area_kind;
  if (mark.from_kind == area_kind::corridor && outer_kind == area_kind::corridor) return;
  if (joined_nearby(mark, outer)) return;
  dungeon.area_placed = 1;
  const int new_kind = is_area(mark.area) ? areas[mark.area].kind : 0;
  create_doorway(x, y, dir, new_kind, outer_kind, map_cells(x, y).area_index, depth);
}

namespace {

bool is_wall_or_door(int x, int y) {
  return is_wall(x, y, 0) || is_door(x, y, -1, 0) || get_furniture(x, y, 0) == furniture::door_secret;
}

// Whether the position lies on a corridor's anchor or front cell that the
// wall cell (x, y) must not open.
bool is_corridor_end_cell(int x, int y) {
  const int a = map_cells(x, y).area_index;
  if (!is_area(a)) return false;
  const AreaRecord& area = areas[a];
  if (area.kind == area_kind::corridor && area.anchor_x == x && area.anchor_y == y) return true;
  const int p = area.parent_area;
  if (!is_area(p) || areas[p].kind != area_kind::corridor) return false;
  if (areas[p].anchor_x == x && areas[p].anchor_y == y) return true;
  Point front;
  return area_front_cell(p, front) && front == Point{x, y};
}

enum class WallWalk { blocked, ends_in_floor };

// Walks along the wall line from (x, y) by `step` until it is blocked (map
// edge, wall across the line, or three walls around) or ends in open floor.
// Floors and walls are counted apart: a door is a floor that also counts
// among the walls, so a wall may end in open floor beside a door.
WallWalk walk_wall_line(int x, int y, Step step, Step across) {
  for (int px = x + step.dx, py = y + step.dy;; px += step.dx, py += step.dy) {
    if (!on_map(px, py, 0)) return WallWalk::blocked;
    if (is_wall_or_door(px - across.dx, py - across.dy) ||
        is_wall_or_door(px + across.dx, py + across.dy))
      return WallWalk::blocked;
    int floors = 0;
    int walls = 0;
    for (int n = 1; n <= 8; ++n) {
      const int nx = px + neighbour_step[n].dx, ny = py + neighbour_step[n].dy;
      if (is_floor(nx, ny, 0)) ++floors;
      if (is_wall_or_door(nx, ny) && ++walls >= 3) return WallWalk::blocked;
    }
    if (floors == 8) return WallWalk::ends_in_floor;
  }
}

}  // namespace

bool is_doorway_spot(int x, int y) {
  if (is_corridor_end_cell(x, y)) return false;
  int closed = 0;
  for (int d = 1; d <= 4; ++d)
    if (is_wall_or_door(x + direction_step[d].dx, y + direction_step[d].dy)) ++closed;
  if (closed > 2) return false;
  Step line{};
  Step across{};
  if (is_floor(x - 1, y, 0) && is_floor(x + 1, y, 0)) {
    line = {0, 1};
    across = {1, 0};
  } else if (is_floor(x, y - 1, 0) && is_floor(x, y + 1, 0)) {
    line = {1, 0};
    across = {0, 1};
  } else {
    return false;
  }
  const Step back{static_cast<int8_t>(-line.dx), static_cast<int8_t>(-line.dy)};
  for (const Step step : {line, back}) {
    if (walk_wall_line(x, y, step, across) == WallWalk::blocked) continue;
    // The wall ends in open floor: a passage here is pointless. A secret
    // door taken out here also loses its difficulty, which marks a hidden
    // secret door and would otherwise stay on a plain wall.
    if (get_furniture(x, y, 0) != 0) {
      const int kind = map_cells(x, y).area_kind;
      const int area = map_cells(x, y).area_index;
      remove_furniture(x, y, true, 0);
      map_cells(x, y).secret_difficulty = 0;
      set_block(x, y, dungeon.built_wall, kind, area, false, 0);
    }
    return false;
  }
  return true;
}

int scan_connection_corridor(int x, int y, int dir, int depth) {
  trace_enter(depth, trace_id::scan_corridor_space);
  const Step ahead = direction_step[dir];
  const Step s1 = side_step[dir][1];
  const Step s2 = side_step[dir][2];
  for (int c = 1; c <= 20; ++c) {
    const int px = x + c * ahead.dx, py = y + c * ahead.dy;
    const Point row[3] = {{px, py}, {px + s1.dx, py + s1.dy}, {px + s2.dx, py + s2.dy}};
    bool all_area_walls = true;
    for (const Point p : row) {
      if (!on_map(p.x, p.y, 0) || dug_layer(p.x, p.y) != 0) return 0;
      all_area_walls = all_area_walls && is_wall(p.x, p.y, 0) && map_cells(p.x, p.y).area_index != 0;
    }
    if (impenetrable_layer(px, py) != 0) return 0;
    if (!all_area_walls) continue;
    const int qx = px + ahead.dx, qy = py + ahead.dy;
    const Point q_row[3] = {{qx, qy}, {qx + s1.dx, qy + s1.dy}, {qx + s2.dx, qy + s2.dy}};
    for (const Point q : q_row)
      if (!is_floor(q.x, q.y, 0)) return 0;
    if (get_furniture(qx, qy, 0) != 0) return 0;
    if (is_door(q_row[1].x, q_row[1].y, -1, 0) || is_door(q_row[2].x, q_row[2].y, -1, 0)) return 0;
    return c + 1;
  }
  return 0;
}

// ---- Connection passes over the finished map ------------------------------

namespace {

constexpr int max_side_candidates = 128;

// The cells of side j of an area's bounding box without its corners.
struct BoxSide {
  Point first;
  Step along;
  int length;
};
BoxSide box_side(const AreaRecord& a, int side) {
  switch (side) {
    case 1: return {{a.x1 + 1, a.y1}, {1, 0}, a.x2 - a.x1 - 1};
    case 2: return {{a.x2, a.y1 + 1}, {0, 1}, a.y2 - a.y1 - 1};
    case 3: return {{a.x1 + 1, a.y2}, {1, 0}, a.x2 - a.x1 - 1};
    default: return {{a.x1, a.y1 + 1}, {0, 1}, a.y2 - a.y1 - 1};
  }
}

bool side_holds_furniture(const BoxSide& side) {
  for (int k = 0; k < side.length; ++k)
    if (get_furniture(side.first.x + k * side.along.dx, side.first.y + k * side.along.dy, 0) != 0)
      return true;
  return false;
}

// Whether the side cell c of room i could open onto a room or natural area
// that i does not touch yet.
bool is_connection_candidate(int i, Point c, int side) {
  const Step out = direction_step[side];
  const int ox = c.x + out.dx, oy = c.y + out.dy;
  if (!on_map(c.x, c.y, 0) || !on_map(ox, oy, 0)) return false;
  if (!is_wall(c.x, c.y, 0) || !is_floor(ox, oy, 0)) return false;
  const int e = map_cells(ox, oy).area_index;
  if (!is_area(e) || are_neighbours(i, e)) return false;
  const int kind = areas[e].kind;
  if (kind != area_kind::room && !is_natural_kind(kind)) return false;
  return is_doorway_spot(c.x, c.y);
}

// Opens one passage from side j of room i to an area it does not touch yet.
void connect_room_side(int i, int side, int depth) {
  const BoxSide cells = box_side(areas[i], side);
  if (side_holds_furniture(cells)) return;
  CheckedArray<Point, 0, max_side_candidates - 1> candidates;
  int count = 0;
  for (int k = 0; k < cells.length && count < max_side_candidates; ++k) {
    const Point c{cells.first.x + k * cells.along.dx, cells.first.y + k * cells.along.dy};
    if (is_connection_candidate(i, c, side)) candidates[count++] = c;
  }
  if (count == 0) return;
  const Point c = candidates[random_int(count)];
  const int h = map_cells(c.x, c.y).area_index;
  if (is_area(h) && areas[h].neighbour_count != 0)
    create_doorway(c.x, c.y, side, areas[h].kind, areas[i].kind, i, depth);
  else
    create_secret_door(c.x, c.y, dungeon.secret_door_difficulty, depth);
  calculate_area_exits(depth);
}

}  // namespace

void connect_areas(int depth) {
  depth = trace_enter(depth, trace_id::connect_areas);
  for (int i = 1; i <= areas.highest(); ++i) {
    if (areas[i].kind != area_kind::room) continue;
    for (int side = 1; side <= 4; ++side) connect_room_side(i, side, depth);
  }
}

namespace {

bool is_plain_cell(int x, int y) {
  return get_furniture(x, y, 0) == 0 && impenetrable_layer(x, y) == 0;
}

bool is_unlinked_corridor(int area) {
  return areas[area].kind == area_kind::corridor && areas[area].neighbour_count == 0;
}

// Joins the areas on the two sides of the one-cell wall (x, y) across
// direction k (1: north and south, 2: west and east) when nothing joins them.
void connect_through_wall(int x, int y, int k, int depth) {
  const Step across = k == 1 ? Step{0, 1} : Step{1, 0};
  const Step line = k == 1 ? Step{1, 0} : Step{0, 1};
  const int ax = x - across.dx, ay = y - across.dy;
  const int bx = x + across.dx, by = y + across.dy;
  if (!is_floor(ax, ay, 0) || !is_floor(bx, by, 0)) return;
  for (const int sign : {-1, 1}) {
    const int wx = x + sign * line.dx, wy = y + sign * line.dy;
    if (!is_wall(wx, wy, 0) || get_furniture(wx, wy, 0) == furniture::door_secret) return;
  }
  if (!is_plain_cell(ax, ay) || !is_plain_cell(bx, by)) return;
  const int h = map_cells(ax, ay).area_index;
  const int l = map_cells(bx, by).area_index;
  if (h == 0 || l == 0 || h == l || !is_area(h) || !is_area(l)) return;
  if (is_unlinked_corridor(h) || is_unlinked_corridor(l)) return;
  if (are_neighbours(h, l) || are_second_neighbours(h, l) || are_secret_neighbours(h, l)) return;
  if (areas[h].neighbour_count == 0 || areas[l].neighbour_count == 0) {
    create_secret_door(x, y, dungeon.secret_door_difficulty, depth);
    link_secret(h, l);
    link_secret(l, h);
  } else {
    create_doorway(x, y, k, areas[h].kind, areas[h].kind, h, depth);
    link_areas(h, l);
    link_areas(l, h);
  }
}

}  // namespace

void connect_areas_through_walls(int depth) {
  depth = trace_enter(depth, trace_id::connect_areas_through_walls);
  for (int x = 2; x <= map_size - 2; ++x) {
    for (int y = 2; y <= map_size - 2; ++y) {
      if (!is_wall(x, y, 0) || !is_plain_cell(x, y)) continue;
      const MapCell& cell = map_cells(x, y);
      if (cell.area_kind == area_kind::corridor &&
          (!is_area(cell.area_index) || areas[cell.area_index].neighbour_count == 0))
        continue;
      for (int k = 1; k <= 2; ++k) connect_through_wall(x, y, k, depth);
    }
  }
}

namespace {

// The middle cell of side j of the area's bounding box.
Point side_middle(const AreaRecord& a, int side) {
  switch (side) {
    case 1: return {a.x1 + a.width / 2, a.y1};
    case 2: return {a.x2, a.y1 + a.height / 2};
    case 3: return {a.x1 + a.width / 2, a.y2};
    default: return {a.x1, a.y1 + a.height / 2};
  }
}

void open_plain(Point c, int area) {
  set_block(c.x, c.y, dominant_floor_block(c.x, c.y), area_kind::corridor, area, false, 0);
}

// Digs a straight corridor from side j of area i to the area g cells away;
// returns whether it was built.
bool dig_connection_corridor(int i, int side, bool door, int depth) {
  const Point s = side_middle(areas[i], side);
  if (parallel_corridor_near(s.x, s.y, side, 2)) return false;
  const int g = scan_connection_corridor(s.x, s.y, side, depth);
  if (g == 0) return false;
  const Step out = direction_step[side];
  const Point e{s.x + (g - 1) * out.dx, s.y + (g - 1) * out.dy};
  const int o = map_cells(e.x, e.y).area_index;
  if (!is_area(o) || areas[o].cell_count <= 48 || areas[o].parent_area == areas[i].parent_area)
    return false;
  stencil_layer.clear();
  const CellRect r = room_rect_at_mark(s.x, s.y, side, 3, g, true);
  if (!draw_rect_stencil(r.x1, r.y1, r.x2, r.y2, dungeon.built_floor, dungeon.built_wall))
    return false;
  const int corridor = dungeon.area_counter;
  dungeon.parent_area = i;
  place_area(r.x1, r.y1, r.x2, r.y2, area_kind::corridor, corridor, false, depth);
  add_to_areas(corridor, s.x, s.y, side, r.x1, r.y1, r.x2, r.y2, area_kind::corridor,
               (r.x2 - r.x1 + 1) * (r.y2 - r.y1 + 1), 0, depth);
  const bool with_door = door && g != 2;
  if (with_door || g > 7) {
    if (g > 7)
      create_doorway(s.x, s.y, side, area_kind::corridor, dungeon.current_from_kind, corridor, depth);
    else
      open_plain(s, corridor);
    if (areas[o].kind != area_kind::corridor)
      create_doorway(e.x, e.y, opposite_direction(side), area_kind::corridor,
                     dungeon.current_from_kind, corridor, depth);
    else
      open_plain(e, corridor);
  } else {
    open_plain(s, corridor);
    open_plain(e, corridor);
  }
  dungeon.area_counter += 1;
  dungeon.area_count[area_kind::corridor] =
      narrow<uint8_t>(dungeon.area_count[area_kind::corridor] + 1);
  calculate_area_exits(depth);
  return true;
}

}  // namespace

void connect_areas_with_corridors(int depth) {
  depth = trace_enter(depth, trace_id::connect_areas_with_corridors);
  for (int i = 1; i <= areas.highest(); ++i) {
    const AreaRecord& room = areas[i];
    if (room.kind != area_kind::room && room.kind != area_kind::circular) continue;
    if (room.exit_cells != 1 || room.cell_count <= 48) continue;
    const bool door = is_door(room.anchor_x, room.anchor_y, -1, 0);
    // Registering the corridor may move the table: keep what is needed.
    const int parent_side = opposite_direction(room.direction);
    for (int side = 1; side <= 4; ++side) {
      if (side == parent_side) continue;
      if (dig_connection_corridor(i, side, door, depth)) break;
    }
  }
}
