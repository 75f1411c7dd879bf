// What every dungeon-cli command shares: running work on the engine started
// as the window starts it, and the one-line failure reports.
#pragma once

#include <functional>
#include <string>

// Prints "dungeon-cli: <reason>" to stderr, line breaks folded into spaces;
// returns the exit code 1.
int fail(const std::string& reason);

// The messages the engine showed during the command, joined by spaces, or
// fallback when it showed none.
std::string engine_reason(const std::string& fallback);

// folder with a trailing "/" unless it is empty or has one.
std::string as_folder(const std::string& folder);

// True when the loaded game data holds a level record numbered level.
bool level_in_data(int level);

// Starts the engine on folder as its program folder ("" = the executable's), runs
// work and shuts the engine down. Returns work's exit code, or 1 after a
// one-line reason when the data could not be loaded or something threw.
int run_with_engine(const std::string& folder, const std::function<int()>& work);
