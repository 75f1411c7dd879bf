#include "GAME_Level.h"

CheckedTable<LevelRecord> level_table;
LevelRecord current_level;
