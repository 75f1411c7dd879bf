#include "data_names.h"

#include "GAME_Map.h"

namespace {
int position_of(const std::vector<std::string>& list, std::string_view name) {
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i] == name) return static_cast<int>(i) + 1;
  return 0;
}
}  // namespace

int kind_by_name(std::string_view name) {
  for (int kind = 1; kind <= area_kind_count; ++kind)
    if (name == area_kind_names[kind]) return kind;
  return 0;
}

int template_by_name(const DataNames& names, std::string_view name) {
  return position_of(names.templates, name);
}

int content_by_name(const DataNames& names, std::string_view name) {
  return position_of(names.contents, name);
}

int area_code_by_name(const DataNames& names, std::string_view name) {
  if (const int kind = kind_by_name(name)) return kind;
  if (const int t = template_by_name(names, name)) return area_kind_count + t;
  return 0;
}
