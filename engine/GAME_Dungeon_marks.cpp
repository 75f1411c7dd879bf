// The marks of the dungeon generator: the pending and failed mark lists, the
// per-cell mark layers, the extreme marks of the first area and the count of
// pending forced marks.
#include <vector>

#include "GAME_Dungeon.h"
#include "GAME_Global.h"
#include "GAME_Map.h"

namespace {

struct ExtremeEntry {
  int16_t x, y;  // (0, 0) when empty
};

std::vector<Mark> pending_marks;
std::vector<Mark> failed_marks;
CheckedArray<ExtremeEntry, 1, 4> extreme_marks{};
int extreme_count = 0;
int forced_count = 0;

// True when (x, y) lies strictly further out in direction dir than entry.
bool further_out(const ExtremeEntry& entry, int x, int y, int dir) {
  switch (dir) {
    case 1: return y < entry.y;
    case 2: return x > entry.x;
    case 3: return y > entry.y;
    case 4: return x < entry.x;
    default: return false;
  }
}

// Keeps the outermost mark per direction: an empty entry takes any mark,
// an occupied one only a mark strictly further out. The table has one entry
// per direction 1..4; any other direction is a range error.
void offer_extreme_mark(int x, int y, int dir) {
  ExtremeEntry& entry = extreme_marks[dir];
  if (entry.x == 0 || further_out(entry, x, y, dir))
    entry = {narrow<int16_t>(x), narrow<int16_t>(y)};
}

// Removes the entry at position from list and does the bookkeeping shared
// by both lists; an empty mark when the position is outside the list.
Mark take_from(std::vector<Mark>& list, int position) {
  if (position < 0 || position >= static_cast<int>(list.size())) return Mark{};
  const Mark mark = list[static_cast<size_t>(position)];
  list.erase(list.begin() + position);
  dungeon.current_from_kind = mark.from_kind;
  dungeon.parent_area = mark_area_layer(mark.x, mark.y);
  mark_layer(mark.x, mark.y) = 0;
  return mark;
}

const Mark& checked_entry(const std::vector<Mark>& list, int position) {
  check_index(position, 0, static_cast<int>(list.size()) - 1);
  return list[static_cast<size_t>(position)];
}

}  // namespace

int add_mark(int x, int y, int dir, int from_kind, int force_kind, int exit_value, int depth) {
  depth = trace_enter(depth, trace_id::add_mark);
  if (dungeon.marks_closed != 0) return -1;
  if (!on_map(x, y, depth)) return -1;
  if (dir == 1 && y < 5) return -1;
  if (dir == 2 && x > map_size - 4) return -1;
  if (dir == 3 && y > map_size - 4) return -1;
  if (dir == 4 && x < 5) return -1;
  if (mark_layer(x, y) != 0 || dug_layer(x, y) != 0) return -1;
  if (!is_wall(x, y, depth)) return -1;
  if (map_cells(x, y).secret_difficulty != 0) return -1;

  pending_marks.push_back({x, y, dir, from_kind, force_kind, exit_value, dungeon.area_counter});
  mark_layer(x, y) = 1;
  mark_block_layer(x, y) = map_cells(x, y).block;
  mark_area_layer(x, y) = narrow<uint8_t>(dungeon.area_counter);
  if (force_kind > 0) ++forced_count;
  if (dungeon.dig_step == 1) offer_extreme_mark(x, y, dir);
  return static_cast<int>(pending_marks.size()) - 1;
}

void add_marks_to_line(int x1, int y1, int x2, int y2, int dir, int from_kind, int depth) {
  depth = trace_enter(depth, trace_id::add_marks_to_line);
  const int y = y1 + random_int(y2 - y1 + 1);
  const int x = x1 + random_int(x2 - x1 + 1);
  add_mark(x, y, dir, from_kind, 0, 0, depth);
}

void add_failed_mark(const Mark& mark, int depth) {
  depth = trace_enter(depth, trace_id::add_failed_mark);
  if (on_map(mark.x, mark.y, depth)) failed_marks.push_back(mark);
}

Mark take_mark(int position) {
  const Mark mark = take_from(pending_marks, position);
  if (mark.force_kind > 0) --forced_count;
  return mark;
}

Mark take_failed_mark(int position) { return take_from(failed_marks, position); }

// Takes the pending mark of a random direction's extreme entry. Every call
// that finds at least one entry uses up one unit of the extreme count, even
// when the entry's mark has been taken meanwhile (the entry then stays).
Mark take_extreme_mark() {
  CheckedArray<int, 1, 4> candidates{};
  int count = 0;
  for (int dir = 1; dir <= 4; ++dir)
    if (extreme_marks[dir].x > 0) candidates[++count] = dir;
  if (count == 0) {
    extreme_count = 0;
    return Mark{};
  }
  const int dir = candidates[1 + random_int(count)];
  ExtremeEntry& entry = extreme_marks[dir];
  Mark mark{};
  const int position = find_mark(entry.x, entry.y);
  if (position >= 0) {
    mark = take_mark(position);
    entry = {0, 0};
  }
  --extreme_count;
  return mark;
}

Mark take_forced_mark() {
  for (size_t i = 0; i < pending_marks.size(); ++i)
    if (pending_marks[i].force_kind > 0) return take_mark(static_cast<int>(i));
  return Mark{};
}

int find_mark(int x, int y) {
  for (size_t i = 0; i < pending_marks.size(); ++i)
    if (pending_marks[i].x == x && pending_marks[i].y == y) return static_cast<int>(i);
  return -1;
}

int mark_count() { return static_cast<int>(pending_marks.size()); }
int failed_mark_count() { return static_cast<int>(failed_marks.size()); }
const Mark& pending_mark(int position) { return checked_entry(pending_marks, position); }
const Mark& failed_mark(int position) { return checked_entry(failed_marks, position); }
int extreme_mark_count() { return extreme_count; }
int forced_mark_count() { return forced_count; }

void count_extreme_marks() {
  for (const ExtremeEntry& entry : extreme_marks)
    if (entry.x > 0) ++extreme_count;
}

void clear_marks() {
  pending_marks.clear();
  failed_marks.clear();
  extreme_marks.fill({0, 0});
  extreme_count = 0;
  forced_count = 0;
}

bool is_free_ahead(const Mark& mark) {
  if (mark.x < 2 || mark.x > map_size - 1 || mark.y < 2 || mark.y > map_size - 1) return false;
  if (mark.dir < 1 || mark.dir > 4) return false;
  const Step step = direction_step[mark.dir];
  return map_cells(mark.x + step.dx, mark.y + step.dy).area_index == 0;
}

int distance_to_edge(int x, int y, int dir) {
  switch (dir) {
    case 1: return y;
    case 2: return map_size - x + 1;
    case 3: return map_size - y + 1;
    default: return x;
  }
}
