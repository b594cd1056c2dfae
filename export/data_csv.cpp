#include "export/data_csv.h"

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "animation/probe.h"
#include "geometry/piston_curve.h"

namespace tarsel {

void AppendNumber(std::string& out, double v) {
  // printf's %.Ng and strtod are exact in both C libraries (glibc's and the browser's), unlike
  // the floating-point std::to_chars, which the browser's C++ library lacks. Most numbers of
  // the tables need 15 digits or fewer.
  char text[32];
  for (int digits = 15; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, v);
    if (digits == 17 || std::strtod(text, nullptr) == v) break;
  }
  out += text;
}

namespace {

void AppendRow(std::string& out, std::initializer_list<double> values) {
  bool first = true;
  for (const double v : values) {
    if (!first) out += ',';
    first = false;
    AppendNumber(out, v);
  }
  out += '\n';
}

}  // namespace

std::string LinkageCsv(const SharedState& state) {
  const ProfileTables& t = state.tables;
  std::string out = std::string(kLinkageCsvHeader) + "\n";
  out.reserve(out.size() + ProfileTables::kLast * 280);
  for (int n = ProfileTables::kFirst; n <= ProfileTables::kLast; ++n) {
    const LinkagePose pose = BluePointPose(state, n);
    AppendRow(out, {static_cast<double>(n), state.k, t.xa[n], t.ya[n], t.xb[n], t.yb[n], pose.theta,
                    pose.ff, BlueX(state, n), pose.p.x, pose.p.y, pose.r.x, pose.r.y, pose.phi});
  }
  return out;
}

std::string PistonCsv(const SharedState& state) {
  std::string out = std::string(kPistonCsvHeader) + "\n";
  out.reserve(out.size() + piston::kSegments * 90);
  int point = 0;
  ForEachPistonAngle(state.pi, [&](double theta) {
    const PistonPose pose = PistonPoseAt(theta);
    AppendRow(out, {static_cast<double>(++point), theta, pose.travel, PistonX(theta, state.pi),
                    pose.height});
  });
  return out;
}

}  // namespace tarsel
