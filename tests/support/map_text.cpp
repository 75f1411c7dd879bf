#include "map_text.h"

#include "GAME_Dungeon.h"
#include "GAME_Map.h"

namespace {
char cell_char(const MapCell& cell) {
  switch (cell.furniture) {
    case 0: break;
    case furniture::stairs_down: return '>';
    case furniture::stairs_up: return '<';
    case furniture::door:
    case furniture::door_locked:
    case furniture::door_cell: return '+';
    case furniture::door_secret: return 'S';
    default: return '*';
  }
  if (cell.block == 0) return ' ';
  return cell.block <= 50 ? '#' : '.';
}

char area_char(int area) {
  if (area == 0) return '-';
  if (area <= 9) return static_cast<char>('0' + area);
  if (area <= 35) return static_cast<char>('a' + area - 10);
  return '*';
}

// The area number of an area_text character, -1 for any other character.
int area_of_char(char c) {
  if (c == '-') return 0;
  if (c >= '1' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  return -1;
}

template <class CellToChar>
std::string region_text(int x1, int y1, int x2, int y2, CellToChar to_char) {
  std::string text;
  for (int y = y1; y <= y2; ++y) {
    for (int x = x1; x <= x2; ++x) text += on_map(x, y, 0) ? to_char(map_cells(x, y)) : '~';
    text += '\n';
  }
  return text;
}

// Calls write(x, y, c) for every character of a picture placed at (x0, y0).
template <class Write>
void walk_picture(int x0, int y0, std::string_view text, Write write) {
  if (!text.empty() && text.front() == '\n') text.remove_prefix(1);
  int x = x0;
  int y = y0;
  for (char c : text) {
    if (c == '\n') {
      x = x0;
      ++y;
      continue;
    }
    write(x, y, c);
    ++x;
  }
}
}  // namespace

void reset_test_map(int size) {
  map_size = size;
  map_cells.clear();
  for (Layer* layer : {&impenetrable_layer, &dug_layer, &fill_visited_layer, &stencil_layer,
                       &mark_layer, &mark_block_layer, &mark_area_layer, &dead_end_layer,
                       &hallway_end_layer})
    layer->clear();
  empty_areas();
  dungeon.claimed_cell_count = 0;
}

std::string map_text(int x1, int y1, int x2, int y2) {
  return region_text(x1, y1, x2, y2, cell_char);
}

std::string area_text(int x1, int y1, int x2, int y2) {
  return region_text(x1, y1, x2, y2, [](const MapCell& cell) { return area_char(cell.area_index); });
}

void paint_map_text(int x, int y, std::string_view text, const MapTextPaint& paint) {
  walk_picture(x, y, text, [&](int cx, int cy, char c) {
    int block = 0;
    int furniture = 0;
    switch (c) {
      case ' ': break;
      case '#': block = paint.wall; break;
      case '.': block = paint.floor; break;
      case '+': block = paint.floor; furniture = furniture::door; break;
      case 'S': block = paint.wall; furniture = furniture::door_secret; break;
      case '>': block = paint.floor; furniture = furniture::stairs_down; break;
      case '<': block = paint.floor; furniture = furniture::stairs_up; break;
      default: return;
    }
    MapCell& cell = map_cells(cx, cy);
    cell = MapCell{};
    cell.block = narrow<uint8_t>(block);
    cell.furniture = narrow<uint8_t>(furniture);
    cell.secret_difficulty = furniture == furniture::door_secret ? 1 : 0;
    cell.area_kind = narrow<uint8_t>(paint.area_kind);
    cell.area_index = narrow<uint8_t>(paint.area_index);
  });
}

void paint_area_text(int x, int y, std::string_view text, int area_kind) {
  walk_picture(x, y, text, [&](int cx, int cy, char c) {
    const int area = area_of_char(c);
    if (area < 0) return;
    map_cells(cx, cy).area_index = narrow<uint8_t>(area);
    map_cells(cx, cy).area_kind = narrow<uint8_t>(area == 0 ? 0 : area_kind);
  });
}
