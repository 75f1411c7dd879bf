// Template hallways and dead ends: recognising the exits where a template's
// own corridor ends, and, after the dig steps, digging those corridors
// straight on to the floor of another area.
#include <algorithm>
#include <span>

#include "GAME_Dungeon.h"
#include "GAME_Global.h"
#include "GAME_Level.h"
#include "GAME_Map.h"

namespace {

constexpr int longest_dig = 15;

// Cell offsets from an exit facing north; other directions turn them.
struct Offset {
  int dx, dy;
};
// A three-cell-wide corridor ending in the exit's wall.
constexpr Offset hallway_floors[] = {{-1, 1}, {0, 1}, {1, 1}, {-1, 2}, {0, 2}, {1, 2}};
constexpr Offset hallway_walls[] = {{-2, 0}, {-1, 0}, {0, 0}, {1, 0}, {2, 0}, {-2, 1}, {2, 1}};
// A one-cell-wide corridor ending in the exit's wall.
constexpr Offset dead_end_floors[] = {{0, 1}, {0, 2}};
constexpr Offset dead_end_walls[] = {{-1, 0}, {0, 0}, {1, 0}, {-1, 1}, {1, 1}};

Point operator+(Point p, Step s) { return {p.x + s.dx, p.y + s.dy}; }
Point operator-(Point p, Step s) { return {p.x - s.dx, p.y - s.dy}; }

Point stepped(Point p, int dir, int times) {
  return {p.x + times * direction_step[dir].dx, p.y + times * direction_step[dir].dy};
}

// The cell at offset o from (x, y) for an exit facing dir: the north
// offset turned clockwise once per direction past north.
Point offset_cell(int x, int y, Offset o, int dir) {
  int dx = o.dx, dy = o.dy;
  for (int turn = 1; turn < dir; ++turn) {
    const int old_dx = dx;
    dx = -dy;
    dy = old_dx;
  }
  return {x + dx, y + dy};
}

bool holds_furniture(Point p) { return get_furniture(p.x, p.y, 0) != 0; }
bool impenetrable(Point p) { return is_impenetrable_wall(p.x, p.y, 0); }
int area_at(Point p) { return map_cells(p.x, p.y).area_index; }

// Floors and walls of areas (walls without furniture) at the given offsets.
bool exit_shape_matches(int x, int y, int dir, std::span<const Offset> floors,
                        std::span<const Offset> walls) {
  check_index(dir, 1, 4);
  for (const Offset o : floors) {
    const Point p = offset_cell(x, y, o, dir);
    if (!is_floor(p.x, p.y, 0) || area_at(p) == 0) return false;
  }
  for (const Offset o : walls) {
    const Point p = offset_cell(x, y, o, dir);
    if (!is_wall(p.x, p.y, 0) || area_at(p) == 0 || holds_furniture(p)) return false;
  }
  return true;
}

// What a dig from a template end may run through and connect to.
struct DigRules {
  bool wide;      // three floor cells across instead of one
  bool hallway;   // refuse sealed targets and, mostly, areas already joined to ours
};

// Whether the floor cell p, reached by the dig, is an acceptable target. A
// floor of no area reads the blank slot 0 of the areas table and is joined.
bool accepts_target(Point p, int dir, int own_area, const DigRules& rules) {
  if (holds_furniture(p)) return false;
  const int target = area_at(p);
  if (rules.wide)
    for (const Step s : side_step[dir]) {
      const Point n = p + s;
      if (!is_floor(n.x, n.y, 0) || area_at(n) != target || holds_furniture(n)) return false;
    }
  if (rules.hallway && areas[target].template_flag != 0) return false;
  if (target == own_area) return false;
  if (rules.hallway && are_neighbours(own_area, target) && random_percent() <= 75) return false;
  return areas[target].cell_count != 25;
}

// Whether the wall cell p may be dug through: it and its sideways
// neighbours are plain rock or walls (for a wide dig with walls beyond).
// A sideways neighbour off the map refuses the dig, so that carving never
// writes outside the map (which would be a fatal coordinate error).
bool can_dig_through(Point p, int dir, const DigRules& rules) {
  if (impenetrable(p) || holds_furniture(p)) return false;
  for (const Step s : side_step[dir]) {
    const Point n = p + s;
    if (!on_map(n.x, n.y, 0) || is_floor(n.x, n.y, 0) || impenetrable(n) || holds_furniture(n))
      return false;
    if (rules.wide) {
      const Point beyond = n + s;
      if (!is_wall(beyond.x, beyond.y, 0) || holds_furniture(beyond)) return false;
    }
  }
  return true;
}

// The number of cells from the end to the target floor, 0 when the dig is refused.
int dig_length(Point end, int dir, int own_area, const DigRules& rules) {
  for (int d = 1; d <= longest_dig; ++d) {
    const Point p = stepped(end, dir, d);
    if (!on_map(p.x, p.y, 0)) return 0;
    if (is_floor(p.x, p.y, 0)) return accepts_target(p, dir, own_area, rules) ? d : 0;
    if (!can_dig_through(p, dir, rules)) return 0;
  }
  return 0;
}

// set_block for a cell beside the dig, skipped off the map: the cells beside
// the end itself are not checked by the walk and may lie past the edge.
void set_on_map(Point p, int block, int kind, int area, int depth) {
  if (on_map(p.x, p.y, 0)) set_block(p.x, p.y, block, kind, area, false, depth);
}

// Shrinks or grows area's box to its cells, searched within its old box
// grown by margin on every side and clipped to the map (storage past the
// active square may still hold an earlier, larger level's cells); the cell
// count becomes the box's size.
void refit_area(int area, int margin) {
  if (!is_area(area)) return;
  AreaRecord& record = areas[area];
  CellRect box{map_size + 1, map_size + 1, 0, 0};
  for (int x = std::max(1, record.x1 - margin); x <= std::min(map_size, record.x2 + margin); ++x)
    for (int y = std::max(1, record.y1 - margin); y <= std::min(map_size, record.y2 + margin); ++y)
      if (map_cells(x, y).area_index == area)
        box = {std::min(box.x1, x), std::min(box.y1, y), std::max(box.x2, x), std::max(box.y2, y)};
  if (box.x2 == 0) return;
  record.x1 = box.x1;
  record.y1 = box.y1;
  record.x2 = box.x2;
  record.y2 = box.y2;
  record.width = box.x2 - box.x1 + 1;
  record.height = box.y2 - box.y1 + 1;
  record.cell_count = record.width * record.height;
}

// Digs from the end (x, y), a wall of a template area, straight on in dir
// to the floor of another area. The corridor takes the floor of the cell
// behind the end, the end's wall block and kind, and belongs to the area
// behind the end, whose box is refitted.
bool dig_from_end(int x, int y, int dir, const DigRules& rules, int depth) {
  const Point end{x, y};
  const Point behind = end - direction_step[dir];
  if (!on_map(x, y, 0) || !on_map(behind.x, behind.y, 0)) return false;
  const int floor = map_cells(behind.x, behind.y).block;
  const int own_area = area_at(behind);
  const int wall = map_cells(x, y).block;
  const int kind = map_cells(x, y).area_kind;

  const int length = dig_length(end, dir, own_area, rules);
  if (length == 0) return false;
  for (int k = 0; k < length; ++k) {
    const Point c = stepped(end, dir, k);
    set_block(c.x, c.y, floor, kind, own_area, false, depth);
    for (const Step s : side_step[dir]) {
      if (!rules.wide) {
        set_on_map(c + s, wall, kind, own_area, depth);
        continue;
      }
      set_on_map(c + s, floor, kind, own_area, depth);
      const Point beyond = c + s + s;
      if (on_map(beyond.x, beyond.y, 0) && area_at(beyond) == 0)
        set_block(beyond.x, beyond.y, wall, kind, own_area, false, depth);
    }
  }
  refit_area(own_area, length);
  return true;
}

// (x, y) and both its sideways neighbours for dir are walls.
bool walled_across(int x, int y, int dir) {
  if (!is_wall(x, y, 0)) return false;
  for (const Step s : side_step[dir])
    if (!is_wall(x + s.dx, y + s.dy, 0)) return false;
  return true;
}

// A hallway end is continued wide, else narrow, else narrow from either
// cell beside it.
bool continue_hallway_end(int x, int y, int dir, int depth) {
  if (continue_hallway(x, y, dir, true, depth) || continue_hallway(x, y, dir, false, depth))
    return true;
  for (const Step s : side_step[dir])
    if (continue_hallway(x + s.dx, y + s.dy, dir, false, depth)) return true;
  return false;
}

}  // namespace

bool is_hallway_end(int x, int y, int dir) {
  return exit_shape_matches(x, y, dir, hallway_floors, hallway_walls);
}

bool is_vault_dead_end(int x, int y, int dir) {
  return exit_shape_matches(x, y, dir, dead_end_floors, dead_end_walls);
}

bool continue_hallway(int x, int y, int dir, bool wide, int depth) {
  depth = trace_enter(depth, trace_id::continue_hallway);
  if (!wide && parallel_corridor_near(x, y, dir, 1)) return false;
  return dig_from_end(x, y, dir, {wide, true}, depth);
}

bool continue_vault_deadend(int x, int y, int dir, int depth) {
  depth = trace_enter(depth, trace_id::continue_vault_deadend);
  return dig_from_end(x, y, dir, {false, false}, depth);
}

void terminate_hallways(bool include_vault_ends, int depth) {
  depth = trace_enter(depth, trace_id::terminate_hallways);
  dungeon.marks_closed = 1;
  for (int x = 1; x <= map_size; ++x)
    for (int y = 1; y <= map_size; ++y) {
      const int h = hallway_end_layer(x, y);
      const bool vault_end = h >= 5 && h <= 8;
      if (!(h >= 1 && h <= 4) && !(vault_end && include_vault_ends)) continue;
      const int dir = vault_end ? h - 4 : h;
      const int ax = x + direction_step[dir].dx, ay = y + direction_step[dir].dy;
      if (!walled_across(x, y, dir) || !on_map(ax, ay, 0)) continue;
      if (is_floor(ax, ay, 0)) {
        mark_to_doorway(Mark{x, y, dir, 0, 0, 0, map_cells(x, y).area_index}, depth);
        continue;
      }
      const bool carved = vault_end ? continue_vault_deadend(x, y, dir, depth)
                                    : continue_hallway_end(x, y, dir, depth);
      if (!carved) continue;
      hallway_end_layer(x, y) = 0;
      calculate_area_exits(depth);
    }
  dungeon.marks_closed = 0;
}
