#pragma once

#include <string>

#include "export/line_record.h"
#include "render/canvas.h"
#include "render/palette.h"

namespace tarsel {

// The picture of the client area as a one-page PDF, for print: the same lines as the SVG (see
// SvgPicture), in their colours in `palette`, drawn with Qt's PDF writer as strokes with their
// round ends (square for the width-1 pen), on a white page of the image's size at 96 logical pixels
// to the inch, so that the design size of 962 x 688 pixels prints 10.0 x 7.2 inches whatever the
// pixel ratio. Qt makes pages a whole number of points: the page is rounded up to one (722 x 516
// points). Returns an empty string and the file's bytes in *pdf, or the reason no picture is
// written.
std::string PdfPicture(const LineRecord& record, Size device, double dpr, Palette palette,
                       std::string* pdf);

}  // namespace tarsel
