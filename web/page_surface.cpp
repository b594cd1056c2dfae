#include "web/page_surface.h"

#include <emscripten.h>

#include "export/data_csv.h"
#include "input/event.h"
#include "input/handlers.h"
#include "web/exports.h"
#include "web/page.h"

namespace tarsel {

namespace {
// Handing the canvas to the browser at each of a frame's 600 event-processing calls would
// cost far more than drawing the frame: a display shows at most one picture per refresh.
constexpr double kRefreshMs = 1000.0 / 60;
}  // namespace

PageSurface::PageSurface(const page::View& view, const Configuration& config,
                         std::shared_ptr<const ProfileTables> profile,
                         std::vector<ScriptEvent> opening)
    : canvas_(view.logical, view.scale),
      driver_(state_, *this),
      staged_(config),
      staged_profile_(profile) {
  state_.config = config;
  state_.profile = std::move(profile);
  // A new configuration draws the frame that a link reaches with it.
  driver_.SetWayToFrames(FrameBeforeReaching);
  if (!opening.empty()) opening_.emplace(std::move(opening), state_, *this);
  canvas_.SetPalette(view.palette);
  probe_palette_ = view.palette;
  presenting_ = view.presenting;
  // A turned tablet or a new zoom changes the scale, and the colour switch the palette, in the
  // middle of a picture: the canvas keeps what it drew to draw it again.
  canvas_.KeepDrawing(true);
  ShowAnew();
  last_yield_ms_ = emscripten_get_now();
}

void PageSurface::Run() {
  const LoopEnd end = driver_.Form_Activate();
  state_.ended = true;
  ended_ = true;
  Present();
  page::Ended(end == LoopEnd::kPastLast);
}

void PageSurface::Line(float x1, float y1, float x2, float y2, std::uint32_t colour) {
  canvas_.Line(x1, y1, x2, y2, colour);
  lines_.Line(x1, y1, x2, y2, colour);
}

void PageSurface::Cls() {
  const Image& image = canvas_.image();
  const int width = image.width, height = image.height;
  canvas_.Cls();
  lines_.Cls();
  // A new scale that waited for this clear changes the image's size.
  if (canvas_.image().width != width || canvas_.image().height != height) ShowAnew();
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
  // The frame is complete on the canvas first; the panel's readout follows it, and then the
  // page learns that the frame is done (and announces the readout).
  page::Show(canvas_.image(), canvas_.TakeDirty());
  page::Readout(state_);
  ShowProbe();
  page::Waiting();
}

void PageSurface::MoveProbeTo(double x) {
  probe_x_ = x;
  ShowProbe();
}

void PageSurface::PressProbeKey(ProbeKey key, bool shift) {
  if (!Started()) return;
  MoveProbeTo(MoveProbe(state_, probe_x_, key, shift));
}

std::string PageSurface::Csv(bool piston, CsvStyle style) const {
  if (!Started()) return "";
  return piston ? PistonCsv(state_, style) : LinkageCsv(state_, style);
}

void PageSurface::ShowProbe() {
  if (!Started()) return;
  probe_ratio_ = page::DeviceRatio();
  probe_.Update(state_, probe_x_, probe_ratio_, probe_palette_);
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
    if (Dispatch(state_, *this, *event)) continue;
    // The page's own events: another configuration or profile, or a resize.
    if (event->kind == InputEvent::Kind::kConfigure) {
      Form_Configure(state_, staged_);
      Form_Profile(state_, staged_profile_);
    } else {
      ApplyView();
    }
  }
  return any;
}

void PageSurface::ApplyView() {
  const page::View view = page::CurrentView();
  if (view.presenting != presenting_ && lines_.complete()) {
    RedrawAt(view);
  } else {
    Restyle(view);
  }
  presenting_ = view.presenting;
  // The mechanism view beside it takes the palette too, and the presentation's size.
  const double ratio = page::DeviceRatio();
  if (view.palette != probe_palette_ || ratio != probe_ratio_) {
    probe_palette_ = view.palette;
    ShowProbe();
  }
}

void PageSurface::Restyle(const page::View& view) {
  const Image& before = canvas_.image();
  const int width = before.width, height = before.height;
  bool anew = false;
  if (view.scale != canvas_.devicePixelRatio() || view.palette != canvas_.palette()) {
    anew = canvas_.Restyle(view.scale, view.palette);
  }
  canvas_.EnsureSize(view.logical);
  anew = anew || canvas_.image().width != width || canvas_.image().height != height;
  // Resizing the element clears it: put back everything, an added area white.
  if (anew) ShowAnew();
}

void PageSurface::RedrawAt(const page::View& view) {
  Canvas canvas(view.logical, view.scale);
  canvas.SetPalette(view.palette);
  canvas.KeepDrawing(true);
  for (const LineRecord::Segment& line : lines_.lines()) {
    canvas.DrawWidth(line.width);
    canvas.Line(line.x1, line.y1, line.x2, line.y2, line.colour);
  }
  canvas.DrawWidth(canvas_.drawWidth());
  canvas_ = std::move(canvas);
  ShowAnew();
}

void PageSurface::ShowAnew() {
  page::MatchCanvas(canvas_);
  page::Show(canvas_.image(), canvas_.image().rect());
  canvas_.TakeDirty();
}

void PageSurface::Present() {
  page::Show(canvas_.image(), canvas_.TakeDirty());
  page::Readout(state_);
}

}  // namespace tarsel
