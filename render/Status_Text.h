// Messages drawn as large centred text on the map view in place of the map.
// A status text is lines separated by CR LF; an empty line is skipped and
// takes no room, so a line holding one blank stands for an empty line.
#pragma once

#include <string>

#include "Picture.h"
#include "Text.h"

// The start-up splash. It has no web-address line: the project has no home page.
std::string splash_text();
inline constexpr const char* please_wait_text = "PLEASE WAIT\r\n \r\nGENERATING DUNGEON";
inline constexpr const char* done_text = "DONE!";
inline constexpr const char* cancelled_text = "CANCELLED!";
inline constexpr const char* no_area_chances_text = "NO AREA CHANCES!";
inline constexpr const char* just_vaults_text = "CAN NOT CREATE JUST VAULTS!";
// The mass run's progress: map number of total.
std::string mass_progress_text(int number, int total);

// Number of CR LF separators, plus one when text follows the last one.
int count_text_lines(const std::string& text);

// Widest line and total height of the non-empty lines in the picture's
// current font, with round(|font height| * spacing) between two lines.
TextSize measure_text_block(const Picture& picture, const std::string& text, float spacing);

// Draws the text centred on the picture inside margin, in the picture's font
// name and colour, at the largest font height from max_height down to 8
// pixels at which it fits (at 8 it is drawn even if it does not fit). The
// block is centred on the last height measured while fitting, so a text that
// fits at no height is centred on its 9-pixel height and drawn at 8.
void fit_text_block(Picture& picture, int max_height, int margin, const std::string& text, float spacing);

// Shows text on the display picture (cleared to black first when asked) in
// light grey Verdana and repaints the map view.
void draw_status_text(bool clear_first, const std::string& text);
