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

// Builds the dungeon of the current level record with call depth 1: chooses
// the natural and built block pairs, makes a new dungeon with up to
// dig_steps dig steps (fewer when the marks run out), finalizes it and
// clears the stencil and the current mark. False when the engine is
// shutting down.
bool build_level();

// "Generate dungeon" without the window: level 0 draws the window's random
// choice, any other level is taken as given; the level is loaded and built,
// step mode ends and the raster is drawn. Returns false when the build failed.
bool generate_dungeon(int level);
