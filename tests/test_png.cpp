// PNG files: the written file reads back as the picture, failed writes leave
// nothing behind, and exports are named by the date and time.
#include <gtest/gtest.h>
#include <png.h>

#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Cell_Raster.h"
#include "GAME_Global.h"
#include "GAME_Map.h"
#include "Map_Export.h"
#include "Map_View.h"
#include "Picture.h"
#include "Png_Writer.h"
#include "map_text.h"

namespace fs = std::filesystem;

namespace {

struct PngFile {
  bool ok = false;
  png_uint_32 width = 0, height = 0;
  int bit_depth = 0, color_type = 0, interlace = 0;
  std::vector<uint8_t> rows;  // as stored, three bytes per pixel for RGB
};

PngFile read_png(const std::string& path) {
  PngFile result;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return result;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    result.ok = false;
    return result;
  }
  png_init_io(png, file);
  png_read_info(png, info);
  png_get_IHDR(png, info, &result.width, &result.height, &result.bit_depth, &result.color_type,
               &result.interlace, nullptr, nullptr);
  const size_t row_bytes = png_get_rowbytes(png, info);
  result.rows.resize(row_bytes * result.height);
  for (png_uint_32 y = 0; y < result.height; ++y) png_read_row(png, result.rows.data() + y * row_bytes, nullptr);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(file);
  result.ok = true;
  return result;
}

class PngTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("png_test_" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override {
    fs::remove_all(folder);
    set_local_clock(nullptr);
  }
  std::string path(const std::string& name) const { return (folder / name).string(); }
  fs::path folder;
};

TEST_F(PngTest, WrittenFileReadsBackByteForByte) {
  Picture picture(37, 5);  // an odd width: rows without padding
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 37; ++x)
      picture.set_pixel(x, y, Color{uint8_t(x * 7), uint8_t(y * 50), uint8_t((x * y) % 256)});
  write_png(picture, path("p.png"));
  const PngFile file = read_png(path("p.png"));
  ASSERT_TRUE(file.ok);
  EXPECT_EQ(file.width, 37u);
  EXPECT_EQ(file.height, 5u);
  EXPECT_EQ(file.bit_depth, 8);
  EXPECT_EQ(file.color_type, PNG_COLOR_TYPE_RGB);
  EXPECT_EQ(file.interlace, PNG_INTERLACE_NONE);
  EXPECT_EQ(file.rows, picture.bytes());
  EXPECT_FALSE(fs::exists(path("p.png.tmp")));
}

TEST_F(PngTest, FailedWritesNameTheFileAndLeaveNothing) {
  Picture picture(4, 4);
  const struct {
    const char* what;
    std::string target;
  } cases[] = {
      {"missing folder", path("missing/p.png")},
      {"a folder in the way", path("taken")},
  };
  fs::create_directories(path("taken/inside"));
  for (const auto& c : cases) {
    try {
      write_png(picture, c.target);
      ADD_FAILURE() << c.what << ": no error";
    } catch (const FileWriteError& error) {
      EXPECT_NE(std::string(error.what()).find("Could not write \"" + c.target + "\": "), std::string::npos)
          << error.what();
    }
    EXPECT_FALSE(fs::exists(c.target + ".tmp")) << c.what;
  }
  EXPECT_TRUE(fs::is_directory(path("taken/inside")));

  Picture empty;
  EXPECT_THROW(write_png(empty, path("empty.png")), FileWriteError);
  EXPECT_FALSE(fs::exists(path("empty.png")));
}

TEST_F(PngTest, OverwritesAnExistingFileWhole) {
  { std::ofstream(path("p.png")) << std::string(100000, 'x'); }
  Picture picture(2, 2);
  picture.fill(Color{1, 2, 3});
  write_png(picture, path("p.png"));
  EXPECT_EQ(read_png(path("p.png")).rows, picture.bytes());
}

TEST_F(PngTest, ExportNamesCountUpFromTwoWhenTaken) {
  const LocalDateTime when{2021, 5, 21, 9, 5, 7, 250};
  const std::string base = folder.string() + "/";
  const char* expected[] = {"Map_2021-05-21_09-05-07.png", "Map_2021-05-21_09-05-07_2.png",
                            "Map_2021-05-21_09-05-07_3.png"};
  for (const char* name : expected) {
    const std::string chosen = export_file_name(base, when);
    EXPECT_EQ(chosen, base + name);
    std::ofstream(chosen) << "";
  }
}

TEST_F(PngTest, ExportWritesTheMapPictureUnderTheTimeName) {
  set_local_clock([] { return LocalDateTime{2024, 12, 1, 23, 59, 58, 0}; });
  const std::string maps = (folder / "maps").string() + "/";

  map_size = 0;
  EXPECT_EQ(export_map_into(maps, 640), "");
  EXPECT_FALSE(fs::exists(maps)) << "no map: no folder either";

  reset_test_map(4);
  paint_map_text(1, 1, "####\n#..#\n#..#\n####", {1, 65, 2, 1});
  map_options = MapOptions{};
  step_mode_active = false;
  draw_cell_raster();
  const std::string first = export_map_into(maps, 64);
  const std::string second = export_map_into(maps, 64);
  EXPECT_EQ(first, maps + "Map_2024-12-01_23-59-58.png");
  EXPECT_EQ(second, maps + "Map_2024-12-01_23-59-58_2.png");
  const PngFile file = read_png(first);
  ASSERT_TRUE(file.ok);
  EXPECT_EQ(file.width, 64u);
  EXPECT_EQ(file.rows, export_picture.bytes());
  EXPECT_EQ(read_png(second).rows, file.rows) << "no grain: the same picture twice";
}

}  // namespace
