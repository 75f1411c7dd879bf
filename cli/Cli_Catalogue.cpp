#include "Cli_Catalogue.h"

#include <iostream>

#include "Cli_Session.h"
#include "GAME_Global.h"
#include "Seed_Catalogue.h"

int run_catalogue(const CatalogueOptions& options) {
  return run_with_engine(options.program_folder, [&options] {
    for (const int level : options.levels)
      if (!level_in_data(level)) return fail(format_text("level %d is not in the game data", level));
    write_seed_catalogue(options.levels, options.seeds, std::cout);
    return 0;
  });
}
