#include "Seed_Catalogue.h"

#include <cinttypes>
#include <cstdio>
#include <ostream>
#include <stdexcept>

#include "GAME_Dice.h"
#include "GAME_Global.h"
#include "GAME_Level.h"
#include "GAME_Map.h"
#include "Generation_Commands.h"
#include "Number_List.h"
#include "Range_Check.h"

namespace {

constexpr uint64_t fnv_offset_basis = 14695981039346656037ull;
constexpr uint64_t fnv_prime = 1099511628211ull;

void digest_byte(uint64_t& digest, uint8_t byte) {
  digest ^= byte;
  digest *= fnv_prime;
}

}  // namespace

uint64_t map_cell_digest() {
  uint64_t digest = fnv_offset_basis;
  for (int x = 1; x <= map_size; ++x)
    for (int y = 1; y <= map_size; ++y) {
      const MapCell& cell = map_cells(x, y);
      for (const uint8_t byte : {cell.block, cell.area_kind, cell.area_index, cell.furniture, cell.furniture_state})
        digest_byte(digest, byte);
    }
  return digest;
}

std::string catalogue_line(uint32_t seed) {
  CheckedArray<int, 0, area_kind_count> kinds{};
  int area_total = 0;
  for (int number = 1; number <= areas.highest(); ++number) {
    const int kind = areas[number].kind;
    if (kind == 0) continue;
    ++area_total;
    ++kinds[kind];
  }
  int doors = 0, secret_doors = 0;
  for (int x = 1; x <= map_size; ++x)
    for (int y = 1; y <= map_size; ++y) {
      const int f = map_cells(x, y).furniture;
      doors += f >= furniture::door && f <= furniture::door_cell;
      secret_doors += f == furniture::door_secret;
    }
  std::string line = format_text("seed %u level %d areas %d", seed, int(current_level.level_index), area_total);
  for (int kind = 1; kind <= area_kind_count; ++kind)
    line += format_text(" %s %d", area_kind_names[kind], kinds[kind]);
  char digest[17];
  std::snprintf(digest, sizeof digest, "%016" PRIx64, map_cell_digest());
  return line + format_text(" doors %d secret_doors %d digest ", doors, secret_doors) + digest;
}

void write_seed_catalogue(const std::vector<int>& levels, const std::vector<uint32_t>& seeds, std::ostream& out) {
  const std::vector<uint32_t> level_numbers(levels.begin(), levels.end());
  const std::string command =
      "build/program/dungeon-cli catalogue --levels " + number_list_text(level_numbers) + " --seeds " +
      number_list_text(seeds);
  out <<
      "# Seed catalogue: the maps that \"dungeon-cli generate --seed S --level L\" builds, one line per\n"
      "# level and seed: area counts in all and per kind, door and secret-door cells, and a digest of\n"
      "# every cell's block, area kind, area index, furniture and furniture state.\n"
      "# Made by\n"
      "#   " + command + " > tests/golden/seed_catalogue.txt\n"
      "# Refresh it that way only when a change of the random draws or of the builders is intended,\n"
      "# and say in the commit message why the maps changed.\n";
  for (const int level : levels)
    for (const uint32_t seed : seeds) {
      rand_seed = seed;
      if (!generate_dungeon(level))
        throw std::runtime_error(format_text("the dungeon of level %d, seed %u could not be generated", level, seed));
      out << catalogue_line(seed) << std::endl;
    }
}
