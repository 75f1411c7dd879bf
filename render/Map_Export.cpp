#include "Map_Export.h"

#include "Files.h"
#include "GAME_Map.h"
#include "Map_Picture.h"
#include "Map_View.h"
#include "Png_Writer.h"

const CheckedArray<int, 0, 4> export_sizes = {{640, 896, 1280, 1536, 1920}};

std::string export_folder() { return program_folder + "Dungeon_Maps/"; }

std::string export_file_name(const std::string& folder, const LocalDateTime& when) {
  const std::string stamp = format_text("Map_%4.4d-%2.2d-%2.2d_%2.2d-%2.2d-%2.2d", when.year, when.month,
                                        when.day, when.hour, when.minute, when.second);
  std::string name = folder + stamp + ".png";
  for (int counter = 2; file_exists(name); ++counter) name = folder + stamp + format_text("_%d", counter) + ".png";
  return name;
}

namespace {
void draw_export_picture(int size) {
  export_picture.set_size(size, size);
  draw_map_picture(export_picture);
}
}  // namespace

void write_map_png(const std::string& path, int size) {
  draw_export_picture(size);
  write_png(export_picture, path);
}

std::string export_map_into(const std::string& folder, int size) {
  if (map_size == 0 || !ensure_folder(folder)) return "";
  draw_export_picture(size);
  const std::string path = export_file_name(folder, local_now());
  write_png(export_picture, path);
  return path;
}

std::string export_map(int size_index) {
  const int size = in_bounds(size_index, 0, 4) ? export_sizes[size_index] : export_picture.width();
  return export_map_into(export_folder(), size);
}
