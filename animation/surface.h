#pragma once

#include <cstdint>

namespace tarsel {

// The window as the animation sees it: three drawing operations in the user coordinate system
// (x to the right, y upward, top-left corner at (-50, 10)) and the event processing that lets
// the key and double-click handlers run between two drawing steps. The real window, the
// headless replay and the tests each implement it.
class Surface {
 public:
  virtual ~Surface() = default;

  // A solid straight line at the current pen width; colour is 00BBGGRR (red in the low byte).
  virtual void Line(float x1, float y1, float x2, float y2, std::uint32_t colour) = 0;
  // Fills the whole client area with white.
  virtual void Cls() = 0;
  // Pen width in pixels for the following lines.
  virtual void DrawWidth(int width) = 0;

  // Event processing at a table point of a drawing pass: runs the handlers of every pending
  // event to completion, then returns (at once when nothing is pending).
  virtual void DoEvents() = 0;

  // The loop is about to wait for a key: everything drawn so far must be on the screen.
  virtual void BeginWait() = 0;
  // One round of the wait. With block = false it processes what is pending, like DoEvents.
  // With block = true and nothing pending it sleeps until the next event arrives and
  // processes it, so a waiting program costs no CPU.
  virtual void WaitEvents(bool block) = 0;

  // False for a window nobody sees: the driver then leaves out what only the eye needs (the
  // piston curve, the axes and ticks), which changes none of its registers.
  virtual bool Seen() const { return true; }
};

// A window nobody sees: it draws nothing and has no events. For a frame drawn only for what it
// leaves in the registers, and for keys pressed only for what they do to k.
class UnseenSurface : public Surface {
 public:
  void Line(float, float, float, float, std::uint32_t) override {}
  void Cls() override {}
  void DrawWidth(int) override {}
  void DoEvents() override {}
  void BeginWait() override {}
  void WaitEvents(bool) override {}
  bool Seen() const override { return false; }
};

}  // namespace tarsel
