// The finished map as a JSON document for people who use the maps in their
// own games and tools; docs/map-json.md describes the format.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

// Raised whenever a field changes its meaning or goes away; new fields may
// be added without a new version.
inline constexpr int map_json_format_version = 1;

// The map of the current level as built: header (format, version, seed,
// level, map size), name tables of the ids used, every cell's layers, every
// area with its neighbours and every door. seed is the random seed the map
// was built from. The passages of the neighbours come from the door states
// recomputed from the map, as level set-up does after finalization; the
// engine's areas table is left exactly as it was.
nlohmann::ordered_json map_json(uint32_t seed);

// map_json laid out by json_layout_text: byte-identical for the same map.
std::string map_json_text(uint32_t seed);
