// The tile catalogue's source (tiles.toml): the sheet's tile size, how many
// picture variants blocks and each furniture kind have, and the record
// counts of the tables whose size is free. The tables tied to the data file
// (being plans, item plans, talents) take their counts from it.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "GAME_Graphics.h"

struct TileSource {
  int tile_size = 16;
  // Tables 1..11 (index 0 unused): records 1..count at positions 0..count-1,
  // with variant_count, variant_stride and image_factor; variant_count 0
  // means the record has no pictures.
  std::array<std::vector<TileRecord>, tile_table_count + 1> tables;
};

TileSource read_tile_source(std::string_view text, const std::string& file, int being_plans,
                            int item_plans, int talents);
