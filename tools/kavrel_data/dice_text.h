// Dice expressions written as text in the sources ("2d4+4", "all",
// "1d4|per_dungeon_level:1/2"): checked for their form, then read with the
// engine's parse_dice so that the compiler and the game agree on them.
#pragma once

#include <string>
#include <string_view>

#include "GAME_Dice.h"

// Throws SourceError at file:line for a text that is not a dice expression
// or whose numbers do not fit the record.
Dice dice_from_text(std::string_view text, const std::string& file, int line);
