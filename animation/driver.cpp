#include "animation/driver.h"

#include <cmath>

#include "geometry/piston_curve.h"

namespace tarsel {

namespace {
// Loop bounds of k, captured when the loop starts.
constexpr double kLastK = 20;
}  // namespace

void Driver::Startup() {
  FillProfileTables(st_.tables);
  st_.pi = 4 * std::atan(1.0);
  st_.ste = 0.25;
  st_.ww = 65;
  st_.k0 = 4.5;
}

LoopEnd Driver::Form_Activate() {
  Startup();
  // The end value and the step are fixed now; the keys move k itself, and every step adds to
  // whatever value k has by then.
  const double last = kLastK;
  const double step = st_.ste;
  for (st_.k = st_.k0; st_.k <= last; st_.k += step) {
    if (!DrawFrame()) return LoopEnd::kEnded;
    FinishFrame();
  }
  return LoopEnd::kPastLast;
}

bool Driver::DrawFrame() {
  r_.m = 0;
  r_.n = 1;
  if (!Pass1()) return false;
  DrawPistonCurve();
  r_.n = 1;  // m carries on from pass 1
  if (!Pass2()) return false;
  r_.m = 0;
  r_.n = 1;
  if (!Pass3()) return false;
  return Wait();
}

void Driver::FinishFrame() {
  st_.kk = 0;
  if (st_.ccllss == 0) win_.Cls();
  DrawPistonCurve();
}

bool Driver::PointEvents() {
  win_.DoEvents();
  return !st_.ended;
}

bool Driver::Wait() {
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
  while (r_.n < 201) {
    r_.x1 = r_.x0;
    r_.y1 = r_.y0;
    r_.x0 = t.xb[r_.n];
    r_.y0 = t.yb[r_.n];
    win_.DrawWidth(3);
    if (r_.m > 0 && r_.x0 > r_.x1) {
      win_.Line(static_cast<float>(st_.ww - r_.x1), static_cast<float>(r_.y1),
                static_cast<float>(st_.ww - r_.x0), static_cast<float>(r_.y0), colour::kGreen);
    }
    win_.DrawWidth(1);
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
  while (r_.n < 201) {
    r_.x3 = r_.x2;
    r_.x2 = r_.x1;
    r_.x1 = r_.x0;
    r_.y2 = r_.y1;
    r_.y1 = r_.y0;
    r_.x0 = t.xa[r_.n];
    r_.y0 = t.ya[r_.n];
    win_.DrawWidth(4);
    if (r_.m > 0 && r_.x0 < r_.x1) {
      win_.Line(static_cast<float>(ww + r_.x1), static_cast<float>(r_.y1),
                static_cast<float>(ww + r_.x0), static_cast<float>(r_.y0), colour::kRed);
      if (st_.acc == 1) {
        win_.DrawWidth(2);
        r_.s2 = r_.s1;
        r_.s1 = r_.s0;
        r_.s0 = (r_.y0 - r_.y1) / (r_.x0 - r_.x1);
        // The start of the velocity segment comes from the point history, not from s1: the
        // slope history may hold a slope of the linkage trace instead.
        win_.Line(static_cast<float>(ww + r_.x1),
                  static_cast<float>(11 * (r_.y1 - r_.y2) / (r_.x1 - r_.x2)),
                  static_cast<float>(ww + r_.x0), static_cast<float>(11 * r_.s0), colour::kOrange);
        win_.Line(static_cast<float>(ww + r_.x1),
                  static_cast<float>(600 * (r_.s1 - r_.s2) / (r_.x1 - r_.x3)),
                  static_cast<float>(ww + r_.x0),
                  static_cast<float>(600 * (r_.s0 - r_.s1) / (r_.x0 - r_.x2)), colour::kMagenta);
      }
    }
    win_.DrawWidth(1);
    r_.m = r_.m + 1;
    if (!PointEvents()) return false;
    r_.n = r_.n + 1;
  }
  return true;
}

// Pass 3, the linkage trace, joins the driver together with the linkage solver.
bool Driver::Pass3() {
  return true;
}

void Driver::DrawPistonCurve() {
  ForEachPistonSegment(st_.pi, [this](const PistonSegment& s) {
    win_.DrawWidth(piston::kPenWidth);
    win_.Line(static_cast<float>(s.x1), static_cast<float>(s.y1), static_cast<float>(s.x2),
              static_cast<float>(s.y2), piston::kColour);
  });
}

}  // namespace tarsel
