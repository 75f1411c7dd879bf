#include "shipped_data.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "GAME_Dice.h"
#include "GAME_Global.h"
#include "Generation_Commands.h"

bool load_shipped_data(const std::string& scratch_name) {
  static const bool loaded = [&] {
    setenv("DUNGEON_PROGRAM_FOLDER", TEST_PROGRAM_FOLDER, 1);
    set_message_box_handler([](const std::string& text) { std::cerr << text << "\n"; });
    const bool ok = start_generator();
    const auto scratch = std::filesystem::temp_directory_path() / scratch_name;
    std::filesystem::create_directories(scratch);
    program_folder = scratch.string() + "/";
    return ok;
  }();
  return loaded;
}

bool generate_shipped_dungeon(int level_index, uint32_t seed) {
  rand_seed = seed;
  load_level(level_index);
  return build_level();
}
