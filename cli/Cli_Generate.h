// "dungeon-cli generate": starts the engine as the window does, seeds the
// random generator, builds the maps and writes them.
#pragma once

#include "Cli_Options.h"

// Returns the process exit code: 0 when every map was built and written,
// 1 after a one-line reason on stderr (missing data, a failed build, a bad
// size or level for the loaded data, a failed write).
int run_generate(const GenerateOptions& options);
