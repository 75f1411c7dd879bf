#include "source_error.h"

namespace {
std::string located(const std::string& file, int line, const std::string& reason) {
  return file + ":" + std::to_string(line) + ": " + reason;
}
}  // namespace

SourceError::SourceError(const std::string& file_name, int line_number, const std::string& why)
    : std::runtime_error(located(file_name, line_number, why)),
      file(file_name),
      line(line_number),
      reason(why) {}

void source_fail(const std::string& file, int line, const std::string& reason) {
  throw SourceError(file, line, reason);
}
