// Bad input in a data source: the file, the line and a plain reason. The
// compiler prints what() ("<file>:<line>: <reason>") and exits non-zero.
#pragma once

#include <stdexcept>
#include <string>

struct SourceError : std::runtime_error {
  SourceError(const std::string& file, int line, const std::string& reason);
  std::string file;
  int line;
  std::string reason;
};

// Throws SourceError; line 0 means the file as a whole.
[[noreturn]] void source_fail(const std::string& file, int line, const std::string& reason);
