#include "app/panel.h"

#include <QFont>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "app/image_view.h"
#include "render/image.h"
#include "render/palette.h"

namespace tarsel {

MechanismWidget::MechanismWidget(QWidget* parent) : QWidget(parent) {
  setFixedSize(mechanism::kSize.width, mechanism::kSize.height);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void MechanismWidget::Show(const ProbeView* view) {
  view_ = view;
  update();
}

void MechanismWidget::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  p.setClipRegion(e->region());
  if (!view_ || view_->picture().width == 0) {
    p.fillRect(rect(), Qt::white);
    return;
  }
  p.drawImage(QPointF(0, 0), ImageView(view_->picture()));
  QFont font = p.font();
  font.setPixelSize(13);
  font.setBold(true);
  p.setFont(font);
  p.setPen(QColor(0x16, 0x20, 0x2c));
  for (const mechanism::Label& l : view_->labels()) {
    const QRectF box(l.x - 40, l.y - 10, 80, 20);
    p.drawText(box, Qt::AlignCenter, QString::fromUtf8(l.text.data(), l.text.size()));
  }
}

Panel::Panel(QWidget* parent) : QScrollArea(parent), body_(new QWidget) {
  setFixedWidth(kWidth);
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFocusPolicy(Qt::NoFocus);
  setWidgetResizable(true);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(0xf4, 0xf6, 0xf9));
  setPalette(pal);
  body_->setPalette(pal);
  auto* layout = new QVBoxLayout(body_);
  layout->setContentsMargins(14, 6, 14, 14);

  QWidget* probe = AddSection("At the probe");
  auto* hint =
      new QLabel("Point at the picture, or use ← → (with Shift ten points), Home and End.", probe);
  hint->setWordWrap(true);
  probe->layout()->addWidget(hint);
  mechanism_ = new MechanismWidget(probe);
  probe->layout()->addWidget(mechanism_);
  readout_ = new QWidget(probe);
  auto* form = new QFormLayout(readout_);
  form->setContentsMargins(0, 4, 0, 0);
  form->setRowWrapPolicy(QFormLayout::WrapLongRows);
  probe->layout()->addWidget(readout_);
  AddLegend();
  layout->addStretch(1);
  setWidget(body_);
}

QWidget* Panel::AddSection(const QString& title) {
  auto* section = new QWidget(body_);
  auto* layout = new QVBoxLayout(section);
  layout->setContentsMargins(0, 8, 0, 0);
  auto* heading = new QLabel(title.toUpper(), section);
  QFont font = heading->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 0.85);
  heading->setFont(font);
  layout->addWidget(heading);
  body_->layout()->addWidget(section);
  return section;
}

void Panel::AddLegend() {
  QWidget* section = AddSection("Colours");
  // The window draws in the exact colours: each curve's colour, width and what it shows, from
  // the one table the page's legend is made from too.
  for (const Curve& curve : kCurves) {
    auto* row = new QWidget(section);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 1, 0, 1);
    auto* swatch = new QLabel(row);
    QPixmap pixmap(22, 10);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const std::uint32_t c = curve.colour;  // 00BBGGRR
    p.fillRect(QRectF(0, 5 - curve.width / 2.0, 22, curve.width),
               QColor(c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF));
    p.end();
    swatch->setPixmap(pixmap);
    swatch->setAlignment(Qt::AlignTop);
    layout->addWidget(swatch);
    auto* text = new QLabel(
        QString("<b>%1</b> %2").arg(QString::fromUtf8(curve.name), QString::fromUtf8(curve.shows)),
        row);
    text->setWordWrap(true);
    layout->addWidget(text, 1);
    section->layout()->addWidget(row);
    legend_rows_.emplace_back(curve.shown, row);
  }
}

void Panel::Show(const ProbeView& view) {
  auto* form = static_cast<QFormLayout*>(readout_->layout());
  for (const ReadoutLine& line : view.lines()) {
    QLabel*& value = values_[line.key];
    if (!value) {
      value = new QLabel(readout_);
      value->setWordWrap(true);
      form->addRow(QString::fromUtf8(line.label), value);
    }
    const QString text = QString::fromStdString(line.value);
    if (value->text() != text) value->setText(text);
  }
  mechanism_->Show(&view);
}

void Panel::ShowModes(const SharedState& state) {
  if (state.acc == shown_acc_) return;
  shown_acc_ = state.acc;
  for (const auto& [when, row] : legend_rows_) {
    const bool drawn = when == Shown::kAlways || (when == Shown::kDerivatives) == (state.acc == 1);
    row->setEnabled(drawn);
  }
}

QString Panel::Value(const std::string& key) const {
  const auto it = values_.find(key);
  return it == values_.end() ? QString() : it->second->text();
}

QString KeysText() {
  return "<b>Keys</b> (F1 to close)<table cellspacing=4>"
         "<tr><td>any other character</td><td>next frame</td></tr>"
         "<tr><td>,</td><td>one frame back</td></tr>"
         "<tr><td>Enter / Tab</td><td>a tenth of a step forward / back</td></tr>"
         "<tr><td>Space</td><td>the first frame again</td></tr>"
         "<tr><td>BackSpace</td><td>velocity and acceleration on or off</td></tr>"
         "<tr><td>/</td><td>clear between frames, or let them pile up</td></tr>"
         "<tr><td>Esc, double-click</td><td>quit</td></tr>"
         "<tr><td>F2</td><td>the panel: readout, mechanism, colours</td></tr>"
         "<tr><td>← →, Shift</td><td>the probe one point, ten points</td></tr>"
         "<tr><td>Home / End</td><td>the probe to the ends of the blue trace</td></tr>"
         "<tr><td>F1</td><td>these keys</td></tr></table>";
}

}  // namespace tarsel
