// dungeon-cli: generates dungeon maps from the command line.
#include "Cli_Catalogue.h"
#include "Cli_Generate.h"
#include "Cli_Options.h"

int main(int argc, char** argv) {
  CommandLine command_line;
  int exit_code = 0;
  if (!parse_command_line(argc, argv, command_line, exit_code)) return exit_code;
  return command_line.command == Command::catalogue ? run_catalogue(command_line.catalogue)
                                                    : run_generate(command_line.generate);
}
