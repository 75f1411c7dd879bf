// Builders and passes whose real code has not landed yet. Each fails without
// touching the map, so a dig step that tries them ends with its mark on the
// failed mark list, identically for the same seed. Each routine moves to its
// own file when it is built.
#include "GAME_Dungeon.h"

bool create_natural(int, int, int, int, int) { return false; }
bool create_special(int, int, int, int, int, int) { return false; }
bool is_hallway_end(int, int, int) { return false; }
bool is_vault_dead_end(int, int, int) { return false; }
bool continue_hallway(int, int, int, bool, int) { return false; }
bool continue_vault_deadend(int, int, int, int) { return false; }
void terminate_hallways(bool, int) {}
