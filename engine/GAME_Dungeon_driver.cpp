// The generation driver: the reset and seed of an attempt, the expansion of
// the forced areas, one dig step, the bookkeeping of usable area templates,
// and the probes that keep the free choice from running corridors into
// trouble.
#include <algorithm>

#include "GAME_Dice.h"
#include "GAME_Dungeon.h"
#include "GAME_Global.h"
#include "GAME_Level.h"
#include "GAME_Map.h"

namespace {

using KindFlags = CheckedArray<bool, 1, area_kind_count>;

// Template categories of the special and vault kinds.
int category_of_kind(int kind) { return kind == area_kind::special ? 1 : 2; }

// Special (8) or vault (9), by the template's name.
int kind_of_template(int template_index) {
  return area_templates[template_index].name.str().starts_with("sp_") ? area_kind::special
                                                                       : area_kind::vault;
}

// Clears count slots from first on. A count expression whose maximum
// reaches past slot 30 clears up to the last slot instead of indexing
// beyond the list.
void clear_force_slots(int first, int count) {
  for (int s = first; s <= std::min(first + count - 1, 30); ++s) dungeon.force_area[s] = 0;
}

// Replaces a tag slot and the n - 1 slots after it by randomly picked
// templates that carry the tag, counting each pick as a use.
void expand_force_tag(int slot, int n, int tag) {
  dungeon.force_area[slot] = 0;
  if (tag < 1 || tag > tag_count) return;
  count_template_candidates(0, tag, 0, true, true);
  for (int s = slot; s <= std::min(slot + n - 1, 30); ++s) {
    const int t = pick_template_candidate(1);
    if (t <= 0) continue;
    dungeon.force_area[s] = narrow<uint16_t>(9 + t);
    AreaTemplate& chosen = area_templates[t];
    chosen.uses_in_dungeon = narrow<uint16_t>(chosen.uses_in_dungeon + 1);
    count_template_candidates(0, tag, 0, false, false);
  }
}

// One call of the builder of kinds 1..5 at the mark.
bool build_shape(int kind, const Mark& m, int depth) {
  switch (kind) {
    case area_kind::corridor: return create_corridor(m.x, m.y, m.dir, depth);
    case area_kind::room: return create_room(m.x, m.y, m.dir, depth);
    case area_kind::circular: return create_circular(m.x, m.y, m.dir, depth);
    case area_kind::ellipse: return create_ellipse(m.x, m.y, m.dir, depth);
    default: return create_polygon(m.x, m.y, m.dir, depth);
  }
}

// One try of a forced area code (a kind 1..9 or 9 + template).
bool build_forced_once(int kind, const Mark& m, int depth) {
  if (kind <= area_kind::polygon) return build_shape(kind, m, depth);
  if (kind <= area_kind::cave) return create_natural(m.x, m.y, m.dir, kind, depth);
  if (kind <= area_kind::vault) return create_special(m.x, m.y, m.dir, kind, kind, depth);
  return create_special(m.x, m.y, m.dir, kind_of_template(kind - 9), kind, depth);
}

// How often a forced area code is tried at one mark; a special or vault
// with no usable template gets no try.
int forced_tries(int kind) {
  if (kind <= area_kind::polygon) return 2;
  if (kind <= area_kind::cave) return 6;
  if (kind <= area_kind::vault)
    return dungeon.template_candidates[category_of_kind(kind)] > 0 ? 21 : 0;
  return 2;
}

bool try_forced_kind(int kind, const Mark& m, int depth) {
  const int tries = forced_tries(kind);
  for (int t = 0; t < tries; ++t)
    if (build_forced_once(kind, m, depth)) return true;
  return false;
}

// The corridor-only tests of the free choice, each made only while the
// corridor is still allowed (so their random draws happen only then).
bool corridor_allowed_at(const Mark& m, int space) {
  const bool from_template = m.from_kind == area_kind::special || m.from_kind == area_kind::vault;
  if (m.from_kind == area_kind::corridor && dead_end_layer(m.x, m.y) != 0 &&
      random_percent() > 10)
    return false;
  const int hallway_end = hallway_end_layer(m.x, m.y);
  if (from_template && hallway_end >= 1 && hallway_end <= 4) return false;
  if (space < 15) return false;
  if (from_template && ray_meets_own_area(m.x, m.y, m.area, m.dir, 20)) return false;
  if (parallel_corridor_near(m.x, m.y, m.dir, 2)) return false;
  return !impenetrable_wall_ahead(m.x, m.y, m.dir);
}

// Which kinds the free choice may pick at the mark, in kind order; the Seq
// roll is drawn only for the kind the mark was laid by.
KindFlags allowed_kinds(const Mark& m, int space) {
  KindFlags allowed;
  allowed.fill(false);
  for (int i = 1; i <= area_kind_count; ++i) {
    if (dungeon.area_chance[i] == 0) continue;
    if (dungeon.area_max[i] != 0 && dungeon.area_count[i] >= dungeon.area_max[i]) continue;
    if (i == m.from_kind && random_percent() > dungeon.area_seq[i]) continue;
    allowed[i] = true;
    if (i == area_kind::corridor) allowed[i] = corridor_allowed_at(m, space);
    if (i == area_kind::special || i == area_kind::vault)
      allowed[i] = dungeon.template_candidates[category_of_kind(i)] > 0;
  }
  return allowed;
}

// The picked kind of the free choice, built with its own number of tries;
// clears the kinds that are used up at this mark.
bool build_free_kind(int kind, const Mark& m, int space, KindFlags& allowed, int depth) {
  if (kind <= area_kind::polygon) {
    allowed[kind] = false;
    return build_shape(kind, m, depth);
  }
  if (kind <= area_kind::cave) {
    for (int t = 0; t < 3; ++t)
      if (create_natural(m.x, m.y, m.dir, kind, depth)) return true;
    allowed[kind] = false;
    if (kind == area_kind::tunnel) allowed[area_kind::cave] = false;
    return false;
  }
  const int category = category_of_kind(kind);
  for (int round = 0; round < 20; ++round) {
    const bool built = create_special(m.x, m.y, m.dir, kind, 0, depth);
    count_template_candidates(category, 0, space, false, false);
    if (built) return true;
    if (dungeon.template_candidates[category] == 0) break;
  }
  allowed[kind] = false;
  return false;
}

// Up to 10 weighted picks among the allowed kinds until one is built.
bool free_choice(const Mark& m, int space, KindFlags& allowed, int depth) {
  for (int pick = 0; pick < 10; ++pick) {
    CheckedArray<int, 1, area_kind_count> range_end;
    int total = 0;
    for (int i = 1; i <= area_kind_count; ++i) {
      if (allowed[i]) total += dungeon.area_chance[i];
      range_end[i] = total;
    }
    if (total == 0) return false;
    const int r = 1 + random_int(total);
    int kind = 1;
    while (!allowed[kind] || r > range_end[kind]) ++kind;
    if (build_free_kind(kind, m, space, allowed, depth)) return true;
  }
  return false;
}

// Chooses the mark of this dig step; an empty mark when the step must end.
Mark choose_mark(bool& stop) {
  Mark m{};
  if (extreme_mark_count() > 0) {
    m = take_extreme_mark();
    if (!on_map(m.x, m.y, 0) && extreme_mark_count() > 0) {
      stop = true;
      return m;
    }
  }
  if (m.empty()) {
    if (forced_mark_count() > 0)
      m = take_forced_mark();
    else
      m = take_mark(random_int(mark_count()));
  }
  return m;
}

bool same_axis(int a, int b) {
  if (a == 1 || a == 3) return b == 1 || b == 3;
  return (a == 2 || a == 4) && (b == 2 || b == 4);
}

// A corridor cell of a registered corridor that runs along the axis of dir.
bool is_corridor_along(int x, int y, int dir) {
  if (!on_map(x, y, 0)) return false;
  const MapCell& cell = map_cells(x, y);
  if (cell.area_kind != area_kind::corridor || !is_area(cell.area_index)) return false;
  return same_axis(areas[cell.area_index].direction, dir);
}

}  // namespace

void create_dungeon(int depth) {
  depth = trace_enter(depth, trace_id::create_dungeon);
  const int level = current_level.level_index;
  check_index(level, 1, 12);
  engine_state.level_seed[level] = static_cast<int32_t>(rand_seed);
  dungeon = current_level.dungeon;
  dungeon.area_counter = 1;
  clear_map();
  for (Layer* layer : {&mark_layer, &dug_layer, &impenetrable_layer, &dead_end_layer,
                       &hallway_end_layer, &mark_block_layer})
    layer->clear();
  clear_marks();
  empty_areas();
  setup_force_areas(depth);
  count_template_candidates(0, 0, 0, true, true);
  const int dir = current_level.fixed_start_flag != 0 ? 1 : 1 + random_int(4);
  const int centre = map_size / 2;
  add_mark(centre, centre, dir, 0, dungeon.force_area[1], 0, depth);
  dungeon.force_area[1] = 0;
}

// Expands the force list in place: a kind or template slot is copied into
// the slots its rolled count covers, a tag slot becomes that many picked
// templates, and a count rolling below 1 clears every slot its maximum
// covers (at least its own, so the cursor always moves on).
void setup_force_areas(int depth) {
  trace_enter(depth, trace_id::setup_force_areas);
  const int last_template_code = 9 + template_count();
  int i = 1;
  while (i <= 30) {
    const int code = dungeon.force_area[i];
    if (code == 0) {
      ++i;
      continue;
    }
    const int n = roll_dice(dungeon.force_count[i]);
    if (n < 1) {
      const int covered = std::max(1, dice_maximum(dungeon.force_count[i], 0));
      clear_force_slots(i, covered);
      i += covered;
      continue;
    }
    if (code <= last_template_code) {
      for (int s = i + 1; s <= std::min(i + n - 1, 30); ++s) dungeon.force_area[s] = code;
    } else {
      expand_force_tag(i, n, code - last_template_code);
    }
    i += n;
  }
}

void dig_dungeon(int depth) {
  depth = trace_enter(depth, trace_id::dig_dungeon);
  stencil_layer.clear();
  if (mark_count() == 0) return;
  bool stop = false;
  const Mark m = choose_mark(stop);
  if (stop) return;
  dungeon.current_x = m.x;
  dungeon.current_y = m.y;
  const int space = distance_to_edge(m.x, m.y, m.dir);

  if (!is_free_ahead(m)) {
    if (on_map(m.x, m.y, 0) && random_percent() <= dungeon.mark_doorway_chance)
      mark_to_doorway(m, depth);
    return;
  }
  if (!on_map(m.x, m.y, depth)) return;
  count_template_candidates(0, 0, space, false, true);

  int slot = 0;
  int kind = m.force_kind;
  if (kind == 0) {
    slot = first_pending_force_area();
    if (slot > 0) kind = dungeon.force_area[slot];
  }
  if (kind > 0 && kind <= 9 + template_count() && try_forced_kind(kind, m, depth)) {
    if (slot > 0) dungeon.force_area[slot] = 0;
    return;
  }

  KindFlags allowed = allowed_kinds(m, space);
  if (!free_choice(m, space, allowed, depth)) add_failed_mark(m, depth);
}

int first_pending_force_area() {
  for (int s = 1; s <= 30; ++s)
    if (dungeon.force_area[s] != 0) return s;
  return 0;
}

// Numbers the usable templates of each counted category 1..n in table
// order (candidate number per template, total in template_candidates).
void count_template_candidates(int category, int tag, int size_limit, bool reset_dungeon_counts,
                               bool reset_excluded) {
  const int count = template_count();
  for (int t = 1; t <= count; ++t) {
    AreaTemplate& tpl = area_templates[t];
    tpl.candidate.fill(0);
    if (reset_dungeon_counts) tpl.uses_in_dungeon = 0;
    if (reset_excluded) tpl.excluded = 0;
  }
  dungeon.template_candidates.fill(0);
  for (int k = 1; k <= 3; ++k) {
    if (category != 0 && k != category) continue;
    int j = 0;
    for (int t = 1; t <= count; ++t) {
      AreaTemplate& tpl = area_templates[t];
      if (tpl.max_per_dungeon != 0 && tpl.uses_in_dungeon >= tpl.max_per_dungeon) continue;
      if (tpl.max_since_reset != 0 && tpl.uses_since_reset >= tpl.max_since_reset) continue;
      if (tpl.excluded != 0) continue;
      if (size_limit != 0 && tpl.size > size_limit) continue;
      if (!template_in_category(t, k, tag)) continue;
      tpl.candidate[k] = narrow<uint16_t>(++j);
    }
    dungeon.template_candidates[k] = narrow<uint16_t>(j);
  }
}

int pick_template_candidate(int category) {
  const int r = random_int(dungeon.template_candidates[category]);
  for (int t = 1; t <= template_count(); ++t)
    if (area_templates[t].candidate[category] == r + 1) return t;
  return 0;
}

bool template_in_category(int template_index, int category, int tag) {
  const AreaTemplate& tpl = area_templates[template_index];
  if (tag > 0) return tpl.tags[tag] != 0;
  bool included = false;
  for (int j = 1; j <= tag_count; ++j) {
    if (tpl.tags[j] == 0) continue;
    if (dungeon.exclude_tags[category][j] != 0) return false;
    if (dungeon.include_tags[category][j] != 0) included = true;
  }
  return included;
}

// Walking from (x, y) in dir over unclaimed cells, the first claimed cell
// within reach belongs to area.
bool ray_meets_own_area(int x, int y, int area, int dir, int reach) {
  const Step step = direction_step[dir];
  for (int s = 1; s <= reach; ++s) {
    x += step.dx;
    y += step.dy;
    if (!on_map(x, y, 0)) return false;
    const int index = map_cells(x, y).area_index;
    if (index != 0) return index == area;
  }
  return false;
}

// A corridor running along dir lies within reach cells sideways of the cell
// ahead of the mark, or 5 cells further on.
bool parallel_corridor_near(int x, int y, int dir, int reach) {
  const Step ahead = direction_step[dir];
  const int ax = x + ahead.dx;
  const int ay = y + ahead.dy;
  for (const Step side : side_step[dir]) {
    for (int j = 1; j <= reach; ++j) {
      const int px = ax + j * side.dx;
      const int py = ay + j * side.dy;
      if (is_corridor_along(px, py, dir)) return true;
      if (is_corridor_along(px + 5 * ahead.dx, py + 5 * ahead.dy, dir)) return true;
    }
  }
  return false;
}

// Within 10 steps in dir, the path (with its two sideways cells) meets an
// impenetrable wall before it leaves the map.
bool impenetrable_wall_ahead(int x, int y, int dir) {
  const Step ahead = direction_step[dir];
  const Step left = side_step[dir][1];
  const Step right = side_step[dir][2];
  for (int s = 0; s < 10; ++s) {
    x += ahead.dx;
    y += ahead.dy;
    const Point cells[3] = {{x, y}, {x + left.dx, y + left.dy}, {x + right.dx, y + right.dy}};
    for (const Point& c : cells)
      if (!on_map(c.x, c.y, 0)) return false;
    for (const Point& c : cells)
      if (impenetrable_layer(c.x, c.y) != 0) return true;
  }
  return false;
}
