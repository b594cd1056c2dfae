#include "app/panel.h"

#include <QApplication>
#include <QFont>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "app/configuration_section.h"
#include "app/image_view.h"
#include "geometry/language.h"
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

Panel::Panel(QWidget* parent, std::function<void(const Configuration&)> configure,
             TimingActions timing)
    : QWidget(parent), scroll_(new QScrollArea(this)), body_(new QWidget) {
  setFixedWidth(kWidth);
  setFocusPolicy(Qt::NoFocus);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(0xf4, 0xf6, 0xf9));
  setPalette(pal);
  body_->setPalette(pal);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  // The mechanism view stays at the top whatever the rest scrolls to.
  auto* top = new QWidget(this);
  auto* top_layout = new QVBoxLayout(top);
  top_layout->setContentsMargins(14, 6, 14, 4);
  QWidget* probe = AddSection(top, "At the probe");
  mechanism_ = new MechanismWidget(probe);
  probe->layout()->addWidget(mechanism_);
  column->addWidget(top);

  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  scroll_->setFocusPolicy(Qt::NoFocus);
  scroll_->setWidgetResizable(true);
  scroll_->setPalette(pal);
  auto* layout = new QVBoxLayout(body_);
  layout->setContentsMargins(14, 0, 14, 14);
  auto* hint =
      new QLabel("Point at the picture, or use ← → (with Shift ten points), Home and End.", body_);
  hint->setWordWrap(true);
  layout->addWidget(hint);
  readout_ = new QWidget(body_);
  auto* form = new QFormLayout(readout_);
  form->setContentsMargins(0, 4, 0, 0);
  form->setRowWrapPolicy(QFormLayout::WrapLongRows);
  // The rows are there from the start, so that the first frame only fills them in: rows added
  // to a panel on the screen are laid out before they are shown, too short for their text.
  for (const ReadoutLine& line : ReadoutLines(ProbeReadout{})) {
    QLabel*& value = values_[line.key];
    value = new QLabel(readout_);
    value->setWordWrap(true);
    form->addRow(QString::fromUtf8(line.label), value);
  }
  layout->addWidget(readout_);
  QWidget* valve = AddSection(body_, "Valve timing");
  timing_ = new TimingSection(valve, std::move(timing));
  valve->layout()->addWidget(timing_);
  QWidget* change = AddSection(body_, "Change the mechanism");
  configuration_ = new ConfigurationSection(change, std::move(configure));
  change->layout()->addWidget(configuration_);
  AddLegend();
  layout->addStretch(1);
  scroll_->setWidget(body_);
  column->addWidget(scroll_, 1);
}

QWidget* Panel::AddSection(QWidget* parent, const QString& title) {
  auto* section = new QWidget(parent);
  auto* layout = new QVBoxLayout(section);
  layout->setContentsMargins(0, 8, 0, 0);
  auto* heading = new QLabel(title.toUpper(), section);
  QFont font = heading->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 0.85);
  heading->setFont(font);
  layout->addWidget(heading);
  parent->layout()->addWidget(section);
  return section;
}

void Panel::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_F1:
    case Qt::Key_F2:
    case Qt::Key_F3:
      e->ignore();
      return;
    case Qt::Key_Escape:
      configuration_->Revert();
      timing_->Revert();
      parentWidget()->setFocus(Qt::OtherFocusReason);
      break;
    default:
      break;
  }
  e->accept();
}

bool Panel::focusNextPrevChild(bool next) {
  QWidget* const from = focusWidget();
  if (!from || !isAncestorOf(from)) return false;
  // The focus chain runs through the whole window: take the next widget of it that is the
  // panel's and takes the focus by Tab.
  for (QWidget* w = from;;) {
    w = next ? w->nextInFocusChain() : w->previousInFocusChain();
    if (w == from) return true;
    if (isAncestorOf(w) && w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
      w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
      scroll_->ensureWidgetVisible(w);
      return true;
    }
  }
}

void Panel::AddLegend() {
  QWidget* section = AddSection(body_, "Colours");
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
    // The table's texts are marked literals (NUL-terminated), shown in the student's language.
    auto* text = new QLabel(QString("<b>%1</b> %2")
                                .arg(QString::fromUtf8(Tr(curve.name.data())),
                                     QString::fromUtf8(Tr(curve.shows.data()))),
                            row);
    text->setWordWrap(true);
    layout->addWidget(text, 1);
    section->layout()->addWidget(row);
    legend_rows_.emplace_back(curve.shown, row);
  }
}

void Panel::Show(const ProbeView& view) {
  for (const ReadoutLine& line : view.lines()) {
    QLabel* value = values_[line.key];
    if (!value) continue;
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
         "<tr><td>F2</td><td>the panel: mechanism, readout, timing, changes, colours</td></tr>"
         "<tr><td>F3</td><td>the names over the picture (panel open) on or off</td></tr>"
         "<tr><td>← →, Shift</td><td>the probe one point, ten points</td></tr>"
         "<tr><td>Home / End</td><td>the probe to the ends of the blue trace</td></tr>"
         "<tr><td>F1</td><td>these keys</td></tr></table>";
}

}  // namespace tarsel
