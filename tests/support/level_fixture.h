// An in-memory level settings record for tests, with usable defaults, and
// helpers that install it (and optional area templates) as the engine's
// loaded data. Override any field on the returned record before installing:
//
//   LevelRecord level = default_level_record();
//   level.dungeon.area_chance.fill(0);
//   install_level(level);
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "GAME_Dungeon.h"
#include "GAME_Level.h"

// A dice expression count d sides + bonus.
Dice make_dice(int count, int sides, int bonus);

// Level index 3, map size 128, 100 dig steps, chances for every kind (the
// special and vault chances only matter once templates are installed), two
// natural and two built block pairs already chosen into the block fields,
// one special and one vault pair, no forced areas, run-time fields 0.
LevelRecord default_level_record();

// Makes record the level table entry of its level index (growing the table
// as needed) and the current level record, and sets map_size from it, as
// level set-up does.
void install_level(const LevelRecord& record);

// A dungeon as create_dungeon leaves it but without the seed mark and
// without random draws: the working copy taken from current_level with
// area_counter 1, the whole map storage and every side layer zeroed, no
// marks, no areas. Call after install_level.
void reset_dungeon_state();

// A blank template named name (a "sp_" prefix makes it a special) carrying
// the given tags, with size 0 and no use limits.
AreaTemplate make_template(const std::string& name, std::initializer_list<int> tags = {});

// Replaces the loaded template table with templates 1..n.
void install_templates(const std::vector<AreaTemplate>& templates);
