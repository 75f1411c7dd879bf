// The whole data set: every source under the data folder read, checked
// against each other, and laid out as the game data file's decoded bytes.
//
// Folder layout: levels/*.toml (one level each), templates/*.txt (one area
// template each, numbered in file-name order), contents.toml, portals.toml,
// texts.txt and tiles.toml (the tile catalogue, see tile_catalogue_writer.h).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "GAME_Dungeon.h"
#include "GAME_File.h"
#include "GAME_Level.h"
#include "data_names.h"
#include "text_store_reader.h"

struct GameData {
  DataNames names;
  std::vector<LevelRecord> levels;  // level k at index k - 1
  std::vector<std::string> level_files;
  std::vector<PortalRecord> portals;
  std::vector<ContentRecord> contents;
  std::vector<AreaTemplate> templates;
  TextStore texts;
};

// The text of a source file; a missing or unreadable file is a SourceError.
std::string read_source_file(const std::filesystem::path& path);

// Reads and checks every source; throws SourceError at the first problem.
GameData read_data_set(const std::filesystem::path& folder);

// The decoded data (version header, size block, tables, text store) that
// pack_container turns into the game data file.
std::vector<uint8_t> encode_game_data(const GameData& data);
