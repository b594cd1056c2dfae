#include "export/data_csv.h"

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <optional>

#include "animation/trace_point.h"
#include "geometry/configuration.h"
#include "geometry/piston_curve.h"

namespace tarsel {

void AppendNumber(std::string& out, double v) {
  out += NumberText(v);
}

std::optional<CsvStyle> CsvStyleNamed(std::string_view name) {
  if (name == "comma") return CsvStyle::kComma;
  if (name == "semicolon") return CsvStyle::kSemicolon;
  return std::nullopt;
}

namespace {

// The header row in the style: its words never hold a "," or a ".", so only the separators
// change.
std::string Header(const char* header, CsvStyle style) {
  std::string out = header;
  if (style == CsvStyle::kSemicolon) std::replace(out.begin(), out.end(), ',', ';');
  return out + "\n";
}

// A row of numbers; a cell that has none (nullopt) stays empty. A number's text holds at most
// one ".", its decimal point (the exponent of "1e-300" has none), which the semicolon style
// writes as a comma.
void AppendRow(std::string& out, CsvStyle style,
               std::initializer_list<std::optional<double>> values) {
  const bool semicolon = style == CsvStyle::kSemicolon;
  bool first = true;
  for (const std::optional<double>& v : values) {
    if (!first) out += semicolon ? ';' : ',';
    first = false;
    if (!v) continue;
    const std::size_t at = out.size();
    AppendNumber(out, *v);
    if (semicolon) std::replace(out.begin() + static_cast<std::ptrdiff_t>(at), out.end(), '.', ',');
  }
  out += '\n';
}

}  // namespace

std::string LinkageCsv(const SharedState& state, CsvStyle style) {
  const ProfileTables& t = state.tables;
  std::string out = Header(kLinkageCsvHeader, style);
  out.reserve(out.size() + static_cast<std::size_t>(t.last()) * 280);
  for (int n = ProfileTables::kFirst; n <= t.last(); ++n) {
    const TracePoint point = TracePointAt(state, n);
    const LinkagePose& pose = point.pose;
    // Where the linkage does not close, the point has no offset, no place on the trace and no
    // rocker tip: those cells stay empty. The crank pin is where the crank puts it.
    const auto closed = [&](double v) { return pose.closes ? std::optional(v) : std::nullopt; };
    AppendRow(out, style,
              {static_cast<double>(n), state.k, t.xa[n], t.ya[n], t.xb[n], t.yb[n], pose.theta,
               closed(pose.ff), closed(point.x), pose.p.x, pose.p.y, closed(pose.r.x),
               closed(pose.r.y), closed(pose.phi)});
  }
  return out;
}

std::string TimingCsv(const std::vector<SweepFrame>& frames, CsvStyle style) {
  std::string out = Header(kTimingCsvHeader, style);
  for (const SweepFrame& f : frames) {
    std::optional<ValveEvents> crank;
    if (f.blue) crank = InCrankDegrees(*f.blue);
    const auto cell = [](const std::optional<ValveEvents>& e, double ValveEvents::*v) {
      return e ? std::optional(*e.*v) : std::nullopt;
    };
    AppendRow(out, style,
              {f.k, cell(f.blue, &ValveEvents::opening), cell(f.blue, &ValveEvents::closing),
               cell(f.blue, &ValveEvents::peak), cell(f.blue, &ValveEvents::duration),
               cell(crank, &ValveEvents::opening), cell(crank, &ValveEvents::closing),
               cell(crank, &ValveEvents::peak), cell(crank, &ValveEvents::duration)});
  }
  return out;
}

std::string PistonCsv(const SharedState& state, CsvStyle style) {
  std::string out = Header(kPistonCsvHeader, style);
  out.reserve(out.size() + piston::kSegments * 90);
  int point = 0;
  ForEachPistonAngle(state.pi, [&](double theta) {
    const PistonPose pose = PistonPoseAt(state.config, theta);
    AppendRow(
        out, style,
        {static_cast<double>(++point), theta, pose.travel, PistonX(theta, state.pi), pose.height});
  });
  return out;
}

}  // namespace tarsel
