#include "toml_fields.h"

#include "GAME_Dungeon.h"
#include "GAME_Map.h"
#include "dice_text.h"
#include "source_error.h"

int line_of(const toml::node& node) { return static_cast<int>(node.source().begin.line); }

toml::table parse_toml(std::string_view text, const std::string& file) {
  try {
    return toml::parse(text, file);
  } catch (const toml::parse_error& error) {
    source_fail(file, static_cast<int>(error.source().begin.line),
                "TOML syntax: " + std::string(error.description()));
  }
}

TomlFields::TomlFields(const toml::table& table, std::string file, int line)
    : table_(table), file_(std::move(file)), line_(line) {}

bool TomlFields::has(std::string_view key) const { return table_.contains(key); }

const toml::node* TomlFields::node(std::string_view key) {
  used_.insert(std::string(key));
  return table_.get(key);
}

int TomlFields::line(std::string_view key) const {
  for (auto&& [name, value] : table_)
    if (name.str() == key) return static_cast<int>(name.source().begin.line);
  return line_;
}

void TomlFields::fail(std::string_view key, const std::string& reason) const {
  source_fail(file_, line(key), reason);
}

void TomlFields::fail_at(const toml::node& at, const std::string& reason) const {
  const int at_line = line_of(at);
  source_fail(file_, at_line > 0 ? at_line : line_, reason);
}

int64_t TomlFields::integer_of(const toml::node& value, int64_t lo, int64_t hi,
                               std::string_view what) const {
  int64_t number = 0;
  if (const auto* integer = value.as_integer())
    number = integer->get();
  else if (const auto* boolean = value.as_boolean())
    number = boolean->get() ? 1 : 0;
  else
    fail_at(value, std::string(what) + " must be a whole number");
  if (number < lo || number > hi)
    fail_at(value, std::string(what) + " must be " + std::to_string(lo) + ".." +
                       std::to_string(hi) + ", not " + std::to_string(number));
  return number;
}

std::string TomlFields::text_of(const toml::node& value, std::string_view what) const {
  const auto* text = value.as_string();
  if (!text) fail_at(value, std::string(what) + " must be a text in quotes");
  return text->get();
}

int64_t TomlFields::integer(std::string_view key, int64_t lo, int64_t hi) {
  const toml::node* value = node(key);
  if (!value) fail(key, std::string(key) + " is missing");
  return integer_of(*value, lo, hi, key);
}

int64_t TomlFields::integer_or(std::string_view key, int64_t lo, int64_t hi, int64_t fallback) {
  return has(key) ? integer(key, lo, hi) : fallback;
}

bool TomlFields::flag_or(std::string_view key, bool fallback) {
  const toml::node* value = node(key);
  if (!value) return fallback;
  const auto* boolean = value->as_boolean();
  if (!boolean) fail_at(*value, std::string(key) + " must be true or false");
  return boolean->get();
}

std::string TomlFields::text(std::string_view key, size_t max_length) {
  const toml::node* value = node(key);
  if (!value) fail(key, std::string(key) + " is missing");
  std::string result = text_of(*value, key);
  if (result.size() > max_length)
    fail_at(*value, std::string(key) + " is longer than " + std::to_string(max_length) +
                        " characters");
  for (char c : result)
    if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126)
      fail_at(*value, std::string(key) + " may hold plain ASCII characters only");
  return result;
}

std::string TomlFields::text_or(std::string_view key, size_t max_length, std::string fallback) {
  return has(key) ? text(key, max_length) : fallback;
}

Dice TomlFields::dice(std::string_view key) {
  const toml::node* value = node(key);
  if (!value) fail(key, std::string(key) + " is missing");
  const std::string text =
      value->is_integer() ? std::to_string(value->as_integer()->get()) : text_of(*value, key);
  return dice_from_text(text, file_, line_of(*value));
}

Dice TomlFields::dice_or(std::string_view key, std::string_view fallback) {
  return has(key) ? dice(key) : dice_from_text(fallback, file_, line_);
}

Dice TomlFields::dice_or_blank(std::string_view key) { return has(key) ? dice(key) : blank_dice; }

const toml::array* TomlFields::array_or_null(std::string_view key) {
  const toml::node* value = node(key);
  if (!value) return nullptr;
  const auto* list = value->as_array();
  if (!list) fail_at(*value, std::string(key) + " must be a list [ ... ]");
  return list;
}

const toml::table* TomlFields::table_or_null(std::string_view key) {
  const toml::node* value = node(key);
  if (!value) return nullptr;
  const auto* inner = value->as_table();
  if (!inner) fail_at(*value, std::string(key) + " must be a table");
  return inner;
}

int TomlFields::block(std::string_view key) {
  const toml::node* value = node(key);
  if (!value) fail(key, std::string(key) + " is missing");
  return block_of(*value);
}

int TomlFields::block_of(const toml::node& value) const {
  const std::string name = text_of(value, "a block");
  const int id = block_by_name(name);
  if (id == 0) fail_at(value, "unknown block \"" + name + "\"");
  return id;
}

int TomlFields::furniture_of(const toml::node& value) const {
  const std::string name = text_of(value, "a furniture");
  const int id = furniture_by_name(name);
  if (id <= 0) fail_at(value, "unknown furniture \"" + name + "\"");
  return id;
}

int TomlFields::tag_of(const toml::node& value) const {
  const std::string name = text_of(value, "a tag");
  const int id = tag_by_name(name);
  if (id == 0) fail_at(value, "unknown tag \"" + name + "\"");
  return id;
}

void TomlFields::finish() const {
  for (auto&& [name, value] : table_)
    if (!used_.contains(name.str()))
      source_fail(file_, static_cast<int>(name.source().begin.line),
                  "unknown field \"" + std::string(name.str()) + "\"");
}
