#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "animation/shared_state.h"
#include "animation/timing.h"

namespace tarsel {

// The data behind the picture, as CSV for a spreadsheet: comma-separated, a header row first,
// one row per point, "\n" at the end of each row. Every number is written in the fewest digits
// that read back to the same double, so a spreadsheet or a program that reads the file gets the
// very numbers the program computed; the desktop and the browser write the same text.
//
// That is the form every program reads, in every language. A spreadsheet set up for a language
// whose decimal separator is a comma reads "4.5" as text and "4,5" as two cells, so each file
// also comes in a second form for it: cells separated by ";", numbers with a decimal comma
// ("4,5"), the header the same words. Turning each "," back into "." and then each ";" into
// "," gives the first form's bytes again; an empty cell stays empty.
enum class CsvStyle {
  kComma,      // "," between cells, decimal points: the default
  kSemicolon,  // ";" between cells, decimal commas
};

// The style a name gives, "comma" or "semicolon" (the option's and the page's words), or none.
std::optional<CsvStyle> CsvStyleNamed(std::string_view name);

// The frame at the state's k, one row per point of the second table:
//   n,k,xa,ya,xb,yb,theta,ff,blue_x,Px,Py,Rx,Ry,phi
// n the table index; k the control angle (radians); xa, ya, xb, yb the two tables' angles
// (degrees) and lifts; theta the crank angle the linkage is solved at for point n (k - xb
// pi/180, radians); ff the phase offset (degrees) and blue_x where the blue trace draws the
// point (ww - xb + ff); P the crank pin and R the rocker tip with O at (0, 0), Q at (G, 0) (the
// fixed line's length, 31.5 built in) and y upward; phi the angle under which R is seen from O
// (degrees). Where the linkage does not close, ff, blue_x, Rx, Ry and phi are left empty.
std::string LinkageCsv(const SharedState& state, CsvStyle style = CsvStyle::kComma);
inline constexpr char kLinkageCsvHeader[] = "n,k,xa,ya,xb,yb,theta,ff,blue_x,Px,Py,Rx,Ry,phi";

// The piston curve's points, the same in every frame: one row per crank angle of the curve
//   point,crank_angle,travel,x,y
// crank_angle in radians, travel the piston's distance from the top of its stroke, x and y
// where the curve draws the point (y is the travel plus 4.85).
std::string PistonCsv(const SharedState& state, CsvStyle style = CsvStyle::kComma);
inline constexpr char kPistonCsvHeader[] = "point,crank_angle,travel,x,y";

// The valve events of the blue trace over the plain sweep, one row per frame:
//   k,opening,closing,peak,duration,opening_crank,closing_crank,peak_crank,duration_crank
// k in radians, the events in the plot's degrees and in crank degrees after top dead centre (a
// duration as its span). A frame whose trace never reaches the checking lift leaves its cells
// after k empty.
std::string TimingCsv(const std::vector<SweepFrame>& frames, CsvStyle style = CsvStyle::kComma);
inline constexpr char kTimingCsvHeader[] =
    "k,opening,closing,peak,duration,opening_crank,closing_crank,peak_crank,duration_crank";

// Appends v in the fewest significant digits (15 to 17) that read back to the same double.
void AppendNumber(std::string& out, double v);

}  // namespace tarsel
