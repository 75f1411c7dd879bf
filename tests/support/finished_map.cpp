#include "finished_map.h"

#include "GAME_Dungeon.h"
#include "GAME_Global.h"
#include "GAME_Map.h"
#include "map_text.h"

namespace {
int orthogonal_walls(int x, int y) {
  int walls = 0;
  for (int d = 1; d <= 4; ++d)
    if (is_wall(x + direction_step[d].dx, y + direction_step[d].dy, 0)) ++walls;
  return walls;
}
}  // namespace

std::string finished_map_problem() {
  for (int x = 1; x <= map_size; ++x)
    for (int y = 1; y <= map_size; ++y) {
      const MapCell& cell = map_cells(x, y);
      const std::string where = " at (" + std::to_string(x) + "," + std::to_string(y) + ")\n" +
                                map_text(x - 3, y - 3, x + 3, y + 3);
      if (cell.block == 0) return "rock left" + where;
      if (cell.area_index > areas.highest()) return "cell of an unregistered area" + where;
      if (cell.furniture >= furniture::door && cell.furniture <= furniture::door_secret &&
          orthogonal_walls(x, y) < 2)
        return "door without two walls" + where;
      if ((cell.secret_difficulty != 0) != (cell.furniture == furniture::door_secret))
        return "secret difficulty without secret door" + where;
    }
  if (areas.highest() != dungeon.area_counter - 1)
    return "areas table holds " + std::to_string(areas.highest() + 1) + " entries, area_counter " +
           std::to_string(dungeon.area_counter);
  if (mark_count() != 0 || failed_mark_count() != 0) return "marks left";
  if (dungeon.marks_closed != 0) return "marks still closed";
  if (!error_log.empty()) return "error reported: " + error_log.front();
  return "";
}
