#include "Png_Writer.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

struct ErrorText {
  char text[256];
};

void on_png_error(png_structp png, png_const_charp message) {
  auto* error = static_cast<ErrorText*>(png_get_error_ptr(png));
  std::snprintf(error->text, sizeof error->text, "%s", message);
  png_longjmp(png, 1);
}

void on_png_warning(png_structp, png_const_charp) {}

// Encodes the picture into file. Holds no C++ objects with destructors, as
// the PNG library leaves it by longjmp on an error. Returns false with the
// reason in error on failure.
bool encode_png(std::FILE* file, const Picture& picture, ErrorText* error) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, error, on_png_error, on_png_warning);
  if (!png) {
    std::snprintf(error->text, sizeof error->text, "the PNG library could not start");
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    if (!info) std::snprintf(error->text, sizeof error->text, "the PNG library could not start");
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return false;
  }
  png_init_io(png, file);
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

  const std::string temporary = path + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) throw FileWriteError(fail + std::strerror(errno));

  ErrorText error{};
  bool written = encode_png(file, picture, &error);
  if (std::fflush(file) != 0 && written) {
    std::snprintf(error.text, sizeof error.text, "%s", std::strerror(errno));
    written = false;
  }
  if (std::fclose(file) != 0 && written) {
    std::snprintf(error.text, sizeof error.text, "%s", std::strerror(errno));
    written = false;
  }
  if (written && std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::snprintf(error.text, sizeof error.text, "%s", std::strerror(errno));
    written = false;
  }
  if (!written) {
    std::remove(temporary.c_str());
    throw FileWriteError(fail + error.text);
  }
}
