#include "Ascii_Map.h"

#include "GAME_Map.h"

namespace {
char cell_character(const MapCell& cell) {
  if (cell.area_index == 0) return ' ';
  switch (cell.furniture) {
    case 0: return cell.block <= 50 ? '#' : '.';
    case furniture::stairs_down: return '>';
    case furniture::stairs_up: return '<';
    case furniture::door:
    case furniture::door_locked:
    case furniture::door_cell: return '+';
    case furniture::door_secret: return 'S';
    default: return '*';
  }
}
}  // namespace

std::string ascii_map_text() {
  std::string text;
  for (int y = 1; y <= map_size; ++y) {
    for (int x = 1; x <= map_size; ++x) text += cell_character(map_cells(x, y));
    text += '\n';
  }
  return text;
}
