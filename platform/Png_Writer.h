// Writes a picture as a PNG file: 8 bits per channel RGB, no alpha, not
// interlaced, the PNG library's default compression.
#pragma once

#include <string>

#include "Files.h"
#include "Picture.h"

// Writes the picture to "<path>.tmp" and renames that over path, so a failed
// write never leaves a broken file under path (nor the temporary file).
// Throws FileWriteError "Could not write \"<path>\": <reason>".
void write_png(const Picture& picture, const std::string& path);
