#pragma once

#include <QLabel>
#include <QScrollArea>
#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "animation/shared_state.h"
#include "app/timing_section.h"
#include "geometry/configuration.h"
#include "render/palette.h"
#include "render/probe_view.h"

namespace tarsel {

using TimingActions = TimingSection::Actions;

// The mechanism view on the screen: the view's pixels as they are, and the names of its parts
// written over them (the picture itself holds no text).
class MechanismWidget : public QWidget {
 public:
  explicit MechanismWidget(QWidget* parent);
  void Show(const ProbeView* view);

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  const ProbeView* view_ = nullptr;
};

class ConfigurationSection;

// The window's side panel, beside the client area: the mechanism view at the top, always in
// sight, and under it, scrolling, the readout at the probe, the valve timing of the frame with
// the profile in use and the timing over the sweep, the fields that change the mechanism with
// what it is, and the legend of the curves. Keys typed into its fields stay
// there: none reaches the animation.
class Panel : public QWidget {
 public:
  // Logical pixels across, the scroll bar included.
  static constexpr int kWidth = 340;

  // `configure` is handed each good change of the mechanism; `timing` what the valve timing's
  // part asks for.
  Panel(QWidget* parent, std::function<void(const Configuration&)> configure, TimingActions timing);

  // The readout and the mechanism view, after every frame and every move of the probe.
  void Show(const ProbeView& view);
  // The legend's curves that the current mode draws stand out; the others are greyed.
  void ShowModes(const SharedState& state);

  // The readout's value of line `key` as shown (for the tests).
  QString Value(const std::string& key) const;

  TimingSection* timing() const { return timing_; }

 protected:
  // Keys that the panel's fields and buttons leave: Escape gives the focus back to the picture,
  // F1, F2 and F3 go on to the window, the rest stop here.
  void keyPressEvent(QKeyEvent* e) override;
  // Tab and Shift+Tab go round the panel's own fields and buttons.
  bool focusNextPrevChild(bool next) override;

 private:
  QWidget* AddSection(QWidget* parent, const QString& title);
  void AddLegend();

  QScrollArea* scroll_;
  QWidget* body_;
  ConfigurationSection* configuration_;
  TimingSection* timing_;
  MechanismWidget* mechanism_;
  QWidget* readout_;
  std::map<std::string, QLabel*> values_;
  std::vector<std::pair<Shown, QWidget*>> legend_rows_;  // when the curve is drawn, its row
  int shown_acc_ = -1;
};

// The keys, for F1: an overlay over the client area, as a table of key and action.
QString KeysText();

}  // namespace tarsel
