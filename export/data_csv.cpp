#include "export/data_csv.h"

#include <initializer_list>
#include <optional>

#include "animation/trace_point.h"
#include "geometry/configuration.h"
#include "geometry/piston_curve.h"

namespace tarsel {

void AppendNumber(std::string& out, double v) {
  out += NumberText(v);
}

namespace {

// A row of numbers; a cell that has none (nullopt) stays empty.
void AppendRow(std::string& out, std::initializer_list<std::optional<double>> values) {
  bool first = true;
  for (const std::optional<double>& v : values) {
    if (!first) out += ',';
    first = false;
    if (v) AppendNumber(out, *v);
  }
  out += '\n';
}

}  // namespace

std::string LinkageCsv(const SharedState& state) {
  const ProfileTables& t = state.tables;
  std::string out = std::string(kLinkageCsvHeader) + "\n";
  out.reserve(out.size() + static_cast<std::size_t>(t.last()) * 280);
  for (int n = ProfileTables::kFirst; n <= t.last(); ++n) {
    const TracePoint point = TracePointAt(state, n);
    const LinkagePose& pose = point.pose;
    // Where the linkage does not close, the point has no offset, no place on the trace and no
    // rocker tip: those cells stay empty. The crank pin is where the crank puts it.
    const auto closed = [&](double v) { return pose.closes ? std::optional(v) : std::nullopt; };
    AppendRow(out, {static_cast<double>(n), state.k, t.xa[n], t.ya[n], t.xb[n], t.yb[n], pose.theta,
                    closed(pose.ff), closed(point.x), pose.p.x, pose.p.y, closed(pose.r.x),
                    closed(pose.r.y), closed(pose.phi)});
  }
  return out;
}

std::string TimingCsv(const std::vector<SweepFrame>& frames) {
  std::string out = std::string(kTimingCsvHeader) + "\n";
  for (const SweepFrame& f : frames) {
    std::optional<ValveEvents> crank;
    if (f.blue) crank = InCrankDegrees(*f.blue);
    const auto cell = [](const std::optional<ValveEvents>& e, double ValveEvents::*v) {
      return e ? std::optional(*e.*v) : std::nullopt;
    };
    AppendRow(out, {f.k, cell(f.blue, &ValveEvents::opening), cell(f.blue, &ValveEvents::closing),
                    cell(f.blue, &ValveEvents::peak), cell(f.blue, &ValveEvents::duration),
                    cell(crank, &ValveEvents::opening), cell(crank, &ValveEvents::closing),
                    cell(crank, &ValveEvents::peak), cell(crank, &ValveEvents::duration)});
  }
  return out;
}

std::string PistonCsv(const SharedState& state) {
  std::string out = std::string(kPistonCsvHeader) + "\n";
  out.reserve(out.size() + piston::kSegments * 90);
  int point = 0;
  ForEachPistonAngle(state.pi, [&](double theta) {
    const PistonPose pose = PistonPoseAt(state.config, theta);
    AppendRow(out, {static_cast<double>(++point), theta, pose.travel, PistonX(theta, state.pi),
                    pose.height});
  });
  return out;
}

}  // namespace tarsel
