// "dungeon-cli catalogue": prints the seed catalogue of the given levels and
// seeds on stdout.
#pragma once

#include "Cli_Options.h"

// Returns the process exit code: 0 when every map was built, 1 after a
// one-line reason on stderr (missing data, a level not in the data, a
// failed build).
int run_catalogue(const CatalogueOptions& options);
