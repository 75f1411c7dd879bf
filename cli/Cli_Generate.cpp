#include "Cli_Generate.h"

#include <iostream>
#include <string>

#include "Ascii_Map.h"
#include "Cli_Json.h"
#include "Cli_Session.h"
#include "Files.h"
#include "GAME_Dice.h"
#include "GAME_Global.h"
#include "GAME_Level.h"
#include "GAME_Map.h"
#include "Generation_Commands.h"
#include "Map_Export.h"
#include "Map_View.h"

namespace {

bool size_fits_map(int size) {
  for (int i = 0; i <= 4; ++i)
    if (size == export_sizes[i]) return true;
  return size % map_size == 0;
}

int area_total() {
  int total = 0;
  for (int i = 1; i <= areas.highest(); ++i) total += areas[i].kind != 0;
  return total;
}

// The JSON file beside a PNG: its ".png" replaced by ".json" (appended when
// the name has no ".png").
std::string json_beside(const std::string& png) {
  const std::string extension = ".png";
  const bool has_extension = png.size() >= extension.size() && png.ends_with(extension);
  return (has_extension ? png.substr(0, png.size() - extension.size()) : png) + ".json";
}

// Writes the current map as asked; returns the files written. map_seed is
// the random seed the map was built from.
std::string write_outputs(const GenerateOptions& options, const std::string& folder, uint32_t map_seed) {
  std::string written, png;
  auto note = [&written](const std::string& file) { written += (written.empty() ? "" : ", ") + file; };
  if (!options.png_file.empty()) {
    write_map_png(options.png_file, options.size);
    png = options.png_file;
    note(png);
  }
  if (!options.ascii_file.empty()) {
    write_whole_file(options.ascii_file, ascii_map_text());
    note(options.ascii_file);
  }
  if (!options.json_file.empty()) {
    write_whole_file(options.json_file, map_json_text(map_seed));
    note(options.json_file);
  }
  if (written.empty()) {
    png = export_map_into(folder, options.size);
    if (png.empty()) throw FileWriteError("Could not create the folder \"" + folder + "\"");
    note(png);
  }
  if (options.json_beside) {
    write_whole_file(json_beside(png), map_json_text(map_seed));
    note(json_beside(png));
  }
  return written;
}

// Builds and writes the maps of a started engine.
int generate_maps(const GenerateOptions& options) {
  const uint32_t seed = options.seed ? *options.seed : rand_seed;
  rand_seed = seed;
  std::cout << "seed " << seed << "\n";

  if (options.level != 0 && !level_in_data(options.level))
    return fail(format_text("level %d is not in the game data", options.level));
  map_options = options.map;
  const std::string folder = options.folder.empty() ? export_folder() : as_folder(options.folder);

  for (int n = 1; n <= options.count; ++n) {
    // rand_seed is the generator's whole state: "--seed map_seed" with the
    // same --level rebuilds this map on its own.
    const uint32_t map_seed = rand_seed;
    if (!generate_dungeon(options.level)) return fail(engine_reason("the dungeon could not be generated"));
    if (!size_fits_map(options.size))
      return fail(format_text("--size %d is neither an export size nor a multiple of the map size %d",
                              options.size, map_size));
    const std::string written = write_outputs(options, folder, map_seed);
    std::cout << "map " << n << ": level " << int(current_level.level_index) << ", " << area_total()
              << " areas -> " << written << std::endl;
  }
  return 0;
}

}  // namespace

int run_generate(const GenerateOptions& options) {
  return run_with_engine(options.program_folder, [&options] { return generate_maps(options); });
}
