// The generation state reset, the text decks and the naming of being plans.
#include "GAME_Reset.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <vector>

#include "GAME_Dice.h"
#include "GAME_Dungeon.h"
#include "GAME_File.h"
#include "GAME_Global.h"
#include "GAME_Level.h"
#include "GAME_Map.h"

CheckedArray<uint8_t, 1, 9> remembered_variants{};
CheckedTable<uint16_t> text_deck;

namespace {

struct ByteRange {
  size_t offset, length;
};

// The run-time fields of a level settings record: counters, clocks, the
// checksums of the level's stored copy and nine pairs of words. The bytes
// 27716..27727, 27747, 27754 and 27772..27775 keep their values.
constexpr ByteRange level_runtime_fields[] = {
    {27689, 7}, {27696, 4}, {27700, 4}, {27704, 4}, {27708, 4}, {27712, 4},
    {27728, 4}, {27732, 4}, {27736, 2}, {27738, 2}, {27740, 2}, {27742, 2},
    {27744, 2}, {27746, 1}, {27748, 2}, {27750, 2}, {27752, 2}, {27756, 2},
    {27758, 2}, {27760, 2}, {27764, 4}, {27768, 4}, {27776, 24}, {27800, 36}};
static_assert(27800 + 36 <= sizeof(LevelRecord));

void clear_level_runtime_fields(LevelRecord& record) {
  auto* bytes = reinterpret_cast<uint8_t*>(&record);
  for (const ByteRange& field : level_runtime_fields) std::memset(bytes + field.offset, 0, field.length);
}

void clear_being_plan_runtime_fields(BeingPlan& plan) {
  plan.runtime_22660.fill(0);
  plan.runtime_23930 = 0;
  plan.runtime_23932.fill(0);
  plan.runtime_24168.fill(0);
}

std::string trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

// The chance of a placeholder's "|n" or ":n" part: 100 when absent, 0 or not a number.
int placeholder_chance(const std::string& text) {
  const std::string digits = trimmed(text);
  if (digits.empty() || digits.size() > 9 ||
      !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }))
    return 100;
  const int value = std::stoi(digits);
  return value == 0 ? 100 : value;
}

// A line drawn for a placeholder, or nothing when the chance draw fails.
std::string placeholder_text(const std::string& placeholder) {
  const size_t separator = placeholder.find_first_of("|:");
  const std::string name = trimmed(placeholder.substr(0, separator));
  const int chance =
      separator == std::string::npos ? 100 : placeholder_chance(placeholder.substr(separator + 1));
  const int section = find_text_section(name);
  if (section < 0) return " ILLEGAL_ID ";
  if (chance >= random_percent()) return draw_text_line(section);
  return {};
}

}  // namespace

// ---- Text decks -------------------------------------------------------------

void reset_text_decks() {
  int total = 0;
  for (int k = 1; k <= text_directory.highest(); ++k) total += std::max(0, text_directory[k].line_count);
  text_deck.clear();
  text_deck.resize_to(total - 1);
  int start = 0;
  for (int k = 1; k <= text_directory.highest(); ++k) {
    TextSection& section = text_directory[k];
    section.deck_start = start;
    section.deck_remaining = section.line_count;
    for (int i = 0; i < section.line_count; ++i) text_deck[start + i] = narrow<uint16_t>(i);
    start += std::max(0, section.line_count);
  }
}

void release_text_decks() { text_deck.clear(); }

int find_text_section(const std::string& name) {
  for (int k = 0; k <= text_section_names.highest(); ++k)
    if (text_section_names[k] == name) return k;
  return -1;
}

std::string draw_text_line(int section_number) {
  TextSection& section = text_directory[section_number];
  int entry = 0;
  if (section.deck_remaining < 1) {
    entry = random_int(section.line_count);
  } else {
    const int i = random_int(section.deck_remaining);
    entry = text_deck[section.deck_start + i];
    --section.deck_remaining;
    if (section.deck_remaining >= 1) {
      for (int j = i; j + 1 < section.line_count; ++j)
        text_deck[section.deck_start + j] = text_deck[section.deck_start + j + 1];
    } else {
      const std::string name =
          section_number <= text_section_names.highest() ? text_section_names[section_number] : "";
      const bool stays_used_up = name.find("idle_chatter") != std::string::npos &&
                                 name.find("sentient") == std::string::npos;
      if (!stays_used_up) {
        section.deck_remaining = section.line_count;
        for (int j = 0; j < section.line_count; ++j)
          text_deck[section.deck_start + j] = narrow<uint16_t>(j);
      }
    }
  }
  const int line = section.first_line + entry;
  if (line < 0 || line > text_store.highest()) return {};
  return text_store[line];
}

// ---- Named being plans ----------------------------------------------------

std::string expand_name_template(std::string text) {
  size_t open = 0;
  while ((open = text.find('%')) != std::string::npos) {
    text.erase(open, 1);
    const size_t close = text.find('%', open);
    if (close == std::string::npos) continue;
    const std::string placeholder = trimmed(text.substr(open, close - open));
    text.erase(open, close - open + 1);
    text.insert(open, placeholder_text(placeholder));
  }
  if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  return text;
}

void name_being_plans() {
  std::vector<std::string> given;
  for (int p = 1; p <= being_plans.highest(); ++p) {
    BeingPlan& plan = being_plans[p];
    if (plan.unique_kind != 1 && plan.named_flag == 0) continue;
    const std::string name_template = plan.name_template.str();
    if (name_template.find('%') == std::string::npos) continue;
    std::string name;
    for (int attempt = 1; attempt <= name_expansion_limit; ++attempt) {
      name = expand_name_template(name_template);
      if (std::find(given.begin(), given.end(), name) == given.end()) break;
    }
    given.push_back(name);
    plan.name.assign(name.substr(0, 30));
  }
}

// ---- The party ----------------------------------------------------------------

bool load_avatars() {
  const std::string file_name = program_folder + "Save/Avatars.kav";
  if (!std::filesystem::is_regular_file(file_name)) return false;
  MemoryStream stream;
  if (!read_whole_file(file_name, stream.bytes)) return false;
  unpack_container(stream);
  if (!verify_container_checksums(file_name)) return false;
  VersionHeader header;
  read_stream(stream, &header, sizeof header);
  if (header.version != game_data_version || header.block_length != 0) {
    show_corrupted_file(file_name);
    return false;
  }
  // The party's being records follow; this system has no beings to fill.
  return true;
}

void setup_avatars(int depth) { trace_enter(depth, trace_id::setup_avatars); }

// ---- The reset ----------------------------------------------------------------

void reset_runtime_tables() {
  empty_areas();
  for (int i = 1; i <= level_table.highest(); ++i) clear_level_runtime_fields(level_table[i]);
  for (int i = 1; i <= portals.highest(); ++i) {
    portals[i].portal_x = 0;
    portals[i].portal_y = 0;
    portals[i].portal_state = 0;
  }
  for (int i = 1; i <= contents.highest(); ++i) {
    contents[i].placed_on_level = 0;
    contents[i].placed_total = 0;
  }
  for (int i = 1; i <= item_plans.highest(); ++i) {
    item_plans[i].runtime_4856 = 0;
    item_plans[i].runtime_4922.fill(0);
  }
  for (int i = 1; i <= being_plans.highest(); ++i) clear_being_plan_runtime_fields(being_plans[i]);
  for (int i = 1; i <= area_templates.highest(); ++i) {
    area_templates[i].uses_in_dungeon = 0;
    area_templates[i].uses_since_reset = 0;
  }
  remembered_variants.fill(0);
  reset_text_decks();
}

bool prepare_generation() {
  clear_marks();
  reset_runtime_tables();
  std::memset(static_cast<void*>(&engine_state), 0, sizeof engine_state);
  engine_state.generation_seed = static_cast<int32_t>(rand_seed);
  engine_state.level_seed[0] = static_cast<int32_t>(rand_seed);
  map_size = current_level.level_map_size;
  engine_state.destination_level = current_level.level_index;
  name_being_plans();
  if (!load_avatars()) setup_avatars(1);
  return true;
}
