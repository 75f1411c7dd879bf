#include "data_set.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "content_reader.h"
#include "level_reader.h"
#include "portal_reader.h"
#include "source_error.h"
#include "template_reader.h"

namespace fs = std::filesystem;

namespace {
// The files of a folder with the given extension, in name order.
std::vector<fs::path> files_in(const fs::path& folder, const std::string& extension) {
  std::vector<fs::path> files;
  if (!fs::is_directory(folder)) source_fail(folder.string(), 0, "the folder is missing");
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    if (entry.is_regular_file() && entry.path().extension() == extension) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

void read_templates(const fs::path& folder, GameData& data) {
  std::vector<ParsedTemplate> parsed;
  std::vector<std::string> files;
  std::map<std::string, std::string> first_file;
  for (const fs::path& path : files_in(folder / "templates", ".txt")) {
    files.push_back(path.string());
    parsed.push_back(read_template(read_source_file(path), files.back()));
    const std::string name = parsed.back().record.name.str();
    if (auto [at, fresh] = first_file.try_emplace(name, files.back()); !fresh)
      source_fail(files.back(), 0, "template \"" + name + "\" is also defined in " + at->second);
    data.names.templates.push_back(name);
  }
  // Exits and location specifications store a template's area code (9 + its number) in a byte.
  if (parsed.size() > 246)
    source_fail((folder / "templates").string(), 0, "more than 246 templates: their area codes must fit a byte");
  for (size_t i = 0; i < parsed.size(); ++i) {
    resolve_exit_kinds(parsed[i], data.names, files[i]);
    data.templates.push_back(parsed[i].record);
  }
}

void read_levels(const fs::path& folder, GameData& data) {
  std::map<int, std::pair<LevelRecord, std::string>> by_index;
  for (const fs::path& path : files_in(folder / "levels", ".toml")) {
    LevelRecord level = read_level(read_source_file(path), path.string(), data.names);
    if (auto [at, fresh] = by_index.try_emplace(level.level_index, level, path.string()); !fresh)
      source_fail(path.string(), 0, "level_index " + std::to_string(level.level_index) +
                                        " is also used by " + at->second.second);
  }
  int expected = 1;
  for (const auto& [index, level] : by_index) {
    if (index != expected)
      source_fail((folder / "levels").string(), 0, "level " + std::to_string(expected) +
                                                       " is missing: levels run 1, 2, 3 ... without gaps");
    data.levels.push_back(level.first);
    data.level_files.push_back(level.second);
    ++expected;
  }
  if (data.levels.empty()) source_fail((folder / "levels").string(), 0, "there are no levels");
}

bool some_template_carries(const GameData& data, int tag) {
  for (const AreaTemplate& t : data.templates)
    if (t.tags[tag]) return true;
  return false;
}

bool some_content_has_group(const GameData& data, int group) {
  for (const ContentRecord& c : data.contents)
    for (uint16_t id : c.theme_group_ids)
      if (id == group) return true;
  return false;
}

// Checks that need more than one file: forced tags that some template
// carries, theme groups that some content belongs to, portals on levels that exist.
void check_across_files(const fs::path& folder, const GameData& data) {
  const int templates = data.names.template_count();
  for (size_t i = 0; i < data.levels.size(); ++i) {
    const LevelRecord& level = data.levels[i];
    const std::string& file = data.level_files[i];
    for (uint16_t code : level.dungeon.force_area)
      if (code > area_kind_count + templates && !some_template_carries(data, code - area_kind_count - templates))
        source_fail(file, 0, std::string("it forces tag ") + tag_names[code - area_kind_count - templates] +
                                 ", which no template carries");
    for (uint16_t group : level.theme_groups)
      if (group != 0 && !some_content_has_group(data, group))
        source_fail(file, 0, "theme group " + std::to_string(group) + " has no content");
  }
  const int last_level = static_cast<int>(data.levels.size());
  for (size_t i = 0; i < data.portals.size(); ++i) {
    const PortalRecord& p = data.portals[i];
    if (p.portal_level > last_level || p.destination_level > last_level)
      source_fail((folder / "portals.toml").string(), 0,
                  "portal " + std::to_string(i + 1) + " names a level above " + std::to_string(last_level));
  }
}

template <class Record>
void append_records(std::vector<uint8_t>& out, const std::vector<Record>& records) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(records.data());
  out.insert(out.end(), bytes, bytes + records.size() * sizeof(Record));
}

template <class Record>
void append_record(std::vector<uint8_t>& out, const Record& record) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
  out.insert(out.end(), bytes, bytes + sizeof(Record));
}
}  // namespace

std::string read_source_file(const fs::path& path) {
  std::ifstream input(path, std::ios::binary);
  if (!input) source_fail(path.string(), 0, "cannot read the file");
  std::ostringstream text;
  text << input.rdbuf();
  return text.str();
}

GameData read_data_set(const fs::path& folder) {
  GameData data;
  read_templates(folder, data);
  const fs::path contents_file = folder / "contents.toml";
  const std::string contents_text = read_source_file(contents_file);
  data.names.contents = read_content_codes(contents_text, contents_file.string());
  data.contents = read_contents(contents_text, contents_file.string(), data.names);
  const fs::path portals_file = folder / "portals.toml";
  data.portals = read_portals(read_source_file(portals_file), portals_file.string(), data.names);
  read_levels(folder, data);
  const fs::path texts_file = folder / "texts.txt";
  data.texts = read_text_store(read_source_file(texts_file), texts_file.string());
  check_across_files(folder, data);
  return data;
}

std::vector<uint8_t> encode_game_data(const GameData& data) {
  std::vector<uint8_t> out;
  VersionHeader header{game_data_version, {0, 0}, size_block_length};
  append_record(out, header);
  SizeBlock sizes{};
  for (int i = 1; i <= signature_count; ++i) sizes.signature[i] = record_size_signature[i - 1];
  sizes.level_count = narrow<uint16_t>(data.levels.size());
  sizes.portal_count = narrow<uint16_t>(data.portals.size());
  sizes.content_count = narrow<uint16_t>(data.contents.size());
  sizes.template_count = narrow<uint16_t>(data.templates.size());
  sizes.text_section_count = narrow<uint16_t>(data.texts.directory.size() - 1);
  append_record(out, sizes);
  // Item plans, talents and being plans: none.
  append_records(out, data.levels);
  append_records(out, data.portals);
  append_records(out, data.contents);
  append_records(out, data.templates);
  append_records(out, data.texts.directory);
  append_record(out, BeingTextLinks{});  // entry 0 of the being-plan text links
  append_record(out, ItemTextLinks{});   // entry 0 of the item-plan text links
  for (const std::string& line : data.texts.lines) {
    out.insert(out.end(), line.begin(), line.end());
    out.push_back('\r');
    out.push_back('\n');
  }
  return out;
}
