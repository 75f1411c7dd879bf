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
