#include "export/gif_writer.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "export/gif_lzw.h"
#include "export/palette.h"
#include "geometry/language.h"

namespace tarsel {

// ------------------------------------------------------------------------------------------
// The blocks of the file, in the order they appear. Numbers are little-endian.

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kExtension = 0x21, kImage = 0x2C, kTrailer = 0x3B;
constexpr std::uint8_t kGraphicControl = 0xF9, kApplication = 0xFF;
constexpr std::uint8_t kBlockEnd = 0;
constexpr std::size_t kMaxSubBlock = 255;

void PutWord(Bytes& b, int value) {
  b.push_back(static_cast<std::uint8_t>(value & 0xFF));
  b.push_back(static_cast<std::uint8_t>(value >> 8 & 0xFF));
}

void PutString(Bytes& b, const std::string& s) {
  b.insert(b.end(), s.begin(), s.end());
}

// The signature of the version that has extensions, and the logical screen: its size, no
// global colour table (every frame brings its own), colour resolution 8 bits, background 0,
// square pixels. The table-size bits are 7 although there is no table, as giflib wrote them.
void PutHeader(Bytes& b, Size size) {
  PutString(b, "GIF89a");
  PutWord(b, size.width);
  PutWord(b, size.height);
  b.insert(b.end(), {0x77, 0, 0});
}

// The application extension that browsers and viewers read as a loop count: 0, for ever.
void PutLoop(Bytes& b) {
  b.insert(b.end(), {kExtension, kApplication, 11});
  PutString(b, "NETSCAPE2.0");
  b.insert(b.end(), {3, 1, 0, 0, kBlockEnd});
}

// Before each frame: leave it on screen under the next one (disposal 1), no user input, its
// delay, and the palette entry that leaves a pixel as shown (`transparent`, or none when < 0).
void PutGraphicControl(Bytes& b, int delay_cs, int transparent) {
  constexpr std::uint8_t kDoNotDispose = 1 << 2, kHasTransparent = 1;
  b.insert(b.end(), {kExtension, kGraphicControl, 4});
  b.push_back(transparent >= 0 ? kDoNotDispose | kHasTransparent : kDoNotDispose);
  PutWord(b, delay_cs);
  b.push_back(static_cast<std::uint8_t>(transparent >= 0 ? transparent : 0xFF));
  b.push_back(kBlockEnd);
}

// Where the frame's rectangle lies, and that a local colour table of 2^bits entries follows
// (not interlaced, not sorted).
void PutImageDescriptor(Bytes& b, const Rect& rect, int bits) {
  constexpr std::uint8_t kLocalTable = 0x80;
  b.push_back(kImage);
  PutWord(b, rect.left);
  PutWord(b, rect.top);
  PutWord(b, rect.width());
  PutWord(b, rect.height());
  b.push_back(static_cast<std::uint8_t>(kLocalTable | (bits - 1)));
}

// The table's entries as R, G, B bytes, padded with black to 2^bits entries.
void PutColourTable(Bytes& b, const std::vector<std::uint32_t>& colours, int bits) {
  for (std::size_t i = 0; i < (std::size_t{1} << bits); ++i) {
    const std::uint32_t c = i < colours.size() ? colours[i] : 0;
    b.insert(b.end(), {static_cast<std::uint8_t>(RgbRed(c)), static_cast<std::uint8_t>(RgbGreen(c)),
                       static_cast<std::uint8_t>(RgbBlue(c))});
  }
}

// The LZW code size, then the codes in sub-blocks of at most 255 bytes, each after its length,
// and an empty sub-block to end them.
void PutImageData(Bytes& b, int code_size, const Bytes& code) {
  b.push_back(static_cast<std::uint8_t>(code_size));
  for (std::size_t at = 0; at < code.size(); at += kMaxSubBlock) {
    const std::size_t n = std::min(kMaxSubBlock, code.size() - at);
    b.push_back(static_cast<std::uint8_t>(n));
    b.insert(b.end(), code.begin() + static_cast<std::ptrdiff_t>(at),
             code.begin() + static_cast<std::ptrdiff_t>(at + n));
  }
  b.push_back(kBlockEnd);
}

// The smallest rectangle holding every pixel that differs between two pictures of one size;
// one pixel at the corner when none does (a frame still needs one to carry its delay).
Rect ChangedRect(const Image& before, const Image& now) {
  Rect changed;
  for (int y = 0; y < now.height; ++y) {
    const std::uint32_t *a = before.row(y), *b = now.row(y);
    int first = 0, last = now.width - 1;
    while (first < now.width && a[first] == b[first]) ++first;
    if (first == now.width) continue;
    while (a[last] == b[last]) --last;
    changed |= Rect{first, y, last, y};
  }
  return changed.empty() ? Rect::Sized(0, 0, 1, 1) : changed;
}

}  // namespace

// ------------------------------------------------------------------------------------------
// The frames

// The colours the pixels of a frame's changed rectangle are to be shown in, row by row.
struct GifFrames::Wanted {
  Rect rect;
  std::vector<std::uint32_t> colours;  // 0xRRGGBB
  bool transparent = false;            // the frame may leave pixels as they are shown

  std::uint32_t at(int x, int y) const {
    return colours[static_cast<std::size_t>(y - rect.top) * rect.width() + (x - rect.left)];
  }
};

// A frame's palette and its pixels as LZW codes.
struct GifFrames::Coded {
  std::vector<std::uint32_t> colours;  // 0xRRGGBB
  int bits = 1;                        // the table holds 2^bits entries
  int transparent = -1;                // the entry that leaves a pixel as shown, or none
  Bytes code;
};

std::string GifFrames::Open(Size size, int delay_ms, std::vector<std::uint32_t> keep) {
  width_ = size.width;
  height_ = size.height;
  delay_cs_ = (delay_ms + 5) / 10;
  keep_ = std::move(keep);
  Bytes bytes;
  PutHeader(bytes, size);
  PutLoop(bytes);
  return out_.Write(bytes);
}

// The palette is made for the pixels that changed: one that did not keeps the colour it is
// shown in, so a still part of the picture never flickers from one palette to the next. Every
// later frame keeps a palette entry for "leave the pixel as shown", so it has 255 colours;
// pixels of exactly 256 colours are better kept exact without it.
GifFrames::Wanted GifFrames::ColoursToShow(const Image& image, const Rect& changed) {
  const Image* before = previous_.pixels.empty() ? nullptr : &previous_;
  bool transparent = before != nullptr;
  Indexed indexed = ToIndexed(image, changed, keep_, transparent ? 255 : 256, before);
  if (transparent && !indexed.exact && indexed.distinct == 256) {
    transparent = false;
    before = nullptr;
    indexed = ToIndexed(image, changed, keep_, 256);
  }
  if (!indexed.exact) ++approximated_;
  Wanted wanted{changed, {}, transparent};
  wanted.colours.reserve(indexed.pixels.size());
  const std::uint8_t* index = indexed.pixels.data();
  for (int y = changed.top; y <= changed.bottom; ++y) {
    for (int x = changed.left; x <= changed.right; ++x, ++index) {
      const bool still = before && before->pixel(x, y) == image.pixel(x, y);
      wanted.colours.push_back(still ? shown(x, y) : indexed.colours[*index]);
    }
  }
  return wanted;
}

// What the viewer must change: the pixels whose colour on screen is not the one they are to
// have. With transparency the rectangle shrinks to them, and the others inside it may be left
// as they are.
Rect GifFrames::Redrawn(const Wanted& wanted) {
  if (!wanted.transparent) return wanted.rect;
  Rect rect;
  for (int y = wanted.rect.top; y <= wanted.rect.bottom; ++y) {
    for (int x = wanted.rect.left; x <= wanted.rect.right; ++x) {
      if (wanted.at(x, y) != shown(x, y)) rect |= Rect{x, y, x, y};
    }
  }
  return rect.empty() ? Rect::Sized(wanted.rect.left, wanted.rect.top, 1, 1) : rect;
}

// The palette holds the colours of the pixels that change, in the order they first appear. A
// pixel that keeps its colour is written as transparent or, where that colour is in the palette
// anyway, as itself: the coder takes whichever continues the string it is matching.
GifFrames::Coded GifFrames::Code(const Wanted& wanted, const Rect& rect) {
  Coded coded;
  std::unordered_map<std::uint32_t, int> number;
  for (int y = rect.top; y <= rect.bottom; ++y) {
    for (int x = rect.left; x <= rect.right; ++x) {
      const std::uint32_t c = wanted.at(x, y);
      if ((wanted.transparent && c == shown(x, y)) || number.contains(c)) continue;
      number[c] = static_cast<int>(coded.colours.size());
      coded.colours.push_back(c);
    }
  }
  const int keep = static_cast<int>(coded.colours.size());
  if (wanted.transparent) {
    coded.transparent = keep;
    coded.colours.push_back(0xFFFFFF);
  }
  while ((std::size_t{1} << coded.bits) < coded.colours.size()) ++coded.bits;
  std::vector<LzwPixel> pixels = Indices(wanted, rect, number, keep);
  // Codes start at 2 bits, whatever the table's size.
  coded.code = LzwCode(pixels, std::max(2, coded.bits), static_cast<std::uint8_t>(keep));
  return coded;
}

// Each pixel's palette entry, and whether it may be left as shown; the screen as the viewer
// will show it after this frame.
std::vector<LzwPixel> GifFrames::Indices(const Wanted& wanted, const Rect& rect,
                                         const std::unordered_map<std::uint32_t, int>& number,
                                         int keep) {
  std::vector<LzwPixel> pixels;
  pixels.reserve(static_cast<std::size_t>(rect.width()) * rect.height());
  std::uint32_t last_colour = 0;
  int last_number = -1;  // the palette entry of last_colour; runs of one colour are the rule
  for (int y = rect.top; y <= rect.bottom; ++y) {
    for (int x = rect.left; x <= rect.right; ++x) {
      const std::uint32_t c = wanted.at(x, y);
      if (last_number < 0 || c != last_colour) {
        const auto found = number.find(c);
        last_colour = c;
        last_number = found != number.end() ? found->second : keep;
      }
      const bool may_keep = wanted.transparent && c == shown(x, y);
      pixels.push_back(LzwPixel{static_cast<std::uint8_t>(last_number), may_keep});
      shown(x, y) = c;
    }
  }
  return pixels;
}

std::string GifFrames::Add(const Image& image) {
  if (image.width != width_ || image.height != height_) {
    // TRANSLATORS: %1$s x %2$s: the picture's width and height in pixels; %3$s x %4$s: the
    // GIF's.
    return Fill(Tr("a picture of %1$sx%2$s cannot be a frame of a GIF of %3$sx%4$s"),
                {std::to_string(image.width), std::to_string(image.height), std::to_string(width_),
                 std::to_string(height_)});
  }
  const bool first = previous_.pixels.empty();
  if (first) shown_.assign(static_cast<std::size_t>(width_) * height_, 0);
  // Only what changed since the previous frame; the rest stays on screen from before.
  const Wanted wanted = ColoursToShow(image, first ? image.rect() : ChangedRect(previous_, image));
  const Rect rect = Redrawn(wanted);
  const Coded coded = Code(wanted, rect);
  // A copy: the picture handed in may be pixel memory that the next frame redraws.
  previous_ = image;
  Bytes bytes;
  PutGraphicControl(bytes, delay_cs_, coded.transparent);
  PutImageDescriptor(bytes, rect, coded.bits);
  PutColourTable(bytes, coded.colours, coded.bits);
  PutImageData(bytes, std::max(2, coded.bits), coded.code);
  std::string error = out_.Write(bytes);
  if (error.empty()) ++count_;
  return error;
}

std::string GifFrames::Finish() {
  std::string error = out_.Write(Bytes{kTrailer});
  const std::string closed = out_.Close();
  return error.empty() ? closed : error;
}

}  // namespace tarsel
