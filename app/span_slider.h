#pragma once

#include <QColor>
#include <QSlider>
#include <vector>

#include "geometry/configuration.h"
#include "geometry/linkage_analysis.h"

namespace tarsel {

// A horizontal slider over one number of the configuration, in the field's steps from its low
// to its high end, with a strip under the groove that marks in a warning colour the values
// at which the mechanism stops working all round (where the crank stops turning, or the rod
// would be too short).
class SpanSlider : public QSlider {
 public:
  // The strip's colour, for the legend too.
  static QColor WarningColour() { return QColor(0xc9, 0x2a, 0x1b); }

  SpanSlider(const ConfigurationField& field, QWidget* parent);

  // The slider's position nearest v; a value beyond either end pins it there.
  void ShowValue(double v);
  // The value at a position of the slider.
  double ValueAt(int position) const;
  // The spans of good values (SliderSpans): the rest of the slider is marked.
  void ShowGood(const std::vector<Range>& good);
  const std::vector<Range>& bad() const { return bad_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* e) override;
  // The wheel over the panel scrolls it; only a slider that has the focus takes the wheel.
  void wheelEvent(QWheelEvent* e) override;

 private:
  // The column of the handle's centre at value v.
  double ColumnOf(double v) const;

  const ConfigurationField& field_;
  std::vector<Range> bad_;
};

}  // namespace tarsel
