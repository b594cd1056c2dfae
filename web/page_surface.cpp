#include "web/page_surface.h"

#include <emscripten.h>

#include "export/data_csv.h"
#include "input/event.h"
#include "web/exports.h"
#include "web/page.h"

namespace tarsel {

namespace {
// Handing the canvas to the browser at each of a frame's 600 event-processing calls would
// cost far more than drawing the frame: a display shows at most one picture per refresh.
constexpr double kRefreshMs = 1000.0 / 60;
}  // namespace

PageSurface::PageSurface(Size logical, double dpr, std::vector<ScriptEvent> opening)
    : canvas_(logical, dpr), driver_(state_, *this) {
  if (!opening.empty()) opening_.emplace(std::move(opening), state_, *this);
  page::MatchCanvas(canvas_);
  page::Show(canvas_.image(), canvas_.image().rect());
  canvas_.TakeDirty();
  last_yield_ms_ = emscripten_get_now();
}

void PageSurface::Run() {
  driver_.Form_Activate();
  state_.ended = true;
  Present();
  page::Ended();
}

void PageSurface::Line(float x1, float y1, float x2, float y2, std::uint32_t colour) {
  canvas_.Line(x1, y1, x2, y2, colour);
  lines_.Line(x1, y1, x2, y2, colour);
}

void PageSurface::Cls() {
  canvas_.Cls();
  lines_.Cls();
}

void PageSurface::DrawWidth(int width) {
  canvas_.DrawWidth(width);
  lines_.DrawWidth(width);
}

void PageSurface::DoEvents() {
  if (opening_) opening_->PointEvents();
  HandleQueued();
  if (state_.ended) return;
  // The page receives input only while the browser has control; what arrives meanwhile is
  // handled at once, still between the same two drawing steps. The clock is read at every
  // eighth point only: a point takes a few microseconds, the clock nearly one.
  if (++points_ % 8 == 0 && emscripten_get_now() - last_yield_ms_ >= kRefreshMs) {
    Present();
    page::Yield();
    last_yield_ms_ = emscripten_get_now();
    HandleQueued();
  }
}

void PageSurface::BeginWait() {
  // The frame is complete on the canvas first; the panel's readout follows it.
  page::Show(canvas_.image(), canvas_.TakeDirty());
  page::Waiting();
  page::Readout(state_);
  ShowProbe();
}

void PageSurface::MoveProbeTo(double x) {
  probe_x_ = x;
  ShowProbe();
}

void PageSurface::PressProbeKey(ProbeKey key, bool shift) {
  if (!Started()) return;
  MoveProbeTo(MoveProbe(state_, probe_x_, key, shift));
}

std::string PageSurface::Csv(bool piston) const {
  if (!Started()) return "";
  return piston ? PistonCsv(state_) : LinkageCsv(state_);
}

void PageSurface::ShowProbe() {
  if (!Started()) return;
  probe_.Update(state_, probe_x_, canvas_.devicePixelRatio());
  page::ShowProbe(probe_x_, probe_);
}

void PageSurface::WaitEvents(bool block) {
  if (opening_) {
    // One key of the link per test of the wait, as tarsel-render presses a script's.
    if (opening_->WaitRound()) return;
    opening_.reset();
    exports::LinkOpened();
  }
  if (HandleQueued() || !block || state_.ended) return;
  Present();
  page::WaitForEvent();
  last_yield_ms_ = emscripten_get_now();
  HandleQueued();
}

bool PageSurface::HandleQueued() {
  // The user's events wait until the link's keys are all pressed: the frame it names is the
  // one tarsel-render draws for them.
  if (opening_) return false;
  bool any = false;
  while (!state_.ended) {
    const std::optional<InputEvent> event = page::NextEvent();
    if (!event) break;
    any = true;
    if (!Dispatch(state_, *this, *event)) Grow();  // the one event of the page's own: a resize
  }
  return any;
}

void PageSurface::Grow() {
  const Image& before = canvas_.image();
  const int width = before.width, height = before.height;
  canvas_.EnsureSize(page::ClientSize());
  if (canvas_.image().width == width && canvas_.image().height == height) return;
  // Resizing the element clears it: put back everything, the added area white.
  page::MatchCanvas(canvas_);
  page::Show(canvas_.image(), canvas_.image().rect());
  canvas_.TakeDirty();
}

void PageSurface::Present() {
  page::Show(canvas_.image(), canvas_.TakeDirty());
  page::Readout(state_);
}

}  // namespace tarsel
