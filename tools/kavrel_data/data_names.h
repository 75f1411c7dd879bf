// The names a data source may use for things defined elsewhere: area kinds,
// templates (by their name), contents (by their code), tags, blocks and
// furniture. Every lookup that fails is reported at the line that used it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Templates and contents in number order (entry i - 1 is number i).
struct DataNames {
  std::vector<std::string> templates;
  std::vector<std::string> contents;
  int template_count() const { return static_cast<int>(templates.size()); }
};

// Each returns 0 when the name is unknown.
int kind_by_name(std::string_view name);  // "corridor" .. "vault" -> 1..9
int template_by_name(const DataNames& names, std::string_view name);
int content_by_name(const DataNames& names, std::string_view name);

// An area code as the generator reads it: a kind name (1..9) or a template
// name (9 + template number); 0 when it is neither.
int area_code_by_name(const DataNames& names, std::string_view name);
