// kavrel_compile <data folder> <output folder>
//
// Builds the game data file and the tile catalogue from the sources in the
// data folder. Bad input is reported as "<file>:<line>: <reason>" and ends
// the run with exit status 1 before any output file is touched.
#include <iostream>

#include "game_files.h"
#include "source_error.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: kavrel_compile <data folder> <output folder>\n";
    return 2;
  }
  try {
    std::cout << compile_game_files(argv[1], argv[2]) << "\n";
    return 0;
  } catch (const SourceError& error) {
    std::cerr << error.what() << "\n";
  } catch (const std::exception& error) {
    std::cerr << "kavrel_compile: " << error.what() << "\n";
  }
  return 1;
}
