// The builders of the built room kinds: rectangular rooms, circular rooms,
// ellipses and polygons, the merging of a new room's walls with its
// neighbours, and the builder steps they share with the corridors.
#include <cmath>
#include <cstdlib>

#include "GAME_Dungeon.h"
#include "GAME_Global.h"
#include "GAME_Map.h"

namespace {

bool building_first_area() { return dungeon.area_counter == 1; }

// A side facing direction side gets marks unless it faces the parent,
// which only the first area (having no parent) does not.
bool side_gets_marks(int side, int dir) {
  return building_first_area() || side != opposite_direction(dir);
}

// dead_end_layer at (x, y): non-zero while a corridor dead end is capped.
int dead_end_at(int x, int y) { return on_map(x, y, 0) ? dead_end_layer(x, y) : 0; }

Point stepped(Point p, int dir, int times) {
  return {p.x + times * direction_step[dir].dx, p.y + times * direction_step[dir].dy};
}

Point sideways(Point p, int dir, int which) {
  return {p.x + side_step[dir][which].dx, p.y + side_step[dir][which].dy};
}

void add_mark_at(Point p, int dir, int from_kind, int depth) {
  add_mark(p.x, p.y, dir, from_kind, 0, 0, depth);
}

// A wall cell between two floor cells (across the axis of (sx, sy)) that
// both belong to areas the merge may open into.
bool openable(int x, int y, int sx, int sy, bool rooms, bool specials) {
  const int ax = x - sx, ay = y - sy, bx = x + sx, by = y + sy;
  if (!on_map(ax, ay, 0) || !on_map(bx, by, 0)) return false;
  if (is_impenetrable_wall(x, y, 0) || !is_wall(x, y, 0)) return false;
  if (is_wall(ax, ay, 0) || is_wall(bx, by, 0)) return false;
  auto mergeable = [&](int kind) {
    const bool room_like = kind == area_kind::room || kind == area_kind::ellipse ||
                           kind == area_kind::polygon;
    return (room_like && rooms) || (kind == area_kind::special && specials);
  };
  return mergeable(map_cells(ax, ay).area_kind) && mergeable(map_cells(bx, by).area_kind);
}

void place_box(const StencilBox& box, int kind, bool impenetrable, int depth) {
  place_area(box.x1, box.y1, box.x2, box.y2, kind, dungeon.area_counter, impenetrable, depth);
}

}  // namespace

// ---- Steps shared by the builders --------------------------------------

Point centre_first_area_at_mark(int& x, int& y) {
  const Point offset = center_first_area();
  x += offset.x;
  y += offset.y;
  dungeon.current_x = x;
  dungeon.current_y = y;
  return offset;
}

void register_built_area(int kind, int x, int y, int dir, const StencilBox& box, int depth) {
  add_to_areas(dungeon.area_counter, x, y, dir, box.x1, box.y1, box.x2, box.y2, kind,
               box.cell_count, 0, depth);
}

void join_built_area(int kind, int x, int y, int dir, int depth) {
  create_doorway(x, y, dir, kind, dungeon.current_from_kind, dungeon.area_counter, depth);
  ++dungeon.area_counter;
  dungeon.area_count[kind] = narrow<uint8_t>(dungeon.area_count[kind] + 1);
}

void merge_rooms(const CellRect& box, int area, int depth) {
  depth = trace_enter(depth, trace_id::merge_rooms);
  const int room_roll = random_percent();
  const int special_roll = random_percent();
  const bool rooms = room_roll <= dungeon.merge_chance;
  const bool specials = special_roll <= dungeon.merge_special_chance;
  if (!rooms && !specials) return;
  auto open = [&](int x, int y) {
    set_block(x, y, dungeon.built_floor, area_kind::room, area, false, depth);
  };
  for (int x = box.x1; x <= box.x2; ++x)
    for (int y : {box.y1, box.y2})
      if (openable(x, y, 0, 1, rooms, specials)) open(x, y);
  for (int y = box.y1; y <= box.y2; ++y)
    for (int x : {box.x1, box.x2})
      if (openable(x, y, 1, 0, rooms, specials)) open(x, y);
}

// ---- Rectangular rooms -------------------------------------------------

bool create_room(int x, int y, int dir, int depth) {
  depth = trace_enter(depth, trace_id::create_room);
  if (!on_map(x, y, depth)) return false;
  dungeon.current_x = x;
  dungeon.current_y = y;
  dungeon.area_placed = 0;

  // Capping a dead end, a room that keeps failing shrinks: after 30 tries
  // at full size the expression loses one per try (10 tries, not below the
  // limit), and the last 10 tries use the limit itself.
  const bool capping = dead_end_layer(x, y) != 0;
  Dice size = dungeon.room_size;
  int tries = capping ? 50 : 20;
  while (dungeon.area_placed == 0 && tries > 0) {
    const int breadth = roll_dice(size);
    const int depth_len = roll_dice(size);
    stencil_layer.clear();
    const bool centred = dungeon.corridor_width > 1 || breadth == 5;
    const CellRect r = room_rect_at_mark(x, y, dir, breadth, depth_len, centred);
    dungeon.area_placed =
        draw_rect_stencil(r.x1, r.y1, r.x2, r.y2, dungeon.built_floor, dungeon.built_wall);
    if (dungeon.area_placed != 0) break;
    --tries;
    if (!capping) continue;
    if (tries >= 11 && tries <= 20 && dice_minimum(size, 0) > dungeon.dead_end_room_limit)
      size.bonus = narrow<int16_t>(size.bonus - 1);
    else if (tries <= 10)
      size = constant_dice(dungeon.dead_end_room_limit);
  }
  if (dungeon.area_placed == 0) return false;
  if (building_first_area()) centre_first_area_at_mark(x, y);

  const StencilBox box = stencil_bounds();
  const bool small = box.width <= 6 || box.height <= 6;
  place_box(box, area_kind::room, small, depth);
  merge_rooms(box, dungeon.area_counter, depth);
  if (side_gets_marks(3, dir)) add_marks_to_line(box.x1 + 2, box.y2, box.x2 - 2, box.y2, 3, 2, depth);
  if (side_gets_marks(4, dir)) add_marks_to_line(box.x1, box.y1 + 2, box.x1, box.y2 - 2, 4, 2, depth);
  if (side_gets_marks(1, dir)) add_marks_to_line(box.x1 + 2, box.y1, box.x2 - 2, box.y1, 1, 2, depth);
  if (side_gets_marks(2, dir)) add_marks_to_line(box.x2, box.y1 + 2, box.x2, box.y2 - 2, 2, 2, depth);
  register_built_area(area_kind::room, x, y, dir, box, depth);
  join_built_area(area_kind::room, x, y, dir, depth);
  return true;
}

// ---- Circular rooms ----------------------------------------------------

bool create_circular(int x, int y, int dir, int depth) {
  depth = trace_enter(depth, trace_id::create_circular);
  if (!on_map(x, y, depth)) return false;
  dungeon.current_x = x;
  dungeon.current_y = y;
  dungeon.area_placed = 0;

  int tries = 5;
  int r = 0;
  Point centre{};
  while (dungeon.area_placed == 0 && tries > 0) {
    stencil_layer.clear();
    r = 4 + random_int(4);
    centre = stepped({x, y}, dir, r);
    if (on_map(centre.x, centre.y, 0))
      dungeon.area_placed =
          draw_circle_stencil(centre.x, centre.y, r, dungeon.built_wall, dungeon.built_floor);
    if (dungeon.area_placed == 0) --tries;
  }
  if (dungeon.area_placed == 0) return false;
  if (building_first_area()) {
    const Point offset = centre_first_area_at_mark(x, y);
    centre = {centre.x + offset.x, centre.y + offset.y};
  }

  const StencilBox box = stencil_bounds();
  place_area(1, 1, map_size, map_size, area_kind::circular, dungeon.area_counter, false, depth);
  for (int side = 1; side <= 4; ++side)
    if (side_gets_marks(side, dir)) add_mark_at(stepped(centre, side, r), side, 3, depth);
  register_built_area(area_kind::circular, x, y, dir, box, depth);
  join_built_area(area_kind::circular, x, y, dir, depth);
  return true;
}

// ---- Ellipses ----------------------------------------------------------

namespace {

constexpr int ellipse_outline_points = 3600;

struct AngleTerms {
  double cos, sin;
};

// Cosine and sine of the outline's angles t = 0, 0.2, 0.4, ... (the angle
// accumulated step by step), the same for every ellipse: computed once.
const CheckedArray<AngleTerms, 0, ellipse_outline_points - 1>& ellipse_angles() {
  static const auto table = [] {
    CheckedArray<AngleTerms, 0, ellipse_outline_points - 1> terms{};
    double t = 0.0;
    for (int i = 0; i < ellipse_outline_points; ++i, t += 0.2) terms[i] = {std::cos(t), std::sin(t)};
    return terms;
  }();
  return table;
}

// Writes the floor outline of the ellipse with semi-axes a, b around
// centre; false (the try fails) at the first point outside the inner map.
bool draw_ellipse_outline(Point centre, int a, int b) {
  const auto& angles = ellipse_angles();
  for (int i = 0; i < ellipse_outline_points; ++i) {
    const int px = round_half_even(angles[i].cos * a) + centre.x;
    const int py = round_half_even(angles[i].sin * b) + centre.y;
    if (!on_inner_map(px, py)) return false;
    stencil_layer(px, py) = dungeon.built_floor;
  }
  return true;
}

}  // namespace

bool create_ellipse(int x, int y, int dir, int depth) {
  depth = trace_enter(depth, trace_id::create_ellipse);
  dungeon.current_x = x;
  dungeon.current_y = y;
  dungeon.area_placed = 0;

  int tries = 20;
  StencilBox box{};
  while (dungeon.area_placed == 0 && tries > 0) {
    stencil_layer.clear();
    --tries;
    int a = 0, b = 0;
    do {
      a = 3 + random_int(7);
      b = 3 + random_int(7);
    } while (std::abs(a - b) <= 2);
    const bool across_x = dir == 2 || dir == 4;
    const Point centre = stepped({x, y}, dir, (across_x ? a : b) + 1);
    dungeon.area_placed = draw_ellipse_outline(centre, a, b);
    if (dungeon.area_placed == 0) continue;
    flood_fill_stencil(centre.x, centre.y, dungeon.built_floor);
    box = stencil_bounds();
    dungeon.area_placed = wall_ring_stencil(box.x1 - 1, box.y1 - 1, box.x2 + 1, box.y2 + 1,
                                            dungeon.built_wall, dungeon.built_floor);
    if (dungeon.area_placed == 0) continue;
    if (building_first_area()) centre_first_area_at_mark(x, y);
    box = stencil_bounds();
    dungeon.area_placed = stencil_is_free(box.x1, box.y1, box.x2, box.y2, false);
  }
  if (dungeon.area_placed == 0) return false;

  place_box(box, area_kind::ellipse, false, depth);
  if (dead_end_at(x, y) == 0) merge_rooms(box, dungeon.area_counter, depth);
  const int mid_x = box.x1 + box.width / 2, mid_y = box.y1 + box.height / 2;
  if (side_gets_marks(1, dir)) add_mark_at({mid_x, box.y1}, 1, 4, depth);
  if (side_gets_marks(2, dir)) add_mark_at({box.x2, mid_y}, 2, 4, depth);
  if (side_gets_marks(3, dir)) add_mark_at({mid_x, box.y2}, 3, 4, depth);
  if (side_gets_marks(4, dir)) add_mark_at({box.x1, mid_y}, 4, 4, depth);
  register_built_area(area_kind::ellipse, x, y, dir, box, depth);
  join_built_area(area_kind::ellipse, x, y, dir, depth);
  return true;
}

// ---- Polygons ----------------------------------------------------------

namespace {

// The four corners of a polygon, each with the direction it faces; corner
// 1 lies just beyond the mark and faces the parent.
struct PolygonCorners {
  CheckedArray<Point, 1, 4> at;
  CheckedArray<int, 1, 4> faces;
};

// How far p lies along dir (grows in the direction of growth).
int progress(Point p, int dir) { return p.x * direction_step[dir].dx + p.y * direction_step[dir].dy; }

// Draws the side lengths and the corners of one try and writes the floor
// outline into the stencil; false when the try fails (a point outside the
// inner map). length() draws one side length.
template <class LengthDraw>
bool draw_polygon_outline(int x, int y, int dir, LengthDraw length, PolygonCorners& corners,
                          Point& centre) {
  int l1 = 0, l2 = 0, d = 0;
  if (random_percent() <= 70) {
    l1 = length();
    if (random_percent() > 50) {
      l2 = d = l1;
    } else {
      l2 = length();
      d = random_percent() > 50 ? l2 : length();
    }
  }

  corners.at[1] = stepped({x, y}, dir, 1);
  corners.faces[1] = opposite_direction(dir);
  if (!on_inner_map(corners.at[1].x, corners.at[1].y)) return false;
  for (int k = 2; k <= 4; ++k) {
    corners.faces[k] = (dir + k) % 4 + 1;  // dir - 1, dir, dir + 1, wrapped
    int s = 0, t = 0;
    if (l1 == 0) {
      s = length();
      t = length();
    } else {
      s = k == 3 ? l2 : l1;
      t = k == 3 ? l2 : d;
    }
    corners.at[k] = stepped(stepped(corners.at[k - 1], corners.faces[k], s), dir, t);
    if (!on_inner_map(corners.at[k].x, corners.at[k].y)) return false;
  }

  // The far corner is pushed out until it leads both side corners by more
  // than 3 cells.
  Point& far = corners.at[3];
  while (progress(far, dir) <= progress(corners.at[2], dir) + 3 ||
         progress(far, dir) <= progress(corners.at[4], dir) + 3) {
    far = stepped(far, dir, 1);
    if (!on_inner_map(far.x, far.y)) return false;
  }

  int sum_x = 0, sum_y = 0;
  for (const Point& p : corners.at) {
    sum_x += p.x;
    sum_y += p.y;
  }
  centre = {sum_x / 4, sum_y / 4};

  auto plot = [](Point p) {
    if (!on_inner_map(p.x, p.y)) return false;
    stencil_layer(p.x, p.y) = dungeon.built_floor;
    return true;
  };
  for (int k = 1; k <= 4; ++k) {
    const int next = k % 4 + 1;
    if (!plot(corners.at[k]) || !plot(corners.at[next])) return false;
    const Point start = sideways(corners.at[k], corners.faces[k], 2);
    const Point end = sideways(corners.at[next], corners.faces[next], 1);
    if (!plot(start) || !plot(end)) return false;
    const LinePoints line = line_points(start.x, start.y, end.x, end.y);
    for (int i = 1; i <= line.count; ++i)
      if (!plot(line.points[i])) return false;
  }
  return true;
}

bool stencil_floor_at(int x, int y) {
  return on_map(x, y, 0) && stencil_layer(x, y) == dungeon.built_floor;
}

// Zone 1 is the centre cell; zone 2 the rectangle grown from it, side by
// side (left, up, right, down) while both new corner cells are floor.
void set_polygon_zones(int area, Point centre) {
  areas[area].zones[1] = {narrow<uint8_t>(centre.x), narrow<uint8_t>(centre.y), 1, 1};
  set_zone_cells(area, 1);
  CellRect grown{centre.x, centre.y, centre.x, centre.y};
  bool grew = true;
  while (grew) {
    grew = false;
    if (stencil_floor_at(grown.x1 - 1, grown.y1) && stencil_floor_at(grown.x1 - 1, grown.y2)) {
      --grown.x1;
      grew = true;
    }
    if (stencil_floor_at(grown.x1, grown.y1 - 1) && stencil_floor_at(grown.x2, grown.y1 - 1)) {
      --grown.y1;
      grew = true;
    }
    if (stencil_floor_at(grown.x2 + 1, grown.y1) && stencil_floor_at(grown.x2 + 1, grown.y2)) {
      ++grown.x2;
      grew = true;
    }
    if (stencil_floor_at(grown.x1, grown.y2 + 1) && stencil_floor_at(grown.x2, grown.y2 + 1)) {
      ++grown.y2;
      grew = true;
    }
  }
  areas[area].zones[2] = {narrow<uint8_t>(grown.x1), narrow<uint8_t>(grown.y1),
                          narrow<uint8_t>(grown.x2 - grown.x1 + 1),
                          narrow<uint8_t>(grown.y2 - grown.y1 + 1)};
  set_zone_cells(area, 2);
}

}  // namespace

bool create_polygon(int x, int y, int dir, int depth) {
  depth = trace_enter(depth, trace_id::create_polygon);
  dungeon.current_x = x;
  dungeon.current_y = y;
  dungeon.area_placed = 0;

  const bool capping = dead_end_at(x, y) != 0;
  auto length = [capping] { return 5 + random_int(capping ? 3 : 6); };
  int tries = 20;
  PolygonCorners corners{};
  Point centre{};
  StencilBox box{};
  while (dungeon.area_placed == 0 && tries > 0) {
    stencil_layer.clear();
    --tries;
    dungeon.area_placed = draw_polygon_outline(x, y, dir, length, corners, centre);
    if (dungeon.area_placed == 0) continue;
    flood_fill_stencil(centre.x, centre.y, dungeon.built_floor);
    box = stencil_bounds();
    dungeon.area_placed = wall_ring_stencil(box.x1 - 1, box.y1 - 1, box.x2 + 1, box.y2 + 1,
                                            dungeon.built_wall, dungeon.built_floor);
    if (dungeon.area_placed == 0) return false;
    if (building_first_area()) {
      const Point offset = centre_first_area_at_mark(x, y);
      centre = {centre.x + offset.x, centre.y + offset.y};
      for (Point& p : corners.at) p = {p.x + offset.x, p.y + offset.y};
    }
    box = stencil_bounds();
    dungeon.area_placed = stencil_is_free(box.x1, box.y1, box.x2, box.y2, false);
  }
  if (dungeon.area_placed == 0) return false;

  place_box(box, area_kind::polygon, false, depth);
  if (!capping) merge_rooms(box, dungeon.area_counter, depth);
  // A polygon registers before it lays its marks.
  register_built_area(area_kind::polygon, x, y, dir, box, depth);
  for (int k = 1; k <= 4; ++k)
    if (side_gets_marks(corners.faces[k], dir))
      add_mark_at(stepped(corners.at[k], corners.faces[k], 1), corners.faces[k], 5, depth);
  set_polygon_zones(dungeon.area_counter, centre);
  join_built_area(area_kind::polygon, x, y, dir, depth);
  return true;
}
