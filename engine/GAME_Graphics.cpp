// The tile catalogue: loading the tile-information file and the tile sheet,
// and the furniture variant lookups that furniture placement draws with.
//
// The generator draws no tiles, so the image lists hold no pixels: loading
// walks the sheet rectangles each list would take (so a catalogue whose
// rectangle numbers run past R is refused as the game refuses it) and
// records how many pictures each list holds.
#include "GAME_Graphics.h"

#include <filesystem>
#include <stdexcept>
#include <vector>

#include "GAME_File.h"
#include "GAME_Global.h"

CheckedTable<TileRecord> furniture_tiles;
TileHeader tile_header{};
CheckedTable<SheetRect> sheet_rects;
CheckedArray<int, 1, 4> image_list_size{};

namespace {
CheckedArray<CheckedTable<TileRecord>, 1, tile_table_count> other_tile_tables;

// Picture groups of tables 1..8 on the sheet.
constexpr int group_count[9] = {0, 4, 4, 3, 3, 1, 3, 3, 3};

// The catalogue's fixed counts and those tied to the loaded data file.
bool table_counts_hold(const TileHeader& header) {
  auto count = [&](int table) { return static_cast<int>(header.words[tile_count_word(table)]); };
  auto loaded = [](int highest) { return highest < 0 ? 0 : highest; };
  return count(1) == 100 && count(2) == 65 && count(6) == loaded(being_plans.highest()) &&
         count(7) == loaded(item_plans.highest()) && count(8) == 5 &&
         count(10) == loaded(talents.highest()) && count(11) == 73;
}

// Refuses a sheet that is not a Windows bitmap with a usable size.
void check_sheet_bitmap(const std::string& file_name) {
  std::vector<uint8_t> bytes;
  if (!read_whole_file(file_name, bytes) || bytes.size() < 26 || bytes[0] != 'B' || bytes[1] != 'M')
    throw std::runtime_error("Bitmap image is not valid");
}

// Takes count rectangles from number `next` on; each must exist.
void take_rectangles(int& next, int64_t count, int& list_size) {
  for (int64_t i = 0; i < count; ++i) static_cast<void>(sheet_rects[next++]);
  list_size += static_cast<int>(count);
}

// Image lists 1 (table 1) and 2 (tables 2..8): per picture group, the
// records with pictures of their own take their rectangles in turn.
void fill_tile_lists() {
  for (int table = 1; table <= 8; ++table) {
    int& list_size = image_list_size[table == 1 ? 1 : 2];
    for (int group = 1; group <= group_count[table]; ++group) {
      int next = tile_header.words[tile_first_rect_word(table)] +
                 tile_header.words[tile_group_word(table, group)];
      const CheckedTable<TileRecord>& records = tile_table(table);
      for (int r = 1; r <= records.highest(); ++r) {
        const TileRecord& t = records[r];
        if (t.first_image == 0 || t.no_sheet_images != 0) continue;
        take_rectangles(next, int64_t{t.variant_count} * t.variant_stride * t.image_factor, list_size);
      }
    }
  }
}

// Image list 3 (tables 9..11, one rectangle per variant) and list 4 (ten
// brightness steps of every variant of furniture 61, taken from list 2).
void fill_interface_lists() {
  for (int table = 9; table <= 11; ++table) {
    int next = tile_header.words[tile_first_rect_word(table)];
    const CheckedTable<TileRecord>& records = tile_table(table);
    for (int r = 1; r <= records.highest(); ++r) {
      const TileRecord& t = records[r];
      if (t.first_image == 0 || t.no_sheet_images != 0) continue;
      take_rectangles(next, t.variant_count, image_list_size[3]);
    }
  }
  // Variant c takes picture first_image + c + words[tile_list4_offset_word] - 1
  // of list 2; a picture that list 2 lacks draws nothing and is no error.
  image_list_size[4] += 10 * furniture_tiles[61].variant_count;
}

void clear_tile_tables() {
  furniture_tiles.clear();
  for (CheckedTable<TileRecord>& table : other_tile_tables) table.clear();
  sheet_rects.clear();
  tile_header = TileHeader{};
}

}  // namespace

CheckedTable<TileRecord>& tile_table(int table) {
  check_index(table, 1, tile_table_count);
  return table == furniture_tile_table ? furniture_tiles : other_tile_tables[table];
}

void create_graphics() { image_list_size.fill(0); }

void release_graphics() {
  image_list_size.fill(0);
  clear_tile_tables();
}

bool load_tile_catalogue() {
  image_list_size.fill(0);
  const std::string base = program_folder + "Data/" + engine_settings.tileset_name;
  const std::string info_name = base + ".kti";
  const std::string sheet_name = base + ".kts";
  if (!std::filesystem::is_regular_file(info_name)) {
    show_missing_file(info_name);
    return false;
  }
  if (!std::filesystem::is_regular_file(sheet_name)) {
    show_missing_file(sheet_name);
    return false;
  }

  MemoryStream info;
  if (!read_whole_file(info_name, info.bytes)) {
    show_missing_file(info_name);
    return false;
  }
  TileHeader header{};
  if (info.bytes.size() >= tile_header_length) read_stream(info, &header, sizeof header);
  if (info.bytes.size() < tile_header_length ||
      static_cast<int64_t>(info.bytes.size()) != header.file_length || !table_counts_hold(header)) {
    show_corrupted_file(info_name);
    return false;
  }

  clear_tile_tables();
  tile_header = header;
  for (int table = 1; table <= tile_table_count; ++table) {
    CheckedTable<TileRecord>& records = tile_table(table);
    const int count = header.words[tile_count_word(table)];
    records.resize_to(count);
    read_stream(info, records.data() + 1, sizeof(TileRecord) * static_cast<size_t>(count));
  }
  sheet_rects.resize_to(header.rect_count);
  read_stream(info, sheet_rects.data() + 1, sizeof(SheetRect) * header.rect_count);

  check_sheet_bitmap(sheet_name);
  image_list_size.fill(1);  // the placeholder picture 0 of lists 1 to 3
  image_list_size[4] = 0;
  fill_tile_lists();
  fill_interface_lists();
  return true;
}

int furniture_variant_count(int furniture) {
  if (furniture_tiles.highest() < 1) return 0;
  return furniture_tiles[furniture].variant_count;
}

int furniture_variant_step(int furniture) {
  if (furniture_tiles.highest() < 1) return 0;
  return furniture_tiles[furniture].variant_stride;
}
