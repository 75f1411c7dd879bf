#include "GAME_Graphics.h"

CheckedTable<TileRecord> furniture_tiles;

int furniture_variant_count(int furniture) {
  if (furniture_tiles.highest() < 1) return 0;
  return furniture_tiles[furniture].variant_count;
}

int furniture_variant_step(int furniture) {
  if (furniture_tiles.highest() < 1) return 0;
  return furniture_tiles[furniture].variant_stride;
}
