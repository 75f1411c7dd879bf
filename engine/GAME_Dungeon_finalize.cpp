// Finalization: turns the dug map into the finished dungeon. Dead ends are
// capped or opened, hallways continued, leftover marks capped or turned into
// doorways, natural areas smoothed, stray doors fixed, doors hidden, and the
// connection passes join areas that touch but are not connected.
#include <utility>
#include <vector>

#include "GAME_Dungeon.h"
#include "GAME_Global.h"
#include "GAME_Level.h"
#include "GAME_Map.h"

namespace {

int orthogonal_wall_count(int x, int y) {
  int walls = 0;
  for (int d = 1; d <= 4; ++d)
    if (is_wall(x + direction_step[d].dx, y + direction_step[d].dy, 0)) ++walls;
  return walls;
}

bool holds_secret_door(int x, int y) { return get_furniture(x, y, 0) == furniture::door_secret; }

// Takes a secret door out: the cell becomes floor like its surroundings.
void drop_secret_door(int x, int y) {
  remove_furniture(x, y, true, 0);
  MapCell& cell = map_cells(x, y);
  cell.secret_difficulty = 0;
  cell.block = narrow<uint8_t>(dominant_floor_block(x, y));
}

// The direction code whose step equals s.
int direction_of(Step s) {
  for (int d = 1; d <= 4; ++d)
    if (direction_step[d].dx == s.dx && direction_step[d].dy == s.dy) return d;
  throw_range_error();
}

}  // namespace

bool cap_dead_end(int x, int y, int dir, int depth) {
  depth = trace_enter(depth, trace_id::trim_areas);
  CheckedArray<int, 0, 3> kinds{};
  int count = 0;
  for (int kind = area_kind::room; kind <= area_kind::polygon; ++kind)
    if (dungeon.area_chance[kind] != 0) kinds[count++] = kind;
  dead_end_layer(x, y) = narrow<uint8_t>(dir);
  if (count >= 2)
    for (int swap = 0; swap < 50; ++swap) {
      const int i = random_int(count);
      const int j = random_int(count);
      std::swap(kinds[i], kinds[j]);
    }
  bool built = false;
  for (int k = 0; k < count && !built; ++k) {
    switch (kinds[k]) {
      case area_kind::room: built = create_room(x, y, dir, depth); break;
      case area_kind::circular: built = create_circular(x, y, dir, depth); break;
      case area_kind::ellipse: built = create_ellipse(x, y, dir, depth); break;
      default: built = create_polygon(x, y, dir, depth); break;
    }
  }
  if (!built && dungeon.area_chance[area_kind::room] == 0) built = create_room(x, y, dir, depth);
  dead_end_layer(x, y) = 0;
  return built;
}

void terminate_deadends(int depth) {
  depth = trace_enter(depth, trace_id::terminate_deadends);
  for (int x = 1; x <= map_size; ++x) {
    for (int y = 1; y <= map_size; ++y) {
      const int b = dead_end_layer(x, y);
      if (b < 1 || b > 4) continue;
      const Step ahead = direction_step[b];
      if (!on_map(x + ahead.dx, y + ahead.dy, 0)) continue;
      dungeon.parent_area = mark_area_layer(x, y);
      bool ok;
      if (map_cells(x + ahead.dx, y + ahead.dy).area_index != 0) {
        ok = deadend_to_floor(x, y, b, depth);
      } else {
        ok = cap_dead_end(x, y, b, depth) || continue_corridor(x, y, b, true, depth);
      }
      if (ok) continue;
      // Neither capped nor continued: try a room beside the corridor's last
      // floor cell, on each side.
      for (const Step s : side_step[b]) {
        const int cx = x + s.dx - ahead.dx;
        const int cy = y + s.dy - ahead.dy;
        const int side_dir = direction_of(s);
        dead_end_layer(cx, cy) = narrow<uint8_t>(b);
        if (dungeon.area_chance[area_kind::room] != 0)
          create_room(cx, cy, side_dir, depth);
        else if (dungeon.area_chance[area_kind::circular] != 0)
          create_circular(cx, cy, side_dir, depth);
        dead_end_layer(cx, cy) = 0;
      }
    }
  }
}

namespace {

// The chance in percent that a template exit mark is capped: more for an
// area with many plain exits left and for a long free run ahead.
int template_cap_chance(int trim_state, int run) {
  int chance = 30 + 2 * trim_state;
  if (run >= 8 && run <= 14) chance += 2 * run;
  if (run >= 15) chance += 3 * run;
  return chance;
}

// Tries up to 10 dead-end cap templates at the mark.
bool build_cap_template(const Mark& m, int space, int depth) {
  count_template_candidates(3, 0, space, false, true);
  bool built = false;
  for (int attempt = 0; attempt < 10 && !built && dungeon.template_candidates[3] != 0; ++attempt) {
    const int t = pick_template_candidate(3);
    if (t == 0) break;
    built = create_special(m.x, m.y, m.dir, area_kind::vault, 9 + t, depth);
    if (!built) count_template_candidates(3, 0, space, false, false);
  }
  return built;
}

// Caps, opens or drops one failed mark.
void trim_mark(const Mark& m, int depth) {
  const int space = distance_to_edge(m.x, m.y, m.dir);
  const Step back = direction_step[opposite_direction(m.dir)];
  const int behind = on_map(m.x + back.dx, m.y + back.dy, 0)
                         ? map_cells(m.x + back.dx, m.y + back.dy).area_index
                         : 0;
  const bool hallway_end = hallway_end_layer(m.x, m.y) != 0;
  bool built = false;
  if (!hallway_end && ((m.from_kind >= 5 && m.from_kind <= 9 && random_percent() <= 30) ||
                       (m.from_kind == area_kind::room && random_percent() <= 10)))
    built = build_cap_template(m, space, depth);
  if (!built && is_natural_kind(m.from_kind)) built = cap_dead_end(m.x, m.y, m.dir, depth);
  if (!built && (m.from_kind == area_kind::special || m.from_kind == area_kind::vault)) {
    const int run = free_run_length(m.x, m.y, m.dir);
    const int trim_state = is_area(behind) ? areas[behind].trim_state : 0;
    const bool cap = hallway_end || random_percent() <= template_cap_chance(trim_state, run);
    if (cap) {
      built = cap_dead_end(m.x, m.y, m.dir, depth);
      if (built && !hallway_end && is_area(behind) && areas[behind].trim_state > 0)
        areas[behind].trim_state -= 1;
    }
  }
  if (!built && dungeon.corridor_width == 1 && random_percent() <= dungeon.mark_doorway_chance)
    mark_to_doorway(m, depth);
}

}  // namespace

void trim_areas(int depth) {
  depth = trace_enter(depth, trace_id::trim_areas);
  while (mark_count() > 0) add_failed_mark(take_mark(0), depth);
  while (failed_mark_count() > 0) {
    const Mark m = take_failed_mark(0);
    if (on_map(m.x, m.y, 0)) trim_mark(m, depth);
  }
  // The caps above laid marks of their own.
  while (mark_count() > 0) {
    const Mark m = take_mark(0);
    if (on_map(m.x, m.y, 0) && dungeon.corridor_width == 1 &&
        random_percent() <= dungeon.mark_doorway_chance)
      mark_to_doorway(m, depth);
  }
}

void refloor_natural_area(int x, int y, int block) {
  auto is_natural_floor = [](int cx, int cy) {
    return is_floor(cx, cy, 0) && is_natural_kind(map_cells(cx, cy).area_kind);
  };
  if (!is_natural_floor(x, y)) return;
  fill_visited_layer.clear();
  std::vector<Point> queue;
  map_cells(x, y).block = narrow<uint8_t>(block);
  fill_visited_layer(x, y) = 1;
  queue.push_back({x, y});
  for (size_t head = 0; head < queue.size(); ++head) {
    const Point p = queue[head];
    for (int d = 1; d <= 4; ++d) {
      const int nx = p.x + direction_step[d].dx, ny = p.y + direction_step[d].dy;
      if (!is_natural_floor(nx, ny) || fill_visited_layer(nx, ny) != 0) continue;
      map_cells(nx, ny).block = narrow<uint8_t>(block);
      fill_visited_layer(nx, ny) = 1;
      queue.push_back({nx, ny});
    }
  }
}

namespace {

bool is_natural_wall(int x, int y) {
  return is_wall(x, y, 0) && is_natural_kind(map_cells(x, y).area_kind);
}

void open_natural_wall(int x, int y, int depth) {
  const MapCell& cell = map_cells(x, y);
  set_block(x, y, dungeon.natural_floor, cell.area_kind, cell.area_index, false, depth);
}

// Whether (x, y) is a one-cell wall between two different natural areas
// across direction d (1: north-south, 2: east-west).
bool separates_naturals(int x, int y, Step s) {
  const int ax = x - s.dx, ay = y - s.dy, bx = x + s.dx, by = y + s.dy;
  if (!is_floor(ax, ay, 0) || !is_floor(bx, by, 0)) return false;
  const MapCell& a = map_cells(ax, ay);
  const MapCell& b = map_cells(bx, by);
  return is_natural_kind(a.area_kind) && is_natural_kind(b.area_kind) &&
         a.area_index != b.area_index;
}

}  // namespace

void fix_naturals(int depth) {
  depth = trace_enter(depth, trace_id::fix_naturals);
  for (int x = 2; x <= map_size - 1; ++x)
    for (int y = 2; y <= map_size - 1; ++y)
      if (is_natural_wall(x, y) &&
          (separates_naturals(x, y, {0, 1}) || separates_naturals(x, y, {1, 0})))
        open_natural_wall(x, y, depth);
  for (int x = 2; x <= map_size - 1; ++x)
    for (int y = 2; y <= map_size - 1; ++y) {
      if (!is_natural_wall(x, y)) continue;
      const int own = map_cells(x, y).area_index;
      if (count_neighbours(x, y, 8, 2, {area_kind::cave, area_kind::tunnel}, {own}) > 6)
        open_natural_wall(x, y, depth);
    }
  for (int i = 1; i <= areas.highest(); ++i) {
    const AreaRecord& area = areas[i];
    if (!is_natural_kind(area.kind)) continue;
    if (random_percent() <= dungeon.fix_naturals_chance && on_map(area.centre_x, area.centre_y, 0) &&
        map_cells(area.centre_x, area.centre_y).block == dungeon.natural_floor)
      refloor_natural_area(area.centre_x, area.centre_y, dungeon.natural_alt_floor);
  }
}

void doors_to_secret_doors(int depth) {
  depth = trace_enter(depth, trace_id::doors_to_secret_doors);
  for (int x = 1; x <= map_size; ++x)
    for (int y = 1; y <= map_size; ++y) {
      const int a = map_cells(x, y).area_index;
      if (!is_area(a) || areas[a].exit_cells != 1 || !is_door(x, y, -1, 0)) continue;
      if (is_area_front_cell(x, y) || hallway_end_layer(x, y) != 0) continue;
      if (get_furniture(x, y, 0) == furniture::door_cell) continue;
      const AreaRecord& area = areas[a];
      const bool forced =
          (area.kind == area_kind::room && area.cell_count <= 36) ||
          (area.kind == area_kind::vault && area.template_index > 0 &&
           area_templates[area.template_index].tags[tag::cg_all] != 0);
      if (random_percent() <= dungeon.door_to_secret_chance || forced)
        create_secret_door(x, y, dungeon.secret_door_difficulty, depth);
    }
}

void secret_doors_to_orphan_corridors(int depth) {
  depth = trace_enter(depth, trace_id::secret_doors_to_orphan_corridors);
  for (int i = 1; i <= areas.highest(); ++i) {
    const AreaRecord& corridor = areas[i];
    if (corridor.kind != area_kind::corridor || corridor.exit_cells != 1) continue;
    Point front;
    if (!area_front_cell(i, front)) continue;
    const Point anchor{corridor.anchor_x, corridor.anchor_y};
    const bool secret_anchor = is_secret_door(anchor.x, anchor.y, 0) != 0;
    const bool secret_front = is_secret_door(front.x, front.y, 0) != 0;
    if (secret_anchor && !secret_front &&
        (is_floor(front.x, front.y, 0) || is_door(front.x, front.y, -1, 0))) {
      const Step ahead = direction_step[corridor.direction];
      const int gx = front.x + ahead.dx, gy = front.y + ahead.dy;
      if (on_map(gx, gy, 0) && is_area(map_cells(gx, gy).area_index) &&
          areas[map_cells(gx, gy).area_index].exit_cells > 1 &&
          orthogonal_wall_count(front.x, front.y) == 2)
        create_secret_door(front.x, front.y, dungeon.secret_door_difficulty, depth);
    } else if (!secret_anchor && secret_front && orthogonal_wall_count(anchor.x, anchor.y) == 2) {
      create_secret_door(anchor.x, anchor.y, dungeon.secret_door_difficulty, depth);
    }
  }
}

namespace {

// Rock becomes natural wall, lone pillars become floor, and a door or secret
// door that is not set in a wall is checked or taken out. A secret door
// taken out here keeps its block (a wall unless it stood as a lone pillar)
// but loses its difficulty, which marks a hidden secret door and would
// otherwise stay on a plain cell.
void fix_cell(int x, int y, int depth) {
  if (map_cells(x, y).block == 0) set_block(x, y, dungeon.natural_wall, 0, 0, false, depth);
  if (is_wall(x, y, 0)) {
    bool lone = true;
    for (int d = 1; d <= 4 && lone; ++d) {
      const int nx = x + direction_step[d].dx, ny = y + direction_step[d].dy;
      lone = is_floor(nx, ny, 0) && get_furniture(nx, ny, 0) == 0;
    }
    if (lone) map_cells(x, y).block = narrow<uint8_t>(dominant_floor_block(x, y));
  }
  if (is_door(x, y, -1, 0) || holds_secret_door(x, y)) {
    if (orthogonal_wall_count(x, y) > 1) {
      is_doorway_spot(x, y);
    } else {
      remove_furniture(x, y, true, 0);
      map_cells(x, y).secret_difficulty = 0;
    }
  }
}

// Doors and secret doors need two walls beside them; a dropped secret door
// becomes floor.
void drop_loose_doors() {
  for (int x = 2; x <= map_size - 1; ++x)
    for (int y = 2; y <= map_size - 1; ++y) {
      if (orthogonal_wall_count(x, y) >= 2) continue;
      if (is_door(x, y, -1, 0))
        remove_furniture(x, y, true, 0);
      else if (holds_secret_door(x, y))
        drop_secret_door(x, y);
    }
}

void open_some_doors() {
  for (int x = 1; x <= map_size; ++x)
    for (int y = 1; y <= map_size; ++y)
      if (is_furniture(x, y, furniture::door, 0, 0) && random_percent() <= dungeon.open_door_chance)
        map_cells(x, y).furniture_state = 1;
}

}  // namespace

void finalize_dungeon(int depth) {
  depth = trace_enter(depth, trace_id::finalize_dungeon);
  dungeon.claimed_cells_at_finish = dungeon.claimed_cell_count;
  if (dungeon.corridor_width == 1) terminate_deadends(depth);

  calculate_area_exits(depth);
  terminate_hallways(false, depth);
  fix_naturals(depth);
  trim_areas(depth);
  calculate_area_exits(depth);
  terminate_hallways(true, depth);

  for (int x = 1; x <= map_size; ++x)
    for (int y = 1; y <= map_size; ++y) fix_cell(x, y, depth);

  calculate_area_exits(depth);
  connect_areas_with_corridors(depth);
  calculate_area_exits(depth);
  doors_to_secret_doors(depth);
  calculate_area_exits(depth);
  doors_to_secret_doors(depth);
  calculate_area_exits(depth);
  update_all_door_states();
  secret_doors_to_orphan_corridors(depth);
  calculate_area_exits(depth);
  connect_areas(depth);
  calculate_area_exits(depth);
  update_all_door_states();
  connect_areas_through_walls(depth);
  calculate_area_exits(depth);

  drop_loose_doors();
  update_all_door_states();
  calculate_area_exits(depth);
  open_some_doors();

  dead_end_layer.clear();
  areas.resize_to(dungeon.area_counter - 1);
}
