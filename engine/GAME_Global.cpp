// The engine state block, the process-wide flags, the error log and the
// small platform hooks (message box, local clock) the engine reports through.
#include "GAME_Global.h"

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <stdexcept>

EngineState engine_state;

std::vector<std::string> error_log;
bool shutting_down = false;
bool error_flag = false;
std::string program_folder;

const char* trace_name(int id) {
  check_index(id, 0, trace_name_count - 1);
  return trace_names[id];
}

// ---- Message box and clock hooks ----------------------------------------

static MessageBoxHandler message_box_handler;
static LocalClock local_clock;

void set_message_box_handler(MessageBoxHandler handler) { message_box_handler = std::move(handler); }

void show_message_box(const std::string& text) {
  if (message_box_handler)
    message_box_handler(text);
  else
    std::fprintf(stderr, "%s\n", text.c_str());
}

void set_local_clock(LocalClock clock) { local_clock = std::move(clock); }

LocalDateTime local_now() {
  if (local_clock) return local_clock();
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  const auto millisecond = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
          local.tm_min,         local.tm_sec,     static_cast<int>(millisecond)};
}

std::string format_text(const char* pattern, ...) {
  va_list args;
  va_start(args, pattern);
  va_list measure;
  va_copy(measure, args);
  const int length = std::vsnprintf(nullptr, 0, pattern, measure);
  va_end(measure);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), pattern, args);
    text.resize(static_cast<size_t>(length));
  }
  va_end(args);
  return text;
}

// ---- Error log -----------------------------------------------------------

// The lines of one log entry: blank, release + time stamp + message, blank,
// the trace slots 1..depth (capped at the last slot) joined by " ->", two blanks.
static std::vector<std::string> error_entry(int depth, const std::string& message) {
  const LocalDateTime now = local_now();
  std::vector<std::string> lines;
  lines.emplace_back();
  lines.push_back(format_text("  Release %d", release_number) +
                  format_text("     %04d-%02d-%02d %02d:%02d     ", now.year, now.month, now.day,
                              now.hour, now.minute) +
                  message);
  lines.emplace_back();
  const int last_slot = std::min(depth, trace_slot_count);
  for (int slot = 1; slot <= last_slot; ++slot)
    lines.push_back(std::string("  ") + trace_name(engine_state.trace_stack[slot]) +
                    (slot < last_slot ? " ->" : ""));
  lines.emplace_back();
  lines.emplace_back();
  return lines;
}

// Replaces "Error-log.txt" with error_log, one CR LF ended line per entry.
static void save_error_log() {
  const std::string path = program_folder + "Error-log.txt";
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  for (const std::string& line : error_log) file << line << "\r\n";
  file.close();
  if (!file) throw std::runtime_error("Could not write " + path);
}

void report_error(int depth, const std::string& message, bool shut_down) {
  if (depth == 0) return;
  const std::vector<std::string> entry = error_entry(depth, message);
  error_log.insert(error_log.begin(), entry.begin(), entry.end());
  save_error_log();

  std::string user_text = message;
  if (error_flag) {
    // The game would journal "Game crashed." and save a crash report; this
    // system has neither, so the crash save only clears the flag.
    user_text += "\r\n\r\nTrying to save the game and create a crash report.";
    error_flag = false;
  }
  if (shut_down && !shutting_down) {
    user_text += "\r\n\r\nShutting down!";
    show_message_box(user_text);
    shutting_down = true;
  }
}
