// The tile catalogue: per block, furniture, being, item and interface
// picture, how many picture variants it has. The generator draws no tiles,
// but the furniture table's variant counts decide the random draws made when
// furniture is placed.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Range_Check.h"

#pragma pack(push, 1)
struct TileRecord {
  uint16_t first_image;  // 0 = no pictures
  uint16_t variant_count;
  uint16_t variant_stride;  // pictures per variant
  uint16_t image_factor;
  uint8_t no_sheet_images;
  uint8_t reserved_9;
};
#pragma pack(pop)
static_assert(sizeof(TileRecord) == 10);
static_assert(offsetof(TileRecord, variant_count) == 2);
static_assert(offsetof(TileRecord, variant_stride) == 4);

// Table 2 of the catalogue: furniture kinds 1..65 (entry 0 blank); empty
// until the catalogue is loaded.
extern CheckedTable<TileRecord> furniture_tiles;

// Variant count and step of a furniture kind; 0 while no catalogue is loaded.
int furniture_variant_count(int furniture);
int furniture_variant_step(int furniture);

// ---- Tile catalogue file ------------------------------------------------
// program_folder + "Data/" + tileset name + ".kti" (tile information) and
// ".kts" (the BMP tile sheet). Information file, little-endian: a 216-byte
// header, tables 1..11 of 10-byte tile records, then R 16-byte sheet
// rectangles; its length must equal the length stored in the header.

inline constexpr int tile_table_count = 11;
inline constexpr size_t tile_header_length = 216;

#pragma pack(push, 1)
// words[i] is the u16 at byte offset 10 + 2i.
struct TileHeader {
  uint16_t source_tile_size;  // S: width and height of one sheet picture
  uint16_t reserved_2;
  uint16_t rect_count;  // R
  CheckedArray<uint16_t, 1, 2> growth_hint;  // image lists 1 and 2
  CheckedArray<uint16_t, 0, 100> words;      // 0: growth hint of list 3; 1..11: table counts
  int32_t file_length;
};
// A rectangle of the sheet, in sheet pixels; numbered from 1 in file order.
struct SheetRect {
  int32_t left, top, right, bottom;
};
#pragma pack(pop)
static_assert(sizeof(TileHeader) == tile_header_length);
static_assert(offsetof(TileHeader, words) == 10);
static_assert(offsetof(TileHeader, file_length) == 212);
static_assert(sizeof(SheetRect) == 16);

// Word positions in TileHeader::words.
inline int tile_count_word(int table) { return table; }                 // count(k)
inline int tile_first_rect_word(int table) { return 22 + table; }       // tables 1..11
inline int tile_group_word(int table, int group) { return 40 + 5 * table + group; }  // 1..8, 1..4
inline constexpr int tile_list4_offset_word = 54;
inline constexpr int furniture_tile_table = 2;

// Table k of the loaded catalogue (k = 2 is furniture_tiles); count + 1
// entries, entry 0 blank.
CheckedTable<TileRecord>& tile_table(int table);
extern TileHeader tile_header;
extern CheckedTable<SheetRect> sheet_rects;  // entries 1..R
// Number of pictures in image lists 1..4 (each with its placeholder 0);
// the generator draws no tiles, so the lists hold no pixels.
extern CheckedArray<int, 1, 4> image_list_size;

// Creates the four empty image lists (run at start-up before the data file
// is loaded). The optional "Book.jpg" is not loaded: nothing needs it.
void create_graphics();
// Loads the tile catalogue and its sheet and fills the image lists; false
// (message shown, shutting_down set) for missing files or a rejected
// information file.
bool load_tile_catalogue();
// Releases the image lists and every tile table (safe when already gone).
void release_graphics();
