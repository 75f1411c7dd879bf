#include "Files.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

bool file_exists(const std::string& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

bool folder_exists(const std::string& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

bool ensure_folder(const std::string& path) {
  if (folder_exists(path)) return true;
  std::error_code error;
  fs::create_directories(path, error);
  return folder_exists(path);
}
