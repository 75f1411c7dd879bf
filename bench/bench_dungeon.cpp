// How long a whole dungeon takes on each generated level of the shipped
// data (state reset, block themes, attempts of create and dig steps,
// finalization), and the exit calculation on a finished map in one pass
// against one scan per area slot.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "GAME_Dungeon.h"
#include "Generation_Commands.h"
#include "GAME_File.h"
#include "GAME_Global.h"
#include "GAME_Graphics.h"
#include "GAME_Level.h"
#include "GAME_Map.h"
#include "GAME_Reset.h"

namespace {

// Starts the engine on the build's data files as the window does; the error
// log then goes to a scratch folder.
bool load_shipped_data() {
  static const bool loaded = [] {
    setenv("DUNGEON_PROGRAM_FOLDER", BENCH_PROGRAM_FOLDER, 1);
    set_message_box_handler([](const std::string& text) { std::cerr << text << "\n"; });
    const bool ok = start_generator();
    const auto scratch = std::filesystem::temp_directory_path() / "dungeon_bench";
    std::filesystem::create_directories(scratch);
    program_folder = scratch.string() + "/";
    return ok;
  }();
  return loaded;
}

// The window's generation up to the finished dungeon.
void generate_dungeon(int level_index, uint32_t seed) {
  rand_seed = seed;
  load_level(level_index);
  build_level();
}

void BM_WholeDungeon(benchmark::State& state) {
  if (!load_shipped_data()) {
    state.SkipWithError("the game data files are not built");
    return;
  }
  const int level = static_cast<int>(state.range(0));
  uint32_t seed = 1;
  for (auto _ : state) generate_dungeon(level, seed++ * 7919u);
  state.SetLabel("level " + std::to_string(level));
}
BENCHMARK(BM_WholeDungeon)->Arg(3)->Arg(4)->Arg(6)->Arg(8)->Unit(benchmark::kMillisecond);

template <void (*calculate)(int)>
void BM_AreaExits(benchmark::State& state) {
  if (!load_shipped_data()) {
    state.SkipWithError("the game data files are not built");
    return;
  }
  generate_dungeon(6, 4242);
  for (auto _ : state) calculate(0);
  state.SetLabel(std::to_string(areas.highest()) + " area slots");
}
BENCHMARK(BM_AreaExits<calculate_area_exits>)->Name("BM_AreaExitsOnePass")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AreaExits<calculate_area_exits_by_slot>)
    ->Name("BM_AreaExitsPerSlot")
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
