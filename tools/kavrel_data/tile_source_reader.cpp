#include "tile_source_reader.h"

#include "GAME_Map.h"
#include "toml_fields.h"

namespace {
TileRecord pictures(int variants, int stride) {
  TileRecord record{};
  record.variant_count = static_cast<uint16_t>(variants);
  record.variant_stride = static_cast<uint16_t>(variants > 0 ? stride : 0);
  record.image_factor = static_cast<uint16_t>(variants > 0 ? 1 : 0);
  return record;
}

std::vector<TileRecord> uniform_table(int count, int variants) {
  return std::vector<TileRecord>(static_cast<size_t>(count), pictures(variants, 1));
}

// Blocks 1..100: walls and floors with their variant counts; ids that name no block have none.
std::vector<TileRecord> block_table(TomlFields& top) {
  const toml::table* blocks = top.table_or_null("blocks");
  if (!blocks) top.fail("blocks", "[blocks] is missing");
  TomlFields fields(*blocks, top.file(), line_of(*blocks));
  const int walls = static_cast<int>(fields.integer("wall_variants", 1, 8));
  const int floors = static_cast<int>(fields.integer("floor_variants", 1, 8));
  fields.finish();
  std::vector<TileRecord> table;
  for (int id = 1; id <= block_count; ++id) {
    const bool named = std::string(block_names[id]) != "-";
    table.push_back(pictures(named ? (id <= 50 ? walls : floors) : 0, 1));
  }
  return table;
}

// Furniture 1..65, every kind listed as [variants, pictures per variant].
std::vector<TileRecord> furniture_table(TomlFields& top) {
  const toml::table* list = top.table_or_null("furniture");
  if (!list) top.fail("furniture", "[furniture] is missing");
  TomlFields fields(*list, top.file(), line_of(*list));
  std::vector<TileRecord> table;
  for (int id = 1; id <= furniture_count; ++id) {
    const toml::node* entry = fields.node(furniture_ids[id]);
    if (!entry) fields.fail(furniture_ids[id], std::string(furniture_ids[id]) + " is missing from [furniture]");
    const toml::array* pair = entry->as_array();
    if (!pair || pair->size() != 2) fields.fail_at(*entry, "a furniture entry is [variants, pictures per variant]");
    const int variants = static_cast<int>(fields.integer_of(*pair->get(0), 1, 50, "the variant count"));
    const int stride = static_cast<int>(fields.integer_of(*pair->get(1), 1, 8, "the pictures per variant"));
    if ((variants - 1) * stride > 255)
      fields.fail_at(*entry, "the last variant's offset must fit a byte (at most 255)");
    table.push_back(pictures(variants, stride));
  }
  fields.finish();
  return table;
}
}  // namespace

TileSource read_tile_source(std::string_view text, const std::string& file, int being_plans,
                            int item_plans, int talents) {
  const toml::table document = parse_toml(text, file);
  TomlFields top(document, file, 1);
  TileSource source;
  source.tile_size = static_cast<int>(top.integer("source_tile_size", 4, 64));
  source.tables[1] = block_table(top);
  source.tables[2] = furniture_table(top);
  const toml::table* free = top.table_or_null("free_tables");
  if (!free) top.fail("free_tables", "[free_tables] is missing");
  TomlFields counts(*free, file, line_of(*free));
  for (int table : {3, 4, 5, 9})
    source.tables[static_cast<size_t>(table)] = uniform_table(
        static_cast<int>(counts.integer("table_" + std::to_string(table), 0, 1000)), 1);
  counts.finish();
  top.finish();
  source.tables[6] = uniform_table(being_plans, 1);
  source.tables[7] = uniform_table(item_plans, 1);
  source.tables[8] = uniform_table(5, 1);
  source.tables[10] = uniform_table(talents, 1);
  source.tables[11] = uniform_table(73, 1);
  return source;
}
