// The lines since the last clear and the SVG written from them: the record's rules (a clear
// empties it, a picture piled up too long is refused, never cut), the picture's frame and its
// mapping at the corners and far away. tests/tools/vector_test.cpp compares whole pictures with
// the draw log.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "export/line_record.h"
#include "export/svg_file.h"

namespace tarsel {
namespace {

std::string Svg(const LineRecord& record, Size device = {962, 688}, double dpr = 1) {
  std::string svg;
  EXPECT_EQ(SvgPicture(record, device, dpr, Palette::kExact, &svg), "");
  return svg;
}

std::vector<std::string> Elements(const std::string& svg, const std::string& name) {
  std::vector<std::string> found;
  const std::regex element("<" + name + "[ >][^>]*>");
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), element);
       it != std::sregex_iterator(); ++it) {
    found.push_back(it->str());
  }
  return found;
}

TEST(LineRecord, HoldsTheLinesSinceTheLastClearWithTheirPens) {
  LineRecord record;
  record.DrawWidth(3);
  record.Line(1, 2, 3, 4, 255);
  record.Cls();
  record.Line(5, 6, 7, 8, 65280);
  record.DrawWidth(1);
  record.Line(9, 10, 11, 12, 7);
  record.DrawWidth(2);  // a width without a line adds nothing
  const std::vector<LineRecord::Segment> want = {{5, 6, 7, 8, 65280, 3}, {9, 10, 11, 12, 7, 1}};
  EXPECT_EQ(record.lines(), want);
  EXPECT_TRUE(record.complete());
}

TEST(LineRecord, TooManyLinesAreRefusedUntilTheNextClear) {
  LineRecord record;
  for (std::size_t i = 0; i < LineRecord::kMostLines; ++i) record.Line(0, 0, 1, 1, 0);
  EXPECT_TRUE(record.complete());
  record.Line(0, 0, 1, 1, 0);
  EXPECT_FALSE(record.complete());
  EXPECT_TRUE(record.lines().empty());  // its memory is given back
  std::string svg = "untouched";
  const std::string error = SvgPicture(record, {962, 688}, 1, Palette::kExact, &svg);
  EXPECT_EQ(error, TooManyLines());
  EXPECT_NE(error.find("1048576"), std::string::npos) << error;
  EXPECT_EQ(error.find('\n'), std::string::npos);
  EXPECT_EQ(svg, "untouched");
  record.Cls();
  record.Line(0, 0, 1, 1, 0);
  EXPECT_TRUE(record.complete());
  EXPECT_EQ(record.lines().size(), 1u);
}

TEST(Svg, TheClientAreaInDevicePixelsOnWhite) {
  LineRecord record;
  // The corners of the design size: (-50, 10) is the top-left pixel corner, (180, -3) the
  // bottom-right one.
  record.DrawWidth(3);
  record.Line(-50, 10, 180, -3, 16711680);
  const std::string svg = Svg(record);
  EXPECT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg ", 0), 0u) << svg;
  EXPECT_NE(svg.find("width=\"962\" height=\"688\" viewBox=\"0 0 962 688\""), std::string::npos);
  EXPECT_NE(svg.find("<rect width=\"962\" height=\"688\" fill=\"#ffffff\"/>"), std::string::npos);
  EXPECT_NE(svg.find("<line x1=\"0\" y1=\"0\" x2=\"962\" y2=\"688\" stroke=\"#0000ff\"/>"),
            std::string::npos)
      << svg;
  EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");

  // At twice the pixels the same corners are (0, 0) and (1924, 1376).
  const std::string twice = Svg(record, {1924, 1376}, 2);
  EXPECT_NE(twice.find("viewBox=\"0 0 1924 1376\""), std::string::npos);
  EXPECT_NE(twice.find("x2=\"1924\" y2=\"1376\""), std::string::npos) << twice;
}

TEST(Svg, LinesFarBeyondTheScreenAreCutAsTheCanvasCutsThem) {
  LineRecord record;
  // Vertical through x = 0 (pixel 209.13...), from 1e6 units above to the axis: cut at the top
  // of the square, 2^18 logical pixels above the corner.
  record.Line(0, 1e6f, 0, 0, 7);
  record.Line(1e7f, 1e7f, 2e7f, 2e7f, 7);  // wholly outside: left out
  const std::string svg = Svg(record);
  const std::vector<std::string> lines = Elements(svg, "line");
  ASSERT_EQ(lines.size(), 1u) << svg;
  char want[128];
  const float x = static_cast<float>(50 * (962.0 / 230)), y = static_cast<float>(10 * (688.0 / 13));
  std::snprintf(want, sizeof want, "<line x1=\"%.9g\" y1=\"-262144\" x2=\"%.9g\" y2=\"%.9g\"", x, x,
                y);
  EXPECT_EQ(lines[0].rfind(want, 0), 0u) << lines[0] << "\n" << want;
}

}  // namespace
}  // namespace tarsel
