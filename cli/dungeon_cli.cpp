// dungeon-cli: generates dungeon maps from the command line.
#include "Cli_Generate.h"
#include "Cli_Options.h"

int main(int argc, char** argv) {
  GenerateOptions options;
  int exit_code = 0;
  if (!parse_command_line(argc, argv, options, exit_code)) return exit_code;
  return run_generate(options);
}
