#include "Png_Writer.h"

#include <png.h>

#include <cstdio>

namespace {

struct Encoding {
  std::string* bytes;
  char error[256];
};

void on_png_error(png_structp png, png_const_charp message) {
  auto* encoding = static_cast<Encoding*>(png_get_error_ptr(png));
  std::snprintf(encoding->error, sizeof encoding->error, "%s", message);
  png_longjmp(png, 1);
}

void on_png_warning(png_structp, png_const_charp) {}

void on_png_write(png_structp png, png_bytep data, png_size_t length) {
  static_cast<Encoding*>(png_get_io_ptr(png))->bytes->append(reinterpret_cast<const char*>(data), length);
}

void on_png_flush(png_structp) {}

// Encodes the picture into encoding->bytes. Holds no C++ objects with
// destructors, as the PNG library leaves it by longjmp on an error. Returns
// false with the reason in encoding->error on failure.
bool encode_png(const Picture& picture, Encoding* encoding) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, encoding, on_png_error, on_png_warning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    std::snprintf(encoding->error, sizeof encoding->error, "the PNG library could not start");
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, encoding, on_png_write, on_png_flush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width()),
               static_cast<png_uint_32>(picture.height()), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < picture.height(); ++y) png_write_row(png, picture.row(y));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

void write_png(const Picture& picture, const std::string& path) {
  const std::string fail = "Could not write \"" + path + "\": ";
  if (picture.width() <= 0 || picture.height() <= 0) throw FileWriteError(fail + "the picture is empty");
  std::string bytes;
  Encoding encoding{&bytes, {}};
  if (!encode_png(picture, &encoding)) throw FileWriteError(fail + encoding.error);
  write_whole_file(path, bytes);
}
