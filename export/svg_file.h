#pragma once

#include <string>

#include "export/line_record.h"
#include "render/canvas.h"
#include "render/palette.h"

namespace tarsel {

// The picture of the client area as SVG, from the lines of a record: every line since the last
// clear, in the order drawn, in its colour in `palette`, on the white back colour, in the pixel
// coordinates of the canvas's
// image (`device` pixels at `dpr` device pixels per logical pixel) and at its size, drawn as the
// canvas draws it: a pen of width w is w x dpr pixels wide with round ends, antialiased; a pen of
// width 1 is Canvas::ThinLinePixels(dpr) pixels wide and aliased ("crispEdges"), with the square
// ends of the canvas's square pen. A browser's rendering then equals the canvas's pixels but on
// the antialiased edges of the thick lines. Numbers are floats in "%.9g", which read back
// exactly; the desktop and the page write the same bytes.
//
// A line reaching beyond a square far outside every screen is cut to it, as the canvas cuts it;
// one wholly outside it is left out. Returns an empty string and the text in *svg, or the reason
// no picture is written (the record is incomplete).
std::string SvgPicture(const LineRecord& record, Size device, double dpr, Palette palette,
                       std::string* svg);

// The reason a vector picture of an incomplete record is refused, one line.
std::string TooManyLines();

}  // namespace tarsel
