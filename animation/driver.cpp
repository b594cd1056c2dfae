#include "animation/driver.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "animation/sweep.h"
#include "animation/trace_point.h"
#include "geometry/piston_curve.h"

namespace tarsel {

void Driver::FillTables() {
  if (st_.profile) {
    st_.tables = *st_.profile;
  } else {
    FillProfileTables(st_.tables);
  }
}

void Driver::Startup() {
  FillTables();
  st_.pi = 4 * std::atan(1.0);
  st_.ste = sweep::kStep;
  st_.ww = 65;
  st_.k0 = sweep::kFirstK;
}

void Driver::DrawLine(double x1, double y1, double x2, double y2, std::uint32_t colour) {
  const std::optional<Segment> drawn = SegmentAsDrawn(x1, y1, x2, y2);
  if (!drawn) return;
  // Each coordinate is a float's value, which the conversion back gives exactly.
  const float a = static_cast<float>(drawn->x1), b = static_cast<float>(drawn->y1);
  const float c = static_cast<float>(drawn->x2), d = static_cast<float>(drawn->y2);
  win_.Line(a, b, c, d, colour);
  // The curves are kept as the window got them, for the frame's valve events and the names
  // over the picture.
  using Curve = std::vector<Segment> FrameCurves::*;
  static constexpr std::pair<std::uint32_t, Curve> kKept[] = {
      {colour::kRed, &FrameCurves::red},
      {colour::kGreen, &FrameCurves::green},
      {colour::kBlue, &FrameCurves::blue},
      {colour::kOlive, &FrameCurves::olive},
      {colour::kOrange, &FrameCurves::orange},
      {colour::kMagenta, &FrameCurves::magenta},
      {colour::kLightBlue, &FrameCurves::light_blue},
      {colour::kTeal, &FrameCurves::teal}};
  for (const auto& [kept, curve] : kKept) {
    if (kept == colour) return (drawing_.*curve).push_back(*drawn);
  }
}

void Driver::DrawAxes() {
  if (!win_.Seen()) return;
  DrawLine(-98, 0, 360, 0, colour::kAxis);
  // Marker lines at the positions of crank angles 0 and pi of the piston curve.
  DrawLine(15, -2, 15, 11.5, colour::kAxis);
  DrawLine(105, -2, 105, 11.5, colour::kAxis);
  for (double tick = -97.5; tick <= 600; tick += 22.5) {
    DrawLine(tick, -0.25, tick, 0.25, colour::kAxis);
  }
}

void Driver::SolveLinkage(double theta) {
  // The C library's functions, as the drawing always has; the readout's are a few units in
  // the last place apart.
  const LinkagePose pose = tarsel::SolveLinkage<LibraryMath>(st_.config, theta, st_.pi);
  st_.ff = pose.ff;
  st_.closes = pose.closes;
}

LoopEnd Driver::Form_Activate() {
  Startup();
  // The end value and the step are fixed now; the keys move k itself, and every step adds to
  // whatever value k has by then.
  const double last = sweep::kLastK;
  const double step = st_.ste;
  for (st_.k = st_.k0; st_.k <= last; st_.k += step) {
    if (!DrawFrame()) return LoopEnd::kEnded;
    FinishFrame();
  }
  return LoopEnd::kPastLast;
}

bool Driver::DrawFrame() {
  return DrawPasses() && Wait();
}

bool Driver::DrawPasses() {
  if (!DrawProfiles()) return false;
  r_.m = 0;
  r_.n = 1;
  return Pass3();
}

bool Driver::DrawProfiles() {
  drawing_.clear();
  r_.m = 0;
  r_.n = 1;
  if (!Pass1()) return false;
  DrawPistonCurve();
  r_.n = 1;  // m carries on from pass 1
  return Pass2();
}

void Driver::FinishFrame() {
  TakeConfiguration();
  st_.kk = 0;
  if (st_.ccllss == 0) win_.Cls();
  if (!first_of_way_) DrawPistonCurve();
  first_of_way_ = false;
}

void Driver::TakeConfiguration() {
  if (!st_.next_config && !st_.next_profile) return;
  if (st_.next_config) st_.config = *st_.next_config;
  st_.next_config.reset();
  if (st_.next_profile) {
    st_.profile = std::move(*st_.next_profile);
    FillTables();
  }
  st_.next_profile.reset();
  // As at the start: no finite difference, and no stroke of the trace, joins a point drawn
  // with the old mechanism to one drawn with the new...
  r_ = Registers{};
  st_.ff = 0;
  st_.closes = true;
  if (st_.ccllss != 0 || !way_) return;
  // ...and the frame is the one the keys reach with the new mechanism: a frame leaves the same
  // registers whatever it started from (its last points set them all), so the frame before
  // it on their way, drawn unseen, gives them.
  const FrameBefore before = way_(st_.k + st_.ste, st_.acc, st_.ccllss);
  if (before.kind == FrameBefore::kFirst) first_of_way_ = true;
  if (before.kind == FrameBefore::kAfter) Rehearse(before.k, before.acc);
}

void Driver::Rehearse(double k, int acc) {
  SharedState scratch = st_;
  scratch.k = k;
  scratch.acc = acc;
  UnseenSurface unseen;
  Driver rehearsal(scratch, unseen);
  rehearsal.DrawPasses();
  r_ = rehearsal.r_;
  st_.ff = scratch.ff;
  st_.closes = scratch.closes;
}

bool Driver::PointEvents() {
  win_.DoEvents();
  return !st_.ended;
}

bool Driver::Wait() {
  shown_ = drawing_;
  win_.BeginWait();
  bool first = true;
  do {
    win_.WaitEvents(!first);
    first = false;
    if (st_.ended) return false;
  } while (st_.kk != 1);
  return true;
}

// Pass 1: the second table as a green curve, mirrored about x = ww. Consecutive points are
// joined only where xb rises, so the curve runs from right to left across the window.
bool Driver::Pass1() {
  const auto& t = st_.tables;
  while (r_.n <= t.last()) {
    r_.x1 = r_.x0;
    r_.y1 = r_.y0;
    r_.x0 = t.xb[r_.n];
    r_.y0 = t.yb[r_.n];
    win_.DrawWidth(style::kGreen.width);
    if (r_.m > 0 && r_.x0 > r_.x1) {
      DrawLine(st_.ww - r_.x1, r_.y1, st_.ww - r_.x0, r_.y0, colour::kGreen);
    }
    win_.DrawWidth(style::kRestWidth);
    r_.m = r_.m + 1;
    r_.n = r_.n + 1;
    if (!PointEvents()) return false;
  }
  return true;
}

// Pass 2: the first table as a red curve at x = ww + xa and, while acc = 1, its velocity
// (11 x slope) and acceleration (600 x change of slope over the two-segment span) by finite
// differences of the point history.
bool Driver::Pass2() {
  const auto& t = st_.tables;
  const double ww = st_.ww;
  while (r_.n <= t.last()) {
    r_.x3 = r_.x2;
    r_.x2 = r_.x1;
    r_.x1 = r_.x0;
    r_.y2 = r_.y1;
    r_.y1 = r_.y0;
    r_.x0 = t.xa[r_.n];
    r_.y0 = t.ya[r_.n];
    win_.DrawWidth(style::kRed.width);
    if (r_.m > 0 && r_.x0 < r_.x1) {
      DrawLine(ww + r_.x1, r_.y1, ww + r_.x0, r_.y0, colour::kRed);
      if (st_.acc == 1) {
        win_.DrawWidth(style::kOrange.width);
        r_.s2 = r_.s1;
        r_.s1 = r_.s0;
        r_.s0 = (r_.y0 - r_.y1) / (r_.x0 - r_.x1);
        // The start of the velocity segment comes from the point history, not from s1: the
        // slope history may hold a slope of the linkage trace instead.
        DrawLine(ww + r_.x1, 11 * (r_.y1 - r_.y2) / (r_.x1 - r_.x2), ww + r_.x0, 11 * r_.s0,
                 colour::kOrange);
        DrawLine(ww + r_.x1, 600 * (r_.s1 - r_.s2) / (r_.x1 - r_.x3), ww + r_.x0,
                 600 * (r_.s0 - r_.s1) / (r_.x0 - r_.x2), colour::kMagenta);
      }
    }
    win_.DrawWidth(style::kRestWidth);
    r_.m = r_.m + 1;
    if (!PointEvents()) return false;
    r_.n = r_.n + 1;
  }
  return true;
}

// Pass 3: the second table re-timed by the linkage. Each point is solved at the angle
// k - xb (in radians) and drawn shifted by its phase offset ff, in blue; with acc = 0 the
// offset itself (ff / 13) is drawn along the green curve, with acc = 1 the trace's velocity and
// acceleration by finite differences over the shifted positions. A point where the linkage
// does not close has no offset: no segment of these curves reaches it. The axes go on top
// after every point.
bool Driver::Pass3() {
  const auto& t = st_.tables;
  const double ww = st_.ww;
  while (r_.n <= t.last()) {
    r_.x2 = r_.x1;
    r_.x1 = r_.x0;
    r_.y1 = r_.y0;
    r_.f1 = st_.ff;
    r_.x0 = t.xb[r_.n];
    r_.y0 = t.yb[r_.n];
    SolveLinkage(TraceAngle(st_, r_.x0));
    // Where the rocker tip passes behind O (phi through a half turn, where the arctangent
    // turns over), the offset jumps by two whole turns between neighbouring points: the trace
    // starts afresh there, as after a point that does not close, instead of a stroke across
    // the plot.
    const bool turned_over = std::abs(st_.ff - r_.f1) > 360;
    r_.closed = !st_.closes ? 0 : turned_over ? 1 : std::min(r_.closed + 1, Registers::kLongRun);
    const bool joined = r_.closed >= 2;  // this point and the one before it closed
    if (r_.x1 < r_.x0 && joined) {
      win_.DrawWidth(style::kBlue.width);
      DrawLine(TraceX(ww, r_.x1, r_.f1), r_.y1, TraceX(ww, r_.x0, st_.ff), r_.y0, colour::kBlue);
      if (st_.acc == 1) TraceDerivatives();
    }
    if (!PointEvents()) return false;
    win_.DrawWidth(style::kOlive.width);
    // acc is read again: a key handled just now may have switched it.
    if (r_.m > 0 && r_.x1 < r_.x0 && st_.acc == 0 && joined) {
      DrawLine(ww - r_.x1, r_.f1 / 13, ww - r_.x0, st_.ff / 13, colour::kOlive);
    }
    win_.DrawWidth(style::kRestWidth);
    r_.m = r_.m + 1;
    DrawAxes();
    r_.x1 = r_.x0;
    r_.n = r_.n + 1;
  }
  return true;
}

// The velocity and acceleration of the blue trace at the current point. The divisor is the
// horizontal distance from the current trace point back to the previous one. Within one pass
// at a fixed k it is at least 0.58 for the built-in linkage, but after a key has moved k (and
// at the first point of a frame) the two offsets come from different k and it can be
// anything, 0 included. Where it gives no finite slope, the point draws neither curve and the
// histories stay as they are, so that one odd point cannot poison the curves that follow.
// After a point where the linkage did not close, the velocity waits for two joined segments
// and the acceleration for three, so that neither reaches back across the gap.
void Driver::TraceDerivatives() {
  const double ww = st_.ww;
  const double span = ((r_.x0 - r_.x1) - st_.ff) + r_.f1;
  const double slope = (r_.y0 - r_.y1) / span;
  const double acceleration = 300 * (slope - r_.s0) / span;
  if (span == 0 || !FitsAFloat(-11 * slope) || !FitsAFloat(acceleration)) return;
  r_.s2 = r_.s1;
  r_.s1 = r_.s0;
  r_.s0 = slope;
  if (r_.closed < 3) return;
  win_.DrawWidth(style::kLightBlue.width);
  DrawLine(ww - r_.x1 + r_.f1, -11 * r_.s1, ww - r_.x0 + st_.ff, -11 * r_.s0, colour::kLightBlue);
  r_.u1 = r_.u0;
  r_.a1 = r_.a0;
  r_.u0 = ww - r_.x0 + st_.ff;
  r_.a0 = acceleration;
  if (r_.u0 < r_.u1 && r_.closed >= 4) DrawLine(r_.u1, r_.a1, r_.u0, r_.a0, colour::kTeal);
}

void Driver::DrawPistonCurve() {
  if (!win_.Seen()) return;
  ForEachPistonSegment(st_.config, st_.pi, [this](const PistonSegment& s) {
    win_.DrawWidth(style::kPiston.width);
    DrawLine(s.x1, s.y1, s.x2, s.y2, colour::kPiston);
  });
}

}  // namespace tarsel
