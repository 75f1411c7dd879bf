// The one random-number generator of the program and the dice expressions
// that the game's data records use for random amounts.
//
// Every random decision anywhere in the program draws from rand_seed; the
// number and order of draws is part of each routine's behaviour.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Range_Check.h"

// The generator state: 0 at load, seeded once from the clock at start-up.
extern uint32_t rand_seed;

#pragma pack(push, 1)
// A dice expression as stored in the data file (38 bytes, little-endian).
struct Dice {
  uint8_t count;
  uint8_t sides;
  int16_t bonus;
  int8_t ability;  // 0 none; +k adds, -k subtracts the modifier of ability k
  uint8_t all;     // 1 when the text form was "all"
  int16_t per_level_amount;
  uint8_t per_level_step;
  uint8_t reserved_9;
  int16_t per_dungeon_level_amount;
  uint8_t per_dungeon_level_step;
  uint8_t reserved_13;
  CheckedArray<int16_t, 1, 7> per_skill_amount;
  CheckedArray<uint8_t, 1, 7> per_skill_step;
  uint8_t reserved_35;
  uint16_t being;  // 0 = none; there are no beings in this system
};
#pragma pack(pop)

static_assert(sizeof(Dice) == 38);
static_assert(offsetof(Dice, count) == 0);
static_assert(offsetof(Dice, sides) == 1);
static_assert(offsetof(Dice, bonus) == 2);
static_assert(offsetof(Dice, ability) == 4);
static_assert(offsetof(Dice, all) == 5);
static_assert(offsetof(Dice, per_level_amount) == 6);
static_assert(offsetof(Dice, per_level_step) == 8);
static_assert(offsetof(Dice, per_dungeon_level_amount) == 10);
static_assert(offsetof(Dice, per_dungeon_level_step) == 12);
static_assert(offsetof(Dice, per_skill_amount) == 14);
static_assert(offsetof(Dice, per_skill_step) == 28);
static_assert(offsetof(Dice, being) == 36);

inline constexpr Dice blank_dice{};

// Seeds rand_seed with the milliseconds since UTC midnight.
void randomize_from_clock();
// Same, from a given UTC time of day (used by randomize_from_clock and tests).
uint32_t seed_from_time_of_day(int hour, int minute, int second, int millisecond);

// Advances the generator once; for n >= 1 returns an integer in 0..n-1.
inline int32_t random_int(int32_t n) {
  rand_seed = rand_seed * 134775813u + 1u;
  const uint64_t product = static_cast<uint64_t>(static_cast<uint32_t>(n)) * rand_seed;
  return static_cast<int32_t>(static_cast<uint32_t>(product >> 32));
}
inline int32_t random_percent() { return random_int(100) + 1; }
inline int32_t random_permille() { return random_int(1000) + 1; }

// Position (from 1) of a random true entry of flags[0..count-1]; 0 (no draw) when none.
int32_t pick_random_flag(const bool* flags, int count);

int32_t roll_dice(Dice d);
int32_t dice_minimum(Dice d, int32_t being);
int32_t dice_maximum(Dice d, int32_t being);
int32_t roll_dice_at_least(Dice d, int32_t floor);
Dice constant_dice(int32_t value);
bool dice_is_set(Dice d);
Dice parse_dice(std::string_view text);
