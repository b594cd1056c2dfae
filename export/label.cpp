#include "export/label.h"

// The rasteriser's functions are private to this file.
#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "animation/sweep.h"

// The label's font file, a subset of DejaVu Sans to printable ASCII, generated at build time
// (export/embed_font.cmake).
extern const unsigned char kLabelFontData[];
extern const std::size_t kLabelFontSize;

namespace tarsel {

namespace {

// The box in logical pixels at the design size. The free corner is about 200 pixels wide and
// 260 high: the piston curve begins at x = 200, the acceleration peaks below y = 270. Three
// lines of text fill it; a configuration other than the built-in one adds three (the linkage,
// the reference angle, the piston) and a profile of one's own a fourth, each making the box
// one line higher.
constexpr int kMargin = 6, kWidth = 186, kHeight = 56;
constexpr int kFontPixels = 12, kLineSpacing = 16;
constexpr int kBuiltInLines = 3;
// Where the text starts inside the box, logical pixels.
constexpr int kTextLeft = 4, kTextTop = 2;

// The font, read once: stb_truetype keeps pointers into the embedded bytes.
const stbtt_fontinfo& Font() {
  static const stbtt_fontinfo font = [] {
    stbtt_fontinfo info{};
    stbtt_InitFont(&info, kLabelFontData, stbtt_GetFontOffsetForIndex(kLabelFontData, 0));
    return info;
  }();
  return font;
}

// One line of text in the picture: its pen at the left end of the baseline, the font's scale
// (device pixels per font unit), and the box the ink stays inside.
struct Pen {
  Image& picture;
  Rect clip;
  float scale;
  float x;
  int baseline;
};

// Darkens the pixels under a glyph's coverage: black at full coverage, blended onto what is
// there (white, or another glyph's edge, which keeps the darker of the two).
void Ink(Pen& pen, const std::vector<unsigned char>& coverage, const Rect& box) {
  for (int y = box.top; y <= box.bottom; ++y) {
    for (int x = box.left; x <= box.right; ++x) {
      if (!pen.clip.contains(x, y)) continue;
      const int grey = 255 - coverage[static_cast<std::size_t>(y - box.top) * box.width() +
                                      static_cast<std::size_t>(x - box.left)];
      const int now = RgbRed(PixelRgb(pen.picture.pixel(x, y)));
      const std::uint32_t level = static_cast<std::uint32_t>(std::min(grey, now));
      pen.picture.row(y)[x] = 0xFF000000 | level * 0x010101;  // grey: any channel order
    }
  }
}

// Draws one glyph at the pen, at its fractional position, and moves the pen past it.
void DrawGlyph(Pen& pen, int glyph) {
  const stbtt_fontinfo& font = Font();
  const float left = std::floor(pen.x), shift = pen.x - left;
  int x0, y0, x1, y1;
  stbtt_GetGlyphBitmapBoxSubpixel(&font, glyph, pen.scale, pen.scale, shift, 0, &x0, &y0, &x1, &y1);
  if (x1 > x0 && y1 > y0) {
    std::vector<unsigned char> coverage(static_cast<std::size_t>(x1 - x0) * (y1 - y0));
    stbtt_MakeGlyphBitmapSubpixel(&font, coverage.data(), x1 - x0, y1 - y0, x1 - x0, pen.scale,
                                  pen.scale, shift, 0, glyph);
    const int at_x = static_cast<int>(left) + x0, at_y = pen.baseline + y0;
    Ink(pen, coverage, Rect::Sized(at_x, at_y, x1 - x0, y1 - y0));
  }
  int advance = 0, bearing = 0;
  stbtt_GetGlyphHMetrics(&font, glyph, &advance, &bearing);
  pen.x += static_cast<float>(advance) * pen.scale;
}

void DrawText(Pen& pen, std::string_view text) {
  const stbtt_fontinfo& font = Font();
  int previous = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    // UTF-8: the font holds printable ASCII and the degree sign, all of them one or two bytes.
    int code = static_cast<unsigned char>(text[i]);
    if ((code & 0xE0) == 0xC0 && i + 1 < text.size()) {
      code = (code & 0x1F) << 6 | (static_cast<unsigned char>(text[++i]) & 0x3F);
    }
    const int glyph = stbtt_FindGlyphIndex(&font, code);
    // The pair's kerning from the font, "AV" closer than "AB".
    if (previous) {
      pen.x += static_cast<float>(stbtt_GetGlyphKernAdvance(&font, previous, glyph)) * pen.scale;
    }
    DrawGlyph(pen, glyph);
    previous = glyph;
  }
}

// The baseline of a line whose box starts at `top` and is `height` high: the font's height,
// ascent and descent, centred in the box, on a whole pixel so that the text stays crisp.
int Baseline(double top, double height, float scale) {
  int ascent = 0, descent = 0, gap = 0;
  stbtt_GetFontVMetrics(&Font(), &ascent, &descent, &gap);
  const double text_height = (ascent - descent) * static_cast<double>(scale);
  return static_cast<int>(std::lround(top + (height - text_height) / 2 + ascent * scale));
}

}  // namespace

std::string LabelText(const SharedState& state) {
  char first[96];
  const sweep::Position at = sweep::PositionOf(state.k);
  if (at.exact && at.frame >= 1 && at.frame <= sweep::kFrames) {
    std::snprintf(first, sizeof first, "k = %.2f rad, frame %ld of %d", state.k, at.frame,
                  sweep::kFrames);
  } else {
    std::snprintf(first, sizeof first, "k = %.2f rad", state.k);
  }
  std::string text = std::string(first) + "\n" +
                     (state.acc ? "velocity and acceleration" : "phase offset / 13") + "\n" +
                     (state.ccllss ? "frames accumulate" : "each frame cleared");
  const Configuration& c = state.config;
  if (!IsBuiltIn(c)) {
    text += "\nlinkage " + NumberText(c.ground) + "," + NumberText(c.crank) + "," +
            NumberText(c.coupler) + "," + NumberText(c.rocker) + ", " +
            std::string(NameOf(c.assembly)) + "\nreference " + NumberText(c.reference) +
            "\u00B0\npiston " + NumberText(c.piston_radius) + "," + NumberText(c.rod);
  }
  // A profile of the student's own: the picture must not pass for the built-in one.
  if (state.profile) text += "\nown profile, " + std::to_string(state.profile->last()) + " points";
  return text;
}

Rect LabelArea(const Image& picture, int lines) {
  const auto device = [&](int logical) {
    return static_cast<int>(std::lround(logical * picture.dpr));
  };
  const int height = kHeight + kLineSpacing * std::max(0, lines - kBuiltInLines);
  return Rect::Sized(device(kMargin), device(kMargin), device(kWidth), device(height)) &
         picture.rect();
}

// Device pixels throughout, so that the box is exactly LabelArea at any ratio.
const Image& Labeller::Apply(const Image& picture, const SharedState& state) {
  labelled_ = picture;
  const std::string text = LabelText(state);
  const Rect area =
      LabelArea(labelled_, 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n')));
  if (area.empty()) return labelled_;
  for (int y = area.top; y <= area.bottom; ++y) {
    std::fill(labelled_.row(y) + area.left, labelled_.row(y) + area.right + 1, kWhitePixel);
  }
  const double ratio = picture.dpr, spacing = kLineSpacing * ratio;
  const float pixels = static_cast<float>(std::max(1L, std::lround(kFontPixels * ratio)));
  const float scale = stbtt_ScaleForMappingEmToPixels(&Font(), pixels);
  // Line by line (no string streams: the page would carry their locale code for this alone).
  std::size_t start = 0;
  for (int i = 0; start <= text.size(); ++i) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    const double top = area.top + kTextTop * ratio + i * spacing;
    Pen pen{labelled_, area, scale, static_cast<float>(area.left + kTextLeft * ratio),
            Baseline(top, spacing, scale)};
    DrawText(pen, std::string_view(text).substr(start, end - start));
    start = end + 1;
  }
  return labelled_;
}

}  // namespace tarsel
