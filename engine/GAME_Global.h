// Runtime support shared by every engine unit: the call trace, the error log,
// the process-wide flags, the program folder and the engine state block.
//
// Trace convention: every traced routine takes an integer call depth. On
// entry it calls `depth = trace_enter(depth, own_id)`, which, for depth > 0,
// stores the id into trace_stack slot depth + 1 (when that slot exists) and
// returns depth + 1; depth <= 0 stores nothing and stays as it is. The
// routine passes the returned depth to the traced routines it calls and to
// report_error. Depth 0 means untraced and silent: failures are not reported.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Range_Check.h"

// ---- The engine state block --------------------------------------------

inline constexpr int trace_slot_count = 100;

#pragma pack(push, 1)
// The engine's per-game state (638288 bytes), zeroed before every
// generation. Only the fields below are used; the rest is the game's.
struct EngineState {
  uint8_t reserved_0[104];
  int32_t generation_seed;                // rand_seed at the last prepare_generation
  CheckedArray<int32_t, 0, 12> level_seed;  // 0: prepare_generation; k: each attempt on level k
  uint8_t reserved_160[18];
  uint16_t destination_level;             // level that level set-up makes current
  uint16_t current_level;                 // 0 = no current level
  uint8_t reserved_182[2170];
  CheckedArray<uint16_t, 1, trace_slot_count> trace_stack;
  uint8_t reserved_2552[635736];
};
#pragma pack(pop)

static_assert(sizeof(EngineState) == 638288);
static_assert(offsetof(EngineState, generation_seed) == 104);
static_assert(offsetof(EngineState, level_seed) == 108);
static_assert(offsetof(EngineState, destination_level) == 178);
static_assert(offsetof(EngineState, current_level) == 180);
static_assert(offsetof(EngineState, trace_stack) == 2352);  // slot k at 2350 + 2k

extern EngineState engine_state;

// ---- Call trace -------------------------------------------------------

inline constexpr int trace_name_count = 491;
// Entry 0 is "-"; entries 1..490 are "Unit, routine" in alphabetical order.
extern const char* const trace_names[trace_name_count];
// Checked lookup of a trace name (an id above 490 is a range error).
const char* trace_name(int id);

// Trace ids of the routines this system contains (positions in trace_names).
namespace trace_id {
// GAME_Avatar (the game's party set-up, called by the generation state reset)
inline constexpr uint16_t setup_avatars = 74;
// GAME_Dungeon
inline constexpr uint16_t connect_areas = 170, connect_areas_through_walls = 171,
    connect_areas_with_corridors = 172, continue_corridor = 173, continue_hallway = 174,
    continue_vault_deadend = 175, create_circular = 176, create_corridor = 177,
    create_doorway = 178, create_dungeon = 179, create_ellipse = 180, create_natural = 181,
    create_polygon = 182, create_room = 183, create_special = 184,
    create_terminating_area = 185, deadend_to_floor = 186, dig_dungeon = 187,
    doors_to_secret_doors = 188, finalize_dungeon = 189, fix_naturals = 190,
    mark_to_doorway = 191, merge_rooms = 192, scan_corridor_space = 193,
    secret_doors_to_orphan_corridors = 194, setup_force_areas = 195,
    terminate_deadends = 196, terminate_hallways = 197, trim_areas = 198,
    widen_doorway = 199;
// GAME_Level
inline constexpr uint16_t add_content_light = 281, add_content_stuff = 282,
    add_forced_contents = 283, add_level_stuff = 284, add_portal = 285, add_stuff = 286,
    add_to_areas = 287, arrive_at_level = 288, calculate_area_exits = 289,
    convert_area_furniture = 290, create_level = 291, dim_area_lighhts = 292,
    doors_to_mimics = 293, find_area_for_content = 294, find_cell_zone_exits = 295,
    find_door_for_trap = 296, find_location = 297, find_location_spot = 298,
    find_nearest_portal = 299, force_transfer_beings = 300, get_destination_portal = 301,
    get_first_portal = 302, get_portal = 303, lock_area_furniture = 304,
    place_recruitable_being = 305, place_transfer_being = 306, restock_shops = 307,
    restore_recruitable_beings = 308, restore_transfer_beings = 309, set_level_themes = 310,
    set_portals = 311, set_stair_protectors = 312, setup_level = 313, spawn_beings = 314,
    store_recruitable_beings = 315, store_transfer_beings = 316,
    update_area_door_state = 317, update_level = 318;
// GAME_Map
inline constexpr uint16_t add_failed_mark = 349, add_furniture = 350, add_mark = 351,
    add_marks_to_line = 352, create_secret_door = 353, find_free_floor_for_being = 354,
    find_free_floor_for_being_weighted_to_direction = 355, get_area = 356,
    get_area_index = 357, get_block_base = 358, get_furniture = 359,
    get_unexplored_location = 360, is_closed_container = 361, is_door = 362,
    is_doorway = 363, is_floor = 364, is_free_floor = 365, is_free_wall = 366,
    is_furniture = 367, is_furniture_container = 368, is_impenetrable_wall = 369,
    is_light = 370, is_near = 371, is_near_doorway = 372, is_on_xy = 373,
    is_secret_door = 374, is_wall = 375, on_explored_map = 376, on_map = 377,
    place_area = 378, remove_furniture = 379, reveal_secret_door = 380, set_block = 381,
    smear_splashes = 382, update_furniture_state = 383;
}  // namespace trace_id

// Enters a traced routine: see the convention at the top of this file.
inline int trace_enter(int depth, uint16_t id) {
  if (depth > 0) {
    if (depth + 1 <= trace_slot_count) engine_state.trace_stack[depth + 1] = id;
    return depth + 1;
  }
  return depth;
}

// ---- Error log and process-wide flags ---------------------------------

inline constexpr int release_number = 52;

extern std::vector<std::string> error_log;  // newest entry first
extern bool shutting_down;
extern bool error_flag;
extern std::string program_folder;  // with a trailing "/"

// Shows a modal message to the user. The window installs a message box,
// the command line prints to stderr; tests capture it.
using MessageBoxHandler = std::function<void(const std::string& text)>;
void set_message_box_handler(MessageBoxHandler handler);
void show_message_box(const std::string& text);

// Local date and time as used in log entries and file names.
struct LocalDateTime {
  int year, month, day, hour, minute, second, millisecond;
};
using LocalClock = std::function<LocalDateTime()>;
// Replaces the clock (tests pin the time); an empty function restores the system clock.
void set_local_clock(LocalClock clock);
LocalDateTime local_now();

// Records a failure in "Error-log.txt" (newest first) with the call trace of
// slots 1..depth (at most the 100 slots that exist); a fatal report
// (shut_down) also shows a message box once and sets shutting_down. Depth 0
// does nothing at all. A log file that cannot be written throws
// std::runtime_error before anything is shown or flagged.
void report_error(int depth, const std::string& message, bool shut_down);

// printf-style formatting for the engine's messages.
std::string format_text(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

// ---- Engine start-up and shutdown (GAME_Global_startup.cpp) ------------

// The game's settings that this system uses, given their defaults by start_engine.
struct EngineSettings {
  std::string tileset_name;  // "Kavrel"
  int tile_size = 32;        // display tile size
  int tile_size_2 = 32;      // second display tile size
  int saved_monitor = 0;     // monitor of the last settings save
  int monitor_to_save = 0;
  int window_monitor = 0;    // set by the window: the monitor that shows it
  bool block_colors = true;  // settings key "block_colors"
};
extern EngineSettings engine_settings;

// Program folder, key text, settings defaults, empty lists, the one seeding
// from the clock, the geometry tables and the start-up housekeeping files.
// The program folder is the executable's folder; the environment variable
// DUNGEON_PROGRAM_FOLDER, when set, names another one (tests, command line).
void start_engine();
// Clears every loaded and run-time table and list; safe before start_engine
// and when called twice.
void release_engine();
// Shutdown housekeeping, statistics file, settings file when the window's
// monitor changed, release of graphics and engine; terminate ends the process.
void shut_down_engine(bool terminate);
