// JSON text laid out for maps: compact, yet readable and line-diffable.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

// The value as JSON text ending in a newline. An array or object whose
// members are all numbers, strings, booleans or null stays on one line
// (arrays as [1,2,3], objects as {"x": 1, "y": 2}); any other array or
// object puts each member on a line of its own, indented two spaces deeper.
// Member order is kept.
std::string json_layout_text(const nlohmann::ordered_json& value);
