#include "Map_Grain.h"

#include "GAME_Dice.h"
#include "Map_Colors.h"
#include "Map_View.h"

namespace {

void set_grey(uint8_t* pixel, int value) {
  pixel[0] = pixel[1] = pixel[2] = static_cast<uint8_t>(value);
}

void scale_pixel(uint8_t* pixel, int step) {
  const uint8_t* scaled = grain_scale_row(step);
  pixel[0] = scaled[pixel[0]];
  pixel[1] = scaled[pixel[1]];
  pixel[2] = scaled[pixel[2]];
}

}  // namespace

void grain_picture(Picture& picture) {
  const Color blue = background_colors[style_blue];
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
          scale_pixel(pixel, up - down);
        }
      } else {
        const int up = random_int(5);
        const int down = random_int(5);
        scale_pixel(pixel, up - down);
      }
    }
  }
}
