// The text store written as a plain text file of sections:
//   [section_name]
//   one text line per line
// Blank lines and lines starting with '#' are skipped. The compiler appends
// the section-name section itself, as the last section of the directory.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "GAME_File.h"

inline constexpr const char* section_names_section = "section_names";

struct TextStore {
  std::vector<TextSection> directory;  // entries 0..H; entry 0 blank, H the names
  std::vector<std::string> lines;      // the store, from line 0
};

// Throws SourceError for text before the first section, a repeated or
// badly formed section name, or a character outside plain ASCII.
TextStore read_text_store(std::string_view text, const std::string& file);
