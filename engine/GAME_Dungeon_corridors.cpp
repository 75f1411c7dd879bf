// Corridors: straight walled strips grown from a mark, with the test of the
// space beyond their far end, their dead ends, and the routines that later
// extend a dead end or open it into the floor beyond.
#include "GAME_Dungeon.h"
#include "GAME_Global.h"
#include "GAME_Map.h"

namespace {

// A plain door or a secret door; locked and cell doors do not count here.
bool holds_door(int x, int y) {
  const int f = get_furniture(x, y, 0);
  return f == furniture::door || f == furniture::door_secret;
}

bool blocks_opening(int x, int y) { return is_impenetrable_wall(x, y, 0) || holds_door(x, y); }

// The marks a corridor lays on its walls, per growth direction. The side
// marks go on a random cell of each long side, at least 2 cells from the
// far wall and 3 from the near one; a branching corridor instead puts them
// 3 cells before its far end.
struct CorridorMarks {
  Point end;
  CellRect side1, side2;
  int side1_dir, side2_dir;
  Point branch1, branch2;
  Point back;
};

CorridorMarks corridor_marks(const CellRect& b, int dir, int t) {
  switch (dir) {
    case 1:
      return {{b.x1 + t, b.y1},      {b.x2, b.y1 + 2, b.x2, b.y2 - 3}, {b.x1, b.y1 + 2, b.x1, b.y2 - 3},
              2, 4, {b.x2, b.y1 + 3}, {b.x1, b.y1 + 3}, {b.x1 + t, b.y2}};
    case 2:
      return {{b.x2, b.y1 + t},      {b.x1 + 3, b.y1, b.x2 - 2, b.y1}, {b.x1 + 3, b.y2, b.x2 - 2, b.y2},
              1, 3, {b.x2 - 3, b.y1}, {b.x2 - 3, b.y2}, {b.x1, b.y1 + t}};
    case 3:
      return {{b.x1 + t, b.y2},      {b.x2, b.y1 + 3, b.x2, b.y2 - 2}, {b.x1, b.y1 + 3, b.x1, b.y2 - 2},
              2, 4, {b.x2, b.y2 - 3}, {b.x1, b.y2 - 3}, {b.x1 + t, b.y1}};
    default:
      return {{b.x1, b.y1 + t},      {b.x1 + 2, b.y1, b.x2 - 3, b.y1}, {b.x1 + 2, b.y2, b.x2 - 3, b.y2},
              1, 3, {b.x1 + 3, b.y1}, {b.x1 + 3, b.y2}, {b.x2, b.y1 + t}};
  }
}

// Takes the pending mark at position and grows a branch corridor from it;
// false when the position is not in the list or the corridor fails.
bool grow_branch(int position, int depth) {
  if (position < 0 || position >= mark_count()) return false;
  const Mark mark = take_mark(position);
  return create_corridor(mark.x, mark.y, mark.dir, depth);
}

}  // namespace

bool create_corridor(int x, int y, int dir, int depth) {
  depth = trace_enter(depth, trace_id::create_corridor);
  if (!on_map(x, y, depth)) return false;
  dungeon.current_x = x;
  dungeon.current_y = y;
  dungeon.area_placed = 0;

  const int w = dungeon.corridor_width;
  int length = 8 + random_int(6);
  if (w > 1) length += round_half_even(w * 2.5);
  while (dungeon.area_placed == 0 && length >= 7) {
    stencil_layer.clear();
    const CellRect r = room_rect_at_mark(x, y, dir, w + 2, length, w > 1);
    dungeon.area_placed =
        draw_rect_stencil(r.x1, r.y1, r.x2, r.y2, dungeon.built_floor, dungeon.built_wall);
    if (dungeon.area_placed != 0) dungeon.area_placed = scan_corridor_space(x, y, dir, length, depth);
    if (dungeon.area_placed == 0) --length;
  }
  if (dungeon.area_placed == 0) return false;
  const bool first_area = dungeon.area_counter == 1;
  if (first_area) centre_first_area_at_mark(x, y);

  const StencilBox box = stencil_bounds();
  place_area(box.x1, box.y1, box.x2, box.y2, area_kind::corridor, dungeon.area_counter, false,
             depth);
  bool branch = false;
  if (dungeon.current_from_kind != area_kind::corridor && length >= 10)
    branch = random_percent() <= dungeon.corridor_branch_chance;

  const CorridorMarks marks = corridor_marks(box, dir, w / 2 + 1);
  add_mark(marks.end.x, marks.end.y, dir, 1, 0, 0, depth);
  dead_end_layer(marks.end.x, marks.end.y) = narrow<uint8_t>(dir);
  int branch1 = -1, branch2 = -1;
  if (branch) {
    branch1 = add_mark(marks.branch1.x, marks.branch1.y, marks.side1_dir, 1, 0, 0, depth);
    branch2 = add_mark(marks.branch2.x, marks.branch2.y, marks.side2_dir, 1, 0, 0, depth);
  } else {
    const CellRect& s1 = marks.side1;
    const CellRect& s2 = marks.side2;
    add_marks_to_line(s1.x1, s1.y1, s1.x2, s1.y2, marks.side1_dir, 1, depth);
    add_marks_to_line(s2.x1, s2.y1, s2.x2, s2.y2, marks.side2_dir, 1, depth);
  }
  if (first_area) {
    const int back = opposite_direction(dir);
    add_mark(marks.back.x, marks.back.y, back, 1, 0, 0, depth);
    dead_end_layer(marks.back.x, marks.back.y) = narrow<uint8_t>(back);
  }
  register_built_area(area_kind::corridor, x, y, dir, box, depth);
  join_built_area(area_kind::corridor, x, y, dir, depth);

  // Both side corridors grow at once. The second mark was added after the
  // first, and its position is lowered by one only when the first branch
  // was built; after a failed first branch the position names the mark
  // that followed it (or none). The branches do not branch again: taking
  // their marks sets current_from_kind to corridor.
  if (branch && branch1 >= 0 && branch2 >= 0) {
    if (grow_branch(branch1, depth)) --branch2;
    grow_branch(branch2, depth);
  }
  return true;
}

bool scan_corridor_space(int x, int y, int dir, int length, int depth) {
  trace_enter(depth, trace_id::scan_corridor_space);
  const int wanted = dice_minimum(dungeon.room_size, 0);
  int free = 0, walls = 0;
  for (int c = length; c <= length + wanted; ++c) {
    const int px = x + c * direction_step[dir].dx, py = y + c * direction_step[dir].dy;
    const int ax = px + side_step[dir][1].dx, ay = py + side_step[dir][1].dy;
    const int bx = px + side_step[dir][2].dx, by = py + side_step[dir][2].dy;
    if (!on_map(px, py, 0) || !on_map(ax, ay, 0) || !on_map(bx, by, 0)) return false;
    // Running along the edge of a floor area (one side dug, the other not).
    if (dug_layer(ax, ay) != dug_layer(bx, by)) return false;
    if (map_cells(px, py).area_index != 0) {
      if (dug_layer(px, py) != 0) return true;
      if (is_wall(px, py, 0)) {
        if (walls == 0 && free + 1 == wanted) return true;
        if (walls == 2) return false;
        ++walls;
      }
    } else {
      ++free;
      if (free >= wanted) return true;
    }
  }
  return true;
}

Point far_end_cell(int area, const CellRect& rect, int dir) {
  CellRect r = rect;
  if (is_area(area)) {
    const AreaRecord& record = areas[area];
    r = {record.x1, record.y1, record.x2, record.y2};
    dir = record.direction;
  }
  switch (dir) {
    case 1: return {r.x1 + 1, r.y1};
    case 2: return {r.x2, r.y1 + 1};
    case 3: return {r.x1 + 1, r.y2};
    case 4: return {r.x1, r.y1 + 1};
    default: return {};
  }
}

namespace {

// Whether the extension rectangle r (already fitting the stencil) reaches
// floor just beyond its far wall without running along foreign walls.
bool extension_reaches_floor(const CellRect& r, int dir) {
  const Point far = far_end_cell(0, r, dir);
  if (!on_map(far.x, far.y, 0)) return false;
  if (is_wall(far.x, far.y, 0) && map_cells(far.x, far.y).area_index != 0)
    for (int side = 1; side <= 2; ++side) {
      const int sx = far.x + side_step[dir][side].dx, sy = far.y + side_step[dir][side].dy;
      if (!on_map(sx, sy, 0)) continue;
      if (!is_wall(sx, sy, 0) || map_cells(sx, sy).area_index == 0) return false;
    }
  const int bx = far.x + direction_step[dir].dx, by = far.y + direction_step[dir].dy;
  return on_map(bx, by, 0) && is_floor(bx, by, 0);
}

}  // namespace

bool continue_corridor(int x, int y, int dir, bool allow_room, int depth) {
  depth = trace_enter(depth, trace_id::continue_corridor);
  dungeon.current_x = x;
  dungeon.current_y = y;
  dungeon.area_placed = 0;
  const int w = dungeon.corridor_width;

  // The longest extension that fits is the only one judged: when it does
  // not reach floor, shorter ones are not tried.
  bool fitted = false;
  for (int length = 15; length >= 3 && !fitted; --length) {
    stencil_layer.clear();
    const CellRect r = room_rect_at_mark(x, y, dir, w + 2, length, w > 1);
    fitted = draw_rect_stencil(r.x1, r.y1, r.x2, r.y2, dungeon.built_floor, dungeon.built_wall);
    if (!fitted) continue;
    dungeon.area_placed = 1;
    if (!extension_reaches_floor(r, dir)) return false;
  }
  if (!fitted) return false;

  const StencilBox box = stencil_bounds();
  const int area = map_cells(x, y).area_index;
  place_area(box.x1, box.y1, box.x2, box.y2, area_kind::corridor, area, false, depth);
  set_block(x, y, dungeon.built_floor, area_kind::corridor, area, false, depth);
  if (is_area(area)) {
    AreaRecord& record = areas[area];
    switch (dir) {
      case 1: record.y1 = box.y1; break;
      case 2: record.x2 = box.x2; break;
      case 3: record.y2 = box.y2; break;
      default: record.x1 = box.x1; break;
    }
    record.width = record.x2 - record.x1 + 1;
    record.height = record.y2 - record.y1 + 1;
    record.centre_x = record.x1 + record.width / 2;
    record.centre_y = record.y1 + record.height / 2;
    record.cell_count = record.width * record.height;
  }

  const Point far = far_end_cell(0, box, dir);
  if (!deadend_to_floor(far.x, far.y, dir, depth) && allow_room) {
    dead_end_layer(far.x, far.y) = narrow<uint8_t>(dir);
    create_room(far.x, far.y, dir, depth);
  }
  dead_end_layer(far.x, far.y) = 0;
  return true;
}

bool deadend_to_floor(int x, int y, int dir, int depth) {
  depth = trace_enter(depth, trace_id::deadend_to_floor);
  if (!on_inner_map(x, y) || blocks_opening(x, y)) return false;
  const int ax = x + direction_step[dir].dx, ay = y + direction_step[dir].dy;
  if (blocks_opening(ax, ay)) return false;
  const int area = map_cells(x, y).area_index;
  if (is_floor(ax, ay, 0)) {
    set_block(x, y, dungeon.built_floor, area_kind::corridor, area, false, depth);
    return true;
  }
  const int bx = ax + direction_step[dir].dx, by = ay + direction_step[dir].dy;
  if (is_wall(ax, ay, 0) && is_floor(bx, by, 0)) {
    set_block(x, y, dungeon.built_floor, area_kind::corridor, area, false, depth);
    const MapCell& beyond = map_cells(bx, by);
    set_block(ax, ay, beyond.block, beyond.area_kind, beyond.area_index, false, depth);
    return true;
  }
  return false;
}
