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
#include "geometry/linkage_analysis.h"
#include "input/number.h"
#include "input/printable.h"
#include "render/analysis_view.h"

namespace tarsel {

namespace {

QString Text(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

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
  auto* legend_text = new QLabel(
      "<b>marked</b> under a slider: values at which the crank stops turning all round, or the "
      "rod would be too short",
      legend);
  legend_text->setWordWrap(true);
  legend_layout->addWidget(legend_text, 1);
  layout->addWidget(legend);

  for (int i = 0; i < kFields; ++i) AddRow(i);

  crossed_ = new QCheckBox("crossed assembly (R on the other side of P-Q)", this);
  crossed_->setObjectName("assembly");
  connect(crossed_, &QCheckBox::toggled, this, [this](bool crossed) {
    Configuration c = history_.now;
    c.assembly = crossed ? Assembly::kCrossed : Assembly::kOpen;
    Apply(c, false);
  });
  layout->addWidget(crossed_);
  AddButtons();

  auto* heading = new QLabel("<b>What it is</b>", this);
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
  const QString key = Text(f.key);
  auto* name = new QLabel(Text(Tr(f.name.data())), this);
  name->setContentsMargins(0, 4, 0, 0);
  auto* line = new QWidget(this);
  auto* line_layout = new QHBoxLayout(line);
  line_layout->setContentsMargins(0, 0, 0, 0);
  Row& row = rows_[index];
  row.field = new QLineEdit(line);
  row.field->setObjectName("field-" + key);
  row.field->setAccessibleName(Text(Tr(f.name.data())));
  row.field->setFixedWidth(80);
  name->setBuddy(row.field);
  row.slider = new SpanSlider(f, line);
  row.slider->setObjectName("slider-" + key);
  row.slider->setAccessibleName(Text(Tr(f.name.data())));
  line_layout->addWidget(row.field);
  line_layout->addWidget(row.slider, 1);
  row.message = new QLabel(this);
  row.message->setObjectName("message-" + key);
  row.message->setWordWrap(true);
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
    auto* b = new QPushButton(text, buttons);
    b->setObjectName(name);
    connect(b, &QPushButton::clicked, this, action);
    buttons_layout->addWidget(b);
    return b;
  };
  built_in_ = button("Built-in", "built-in", [this] { Apply(Configuration{}, false); });
  undo_ = button("Undo", "undo", [this] { Step(Undo); });
  redo_ = button("Redo", "redo", [this] { Step(Redo); });
  layout()->addWidget(buttons);
}

void ConfigurationSection::Typed(int index) {
  const ConfigurationField& f = kConfigurationFields[index];
  const QByteArray text = rows_[index].field->text().toUtf8();
  const std::optional<double> v = ReadNumber(std::string_view(text.constData(), text.size()));
  if (!v) {
    Refuse(index, "the " + std::string(f.name) + ": " +
                      Quoted(std::string_view(text.constData(), text.size())) + " is not a number");
    return;
  }
  Try(index, *v, false);
}

void ConfigurationSection::Slid(int index, int position) {
  const Row& row = rows_[index];
  const double v = row.slider->ValueAt(position);
  row.field->setText(Text(NumberText(v)));
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
    Refuse(index, problems);
    return;
  }
  Apply(c, merge);
}

void ConfigurationSection::Refuse(int index, const std::string& why) {
  const Row& row = rows_[index];
  row.message->setText(Text(why));
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
    const QString value = Text(NumberText(c.*f.value));
    if (row.field->text() != value) row.field->setText(value);
    row.field->setStyleSheet(QString());
    row.slider->ShowValue(c.*f.value);
    const std::vector<Range> good = SliderSpans(c, f);
    row.slider->ShowGood(good);
    const QString spans = Text(SliderSpansText(f, good));
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
    auto* label = new QLabel(QString("<b>%1</b>").arg(QString::fromUtf8(line.label)));
    auto* value = new QLabel(QString::fromStdString(line.value));
    value->setObjectName(QString("analysis-") + line.key);
    value->setWordWrap(true);
    label->setBuddy(value);
    analysis_->addRow(label, value);
  }
}

}  // namespace tarsel
