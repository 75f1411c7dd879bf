// Drawing on a picture with its pen and brush. Coordinates are pixels from
// the top-left corner; everything is clipped to the picture.
#pragma once

#include "Picture.h"

// A line from (x1, y1) towards (x2, y2) in the pen colour: the pixels from
// the start up to, not including, the end point. A pen wider than 1 stamps a
// pen-width square centred on each of those pixels.
void draw_line(Picture& picture, int x1, int y1, int x2, int y2);

// Fills columns left..right-1 and rows top..bottom-1 with the brush colour;
// nothing when the brush is clear or the rectangle is empty.
void fill_rect(Picture& picture, int left, int top, int right, int bottom);

// The outline of the ellipse that fits the rectangle (columns left..right-1,
// rows top..bottom-1), drawn with the pen: a ring of pen-width pixels centred
// on the ellipse's edge, so a wide pen reaches half its width outside the
// rectangle. The inside is filled with the brush unless the brush is clear.
void draw_ellipse(Picture& picture, int left, int top, int right, int bottom);

// Copies source onto the rectangle (left, top, right, bottom) of target by
// pixel replication, no smoothing: target column c shows source column
// (c - left) * source width / (right - left), and likewise for rows.
void stretch_draw(Picture& target, int left, int top, int right, int bottom, const Picture& source);
