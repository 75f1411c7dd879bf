#include "cli_run.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {
const fs::path built_program_folder = TEST_PROGRAM_FOLDER;
}

std::string read_text_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

CliScratch::CliScratch(const std::string& name)
    : folder_(fs::temp_directory_path() / (name + "_" + std::to_string(::getpid()))) {
  fs::remove_all(folder_);
  fs::create_directories(folder_ / "program");
  if (fs::exists(built_program_folder / "Data")) fs::copy(built_program_folder / "Data", folder_ / "program" / "Data");
}

CliScratch::~CliScratch() { fs::remove_all(folder_); }

bool CliScratch::ready() const {
  return fs::exists(built_program_folder / "dungeon-cli") && fs::exists(folder_ / "program" / "Data" / "Kavrel.kvd");
}

std::string CliScratch::path(const std::string& name) const { return (folder_ / name).string(); }

CliRun CliScratch::run(const std::string& arguments) const {
  const std::string out = path("out.txt"), err = path("err.txt");
  const std::string command = "'" + (built_program_folder / "dungeon-cli").string() + "' " + arguments +
                              " --program-folder '" + path("program") + "' >'" + out + "' 2>'" + err + "'";
  const int status = std::system(command.c_str());
  CliRun result;
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = read_text_file(out);
  result.err = read_text_file(err);
  return result;
}

void expect_one_line_reason(const CliRun& run, const std::string& part) {
  EXPECT_EQ(run.err.rfind("dungeon-cli: ", 0), 0u) << run.err;
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  EXPECT_NE(run.err.find(part), std::string::npos) << run.err;
}
