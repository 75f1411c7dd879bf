// The random-number generator's seeding, random flag picks and the dice
// expressions: rolling, bounds and the text form of the game's content strings.
#include "GAME_Dice.h"

#include <charconv>
#include <chrono>
#include <limits>

#include "GAME_Level.h"

uint32_t rand_seed = 0;

uint32_t seed_from_time_of_day(int hour, int minute, int second, int millisecond) {
  return static_cast<uint32_t>(((hour * 60 + minute) * 60 + second) * 1000 + millisecond);
}

void randomize_from_clock() {
  using namespace std::chrono;
  const auto since_midnight = duration_cast<milliseconds>(system_clock::now().time_since_epoch()) % days(1);
  const hh_mm_ss<milliseconds> time(since_midnight);
  rand_seed = seed_from_time_of_day(static_cast<int>(time.hours().count()),
                                    static_cast<int>(time.minutes().count()),
                                    static_cast<int>(time.seconds().count()),
                                    static_cast<int>(time.subseconds().count()));
}

int32_t pick_random_flag(const bool* flags, int count) {
  int true_count = 0;
  for (int i = 0; i < count; ++i) true_count += flags[i] ? 1 : 0;
  if (true_count == 0) return 0;
  const int32_t chosen = random_int(true_count);
  int seen = 0;
  for (int i = 0; i < count; ++i) {
    if (!flags[i]) continue;
    if (seen == chosen) return i + 1;
    ++seen;
  }
  return 0;  // not reached: chosen < true_count
}

// ---- Rolling and bounds -------------------------------------------------

// The ability, skill and level terms of the being d.being. This system holds
// no being records, so no index names a valid being and the terms are 0.
static int32_t being_terms(const Dice&) { return 0; }

// The per-dungeon-level term: (level div step) x amount on dungeon levels >= 1;
// a step of 0 disables it.
static int32_t dungeon_level_term(const Dice& d) {
  const uint32_t level = current_level.level_index;
  if (d.per_dungeon_level_amount == 0 || d.per_dungeon_level_step == 0 || level < 1) return 0;
  return static_cast<int32_t>(level / d.per_dungeon_level_step) * d.per_dungeon_level_amount;
}

int32_t roll_dice(Dice d) {
  int32_t sum = 0;
  for (int i = 0; i < d.count; ++i) sum += random_int(d.sides) + 1;
  sum += d.bonus;
  sum += being_terms(d);
  return sum + dungeon_level_term(d);
}

int32_t dice_minimum(Dice d, int32_t being) {
  d.being = narrow<uint16_t>(being);
  return being_terms(d) + d.count + d.bonus + dungeon_level_term(d);
}

int32_t dice_maximum(Dice d, int32_t being) {
  d.being = narrow<uint16_t>(being);
  return being_terms(d) + d.count * d.sides + d.bonus + dungeon_level_term(d);
}

// Rolls until the result reaches floor. A floor at or above the maximum is
// lowered to 0; when even 0 lies above the maximum (dice that can only roll
// negative), no roll could reach it and the rolls would never end, so the
// first roll is taken.
int32_t roll_dice_at_least(Dice d, int32_t floor) {
  const int32_t maximum = dice_maximum(d, 0);
  if (floor >= maximum) floor = 0;
  if (floor > maximum) floor = std::numeric_limits<int32_t>::min();
  int32_t result = roll_dice(d);
  while (result < floor) result = roll_dice(d);
  return result;
}

Dice constant_dice(int32_t value) {
  Dice d = blank_dice;
  d.bonus = narrow<int16_t>(value);
  return d;
}

bool dice_is_set(Dice d) {
  if (d.count != 0 || d.sides != 0 || d.bonus != 0 || d.all != 0 || d.per_level_amount > 0 ||
      d.ability != 0 || d.per_dungeon_level_amount > 0 || d.per_dungeon_level_step != 0)
    return true;
  for (int k = 1; k <= 7; ++k)
    if (d.per_skill_amount[k] > 0) return true;
  return false;
}

// ---- Text form ----------------------------------------------------------

namespace {

constexpr const char* skill_names[7] = {"disable", "dodge", "magic", "melee",
                                        "ranged", "search", "stealth"};
constexpr const char* ability_names[4] = {"body", "motion", "mind", "spirit"};

// Reads an optionally signed decimal number that fits 32 bits; fallback otherwise.
int32_t read_integer(std::string_view text, int32_t fallback) {
  if (!text.empty() && text[0] == '+') {
    text.remove_prefix(1);
    if (text.empty() || text[0] == '-') return fallback;
  }
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return fallback;
  return value;
}

std::string to_lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

// Removes leading and trailing control characters and blanks, then every blank.
std::string squeeze_blanks(std::string_view text) {
  std::string result;
  size_t first = 0, last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
  for (size_t i = first; i < last; ++i)
    if (text[i] != ' ') result += text[i];
  return result;
}

// Applies a scaling clause "per_<term>:a/b" (or "per_<term>:a", b = 1).
// A clause without ':' or with an unknown key sets nothing.
void apply_scaling_clause(Dice& d, std::string_view clause) {
  const size_t colon = clause.find(':');
  if (colon == std::string_view::npos) return;
  const std::string_view key = clause.substr(0, colon);
  const std::string_view value = clause.substr(colon + 1);
  const size_t slash = value.find('/');
  const int32_t amount = read_integer(value.substr(0, slash), 0);
  const int32_t step = slash == std::string_view::npos ? 1 : read_integer(value.substr(slash + 1), 0);
  if (!key.starts_with("per_")) return;
  const std::string_view term = key.substr(4);
  if (term == "level") {
    d.per_level_amount = narrow<int16_t>(amount);
    d.per_level_step = narrow<uint8_t>(step);
  } else if (term == "dungeon_level") {
    d.per_dungeon_level_amount = narrow<int16_t>(amount);
    d.per_dungeon_level_step = narrow<uint8_t>(step);
  } else {
    const std::string lower_term = to_lower(term);
    for (int k = 1; k <= 7; ++k) {
      if (lower_term != skill_names[k - 1]) continue;
      d.per_skill_amount[k] = narrow<int16_t>(amount);
      d.per_skill_step[k] = narrow<uint8_t>(step);
      return;
    }
  }
}

// Finds "+<ability>_mod" or "-<ability>_mod" (abilities in order, plus before
// minus), records it in d.ability and removes it from part.
void take_ability_modifier(Dice& d, std::string& part) {
  for (int k = 1; k <= 4; ++k) {
    const std::string suffix = std::string(ability_names[k - 1]) + "_mod";
    for (const char sign : {'+', '-'}) {
      const size_t at = part.find(sign + suffix);
      if (at == std::string::npos) continue;
      d.ability = static_cast<int8_t>(sign == '+' ? k : -k);
      part.erase(at, suffix.size() + 1);
      return;
    }
  }
}

}  // namespace

// Parses "all", "[bonus+][count]d<sides>[+-bonus][+-ability_mod][|per_<term>:a[/b]]"
// or a plain number. Draws nothing; out-of-range fields are range errors.
Dice parse_dice(std::string_view text) {
  Dice d = blank_dice;
  std::string part = squeeze_blanks(text);
  if (to_lower(part) == "all") {
    d.all = 1;
    return d;
  }
  if (const size_t bar = part.find('|'); bar != std::string::npos) {
    apply_scaling_clause(d, std::string_view(part).substr(bar + 1));
    part.erase(bar);
  }
  take_ability_modifier(d, part);

  size_t die = part.find('d');
  if (die == std::string::npos) {
    d.bonus = narrow<int16_t>(read_integer(part, 0));
    return d;
  }
  if (die == 0) {
    d.count = 1;
  } else {
    if (const size_t plus = part.find('+'); plus < die) {
      d.bonus = narrow<int16_t>(read_integer(std::string_view(part).substr(0, plus), 0));
      part.erase(0, plus + 1);
      die = part.find('d');
    }
    d.count = narrow<uint8_t>(read_integer(std::string_view(part).substr(0, die), 1));
  }

  const std::string_view rest = std::string_view(part).substr(die + 1);
  size_t sign = rest.find('+');
  if (sign == std::string_view::npos) sign = rest.find('-');
  if (sign == std::string_view::npos) {
    d.sides = narrow<uint8_t>(read_integer(rest, 1));
    return d;
  }
  d.sides = narrow<uint8_t>(read_integer(rest.substr(0, sign), 1));
  d.bonus = narrow<int16_t>(read_integer(rest.substr(sign), 0));
  return d;
}
