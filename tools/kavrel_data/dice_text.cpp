#include "dice_text.h"

#include <cctype>
#include <regex>

#include "source_error.h"

namespace {
// [K+]NdM[+-K] or a plain number, an optional ability term, an optional
// scaling clause "|per_<term>:a[/b]".
const std::regex dice_form(
    R"(^(([+-]?\d+)|((\d+\+)?\d*d\d+([+-]\d+)?))([+-](body|motion|mind|spirit)_mod)?)"
    R"((\|per_(level|dungeon_level|disable|dodge|magic|melee|ranged|search|stealth):\d+(/\d+)?)?$)");

std::string without_spaces(std::string_view text) {
  std::string result;
  for (char c : text)
    if (c != ' ' && c != '\t') result += c;
  return result;
}
}  // namespace

Dice dice_from_text(std::string_view text, const std::string& file, int line) {
  const std::string compact = without_spaces(text);
  std::string lower = compact;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower != "all" && !std::regex_match(compact, dice_form))
    source_fail(file, line, "\"" + std::string(text) + "\" is not a dice expression (e.g. \"2d4+4\", \"3\", \"all\")");
  try {
    return parse_dice(compact);
  } catch (const RangeError&) {
    source_fail(file, line, "dice expression \"" + std::string(text) + "\" has a number out of range");
  }
}
