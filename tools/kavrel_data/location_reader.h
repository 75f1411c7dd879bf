// A location specification written as a TOML table (level stuff, portal
// placements, the area needs and stuff lists of contents). Fields keep
// their record names; kinds, templates, contents and furniture go by name.
#pragma once

#include <string>
#include <toml++/toml.h>

#include "GAME_Level.h"
#include "data_names.h"

// Stuff types by name: "furniture" 1 .. "splash" 9; 0 when unknown.
int stuff_type_by_name(std::string_view name);

// Reads one specification; run-time and output fields stay 0. chance
// defaults to "100" and amount to "1" so that a plain entry places one thing.
LocationSpec read_location_spec(const toml::table& table, const DataNames& names,
                                const std::string& file);
