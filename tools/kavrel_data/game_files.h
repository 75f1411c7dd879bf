// The compiler's whole job: read the data folder, build the game data file
// and the tile catalogue in memory, and only then write them, each through
// a temporary file that is renamed into place, so that a failed run never
// leaves a partial output file behind.
#pragma once

#include <filesystem>
#include <string>

#include "data_set.h"

inline constexpr const char* data_set_name = "Kavrel";

// Writes bytes to path by way of path + ".tmp"; throws std::runtime_error
// naming the file when it cannot be written.
void write_file_replacing(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

// Reads every source of source_folder and writes "Kavrel.kvd", "Kavrel.kti"
// and "Kavrel.kts" into output_folder (created when missing). Throws
// SourceError for bad input. Returns a one-line summary of what was written.
std::string compile_game_files(const std::filesystem::path& source_folder,
                               const std::filesystem::path& output_folder);
