// The generation state reset: before every map the engine drops what the
// last map left behind, zeroes the engine state block, records the random
// seed and runs the two game routines a level expects (plan names, party).
#pragma once

#include <cstdint>
#include <string>

#include "Range_Check.h"

// Empties marks, areas and the run-time fields of every loaded table, zeroes
// engine_state, records rand_seed as generation_seed and level_seed 0, takes
// the map size (byte 66) and destination level (byte 64) from current_level,
// names the named being plans and sets up the party. True once start-up
// has succeeded.
bool prepare_generation();

// Clears the areas table and the run-time fields of the level records,
// portals, contents, item plans, being plans and area templates, the
// remembered picture variants and the text decks.
void reset_runtime_tables();

// Per picture kind of the catalogue's table 4, the last random picture
// variant, so that two consecutive choices of a kind differ.
extern CheckedArray<uint8_t, 1, 9> remembered_variants;

// ---- Text decks ---------------------------------------------------------
// Each section of the text store draws its lines without repetition from a
// deck: TextSection::deck_remaining entries left, starting at deck_start
// in the shared deck array.

extern CheckedTable<uint16_t> text_deck;
// Gives every section a full deck 0, 1, 2, ... placed after the previous one's.
void reset_text_decks();
void release_text_decks();
// Draws one line of section (one random draw); the empty text when the
// drawn line lies beyond the text store.
std::string draw_text_line(int section);
// Number of the first section with that name; -1 when none.
int find_text_section(const std::string& name);

// ---- Named being plans ----------------------------------------------------

// Expands "%section%" and "%section|chance%" placeholders with drawn lines;
// " ILLEGAL_ID " stands for an unknown section. First character upper case.
std::string expand_name_template(std::string text);
// Most expansions tried for one plan before a repeated name is accepted.
inline constexpr int name_expansion_limit = 1000;
// Gives every named being plan with a "%" template a name not given
// earlier in this pass (cut to 30 characters).
void name_being_plans();

// ---- The party --------------------------------------------------------------

// Reads "Save/Avatars.kav"; false when it is missing or rejected (a damaged
// file shows the corrupted-file message and sets shutting_down).
bool load_avatars();
// The game's party set-up. This system has no beings, so it draws nothing.
void setup_avatars(int depth);
