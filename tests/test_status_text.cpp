// Status texts: line counting, measuring, fitting and centring on the display.
#include <gtest/gtest.h>

#include <string>

#include "Map_View.h"
#include "Picture.h"
#include "Status_Text.h"
#include "Text.h"

namespace {

constexpr Color black{0, 0, 0};

// The smallest rectangle holding every pixel that is not black.
struct Ink {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // right, bottom inclusive
  bool empty() const { return right < 0; }
};
Ink ink_of(const Picture& picture) {
  Ink ink;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (picture.pixel(x, y) != black) {
        ink.left = std::min(ink.left, x);
        ink.right = std::max(ink.right, x);
        ink.top = std::min(ink.top, y);
        ink.bottom = std::max(ink.bottom, y);
      }
  return ink;
}

TEST(StatusText, CountTextLines) {
  const struct {
    const char* text;
    int lines;
  } cases[] = {
      {"", 0},
      {"DONE!", 1},
      {"DONE!\r\n", 1},
      {"PLEASE WAIT\r\nGENERATING", 2},
      {"\r\n", 1},
      {"\r\n\r\n", 2},
      {"a\r\n \r\nb", 3},
      {"a\nb\rc", 1},  // only CR LF separates lines
      {please_wait_text, 3},
  };
  for (const auto& c : cases) EXPECT_EQ(count_text_lines(c.text), c.lines) << '"' << c.text << '"';
}

TEST(StatusText, MessageTexts) {
  EXPECT_EQ(mass_progress_text(3, 10),
            "PLEASE WAIT\r\n \r\nGENERATING DUNGEONS\r\n \r\n3 / 10\r\n \r\n[ESC] TO CANCEL");
  EXPECT_EQ(count_text_lines(mass_progress_text(3, 10)), 7);
  EXPECT_EQ(splash_text().substr(0, 30), "K A V R E L\r\nDungeon Generator");
}

TEST(StatusText, MeasureSkipsEmptyLinesAndAddsSpacingBetweenLines) {
  Picture picture(100, 100);
  picture.font.height = 20;
  const int wide = text_size(picture, "WWWW").width;
  const struct {
    const char* text;
    float spacing;
    int width, height;
  } cases[] = {
      {"", 0.0f, 0, 0},
      {"\r\n\r\n", 0.0f, 0, 0},
      {"WWWW", 0.0f, wide, 20},
      {"i\r\nWWWW\r\n \r\n", 0.0f, wide, 60},
      {"i\r\n\r\nWWWW", 0.0f, wide, 40},  // the empty line takes no room
      {"i\r\nWWWW\r\ni", 0.5f, wide, 80},  // 3 x 20 + 2 x round(10)
      {"i\r\nWWWW", 0.25f, wide, 45},
  };
  for (const auto& c : cases) {
    const TextSize size = measure_text_block(picture, c.text, c.spacing);
    EXPECT_EQ(size.width, c.width) << '"' << c.text << '"';
    EXPECT_EQ(size.height, c.height) << '"' << c.text << '"';
  }
}

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    repaints = 0;
    set_repaint_handler([this] { ++repaints; });
  }
  void TearDown() override { set_repaint_handler(nullptr); }
  int repaints = 0;
};

TEST_F(DisplayTest, ShortTextKeepsTheLargestHeightAndIsCentred) {
  display_picture.set_size(640, 640);
  draw_status_text(true, done_text);
  EXPECT_EQ(display_picture.font.height, 42);
  EXPECT_EQ(repaints, 1);
  const Ink ink = ink_of(display_picture);
  ASSERT_FALSE(ink.empty());
  // Centred within a few pixels of glyph side bearings.
  EXPECT_NEAR(ink.left, 639 - ink.right, 6);
  EXPECT_NEAR(ink.top, 639 - ink.bottom, 12);
  EXPECT_EQ(display_picture.pixel(ink.left + (ink.right - ink.left) / 2, 0), black);
}

TEST_F(DisplayTest, SplashFitsInsideTheMargin) {
  display_picture.set_size(640, 640);
  draw_status_text(true, splash_text());
  const Ink ink = ink_of(display_picture);
  EXPECT_GE(ink.left, 32);
  EXPECT_GE(ink.top, 32);
  EXPECT_LE(ink.right, 640 - 32);
  EXPECT_LE(ink.bottom, 640 - 32);
  EXPECT_NEAR(ink.left, 639 - ink.right, 6);
  const TextSize block = measure_text_block(display_picture, splash_text(), 0.0f);
  EXPECT_EQ(block.height, 5 * display_picture.font.height);
  EXPECT_LE(block.width, 640 - 64);
}

TEST_F(DisplayTest, LongTextShrinksToEightPixelsAndIsStillDrawn) {
  display_picture.set_size(128, 128);
  const std::string text = "THIS LINE IS FAR TOO LONG FOR A SMALL DISPLAY";
  draw_status_text(true, text);
  EXPECT_EQ(display_picture.font.height, 8);
  const Ink ink = ink_of(display_picture);
  ASSERT_FALSE(ink.empty());
  EXPECT_EQ(ink.left, 0) << "wider than the picture: drawn from before its left edge";
  // Centred on its height even though it does not fit.
  EXPECT_NEAR(ink.top + ink.bottom, 127, 8);
}

// Three lines too wide at every height: drawn at 8 pixels, centred on the
// last measurement, made at 9 pixels: the first line's top is
// 10 + (180 - 3 x 9) div 2 = 86, not 10 + (180 - 3 x 8) div 2 = 88.
TEST(FitTextBlock, TextThatNeverFitsIsCentredOnItsNinePixelMeasurement) {
  const std::string line(60, 'W');
  const std::string text = line + "\r\n" + line + "\r\n" + line;
  Picture fitted(200, 200);
  fitted.font = Font{"Verdana", 20, Color{255, 255, 255}};
  fit_text_block(fitted, 20, 10, text, 0.0f);
  ASSERT_EQ(fitted.font.height, 8);

  Picture expected(200, 200);
  expected.font = Font{"Verdana", 8, Color{255, 255, 255}};
  expected.brush.clear = true;
  const int x = 10 + (180 - text_size(expected, line).width) / 2;
  for (int k = 0; k < 3; ++k) draw_text(expected, x, 86 + 8 * k, line);
  EXPECT_EQ(fitted.bytes(), expected.bytes());
}

TEST_F(DisplayTest, TextShrinksUntilItFits) {
  display_picture.set_size(256, 256);
  draw_status_text(true, please_wait_text);  // max height 17
  const int height = display_picture.font.height;
  EXPECT_LE(height, 17);
  EXPECT_GT(height, 8);
  const TextSize block = measure_text_block(display_picture, please_wait_text, 0.0f);
  EXPECT_LE(block.width, 256 - 64);
  display_picture.font.height = height + 1;
  if (height < 17) {
    EXPECT_GT(measure_text_block(display_picture, please_wait_text, 0.0f).width, 256 - 64);
  }
}

TEST_F(DisplayTest, ClearingAndEmptyTexts) {
  display_picture.set_size(64, 64);
  display_picture.fill(Color{9, 9, 9});
  draw_status_text(true, "\r\n\r\n");
  EXPECT_TRUE(ink_of(display_picture).empty()) << "cleared, nothing drawn";
  EXPECT_EQ(repaints, 1);

  display_picture.fill(Color{9, 9, 9});
  draw_status_text(false, "H");
  EXPECT_EQ(display_picture.pixel(0, 0), (Color{9, 9, 9})) << "not cleared";
  bool grey = false;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) grey = grey || display_picture.pixel(x, y) == Color{170, 170, 170};
  EXPECT_TRUE(grey) << "drawn in light grey";
}

TEST(FitTextBlock, LinesAreOneFontHeightApartAndTheBrushIsLeftClear) {
  Picture single(200, 200), stacked(200, 200);
  for (Picture* p : {&single, &stacked}) p->font = Font{"Verdana", 20, Color{255, 255, 255}};
  fit_text_block(stacked, 20, 10, "A\r\n \r\nA", 0.0f);
  fit_text_block(single, 20, 10, "A", 0.0f);
  EXPECT_TRUE(stacked.brush.clear);
  const Ink one = ink_of(single), three = ink_of(stacked);
  // Three lines of 20 centred: the first A starts 20 pixels above the single one.
  EXPECT_EQ(three.top, one.top - 20);
  EXPECT_EQ(three.bottom, one.bottom + 20);
  EXPECT_EQ(three.left, one.left);
}

}  // namespace
