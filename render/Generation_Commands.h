// The generator's start-up and its "Generate dungeon" path without any
// toolkit, shared by the window and the command line.
#pragma once

#include "Range_Check.h"

// The level records maps are built for, chosen by r = random_int(4).
extern const CheckedArray<int, 0, 3> generated_levels;

// The engine start-up of the window: release_engine, start_engine,
// create_graphics, the data name "Kavrel", load_game_data and
// load_tile_catalogue, then every level record excludes tag 13 from its
// specials. False after a failed load: its message has been shown and the
// engine shut down (without ending the process).
bool start_generator();

// One random_int(4) draw: level 3, 4, 6 or 8.
int choose_level_index();

// Copies level record `level` of the level table over the current level
// record and resets the engine for a new map of that record's size. A level
// outside the table is a range error.
void load_level(int level);

// The least area_counter an attempt must reach: round(0.3 x dig_steps) in
// extended precision, halves to even (so 95 gives 29, not 28).
long long acceptance_threshold(int dig_steps);

// Builds the dungeon of the current level record with call depth 1, as the
// level creation does: chooses the natural and built block pairs once, then
// makes attempts (create_dungeon and up to dig_steps dig steps each) until
// one leaves no forced area pending and reaches acceptance_threshold, at
// most 1000; from attempt 900 on a forced area that keeps failing is struck
// from the current record. The accepted dungeon is finalized and the stencil
// and the current mark are cleared. A level that cannot be built is a fatal
// report. False when the engine is shutting down.
bool build_level();

// "Generate dungeon" without the window: level 0 draws the window's random
// choice, any other level is taken as given; the level is loaded and built,
// step mode ends and the raster is drawn. Returns false when the build failed.
bool generate_dungeon(int level);
