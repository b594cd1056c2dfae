#pragma once

#include <cstddef>
#include <optional>

#include "animation/shared_state.h"
#include "input/event.h"
#include "render/canvas.h"
#include "render/probe_view.h"

// What the C++ side asks of the page (web/run.js, the object tarselPage): its queued input,
// its canvas element and its panel. The page only queues input events; the animation takes
// them inside its own event-processing calls, so the handlers run between two drawing steps
// as they do on the desktop.
namespace tarsel::page {

// How an input event crosses into the page and back: the page queues numbers. A key press is
// its character code (0 to 65535); the other events are negative. The page's JavaScript reads
// these from the module (tarsel_constants), never from a copy of its own.
namespace wire {
inline constexpr int kNone = -2;  // nothing is queued
inline constexpr int kDoubleClick = -1;
// How the client area is shown changed: its size, its scale or its palette (see CurrentView).
inline constexpr int kResize = -3;
// The page asked for another configuration of the mechanism (tarsel_configure staged it).
inline constexpr int kConfigure = -4;
}  // namespace wire

// The event a queued number stands for; nullopt for wire::kNone (or a number that is no event).
std::optional<InputEvent> FromWire(int number);

// The oldest queued event, or nullopt when nothing is queued.
std::optional<InputEvent> NextEvent();
// Suspends the animation (its C++ stack, through Asyncify) until an event is queued. The page
// is idle meanwhile: no timer, no polling.
void WaitForEvent();
// Gives the browser control, so that it can paint and dispatch input, and resumes as soon as
// it has.
void Yield();

// How the page wants the client area shown now: its size in logical pixels, the device pixels
// per logical pixel (the browser's devicePixelRatio, times the fit of a small screen or of a
// presentation) and the palette of its colour switch. Presenting, the size is the design size
// and the picture is drawn anew at it, whatever size the client area had grown to.
struct View {
  Size logical;
  double scale = 1;
  Palette palette = Palette::kExact;
  bool presenting = false;
};
View CurrentView();
// The device pixels per logical pixel of the panel's mechanism view: the browser's
// devicePixelRatio, never fitted smaller; larger while the page presents.
double DeviceRatio();
// Gives the canvas element the image's size: its device pixels as the backing store, shown one
// to one on the screen's pixels. This clears the element; Show the whole image afterwards.
void MatchCanvas(const Canvas& canvas);
// Copies the device pixels `area` of the image onto the canvas element.
void Show(const Image& image, Rect area);

// The panel's readout of the shared state.
void Readout(const SharedState& state);
// The probe's readout and the mechanism view, in the panel (web/probe.js), with the probe's
// marker over the canvas at x.
void ShowProbe(double x, const ProbeView& view);
// The frame is complete on the canvas and the animation waits for a key.
void Waiting();
// The animation is over; nothing more will be drawn. `past_last`: a step took k past the last
// frame of the sweep (rather than Escape, a double-click or the End button).
void Ended(bool past_last);

// Replay mode: `done` of the script's `total` frames are drawn (a long replay shows this while
// it runs, and gives the browser control meanwhile).
void ReplayProgress(long done, long total);
// Replay mode: the run is over. log is the draw log and csv the data export (both null when
// none was asked for). A log that would have grown past what a page can hold stops the replay
// after `cut_after` frames (0: the whole script was played).
void ReplayDone(const char* log, std::size_t size, const char* csv, const char* piston_csv,
                long cut_after);
// Replay mode: the script or the size is unusable; nothing is drawn.
void ReplayFailed(const char* message);

}  // namespace tarsel::page
