#include "Number_List.h"

#include <charconv>

bool parse_number_list(const std::string& text, uint32_t lowest, uint32_t highest,
                       std::vector<uint32_t>& numbers) {
  numbers.clear();
  const char* at = text.data();
  const char* const end = at + text.size();
  // One number within lowest..highest at `at`, leaving `at` behind it.
  auto number = [&](uint32_t& value) {
    const auto [next, error] = std::from_chars(at, end, value);
    if (error != std::errc() || value < lowest || value > highest) return false;
    at = next;
    return true;
  };
  while (true) {
    uint32_t first = 0, last = 0;
    if (!number(first)) return false;
    last = first;
    if (at != end && *at == '-') {
      ++at;
      if (!number(last) || last < first) return false;
    }
    if (last - first >= largest_number_list - numbers.size()) return false;
    for (uint64_t n = first; n <= last; ++n) numbers.push_back(static_cast<uint32_t>(n));
    if (at == end) return true;
    if (*at++ != ',') return false;
  }
}

std::string number_list_text(const std::vector<uint32_t>& numbers) {
  std::string text;
  for (size_t i = 0; i < numbers.size();) {
    size_t end = i + 1;  // one past the run of consecutive numbers starting at i
    while (end < numbers.size() && numbers[end - 1] != UINT32_MAX && numbers[end] == numbers[end - 1] + 1) ++end;
    if (!text.empty()) text += ',';
    if (end - i >= 3) {
      text += std::to_string(numbers[i]) + "-" + std::to_string(numbers[end - 1]);
      i = end;
    } else {
      text += std::to_string(numbers[i]);
      ++i;
    }
  }
  return text;
}
