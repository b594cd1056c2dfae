#include "app/plot_overlay.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>

namespace tarsel {

namespace {

// The names' face is the one the program installs with (DejaVu Sans), not the desktop's
// default: their boxes then keep one height wherever the program runs (Noto's taller line
// pushed a tick's name past the room under the axis); glyphs it lacks (Chinese, Japanese,
// Arabic) come from the system's fallback fonts.
QFont LabelFont(const QFont& base) {
  QFont font = base;
  font.setFamilies({"DejaVu Sans"});
  font.setPixelSize(12);
  font.setBold(true);
  return font;
}

}  // namespace

PlotOverlay::PlotOverlay(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
}

void PlotOverlay::Show(std::vector<PlotLabel> labels, double threshold_row) {
  if (labels == labels_ && threshold_row == threshold_row_) return;
  labels_ = std::move(labels);
  threshold_row_ = threshold_row;
  update();
}

QRectF PlotOverlay::Box(const PlotLabel& l) const {
  const QFontMetricsF metrics(LabelFont(font()));
  const QString text = QString::fromStdString(l.text);
  const double width = metrics.horizontalAdvance(text) + 6, height = metrics.height() + 2;
  double left = l.x - width / 2;
  if (l.anchor == PlotLabel::Anchor::kStart) left = l.x;
  if (l.anchor == PlotLabel::Anchor::kEnd) left = l.x - width;
  return QRectF(left, l.y - height / 2, width, height);
}

void PlotOverlay::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  p.setClipRegion(e->region());
  if (threshold_row_ >= 0) {
    QPen pen(QColor(0x5b, 0x3f, 0x8c));
    pen.setStyle(Qt::DashDotLine);
    pen.setCosmetic(true);
    p.setPen(pen);
    p.drawLine(QPointF(0, threshold_row_), QPointF(width(), threshold_row_));
  }
  p.setFont(LabelFont(font()));
  for (const PlotLabel& l : labels_) {
    const QRectF box = Box(l);
    if (!e->region().boundingRect().intersects(box.toAlignedRect())) continue;
    p.fillRect(box, QColor(255, 255, 255, 200));
    p.setPen(QColor(0x16, 0x20, 0x2c));
    p.drawText(box, Qt::AlignCenter, QString::fromStdString(l.text));
  }
}

}  // namespace tarsel
