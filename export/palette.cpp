#include "export/palette.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace tarsel {

namespace {

using Counts = std::unordered_map<std::uint32_t, long>;  // 0xRRGGBB to its pixels

int Distance2(std::uint32_t a, std::uint32_t b) {
  const int dr = RgbRed(a) - RgbRed(b), dg = RgbGreen(a) - RgbGreen(b),
            db = RgbBlue(a) - RgbBlue(b);
  return dr * dr + dg * dg + db * db;
}

// The picture to index and, when the pixels it shares with the picture before are left out,
// that picture: a pixel counts when there is none before or it differs there.
struct Source {
  const Image& image;
  const Image* before;

  bool Changed(int x, int y) const { return !before || before->pixel(x, y) != image.pixel(x, y); }
};

Counts CountColours(const Source& source, const Rect& rect) {
  Counts counts;
  for (int y = rect.top; y <= rect.bottom; ++y) {
    for (int x = rect.left; x <= rect.right; ++x) {
      if (source.Changed(x, y)) ++counts[PixelRgb(source.image.pixel(x, y))];
    }
  }
  return counts;
}

// The colours of `keep` that occur, in the order of `keep`, as many as fit.
std::vector<std::uint32_t> KeptColours(const Counts& counts, const std::vector<std::uint32_t>& keep,
                                       std::size_t max_colours) {
  std::vector<std::uint32_t> kept;
  for (const std::uint32_t colour : keep) {
    if (counts.contains(colour & 0xFFFFFF) && kept.size() < max_colours) {
      kept.push_back(colour & 0xFFFFFF);
    }
  }
  return kept;
}

// The colours not yet in `palette`, most frequent first (ties by colour, so that the order
// does not depend on the hash table's).
std::vector<std::pair<long, std::uint32_t>> OthersByCount(
    const Counts& counts, const std::vector<std::uint32_t>& palette) {
  std::vector<std::pair<long, std::uint32_t>> by_count;
  for (const auto& [colour, n] : counts) {
    if (std::find(palette.begin(), palette.end(), colour) == palette.end()) {
      by_count.emplace_back(n, colour);
    }
  }
  std::sort(by_count.begin(), by_count.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first > b.first : a.second < b.second;
  });
  return by_count;
}

// Fills the palette up to `max_colours` from `candidates` (most frequent first): half of what
// is left goes to the most frequent blends, the rest to the colours farthest from any palette
// colour so far, so that rare blends (one curve crossing another) do not fall onto a colour
// far from their own.
void AddBlends(const std::vector<std::pair<long, std::uint32_t>>& candidates,
               std::size_t max_colours, std::vector<std::uint32_t>* palette) {
  const std::size_t by_frequency = palette->size() + (max_colours - palette->size()) / 2;
  std::size_t next = 0;
  while (next < candidates.size() && palette->size() < by_frequency) {
    palette->push_back(candidates[next++].second);
  }
  std::vector<int> nearest(candidates.size(), 1 << 30);
  const auto update = [&](std::uint32_t added) {
    for (std::size_t i = next; i < candidates.size(); ++i) {
      nearest[i] = std::min(nearest[i], Distance2(candidates[i].second, added));
    }
  };
  for (const std::uint32_t c : *palette) update(c);
  while (palette->size() < max_colours) {
    std::size_t far = next;
    for (std::size_t i = next; i < candidates.size(); ++i) {
      if (nearest[i] > nearest[far]) far = i;
    }
    palette->push_back(candidates[far].second);
    update(candidates[far].second);
  }
}

std::vector<std::uint32_t> ChoosePalette(const Counts& counts,
                                         const std::vector<std::uint32_t>& keep,
                                         std::size_t max_colours) {
  if (counts.size() <= max_colours) {
    std::vector<std::uint32_t> all;
    for (const auto& [colour, n] : counts) all.push_back(colour);
    std::sort(all.begin(), all.end());
    return all;
  }
  std::vector<std::uint32_t> palette = KeptColours(counts, keep, max_colours);
  AddBlends(OthersByCount(counts, palette), max_colours, &palette);
  return palette;
}

// Every colour of the picture to its palette index: itself, or the nearest (the search stops
// at an exact match).
std::unordered_map<std::uint32_t, std::uint8_t> NearestEntries(
    const Counts& counts, const std::vector<std::uint32_t>& palette) {
  std::unordered_map<std::uint32_t, std::uint8_t> index;
  for (const auto& [colour, n] : counts) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < palette.size() && Distance2(colour, palette[best]); ++i) {
      if (Distance2(colour, palette[i]) < Distance2(colour, palette[best])) best = i;
    }
    index[colour] = static_cast<std::uint8_t>(best);
  }
  return index;
}

std::vector<std::uint8_t> MapPixels(const Source& source, const Rect& rect, const Counts& counts,
                                    const std::vector<std::uint32_t>& palette) {
  std::unordered_map<std::uint32_t, std::uint8_t> index = NearestEntries(counts, palette);
  std::vector<std::uint8_t> pixels;
  pixels.reserve(static_cast<std::size_t>(rect.width()) * rect.height());
  for (int y = rect.top; y <= rect.bottom; ++y) {
    for (int x = rect.left; x <= rect.right; ++x) {
      pixels.push_back(source.Changed(x, y) ? index[PixelRgb(source.image.pixel(x, y))] : 0);
    }
  }
  return pixels;
}

}  // namespace

Indexed ToIndexed(const Image& image, const Rect& rect, const std::vector<std::uint32_t>& keep,
                  std::size_t max_colours, const Image* unchanged_from) {
  const Source source{image, unchanged_from};
  const Counts counts = CountColours(source, rect);
  Indexed out;
  out.distinct = counts.size();
  out.exact = counts.size() <= max_colours;
  out.colours = ChoosePalette(counts, keep, max_colours);
  out.pixels = MapPixels(source, rect, counts, out.colours);
  return out;
}

}  // namespace tarsel
