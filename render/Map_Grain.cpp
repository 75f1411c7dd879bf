#include "Map_Grain.h"

#include "GAME_Dice.h"
#include "Map_Colors.h"

namespace {

// scale_color of every channel value by grain_factor(step) for step in
// -spread+1..spread-1, looked up instead of computed per pixel.
template <int Spread>
struct ScaleTable {
  uint8_t value[2 * Spread - 1][256];
  ScaleTable() {
    for (int step = -(Spread - 1); step <= Spread - 1; ++step)
      for (int c = 0; c < 256; ++c)
        value[step + Spread - 1][c] =
            scale_color(Color{static_cast<uint8_t>(c), 0, 0}, grain_factor(step)).r;
  }
  void apply(uint8_t* pixel, int b, int c) const {
    const uint8_t* scaled = value[b - c + Spread - 1];
    pixel[0] = scaled[pixel[0]];
    pixel[1] = scaled[pixel[1]];
    pixel[2] = scaled[pixel[2]];
  }
};

void set_grey(uint8_t* pixel, int value) {
  pixel[0] = pixel[1] = pixel[2] = static_cast<uint8_t>(value);
}

}  // namespace

void grain_picture(Picture& picture) {
  static const ScaleTable<20> background_scale;
  static const ScaleTable<5> pixel_scale;
  const Color blue = background_colors[2];
  for (int y = 0; y < picture.height(); ++y) {
    uint8_t* pixel = picture.row(y);
    for (int x = 0; x < picture.width(); ++x, pixel += 3) {
      const uint8_t r = pixel[0], g = pixel[1], b = pixel[2];
      if (r == 0 && g == 0 && b == 0) {
        if (random_int(100) < 51) set_grey(pixel, random_int(34));
      } else if (r == 255 && g == 255 && b == 255) {
        if (random_int(100) < 51) set_grey(pixel, 255 - random_int(26));
      } else if (r == blue.r && g == blue.g && b == blue.b) {
        if (random_int(100) < 51) {
          const int up = random_int(20);
          const int down = random_int(20);
          background_scale.apply(pixel, up, down);
        }
      } else {
        const int up = random_int(5);
        const int down = random_int(5);
        pixel_scale.apply(pixel, up, down);
      }
    }
  }
}
