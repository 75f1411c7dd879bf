// Lays the tile catalogue out: every picture of tables 1..11 gets one sheet
// rectangle, in the order the game's loader takes them (per table, per
// picture group, per record), and the information file records where each
// table and group starts.
#pragma once

#include <cstdint>
#include <vector>

#include "tile_source_reader.h"

// What one sheet rectangle shows: a picture of record `record` of `table`.
struct SheetPicture {
  int table;
  int record;
  int group;    // 1.. for tables 1..8, 1 for tables 9..11
  int picture;  // 0.. within the record's pictures of that group
};

struct TileCatalogue {
  std::vector<uint8_t> information;      // the ".kti" file
  std::vector<SheetPicture> rectangles;  // rectangle i + 1 shows rectangles[i]
  int tile_size = 0;
  int sheet_columns = 0;
};

TileCatalogue lay_out_tile_catalogue(const TileSource& source);
