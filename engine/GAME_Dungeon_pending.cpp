// Builders and passes whose real code has not landed yet. Each fails without
// touching the map, so a dig step that tries them ends with its mark on the
// failed mark list, identically for the same seed. Each routine moves to its
// own file when it is built.
#include "GAME_Dungeon.h"

