// Lists of numbers on the command line: "1-10", "3,4,6,8", "5,17,100-120".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Most numbers one list may expand to, so that a mistyped range fails at once.
inline constexpr size_t largest_number_list = 100000;

// A comma-separated list of numbers and ranges "A-B" (A <= B), each number
// within lowest..highest, expanded in the order given: "1-3,7" gives 1, 2,
// 3, 7. False for any other text (spaces, signs, empty items) or more than
// largest_number_list numbers.
bool parse_number_list(const std::string& text, uint32_t lowest, uint32_t highest,
                       std::vector<uint32_t>& numbers);

// The numbers as the shortest list text parse_number_list reads back: runs
// of three or more consecutive numbers as "A-B", e.g. 1, 2, 3, 4, 6, 8 as
// "1-4,6,8".
std::string number_list_text(const std::vector<uint32_t>& numbers);
