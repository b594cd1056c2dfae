#pragma once

#include <cstdint>
#include <functional>

#include "animation/frame_curves.h"
#include "animation/shared_state.h"
#include "animation/style.h"
#include "animation/surface.h"

namespace tarsel {

// The driver's loop values and history registers. They start at 0, live as long as the loop
// and are never reset by it: each pass starts from what the previous pass (or frame) left.
struct Registers {
  int n = 0;  // table index of the running pass
  int m = 0;  // points visited since the last reset; joining segments need m > 0
  // Point history shared by the three passes: current point, one back, two back, x three back.
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0, x2 = 0, y2 = 0, x3 = 0;
  // Slope history shared by pass 2 and the linkage trace pass: newest first.
  double s0 = 0, s1 = 0, s2 = 0;
  // Registers of the linkage trace pass.
  double f1 = 0, u0 = 0, u1 = 0, a0 = 0, a1 = 0;
  // Linkage solves in a row that closed, up to kLongRun: a segment of the trace joins two points
  // that both closed, a velocity segment needs three and an acceleration segment four. The
  // start counts as a long run, as does every frame of a linkage that always closes. A point
  // whose offset turned over (the rocker tip passing behind O) starts a run of its own.
  static constexpr int kLongRun = 4;
  int closed = kLongRun;
};

// Where a frame stands on the way the keys of a link (and tarsel-render --at) take to it: the
// first frame of that way, or after the frame drawn just before it (its k, exactly as the keys
// computed it, and whether velocity and acceleration were on), or off every such way.
struct FrameBefore {
  enum Kind { kOffTheWay, kFirst, kAfter } kind = kOffTheWay;
  double k = 0;
  int acc = 0;
};
using WayToFrames = std::function<FrameBefore(double k, int acc, int ccllss)>;

// How the loop over k came to an end.
enum class LoopEnd {
  kPastLast,  // a step took k above 20
  kEnded,     // a handler ended the program inside an event-processing call
};

// The animation: fills the tables, sets the shared state and steps k from 4.5 to 20, drawing a
// frame of three passes and the piston travel curve for each value and waiting for a key
// after it. Every step is public so that a test can run the frame piece by piece.
class Driver {
 public:
  Driver(SharedState& state, Surface& surface) : st_(state), win_(surface) {}

  // Runs the whole animation; returns when the loop is over or the program was ended.
  LoopEnd Form_Activate();

  // Startup: fills the tables, then pi, ste, ww and k0.
  void Startup();
  // Puts the profile in use into the tables: the state's own, or the built-in one.
  void FillTables();
  // One frame at the current k, from pass 1 up to and including the wait. Returns false when
  // the program was ended inside it.
  bool DrawFrame();
  // After the wait: a configuration or a profile asked for meanwhile takes effect (the
  // registers start afresh with it), kk := 0, the optional clear, the piston curve again.
  void FinishFrame();

  // Passes 1 and 2 as a frame begins (m := 0, n := 1), with the piston curve between them: the
  // green and the red profile, in drawing(). They come out alike in every frame, whatever k,
  // the mechanism and the frames before: pass 1's first point joins none before it, and pass
  // 2 starts from pass 1's last point. False when the program was ended inside them.
  bool DrawProfiles();
  // The drawing passes; each returns false when the program was ended inside it.
  bool Pass1();
  bool Pass2();
  bool Pass3();
  void DrawPistonCurve();
  // Solves the linkage for crank angle theta (radians) and stores the phase offset in ff, and
  // whether it closed there in `closes` (ff is 0 where it did not).
  void SolveLinkage(double theta);
  // Processes events until kk = 1 (at least once); false when the program was ended.
  bool Wait();

  // How a new configuration's frame is drawn so that it equals the same frame reached by keys
  // (a link to it, tarsel-render --at) with that configuration: the registers as the frame
  // before it on that way leaves them, or, for the way's first frame, as at the start and
  // without the piston curve that a clear is followed by. Without it, or with frames
  // accumulating, the registers start afresh.
  void SetWayToFrames(WayToFrames way) { way_ = std::move(way); }

  Registers& registers() { return r_; }
  const Registers& registers() const { return r_; }

  // The lift curves of the last frame that came to its wait (empty before the first): the
  // frame on the screen, for its valve events.
  const FrameCurves& curves() const { return shown_; }
  // Those of the frame being drawn, so far.
  const FrameCurves& drawing() const { return drawing_; }

 private:
  // Event processing at a table point; false once the program has been ended.
  bool PointEvents();
  // Hands a line to the window in single precision. A line with a coordinate that does not fit
  // (not finite, or beyond the range of a float) is not drawn: it has no place on any screen.
  void DrawLine(double x1, double y1, double x2, double y2, std::uint32_t colour);
  // The axis, the two marker lines and the tick marks, drawn after every trace point.
  void DrawAxes();
  // Velocity and acceleration of the trace at the current point of pass 3 (acc = 1).
  void TraceDerivatives();
  // The configuration asked for since the last frame, if any, with the registers of the way to
  // the next frame (SetWayToFrames).
  void TakeConfiguration();
  // The three passes and the piston curve of one frame; false when the program was ended.
  bool DrawPasses();
  // Draws the frame at k with switch acc unseen, from fresh registers, and keeps the registers
  // it leaves.
  void Rehearse(double k, int acc);

  SharedState& st_;
  Surface& win_;
  Registers r_;
  WayToFrames way_;
  bool first_of_way_ = false;  // the next frame is drawn as a run's first: no piston before it
  FrameCurves drawing_;        // the lift curves of the frame being drawn
  FrameCurves shown_;          // those of the last complete frame
};

}  // namespace tarsel
