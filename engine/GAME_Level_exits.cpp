// Area exits and door states: how the areas of a dug map hang together.
// Everything here is recomputed from the map; nothing keeps state between
// calls except the area fields it writes.
#include <vector>

#include "GAME_Global.h"
#include "GAME_Level.h"
#include "GAME_Map.h"

namespace {

constexpr int neighbour_slots = 100;

bool is_floor_cell(int x, int y) { return map_cells(x, y).block > 50; }

// Empties the connection fields that the exit calculation rebuilds.
void reset_area_exits(AreaRecord& area) {
  area.exit_cells = 0;
  area.reachable_areas = 0;
  area.neighbour_count = 0;
  area.room_neighbour_count = 0;
  area.dead_end_origin = 0;
  area.flags[multi_touch_flag] = 0;
  area.neighbours.fill(0);
  area.neighbour_kind.fill(0);
  area.neighbour_passage.fill(0);
  area.neighbour_touch.fill(0);
}

// Counts the outside floor neighbour (nx, ny) of a floor cell of area `own`
// and links the area it belongs to.
void count_exit_cell(int own, int nx, int ny) {
  areas[own].exit_cells += 1;
  link_areas(own, map_cells(nx, ny).area_index);
}

// Whether (x, y) is a floor cell of `own` that the inner-map scan visits
// before (bx, by) does, i.e. earlier in x-major order.
bool visited_earlier(int own, int x, int y, int bx, int by) {
  if (!in_bounds(x, 2, map_size - 1) || !in_bounds(y, 2, map_size - 1)) return false;
  if (x > bx || (x == bx && y >= by)) return false;
  const MapCell& cell = map_cells(x, y);
  return cell.area_index == own && cell.block > 50;
}

// Whether the outside cell (nx, ny) has already been counted for area `own`
// by a floor cell of `own` scanned before (bx, by). The scan reaches a cell
// from its four neighbours in the order west, north, south, east.
bool counted_before(int own, int nx, int ny, int bx, int by) {
  for (int d = 1; d <= 4; ++d) {
    const Step s = direction_step[d];
    if (visited_earlier(own, nx + s.dx, ny + s.dy, bx, by)) return true;
  }
  return false;
}

// Follows every chain of two-neighbour areas that starts at a one-neighbour
// area and writes that area's number into the chain's dead_end_origin.
void mark_dead_end_chains() {
  for (int d = 1; d <= areas.highest(); ++d) {
    if (areas[d].neighbour_count != 1) continue;
    int previous = d;
    int current = areas[d].neighbours[1];
    while (is_area(current) && areas[current].neighbour_count == 2) {
      AreaRecord& link = areas[current];
      link.dead_end_origin = d;
      const int next = link.neighbours[1] == previous ? link.neighbours[2] : link.neighbours[1];
      previous = current;
      current = next;
    }
  }
}

// reachable_areas of every area: how many other areas its neighbour lists
// lead to. The count does not depend on the order of the search.
void count_reachable_areas() {
  const int highest = areas.highest();
  CheckedTable<int> seen;  // the source area whose search last reached the slot
  seen.resize_to(highest);
  std::vector<int> queue;
  queue.reserve(static_cast<size_t>(highest + 1));
  for (int i = 1; i <= highest; ++i) {
    queue.clear();
    queue.push_back(i);
    seen[i] = i;
    for (size_t head = 0; head < queue.size(); ++head) {
      const AreaRecord& p = areas[queue[head]];
      for (int s = 1; s <= neighbour_slots && p.neighbours[s] != 0; ++s) {
        const int n = p.neighbours[s];
        if (seen[n] == i) continue;
        seen[n] = i;
        queue.push_back(n);
      }
    }
    areas[i].reachable_areas = static_cast<int>(queue.size()) - 1;
  }
}

}  // namespace

void calculate_area_exits(int depth) {
  trace_enter(depth, trace_id::calculate_area_exits);
  const int highest = areas.highest();
  for (int i = 1; i <= highest; ++i) reset_area_exits(areas[i]);
  for (int x = 2; x <= map_size - 1; ++x) {
    for (int y = 2; y <= map_size - 1; ++y) {
      const MapCell& cell = map_cells(x, y);
      const int own = cell.area_index;
      if (own == 0 || own > highest || cell.block <= 50) continue;
      for (int d = 1; d <= 4; ++d) {
        const int nx = x + direction_step[d].dx;
        const int ny = y + direction_step[d].dy;
        if (!is_floor_cell(nx, ny) || map_cells(nx, ny).area_index == own) continue;
        if (counted_before(own, nx, ny, x, y)) continue;
        count_exit_cell(own, nx, ny);
      }
    }
  }
  mark_dead_end_chains();
  count_reachable_areas();
}

void calculate_area_exits_by_slot(int depth) {
  trace_enter(depth, trace_id::calculate_area_exits);
  for (int i = 1; i <= areas.highest(); ++i) {
    reset_area_exits(areas[i]);
    fill_visited_layer.clear();
    for (int x = 2; x <= map_size - 1; ++x) {
      for (int y = 2; y <= map_size - 1; ++y) {
        if (map_cells(x, y).area_index != i || !is_floor_cell(x, y)) continue;
        for (int d = 1; d <= 4; ++d) {
          const int nx = x + direction_step[d].dx;
          const int ny = y + direction_step[d].dy;
          if (!is_floor_cell(nx, ny) || map_cells(nx, ny).area_index == i) continue;
          if (fill_visited_layer(nx, ny) != 0) continue;
          fill_visited_layer(nx, ny) = 1;
          count_exit_cell(i, nx, ny);
        }
      }
    }
  }
  mark_dead_end_chains();
  count_reachable_areas();
}

void link_areas(int a, int b) {
  if (!is_area(a) || !is_area(b)) return;
  AreaRecord& area = areas[a];
  const int b_kind = areas[b].kind;
  int free_slot = 0;
  int corridor_slot = 0;
  for (int s = 1; s <= neighbour_slots; ++s) {
    if (area.neighbours[s] == b) {
      area.neighbour_touch[s] = narrow<uint8_t>(area.neighbour_touch[s] + 1);
      area.flags[multi_touch_flag] = 1;
      return;
    }
    if (free_slot == 0 && area.neighbours[s] == 0) free_slot = s;
    if (corridor_slot == 0 && b_kind != area_kind::corridor &&
        area.neighbour_kind[s] == area_kind::corridor)
      corridor_slot = s;
  }
  if (free_slot == 0) return;
  int slot = free_slot;
  if (corridor_slot != 0) {
    // The corridor moves on; its passage stays behind for b.
    area.neighbours[free_slot] = area.neighbours[corridor_slot];
    area.neighbour_kind[free_slot] = area.neighbour_kind[corridor_slot];
    area.neighbour_touch[free_slot] = area.neighbour_touch[corridor_slot];
    slot = corridor_slot;
  }
  area.neighbours[slot] = narrow<uint16_t>(b);
  area.neighbour_kind[slot] = narrow<uint8_t>(b_kind);
  area.neighbour_touch[slot] = 1;
  area.neighbour_count += 1;
  if (b_kind != area_kind::corridor) area.room_neighbour_count += 1;
}

void link_secret(int a, int b) {
  if (!is_area(a) || !is_area(b)) return;
  AreaRecord& area = areas[a];
  int free_slot = 0;
  for (int s = 1; s <= neighbour_slots; ++s) {
    if (area.secret_neighbours[s] == b) return;
    if (free_slot == 0 && area.secret_neighbours[s] == 0) free_slot = s;
  }
  if (free_slot == 0) return;
  area.secret_neighbours[free_slot] = narrow<uint16_t>(b);
  area.secret_link_count += 1;
}

namespace {

// The one-way half of set_passage: a's slot for b.
void set_passage_one_way(int a, int b, int passage) {
  AreaRecord& area = areas[a];
  for (int s = 1; s <= neighbour_slots && area.neighbours[s] != 0; ++s) {
    if (area.neighbours[s] != b) continue;
    uint8_t& current = area.neighbour_passage[s];
    if (current == 1) return;
    if (area.neighbour_touch[s] == 1 || passage < current) current = narrow<uint8_t>(passage);
    return;
  }
}

}  // namespace

void set_passage(int a, int b, int passage) {
  if (!is_area(a) || !is_area(b) || passage == 0) return;
  set_passage_one_way(a, b, passage);
  set_passage_one_way(b, a, passage);
}

namespace {

void reset_door_states(AreaRecord& area) {
  area.door_count = 0;
  area.open_exit_count = 0;
  area.open_door_count = 0;
  area.closed_door_count = 0;
  area.locked_door_count = 0;
  area.passable_exit_count = 0;
  area.secret_link_count = 0;
  area.door_being_count = 0;
  area.secret_neighbours.fill(0);
}

// The areas on the two sides of a passage: west and east for orientation 1,
// north and south for 2.
struct PassageSides {
  int first;
  int second;
};
PassageSides passage_sides(int x, int y, int orientation) {
  if (orientation == 1) return {map_cells(x - 1, y).area_index, map_cells(x + 1, y).area_index};
  return {map_cells(x, y - 1).area_index, map_cells(x, y + 1).area_index};
}

void count_door_being(int x, int y) {
  const MapCell& cell = map_cells(x, y);
  if (cell.hidden_being != 0 && is_area(cell.area_index)) areas[cell.area_index].door_being_count += 1;
}

// Accounts the doorway, door or secret door at inner cell (x, y).
void account_passage_cell(int x, int y) {
  if (const int door = is_doorway(x, y, true, 0); door != 0) {
    const PassageSides sides = passage_sides(x, y, door);
    if (sides.first != sides.second) {
      if (is_area(sides.first)) areas[sides.first].door_count += 1;
      if (is_area(sides.second)) areas[sides.second].door_count += 1;
    }
    count_door_being(x, y);
  } else if (const int secret = is_secret_door(x, y, 0); secret != 0) {
    const PassageSides sides = passage_sides(x, y, secret);
    if (sides.first != sides.second) {
      link_secret(sides.first, sides.second);
      link_secret(sides.second, sides.first);
    }
    count_door_being(x, y);
  } else if (const int open = is_doorway(x, y, false, 0); open != 0 && get_furniture(x, y, 0) == 0) {
    const PassageSides sides = passage_sides(x, y, open);
    if (sides.first != sides.second) set_passage(sides.first, sides.second, 1);
  }
}

void update_passable_exits(AreaRecord& area) {
  area.passable_exit_count = area.open_exit_count + area.open_door_count;
}

}  // namespace

void update_all_door_states() {
  const int highest = areas.highest();
  for (int i = 1; i <= highest; ++i) reset_door_states(areas[i]);
  for (int x = 2; x <= map_size - 1; ++x)
    for (int y = 2; y <= map_size - 1; ++y) account_passage_cell(x, y);
  for (int x = 1; x <= map_size; ++x)
    for (int y = 1; y <= map_size; ++y)
      if (is_door(x, y, -1, 0)) update_area_door_state(x, y, false, 0);
  for (int i = 1; i <= highest; ++i) {
    AreaRecord& area = areas[i];
    area.open_exit_count = area.exit_cells - area.door_count;
    update_passable_exits(area);
    for (int s = 1; s <= neighbour_slots; ++s)
      if (area.neighbours[s] != 0 && area.neighbour_passage[s] == 0) area.neighbour_passage[s] = 1;
  }
}

namespace {

// The area on the far side of the door at (x, y) seen from its own area e:
// across the west-east passage when both of those cells are floor, else
// across the north-south one; 0 when neither passes.
int area_behind_door(int x, int y, int e) {
  if (is_floor(x - 1, y, 0) && is_floor(x + 1, y, 0)) {
    const int west = map_cells(x - 1, y).area_index;
    return e == west ? map_cells(x + 1, y).area_index : west;
  }
  if (is_floor(x, y - 1, 0) && is_floor(x, y + 1, 0)) {
    const int north = map_cells(x, y - 1).area_index;
    return e == north ? map_cells(x, y + 1).area_index : north;
  }
  return 0;
}

void decrement_if_positive(int32_t& count) {
  if (count > 0) count -= 1;
}

}  // namespace

void update_area_door_state(int x, int y, bool adjust, int depth) {
  depth = trace_enter(depth, trace_id::update_area_door_state);
  if (!is_door(x, y, -1, depth)) return;
  const MapCell& cell = map_cells(x, y);
  const int e = cell.area_index;
  const int f = area_behind_door(x, y, e);
  if (f == 0 || f == e || !is_area(e) || !is_area(f)) return;
  AreaRecord& own = areas[e];
  AreaRecord& other = areas[f];
  if (cell.furniture_state == 1) {
    own.open_door_count += 1;
    other.open_door_count += 1;
    if (adjust) {
      decrement_if_positive(own.closed_door_count);
      decrement_if_positive(other.closed_door_count);
    }
    set_passage(e, f, 2);
  } else if (cell.furniture_state == 0) {
    if (adjust) {
      decrement_if_positive(own.open_door_count);
      decrement_if_positive(other.open_door_count);
    }
    const bool locked = cell.furniture == furniture::door_locked;
    set_passage(e, f, locked ? 4 : 3);
    int32_t AreaRecord::*counter =
        locked ? &AreaRecord::locked_door_count : &AreaRecord::closed_door_count;
    own.*counter += 1;
    other.*counter += 1;
  }
  update_passable_exits(own);
  update_passable_exits(other);
}

bool are_neighbours(int a, int b) {
  if (!is_area(a) || !is_area(b)) return false;
  const AreaRecord& area = areas[a];
  for (int s = 1; s <= neighbour_slots && area.neighbours[s] != 0; ++s)
    if (area.neighbours[s] == b) return true;
  return false;
}

bool are_secret_neighbours(int a, int b) {
  if (!is_area(a) || b == 0) return false;
  const AreaRecord& area = areas[a];
  for (int s = 1; s <= neighbour_slots; ++s)
    if (area.secret_neighbours[s] == b) return true;
  return false;
}

bool are_second_neighbours(int a, int b) {
  if (!is_area(a)) return false;
  const AreaRecord& area = areas[a];
  for (int s = 1; s <= neighbour_slots && is_area(area.neighbours[s]); ++s)
    if (are_neighbours(area.neighbours[s], b)) return true;
  return false;
}
