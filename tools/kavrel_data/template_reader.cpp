#include "template_reader.h"

#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "GAME_Map.h"
#include "source_error.h"

namespace {
constexpr int grid_limit = 64;
constexpr int furniture_limit = 50;
constexpr int exit_limit = 50;
constexpr int zone_limit = 60;

// Cell characters of the grid and the cell codes they draw.
int cell_code(char c) {
  switch (c) {
    case ' ': return 0;  // nothing: the map keeps what it has
    case '%': return 1;  // natural wall
    case '#': return 2;  // the template's wall
    case ',': return 3;  // natural floor
    case '.': return 4;  // the template's floor
    case ':': return 5;  // the light twin of the template's floor
    default: return -1;
  }
}
bool is_wall_code(int code) { return code == 1 || code == 2; }
bool is_floor_code(int code) { return code >= 3 && code <= 5; }

int arrow_direction(char c) {
  switch (c) {
    case '^': return 1;
    case '>': return 2;
    case 'v': return 3;
    case '<': return 4;
    default: return 0;
  }
}
bool is_reserved(char c) { return cell_code(c) >= 0 || arrow_direction(c) > 0 || c == '@' || c == '|'; }

const char* const direction_words[] = {"", "north", "east", "south", "west"};

struct Symbol {
  int furniture;
  int base;
};
struct Piece {  // furniture or exit at a grid position
  int u, v, line;
};
struct ExitDraft {
  int u, v, dir, line;
  std::string kind;
};
struct ZoneDraft {
  int number, u, v, width, height, line;
};

// Everything a template file states, before the cross-checks.
struct Draft {
  std::string name;
  int name_line = 0;
  std::vector<std::string> tags;
  int tags_line = 0;
  std::optional<int> size, max_per_dungeon, max_since_reset;
  bool sealed = false;
  std::map<char, Symbol> symbols;
  std::vector<std::pair<int, Piece>> furniture;  // furniture id, where
  std::vector<ExitDraft> exits;
  std::vector<ZoneDraft> zones;
  std::optional<Piece> entry;
  std::vector<std::string> grid;
  int grid_line = 0;
};

class TemplateParser {
 public:
  TemplateParser(std::string_view text, const std::string& file) : file_(file) { parse(text); }
  ParsedTemplate build();

 private:
  [[noreturn]] void fail(int line, const std::string& reason) const { source_fail(file_, line, reason); }
  int number(const std::string& word, int lo, int hi, const char* what, int line) const;
  int direction(const std::string& word, int line) const;
  void parse(std::string_view text);
  void statement(const std::vector<std::string>& words, int line);
  void expect_words(const std::vector<std::string>& words, size_t lo, size_t hi, const char* form,
                    int line) const;
  int code_at(const AreaTemplate& t, int u, int v) const;
  void place_grid(ParsedTemplate& out);
  void check_pieces(ParsedTemplate& out);
  void check_floor(const AreaTemplate& t) const;

  std::string file_;
  Draft draft_;
  std::map<std::pair<int, int>, int> occupied_;  // grid position -> line of the piece there
};

int TemplateParser::number(const std::string& word, int lo, int hi, const char* what, int line) const {
  int value = 0;
  size_t used = 0;
  try {
    value = std::stoi(word, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != word.size()) fail(line, std::string(what) + " must be a whole number, not \"" + word + "\"");
  if (value < lo || value > hi)
    fail(line, std::string(what) + " must be " + std::to_string(lo) + ".." + std::to_string(hi) +
                   ", not " + std::to_string(value));
  return value;
}

int TemplateParser::direction(const std::string& word, int line) const {
  for (int d = 1; d <= 4; ++d)
    if (word == direction_words[d]) return d;
  fail(line, "a direction is north, east, south or west, not \"" + word + "\"");
}

void TemplateParser::expect_words(const std::vector<std::string>& words, size_t lo, size_t hi,
                                  const char* form, int line) const {
  if (words.size() < lo || words.size() > hi) fail(line, std::string("expected: ") + form);
}

void TemplateParser::parse(std::string_view text) {
  std::istringstream lines{std::string(text)};
  std::string raw;
  int line = 0;
  bool grid_ended = false;
  while (std::getline(lines, raw)) {
    ++line;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    const size_t start = raw.find_first_not_of(" \t");
    if (start != std::string::npos && raw[start] == '|') {
      if (grid_ended) fail(line, "the grid must be one block of '|' lines");
      if (draft_.grid.empty()) draft_.grid_line = line;
      std::string row = raw.substr(start + 1);
      while (!row.empty() && (row.back() == ' ' || row.back() == '\t')) row.pop_back();
      if (row.find('\t') != std::string::npos) fail(line, "use spaces, not tabs, in the grid");
      draft_.grid.push_back(row);
      continue;
    }
    if (!draft_.grid.empty()) grid_ended = true;
    if (start == std::string::npos || raw[start] == '#') continue;
    std::istringstream split(raw);
    std::vector<std::string> words;
    for (std::string word; split >> word;) words.push_back(word);
    statement(words, line);
  }
}

void TemplateParser::statement(const std::vector<std::string>& w, int line) {
  const std::string& key = w[0];
  if (key == "name") {
    expect_words(w, 2, 2, "name <template name>", line);
    if (!draft_.name.empty()) fail(line, "the name is given twice");
    draft_.name = w[1];
    draft_.name_line = line;
  } else if (key == "tags") {
    expect_words(w, 2, 61, "tags <tag name> ...", line);
    draft_.tags.assign(w.begin() + 1, w.end());
    draft_.tags_line = line;
  } else if (key == "size") {
    expect_words(w, 2, 2, "size <0..255>", line);
    draft_.size = number(w[1], 0, 255, "size", line);
  } else if (key == "max_per_dungeon") {
    expect_words(w, 2, 2, "max_per_dungeon <count, 0 = no limit>", line);
    draft_.max_per_dungeon = number(w[1], 0, 65535, "max_per_dungeon", line);
  } else if (key == "max_since_reset") {
    expect_words(w, 2, 2, "max_since_reset <count, 0 = no limit>", line);
    draft_.max_since_reset = number(w[1], 0, 65535, "max_since_reset", line);
  } else if (key == "sealed") {
    expect_words(w, 2, 2, "sealed yes|no", line);
    if (w[1] != "yes" && w[1] != "no") fail(line, "sealed is yes or no");
    draft_.sealed = w[1] == "yes";
  } else if (key == "symbol") {
    expect_words(w, 3, 5, "symbol <character> <furniture> [on <cell character>]", line);
    if (w[1].size() != 1 || is_reserved(w[1][0]))
      fail(line, "a symbol is one character that is not a cell, exit or entry character");
    if (draft_.symbols.contains(w[1][0])) fail(line, "symbol '" + w[1] + "' is declared twice");
    const int furniture = furniture_by_name(w[2]);
    if (furniture <= 0) fail(line, "unknown furniture \"" + w[2] + "\"");
    int base = 4;
    if (w.size() > 3) {
      if (w.size() != 5 || w[3] != "on" || w[4].size() != 1 || cell_code(w[4][0]) < 1)
        fail(line, "expected: symbol <character> <furniture> on <one of % # , . :>");
      base = cell_code(w[4][0]);
    }
    draft_.symbols[w[1][0]] = {furniture, base};
  } else if (key == "furniture") {
    expect_words(w, 4, 4, "furniture <furniture> <u> <v>", line);
    const int furniture = furniture_by_name(w[1]);
    if (furniture <= 0) fail(line, "unknown furniture \"" + w[1] + "\"");
    draft_.furniture.push_back({furniture, {number(w[2], 1, grid_limit, "u", line),
                                            number(w[3], 1, grid_limit, "v", line), line}});
  } else if (key == "exit") {
    expect_words(w, 4, 5, "exit <u> <v> <direction> [<forced kind or template>]", line);
    draft_.exits.push_back({number(w[1], 1, grid_limit, "u", line), number(w[2], 1, grid_limit, "v", line),
                            direction(w[3], line), line, w.size() == 5 ? w[4] : ""});
  } else if (key == "zone") {
    expect_words(w, 6, 6, "zone <number> <u> <v> <width> <height>", line);
    draft_.zones.push_back({number(w[1], 1, zone_limit, "zone number", line),
                            number(w[2], 1, grid_limit, "u", line), number(w[3], 1, grid_limit, "v", line),
                            number(w[4], 1, grid_limit, "width", line),
                            number(w[5], 1, grid_limit, "height", line), line});
  } else if (key == "entry") {
    expect_words(w, 3, 3, "entry <u> <v>", line);
    if (draft_.entry) fail(line, "the entry is given twice");
    draft_.entry = Piece{number(w[1], 1, grid_limit, "u", line), number(w[2], 1, grid_limit, "v", line), line};
  } else {
    fail(line, "unknown statement \"" + key + "\"");
  }
}

int TemplateParser::code_at(const AreaTemplate& t, int u, int v) const {
  if (u < 1 || u > grid_limit || v < 1 || v > grid_limit) return 0;
  return t.cells[u][v];
}

// Draws the grid into the record; symbols become furniture, arrows exits, '@' the entry.
void TemplateParser::place_grid(ParsedTemplate& out) {
  AreaTemplate& t = out.record;
  if (draft_.grid.empty()) fail(0, "the template has no grid ('|' lines)");
  if (draft_.grid.size() > grid_limit) fail(draft_.grid_line + grid_limit, "the grid is taller than 64 rows");
  // Pieces drawn in the grid come first, row by row, then the listed ones.
  std::vector<ExitDraft> exits;
  std::vector<std::pair<int, Piece>> furniture;
  for (size_t row = 0; row < draft_.grid.size(); ++row) {
    const int line = draft_.grid_line + static_cast<int>(row);
    const std::string& cells = draft_.grid[row];
    if (cells.size() > grid_limit) fail(line, "the grid is wider than 64 columns");
    for (size_t column = 0; column < cells.size(); ++column) {
      const char c = cells[column];
      const int u = static_cast<int>(column) + 1;
      const int v = static_cast<int>(row) + 1;
      if (const int code = cell_code(c); code >= 0) {
        t.cells[u][v] = static_cast<uint8_t>(code);
      } else if (const int dir = arrow_direction(c)) {
        t.cells[u][v] = 2;
        exits.push_back({u, v, dir, line, ""});
      } else if (c == '@') {
        t.cells[u][v] = 2;
        if (draft_.entry) fail(line, "the entry is given twice");
        draft_.entry = Piece{u, v, line};
      } else if (auto symbol = draft_.symbols.find(c); symbol != draft_.symbols.end()) {
        t.cells[u][v] = static_cast<uint8_t>(symbol->second.base);
        furniture.push_back({symbol->second.furniture, {u, v, line}});
      } else {
        fail(line, std::string("unknown grid character '") + c + "' in column " + std::to_string(u) +
                       " (declare it with: symbol " + c + " <furniture>)");
      }
    }
  }
  draft_.exits.insert(draft_.exits.begin(), exits.begin(), exits.end());
  draft_.furniture.insert(draft_.furniture.begin(), furniture.begin(), furniture.end());
}

void TemplateParser::check_pieces(ParsedTemplate& out) {
  AreaTemplate& t = out.record;
  auto claim = [&](int u, int v, int line, const char* what) {
    if (code_at(t, u, v) == 0)
      fail(line, std::string(what) + " at (" + std::to_string(u) + ", " + std::to_string(v) +
                     ") is off the drawn grid");
    auto [at, fresh] = occupied_.try_emplace({u, v}, line);
    if (!fresh)
      fail(line, std::string(what) + " at (" + std::to_string(u) + ", " + std::to_string(v) +
                     ") overlaps the piece of line " + std::to_string(at->second));
  };
  // Entry: a wall with floor ahead (north) and nothing of the template behind it.
  if (!draft_.entry) fail(0, "the template has no entry ('@' in the grid or: entry <u> <v>)");
  const Piece entry = *draft_.entry;
  if (!is_wall_code(code_at(t, entry.u, entry.v)))
    fail(entry.line, "the entry must be a wall cell (# or %)");
  if (!is_floor_code(code_at(t, entry.u, entry.v - 1)))
    fail(entry.line, "the cell north of the entry must be a floor: the template grows north from it");
  if (code_at(t, entry.u, entry.v + 1) != 0)
    fail(entry.line, "the cell south of the entry must be empty: the parent area lies there");
  t.entry_u = static_cast<uint8_t>(entry.u);
  t.entry_v = static_cast<uint8_t>(entry.v);
  claim(entry.u, entry.v, entry.line, "the entry");

  // Exits: a wall with floor behind and nothing of the template ahead. An
  // exit may sit on the entry: it is used when the template is the first area.
  if (draft_.exits.size() > exit_limit) fail(draft_.exits[exit_limit].line, "more than 50 exits");
  for (size_t i = 0; i < draft_.exits.size(); ++i) {
    const ExitDraft& e = draft_.exits[i];
    const Step ahead = direction_step[e.dir];
    if (!is_wall_code(code_at(t, e.u, e.v))) fail(e.line, "an exit must be on a wall cell (# or %)");
    if (!is_floor_code(code_at(t, e.u - ahead.dx, e.v - ahead.dy)))
      fail(e.line, std::string("the cell behind an exit facing ") + direction_words[e.dir] + " must be a floor");
    if (code_at(t, e.u + ahead.dx, e.v + ahead.dy) != 0)
      fail(e.line, std::string("the cell ahead of an exit facing ") + direction_words[e.dir] +
                       " must be outside the template");
    const bool on_entry = e.u == entry.u && e.v == entry.v;
    if (!on_entry) claim(e.u, e.v, e.line, "an exit");
    const int n = static_cast<int>(i) + 1;
    t.exits[n] = {static_cast<uint8_t>(e.u), static_cast<uint8_t>(e.v), static_cast<uint8_t>(e.dir), 0};
    if (!e.kind.empty()) out.pending_kinds.push_back({n, e.kind, e.line});
  }

  if (draft_.furniture.size() > furniture_limit)
    fail(draft_.furniture[furniture_limit].second.line, "more than 50 pieces of furniture");
  for (size_t i = 0; i < draft_.furniture.size(); ++i) {
    const auto& [furniture, at] = draft_.furniture[i];
    claim(at.u, at.v, at.line, "furniture");
    t.furniture[static_cast<int>(i) + 1] = {static_cast<uint8_t>(at.u), static_cast<uint8_t>(at.v),
                                            static_cast<uint8_t>(furniture)};
  }

  for (const ZoneDraft& z : draft_.zones) {
    if (t.zones[z.number].u != 0) fail(z.line, "zone " + std::to_string(z.number) + " is given twice");
    if (z.u + z.width - 1 > static_cast<int>(grid_limit) || z.v + z.height - 1 > static_cast<int>(grid_limit))
      fail(z.line, "zone " + std::to_string(z.number) + " reaches past the 64 x 64 grid");
    for (int u = z.u; u < z.u + z.width; ++u)
      for (int v = z.v; v < z.v + z.height; ++v)
        if (code_at(t, u, v) == 0)
          fail(z.line, "zone " + std::to_string(z.number) + " covers (" + std::to_string(u) + ", " +
                           std::to_string(v) + "), which is off the drawn grid");
    t.zones[z.number] = {static_cast<uint8_t>(z.u), static_cast<uint8_t>(z.v),
                         static_cast<uint8_t>(z.width), static_cast<uint8_t>(z.height)};
  }
  if (t.zones[2].u == 0) fail(0, "the template needs zone 2, the floor where level contents go");
}

// The floor must be one piece (orthogonal steps) and walled in all round.
void TemplateParser::check_floor(const AreaTemplate& t) const {
  auto where = [](int u, int v) { return "(" + std::to_string(u) + ", " + std::to_string(v) + ")"; };
  auto row_line = [&](int v) { return draft_.grid_line + v - 1; };
  std::vector<std::pair<int, int>> queue;
  int floors = 0;
  for (int u = 1; u <= grid_limit; ++u)
    for (int v = 1; v <= grid_limit; ++v) {
      if (!is_floor_code(t.cells[u][v])) continue;
      ++floors;
      if (queue.empty()) queue.push_back({u, v});
      for (int d = 1; d <= 4; ++d)
        if (code_at(t, u + direction_step[d].dx, v + direction_step[d].dy) == 0)
          fail(row_line(v), "the floor at " + where(u, v) + " is open to the " + direction_words[d] +
                                ": close it with a wall");
    }
  if (floors == 0) fail(draft_.grid_line, "the grid has no floor");
  std::set<std::pair<int, int>> reached{queue.front()};
  for (size_t i = 0; i < queue.size(); ++i)
    for (int d = 1; d <= 4; ++d) {
      const std::pair<int, int> next{queue[i].first + direction_step[d].dx, queue[i].second + direction_step[d].dy};
      if (is_floor_code(code_at(t, next.first, next.second)) && reached.insert(next).second) queue.push_back(next);
    }
  if (static_cast<int>(reached.size()) == floors) return;
  for (int u = 1; u <= grid_limit; ++u)
    for (int v = 1; v <= grid_limit; ++v)
      if (is_floor_code(t.cells[u][v]) && !reached.contains({u, v}))
        fail(row_line(v), "the floor at " + where(u, v) + " cannot be reached from " +
                              where(queue.front().first, queue.front().second) + ": the floor falls apart");
}

ParsedTemplate TemplateParser::build() {
  ParsedTemplate out{};
  AreaTemplate& t = out.record;
  if (draft_.name.empty()) fail(0, "the template has no name");
  if (draft_.name.size() > 30) fail(draft_.name_line, "a template name has at most 30 characters");
  for (char c : draft_.name)
    if (!(std::islower(static_cast<unsigned char>(c)) || std::isdigit(static_cast<unsigned char>(c)) || c == '_'))
      fail(draft_.name_line, "a template name uses a-z, 0-9 and _ only");
  t.name.assign(draft_.name);
  const bool special = draft_.name.starts_with("sp_");
  if (draft_.tags.empty()) fail(0, "the template has no tags, so no level could choose it");
  for (const std::string& name : draft_.tags) {
    const int tag = tag_by_name(name);
    if (tag == 0) fail(draft_.tags_line, "unknown tag \"" + name + "\"");
    const bool own_group = special ? name.starts_with("sg_")
                                   : name.starts_with("vg_") || name.starts_with("cg_");
    if (!own_group && !name.starts_with("vo_"))
      fail(draft_.tags_line, "tag \"" + name + "\" is for " + (special ? "vaults" : "specials") +
                                 (special ? " (this is a special: sg_ and vo_ tags)"
                                          : " (this is a vault: vg_, cg_ and vo_ tags)"));
    t.tags[tag] = 1;
  }
  place_grid(out);
  check_pieces(out);
  check_floor(t);
  t.size = static_cast<uint8_t>(draft_.size.value_or(t.entry_v));
  t.max_per_dungeon = static_cast<uint16_t>(draft_.max_per_dungeon.value_or(0));
  t.max_since_reset = static_cast<uint16_t>(draft_.max_since_reset.value_or(0));
  t.sealed = draft_.sealed ? 1 : 0;
  return out;
}
}  // namespace

ParsedTemplate read_template(std::string_view text, const std::string& file) {
  return TemplateParser(text, file).build();
}

void resolve_exit_kinds(ParsedTemplate& parsed, const DataNames& names, const std::string& file) {
  for (const PendingExitKind& pending : parsed.pending_kinds) {
    const int code = area_code_by_name(names, pending.name);
    if (code == 0) source_fail(file, pending.line, "unknown area kind or template \"" + pending.name + "\"");
    parsed.record.exits[pending.exit].forced_kind = static_cast<uint8_t>(code);
  }
}
