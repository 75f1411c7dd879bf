// The game data file: a scrambled, run-length-encoded container holding the
// game's definition tables and its text store, and the routines that pack,
// unpack and load it.
//
// Container file (all integers little-endian, L = payload length):
//   "PK" | L payload bytes | u32 decoded length U | 3 checksum records
// A checksum record is a u32 low half (XORed with the record's mask) and a
// plain u32 high half of an unsigned 64-bit sum: 1 over the decoded bytes,
// 2 over the run-length tokens, 3 over the payload as stored.
//
// Decoded data: version header (8 bytes), size block (76 bytes), then the
// seven record tables, the text directory, the two text-link tables and the
// text store (CR LF separated lines), in that order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "GAME_Dice.h"
#include "GAME_Dungeon.h"
#include "GAME_Level.h"
#include "Range_Check.h"
#include "Short_String.h"

// ---- Memory streams ---------------------------------------------------

// A whole file held in memory with a read position.
struct MemoryStream {
  std::vector<uint8_t> bytes;
  size_t position = 0;
};

// Reading past the end of a stream: an error of the exception convention,
// shown by the caller's event loop like a range error.
struct StreamReadError : std::runtime_error {
  StreamReadError() : std::runtime_error("Stream read error") {}
};

// Throws StreamReadError unless count bytes remain after the position
// (checked before a table is made for them, so a huge count allocates nothing).
void require_stream(const MemoryStream& stream, size_t count);
// Copies count bytes from the stream's position into target and advances;
// throws StreamReadError (copying nothing) when fewer bytes remain.
void read_stream(MemoryStream& stream, void* target, size_t count);
// Appends count bytes at the end of the stream.
void write_stream(MemoryStream& stream, const void* source, size_t count);

// Reads a whole file; false when it cannot be opened.
bool read_whole_file(const std::string& file_name, std::vector<uint8_t>& bytes);

// Unsigned sum of all bytes of the stream (whatever its position).
uint64_t byte_sum(const MemoryStream& stream);

// ---- Key material -----------------------------------------------------

// Our 55-digit constant; key_text and the checksum masks are cut from it.
extern const std::string_view key_constant;
// 32 digits built by build_key_text (start-up); empty before.
extern std::string key_text;
// Builds key_text from key_constant: 5 digits from position 16, 2 from 8,
// 10 from 20 and 15 from 2 (positions counted from 1).
void build_key_text();
// The mask of checksum record 1..3, cut from key_constant at each call.
uint32_t checksum_mask(int record);

// ---- Container --------------------------------------------------------

inline constexpr size_t container_lead_length = 2;
inline constexpr size_t container_trailer_length = 28;  // U and three checksum records

// Checksums of the last unpack_container: stored (unmasked when compared)
// and computed, records 1..3.
extern CheckedArray<uint64_t, 1, 3> stored_checksums;
extern CheckedArray<uint64_t, 1, 3> computed_checksums;

// Replaces the stream's data by the whole container file (position 0).
// Builds key_text first when start-up has not done it yet.
void pack_container(MemoryStream& stream);
// Replaces a whole container file in the stream by its decoded data
// (position 0) and leaves the stored and computed checksums for
// verify_container_checksums. A stream shorter than lead and trailer
// (30 bytes) throws StreamReadError.
void unpack_container(MemoryStream& stream);
// Compares the checksums of the last unpack; on the first mismatch shows
// the corrupted-file message naming file_name, sets shutting_down and
// returns false.
bool verify_container_checksums(const std::string& file_name);

// "Missing file "%s"! Shutting down." and the corrupted-file message, each
// shown in a modal message box; showing either sets shutting_down.
void show_missing_file(const std::string& file_name);
void show_corrupted_file(const std::string& file_name);

// ---- Decoded data layout ----------------------------------------------

inline constexpr int16_t game_data_version = 52;
inline constexpr int32_t size_block_length = 76;
inline constexpr int signature_count = 14;

// The record sizes of the game's files, compared value by value on load.
inline constexpr int32_t record_size_signature[signature_count] = {
    4932, 1564, 24180, 27840, 254, 37790, 4812, 948, 16, 48, 1460, 3048, 32876, 638288};

#pragma pack(push, 1)
struct VersionHeader {
  int16_t version;  // game_data_version
  uint8_t reserved[2];
  int32_t block_length;  // length of the block that follows
};

struct SizeBlock {
  CheckedArray<int32_t, 1, signature_count> signature;
  uint16_t item_plan_count;     // A
  uint16_t talent_count;        // B
  uint16_t being_plan_count;    // C
  uint16_t level_count;         // D
  uint16_t portal_count;        // E
  uint16_t content_count;       // F
  uint16_t template_count;      // G
  uint16_t text_section_count;  // H: the text directory holds H + 1 records
  uint16_t avatar_being_plan;   // the being plan the party set-up uses
  uint16_t reserved_74;
};
#pragma pack(pop)
static_assert(sizeof(VersionHeader) == 8);
static_assert(sizeof(SizeBlock) == size_block_length);
static_assert(offsetof(SizeBlock, item_plan_count) == 56);
static_assert(offsetof(SizeBlock, avatar_being_plan) == 72);

// ---- Record types of the tables ---------------------------------------

#pragma pack(push, 1)
// An item plan (4932 bytes): the game's; only its code and the run-time
// fields the generation reset clears are named.
struct ItemPlan {
  ShortString<40> code;  // e.g. "it_coin"
  uint8_t game_41[4815];
  uint16_t runtime_4856;
  uint8_t game_4858[64];
  CheckedArray<uint16_t, 1, 5> runtime_4922;
};
static_assert(sizeof(ItemPlan) == 4932);
static_assert(offsetof(ItemPlan, runtime_4856) == 4856);
static_assert(offsetof(ItemPlan, runtime_4922) == 4922);

// A talent (1564 bytes): the game's; only its code is named.
struct Talent {
  ShortString<40> code;  // e.g. "ta_co_multishot"
  uint8_t game_41[1523];
};
static_assert(sizeof(Talent) == 1564);

// A being plan (24180 bytes): the game's. Named are the fields that the
// naming of plans and the generation reset use.
struct BeingPlan {
  ShortString<40> code;
  uint8_t game_41[31];
  ShortString<255> name_template;  // "%section%" placeholders are expanded
  uint8_t game_328[144];
  uint8_t named_flag;  // non-zero: the plan gets a generated name
  uint8_t game_473[2329];
  uint16_t unique_kind;  // 1: the plan gets a generated name
  uint8_t game_2804[19856];
  CheckedArray<int32_t, 1, 79> runtime_22660;
  uint8_t game_22976[954];
  uint16_t runtime_23930;
  CheckedArray<int32_t, 1, 31> runtime_23932;
  uint8_t game_24056[80];
  ShortString<30> name;  // the generated name
  uint8_t game_24167;
  CheckedArray<uint16_t, 1, 6> runtime_24168;
};
static_assert(sizeof(BeingPlan) == 24180);
static_assert(offsetof(BeingPlan, name_template) == 72);
static_assert(offsetof(BeingPlan, named_flag) == 472);
static_assert(offsetof(BeingPlan, unique_kind) == 2802);
static_assert(offsetof(BeingPlan, runtime_22660) == 22660);
static_assert(offsetof(BeingPlan, runtime_23930) == 23930);
static_assert(offsetof(BeingPlan, runtime_23932) == 23932);
static_assert(offsetof(BeingPlan, name) == 24136);
static_assert(offsetof(BeingPlan, runtime_24168) == 24168);

// A portal (254 bytes): a way between levels and where to place it.
struct PortalRecord {
  uint16_t portal_id;
  uint8_t reserved_2[2];
  int16_t portal_level;        // level_index of the level it lies on
  uint16_t destination_level;  // level index it leads to
  LocationSpec placement;      // stuff_type 1, stuff_id 1 down, 2 up, 3 teleporter
  uint8_t portal_flag_a;       // teleporters: 0 = switched on when placed
  uint8_t portal_flag_b;       // teleporters: with an even index, removed after placement
  uint8_t linked_flag;         // shares its position with a linked portal
  uint8_t reserved_247[3];
  uint8_t portal_x;  // 0 = not placed yet
  uint8_t portal_y;
  uint8_t portal_state;  // run-time flag, cleared with the position
  uint8_t reserved_253;
};
static_assert(sizeof(PortalRecord) == 254);
static_assert(offsetof(PortalRecord, portal_level) == 4);
static_assert(offsetof(PortalRecord, destination_level) == 6);
static_assert(offsetof(PortalRecord, placement) == 8);
static_assert(offsetof(PortalRecord, portal_flag_a) == 244);
static_assert(offsetof(PortalRecord, linked_flag) == 246);
static_assert(offsetof(PortalRecord, portal_x) == 250);
static_assert(offsetof(PortalRecord, portal_state) == 252);

// A content (37790 bytes): what dresses one area up, which areas qualify
// and the location specifications placed in it.
struct ContentRecord {
  ShortString<40> content_code;
  ShortString<30> content_title;
  CheckedArray<uint16_t, 1, 10> theme_group_ids;  // 0 ends the list
  uint8_t max_per_level;  // 0 = no limit
  uint8_t max_total;      // 0 = no limit
  uint8_t light_chance;
  uint8_t dim_chance;
  uint8_t animated_chance;
  uint8_t chest_lock_chance;
  Dice chest_lock_difficulty;
  uint16_t chest_key;
  uint8_t checker_chance;
  uint8_t floor_shift_chance;
  uint16_t candidate_number;  // run-time
  CheckedArray<LocationSpec, 1, 9> area_needs;
  uint8_t shuffle_needs_chance;
  uint8_t reserved_2267;
  CheckedArray<LocationSpec, 1, 150> stuff_list;
  CheckedArray<uint8_t, 1, 2> placement_parameters;
  uint8_t motif_unify_chance;
  uint8_t motif_skip_special_chance;
  uint8_t motif_unify_after_special_chance;
  uint8_t remove_statues_chance;
  uint8_t remove_pillars_chance;
  uint8_t avoid_special_stuff;
  uint8_t game_37676[2];
  uint8_t beings_near_walls;
  uint8_t game_37679[2];
  uint8_t content_stuff_mark;
  uint8_t game_37682[2];
  uint8_t shut_doors;
  uint8_t shut_doors_b;
  uint8_t relax_area_needs;
  uint8_t game_37687[9];
  uint8_t no_teleporter;
  uint8_t game_37697[4];
  uint8_t not_placeable;  // run-time
  uint8_t entry_lock_chance;
  uint8_t entry_secret_chance;
  uint8_t door_secret_chance;
  uint8_t game_37705[81];
  uint16_t placed_on_level;  // run-time
  uint16_t placed_total;     // run-time
};
static_assert(sizeof(ContentRecord) == 37790);
static_assert(offsetof(ContentRecord, content_title) == 41);
static_assert(offsetof(ContentRecord, theme_group_ids) == 72);
static_assert(offsetof(ContentRecord, max_per_level) == 92);
static_assert(offsetof(ContentRecord, chest_lock_difficulty) == 98);
static_assert(offsetof(ContentRecord, chest_key) == 136);
static_assert(offsetof(ContentRecord, checker_chance) == 138);
static_assert(offsetof(ContentRecord, candidate_number) == 140);
static_assert(offsetof(ContentRecord, area_needs) == 142);
static_assert(offsetof(ContentRecord, shuffle_needs_chance) == 2266);
static_assert(offsetof(ContentRecord, stuff_list) == 2268);
static_assert(offsetof(ContentRecord, placement_parameters) == 37668);
static_assert(offsetof(ContentRecord, motif_unify_chance) == 37670);
static_assert(offsetof(ContentRecord, avoid_special_stuff) == 37675);
static_assert(offsetof(ContentRecord, beings_near_walls) == 37678);
static_assert(offsetof(ContentRecord, content_stuff_mark) == 37681);
static_assert(offsetof(ContentRecord, shut_doors) == 37684);
static_assert(offsetof(ContentRecord, relax_area_needs) == 37686);
static_assert(offsetof(ContentRecord, no_teleporter) == 37696);
static_assert(offsetof(ContentRecord, not_placeable) == 37701);
static_assert(offsetof(ContentRecord, door_secret_chance) == 37704);
static_assert(offsetof(ContentRecord, placed_on_level) == 37786);
static_assert(offsetof(ContentRecord, placed_total) == 37788);

// A text-directory record: one section of the text store.
struct TextSection {
  int32_t first_line;  // counted from 0
  int32_t line_count;
  int32_t deck_remaining;  // run-time: draws left in the section's deck
  int32_t deck_start;      // run-time: start of the deck in the deck array
};
static_assert(sizeof(TextSection) == 16);

// Per being plan, the text-store section used for each of 80 text kinds.
struct BeingTextLinks {
  CheckedArray<int32_t, 1, 80> section;
};
static_assert(sizeof(BeingTextLinks) == 320);
// Per item plan, the text-store section used for each of 7 item text kinds.
struct ItemTextLinks {
  CheckedArray<int32_t, 1, 7> section;
};
static_assert(sizeof(ItemTextLinks) == 28);
#pragma pack(pop)

// ---- Loaded tables ----------------------------------------------------
// Each record table holds count + 1 entries, entry 0 blank; level_table
// (GAME_Level.h) and area_templates (GAME_Dungeon.h) are two of the seven.

extern CheckedTable<ItemPlan> item_plans;
extern CheckedTable<Talent> talents;
extern CheckedTable<BeingPlan> being_plans;
extern CheckedTable<PortalRecord> portals;
extern CheckedTable<ContentRecord> contents;
// Read including entry 0: H + 1, C + 1 and A + 1 records.
extern CheckedTable<TextSection> text_directory;
extern CheckedTable<BeingTextLinks> being_text_links;
extern CheckedTable<ItemTextLinks> item_text_links;
// The text store's lines (from 0), the section names and the lines of the
// section named "tags". The last directory record is the section of the
// names: line k of its range (counted from 0) names section k, so its first
// line names the blank entry 0 and its last line names itself.
extern CheckedTable<std::string> text_store;
extern CheckedTable<std::string> text_section_names;
extern CheckedTable<std::string> text_tags;
// The being plan named by the size block for the party set-up.
extern int avatar_being_plan;
// Game indexes looked up by name after loading; 0 when absent.
extern int coin_item_plan;      // "it_coin"
extern int multishot_talent;    // "ta_co_multishot"

// Set by the shell before load_game_data ("Kavrel").
extern std::string data_name;

// Loads program_folder + "Data/" + data_name + ".kvd" into every table above;
// false (message shown, shutting_down set) for a missing or rejected file.
bool load_game_data();
// Releases every loaded table (safe when nothing is loaded).
void release_game_data();

// Splits text into lines at CR LF, lone CR or lone LF (for the text store).
std::vector<std::string> split_text_lines(std::string_view text);
// Builds the section-name list and the "tags" list from the text directory.
void build_text_sections();
