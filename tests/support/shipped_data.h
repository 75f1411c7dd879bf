// Generation on the data files the build ships, through the same start-up
// and "Generate dungeon" path the window and the command line use.
#pragma once

#include <cstdint>
#include <string>

// Starts the engine on the build's program folder and loads the data files
// once per test program; afterwards the error log goes to a scratch folder
// named after scratch_name, so runs leave the build alone. False when the
// data files are not built.
bool load_shipped_data(const std::string& scratch_name);

// Builds a finished dungeon of level record level_index from the given seed.
// False when the build failed (its report is in the scratch error log).
bool generate_shipped_dungeon(int level_index, uint32_t seed);
