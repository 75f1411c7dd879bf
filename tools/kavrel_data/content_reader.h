// The content records written as [[content]] tables of one TOML file, each
// with its [[content.area_needs]] (up to 9) and [[content.stuff]] (up to 150).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "GAME_File.h"
#include "data_names.h"

// The content codes in file order (contents refer to one another by code).
std::vector<std::string> read_content_codes(std::string_view text, const std::string& file);
// Records in file order; run-time fields stay 0.
std::vector<ContentRecord> read_contents(std::string_view text, const std::string& file,
                                         const DataNames& names);
