#include "Status_Text.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "GAME_Global.h"
#include "Map_View.h"

namespace {

// The lines of a status text; the piece after the last separator counts
// only when it is not empty.
std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", start)) {
    lines.push_back(text.substr(start, at - start));
    start = at + 2;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

int line_gap(int font_height, float spacing) {
  return static_cast<int>(std::nearbyint(static_cast<double>(std::abs(font_height)) * spacing));
}

}  // namespace

std::string splash_text() {
  return "K A V R E L\r\nDungeon Generator\r\n \r\nRelease 1\r\n(21-May-2021)";
}

std::string mass_progress_text(int number, int total) {
  return "PLEASE WAIT\r\n \r\nGENERATING DUNGEONS\r\n \r\n" + format_text("%d / %d", number, total) +
         "\r\n" + " " + "\r\n" + "[ESC] TO CANCEL";
}

int count_text_lines(const std::string& text) { return static_cast<int>(split_lines(text).size()); }

TextSize measure_text_block(const Picture& picture, const std::string& text, float spacing) {
  TextSize block;
  for (const std::string& line : split_lines(text)) {
    if (line.empty()) continue;
    const TextSize size = text_size(picture, line);
    if (size.width > block.width) block.width = size.width;
    if (block.height > 0) block.height += line_gap(picture.font.height, spacing);
    block.height += size.height;
  }
  return block;
}

void fit_text_block(Picture& picture, int max_height, int margin, const std::string& text, float spacing) {
  if (count_text_lines(text) == 0) return;
  Font& font = picture.font;
  font.height = max_height;
  const int room_w = picture.width() - 2 * margin, room_h = picture.height() - 2 * margin;
  // The block is centred on its last measurement: when the fitting ends at
  // 8 pixels without a fit, that is the one made at 9 pixels. A max_height
  // of 8 or less makes no measurement in the loop; the block is then
  // measured once at that height.
  bool measured = false;
  TextSize block;
  while (std::abs(font.height) > 8 && std::abs(font.height) <= max_height) {
    block = measure_text_block(picture, text, spacing);
    measured = true;
    if (room_w >= block.width && room_h >= block.height) break;
    font.height += font.height > 0 ? -1 : 1;
  }
  if (!measured) block = measure_text_block(picture, text, spacing);

  picture.brush.clear = true;
  int y = margin + (room_h - block.height) / 2;
  for (const std::string& line : split_lines(text)) {
    if (line.empty()) continue;
    const int x = margin + (room_w - text_size(picture, line).width) / 2;
    draw_text(picture, x, y, line);
    y += line_gap(font.height, spacing) + std::abs(font.height);
  }
}

void draw_status_text(bool clear_first, const std::string& text) {
  if (clear_first) display_picture.fill(Color{0, 0, 0});
  display_picture.font.name = "Verdana";
  display_picture.font.color = Color{170, 170, 170};
  int max_height = display_picture.height() / 15;
  if (max_height < 16) max_height = 16;
  else if (max_height > 50) max_height = 50;
  fit_text_block(display_picture, max_height, 32, text, 0.0f);
  repaint_display();
}
