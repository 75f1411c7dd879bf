#include "Files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
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

void write_whole_file(const std::string& path, std::string_view bytes) {
  const std::string temporary = path + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) throw FileWriteError("Could not write \"" + path + "\": " + std::strerror(errno));
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  written = std::fclose(file) == 0 && written;
  written = written && std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!written) {
    const int reason = errno;
    std::remove(temporary.c_str());
    throw FileWriteError("Could not write \"" + path + "\": " + std::strerror(reason));
  }
}
