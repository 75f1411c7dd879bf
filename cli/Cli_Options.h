// The options of "dungeon-cli generate" and "dungeon-cli catalogue", parsed
// and checked.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Map_View.h"

struct GenerateOptions {
  std::optional<uint32_t> seed;  // none: the clock's seed
  int level = 0;                 // 0: the window's random choice among 3, 4, 6 and 8
  int size = 896;                // picture side in pixels
  int count = 1;
  std::string png_file;
  std::string ascii_file;
  std::string json_file;     // one named map export
  bool json_beside = false;  // "--json" without a name: a JSON file beside every PNG written
  std::string folder;          // for exports by date and time; "" = the export folder
  std::string program_folder;  // "" = the executable's folder
  MapOptions map;
};

struct CatalogueOptions {
  std::vector<int> levels;
  std::vector<uint32_t> seeds;
  std::string program_folder;  // "" = the executable's folder
};

enum class Command { generate, catalogue };
struct CommandLine {
  Command command = Command::generate;
  GenerateOptions generate;
  CatalogueOptions catalogue;
};

// Largest picture side accepted, to keep a picture within a few hundred megabytes.
inline constexpr int largest_picture_size = 8192;

// Parses the command line. Returns true and fills command_line for a
// command to run; false with exit_code set when the program should end at
// once: 0 after printing help, 2 after printing a one-line reason to stderr.
bool parse_command_line(int argc, char** argv, CommandLine& command_line, int& exit_code);

