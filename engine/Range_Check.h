// Checked indexing and narrowing for every engine table, layer and record.
//
// A violation throws RangeError ("Range check error"). The engine never
// catches it: it unwinds the current command to the caller (the window's
// event loop or the command line), which shows the message. Checks are one
// unsigned comparison, so they are cheap enough for the per-cell loops.
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

struct RangeError : std::runtime_error {
  RangeError() : std::runtime_error("Range check error") {}
};

[[noreturn]] void throw_range_error();

// True when lo <= i <= hi, tested with one unsigned comparison.
constexpr bool in_bounds(int i, int lo, int hi) {
  return static_cast<unsigned>(i - lo) <= static_cast<unsigned>(hi - lo);
}

constexpr void check_index(int i, int lo, int hi) {
  if (!in_bounds(i, lo, hi)) [[unlikely]]
    throw_range_error();
}

// Narrowing assignment that must fit: narrow<uint8_t>(300) throws.
template <class To, class From>
constexpr To narrow(From value) {
  static_assert(std::is_integral_v<To> && std::is_integral_v<From>);
  if (!std::in_range<To>(value)) [[unlikely]]
    throw_range_error();
  return static_cast<To>(value);
}

// Fixed array indexed Lo..Hi. Trivially copyable, so it can sit inside the
// packed file records and be copied byte for byte.
template <class T, int Lo, int Hi>
struct CheckedArray {
  static_assert(Hi >= Lo);
  static constexpr int low = Lo;
  static constexpr int high = Hi;
  static constexpr int count = Hi - Lo + 1;

  T items[count];

  T& operator[](int i) {
    check_index(i, Lo, Hi);
    return items[i - Lo];
  }
  const T& operator[](int i) const {
    check_index(i, Lo, Hi);
    return items[i - Lo];
  }
  T* begin() { return items; }
  T* end() { return items + count; }
  const T* begin() const { return items; }
  const T* end() const { return items + count; }
  void fill(const T& value) {
    for (T& item : items) item = value;
  }
};

// Square grid indexed (x, y) with both in 1..N, x outer (all cells of one
// column are consecutive), as the map and its side layers are stored.
template <class T, int N>
struct CheckedGrid {
  T cells[N][N];

  T& operator()(int x, int y) {
    check_index(x, 1, N);
    check_index(y, 1, N);
    return cells[x - 1][y - 1];
  }
  const T& operator()(int x, int y) const {
    check_index(x, 1, N);
    check_index(y, 1, N);
    return cells[x - 1][y - 1];
  }
  // Sets every cell of the storage to all-zero bytes.
  void clear() { std::memset(static_cast<void*>(cells), 0, sizeof cells); }
};

// Growable table with a checked index 0..highest(). Used for the loaded
// definition tables (entry 0 is the blank record) and the areas table.
template <class T>
class CheckedTable {
 public:
  T& operator[](int i) {
    check_index(i, 0, highest());
    return items_[static_cast<size_t>(i)];
  }
  const T& operator[](int i) const {
    check_index(i, 0, highest());
    return items_[static_cast<size_t>(i)];
  }
  int highest() const { return static_cast<int>(items_.size()) - 1; }
  bool empty() const { return items_.empty(); }
  void clear() { items_.clear(); }
  // Lengthens (or shortens) the table to indexes 0..new_highest; new entries are zero.
  void resize_to(int new_highest) { items_.resize(static_cast<size_t>(new_highest + 1), T{}); }
  void push_back(const T& item) { items_.push_back(item); }
  T* data() { return items_.data(); }
  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<T> items_;
};
