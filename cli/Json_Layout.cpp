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

void write_value(const Json& value, int indent, std::string& text) {
  if (!value.is_structured()) {
    text += scalar_text(value);
    return;
  }
  const bool object = value.is_object();
  const char* const open = object ? "{" : "[";
  const char* const close = object ? "}" : "]";
  if (value.empty() || is_flat(value)) {
    text += open;
    bool first = true;
    for (auto member = value.begin(); member != value.end(); ++member) {
      if (!first) text += object ? ", " : ",";
      first = false;
      if (object) text += scalar_text(member.key()) + ": ";
      text += scalar_text(*member);
    }
    text += close;
    return;
  }
  const std::string inner(static_cast<size_t>(indent + 2), ' ');
  text += open;
  bool first = true;
  for (auto member = value.begin(); member != value.end(); ++member) {
    text += first ? "\n" : ",\n";
    first = false;
    text += inner;
    if (object) text += scalar_text(member.key()) + ": ";
    write_value(*member, indent + 2, text);
  }
  text += "\n" + std::string(static_cast<size_t>(indent), ' ') + close;
}

}  // namespace

std::string json_layout_text(const nlohmann::ordered_json& value) {
  std::string text;
  write_value(value, 0, text);
  return text + "\n";
}
