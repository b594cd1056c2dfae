// Coverage-guided fuzzing of the profile reader with arbitrary bytes, and of a frame drawn and
// timed with whatever profile it takes. Any of these ends the run with an abort:
//   - a profile taken with fewer than 5 or more than 10,000 points, angles that do not fall
//     strictly through the first table or lie beyond 360 degrees, a lift below 0 or not
//     finite, or a second table that is not the first one mirrored;
//   - a refusal that is not one line, or names neither a line nor the number of rows;
//   - valve events that are not finite, or that close before they open;
//   - a cam whose follower stands off the lift's range, or whose contour is not finite where
//     the base circle and the peak are;
//   - any AddressSanitizer or UndefinedBehaviorSanitizer report.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "animation/driver.h"
#include "animation/surface.h"
#include "animation/timing.h"
#include "geometry/cam.h"
#include "input/profile_file.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "profile_fuzz: %s\n", what);
  std::abort();
}

void Check(const tarsel::ProfileTables& t) {
  if (t.last() < tarsel::kLeastProfileRows || t.last() > tarsel::kMostProfileRows) {
    Fail("a number of points off 5 to 10000");
  }
  for (int n = tarsel::ProfileTables::kFirst; n <= t.last(); ++n) {
    const auto i = static_cast<std::size_t>(n);
    if (!(std::abs(t.xa[i]) <= 360) || !(t.ya[i] >= 0) || !std::isfinite(t.ya[i])) {
      Fail("a point off the limits");
    }
    if (n > 1 && !(t.xa[i] < t.xa[i - 1])) Fail("a first table that does not fall");
    if (t.xb[i] != -t.xa[i] || t.yb[i] != t.ya[i]) Fail("a second table that is no mirror");
  }
}

// A frame drawn unseen with the profile, and its events at two checking lifts.
void Draw(const tarsel::ProfileTables& t) {
  tarsel::SharedState state;
  state.profile = std::make_shared<const tarsel::ProfileTables>(t);
  tarsel::UnseenSurface surface;
  tarsel::Driver driver(state, surface);
  driver.Startup();
  state.k = state.k0;
  state.kk = 1;
  driver.DrawFrame();
  for (const double lift : {0.5, 1.0}) {
    const tarsel::FrameTiming timing = tarsel::TimingOf(driver.curves(), lift);
    for (const auto& e : {timing.red, timing.green, timing.blue}) {
      if (!e) continue;
      if (!std::isfinite(e->opening + e->closing + e->peak)) Fail("an event that is not finite");
      if (!(e->duration >= 0)) Fail("an event that closes before it opens");
    }
  }
}

// The cam turned to a few angles, within a turn and beyond it.
void Cam(const tarsel::ProfileTables& t) {
  for (const double angle : {0.0, t.xa[1], -200.0, 1000.0}) {
    const tarsel::CamLobe cam = tarsel::CamAt(t, angle);
    if (!(cam.base > 0) || !(cam.lift >= 0) || !(cam.lift <= cam.peak * (1 + 1e-12))) {
      Fail("a follower off the lift's range");
    }
    if (!std::isfinite(cam.base + cam.peak)) continue;
    for (const tarsel::Joint j : cam.contour) {
      if (!std::isfinite(j.x) || !std::isfinite(j.y)) Fail("a contour that is not finite");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  if (const auto tables = tarsel::ReadProfile(text, &error)) {
    Check(*tables);
    Draw(*tables);
    Cam(*tables);
    return 0;
  }
  if (error.empty() || error.find('\n') != std::string::npos) Fail("a refusal not of one line");
  if (error.rfind("line ", 0) != 0 &&
      error.find("a profile needs at least 5") == std::string::npos) {
    Fail("a refusal that names no line");
  }
  return 0;
}
