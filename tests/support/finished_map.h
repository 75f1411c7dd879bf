// What every finished dungeon must satisfy, checked by the whole-generation tests.
#pragma once

#include <string>

// Empty when the current map is a sound finished dungeon, else what is
// wrong (with a small map snapshot where a cell is at fault): no cell
// without a block, no cell of an unregistered area, every door and secret
// door between at least two orthogonal walls, secret difficulty exactly on
// hidden secret doors, exactly area_counter - 1 area slots, both mark lists
// empty and open, and nothing in the error log.
std::string finished_map_problem();
