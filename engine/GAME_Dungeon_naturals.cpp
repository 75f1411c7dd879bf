// Tunnels and caves: irregular natural areas grown from a mark by random
// walks of a small brush, closed with a wall ring, and accepted only when
// they form one connected shape of sufficient size on unclaimed or natural
// ground.
#include "GAME_Dungeon.h"
#include "GAME_Global.h"
#include "GAME_Map.h"

namespace {

constexpr int brush_radius = 2;
constexpr int cave_min_cells = 80;
constexpr int tunnel_min_cells = 50;
// Marks the regions found by the connectivity test; no block has this id.
constexpr int region_marker = 255;

Point stepped(Point p, int dir, int times) {
  return {p.x + times * direction_step[dir].dx, p.y + times * direction_step[dir].dy};
}

Point sideways(Point p, int dir, int which, int times) {
  return {p.x + times * side_step[dir][which].dx, p.y + times * side_step[dir][which].dy};
}

// Puts floor into the stencil at (x, y) when the map holds no block there;
// false when the cell is dug floor.
bool paint_rock(int x, int y, int floor) {
  if (map_cells(x, y).block == 0) stencil_layer(x, y) = narrow<uint8_t>(floor);
  return dug_layer(x, y) == 0;
}

// The walkers of one try, all starting at start. A walker drifts forward in
// dir, sometimes back, and sideways; every draw of a step is made before
// its brush result is looked at, and the first brush that does not fit
// ends every walk.
bool walk_brushes(Point start, int dir, bool cave, int floor) {
  int walkers = 0, base_steps = 0;
  if (cave) {
    walkers = 5 + random_int(10);
    base_steps = 10;
  } else {
    walkers = random_percent() < 20 ? 2 : 1;
    base_steps = 13;
  }
  const int steps = base_steps + random_int(5);
  for (int walker = 0; walker < walkers; ++walker) {
    Point p = start;
    for (int j = 1; j <= steps; ++j) {
      const bool fits = natural_brush(p.x, p.y, floor);
      const int ahead = random_percent();
      if (ahead <= 59)
        p = stepped(p, dir, 1 + random_int(2));
      else if (j > 4 && ahead > 100 - j)
        p = stepped(p, opposite_direction(dir), 1);
      const int aside = random_percent();
      const int cells = 1 + random_int(2);
      if (aside < 35) p = sideways(p, dir, 1, cells);
      if (aside > 65) p = sideways(p, dir, 2, cells);
      if (!fits) return false;
    }
  }
  return true;
}

// Opens the mouth at the mark (the five cells around it on the dir side),
// fills one-cell holes and draws the wall ring on unclaimed rock.
void close_natural_shape(int x, int y, int dir, int floor, int wall) {
  const int ahead = 2 * dir - 1;  // the neighbour index of the cell ahead
  for (int k = -2; k <= 2; ++k) {
    const int n = (ahead - 1 + k + 8) % 8 + 1;
    const int mx = x + neighbour_step[n].dx, my = y + neighbour_step[n].dy;
    if (on_map(mx, my, 0) && map_cells(mx, my).block == 0)
      stencil_layer(mx, my) = narrow<uint8_t>(floor);
  }
  for (int cx = 2; cx < map_size; ++cx)
    for (int cy = 2; cy < map_size; ++cy) {
      if (stencil_layer(cx, cy) != 0) continue;
      bool enclosed = true;
      for (int d = 1; d <= 4 && enclosed; ++d)
        enclosed = stencil_layer(cx + direction_step[d].dx, cy + direction_step[d].dy) != 0;
      if (enclosed) stencil_layer(cx, cy) = narrow<uint8_t>(floor);
    }
  for (int cx = 1; cx <= map_size; ++cx)
    for (int cy = 1; cy <= map_size; ++cy) {
      if (stencil_layer(cx, cy) != 0 || map_cells(cx, cy).block != 0) continue;
      for (int n = 1; n <= 8; ++n) {
        const int nx = cx + neighbour_step[n].dx, ny = cy + neighbour_step[n].dy;
        if (on_map(nx, ny, 0) && stencil_layer(nx, ny) == floor) {
          stencil_layer(cx, cy) = narrow<uint8_t>(wall);
          break;
        }
      }
    }
}

// The first non-zero, unmarked stencil cell in row order (y outer, x inner).
bool first_unmarked_cell(Point& cell) {
  for (int cy = 1; cy <= map_size; ++cy)
    for (int cx = 1; cx <= map_size; ++cx) {
      const int value = stencil_layer(cx, cy);
      if (value != 0 && value != region_marker) {
        cell = {cx, cy};
        return true;
      }
    }
  return false;
}

// Whether the stencil is one connected region of each of its two values
// (the wall ring and the floor): after filling the first region and then
// the next one, nothing may be left. The stencil is restored afterwards.
bool stencil_is_connected() {
  static Layer saved;
  saved = stencil_layer;
  Point cell;
  for (int region = 0; region < 2 && first_unmarked_cell(cell); ++region)
    flood_fill_stencil(cell.x, cell.y, region_marker);
  const bool connected = !first_unmarked_cell(cell);
  stencil_layer = saved;
  return connected;
}

}  // namespace

bool natural_brush(int x, int y, int floor) {
  if (x < 4 || x > map_size - 3 || y < 4 || y > map_size - 3) return false;
  if (random_int(3) != 0) return draw_circle_stencil(x, y, brush_radius, floor, floor);
  // Inside the bounds above every neighbour painted here is on the map.
  bool fits = true;
  stencil_layer(x, y) = narrow<uint8_t>(floor);
  for (int d = 1; d <= 4; ++d)
    fits = paint_rock(x + direction_step[d].dx, y + direction_step[d].dy, floor) && fits;
  const int diagonals = 1 + random_int(4);
  for (int i = 0; i < diagonals; ++i) {
    int n = 0;
    do n = 1 + random_int(8);
    while (n % 2 != 0);
    fits = paint_rock(x + neighbour_step[n].dx, y + neighbour_step[n].dy, floor) && fits;
  }
  return fits;
}

bool natural_shape_fits(int kind) {
  const int minimum = kind == area_kind::cave ? cave_min_cells : tunnel_min_cells;
  return stencil_is_connected() && stencil_is_free(1, 1, map_size, map_size, true) &&
         stencil_bounds().cell_count >= minimum;
}

bool create_natural(int x, int y, int dir, int kind, int depth) {
  depth = trace_enter(depth, trace_id::create_natural);
  if (!on_map(x, y, depth)) return false;
  dungeon.current_x = x;
  dungeon.current_y = y;
  dungeon.area_placed = 0;

  const bool cave = kind == area_kind::cave;
  const int floor = dungeon.natural_floor;
  const Point start = stepped({x, y}, dir, 3);
  bool fits = false;
  for (int tries = 2; !fits && tries > 0; --tries) {
    stencil_layer.clear();
    fits = draw_circle_stencil(start.x, start.y, brush_radius, floor, floor) &&
           walk_brushes(start, dir, cave, floor);
    if (!fits) continue;
    close_natural_shape(x, y, dir, floor, dungeon.natural_wall);
    fits = natural_shape_fits(kind);
  }
  if (!fits) return false;
  dungeon.area_placed = 1;
  const bool first_area = dungeon.area_counter == 1;
  if (first_area) centre_first_area_at_mark(x, y);

  const StencilBox box = stencil_bounds();
  place_area(1, 1, map_size, map_size, kind, dungeon.area_counter, false, depth);
  const CheckedArray<Point, 1, 4> extreme{{box.top, box.right, box.bottom, box.left}};
  for (int d = 1; d <= 4; ++d) {
    if (!first_area && d == opposite_direction(dir)) continue;
    const Point p = stepped(extreme[d], d, 1);
    add_mark(p.x, p.y, d, kind, 0, 0, depth);
  }
  register_built_area(kind, x, y, dir, box, depth);
  join_built_area(kind, x, y, dir, depth);

  // A tunnel may end in a cave, grown from the mark at its far end.
  if (!cave && random_percent() <= dungeon.tunnel_end_chance && dungeon.area_counter >= 3) {
    const Point far = stepped(extreme[dir], dir, 1);
    const int position = find_mark(far.x, far.y);
    if (position >= 0) {
      const Mark mark = take_mark(position);
      create_natural(mark.x, mark.y, dir, area_kind::cave, depth);
    }
  }
  return true;
}
