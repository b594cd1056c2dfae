#include "app/span_slider.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace tarsel {

namespace {
// The strip under the groove: its height and the gap above it, in logical pixels.
constexpr int kStrip = 4, kGap = 1;
}  // namespace

SpanSlider::SpanSlider(const ConfigurationField& field, QWidget* parent)
    : QSlider(Qt::Horizontal, parent), field_(field) {
  setRange(0, static_cast<int>(std::lround((field.high - field.low) / field.step)));
  setSingleStep(1);
  setPageStep(std::max(1, maximum() / 10));
}

void SpanSlider::ShowValue(double v) {
  const double position = std::round((v - field_.low) / field_.step);
  setValue(static_cast<int>(std::clamp(position, 0.0, static_cast<double>(maximum()))));
}

double SpanSlider::ValueAt(int position) const {
  return field_.low + position * field_.step;
}

void SpanSlider::ShowGood(const std::vector<Range>& good) {
  // The complement of the good spans within the slider's own.
  std::vector<Range> bad;
  double from = field_.low;
  for (const Range& r : good) {
    if (r.least > from) bad.push_back({from, r.least});
    from = std::max(from, r.most);
  }
  if (from < field_.high) bad.push_back({from, field_.high});
  if (bad.size() == bad_.size() &&
      std::equal(bad.begin(), bad.end(), bad_.begin(), [](const Range& a, const Range& b) {
        return a.least == b.least && a.most == b.most;
      })) {
    return;
  }
  bad_ = std::move(bad);
  update();
}

QSize SpanSlider::sizeHint() const {
  return QSlider::sizeHint() + QSize(0, kGap + kStrip);
}

QSize SpanSlider::minimumSizeHint() const {
  return QSlider::minimumSizeHint() + QSize(0, kGap + kStrip);
}

double SpanSlider::ColumnOf(double v) const {
  QStyleOptionSlider option;
  initStyleOption(&option);
  const QRect groove =
      style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
  const QRect handle =
      style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
  // The handle's centre travels the groove less half a handle at either end.
  const double travel = groove.width() - handle.width();
  const double t = std::clamp((v - field_.low) / (field_.high - field_.low), 0.0, 1.0);
  return groove.left() + handle.width() / 2.0 + t * travel;
}

void SpanSlider::paintEvent(QPaintEvent* e) {
  QSlider::paintEvent(e);
  if (bad_.empty()) return;
  QPainter p(this);
  for (const Range& r : bad_) {
    const double left = ColumnOf(r.least), right = ColumnOf(r.most);
    p.fillRect(QRectF(left, height() - kStrip, std::max(1.0, right - left), kStrip),
               WarningColour());
  }
}

void SpanSlider::wheelEvent(QWheelEvent* e) {
  if (hasFocus()) {
    QSlider::wheelEvent(e);
    return;
  }
  e->ignore();
}

}  // namespace tarsel
