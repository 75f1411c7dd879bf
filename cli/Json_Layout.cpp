#include "Json_Layout.h"

#include <algorithm>

namespace {

using Json = nlohmann::ordered_json;

std::string scalar_text(const Json& value) {
  return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

bool is_flat(const Json& value) {
  return std::none_of(value.begin(), value.end(), [](const Json& member) { return member.is_structured(); });
}

// The value on one line: members separated by "," in arrays and ", " in objects.
std::string one_line_text(const Json& value) {
  if (!value.is_structured()) return scalar_text(value);
  const bool object = value.is_object();
  std::string text = object ? "{" : "[";
  for (auto member = value.begin(); member != value.end(); ++member) {
    if (member != value.begin()) text += object ? ", " : ",";
    if (object) text += scalar_text(member.key()) + ": ";
    text += one_line_text(*member);
  }
  return text + (object ? "}" : "]");
}

void write_value(const Json& value, int indent, std::string& text) {
  if (!value.is_structured() || is_flat(value)) {
    text += one_line_text(value);
    return;
  }
  const bool object = value.is_object();
  const std::string inner(static_cast<size_t>(indent + 2), ' ');
  text += object ? "{" : "[";
  for (auto member = value.begin(); member != value.end(); ++member) {
    text += member == value.begin() ? "\n" : ",\n";
    text += inner;
    if (object) text += scalar_text(member.key()) + ": ";
    write_value(*member, indent + 2, text);
  }
  text += "\n" + std::string(static_cast<size_t>(indent), ' ') + (object ? "}" : "]");
}

}  // namespace

std::string json_layout_text(const nlohmann::ordered_json& value) {
  std::string text;
  write_value(value, 0, text);
  return text + "\n";
}
