#include "tile_catalogue_writer.h"

#include <cstring>

namespace {
constexpr int group_count[9] = {0, 4, 4, 3, 3, 1, 3, 3, 3};
constexpr int sheet_columns = 32;
constexpr uint16_t growth_hint = 16;

int pictures_of(const TileRecord& r) { return r.variant_count * r.variant_stride * r.image_factor; }

template <class T>
void append(std::vector<uint8_t>& out, const T& value) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&value);
  out.insert(out.end(), bytes, bytes + sizeof(T));
}
}  // namespace

TileCatalogue lay_out_tile_catalogue(const TileSource& source) {
  TileCatalogue catalogue;
  catalogue.tile_size = source.tile_size;
  catalogue.sheet_columns = sheet_columns;
  std::array<std::vector<TileRecord>, tile_table_count + 1> tables = source.tables;
  TileHeader header{};
  header.source_tile_size = static_cast<uint16_t>(source.tile_size);
  header.growth_hint[1] = growth_hint;
  header.growth_hint[2] = growth_hint;
  header.words[0] = growth_hint;
  // Image lists 1 (table 1) and 2 (tables 2..8) start after their placeholder picture 0.
  int next_picture[4] = {0, 1, 1, 1};
  for (int k = 1; k <= tile_table_count; ++k) {
    std::vector<TileRecord>& records = tables[static_cast<size_t>(k)];
    header.words[tile_count_word(k)] = static_cast<uint16_t>(records.size());
    header.words[tile_first_rect_word(k)] = static_cast<uint16_t>(catalogue.rectangles.size() + 1);
    const int list = k == 1 ? 1 : k <= 8 ? 2 : 3;
    const int groups = k <= 8 ? group_count[k] : 1;
    int per_group = 0;
    for (TileRecord& r : records) {
      const int pictures = k <= 8 ? pictures_of(r) : r.variant_count;
      if (pictures == 0) continue;
      r.first_image = static_cast<uint16_t>(next_picture[list] + per_group);
      per_group += pictures;
    }
    if (k <= 8) {
      header.words[tile_group_word(k, 0)] = static_cast<uint16_t>(groups);
      for (int g = 1; g <= groups; ++g) header.words[tile_group_word(k, g)] = static_cast<uint16_t>((g - 1) * per_group);
    }
    for (int g = 1; g <= groups; ++g)
      for (size_t i = 0; i < records.size(); ++i) {
        const int pictures = k <= 8 ? pictures_of(records[i]) : records[i].variant_count;
        for (int p = 0; p < pictures; ++p)
          catalogue.rectangles.push_back({k, static_cast<int>(i) + 1, g, p});
      }
    next_picture[list] += groups * per_group;
  }
  header.rect_count = narrow<uint16_t>(catalogue.rectangles.size());
  size_t records = 0;
  for (int k = 1; k <= tile_table_count; ++k) records += tables[static_cast<size_t>(k)].size();
  header.file_length = static_cast<int32_t>(tile_header_length + records * sizeof(TileRecord) +
                                            catalogue.rectangles.size() * sizeof(SheetRect));
  append(catalogue.information, header);
  for (int k = 1; k <= tile_table_count; ++k)
    for (const TileRecord& r : tables[static_cast<size_t>(k)]) append(catalogue.information, r);
  const int s = source.tile_size;
  for (size_t i = 0; i < catalogue.rectangles.size(); ++i) {
    const int column = static_cast<int>(i) % sheet_columns;
    const int row = static_cast<int>(i) / sheet_columns;
    append(catalogue.information, SheetRect{column * s, row * s, column * s + s, row * s + s});
  }
  return catalogue;
}
