// Paints the tile sheet: one simple picture per sheet rectangle, written as
// an uncompressed 24-bit Windows bitmap (the ".kts" file). Blocks show their
// colour (walls with mortar lines, light floors brighter), furniture and
// the other tables a shape on white, which the game treats as transparent.
#pragma once

#include <cstdint>
#include <vector>

#include "tile_catalogue_writer.h"

std::vector<uint8_t> paint_tile_sheet(const TileCatalogue& catalogue);
