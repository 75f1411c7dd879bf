#include "tile_sheet_painter.h"

#include <string>

#include "GAME_Map.h"

namespace {
struct Rgb {
  uint8_t r, g, b;
};

// The colour named by the last word of a block identifier.
Rgb block_colour(const std::string& name) {
  struct Named {
    const char* word;
    Rgb colour;
  };
  static const Named colours[] = {
      {"azure", {80, 150, 220}},   {"blue", {60, 80, 160}},      {"brown", {120, 80, 50}},
      {"gold", {190, 160, 60}},    {"green", {60, 130, 60}},     {"grey", {128, 128, 128}},
      {"lavender", {170, 150, 210}}, {"mantis", {110, 190, 100}}, {"purple", {110, 60, 140}},
      {"red", {150, 50, 50}},      {"sand", {190, 170, 120}},    {"turquoise", {60, 160, 160}},
      {"wood", {140, 100, 60}}};
  std::string word = name;
  if (word.ends_with("_light")) word.resize(word.size() - 6);
  word = word.substr(word.rfind('_') + 1);
  for (const Named& n : colours)
    if (word == n.word) return n.colour;
  return {128, 128, 128};
}

uint8_t scaled(int value, int percent) {
  const int v = value * percent / 100;
  return static_cast<uint8_t>(v > 255 ? 255 : v);
}

Rgb shade(Rgb c, int percent) { return {scaled(c.r, percent), scaled(c.g, percent), scaled(c.b, percent)}; }

// A colour of its own for every record of a table.
Rgb record_colour(int table, int record) {
  const uint32_t h = static_cast<uint32_t>(table * 7919 + record * 104729) * 2654435761u;
  return {static_cast<uint8_t>(40 + (h >> 8) % 160), static_cast<uint8_t>(40 + (h >> 16) % 160),
          static_cast<uint8_t>(40 + (h >> 24) % 160)};
}

Rgb pixel(const SheetPicture& p, int x, int y, int size) {
  if (p.table == 1) {
    const std::string name = block_names[p.record];
    const Rgb base = block_colour(name);
    if (p.record <= 50) {  // wall: bricks with darker mortar
      const int course = size / 4;
      const bool mortar = y % course == 0 || (x + (y / course % 2) * size / 2) % (size / 2) == 0;
      return shade(base, mortar ? 55 : 85 + 5 * p.picture);
    }
    const bool light = p.record % 2 == 0;
    const bool speck = (x * 7 + y * 13 + p.picture * 5) % 11 == 0;
    return shade(base, (light ? 125 : 95) - (speck ? 15 : 0));
  }
  // Everything else: a rounded shape on white, a little darker per variant.
  const int margin = size / 5;
  const int dx = x < size / 2 ? size / 2 - x : x - size / 2 + 1;
  const int dy = y < size / 2 ? size / 2 - y : y - size / 2 + 1;
  if (x < margin || y < margin || x >= size - margin || y >= size - margin || dx + dy > size * 3 / 5)
    return {255, 255, 255};
  return shade(record_colour(p.table, p.record), 100 - 8 * (p.picture % 6) - 4 * (p.group - 1));
}

void put_u16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void put_u32(std::vector<uint8_t>& out, uint32_t v) {
  put_u16(out, v & 0xFFFF);
  put_u16(out, v >> 16);
}
}  // namespace

std::vector<uint8_t> paint_tile_sheet(const TileCatalogue& catalogue) {
  const int size = catalogue.tile_size;
  const int columns = catalogue.sheet_columns;
  const int count = static_cast<int>(catalogue.rectangles.size());
  const int rows = count == 0 ? 1 : (count + columns - 1) / columns;
  const int width = columns * size;
  const int height = rows * size;
  const int row_bytes = (width * 3 + 3) / 4 * 4;
  std::vector<uint8_t> out;
  // BITMAPFILEHEADER and BITMAPINFOHEADER: 24 bits per pixel, no compression, bottom-up rows.
  out.push_back('B');
  out.push_back('M');
  put_u32(out, static_cast<uint32_t>(54 + row_bytes * height));
  put_u32(out, 0);
  put_u32(out, 54);
  put_u32(out, 40);
  put_u32(out, static_cast<uint32_t>(width));
  put_u32(out, static_cast<uint32_t>(height));
  put_u16(out, 1);
  put_u16(out, 24);
  put_u32(out, 0);
  put_u32(out, static_cast<uint32_t>(row_bytes * height));
  put_u32(out, 2835);  // 72 dots per inch
  put_u32(out, 2835);
  put_u32(out, 0);
  put_u32(out, 0);
  for (int y = height - 1; y >= 0; --y) {
    const size_t row_start = out.size();
    for (int x = 0; x < width; ++x) {
      const int index = (y / size) * columns + x / size;
      const Rgb c = index < count ? pixel(catalogue.rectangles[static_cast<size_t>(index)], x % size, y % size, size)
                                  : Rgb{255, 255, 255};
      out.push_back(c.b);
      out.push_back(c.g);
      out.push_back(c.r);
    }
    out.resize(row_start + static_cast<size_t>(row_bytes), 0);
  }
  return out;
}
