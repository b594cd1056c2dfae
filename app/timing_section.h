#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <string>

#include "animation/timing.h"
#include "render/image.h"

namespace tarsel {

// The panel's part "Valve timing": the checking lift, the events of the frame on the screen
// (red, green, blue and the blue's shifts from the red, in the words of render/timing_view.h),
// the profile in use with "Open…" and "Built-in", and the timing over the sweep as the core
// draws it (render/timing_plot.h), the same pixels as tarsel-render --timing-png.
class TimingSection : public QWidget {
 public:
  struct Actions {
    std::function<void(double)> threshold;     // a good checking lift typed
    std::function<void(const QString&)> open;  // a profile file chosen
    std::function<void()> built_in;            // the built-in profile asked for
    std::function<void(bool)> overlay;         // the names over the picture on or off
  };
  TimingSection(QWidget* parent, Actions actions);

  // The events of the frame on the screen.
  void Show(const FrameTiming& t);
  // The timing plot, kept by the caller while it is shown.
  void ShowPlot(const Image* plot);
  // The profile in use: its name (empty for the built-in one).
  void ShowProfile(const QString& name);
  // A profile that was refused, in one line, until the next profile is taken (empty: none).
  void ShowProfileRefusal(const QString& why);
  // The switch of the names over the picture, as F3 left it.
  void ShowOverlaySwitch(bool on);
  // The field back to the checking lift in use, its refusal cleared.
  void Revert();

  // The value of line `key` as shown (for the tests).
  QString Value(const std::string& key) const;

 private:
  void Typed();

  Actions actions_;
  double threshold_;
  QLineEdit* field_;
  QLabel* field_message_;
  QLabel* profile_;
  QLabel* profile_message_;
  QWidget* plot_;
  QCheckBox* overlay_;
  std::map<std::string, QLabel*> values_;
};

}  // namespace tarsel
