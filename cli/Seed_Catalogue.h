// The seed catalogue: one line per level and seed describing the map the
// generator builds, so that any change of the random draws or of the
// builders shows up as changed lines against a stored catalogue.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

// 64-bit FNV-1a over block, area_kind, area_index, furniture and
// furniture_state of every cell of the current map, x outer and y inner
// from 1 to map_size.
uint64_t map_cell_digest();

// The catalogue line of the current map built from seed, e.g.
// "seed 1 level 3 areas 113 corridor 30 ... vault 2 doors 41 secret_doors 6 digest 0123456789abcdef":
// the count of areas, per kind (corridor .. vault), of door cells (8..10)
// and of secret doors (11).
std::string catalogue_line(uint32_t seed);

// Writes the whole catalogue to out: comment lines starting with "#" that name the
// command which reproduces it, then for every level (outer) and seed
// (inner), in the order given, the line of the map that "dungeon-cli
// generate --seed S --level L" builds, each line flushed as it is done.
// Throws std::runtime_error when a map cannot be built. Levels must be in
// the loaded data.
void write_seed_catalogue(const std::vector<int>& levels, const std::vector<uint32_t>& seeds, std::ostream& out);
