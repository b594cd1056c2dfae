#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "animation/driver.h"
#include "animation/shared_state.h"
#include "animation/surface.h"
#include "input/event.h"
#include "render/canvas.h"

class QKeyEvent;

namespace tarsel {

// The one window. It keeps everything drawn in a backing image, runs the animation from its
// first activation and hands key presses and double-clicks to the handlers while the
// animation processes events.
class Form1 : public QWidget, public Surface {
 public:
  Form1();
  ~Form1() override;

  // Surface
  void Line(float x1, float y1, float x2, float y2, std::uint32_t colour) override;
  void Cls() override;
  void DrawWidth(int width) override;
  void DoEvents() override;
  void BeginWait() override;
  void WaitEvents(bool block) override;

  const SharedState& state() const { return state_; }
  long waits_begun() const { return waits_begun_; }
  const Canvas& canvas() const { return canvas_; }

 protected:
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  bool focusNextPrevChild(bool next) override;

 private:
  void RunAnimation();
  // Hands an event to its handler, or keeps it for the animation's first event-processing
  // call when the animation has not started yet.
  void Deliver(const InputEvent& event);
  void DeliverEarlyInput();
  // Puts the changed part of the backing image on the screen now.
  void Present();
  // Presents when a display refresh has passed since the last time.
  void PresentIfDue();

  SharedState state_;
  Canvas canvas_;
  Driver driver_;
  bool started_ = false;  // first activation seen
  bool running_ = false;  // inside the animation loop
  // Input that arrived before the animation made its first event-processing call, handled in
  // order at that first call.
  std::vector<InputEvent> early_input_;
  QElapsedTimer since_present_;
  long waits_begun_ = 0;
};

}  // namespace tarsel
