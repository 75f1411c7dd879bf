#include "Canvas.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void stamp_pen(Picture& picture, int x, int y) {
  const int w = std::max(picture.pen.width, 1);
  if (w == 1) {
    picture.set_pixel(x, y, picture.pen.color);
    return;
  }
  const int start = -(w - 1) / 2;
  for (int dy = start; dy < start + w; ++dy)
    for (int dx = start; dx < start + w; ++dx) picture.set_pixel(x + dx, y + dy, picture.pen.color);
}

// Fills one clipped row span [x1, x2) of row y.
void fill_span(Picture& picture, int y, int x1, int x2, Color color) {
  x1 = std::max(x1, 0);
  x2 = std::min(x2, picture.width());
  if (y < 0 || y >= picture.height() || x1 >= x2) return;
  uint8_t* p = picture.row(y) + 3 * x1;
  for (int x = x1; x < x2; ++x, p += 3) {
    p[0] = color.r;
    p[1] = color.g;
    p[2] = color.b;
  }
}

}  // namespace

void draw_line(Picture& picture, int x1, int y1, int x2, int y2) {
  const int dx = std::abs(x2 - x1), sx = x1 < x2 ? 1 : -1;
  const int dy = -std::abs(y2 - y1), sy = y1 < y2 ? 1 : -1;
  int error = dx + dy;
  int x = x1, y = y1;
  while (x != x2 || y != y2) {
    stamp_pen(picture, x, y);
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x += sx;
    }
    if (twice <= dx) {
      error += dx;
      y += sy;
    }
  }
}

void fill_rect(Picture& picture, int left, int top, int right, int bottom) {
  if (picture.brush.clear) return;
  const int y_end = std::min(bottom, picture.height());
  for (int y = std::max(top, 0); y < y_end; ++y) fill_span(picture, y, left, right, picture.brush.color);
}

void draw_ellipse(Picture& picture, int left, int top, int right, int bottom) {
  if (right <= left || bottom <= top) return;
  const double cx = (left + right - 1) / 2.0, cy = (top + bottom - 1) / 2.0;
  const double rx = (right - left - 1) / 2.0, ry = (bottom - top - 1) / 2.0;
  const double half = std::max(picture.pen.width, 1) / 2.0;
  const double outer_x = rx + half, outer_y = ry + half;
  const double inner_x = rx - half, inner_y = ry - half;
  // Normalised squared distance from the centre for an ellipse of radii (a, b);
  // a radius at or below 0 contains nothing.
  auto inside = [](double dx, double dy, double a, double b) {
    if (a <= 0 || b <= 0) return false;
    return (dx * dx) / (a * a) + (dy * dy) / (b * b) <= 1.0;
  };
  const int y_first = std::max(static_cast<int>(cy - outer_y) - 1, 0);
  const int y_last = std::min(static_cast<int>(cy + outer_y) + 1, picture.height() - 1);
  const int x_first = std::max(static_cast<int>(cx - outer_x) - 1, 0);
  const int x_last = std::min(static_cast<int>(cx + outer_x) + 1, picture.width() - 1);
  for (int y = y_first; y <= y_last; ++y) {
    for (int x = x_first; x <= x_last; ++x) {
      const double dx = x - cx, dy = y - cy;
      if (inside(dx, dy, inner_x, inner_y)) {
        if (!picture.brush.clear) picture.set_pixel(x, y, picture.brush.color);
      } else if (inside(dx, dy, outer_x, outer_y)) {
        picture.set_pixel(x, y, picture.pen.color);
      }
    }
  }
}

void stretch_draw(Picture& target, int left, int top, int right, int bottom, const Picture& source) {
  const int dest_w = right - left, dest_h = bottom - top;
  if (dest_w <= 0 || dest_h <= 0 || source.width() == 0 || source.height() == 0) return;
  const int x_first = std::max(left, 0), x_end = std::min(right, target.width());
  const int y_first = std::max(top, 0), y_end = std::min(bottom, target.height());
  if (x_first >= x_end || y_first >= y_end) return;

  std::vector<int> source_offset(static_cast<size_t>(x_end - x_first));
  for (int x = x_first; x < x_end; ++x)
    source_offset[static_cast<size_t>(x - x_first)] =
        3 * static_cast<int>(static_cast<long long>(x - left) * source.width() / dest_w);

  const size_t span_bytes = static_cast<size_t>(x_end - x_first) * 3;
  int previous_source_row = -1;
  uint8_t* previous_row = nullptr;
  for (int y = y_first; y < y_end; ++y) {
    const int sy = static_cast<int>(static_cast<long long>(y - top) * source.height() / dest_h);
    uint8_t* out = target.row(y) + 3 * x_first;
    if (sy == previous_source_row) {
      std::memcpy(out, previous_row, span_bytes);
      continue;
    }
    const uint8_t* in = source.row(sy);
    for (size_t i = 0; i < source_offset.size(); ++i) {
      const uint8_t* p = in + source_offset[i];
      out[3 * i] = p[0];
      out[3 * i + 1] = p[1];
      out[3 * i + 2] = p[2];
    }
    previous_source_row = sy;
    previous_row = out;
  }
}
