#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "animation/driver.h"
#include "animation/probe.h"
#include "animation/shared_state.h"
#include "animation/surface.h"
#include "animation/timing.h"
#include "input/event.h"
#include "input/probe_keys.h"
#include "render/canvas.h"
#include "render/probe_view.h"

class QKeyEvent;
class QLabel;

namespace tarsel {

class Panel;
class PlotOverlay;

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

  // The side panel (F2): off at start, so that the window opens as the client area alone. Open,
  // the window is wider by the panel; the client area keeps its size and its pixels.
  void SetPanelOpen(bool open);
  bool panel_open() const { return panel_open_; }
  const Panel* panel() const { return panel_; }
  // The probe's position (user units); its marker is drawn over the client area while the panel
  // is open.
  double probe_x() const { return probe_x_; }
  void MoveProbeTo(double x);
  // Draws configuration c from the next frame on: the same frame again, drawn with it.
  void Configure(const Configuration& c);
  // The profile in the file at `path` from the next frame on, as Configure takes a
  // configuration; a file that is no profile is refused in one line in the panel, and the
  // profile drawn stays. UseBuiltInProfile returns to the built-in one.
  void OpenProfile(const QString& path);
  void UseBuiltInProfile();
  // The checking lift the panel's valve timing is read at (above 0).
  void SetThreshold(double threshold);
  double threshold() const { return threshold_; }
  // The valve timing the panel shows, of the frame on the screen.
  const FrameTiming& timing() const { return timing_; }
  // The lift curves of the frame on the screen.
  const FrameCurves& curves() const { return driver_.curves(); }
  const Image& timing_plot() const { return timing_plot_; }
  // The names over the picture and the checking lift's marker, shown while the panel is open
  // unless switched off (F3, or the panel's switch).
  void SetOverlayOn(bool on);
  bool overlay_shown() const;
  const PlotOverlay* overlay() const { return overlay_; }

 protected:
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
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
  // The keys without a character that the window uses itself: F1, F2 and the probe's. True
  // when the key was one of them.
  bool WindowKey(const QKeyEvent& e);
  // The readout and the mechanism view at the probe, when the panel is open and the animation
  // has started.
  void UpdateProbe();
  // The valve timing of the frame on the screen and the sweep's, when the panel is open.
  void UpdateTiming();
  // The names over the picture, for the frame on the screen and the client area's size.
  void UpdateOverlay();
  void Profile(std::shared_ptr<const ProfileTables> profile);
  // The logical width of the client area: the window without the panel.
  int ClientWidth() const;
  // The column of the probe's marker, in logical pixels.
  int MarkerColumn() const;

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
  bool panel_open_ = false;
  Panel* panel_ = nullptr;
  QLabel* keys_ = nullptr;  // F1's overlay
  PlotOverlay* overlay_ = nullptr;
  bool overlay_on_ = true;
  double probe_x_ = probe::kStartX;
  ProbeView probe_;
  double threshold_ = kDefaultThreshold;
  FrameTiming timing_;
  // The sweep's timing depends on the configuration, the profile and the checking lift only:
  // worked out again when one of them changes.
  struct SweepKey {
    Configuration config;
    std::shared_ptr<const ProfileTables> profile;
    double threshold = 0;
    friend bool operator==(const SweepKey&, const SweepKey&) = default;
  };
  std::optional<SweepKey> sweep_key_;
  std::vector<SweepFrame> sweep_;
  Image timing_plot_;
};

}  // namespace tarsel
