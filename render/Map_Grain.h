// The grain pass of the map picture.
#pragma once

#include "Picture.h"

// Jitters every pixel of the picture, row by row from the top and left to
// right, with random_int draws: about half of the black, white and
// background-blue pixels get a darker, lighter or scaled shade; every other
// pixel is scaled by (100 + b - c) / 100 with b, c in 0..4.
void grain_picture(Picture& picture);
