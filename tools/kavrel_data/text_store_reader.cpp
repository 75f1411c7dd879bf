#include "text_store_reader.h"

#include <set>
#include <sstream>

#include "source_error.h"

namespace {
bool is_section_name(const std::string& name) {
  if (name.empty()) return false;
  for (char c : name)
    if (!(std::islower(static_cast<unsigned char>(c)) || std::isdigit(static_cast<unsigned char>(c)) || c == '_'))
      return false;
  return true;
}

std::string trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  const size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}
}  // namespace

TextStore read_text_store(std::string_view text, const std::string& file) {
  TextStore store;
  std::vector<std::string> names{"-"};  // line k of the names section names section k
  store.directory.push_back(TextSection{});
  std::set<std::string> seen;
  std::istringstream input{std::string(text)};
  std::string raw;
  for (int line = 1; std::getline(input, raw); ++line) {
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    const std::string content = trimmed(raw);
    if (content.empty() || content[0] == '#') continue;
    for (char c : content)
      if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126)
        source_fail(file, line, "the text store holds plain ASCII characters only");
    if (content.front() == '[' && content.back() == ']') {
      const std::string name = content.substr(1, content.size() - 2);
      if (!is_section_name(name)) source_fail(file, line, "a section name uses a-z, 0-9 and _ only");
      if (name == section_names_section)
        source_fail(file, line, std::string("\"") + section_names_section + "\" is made by the compiler");
      if (!seen.insert(name).second) source_fail(file, line, "section [" + name + "] is given twice");
      names.push_back(name);
      store.directory.push_back({static_cast<int32_t>(store.lines.size()), 0, 0, 0});
      continue;
    }
    if (store.directory.size() == 1) source_fail(file, line, "text before the first [section]");
    store.lines.push_back(content);
    ++store.directory.back().line_count;
  }
  names.push_back(section_names_section);
  store.directory.push_back({static_cast<int32_t>(store.lines.size()), static_cast<int32_t>(names.size()), 0, 0});
  store.lines.insert(store.lines.end(), names.begin(), names.end());
  return store;
}
