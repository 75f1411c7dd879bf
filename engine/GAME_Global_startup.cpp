// Engine start-up, release and shutdown, with the game's housekeeping in
// the program folder: updater leftovers, temporary level files, the
// statistics file and the settings file.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "GAME_Dice.h"
#include "GAME_Dungeon.h"
#include "GAME_File.h"
#include "GAME_Global.h"
#include "GAME_Graphics.h"
#include "GAME_Map.h"
#include "GAME_Reset.h"

namespace fs = std::filesystem;

EngineSettings engine_settings;

namespace {

// The environment variable DUNGEON_PROGRAM_FOLDER, when set and not empty,
// replaces the executable's folder as the program folder (the command-line
// tool and the tests point it at a folder of their own).
std::string find_program_folder() {
  std::string folder;
  if (const char* override_folder = std::getenv("DUNGEON_PROGRAM_FOLDER");
      override_folder != nullptr && override_folder[0] != '\0') {
    folder = override_folder;
  } else {
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    folder = error ? fs::current_path().string() : exe.parent_path().string();
  }
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

// Deletes a file; a missing, locked or protected file is left alone.
void delete_quietly(const fs::path& path) {
  std::error_code ignored;
  fs::remove(path, ignored);
}

void delete_updater_leftovers() {
  for (const char* name : {"Get_Release.bat", "Update.bat", "Kavrel.zip"})
    delete_quietly(program_folder + name);
}

// Deletes the files of folder that should_delete accepts, clearing their
// read-only attribute first; sub-folders and their contents stay.
template <class Predicate>
void delete_files_in(const fs::path& folder, Predicate should_delete) {
  std::error_code error;
  if (!fs::is_directory(folder, error)) return;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    if (entry.is_directory(error)) continue;
    if (should_delete(entry)) {
      fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, error);
      delete_quietly(entry.path());
    }
  }
}

void load_error_log() {
  std::vector<uint8_t> bytes;
  if (!read_whole_file(program_folder + "Error-log.txt", bytes)) return;
  error_log = split_text_lines(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// Local date and time as days since 1899-12-30 00:00, time of day as fraction.
double local_date_time_value(const LocalDateTime& t) {
  // Days from 1970-01-01 to the civil date (proleptic Gregorian calendar).
  const int y = t.month <= 2 ? t.year - 1 : t.year;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int year_of_era = y - era * 400;
  const int month_index = t.month > 2 ? t.month - 3 : t.month + 9;
  const int day_of_year = (153 * month_index + 2) / 5 + t.day - 1;
  const int day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  const long days_since_1970 = static_cast<long>(era) * 146097 + day_of_era - 719468;
  const double seconds = t.hour * 3600.0 + t.minute * 60.0 + t.second + t.millisecond / 1000.0;
  return static_cast<double>(days_since_1970 + 25569) + seconds / 86400.0;
}

void write_file_or_throw(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("Cannot create file \"" + path + "\"");
}

// "Data/Kavrel.kst": the version header (52, length 56) and the 56-byte
// statistics record, whose first 8 bytes hold the close time.
void write_statistics_file() {
  VersionHeader header{game_data_version, {0, 0}, 56};
  std::string bytes(sizeof header + 56, '\0');
  std::memcpy(bytes.data(), &header, sizeof header);
  const double now = local_date_time_value(local_now());
  std::memcpy(bytes.data() + sizeof header, &now, sizeof now);
  write_file_or_throw(program_folder + "Data/Kavrel.kst", bytes);
}

std::string settings_line(const std::string& key, const std::string& value) {
  std::string line = key;
  if (line.size() < 25) line.append(25 - line.size(), '.');
  return line + " " + value + "\r\n";
}

// "Data/Settings.txt": the game's display and play settings.
void write_settings_file() {
  auto flag = [](bool on) { return std::string(on ? "Y" : "N"); };
  std::string text;
  text += settings_line("monitor", std::to_string(engine_settings.monitor_to_save));
  text += settings_line("tile_size", std::to_string(engine_settings.tile_size));
  text += settings_line("tiles_32_horizontal", "0");  // 0: as many as fit
  text += settings_line("tiles_32_vertical", "0");
  text += "\r\n";
  text += settings_line("zoom", "100");
  text += settings_line("fullscreen", flag(false));
  text += settings_line("game_font", "-");
  text += settings_line("default_name", "-");
  text += settings_line("block_colors", flag(engine_settings.block_colors));
  write_file_or_throw(program_folder + "Data/Settings.txt", text);
  engine_settings.saved_monitor = engine_settings.monitor_to_save;
}

}  // namespace

void start_engine() {
  program_folder = find_program_folder();
  build_key_text();
  engine_settings = EngineSettings{};
  engine_settings.tileset_name = "Kavrel";
  error_log.clear();
  release_game_data();
  clear_marks();
  empty_areas();
  randomize_from_clock();
  init_geometry_tables();
  delete_updater_leftovers();
  delete_files_in(program_folder + "Save", [](const fs::directory_entry& entry) {
    return entry.path().filename().string().ends_with(".kzz");
  });
  load_error_log();
}

// error_log is kept: it mirrors "Error-log.txt", and a report made after a
// release (between two shutdowns) must not write a log without the old entries.
void release_engine() {
  release_game_data();
  release_text_decks();
  empty_areas();
  clear_marks();
}

void shut_down_engine(bool terminate) {
  delete_updater_leftovers();
  delete_files_in(program_folder + "Temporary", [](const fs::directory_entry&) { return true; });
  write_statistics_file();
  if (engine_settings.window_monitor != engine_settings.saved_monitor) {
    engine_settings.monitor_to_save = engine_settings.window_monitor;
    write_settings_file();
  }
  release_graphics();
  release_engine();
  if (terminate) std::exit(0);
}
