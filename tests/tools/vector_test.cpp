// Tests of tarsel-render's vector pictures: the SVG holds exactly the lines of the draw log
// since the last clear, at the client area's pixel coordinates and size, with the canvas's pens;
// the PDF is one page of the same strokes, for print.
#include <gtest/gtest.h>
#include <zlib.h>

#include <QXmlStreamReader>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "render/canvas.h"
#include "render/palette.h"
#include "tests/support/draw_log.h"
#include "tests/support/render_run.h"

namespace tarsel::testing {
namespace {

// A line as the picture should hold it: device pixels, #RRGGBB, the stroke's width.
struct Stroke {
  double x1, y1, x2, y2;
  std::string colour;
  double width;
  bool crisp;  // aliased, with square ends
};

// The lines of a draw log since its last clear, mapped by the client area's definition: column
// (x + 50) x 962 / 230 and row (10 - y) x 688 / 13 logical pixels, times the pixel ratio; width
// w pens w x ratio pixels wide, the width-1 pen a whole number of pixels (at least one); each in
// its colour in the palette.
std::vector<Stroke> Expected(const Lines& log, double dpr, Palette palette) {
  std::vector<Stroke> strokes;
  int width = 1;
  for (const std::string& l : log) {
    if (l == "C") strokes.clear();
    if (l.rfind("W ", 0) == 0) width = std::stoi(l.substr(2));
    if (!IsLine(l)) continue;
    float x1, y1, x2, y2;
    unsigned long colour;
    if (std::sscanf(l.c_str(), "L %f %f %f %f %lu", &x1, &y1, &x2, &y2, &colour) != 5) {
      ADD_FAILURE() << "unreadable log line " << l;
      continue;
    }
    const std::uint32_t shown = Substitute(palette, static_cast<std::uint32_t>(colour));
    char hex[8];
    std::snprintf(hex, sizeof hex, "#%02x%02x%02x", shown & 0xFF, shown >> 8 & 0xFF,
                  shown >> 16 & 0xFF);
    const auto column = [&](float x) { return (x + 50.0) * 962 / 230 * dpr; };
    const auto row = [&](float y) { return (10.0 - y) * 688 / 13 * dpr; };
    strokes.push_back({column(x1), row(y1), column(x2), row(y2), hex,
                       width == 1 ? std::max(1.0, std::floor(dpr + 0.5)) : width * dpr,
                       width == 1});
  }
  return strokes;
}

// The SVG's size and its lines, each with the stroke of the groups it is in. Fails on anything
// that does not parse.
struct Parsed {
  double width = 0, height = 0;
  std::string view_box;
  std::vector<Stroke> strokes;
};

Parsed ParseSvg(const std::string& text) {
  Parsed svg;
  QXmlStreamReader xml(QString::fromStdString(text));
  struct Group {
    double width;
    bool crisp;
  };
  std::vector<Group> groups = {{1, false}};
  while (!xml.atEnd()) {
    const QXmlStreamReader::TokenType token = xml.readNext();
    if (token == QXmlStreamReader::EndElement && xml.name() == u"g") groups.pop_back();
    if (token != QXmlStreamReader::StartElement) continue;
    const QXmlStreamAttributes a = xml.attributes();
    const auto number = [&](const char* name) { return a.value(name).toDouble(); };
    if (xml.name() == u"svg") {
      svg.width = number("width");
      svg.height = number("height");
      svg.view_box = a.value("viewBox").toString().toStdString();
      EXPECT_EQ(xml.namespaceUri(), u"http://www.w3.org/2000/svg");
    } else if (xml.name() == u"g") {
      Group g = groups.back();
      if (a.hasAttribute("stroke-width")) g.width = number("stroke-width");
      if (a.hasAttribute("shape-rendering")) {
        g.crisp =
            a.value("shape-rendering") == u"crispEdges" && a.value("stroke-linecap") == u"square";
      }
      groups.push_back(g);
    } else if (xml.name() == u"line") {
      svg.strokes.push_back({number("x1"), number("y1"), number("x2"), number("y2"),
                             a.value("stroke").toString().toStdString(), groups.back().width,
                             groups.back().crisp});
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString() << " at line "
                               << xml.lineNumber();
  return svg;
}

TEST_F(RenderTest, TheSvgHoldsTheLinesOfTheDrawLogSinceTheLastClear) {
  const struct {
    std::string script;
    int width, height;
    double scale;
    Palette palette = Palette::kExact;
  } cases[] = {
      {"", 962, 688, 1},                   // the first frame
      {"97 8", 700, 500, 2},               // velocity and acceleration, twice the pixels
      {"47 97 97", 962, 688, 1},           // three frames piled up
      {"97 8 47 97@300", 1200, 800, 1.5},  // a key inside a pass, frames piling from there
      {"97 27", 962, 688, 1},              // Escape clears: nothing is left
      {"8", 500, 400, 0.5, Palette::kDistinguishable},  // a small screen, the other colours
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height);
    const Result r = Run({"--script", c.script, "--svg", Path("p.svg").string(), "--log",
                          Path("p.log").string(), "--size", size, "--scale",
                          std::to_string(c.scale), "--palette", std::string(NameOf(c.palette))});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<Stroke> want =
        Expected(SplitLines(ReadFile(Path("p.log"))), c.scale, c.palette);
    const Parsed svg = ParseSvg(ReadFile(Path("p.svg")));
    const int w = Canvas::DeviceSide(c.width, c.scale), h = Canvas::DeviceSide(c.height, c.scale);
    EXPECT_EQ(svg.width, w);
    EXPECT_EQ(svg.height, h);
    EXPECT_EQ(svg.view_box, "0 0 " + std::to_string(w) + " " + std::to_string(h));
    ASSERT_EQ(svg.strokes.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
      const Stroke &got = svg.strokes[i], &line = want[i];
      // Floats of device pixels: within a few of their last bits of the closed form.
      for (const auto& [a, b] : {std::pair{got.x1, line.x1}, std::pair{got.y1, line.y1},
                                 std::pair{got.x2, line.x2}, std::pair{got.y2, line.y2}}) {
        ASSERT_NEAR(a, b, 1e-6 * std::max(1.0, std::abs(b))) << "line " << i;
      }
      ASSERT_EQ(got.colour, line.colour) << "line " << i;
      ASSERT_EQ(got.width, line.width) << "line " << i;
      ASSERT_EQ(got.crisp, line.crisp) << "line " << i;
    }
    if (c.script == "97 27") {
      EXPECT_TRUE(want.empty());
    }
  }
}

// The PDF's content streams, inflated.
std::string PdfContent(const std::string& pdf) {
  std::string content;
  const std::regex stream("stream\r?\n");
  for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), stream); it != std::sregex_iterator();
       ++it) {
    const std::size_t from = it->position() + it->length();
    const std::size_t to = pdf.find("endstream", from);
    std::vector<unsigned char> out(1 << 24);
    uLongf size = out.size();
    if (uncompress(out.data(), &size, reinterpret_cast<const Bytef*>(pdf.data() + from),
                   to - from) == Z_OK) {
      content.append(reinterpret_cast<const char*>(out.data()), size);
    }
  }
  return content;
}

long CountMatches(const std::string& text, const std::string& pattern) {
  const std::regex re(pattern);
  return std::distance(std::sregex_iterator(text.begin(), text.end(), re), std::sregex_iterator());
}

TEST_F(RenderTest, ThePdfIsOnePageOfTheSameStrokesAtNinetySixPixelsToTheInch) {
  for (const double scale : {1.0, 2.0}) {
    SCOPED_TRACE(scale);
    const Result r = Run({"--script", "97 8", "--pdf", Path("p.pdf").string(), "--svg",
                          Path("p.svg").string(), "--scale", std::to_string(scale)});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string pdf = ReadFile(Path("p.pdf"));
    EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
    EXPECT_NE(pdf.find("%%EOF"), std::string::npos);
    // 962 x 688 pixels at 96 to the inch are 721.5 x 516 points, whatever the pixel ratio; Qt's
    // pages are whole points, rounded up.
    EXPECT_EQ(CountMatches(pdf, "/Type\\s*/Page\\b"), 1);
    EXPECT_TRUE(std::regex_search(
        pdf, std::regex("/MediaBox\\s*\\[\\s*0 0 722(\\.0+)? 516(\\.0+)?\\s*\\]")))
        << pdf.substr(0, 2000);
    const std::string content = PdfContent(pdf);
    const long lines = CountMatches(ReadFile(Path("p.svg")), "<line ");
    EXPECT_GT(lines, 9000);
    // One stroke per line: "x y m x y l S".
    EXPECT_EQ(CountMatches(content, "\\bl\\s+S\\b"), lines);
    // Round ends (1 J) for the curves, square ends (2 J) for the width-1 pen; blue and red.
    EXPECT_GT(CountMatches(content, "\\b1 J\\b"), 0);
    EXPECT_GT(CountMatches(content, "\\b2 J\\b"), 0);
    EXPECT_GT(CountMatches(content, "\\b0 0 1 SCN\\b"), 0);
    EXPECT_GT(CountMatches(content, "\\b1 0 0 SCN\\b"), 0);
  }
}

TEST_F(RenderTest, AVectorPictureOfTooManyLinesIsRefusedInOneLine) {
  // 127 frames piled up, back and forth by a step, hold more than 2^20 lines.
  for (const std::string option : {"--svg", "--pdf"}) {
    const Result r = Run({"--script", "47 " + Repeat("97 44", 63), option, Path("many").string()});
    ExpectRejected(r, "more than 1048576 lines since the last clear", option);
    EXPECT_FALSE(std::filesystem::exists(Path("many")) &&
                 std::filesystem::file_size(Path("many")) > 0);
  }
}

}  // namespace
}  // namespace tarsel::testing
