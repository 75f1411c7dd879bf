#include "level_fixture.h"

#include <cstring>

#include "GAME_Map.h"

Dice make_dice(int count, int sides, int bonus) {
  Dice d = blank_dice;
  d.count = narrow<uint8_t>(count);
  d.sides = narrow<uint8_t>(sides);
  d.bonus = narrow<int16_t>(bonus);
  return d;
}

LevelRecord default_level_record() {
  LevelRecord record;
  std::memset(static_cast<void*>(&record), 0, sizeof record);
  record.level_index = 3;
  record.level_map_size = 128;

  DungeonSettings& d = record.dungeon;
  const uint8_t chance[] = {30, 40, 10, 10, 8, 6, 6, 5, 3};
  for (int kind = 1; kind <= 9; ++kind) {
    d.area_chance[kind] = chance[kind - 1];
    d.area_seq[kind] = 60;
    d.area_max[kind] = 0;
  }
  d.area_seq[1] = 100;  // corridors may follow corridors
  d.area_max[9] = 2;

  d.dig_steps = 100;
  d.corridor_branch_chance = 20;
  d.merge_chance = 20;
  d.merge_special_chance = 5;
  d.tunnel_end_chance = 30;
  d.corridor_width = 1;
  d.dead_end_room_limit = 6;
  d.doorway_door_chance = 40;
  d.open_door_chance = 30;
  d.template_widen_chance = 30;
  d.special_widen_chance = 30;
  d.mark_doorway_chance = 50;
  d.secret_door_chance = 5;
  d.door_to_secret_chance = 5;
  d.fix_naturals_chance = 50;
  d.secret_door_difficulty = make_dice(1, 10, 5);
  d.room_size = make_dice(2, 4, 3);

  d.natural_blocks[1] = {5, 57};   // grey stone wall, grey natural floor
  d.natural_blocks[2] = {2, 53};   // brown stone wall, brown natural floor
  d.natural_block_count = 2;
  d.built_blocks[1] = {14, 71};    // grey block wall, grey block floor
  d.built_blocks[2] = {11, 67};    // brown block wall, brown block floor
  d.built_block_count = 2;
  d.special_blocks[1] = {14, 87};  // grey block wall, grey plate floor
  d.special_block_count = 1;
  d.vault_blocks[1] = {12, 83};    // gold block wall, gold plate floor
  d.vault_block_count = 1;
  d.natural_wall = 5;
  d.natural_floor = 57;
  d.built_wall = 14;
  d.built_floor = 71;
  d.natural_alt_floor = 53;
  return record;
}

void install_level(const LevelRecord& record) {
  const int index = record.level_index;
  if (level_table.highest() < index) level_table.resize_to(index);
  level_table[index] = record;
  current_level = record;
  map_size = record.level_map_size;
}

void reset_dungeon_state() {
  dungeon = current_level.dungeon;
  dungeon.area_counter = 1;
  map_cells.clear();
  for (Layer* layer : {&impenetrable_layer, &dug_layer, &fill_visited_layer, &stencil_layer,
                       &mark_layer, &mark_block_layer, &mark_area_layer, &dead_end_layer,
                       &hallway_end_layer})
    layer->clear();
  clear_marks();
  empty_areas();
}

AreaTemplate make_template(const std::string& name, std::initializer_list<int> tags) {
  AreaTemplate tpl;
  std::memset(static_cast<void*>(&tpl), 0, sizeof tpl);
  tpl.name.assign(name);
  for (int t : tags) tpl.tags[t] = 1;
  return tpl;
}

void install_templates(const std::vector<AreaTemplate>& templates) {
  area_templates.clear();
  area_templates.resize_to(static_cast<int>(templates.size()));
  for (size_t i = 0; i < templates.size(); ++i)
    area_templates[static_cast<int>(i) + 1] = templates[i];
}
