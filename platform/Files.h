// File system helpers. Paths are plain strings; folders may carry a
// trailing "/".
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

// A file could not be written; the message names the file and the reason.
struct FileWriteError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

bool file_exists(const std::string& path);
bool folder_exists(const std::string& path);
// Creates the folder with any missing parents; true when it exists afterwards.
bool ensure_folder(const std::string& path);

// Writes bytes to "<path>.tmp" and renames that over path, so a failed write
// never leaves a partial file under path (nor the temporary file). Throws
// FileWriteError "Could not write \"<path>\": <reason>".
void write_whole_file(const std::string& path, std::string_view bytes);
