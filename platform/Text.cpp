#include "Text.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <map>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "Canvas.h"

namespace {

struct Face {
  FT_Face face = nullptr;
  int cell_units = 1;    // ascent + descent in font units (the Windows cell)
  int ascent_units = 1;
};

struct Glyph {
  int left = 0, top = 0, width = 0, rows = 0, advance = 0;
  std::vector<uint8_t> coverage;  // rows x width, 0..255
};

// A face at one size: the em in 26.6 pixels and the cell's pixel metrics.
struct SizedFace {
  const Face* face;
  long em_26_6;
  int cell_height;
  int ascent;
};

class FontLibrary {
 public:
  ~FontLibrary() {
    for (auto& entry : faces_) FT_Done_Face(entry.second.face);
    if (library_) FT_Done_FreeType(library_);
  }

  SizedFace sized(const Font& font) {
    const Face& face = face_for(font.name);
    const int upem = face.face->units_per_EM > 0 ? face.face->units_per_EM : 2048;
    long em_26_6;
    int cell;
    if (font.height > 0) {
      cell = font.height;
      em_26_6 = std::lround(64.0 * font.height * upem / face.cell_units);
    } else {
      const int em = font.height < 0 ? -font.height : 16;
      em_26_6 = 64L * em;
      cell = static_cast<int>(std::lround(static_cast<double>(em) * face.cell_units / upem));
    }
    const int ascent =
        static_cast<int>(std::lround(static_cast<double>(cell) * face.ascent_units / face.cell_units));
    return SizedFace{&face, std::max(em_26_6, 64L), cell, ascent};
  }

  const Glyph& glyph(const SizedFace& sized, unsigned char character) {
    const auto key = std::make_tuple(sized.face->face, sized.em_26_6, character);
    auto found = glyphs_.find(key);
    if (found != glyphs_.end()) return found->second;

    FT_Face face = sized.face->face;
    Glyph glyph;
    if (FT_Set_Char_Size(face, 0, sized.em_26_6, 72, 72) == 0 &&
        FT_Load_Char(face, character, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) == 0) {
      const FT_GlyphSlot slot = face->glyph;
      const FT_Bitmap& bitmap = slot->bitmap;
      glyph.left = slot->bitmap_left;
      glyph.top = slot->bitmap_top;
      glyph.width = static_cast<int>(bitmap.width);
      glyph.rows = static_cast<int>(bitmap.rows);
      glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
      glyph.coverage.resize(static_cast<size_t>(glyph.width) * static_cast<size_t>(glyph.rows));
      for (int r = 0; r < glyph.rows; ++r) {
        const unsigned char* source = bitmap.buffer + static_cast<long>(r) * bitmap.pitch;
        for (int c = 0; c < glyph.width; ++c) {
          uint8_t value = source[c];
          if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
            value = (source[c / 8] & (0x80 >> (c % 8))) ? 255 : 0;
          glyph.coverage[static_cast<size_t>(r * glyph.width + c)] = value;
        }
      }
    }
    return glyphs_.emplace(key, std::move(glyph)).first->second;
  }

 private:
  const Face& face_for(const std::string& family) {
    auto found = faces_.find(family);
    if (found != faces_.end()) return found->second;
    if (!library_ && FT_Init_FreeType(&library_) != 0)
      throw std::runtime_error("The text renderer could not be started");

    const std::string file = font_file_for(family);
    Face face;
    if (FT_New_Face(library_, file.c_str(), 0, &face.face) != 0)
      throw std::runtime_error("Could not open the font file \"" + file + "\"");
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face.face, FT_SFNT_OS2));
    if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
      face.ascent_units = os2->usWinAscent;
      face.cell_units = os2->usWinAscent + os2->usWinDescent;
    } else {
      face.ascent_units = std::max<int>(face.face->ascender, 1);
      face.cell_units = std::max<int>(face.face->ascender - face.face->descender, 1);
    }
    return faces_.emplace(family, face).first->second;
  }

  FT_Library library_ = nullptr;
  std::map<std::string, Face> faces_;
  std::map<std::tuple<FT_Face, long, unsigned char>, Glyph> glyphs_;
};

FontLibrary& fonts() {
  static FontLibrary library;
  return library;
}

uint8_t blend(uint8_t front, uint8_t back, int alpha) {
  return static_cast<uint8_t>((front * alpha + back * (255 - alpha) + 127) / 255);
}

}  // namespace

std::string font_file_for(const std::string& family) {
  if (!FcInit()) throw std::runtime_error("The font configuration could not be loaded");
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  std::string file;
  FcChar8* name = nullptr;
  if (match && FcPatternGetString(match, FC_FILE, 0, &name) == FcResultMatch)
    file = reinterpret_cast<const char*>(name);
  if (match) FcPatternDestroy(match);
  if (file.empty()) throw std::runtime_error("No font found for \"" + family + "\"");
  return file;
}

TextSize text_size(const Picture& picture, std::string_view text) {
  const SizedFace sized = fonts().sized(picture.font);
  TextSize size{0, sized.cell_height};
  for (char c : text) size.width += fonts().glyph(sized, static_cast<unsigned char>(c)).advance;
  return size;
}

void draw_text(Picture& picture, int x, int y, std::string_view text) {
  const SizedFace sized = fonts().sized(picture.font);
  if (!picture.brush.clear) {
    const TextSize size = text_size(picture, text);
    fill_rect(picture, x, y, x + size.width, y + size.height);
  }
  const Color color = picture.font.color;
  const int baseline = y + sized.ascent;
  int pen_x = x;
  for (char c : text) {
    const Glyph& glyph = fonts().glyph(sized, static_cast<unsigned char>(c));
    for (int r = 0; r < glyph.rows; ++r) {
      const int py = baseline - glyph.top + r;
      if (py < 0 || py >= picture.height()) continue;
      uint8_t* row = picture.row(py);
      for (int col = 0; col < glyph.width; ++col) {
        const int px = pen_x + glyph.left + col;
        const int alpha = glyph.coverage[static_cast<size_t>(r * glyph.width + col)];
        if (alpha == 0 || px < 0 || px >= picture.width()) continue;
        uint8_t* p = row + 3 * px;
        p[0] = blend(color.r, p[0], alpha);
        p[1] = blend(color.g, p[1], alpha);
        p[2] = blend(color.b, p[2], alpha);
      }
    }
    pen_x += glyph.advance;
  }
}
