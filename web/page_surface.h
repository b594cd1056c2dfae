#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "animation/driver.h"
#include "animation/shared_state.h"
#include "animation/surface.h"
#include "export/data_csv.h"
#include "export/line_record.h"
#include "input/probe_keys.h"
#include "input/script.h"
#include "render/canvas.h"
#include "render/probe_view.h"
#include "web/page.h"

namespace tarsel {

// The window of the browser edition: the animation draws into a Canvas, and the page's canvas
// element shows it. Input queued by the page is handed to the key and double-click handlers
// inside the driver's event-processing calls, as the desktop window does.
class PageSurface : public Surface {
 public:
  // The client area as the page shows it now (its size, scale and palette), and the
  // configuration drawn. `opening`: the keys of a link to a frame, pressed as tarsel-render
  // presses a script's before the user's keys act (which wait in the page's queue meanwhile).
  PageSurface(const page::View& view, const Configuration& config,
              std::shared_ptr<const ProfileTables> profile = nullptr,
              std::vector<ScriptEvent> opening = {});

  // Runs the animation until it ends. The page then keeps the last picture.
  void Run();
  bool ended() const { return ended_; }
  // A link's keys are still being pressed: the frames drawn meanwhile are on its way.
  bool opening() const { return opening_.has_value(); }
  // Shows the picture as the page now wants it: larger, at another scale, in another palette.
  // The animation calls it for the page's resize events; after the end the page calls it
  // itself.
  void ApplyView();

  // The probe, moved by the page's pointer or keys while the animation is suspended (between
  // two drawing steps or in its wait): the readout and the mechanism view follow at once. It
  // only reads the shared state.
  void MoveProbeTo(double x);
  void PressProbeKey(ProbeKey key, bool shift);
  // The data export of the frame on the canvas (piston: the piston curve's points).
  std::string Csv(bool piston, CsvStyle style) const;
  // Another configuration, checked already: the page then queues wire::kConfigure, and the
  // animation takes the newest one staged when it reaches that event (Form_Configure).
  void StageConfiguration(const Configuration& config) { staged_ = config; }
  // The configuration the page stands for: the one staged last, else the one drawn.
  const Configuration& configuration() const { return staged_; }
  // Another lift profile (null: the built-in one), read already: taken at the same event as a
  // configuration (Form_Profile).
  void StageProfile(std::shared_ptr<const ProfileTables> profile) {
    staged_profile_ = std::move(profile);
  }
  // The lift curves of the last frame complete on the canvas, as drawn.
  const FrameCurves& curves() const { return driver_.curves(); }

  // What the exports read: the state, the canvas and the lines since the last clear.
  const SharedState& state() const { return state_; }
  const Canvas& canvas() const { return canvas_; }
  const LineRecord& lines() const { return lines_; }
  // The tables are filled and pi is set: the readout has something to read.
  bool Started() const { return state_.pi > 0; }

  void Line(float x1, float y1, float x2, float y2, std::uint32_t colour) override;
  void Cls() override;
  void DrawWidth(int width) override;
  void DoEvents() override;
  void BeginWait() override;
  void WaitEvents(bool block) override;

 private:
  // Runs the handlers of every queued event; true when there was one.
  bool HandleQueued();
  // The view at another scale or in another palette, the client area grown to its size.
  void Restyle(const page::View& view);
  // A canvas of exactly the view's size with every line since the last clear drawn on it
  // again: going into the presentation cuts a grown client area to the design size, and
  // coming out of it grows the area back with what lies beyond the design area drawn, not
  // white, so that the picture is the one tarsel-render draws at the new size.
  void RedrawAt(const page::View& view);
  // The whole image onto a canvas element of its size.
  void ShowAnew();
  // The changed part of the image onto the canvas element, and the panel's readout.
  void Present();
  // The probe's readout and view at its position, once the animation has started.
  void ShowProbe();

  SharedState state_;
  Canvas canvas_;
  Driver driver_;
  double probe_x_ = probe::kStartX;
  ProbeView probe_;
  Palette probe_palette_ = Palette::kExact;  // the mechanism view's palette
  double probe_ratio_ = 0;                   // and the ratio it was drawn at
  bool presenting_ = false;
  double last_yield_ms_ = 0;
  long points_ = 0;  // event-processing calls at table points so far
  LineRecord lines_;
  std::optional<ScriptedInput> opening_;  // a link's keys, until they are all pressed
  Configuration staged_;
  std::shared_ptr<const ProfileTables> staged_profile_;
  bool ended_ = false;
};

}  // namespace tarsel
