#include "app/panel.h"

#include <QApplication>
#include <QFont>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "app/configuration_section.h"
#include "app/image_view.h"
#include "app/words.h"
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
    // A name longer in another language stands out of its box rather than losing letters.
    p.drawText(box, Qt::AlignCenter | Qt::TextDontClip, Translated(l.text));
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
  // TRANSLATORS: a heading of the window's panel (shown in capitals): the mechanism view and
  // the readout at the probe's line.
  QWidget* probe = AddSection(top, Q(Tr("At the probe")));
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
  // TRANSLATORS: ← →, Shift, Home and End are the keys' names as on the keyboard.
  const char* point = Tr("Point at the picture, or use ← → (with Shift ten points), Home and End.");
  auto* hint = Wrapping(Q(point), body_);
  layout->addWidget(hint);
  readout_ = new QWidget(body_);
  QGridLayout* rows = LabelledRows(readout_);
  rows->setContentsMargins(0, 4, 0, 0);
  // The rows are there from the start, so that the first frame only fills them in: rows added
  // to a panel on the screen are laid out before they are shown, too short for their text.
  for (const ReadoutLine& line : ReadoutLines(ProbeReadout{})) {
    QLabel*& value = values_[line.key];
    value = new QLabel(readout_);
    // The name is the core's, in the language in use.
    AddLabelledRow(rows, new QLabel(Translated(line.label), readout_), value);
  }
  layout->addWidget(readout_);
  // TRANSLATORS: a heading of the window's panel (shown in capitals).
  QWidget* valve = AddSection(body_, Q(Tr("Valve timing")));
  timing_ = new TimingSection(valve, std::move(timing));
  valve->layout()->addWidget(timing_);
  // TRANSLATORS: a heading of the window's panel (shown in capitals): the fields and sliders
  // of the mechanism's lengths.
  QWidget* change = AddSection(body_, Q(Tr("Change the mechanism")));
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
  auto* heading = Wrapping(title.toUpper(), section);
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
  // TRANSLATORS: a heading of the window's panel (shown in capitals): the legend of the
  // curves' colours.
  QWidget* section = AddSection(body_, Q(Tr("Colours")));
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
    // The colour's name and what the curve shows, each the core's text in the language in use.
    auto* name = new QLabel(Translated(curve.name), row);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    name->setAlignment(Qt::AlignTop);
    layout->addWidget(name);
    auto* text = Wrapping(Translated(curve.shows), row);
    name->setBuddy(text);
    layout->addWidget(text, 1);
    section->layout()->addWidget(row);
    legend_rows_.emplace_back(curve.shown, row);
  }
}

void Panel::Show(const ProbeView& view) {
  for (const ReadoutLine& line : view.lines()) {
    QLabel* value = values_[line.key];
    if (!value) continue;
    const QString text = Local(line.value);
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

namespace {

// The keys of F1: a key's name as it is on the keyboard (the caption names the same keys), and
// what it does in the language in use.
struct KeyRow {
  const char* keys;  // never translated
  const char* does;  // TrMark'ed
};
constexpr KeyRow kKeyRows[] = {
    // TRANSLATORS: the F1 help: what every character that the other rows do not name does.
    {nullptr, TrMark("next frame")},
    {",", TrMark("one frame back")},
    // TRANSLATORS: the F1 help: Enter forward, Tab back.
    {"Enter / Tab", TrMark("a tenth of a step forward / back")},
    {"Space", TrMark("the first frame again")},
    {"BackSpace", TrMark("velocity and acceleration on or off")},
    {"/", TrMark("clear between frames, or let them pile up")},
    // TRANSLATORS: the F1 help: what Esc and a double-click do.
    {nullptr, TrMark("quit")},
    // TRANSLATORS: the F1 help: what the panel (F2) holds.
    {"F2", TrMark("the panel: mechanism, readout, timing, changes, colours")},
    {"F3", TrMark("the names over the picture (panel open) on or off")},
    {"← →, Shift", TrMark("the probe one point, ten points")},
    {"Home / End", TrMark("the probe to the ends of the blue trace")},
    {"F1", TrMark("these keys")},
};

}  // namespace

QString KeysText() {
  // TRANSLATORS: the heading of the F1 help, a table of the keys.
  const QString heading = Q(Tr("Keys"));
  // TRANSLATORS: after the heading of the F1 help; keep F1, the key's name.
  const QString close = Q(Tr("(F1 to close)"));
  QString text = QString("<b>%1</b> %2<table cellspacing=4>")
                     .arg(heading.toHtmlEscaped(), close.toHtmlEscaped());
  for (std::size_t i = 0; i < std::size(kKeyRows); ++i) {
    const KeyRow& row = kKeyRows[i];
    QString keys;
    if (row.keys) {
      keys = Q(row.keys);
    } else if (i == 0) {
      // TRANSLATORS: the F1 help: the key column's entry for every character not named below.
      keys = Q(Tr("any other character"));
    } else {
      // TRANSLATORS: the F1 help: %s is the key's name (Esc), kept; then the mouse's way to quit.
      keys = Q(Fill(Tr("%s, double-click"), {"Esc"}));
    }
    text += QString("<tr><td>%1</td><td>%2</td></tr>")
                .arg(keys.toHtmlEscaped(), Q(Tr(row.does)).toHtmlEscaped());
  }
  return text + "</table>";
}

}  // namespace tarsel
