// The options of "dungeon-cli generate", parsed and checked.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "Map_View.h"

struct GenerateOptions {
  std::optional<uint32_t> seed;  // none: the clock's seed
  int level = 0;                 // 0: the window's random choice among 3, 4, 6 and 8
  int size = 896;                // picture side in pixels
  int count = 1;
  std::string png_file;
  std::string ascii_file;
  std::string folder;          // for exports by date and time; "" = the export folder
  std::string program_folder;  // "" = the executable's folder
  MapOptions map;
};

// Largest picture side accepted, to keep a picture within a few hundred megabytes.
inline constexpr int largest_picture_size = 8192;

// Parses the command line. Returns true and fills options for a generate
// command; false with exit_code set when the program should end at once:
// 0 after printing help, 2 after printing a one-line reason to stderr.
bool parse_command_line(int argc, char** argv, GenerateOptions& options, int& exit_code);

// A style name (any letter case) or digit 0..3; -1 when neither.
int style_from_text(const std::string& text);
