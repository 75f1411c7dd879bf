// Small map regions as text, for fixtures and for failures that show the map.
//
// One character per cell, rows from north (smallest y) to south, each row
// ended by '\n'. Cell characters:
//   ' ' block 0        '#' wall block        '.' floor block
//   '+' door (8..10)   'S' secret door (11)  '>' stairs down  '<' stairs up
//   '*' any other furniture                  '~' off the map (map_text only)
// Furniture wins over the block, so a secret door on its wall block shows 'S'.
//
//   paint_map_text(10, 10, R"(
//   ###
//   .+.
//   ###)");
//   EXPECT_EQ(map_text(10, 10, 12, 12), "###\n.+.\n###\n");
#pragma once

#include <string>
#include <string_view>

// Sets map_size and empties the whole map storage, every side layer, the
// areas table and dungeon.claimed_cell_count: a blank map for a test.
void reset_test_map(int size);

// The cells x1..x2 by y1..y2 as text.
std::string map_text(int x1, int y1, int x2, int y2);

// The area_index of every cell x1..x2 by y1..y2: '-' for 0, '1'..'9', 'a'..'z'
// for 10..35, '*' above; '~' off the map.
std::string area_text(int x1, int y1, int x2, int y2);

struct MapTextPaint {
  int wall = 1;        // block for '#' and 'S'
  int floor = 51;      // block for '.', '+', '>' and '<'
  int area_kind = 0;   // written into every painted cell
  int area_index = 0;
};

// Writes a picture onto the map with its first character at (x, y); one
// leading newline is skipped, so raw strings can start on their own line.
// Every cell named by one of the cell characters above (except '*' and '~')
// is reset to the empty cell and then gets its block, the paint's area and,
// for '+' a closed door, for 'S' a hidden secret door (difficulty 1), for
// '>' '<' the stairs. Other characters leave their cell as it is. Cells are
// written directly: no side layer and no counter changes.
void paint_map_text(int x, int y, std::string_view text, const MapTextPaint& paint = {});

// Writes area numbers in the characters of area_text ('-' is 0) and the
// given kind into cells; other characters (e.g. ' ') leave their cell as it is.
void paint_area_text(int x, int y, std::string_view text, int area_kind);
