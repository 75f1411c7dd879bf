// The dungeon generator: the dungeon settings block with its run-time
// counters, the area templates, the marks at which areas are attached, the
// generation driver and the area builders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "GAME_Dice.h"
#include "GAME_Map.h"
#include "Range_Check.h"
#include "Short_String.h"

#pragma pack(push, 1)
struct BlockPair {
  uint8_t wall;
  uint8_t floor;
};

// The 2844-byte dungeon settings block of a level record (record offsets
// 72..2915). The same layout is the generator's per-attempt working copy,
// whose last fields are the run-time state of the generation in progress.
struct DungeonSettings {
  CheckedArray<uint8_t, 1, 9> area_chance;  // weight in the free choice
  CheckedArray<uint8_t, 1, 9> area_seq;     // percent: may follow its own kind
  CheckedArray<uint8_t, 1, 9> area_max;     // per attempt, 0 = no limit
  CheckedArray<uint8_t, 1, 9> area_count;   // run-time
  CheckedArray<uint16_t, 1, 30> force_area;  // kind, 9 + template, or 9 + T + tag
  CheckedArray<Dice, 1, 30> force_count;
  uint8_t dig_steps;
  uint8_t corridor_branch_chance;
  uint8_t merge_chance;
  uint8_t reserved_1311;
  uint8_t merge_special_chance;
  uint8_t tunnel_end_chance;
  uint8_t corridor_width;
  uint8_t dead_end_room_limit;
  uint8_t doorway_door_chance;
  uint8_t open_door_chance;
  uint8_t template_widen_chance;
  uint8_t special_widen_chance;
  uint8_t mark_doorway_chance;
  uint8_t secret_door_chance;
  uint8_t door_to_secret_chance;
  uint8_t lock_chance;
  uint8_t mimic_chance;
  uint8_t fix_naturals_chance;
  uint8_t dim_lights;
  uint8_t animated_light_chance;
  Dice secret_door_difficulty;
  Dice lock_difficulty;
  Dice stuff_amount;
  Dice room_size;
  uint16_t lock_key_id;
  uint16_t mimic_kind;
  uint16_t stuff_kind;
  uint8_t natural_wall;
  uint8_t natural_floor;
  uint8_t built_wall;
  uint8_t built_floor;
  uint8_t natural_alt_floor;
  // Template categories: 1 specials, 2 vaults, 3 dead-end caps.
  CheckedArray<CheckedArray<uint8_t, 1, 60>, 1, 3> include_tags;
  CheckedArray<CheckedArray<uint8_t, 1, 60>, 1, 3> exclude_tags;
  CheckedArray<uint8_t, 1, 60> tag_placed;  // run-time
  CheckedArray<BlockPair, 1, 120> natural_blocks;
  CheckedArray<BlockPair, 1, 120> built_blocks;
  CheckedArray<BlockPair, 1, 120> special_blocks;
  CheckedArray<BlockPair, 1, 120> vault_blocks;
  uint8_t natural_block_count;
  uint8_t built_block_count;
  uint8_t special_block_count;
  uint8_t vault_block_count;
  uint8_t reserved_2875;
  // Run-time fields: 0 in stored records, reset by every create_dungeon.
  int32_t dig_step;
  int32_t area_counter;  // number the next area receives
  int32_t parent_area;
  int32_t current_x;
  int32_t current_y;
  int32_t current_from_kind;
  int32_t claimed_cells_at_finish;
  int32_t claimed_cell_count;
  uint8_t area_placed;
  uint8_t marks_closed;
  CheckedArray<uint16_t, 1, 3> template_candidates;
};
#pragma pack(pop)

inline constexpr size_t dungeon_block_offset = 72;
static_assert(sizeof(DungeonSettings) == 2844);
#define DUNGEON_AT(field, record_offset) \
  static_assert(dungeon_block_offset + offsetof(DungeonSettings, field) == (record_offset))
DUNGEON_AT(area_chance, 72);
DUNGEON_AT(area_seq, 81);
DUNGEON_AT(area_max, 90);
DUNGEON_AT(area_count, 99);
DUNGEON_AT(force_area, 108);
DUNGEON_AT(force_count, 168);
DUNGEON_AT(dig_steps, 1308);
DUNGEON_AT(corridor_branch_chance, 1309);
DUNGEON_AT(merge_chance, 1310);
DUNGEON_AT(merge_special_chance, 1312);
DUNGEON_AT(tunnel_end_chance, 1313);
DUNGEON_AT(corridor_width, 1314);
DUNGEON_AT(dead_end_room_limit, 1315);
DUNGEON_AT(doorway_door_chance, 1316);
DUNGEON_AT(open_door_chance, 1317);
DUNGEON_AT(template_widen_chance, 1318);
DUNGEON_AT(special_widen_chance, 1319);
DUNGEON_AT(mark_doorway_chance, 1320);
DUNGEON_AT(secret_door_chance, 1321);
DUNGEON_AT(door_to_secret_chance, 1322);
DUNGEON_AT(lock_chance, 1323);
DUNGEON_AT(mimic_chance, 1324);
DUNGEON_AT(fix_naturals_chance, 1325);
DUNGEON_AT(dim_lights, 1326);
DUNGEON_AT(animated_light_chance, 1327);
DUNGEON_AT(secret_door_difficulty, 1328);
DUNGEON_AT(lock_difficulty, 1366);
DUNGEON_AT(stuff_amount, 1404);
DUNGEON_AT(room_size, 1442);
DUNGEON_AT(lock_key_id, 1480);
DUNGEON_AT(mimic_kind, 1482);
DUNGEON_AT(stuff_kind, 1484);
DUNGEON_AT(natural_wall, 1486);
DUNGEON_AT(natural_floor, 1487);
DUNGEON_AT(built_wall, 1488);
DUNGEON_AT(built_floor, 1489);
DUNGEON_AT(natural_alt_floor, 1490);
DUNGEON_AT(include_tags, 1491);
DUNGEON_AT(exclude_tags, 1671);
DUNGEON_AT(tag_placed, 1851);
DUNGEON_AT(natural_blocks, 1911);
DUNGEON_AT(built_blocks, 2151);
DUNGEON_AT(special_blocks, 2391);
DUNGEON_AT(vault_blocks, 2631);
DUNGEON_AT(natural_block_count, 2871);
DUNGEON_AT(built_block_count, 2872);
DUNGEON_AT(special_block_count, 2873);
DUNGEON_AT(vault_block_count, 2874);
DUNGEON_AT(dig_step, 2876);
DUNGEON_AT(area_counter, 2880);
DUNGEON_AT(parent_area, 2884);
DUNGEON_AT(current_x, 2888);
DUNGEON_AT(current_y, 2892);
DUNGEON_AT(current_from_kind, 2896);
DUNGEON_AT(claimed_cells_at_finish, 2900);
DUNGEON_AT(claimed_cell_count, 2904);
DUNGEON_AT(area_placed, 2908);
DUNGEON_AT(marks_closed, 2909);
DUNGEON_AT(template_candidates, 2910);
#undef DUNGEON_AT

// The working copy every generator routine reads and writes.
extern DungeonSettings dungeon;

// ---- Template tags ----------------------------------------------------

inline constexpr int tag_count = 60;
// Tag names 1..60 ("sg_all", ...; "-" where unnamed, tag 45 "- ").
extern const CheckedArray<const char*, 1, tag_count> tag_names;
int tag_by_name(const std::string& name);  // 0 when unknown
namespace tag {
inline constexpr int sg_ambush = 13, vg_prison = 44, cg_all = 55, vo_base_blocks = 60;
}

// ---- Area templates ---------------------------------------------------

#pragma pack(push, 1)
struct TemplateFurniture {
  uint8_t u, v, furniture;  // u = 0: unused
};
struct TemplateExit {
  uint8_t u, v, direction, forced_kind;  // u, v outside 1..64: unused
};
struct TemplateZone {
  uint8_t u, v, width, height;  // u = 0: no zone
};

// A special or vault layout (4812 bytes), drawn facing north.
struct AreaTemplate {
  ShortString<30> name;  // "sp_..." is a special, anything else a vault
  CheckedArray<CheckedArray<uint8_t, 1, 64>, 1, 64> cells;  // cells[u][v], codes 0..5
  CheckedArray<TemplateFurniture, 1, 50> furniture;
  CheckedArray<TemplateExit, 1, 50> exits;
  CheckedArray<TemplateZone, 1, 60> zones;
  CheckedArray<uint8_t, 1, 60> tags;
  uint8_t entry_u, entry_v;
  uint8_t reserved_4779[6];
  uint8_t size;  // not a candidate when the mark is closer to the edge
  uint16_t max_per_dungeon;     // 0 = no limit
  uint16_t max_since_reset;     // 0 = no limit
  uint8_t sealed;
  uint8_t reserved_4791;
  CheckedArray<uint16_t, 1, 3> candidate;  // run-time
  uint8_t reserved_4798[6];
  uint16_t uses_in_dungeon;    // run-time
  uint8_t excluded;            // run-time
  uint8_t reserved_4807;
  uint16_t uses_since_reset;   // run-time
  uint8_t reserved_4810[2];
};
#pragma pack(pop)
static_assert(sizeof(AreaTemplate) == 4812);
static_assert(offsetof(AreaTemplate, cells) == 31);
static_assert(offsetof(AreaTemplate, furniture) == 4127);
static_assert(offsetof(AreaTemplate, exits) == 4277);
static_assert(offsetof(AreaTemplate, zones) == 4477);
static_assert(offsetof(AreaTemplate, tags) == 4717);
static_assert(offsetof(AreaTemplate, entry_u) == 4777);
static_assert(offsetof(AreaTemplate, entry_v) == 4778);
static_assert(offsetof(AreaTemplate, size) == 4785);
static_assert(offsetof(AreaTemplate, max_per_dungeon) == 4786);
static_assert(offsetof(AreaTemplate, max_since_reset) == 4788);
static_assert(offsetof(AreaTemplate, sealed) == 4790);
static_assert(offsetof(AreaTemplate, candidate) == 4792);
static_assert(offsetof(AreaTemplate, uses_in_dungeon) == 4804);
static_assert(offsetof(AreaTemplate, excluded) == 4806);
static_assert(offsetof(AreaTemplate, uses_since_reset) == 4808);

// Templates 1..T in data-file order (entry 0 blank); loaded from the data file.
extern CheckedTable<AreaTemplate> area_templates;
int template_count();  // T: the highest template number, 0 when none are loaded

// ---- Marks ------------------------------------------------------------

// A pending attachment point on a wall cell.
struct Mark {
  int32_t x, y;
  int32_t dir;         // direction a new area grows in
  int32_t from_kind;   // kind of the area that laid it (0 seed, 8/9 template exits)
  int32_t force_kind;  // kind that must be built here, 0 = free choice
  int32_t exit_value;  // template number for a template exit mark
  int32_t area;        // area_counter when the mark was added
  bool empty() const { return x == 0 && y == 0; }
};

int add_mark(int x, int y, int dir, int from_kind, int force_kind, int exit_value, int depth);
void add_marks_to_line(int x1, int y1, int x2, int y2, int dir, int from_kind, int depth);
void add_failed_mark(const Mark& mark, int depth);
Mark take_mark(int position);
Mark take_failed_mark(int position);
Mark take_extreme_mark();
Mark take_forced_mark();
int find_mark(int x, int y);
int mark_count();
int failed_mark_count();
const Mark& pending_mark(int position);  // read-only view, 0-based
const Mark& failed_mark(int position);
int extreme_mark_count();
int forced_mark_count();
// Called when area 1 is registered: counts the directions holding an extreme mark.
void count_extreme_marks();
void clear_marks();
bool is_free_ahead(const Mark& mark);
int distance_to_edge(int x, int y, int dir);

// ---- Driver -----------------------------------------------------------

void create_dungeon(int depth);
void setup_force_areas(int depth);
void dig_dungeon(int depth);
int first_pending_force_area();
void count_template_candidates(int category, int tag, int size_limit, bool reset_dungeon_counts,
                               bool reset_excluded);
int pick_template_candidate(int category);
bool template_in_category(int template_index, int category, int tag);
bool ray_meets_own_area(int x, int y, int area, int dir, int reach);
bool parallel_corridor_near(int x, int y, int dir, int reach);
bool impenetrable_wall_ahead(int x, int y, int dir);

// ---- Builders (each returns true when an area was built) ----------------

bool create_corridor(int x, int y, int dir, int depth);
bool create_room(int x, int y, int dir, int depth);
bool create_circular(int x, int y, int dir, int depth);
bool create_ellipse(int x, int y, int dir, int depth);
bool create_polygon(int x, int y, int dir, int depth);
bool create_natural(int x, int y, int dir, int kind, int depth);
bool create_special(int x, int y, int dir, int category, int kind, int depth);
// Turns a used-up mark whose outward cell already belongs to an area into a doorway.
void mark_to_doorway(const Mark& mark, int depth);
// Joins a newly built area (new_kind, on the dir side of (x, y)) to the area
// that laid the mark (from_kind); area is the number the doorway cell joins.
void create_doorway(int x, int y, int dir, int new_kind, int from_kind, int area, int depth);
void finalize_dungeon(int depth);

// ---- Room shapes and corridors ------------------------------------------

// A rectangle of cells, normalised so that x1 <= x2 and y1 <= y2.
struct CellRect {
  int32_t x1, y1, x2, y2;
};
// The bounding box of the stencil's non-zero cells, their number, and the
// outermost floor cells (ties: top and bottom take the smallest x, right
// and left the smallest y).
struct StencilBox : CellRect {
  int32_t width, height;
  int32_t cell_count;
  Point top, right, bottom, left;
};

// Geometry tables, built once by init_geometry_tables (start-up; the
// builders call it too, so it is safe to call again): for each radius the
// distinct outline offsets of a circle, and for each outline point the cells
// of the line from the centre to it.
inline constexpr int circle_radius_limit = 30;
inline constexpr int circle_outline_capacity = 240;
inline constexpr int circle_line_capacity = 33;
struct CircleOutline {
  int32_t count;
  CheckedArray<Step, 1, circle_outline_capacity> offsets;
};
struct CircleLine {
  int32_t count;
  CheckedArray<Step, 1, circle_line_capacity> cells;
};
extern CheckedArray<CircleOutline, 1, circle_radius_limit> circle_outline;
extern CheckedArray<CheckedArray<CircleLine, 1, circle_outline_capacity>, 1, circle_radius_limit>
    circle_lines;
void init_geometry_tables();

// The integer line walk from (x1, y1) to (x2, y2), start point excluded.
inline constexpr int line_points_capacity = 200;
struct LinePoints {
  int32_t count;
  CheckedArray<Point, 1, line_points_capacity> points;
};
LinePoints line_points(int x1, int y1, int x2, int y2);
// Nearest integer, halves to the even neighbour.
int round_half_even(double value);

// Shape primitives on stencil_layer; "fits" means every cell is on the map
// and none lies on dug_layer.
bool draw_rect_stencil(int x1, int y1, int x2, int y2, int floor, int wall);
bool draw_circle_stencil(int cx, int cy, int r, int wall, int floor);
bool flood_fill_stencil(int x, int y, int value);
bool wall_ring_stencil(int x1, int y1, int x2, int y2, int wall, int floor);
bool stencil_is_free(int x1, int y1, int x2, int y2, bool naturals_only);
StencilBox stencil_bounds();
// Moves the stencil so that its box is centred on the map; returns the offset.
Point center_first_area();
// The rectangle (walls included) of a room grown from the wall cell (x, y)
// in dir: breadth along the wall, depth_len away from it. Not centred, it
// draws its position along the wall.
CellRect room_rect_at_mark(int x, int y, int dir, int breadth, int depth_len, bool centred);
// Opens the walls on the border of box that the new area shares with
// neighbouring rooms (and, by chance, specials).
void merge_rooms(const CellRect& box, int area, int depth);
// Shared steps of every builder once its shape fits: the first area's
// stencil moves to the map centre and the mark with it (returns the offset);
// the new area is registered under area_counter; it is joined to its parent
// through the doorway at the mark and counted.
Point centre_first_area_at_mark(int& x, int& y);
void register_built_area(int kind, int x, int y, int dir, const StencilBox& box, int depth);
void join_built_area(int kind, int x, int y, int dir, int depth);

bool scan_corridor_space(int x, int y, int dir, int length, int depth);
// The cell at the far end of the area (when valid) or of rect, in dir.
Point far_end_cell(int area, const CellRect& rect, int dir);
bool continue_corridor(int x, int y, int dir, bool allow_room, int depth);
bool deadend_to_floor(int x, int y, int dir, int depth);

// ---- Doorways, connections and finalization ---------------------------------

// Opens the sideways neighbours of the doorway (x, y) into a three-cell
// doorway when the diagonal cells are floor and, unless forced, a template
// side has walls to spare; never next to a room of fewer than 37 cells.
bool widen_doorway(int x, int y, int dir, int new_kind, int from_kind, int area, bool forced,
                   int depth);
// Whether the wall cell (x, y) is a sensible place for a passage. When the
// wall line ends in open floor the answer is no, and a door or secret door
// standing there is taken out and the cell restored to wall.
bool is_doorway_spot(int x, int y);
// Distance from (x, y) in dir to the floor beyond another area's wall, 0
// when no straight three-cell-wide way through unclaimed rock leads there.
int scan_connection_corridor(int x, int y, int dir, int depth);
// The connection passes over a finished map.
void connect_areas(int depth);
void connect_areas_through_walls(int depth);
void connect_areas_with_corridors(int depth);

// Finalization steps (finalize_dungeon runs them in their fixed order).
void terminate_deadends(int depth);
// Builds a small room-like area at the dead end (x, y); whether one was built.
bool cap_dead_end(int x, int y, int dir, int depth);
// Caps, opens or drops every mark left pending or failed; empties both lists.
void trim_areas(int depth);
void fix_naturals(int depth);
// Gives the natural floor region around (x, y) the floor block `block`.
void refloor_natural_area(int x, int y, int block);
void doors_to_secret_doors(int depth);
void secret_doors_to_orphan_corridors(int depth);

// Template hallways and dead ends, continued after the dig steps.
bool is_hallway_end(int x, int y, int dir);
bool is_vault_dead_end(int x, int y, int dir);
bool continue_hallway(int x, int y, int dir, bool wide, int depth);
bool continue_vault_deadend(int x, int y, int dir, int depth);
void terminate_hallways(bool include_vault_ends, int depth);

// ---- Caves, specials and vaults -------------------------------------------

// Paints a small random blob of `floor` around (x, y) into the stencil: a
// radius-2 circle two times in three, else the cell, its four neighbours
// and one to four diagonal neighbours on unclaimed rock. False outside
// 4..map size - 3 or when the blob touches dug floor.
bool natural_brush(int x, int y, int floor);
// Whether the shape in the stencil may become a natural area of kind 6 or
// 7: at most two connected regions of equal values (the wall ring and the
// floor), only on unclaimed ground or natural areas, never on dug floor,
// and at least 50 cells for a tunnel, 80 for a cave.
bool natural_shape_fits(int kind);

// Template orientation. Templates are drawn facing north (entry on the
// south side); a mark facing dir turns them clockwise, and mirroring flips
// them east-west before the turn. The map position of template point (u, v)
// before the placement offset; (0, 0) when the point has none on this map.
Point turn_template_point(int u, int v, int dir, bool mirror);
// The direction an exit drawn facing e faces once the template is turned.
int turn_exit_direction(int e, int dir, bool mirror);
// A template zone turned and moved by offset: its top-left corner, width
// and height on the map; all 0 when its corner has no place on this map.
struct TurnedZone {
  int32_t x, y, width, height;
};
TurnedZone turn_template_zone(const TemplateZone& zone, Point offset, int dir, bool mirror);

// Turns the template drawn at template coordinates in the stencil to face
// dir and moves it so that its turned entry cell lands on (x, y), or, for
// the first area, so that it is centred on the map. Fails when any cell of
// the shape or of its turned target lies off the map. The offset maps a
// turned template point onto the map.
struct TemplatePlacement {
  bool fits;
  Point offset;
};
TemplatePlacement place_template_stencil(int x, int y, Point entry, bool mirror, int dir);
