// A level settings record written as a TOML file: every setting by its
// record name, kinds keyed by kind name, blocks by block identifier, tags
// by tag name, dice as text. Fields the game fills in at run time stay 0.
#pragma once

#include <string>
#include <string_view>

#include "GAME_Level.h"
#include "data_names.h"

// Reads one level file; throws SourceError for anything it cannot accept.
LevelRecord read_level(std::string_view text, const std::string& file, const DataNames& names);
