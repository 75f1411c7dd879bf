#include "Picture.h"

#include <algorithm>
#include <ostream>
#include <stdexcept>

std::ostream& operator<<(std::ostream& out, Color color) {
  return out << "RGB(" << int(color.r) << "," << int(color.g) << "," << int(color.b) << ")";
}

Picture::Picture(int width, int height) { set_size(width, height); }

void Picture::set_size(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  pixels_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_) * 3, 0);
}

void Picture::copy_pixels_from(const Picture& source) {
  width_ = source.width_;
  height_ = source.height_;
  pixels_ = source.pixels_;
}

void Picture::fill(Color color) {
  for (size_t i = 0; i < pixels_.size(); i += 3) {
    pixels_[i] = color.r;
    pixels_[i + 1] = color.g;
    pixels_[i + 2] = color.b;
  }
}

uint8_t* Picture::row(int y) {
  if (y < 0 || y >= height_) throw std::out_of_range("picture row outside the picture");
  return pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_) * 3;
}

const uint8_t* Picture::row(int y) const { return const_cast<Picture*>(this)->row(y); }

Color Picture::pixel(int x, int y) const {
  if (!contains(x, y)) return Color{};
  const uint8_t* p = row(y) + 3 * x;
  return Color{p[0], p[1], p[2]};
}

void Picture::set_pixel(int x, int y, Color color) {
  if (!contains(x, y)) return;
  uint8_t* p = row(y) + 3 * x;
  p[0] = color.r;
  p[1] = color.g;
  p[2] = color.b;
}
