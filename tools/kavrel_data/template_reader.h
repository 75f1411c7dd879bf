// An area template written as a text file: statements one per line and the
// layout drawn as a grid of '|' lines (see docs/data-format.md).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "GAME_Dungeon.h"
#include "data_names.h"

// An exit whose forced kind names something defined in another file (a
// template), resolved once every template is known.
struct PendingExitKind {
  int exit;  // 1..50
  std::string name;
  int line;
};

struct ParsedTemplate {
  AreaTemplate record;
  std::vector<PendingExitKind> pending_kinds;
};

// Reads one template file; throws SourceError for anything it cannot accept.
ParsedTemplate read_template(std::string_view text, const std::string& file);
// Gives the exits their forced kinds (kind names or template names).
void resolve_exit_kinds(ParsedTemplate& parsed, const DataNames& names, const std::string& file);
