#include "game_files.h"

#include <fstream>
#include <stdexcept>

#include "GAME_File.h"
#include "tile_catalogue_writer.h"
#include "tile_sheet_painter.h"
#include "tile_source_reader.h"

namespace fs = std::filesystem;

void write_file_replacing(const fs::path& path, const std::vector<uint8_t>& bytes) {
  fs::path temporary = path;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      fs::remove(temporary, ignored);
      throw std::runtime_error("cannot write " + temporary.string());
    }
  }
  std::error_code error;
  fs::rename(temporary, path, error);
  if (error) {
    fs::remove(temporary, error);
    throw std::runtime_error("cannot replace " + path.string());
  }
}

std::string compile_game_files(const fs::path& source_folder, const fs::path& output_folder) {
  const GameData data = read_data_set(source_folder);
  MemoryStream game_data;
  game_data.bytes = encode_game_data(data);
  pack_container(game_data);

  const fs::path tiles_file = source_folder / "tiles.toml";
  const TileSource tiles = read_tile_source(read_source_file(tiles_file), tiles_file.string(), 0, 0, 0);
  const TileCatalogue catalogue = lay_out_tile_catalogue(tiles);
  const std::vector<uint8_t> sheet = paint_tile_sheet(catalogue);

  fs::create_directories(output_folder);
  const std::string base = data_set_name;
  write_file_replacing(output_folder / (base + ".kvd"), game_data.bytes);
  write_file_replacing(output_folder / (base + ".kti"), catalogue.information);
  write_file_replacing(output_folder / (base + ".kts"), sheet);

  int specials = 0, caps = 0;
  for (const AreaTemplate& t : data.templates) {
    specials += t.name.str().starts_with("sp_") ? 1 : 0;
    caps += t.tags[tag::cg_all] ? 1 : 0;
  }
  const int vaults = static_cast<int>(data.templates.size()) - specials - caps;
  return base + ".kvd: " + std::to_string(data.levels.size()) + " levels, " +
         std::to_string(specials) + " specials, " + std::to_string(vaults) + " vaults, " +
         std::to_string(caps) + " dead-end caps, " + std::to_string(data.portals.size()) + " portals, " +
         std::to_string(data.contents.size()) + " contents, " + std::to_string(data.texts.lines.size()) +
         " text lines; " + base + ".kti: " + std::to_string(catalogue.rectangles.size()) + " tiles";
}
