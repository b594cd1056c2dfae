#pragma once

#include <QLabel>
#include <QScrollArea>
#include <QWidget>
#include <map>
#include <string>
#include <vector>

#include "animation/shared_state.h"
#include "render/palette.h"
#include "render/probe_view.h"

namespace tarsel {

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

// The window's side panel, beside the client area: the readout at the probe with the mechanism
// view, and the legend of the curves.
class Panel : public QScrollArea {
 public:
  // Logical pixels across, the scroll bar included.
  static constexpr int kWidth = 340;

  explicit Panel(QWidget* parent);

  // The readout and the mechanism view, after every frame and every move of the probe.
  void Show(const ProbeView& view);
  // The legend's curves that the current mode draws stand out; the others are greyed.
  void ShowModes(const SharedState& state);

  // The readout's value of line `key` as shown (for the tests).
  QString Value(const std::string& key) const;

 private:
  QWidget* AddSection(const QString& title);
  void AddLegend();

  QWidget* body_;
  MechanismWidget* mechanism_;
  QWidget* readout_;
  std::map<std::string, QLabel*> values_;
  std::vector<std::pair<Shown, QWidget*>> legend_rows_;  // when the curve is drawn, its row
  int shown_acc_ = -1;
};

// The keys, for F1: an overlay over the client area, as a table of key and action.
QString KeysText();

}  // namespace tarsel
