// The shape primitives of the area builders: the geometry tables (circle
// outlines and the lines from a circle's centre to its outline), the integer
// line walk, and the routines that draw, fill, ring, test, measure and move
// the shape being tried in stencil_layer.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "GAME_Dungeon.h"
#include "GAME_Map.h"

CheckedArray<CircleOutline, 1, circle_radius_limit> circle_outline{};
CheckedArray<CheckedArray<CircleLine, 1, circle_outline_capacity>, 1, circle_radius_limit>
    circle_lines{};

namespace {

bool geometry_tables_built = false;

constexpr int last_wall_block = 50;  // blocks above are floors

// Scratch layer of the centring move.
Layer shifted_stencil;

// Appends every distinct offset of the angle walk to the outline of radius r
// until the list holds its capacity. A small seen-grid stands in for the
// linear search of the list; the result is the same.
void build_circle_outline(int r) {
  constexpr int span = 2 * circle_radius_limit + 1;
  static bool seen[span][span];
  for (auto& column : seen)
    for (bool& cell : column) cell = false;
  CircleOutline& outline = circle_outline[r];
  outline.count = 0;
  double t = 0.0;
  for (int i = 0; i < 36000; ++i, t += 0.001) {
    const int dx = round_half_even(std::cos(t) * r);
    const int dy = round_half_even(r * std::sin(t));
    bool& already = seen[dx + circle_radius_limit][dy + circle_radius_limit];
    if (already || outline.count >= circle_outline_capacity) continue;
    already = true;
    ++outline.count;
    outline.offsets[outline.count] = {narrow<int8_t>(dx), narrow<int8_t>(dy)};
  }
}

// The cells of the line from the centre to each outline point of radius r.
void build_circle_lines(int r) {
  const CircleOutline& outline = circle_outline[r];
  for (int i = 1; i <= outline.count; ++i) {
    const Step end = outline.offsets[i];
    const LinePoints line = line_points(0, 0, end.dx, end.dy);
    CircleLine& cells = circle_lines[r][i];
    cells.count = std::min(line.count, circle_line_capacity);
    for (int k = 1; k <= cells.count; ++k)
      cells.cells[k] = {narrow<int8_t>(line.points[k].x), narrow<int8_t>(line.points[k].y)};
  }
}

int sign_of(int v) { return (v > 0) - (v < 0); }

bool is_dug(int x, int y) { return dug_layer(x, y) != 0; }

}  // namespace

int round_half_even(double value) { return static_cast<int>(std::nearbyint(value)); }

void init_geometry_tables() {
  if (geometry_tables_built) return;
  for (int r = 1; r <= circle_radius_limit; ++r) {
    build_circle_outline(r);
    build_circle_lines(r);
  }
  geometry_tables_built = true;
}

LinePoints line_points(int x1, int y1, int x2, int y2) {
  LinePoints line{};
  const int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
  const int sx = sign_of(x2 - x1), sy = sign_of(y2 - y1);
  // The walk runs along the longer axis and steps the other one whenever
  // the accumulated error reaches a full cell.
  const bool along_y = dx < dy;
  const int major = along_y ? dy : dx, minor = along_y ? dx : dy;
  int error = major / 2;
  int x = x1, y = y1;
  for (int i = 0; i < major; ++i) {
    error += minor;
    if (error >= major) {
      if (along_y) x += sx; else y += sy;
      error -= major;
    }
    if (along_y) y += sy; else x += sx;
    if (line.count < line_points_capacity) {
      ++line.count;
      line.points[line.count] = {x, y};
    }
  }
  return line;
}

bool draw_rect_stencil(int x1, int y1, int x2, int y2, int floor, int wall) {
  bool fits = true;
  for (int x = x1; x <= x2; ++x)
    for (int y = y1; y <= y2; ++y) {
      if (!on_map(x, y, 0)) {
        fits = false;
        continue;
      }
      const bool border = x == x1 || x == x2 || y == y1 || y == y2;
      stencil_layer(x, y) = narrow<uint8_t>(border ? wall : floor);
      if (is_dug(x, y)) fits = false;
    }
  return fits;
}

bool draw_circle_stencil(int cx, int cy, int r, int wall, int floor) {
  init_geometry_tables();
  bool fits = true;
  const CircleOutline& outline = circle_outline[r];
  for (int i = 1; i <= outline.count; ++i) {
    const int x = cx + outline.offsets[i].dx, y = cy + outline.offsets[i].dy;
    if (!on_map(x, y, 0)) {
      fits = false;
      continue;
    }
    stencil_layer(x, y) = narrow<uint8_t>(wall);
    if (is_dug(x, y)) fits = false;
  }
  const bool filled = flood_fill_stencil(cx, cy, floor);
  return fits && filled;
}

// Breadth-first fill of the 4-connected region of the start cell's value.
// Every neighbour examined (off the map or on dug_layer) can spoil the
// result, but the fill always runs to completion.
bool flood_fill_stencil(int x, int y, int value) {
  static CheckedArray<Point, 0, map_storage * map_storage> queue;
  if (!on_map(x, y, 0)) return false;
  fill_visited_layer.clear();
  bool fits = !is_dug(x, y);
  const int old_value = stencil_layer(x, y);
  stencil_layer(x, y) = narrow<uint8_t>(value);
  fill_visited_layer(x, y) = 1;
  int head = 0, tail = 0;
  queue[tail++] = {x, y};
  while (head < tail) {
    const Point cell = queue[head++];
    for (int d = 1; d <= 4; ++d) {
      const int nx = cell.x + direction_step[d].dx, ny = cell.y + direction_step[d].dy;
      if (!on_map(nx, ny, 0)) {
        fits = false;
        continue;
      }
      if (is_dug(nx, ny)) fits = false;
      if (stencil_layer(nx, ny) != old_value) continue;
      stencil_layer(nx, ny) = narrow<uint8_t>(value);
      if (fill_visited_layer(nx, ny) != 0) continue;
      fill_visited_layer(nx, ny) = 1;
      queue[tail++] = {nx, ny};
    }
  }
  return fits;
}

bool wall_ring_stencil(int x1, int y1, int x2, int y2, int wall, int floor) {
  bool fits = true;
  for (int x = x1; x <= x2; ++x)
    for (int y = y1; y <= y2; ++y) {
      if (!on_map(x, y, 0) || stencil_layer(x, y) != 0) continue;
      bool touches_floor = false;
      for (int n = 1; n <= 8 && !touches_floor; ++n) {
        const int nx = x + neighbour_step[n].dx, ny = y + neighbour_step[n].dy;
        touches_floor = on_map(nx, ny, 0) && stencil_layer(nx, ny) == floor;
      }
      if (!touches_floor) continue;
      stencil_layer(x, y) = narrow<uint8_t>(wall);
      if (is_dug(x, y)) fits = false;
    }
  return fits;
}

bool stencil_is_free(int x1, int y1, int x2, int y2, bool naturals_only) {
  for (int x = x1; x <= x2; ++x)
    for (int y = y1; y <= y2; ++y) {
      if (!on_map(x, y, 0)) return false;
      if (stencil_layer(x, y) == 0) continue;
      if (is_dug(x, y)) return false;
      const int kind = map_cells(x, y).area_kind;
      if (naturals_only && kind != 0 && kind != area_kind::tunnel && kind != area_kind::cave)
        return false;
    }
  return true;
}

StencilBox stencil_bounds() {
  StencilBox box{};
  bool any = false, any_floor = false;
  for (int x = 1; x <= map_size; ++x)
    for (int y = 1; y <= map_size; ++y) {
      const int value = stencil_layer(x, y);
      if (value == 0) continue;
      ++box.cell_count;
      if (!any) {
        box.x1 = box.x2 = x;
        box.y1 = box.y2 = y;
        any = true;
      }
      box.x2 = x;  // x only grows in this scan
      if (y < box.y1) box.y1 = y;
      if (y > box.y2) box.y2 = y;
      if (value <= last_wall_block) continue;
      // Floor extremes; the x-major scan meets ties in the order the
      // tie-breaks ask for, so only strictly better cells replace them.
      if (!any_floor) {
        box.top = box.right = box.bottom = box.left = {x, y};
        any_floor = true;
        continue;
      }
      if (y < box.top.y) box.top = {x, y};
      if (x > box.right.x) box.right = {x, y};
      if (y > box.bottom.y) box.bottom = {x, y};
    }
  if (any) {
    box.width = box.x2 - box.x1 + 1;
    box.height = box.y2 - box.y1 + 1;
  }
  return box;
}

Point center_first_area() {
  const StencilBox box = stencil_bounds();
  const Point offset{(map_size - box.width) / 2 - box.x1, (map_size - box.height) / 2 - box.y1};
  shifted_stencil.clear();
  for (int x = 1; x <= map_size; ++x)
    for (int y = 1; y <= map_size; ++y) {
      const int value = stencil_layer(x, y);
      const int nx = x + offset.x, ny = y + offset.y;
      if (value != 0 && on_map(nx, ny, 0)) shifted_stencil(nx, ny) = narrow<uint8_t>(value);
    }
  stencil_layer = shifted_stencil;
  return offset;
}

CellRect room_rect_at_mark(int x, int y, int dir, int breadth, int depth_len, bool centred) {
  const bool along_x = dir == 1 || dir == 3;  // the mark's wall runs along x
  const int mark_along = along_x ? x : y;
  const int start = centred ? mark_along - breadth / 2
                            : mark_along - random_int(std::max(breadth - 2, 0)) - 1;
  const int end = start + breadth - 1;
  CellRect rect{};
  switch (dir) {
    case 1: rect = {start, y - depth_len + 1, end, y}; break;
    case 2: rect = {x, start, x + depth_len - 1, end}; break;
    case 3: rect = {start, y, end, y + depth_len - 1}; break;
    default: rect = {x - depth_len + 1, start, x, end}; break;
  }
  if (rect.x1 > rect.x2) std::swap(rect.x1, rect.x2);
  if (rect.y1 > rect.y2) std::swap(rect.y1, rect.y2);
  return rect;
}
