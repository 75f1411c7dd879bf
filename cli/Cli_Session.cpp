#include "Cli_Session.h"

#include <cstdlib>
#include <exception>
#include <iostream>
#include <vector>

#include "GAME_Global.h"
#include "GAME_Level.h"
#include "Generation_Commands.h"

namespace {

// What the engine showed in message boxes, in order.
std::vector<std::string> engine_messages;

std::string one_line(const std::string& text) {
  std::string line;
  for (char c : text) {
    const bool space = c == '\r' || c == '\n';
    if (space && (line.empty() || line.back() == ' ')) continue;
    line += space ? ' ' : c;
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

}  // namespace

int fail(const std::string& reason) {
  std::cerr << "dungeon-cli: " << one_line(reason) << "\n";
  return 1;
}

std::string engine_reason(const std::string& fallback) {
  std::string reason;
  for (const std::string& message : engine_messages) reason += (reason.empty() ? "" : " ") + message;
  return reason.empty() ? fallback : reason;
}

std::string as_folder(const std::string& folder) {
  return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

bool level_in_data(int level) {
  return level >= 1 && level <= level_table.highest() && level_table[level].level_map_size != 0;
}

int run_with_engine(const std::string& folder, const std::function<int()>& work) {
  if (!folder.empty()) setenv("DUNGEON_PROGRAM_FOLDER", as_folder(folder).c_str(), 1);
  set_message_box_handler([](const std::string& text) { engine_messages.push_back(text); });
  bool started = false;
  int exit_code = 0;
  try {
    started = start_generator();
    exit_code = started ? work() : fail(engine_reason("the game data could not be loaded"));
  } catch (const std::exception& error) {
    // A failed load shuts the engine down, which may fail in turn: the
    // engine's message names the first cause.
    exit_code = fail(engine_reason(error.what()));
  }
  if (started) {
    try {
      shut_down_engine(false);
    } catch (const std::exception& error) {
      if (exit_code == 0) exit_code = fail(error.what());
    }
  }
  return exit_code;
}
