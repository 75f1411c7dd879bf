// How fast a map is rasterised, composed at 640 and 1920 pixels with and
// without grain, and written as a PNG file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "Cell_Raster.h"
#include "GAME_Dice.h"
#include "GAME_Map.h"
#include "Map_Picture.h"
#include "Map_View.h"
#include "Png_Writer.h"

namespace {

// A full 128 x 128 map without the generator: a grid of 7 x 7 rooms of
// natural and built floor in walls, joined by doors, each room an area.
void build_sample_map() {
  map_size = 128;
  map_cells.clear();
  stencil_layer.clear();
  mark_layer.clear();
  areas.clear();
  areas.resize_to(0);
  for (int x = 1; x <= 128; ++x)
    for (int y = 1; y <= 128; ++y) map_cells(x, y).block = 5;
  int area = 0;
  for (int rx = 0; rx + 9 <= 128; rx += 9) {
    for (int ry = 0; ry + 9 <= 128; ry += 9) {
      ++area;
      areas.resize_to(area);
      areas[area].kind = area % 3 == 0 ? 1 : 2;
      areas[area].centre_x = rx + 5;
      areas[area].centre_y = ry + 5;
      const int floor = area % 2 == 0 ? 57 : 71;
      for (int x = rx + 1; x <= rx + 9; ++x) {
        for (int y = ry + 1; y <= ry + 9; ++y) {
          MapCell& cell = map_cells(x, y);
          cell.area_index = static_cast<uint8_t>(area);
          const bool wall = x == rx + 1 || x == rx + 9 || y == ry + 1 || y == ry + 9;
          cell.block = static_cast<uint8_t>(wall ? 5 : floor);
          if (wall && (x == rx + 5 || y == ry + 5)) {
            cell.block = static_cast<uint8_t>(floor);
            cell.furniture = furniture::door;
          }
        }
      }
    }
  }
}

void set_options(bool grain) {
  map_options = MapOptions{};
  map_options.flavour_walls = true;
  map_options.grain = grain;
  step_mode_active = false;
}

void BM_CellRasterAndMapPicture(benchmark::State& state) {
  build_sample_map();
  set_options(state.range(1) != 0);
  rand_seed = 1;
  Picture target(static_cast<int>(state.range(0)), static_cast<int>(state.range(0)));
  for (auto _ : state) {
    draw_cell_raster();
    draw_map_picture(target);
    benchmark::DoNotOptimize(target.row(0));
  }
}
BENCHMARK(BM_CellRasterAndMapPicture)
    ->ArgNames({"size", "grain"})
    ->Args({640, 0})
    ->Args({640, 1})
    ->Args({1920, 0})
    ->Args({1920, 1})
    ->Unit(benchmark::kMillisecond);

void BM_CellRaster(benchmark::State& state) {
  build_sample_map();
  set_options(state.range(0) != 0);
  for (auto _ : state) draw_cell_raster();
}
BENCHMARK(BM_CellRaster)->ArgName("grain")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_WritePng(benchmark::State& state) {
  build_sample_map();
  set_options(state.range(1) != 0);
  rand_seed = 1;
  const int size = static_cast<int>(state.range(0));
  Picture target(size, size);
  draw_cell_raster();
  draw_map_picture(target);
  const std::string path = (std::filesystem::temp_directory_path() / "bench_render.png").string();
  for (auto _ : state) write_png(target, path);
  std::remove(path.c_str());
}
BENCHMARK(BM_WritePng)
    ->ArgNames({"size", "grain"})
    ->Args({640, 0})
    ->Args({640, 1})
    ->Args({1920, 0})
    ->Args({1920, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
