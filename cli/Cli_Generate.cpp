#include "Cli_Generate.h"

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "Ascii_Map.h"
#include "Files.h"
#include "GAME_Dice.h"
#include "GAME_Global.h"
#include "GAME_Level.h"
#include "GAME_Map.h"
#include "Generation_Commands.h"
#include "Map_Export.h"
#include "Map_View.h"

namespace {

// What the engine showed in message boxes, in order.
std::vector<std::string> engine_messages;

std::string one_line(const std::string& text) {
  std::string line;
  for (char c : text) {
    const bool space = c == '\r' || c == '\n';
    if (space && (line.empty() || line.back() == ' ')) continue;
    line += space ? ' ' : c;
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

int fail(const std::string& reason) {
  std::cerr << "dungeon-cli: " << one_line(reason) << "\n";
  return 1;
}

// The engine's own messages when it showed any, else the fallback.
std::string engine_reason(const std::string& fallback) {
  std::string reason;
  for (const std::string& message : engine_messages) reason += (reason.empty() ? "" : " ") + message;
  return reason.empty() ? fallback : reason;
}

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

std::string as_folder(const std::string& folder) {
  return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

// Writes the current map as asked; returns the files written.
std::string write_outputs(const GenerateOptions& options, const std::string& folder) {
  std::string written;
  if (!options.png_file.empty()) {
    write_map_png(options.png_file, options.size);
    written = options.png_file;
  }
  if (!options.ascii_file.empty()) {
    write_whole_file(options.ascii_file, ascii_map_text());
    written += (written.empty() ? "" : ", ") + options.ascii_file;
  }
  if (written.empty()) {
    written = export_map_into(folder, options.size);
    if (written.empty()) throw FileWriteError("Could not create the folder \"" + folder + "\"");
  }
  return written;
}

// Builds and writes the maps of a started engine.
int generate_maps(const GenerateOptions& options) {
  const uint32_t seed = options.seed ? *options.seed : rand_seed;
  rand_seed = seed;
  std::cout << "seed " << seed << "\n";

  if (options.level != 0 &&
      (options.level > level_table.highest() || level_table[options.level].level_map_size == 0))
    return fail(format_text("level %d is not in the game data", options.level));
  map_options = options.map;
  const std::string folder = options.folder.empty() ? export_folder() : as_folder(options.folder);

  for (int n = 1; n <= options.count; ++n) {
    if (!generate_dungeon(options.level)) return fail(engine_reason("the dungeon could not be generated"));
    if (!size_fits_map(options.size))
      return fail(format_text("--size %d is neither an export size nor a multiple of the map size %d",
                              options.size, map_size));
    const std::string written = write_outputs(options, folder);
    std::cout << "map " << n << ": level " << int(current_level.level_index) << ", " << area_total()
              << " areas -> " << written << std::endl;
  }
  return 0;
}

}  // namespace

int run_generate(const GenerateOptions& options) {
  if (!options.program_folder.empty())
    setenv("DUNGEON_PROGRAM_FOLDER", as_folder(options.program_folder).c_str(), 1);
  set_message_box_handler([](const std::string& text) { engine_messages.push_back(text); });
  bool started = false;
  int exit_code = 0;
  try {
    started = start_generator();
    exit_code = started ? generate_maps(options) : fail(engine_reason("the game data could not be loaded"));
  } catch (const std::exception& error) {
    // A failed load shuts the engine down, which may fail in turn: the
    // engine's message names the first cause.
    exit_code = fail(engine_reason(error.what()));
  }
  if (started) {
    try {
      shut_down_engine(false);
    } catch (const std::exception& error) {
      if (exit_code == 0) exit_code = fail(error.what());
    }
  }
  return exit_code;
}
