// A 24-bit RGB picture with direct row access and the drawing state of its
// canvas (pen, brush, font), which stays as the last drawing step set it.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

struct Color {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  constexpr bool operator==(const Color&) const = default;
};
// Writes "RGB(r,g,b)".
std::ostream& operator<<(std::ostream& out, Color color);

struct Pen {
  Color color;
  int width = 1;
};

struct Brush {
  Color color{255, 255, 255};
  bool clear = false;  // true: shapes and text leave what lies behind them
};

// height > 0 is the character cell height in pixels (ascent plus descent);
// height < 0 is the em height; 0 means the default of 16.
struct Font {
  std::string name = "Verdana";
  int height = 16;
  Color color;
};

// Pixels are stored row by row from the top, three bytes (R, G, B) each,
// rows without padding. Pictures are not copyable: copy their pixels with
// copy_pixels_from, so that a picture is never duplicated by accident.
class Picture {
 public:
  Picture() = default;
  Picture(int width, int height);
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  // Resizes to width x height (negative sizes count as 0); all pixels become black.
  void set_size(int width, int height);
  // Makes this picture the same size as source with the same pixels.
  void copy_pixels_from(const Picture& source);
  void fill(Color color);

  // Row y (0..height-1) as 3 * width bytes; a row outside the picture throws std::out_of_range.
  uint8_t* row(int y);
  const uint8_t* row(int y) const;
  const std::vector<uint8_t>& bytes() const { return pixels_; }

  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  // Pixel at (x, y); outside the picture it reads black and writes nothing.
  Color pixel(int x, int y) const;
  void set_pixel(int x, int y, Color color);

  Pen pen;
  Brush brush;
  Font font;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> pixels_;
};
