// Text drawing and measurement in a picture's font (name, height, colour),
// through FreeType with the font file that fontconfig finds for the name:
// the named family when the system has it, else its nearest match (for
// "Verdana" on most Linux systems, DejaVu Sans). Measuring and drawing use
// the same face at the same size, so measured text fits what is drawn.
//
// Texts are 8-bit strings; each byte is one character (Latin-1).
#pragma once

#include <string>
#include <string_view>

#include "Picture.h"

struct TextSize {
  int width = 0;   // sum of the characters' advances
  int height = 0;  // the character cell height of the font
};

TextSize text_size(const Picture& picture, std::string_view text);

// Draws text with its cell's top-left corner at (x, y) in the font colour,
// smoothing glyph edges into what lies behind them. With a solid brush the
// text's cell rectangle is filled with the brush colour first.
void draw_text(Picture& picture, int x, int y, std::string_view text);

// The font file that the given family name resolves to.
std::string font_file_for(const std::string& family);
