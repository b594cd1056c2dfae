#include "export/svg_file.h"

#include <cstdio>
#include <optional>

#include "export/float_text.h"
#include "geometry/language.h"

namespace tarsel {

namespace {

// Appends a float as the draw log writes it.
void AppendFloat(std::string& out, float v) {
  char text[kFloatTextMax];
  out.append(text, PutFloat(text, text + sizeof text, v));
}

// Appends ` name="v"` with v a float.
void AppendAttribute(std::string& out, const char* name, float v) {
  out += ' ';
  out += name;
  out += "=\"";
  AppendFloat(out, v);
  out += '"';
}

// The group of the lines drawn at one pen width: its stroke width in device pixels and, at
// width 1, the canvas's aliased square pen.
void OpenGroup(std::string& out, int width, double dpr) {
  out += "<g";
  AppendAttribute(out, "stroke-width", static_cast<float>(DevicePenWidth(width, dpr)));
  out += width == 1 ? " stroke-linecap=\"square\" shape-rendering=\"crispEdges\">\n" : ">\n";
}

void AppendLine(std::string& out, raster::Point p, raster::Point q, std::uint32_t colour) {
  char stroke[8];
  // The window's colour is 00BBGGRR; SVG's is #RRGGBB.
  std::snprintf(stroke, sizeof stroke, "%02x%02x%02x", colour & 0xFF, colour >> 8 & 0xFF,
                colour >> 16 & 0xFF);
  out += "<line";
  AppendAttribute(out, "x1", static_cast<float>(p.x));
  AppendAttribute(out, "y1", static_cast<float>(p.y));
  AppendAttribute(out, "x2", static_cast<float>(q.x));
  AppendAttribute(out, "y2", static_cast<float>(q.y));
  out += " stroke=\"#";
  out += stroke;
  out += "\"/>\n";
}

}  // namespace

std::string TooManyLines() {
  // TRANSLATORS: %s: the most lines a vector picture may hold (1000000).
  return Fill(Tr("more than %s lines since the last clear: too many for a vector picture (clear "
                 "the frames first)"),
              {std::to_string(LineRecord::kMostLines)});
}

std::string SvgPicture(const LineRecord& record, Size device, double dpr, Palette palette,
                       std::string* svg) {
  if (!record.complete()) return TooManyLines();
  const std::string w = std::to_string(device.width), h = std::to_string(device.height);
  std::string& out = *svg;
  out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
      w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w + " " + h + "\">\n";
  out += "<rect width=\"" + w + "\" height=\"" + h + "\" fill=\"#ffffff\"/>\n";
  out += "<g fill=\"none\" stroke-linecap=\"round\">\n";
  out.reserve(out.size() + record.lines().size() * 88);
  std::optional<int> width;  // the open group's pen width
  for (const LineRecord::Segment& s : record.lines()) {
    raster::Point p, q;
    if (!DeviceLine(s, dpr, &p, &q)) continue;
    if (s.width != width) {
      if (width) out += "</g>\n";
      width = s.width;
      OpenGroup(out, s.width, dpr);
    }
    AppendLine(out, p, q, Substitute(palette, s.colour));
  }
  if (width) out += "</g>\n";
  out += "</g>\n</svg>\n";
  return "";
}

}  // namespace tarsel
