// Coverage-guided fuzzing of the configuration: its check, the solver and the analysis with
// arbitrary numbers (the bytes taken as doubles, any bit pattern), and the reader of its texts
// with arbitrary bytes. Any of these ends the run with an abort:
//   - a configuration the check takes whose pose, analysis, report or panel lines hold a number
//     that is not finite, or whose pose does not close the loop where it says it closes;
//   - a text the reader takes whose configuration the check refuses, or a refusal that is not
//     one line naming its parameter;
//   - any AddressSanitizer or UndefinedBehaviorSanitizer report.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "geometry/configuration.h"
#include "geometry/linkage.h"
#include "geometry/linkage_analysis.h"
#include "geometry/piston_curve.h"
#include "input/configuration_text.h"
#include "input/link.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "configuration_fuzz: %s\n", what);
  std::abort();
}

void Finite(double v, const char* what) {
  if (!std::isfinite(v)) Fail(what);
}

void NoWordForANonNumber(const std::string& text) {
  for (const char* word : {"nan", "inf", "NaN", "Inf"}) {
    if (text.find(word) != std::string::npos) Fail("a non-number in the text");
  }
}

// Everything drawn and written of a configuration the check takes.
void Use(const tarsel::Configuration& c) {
  const double pi = 4 * std::atan(1.0);
  for (const double theta : {0.0, 0.7, 2.0, pi, 4.4, -123.25}) {
    for (const tarsel::LinkagePose& p : {tarsel::LinkagePoseAt(c, theta, pi),
                                         tarsel::SolveLinkage<tarsel::LibraryMath>(c, theta, pi)}) {
      for (const double v : {p.p.x, p.p.y, p.r.x, p.r.y, p.phi, p.ff, p.transmission, p.pq}) {
        Finite(v, "a pose that is not finite");
      }
      if (!p.closes) continue;
      const double coupler = std::hypot(p.r.x - p.p.x, p.r.y - p.p.y);
      const double rocker = std::hypot(p.r.x - p.q.x, p.r.y - p.q.y);
      const double scale = c.ground + c.crank + c.coupler + c.rocker;
      if (std::abs(coupler - c.coupler) > 1e-6 * scale ||
          std::abs(rocker - c.rocker) > 1e-6 * scale) {
        Fail("a pose that closes without closing the loop");
      }
    }
    const tarsel::PistonPose piston = tarsel::PistonPoseAt(c, theta);
    Finite(piston.travel, "a piston that is not finite");
    Finite(piston.height, "a piston curve that is not finite");
  }
  const tarsel::LinkageAnalysis a = tarsel::Analyse(c);
  for (const auto& r : {a.transmission, a.phi, a.phase_offset, a.rocker}) {
    if (r) Finite(r->least + r->most, "a range that is not finite");
  }
  for (const tarsel::AngleInterval& i : a.closes) {
    if (!(i.from >= 0 && i.from <= 360 && i.to >= 0 && i.to <= 360)) Fail("an interval off 0-360");
  }
  NoWordForANonNumber(tarsel::ConfigurationQuery(c));
  for (const tarsel::ConfigurationField& f : tarsel::kConfigurationFields) {
    for (const tarsel::Range& r : tarsel::SliderSpans(c, f)) {
      if (!(r.least >= f.low && r.most <= f.high && r.least <= r.most))
        Fail("a span off its slider");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first 56 bytes as seven doubles, the eighth byte's low bit the assembly.
  if (size >= 57) {
    double v[7];
    std::memcpy(v, data, sizeof v);
    tarsel::Configuration c;
    c.ground = v[0], c.crank = v[1], c.coupler = v[2], c.rocker = v[3], c.reference = v[4];
    c.piston_radius = v[5], c.rod = v[6];
    c.assembly = data[56] & 1 ? tarsel::Assembly::kCrossed : tarsel::Assembly::kOpen;
    if (tarsel::Problems(c).empty()) Use(c);
  }
  // The same bytes as a link's query: what it takes, the check takes too.
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const tarsel::LinkConfiguration read = tarsel::ReadLinkConfiguration(text);
  if (read.error.empty()) {
    if (!tarsel::Problems(read.config).empty())
      Fail("a configuration taken that the check refuses");
    Use(read.config);
  } else {
    if (read.error.find('\n') != std::string::npos) Fail("a refusal of more than one line");
    if (read.error.rfind("bad link value ", 0) != 0 &&
        read.error.rfind("the link gives ", 0) != 0) {
      Fail("a refusal that names no parameter");
    }
  }
  return 0;
}
