#include "app/configuration_section.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <cmath>
#include <optional>
#include <string_view>

#include "app/span_slider.h"
#include "app/words.h"
#include "geometry/linkage_analysis.h"
#include "input/number.h"
#include "input/printable.h"
#include "render/analysis_view.h"

namespace tarsel {

namespace {

QLabel* Swatch(QWidget* parent) {
  QPixmap pixmap(22, 4);
  pixmap.fill(SpanSlider::WarningColour());
  auto* swatch = new QLabel(parent);
  swatch->setPixmap(pixmap);
  swatch->setAlignment(Qt::AlignVCenter);
  return swatch;
}

}  // namespace

ConfigurationSection::ConfigurationSection(QWidget* parent,
                                           std::function<void(const Configuration&)> configure)
    : QWidget(parent), configure_(std::move(configure)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);

  auto* legend = new QWidget(this);
  auto* legend_layout = new QHBoxLayout(legend);
  legend_layout->setContentsMargins(0, 0, 0, 4);
  legend_layout->addWidget(Swatch(legend));
  // TRANSLATORS: beside a red strip, what the strips under the sliders mark; keep <b> and </b>
  // around the first word.
  const char* marked =
      Tr("<b>marked</b> under a slider: values at which the crank stops turning all round, or the "
         "rod would be too short");
  auto* legend_text = Wrapping(Q(marked), legend);
  legend_layout->addWidget(legend_text, 1);
  layout->addWidget(legend);

  for (int i = 0; i < kFields; ++i) AddRow(i);

  // TRANSLATORS: a switch: the linkage assembled crossed (R on the other side of the line P-Q)
  // rather than open.
  crossed_ = WrappingCheckBox(Q(Tr("crossed assembly (R on the other side of P-Q)")), this);
  crossed_->setObjectName("assembly");
  connect(crossed_, &QCheckBox::toggled, this, [this](bool crossed) {
    Configuration c = history_.now;
    c.assembly = crossed ? Assembly::kCrossed : Assembly::kOpen;
    Apply(c, false);
  });
  layout->addWidget(crossed_->parentWidget());
  AddButtons();

  // TRANSLATORS: the heading of what the mechanism is (its Grashof class, where it closes...).
  auto* heading = new QLabel("<b>" + Q(Tr("What it is")).toHtmlEscaped() + "</b>", this);
  heading->setContentsMargins(0, 8, 0, 0);
  layout->addWidget(heading);
  auto* analysis = new QWidget(this);
  analysis_ = new QFormLayout(analysis);
  analysis_->setContentsMargins(0, 0, 0, 0);
  analysis_->setRowWrapPolicy(QFormLayout::WrapAllRows);
  layout->addWidget(analysis);
  ShowConfiguration();
}

void ConfigurationSection::AddRow(int index) {
  const ConfigurationField& f = kConfigurationFields[index];
  const QString key = Q(f.key);
  const QString field_name = Translated(f.name);
  auto* name = Wrapping(field_name, this);
  name->setContentsMargins(0, 4, 0, 0);
  auto* line = new QWidget(this);
  auto* line_layout = new QHBoxLayout(line);
  line_layout->setContentsMargins(0, 0, 0, 0);
  Row& row = rows_[index];
  row.field = new QLineEdit(line);
  row.field->setObjectName("field-" + key);
  row.field->setAccessibleName(field_name);
  row.field->setFixedWidth(80);
  name->setBuddy(row.field);
  row.slider = new SpanSlider(f, line);
  row.slider->setObjectName("slider-" + key);
  row.slider->setAccessibleName(field_name);
  line_layout->addWidget(row.field);
  line_layout->addWidget(row.slider, 1);
  row.message = Wrapping(QString(), this);
  row.message->setObjectName("message-" + key);
  row.message->setStyleSheet("QLabel { color: #a61b0f; }");
  row.message->hide();
  layout()->addWidget(name);
  layout()->addWidget(line);
  layout()->addWidget(row.message);
  connect(row.field, &QLineEdit::editingFinished, this, [this, index] { Typed(index); });
  connect(row.slider, &QSlider::valueChanged, this,
          [this, index](int position) { Slid(index, position); });
  connect(row.slider, &QSlider::sliderPressed, this, [this] { dragged_ = false; });
}

void ConfigurationSection::AddButtons() {
  auto* buttons = new QWidget(this);
  auto* buttons_layout = new QHBoxLayout(buttons);
  buttons_layout->setContentsMargins(0, 4, 0, 0);
  const auto button = [&](const char* text, const char* name, auto action) {
    auto* b = new QPushButton(Q(text), buttons);
    b->setObjectName(name);
    connect(b, &QPushButton::clicked, this, action);
    buttons_layout->addWidget(b);
    return b;
  };
  // TRANSLATORS: a button that gives the mechanism its built-in lengths again; keep it short.
  const char* built_in = TrC("mechanism", "Built-in");
  built_in_ = button(built_in, "built-in", [this] { Apply(Configuration{}, false); });
  // TRANSLATORS: a button; keep it short.
  undo_ = button(Tr("Undo"), "undo", [this] { Step(Undo); });
  // TRANSLATORS: a button; keep it short.
  redo_ = button(Tr("Redo"), "redo", [this] { Step(Redo); });
  layout()->addWidget(buttons);
}

void ConfigurationSection::Typed(int index) {
  const ConfigurationField& f = kConfigurationFields[index];
  const std::string typed = rows_[index].field->text().toStdString();
  // Typed as the language writes numbers (4,5 in German), read with the decimal point.
  const std::optional<double> v = ReadNumber(PointNumber(typed));
  if (!v) {
    // TRANSLATORS: a field's refusal: %1$s the field's name (as its label says it), %2$s the
    // text typed into it, quoted.
    Refuse(index, Fill(Tr("the %1$s: %2$s is not a number"),
                       {Translated(f.name).toStdString(), Quoted(typed)}));
    return;
  }
  Try(index, *v, false);
}

void ConfigurationSection::Slid(int index, int position) {
  const Row& row = rows_[index];
  const double v = row.slider->ValueAt(position);
  row.field->setText(Local(NumberText(v)));
  // The first position of a drag that is drawn starts a step of the history; the ones after it
  // belong to the same step.
  const bool down = row.slider->isSliderDown();
  const Configuration before = history_.now;
  Try(index, v, down && dragged_);
  if (down && history_.now != before) dragged_ = true;
}

void ConfigurationSection::Try(int index, double v, bool merge) {
  Configuration c = history_.now;
  c.*kConfigurationFields[index].value = v;
  const std::string problems = ProblemsLine(c);
  if (!problems.empty()) {
    Refuse(index, LocalNumbers(problems));
    return;
  }
  Apply(c, merge);
}

void ConfigurationSection::Refuse(int index, const std::string& why) {
  const Row& row = rows_[index];
  row.message->setText(Q(why));
  row.message->show();
  row.field->setStyleSheet("QLineEdit { border: 2px solid #c92a1b; }");
}

void ConfigurationSection::Apply(const Configuration& c, bool merge) {
  if (Change(history_, c, merge)) configure_(history_.now);
  ShowConfiguration();
}

void ConfigurationSection::Step(bool (*step)(ConfigurationHistory&)) {
  if (step(history_)) configure_(history_.now);
  ShowConfiguration();
}

void ConfigurationSection::ShowConfiguration() {
  const Configuration& c = history_.now;
  for (int i = 0; i < kFields; ++i) {
    const ConfigurationField& f = kConfigurationFields[i];
    const Row& row = rows_[i];
    const QSignalBlocker field_blocker(row.field), slider_blocker(row.slider);
    const QString value = Local(NumberText(c.*f.value));
    if (row.field->text() != value) row.field->setText(value);
    row.field->setStyleSheet(QString());
    row.slider->ShowValue(c.*f.value);
    const std::vector<Range> good = SliderSpans(c, f);
    row.slider->ShowGood(good);
    const QString spans = Local(SliderSpansText(f, good));
    for (QWidget* w : {static_cast<QWidget*>(row.field), static_cast<QWidget*>(row.slider)}) {
      w->setToolTip(spans);
      w->setAccessibleDescription(spans);
    }
    row.message->clear();
    row.message->hide();
  }
  {
    const QSignalBlocker blocker(crossed_);
    crossed_->setChecked(c.assembly == Assembly::kCrossed);
  }
  built_in_->setEnabled(!IsBuiltIn(c));
  undo_->setEnabled(!history_.before.empty());
  redo_->setEnabled(!history_.after.empty());
  ShowAnalysis();
}

void ConfigurationSection::ShowAnalysis() {
  const Configuration& c = history_.now;
  while (analysis_->rowCount() > 0) analysis_->removeRow(0);
  for (const ReadoutLine& line : AnalysisLines(c, Analyse(c))) {
    auto* label = new QLabel(QString("<b>%1</b>").arg(Translated(line.label).toHtmlEscaped()));
    label->setWordWrap(true);
    auto* value = Wrapping(Local(line.value), nullptr);
    value->setObjectName(QString("analysis-") + line.key);
    label->setBuddy(value);
    analysis_->addRow(label, value);
  }
}

}  // namespace tarsel
