// Loading the game data file into the engine's definition tables and the
// text store.
#include "GAME_File.h"

#include <filesystem>

#include "GAME_Global.h"

CheckedTable<ItemPlan> item_plans;
CheckedTable<Talent> talents;
CheckedTable<BeingPlan> being_plans;
CheckedTable<PortalRecord> portals;
CheckedTable<ContentRecord> contents;
CheckedTable<TextSection> text_directory;
CheckedTable<BeingTextLinks> being_text_links;
CheckedTable<ItemTextLinks> item_text_links;
CheckedTable<std::string> text_store;
CheckedTable<std::string> text_section_names;
CheckedTable<std::string> text_tags;
int avatar_being_plan = 0;
int coin_item_plan = 0;
int multishot_talent = 0;
std::string data_name;

namespace {

// Makes table hold entries 0..count (entry 0 blank) and fills 1..count
// with one bulk copy from the stream.
template <class Record>
void read_record_table(MemoryStream& stream, CheckedTable<Record>& table, int count) {
  const size_t length = sizeof(Record) * static_cast<size_t>(count);
  require_stream(stream, length);
  table.clear();
  table.resize_to(count);
  read_stream(stream, table.data() + 1, length);
}

// Makes table hold entries 0..highest, all read from the stream.
template <class Record>
void read_full_table(MemoryStream& stream, CheckedTable<Record>& table, int highest) {
  const size_t length = sizeof(Record) * static_cast<size_t>(highest + 1);
  require_stream(stream, length);
  table.clear();
  table.resize_to(highest);
  read_stream(stream, table.data(), length);
}

// Number of the first record whose code is code; 0 when none.
template <class Record>
int find_by_code(const CheckedTable<Record>& table, const std::string& code) {
  for (int i = 1; i <= table.highest(); ++i)
    if (table[i].code.str() == code) return i;
  return 0;
}

}  // namespace

std::vector<std::string> split_text_lines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return lines;
}

void build_text_sections() {
  text_section_names.clear();
  text_tags.clear();
  if (text_directory.highest() < 0) return;
  // The last directory record holds the section names: line k of its
  // range (counted from 0) names section k.
  const TextSection& names = text_directory[text_directory.highest()];
  for (int k = 0; k < names.line_count; ++k)
    text_section_names.push_back(text_store[names.first_line + k]);
  for (int k = 0; k <= text_section_names.highest() && k <= text_directory.highest(); ++k) {
    if (text_section_names[k] != "tags") continue;
    const TextSection& tags = text_directory[k];
    for (int line = 0; line < tags.line_count; ++line)
      text_tags.push_back(text_store[tags.first_line + line]);
    break;
  }
}

void release_game_data() {
  item_plans.clear();
  talents.clear();
  being_plans.clear();
  level_table.clear();
  portals.clear();
  contents.clear();
  area_templates.clear();
  text_directory.clear();
  being_text_links.clear();
  item_text_links.clear();
  text_store.clear();
  text_section_names.clear();
  text_tags.clear();
  avatar_being_plan = 0;
  coin_item_plan = 0;
  multishot_talent = 0;
}

bool load_game_data() {
  const std::string file_name = program_folder + "Data/" + data_name + ".kvd";
  MemoryStream stream;
  if (!std::filesystem::is_regular_file(file_name) || !read_whole_file(file_name, stream.bytes)) {
    show_missing_file(file_name);
    return false;
  }
  unpack_container(stream);
  if (!verify_container_checksums(file_name)) return false;

  VersionHeader header;
  read_stream(stream, &header, sizeof header);
  if (header.version != game_data_version || header.block_length != size_block_length) {
    show_corrupted_file(file_name);
    return false;
  }
  SizeBlock sizes;
  read_stream(stream, &sizes, sizeof sizes);
  for (int i = 1; i <= signature_count; ++i) {
    if (sizes.signature[i] != record_size_signature[i - 1]) {
      show_corrupted_file(file_name);
      return false;
    }
  }

  release_game_data();
  read_record_table(stream, item_plans, sizes.item_plan_count);
  read_record_table(stream, talents, sizes.talent_count);
  read_record_table(stream, being_plans, sizes.being_plan_count);
  read_record_table(stream, level_table, sizes.level_count);
  read_record_table(stream, portals, sizes.portal_count);
  read_record_table(stream, contents, sizes.content_count);
  read_record_table(stream, area_templates, sizes.template_count);
  read_full_table(stream, text_directory, sizes.text_section_count);
  read_full_table(stream, being_text_links, sizes.being_plan_count);
  read_full_table(stream, item_text_links, sizes.item_plan_count);

  const std::string_view rest(reinterpret_cast<const char*>(stream.bytes.data()) + stream.position,
                              stream.bytes.size() - stream.position);
  for (std::string& line : split_text_lines(rest)) text_store.push_back(std::move(line));
  avatar_being_plan = sizes.avatar_being_plan;

  build_text_sections();
  coin_item_plan = find_by_code(item_plans, "it_coin");
  multishot_talent = find_by_code(talents, "ta_co_multishot");
  return true;
}
