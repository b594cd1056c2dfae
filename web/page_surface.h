#pragma once

#include "animation/driver.h"
#include "animation/shared_state.h"
#include "animation/surface.h"
#include "render/canvas.h"
#include "web/page.h"

namespace tarsel {

// The window of the browser edition: the animation draws into a Canvas, and the page's canvas
// element shows it. Input queued by the page is handed to the key and double-click handlers
// inside the driver's event-processing calls, as the desktop window does.
class PageSurface : public Surface {
 public:
  // The client area as the page shows it now (its size, scale and palette).
  explicit PageSurface(const page::View& view);

  // Runs the animation until it ends. The page then keeps the last picture.
  void Run();
  bool ended() const { return ended_; }
  // Shows the picture as the page now wants it: larger, at another scale, in another palette.
  // The animation calls it for the page's resize events; after the end the page calls it
  // itself.
  void ApplyView();

  void Line(float x1, float y1, float x2, float y2, std::uint32_t colour) override;
  void Cls() override;
  void DrawWidth(int width) override;
  void DoEvents() override;
  void BeginWait() override;
  void WaitEvents(bool block) override;

 private:
  // Runs the handlers of every queued event; true when there was one.
  bool HandleQueued();
  // The whole image onto a canvas element of its size.
  void ShowAnew();
  // The changed part of the image onto the canvas element, and the panel's readout.
  void Present();

  SharedState state_;
  Canvas canvas_;
  Driver driver_;
  double last_yield_ms_ = 0;
  long points_ = 0;  // event-processing calls at table points so far
  bool ended_ = false;
};

}  // namespace tarsel
