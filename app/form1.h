#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "animation/driver.h"
#include "animation/shared_state.h"
#include "animation/surface.h"
#include "render/canvas.h"

class QKeyEvent;

namespace tarsel {

// The character codes a key press produces, as the handler sees them: Enter 13, Tab 9,
// BackSpace 8, Escape 27, Ctrl+letter its control code (Ctrl+H 8). Empty for keys that produce
// no character (arrows, function keys, a modifier alone).
std::vector<int> CharacterCodes(const QKeyEvent& event);

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
  // Hands one character code to the key handler as a key press would (tests use it).
  void PressCharacter(int code);

  // Called with every character code the handler receives (tests use it).
  std::function<void(int)> on_key_for_test;

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
  // Input that arrived before the animation made its first event-processing call: key codes,
  // and kDoubleClick for a double-click. Handled in order at that first call.
  static constexpr int kDoubleClick = -1;
  std::vector<int> early_input_;
  QElapsedTimer since_present_;
  long waits_begun_ = 0;
};

}  // namespace tarsel
