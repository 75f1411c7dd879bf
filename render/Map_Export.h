// Writing the map as PNG files: the export sizes, the export folder and the
// date-and-time file names.
#pragma once

#include <string>

#include "GAME_Global.h"
#include "Range_Check.h"

// Picture sizes by the item of the export size choice ("640 x 640" ... "1920 x 1920").
extern const CheckedArray<int, 0, 4> export_sizes;
inline constexpr int default_export_size_index = 1;  // "896 x 896"

// "Dungeon_Maps/" under the program folder.
std::string export_folder();

// folder + "Map_YYYY-MM-DD_hh-mm-ss.png" for the time; when that file exists,
// the first of "..._2.png", "..._3.png", ... that does not.
std::string export_file_name(const std::string& folder, const LocalDateTime& when);

// Draws the map on export_picture at size x size (from the current raster)
// and writes it as a PNG file to path. Throws FileWriteError when the write fails.
void write_map_png(const std::string& path, int size);

// Exports the map at size x size into folder (ending in "/") under the name for the current
// local time; returns the file written, or "" (nothing done) when there is no
// map yet or the folder cannot be created. Throws FileWriteError when the
// write fails.
std::string export_map_into(const std::string& folder, int size);

// The "Export map as PNG" command: export_map_into the export folder at the
// size of the export size item; an item outside 0..4 keeps the export
// picture's last width.
std::string export_map(int size_index);
