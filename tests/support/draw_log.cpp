#include "tests/support/draw_log.h"

#include <algorithm>
#include <cstdio>

#include "animation/style.h"

namespace tarsel::testing {

bool IsLine(const std::string& l) {
  return l.rfind("L ", 0) == 0;
}

std::uint32_t ColourOf(const std::string& l) {
  return static_cast<std::uint32_t>(std::stoul(l.substr(l.rfind(' ') + 1)));
}

long Count(const Lines& lines, const std::string& exact) {
  return std::count(lines.begin(), lines.end(), exact);
}

long CountColour(const Lines& lines, std::uint32_t colour) {
  return std::count_if(lines.begin(), lines.end(),
                       [&](const std::string& l) { return IsLine(l) && ColourOf(l) == colour; });
}

std::vector<std::size_t> IndicesOf(const Lines& lines, const std::string& exact) {
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == exact) at.push_back(i);
  }
  return at;
}

std::optional<std::size_t> Nth(const Lines& lines, const std::string& exact, long n) {
  const auto at = IndicesOf(lines, exact);
  if (n < 1 || n > static_cast<long>(at.size())) return std::nullopt;
  return at[static_cast<std::size_t>(n - 1)];
}

Lines Slice(const Lines& lines, std::size_t from, std::size_t to) {
  to = std::min(to, lines.size());
  from = std::min(from, to);
  return Lines(lines.begin() + static_cast<std::ptrdiff_t>(from),
               lines.begin() + static_cast<std::ptrdiff_t>(to));
}

std::vector<Lines> FramesOf(const Lines& lines) {
  std::vector<Lines> frames;
  std::size_t start = 0;
  for (const std::size_t a : IndicesOf(lines, "A")) {
    std::size_t first = start;
    if (!frames.empty()) {
      while (first < a && lines[first] != "E") ++first;
      // Back up over the first point of pass 1, which sets widths 3 and 1 before its call.
      first = first >= 2 ? first - 2 : 0;
    }
    frames.push_back(Slice(lines, first, a + 1));
    start = a + 1;
  }
  return frames;
}

FrameCurves CurvesOf(const Lines& frame) {
  FrameCurves curves;
  for (const std::string& l : frame) {
    if (!IsLine(l)) continue;
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    unsigned colour = 0;
    if (std::sscanf(l.c_str(), "L %f %f %f %f %u", &x1, &y1, &x2, &y2, &colour) != 5) continue;
    std::vector<Segment>* curve = colour == colour::kGreen  ? &curves.green
                                  : colour == colour::kRed  ? &curves.red
                                  : colour == colour::kBlue ? &curves.blue
                                                            : nullptr;
    if (curve) curve->push_back({x1, y1, x2, y2});
  }
  return curves;
}

std::string Events(const Lines& lines) {
  std::string s;
  for (const std::string& l : lines) {
    const bool drawing = IsLine(l) || l == "E" || l.rfind("W ", 0) == 0;
    if (drawing && !s.empty() && s.back() == '.') continue;
    s += (s.empty() ? "" : ",") + (drawing ? std::string(".") : l);
  }
  return s;
}

}  // namespace tarsel::testing
