// Length-prefixed 8-bit strings as stored inside the data file's records.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "Range_Check.h"

template <int Capacity>
struct ShortString {
  static_assert(Capacity >= 1 && Capacity <= 255);
  uint8_t length;
  char text[Capacity];

  std::string str() const {
    check_index(length, 0, Capacity);
    return std::string(text, length);
  }
  // Stores value; a value longer than the capacity is a range error.
  void assign(std::string_view value) {
    length = narrow<uint8_t>(value.size());
    check_index(length, 0, Capacity);
    for (int i = 0; i < Capacity; ++i)
      text[i] = i < length ? value[static_cast<size_t>(i)] : '\0';
  }
};
