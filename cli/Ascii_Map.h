// The map as plain text, one character per cell, rows from north to south:
//   ' ' a cell of no area   '#' wall   '.' floor   '+' door   'S' secret door
//   '>' stairs down   '<' stairs up   '*' any other furniture
#pragma once

#include <string>

std::string ascii_map_text();
