// Reading one TOML table field by field with the checks every source needs:
// a value of the right type and range, names that exist, and no key that
// nothing reads (a misspelt field is an error, never silently ignored).
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <toml++/toml.h>

#include "GAME_Dice.h"
#include "data_names.h"

// The line a TOML node starts on (0 when unknown).
int line_of(const toml::node& node);

// Parses a whole TOML document; a syntax error becomes a SourceError.
toml::table parse_toml(std::string_view text, const std::string& file);

class TomlFields {
 public:
  // file names the source in messages; line is where the table starts.
  TomlFields(const toml::table& table, std::string file, int line);

  bool has(std::string_view key) const;
  const toml::node* node(std::string_view key);  // nullptr when absent
  int line(std::string_view key) const;          // the key's line, else the table's

  // Required values.
  int64_t integer(std::string_view key, int64_t lo, int64_t hi);
  std::string text(std::string_view key, size_t max_length);
  Dice dice(std::string_view key);
  // Optional values with their fallback.
  int64_t integer_or(std::string_view key, int64_t lo, int64_t hi, int64_t fallback);
  bool flag_or(std::string_view key, bool fallback);
  std::string text_or(std::string_view key, size_t max_length, std::string fallback);
  Dice dice_or(std::string_view key, std::string_view fallback);
  Dice dice_or_blank(std::string_view key);  // blank_dice when absent
  const toml::array* array_or_null(std::string_view key);
  const toml::table* table_or_null(std::string_view key);

  // Named values: a block identifier, a furniture identifier, a tag name.
  int block(std::string_view key);
  int block_of(const toml::node& node) const;
  int furniture_of(const toml::node& node) const;
  int tag_of(const toml::node& node) const;
  int64_t integer_of(const toml::node& node, int64_t lo, int64_t hi, std::string_view what) const;
  std::string text_of(const toml::node& node, std::string_view what) const;

  // Reports the first key that no reader asked for.
  void finish() const;

  [[noreturn]] void fail(std::string_view key, const std::string& reason) const;
  [[noreturn]] void fail_at(const toml::node& node, const std::string& reason) const;
  const std::string& file() const { return file_; }
  int table_line() const { return line_; }

 private:
  const toml::table& table_;
  std::string file_;
  int line_;
  std::set<std::string, std::less<>> used_;
};
