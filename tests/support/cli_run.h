// Runs the built dungeon-cli as a program on a scratch copy of the build's
// data, for the tests of its commands.
#pragma once

#include <filesystem>
#include <string>

struct CliRun {
  int exit_code = -1;
  std::string out, err;
};

// The whole file, "" when it cannot be read.
std::string read_text_file(const std::filesystem::path& path);

// A scratch folder (named after the test program and the process) holding
// program/Data as a copy of the build's data files; removed again when the
// object goes.
class CliScratch {
 public:
  explicit CliScratch(const std::string& name);
  ~CliScratch();
  CliScratch(const CliScratch&) = delete;
  CliScratch& operator=(const CliScratch&) = delete;

  // True when the built program and its game data file are there.
  bool ready() const;
  // A path inside the scratch folder.
  std::string path(const std::string& name) const;
  // Runs dungeon-cli with the arguments (a shell word list) and
  // --program-folder naming the scratch copy of the data.
  CliRun run(const std::string& arguments) const;

 private:
  std::filesystem::path folder_;
};

// Expects the run's stderr to be one line that starts with the program's
// name and contains part.
void expect_one_line_reason(const CliRun& run, const std::string& part);
