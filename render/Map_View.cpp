#include "Map_View.h"

#include <utility>

const CheckedArray<const char*, 0, 3> style_names = {
    {"Kavrel", "Tabletop RPG black", "Tabletop RPG blue", "Tabletop RPG white"}};

MapOptions map_options;
bool step_mode_active = false;

Picture raster_picture;
Picture overlay_picture;
Picture display_picture;
Picture export_picture;

namespace {
std::function<void()> repaint_handler;
}

void set_repaint_handler(std::function<void()> handler) { repaint_handler = std::move(handler); }

void repaint_display() {
  if (repaint_handler) repaint_handler();
}
