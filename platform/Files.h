// File system helpers. Paths are plain strings; folders may carry a
// trailing "/".
#pragma once

#include <string>

bool file_exists(const std::string& path);
bool folder_exists(const std::string& path);
// Creates the folder with any missing parents; true when it exists afterwards.
bool ensure_folder(const std::string& path);
