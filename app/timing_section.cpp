#include "app/timing_section.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/image_view.h"
#include "input/number.h"
#include "input/printable.h"
#include "render/timing_plot.h"
#include "render/timing_view.h"

namespace tarsel {

namespace {

// The plot's pixels as the core drew them, one device pixel to one screen pixel.
class PlotWidget : public QWidget {
 public:
  explicit PlotWidget(QWidget* parent) : QWidget(parent) {
    setFixedSize(timing_plot::kSize.width, timing_plot::kSize.height);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }
  void Show(const Image* plot) {
    plot_ = plot;
    update();
  }

 protected:
  void paintEvent(QPaintEvent* e) override {
    QPainter p(this);
    p.setClipRegion(e->region());
    if (!plot_ || plot_->width == 0) {
      p.fillRect(rect(), Qt::white);
      return;
    }
    p.drawImage(QPointF(0, 0), ImageView(*plot_));
  }

 private:
  const Image* plot_ = nullptr;
};

QLabel* Refusal(QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setWordWrap(true);
  label->setStyleSheet("QLabel { color: #a61b0f; }");
  label->hide();
  return label;
}

}  // namespace

TimingSection::TimingSection(QWidget* parent, Actions actions)
    : QWidget(parent), actions_(std::move(actions)), threshold_(kDefaultThreshold) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);

  overlay_ = new QCheckBox("names over the picture (F3)", this);
  overlay_->setObjectName("overlay");
  overlay_->setChecked(true);
  connect(overlay_, &QCheckBox::toggled, this, [this](bool on) { actions_.overlay(on); });
  layout->addWidget(overlay_);

  auto* name = new QLabel("checking lift (y-units)", this);
  field_ = new QLineEdit(QString::fromStdString(ThresholdText(threshold_)), this);
  field_->setObjectName("field-threshold");
  field_->setAccessibleName("checking lift");
  field_->setFixedWidth(80);
  name->setBuddy(field_);
  layout->addWidget(name);
  layout->addWidget(field_);
  field_message_ = Refusal(this, "message-threshold");
  layout->addWidget(field_message_);
  connect(field_, &QLineEdit::editingFinished, this, [this] { Typed(); });

  auto* events = new QWidget(this);
  auto* form = new QFormLayout(events);
  form->setContentsMargins(0, 4, 0, 0);
  form->setRowWrapPolicy(QFormLayout::WrapLongRows);
  // The rows are there from the start, so that a frame only fills them in.
  for (const ReadoutLine& line : TimingLines(FrameTiming{})) {
    QLabel*& value = values_[line.key];
    value = new QLabel(events);
    value->setObjectName(QString("timing-") + line.key);
    value->setWordWrap(true);
    form->addRow(QString::fromUtf8(line.label), value);
  }
  layout->addWidget(events);

  profile_ = new QLabel(this);
  profile_->setObjectName("profile");
  profile_->setWordWrap(true);
  profile_->setContentsMargins(0, 6, 0, 0);
  layout->addWidget(profile_);
  auto* buttons = new QWidget(this);
  auto* buttons_layout = new QHBoxLayout(buttons);
  buttons_layout->setContentsMargins(0, 2, 0, 0);
  auto* open = new QPushButton("Open…", buttons);
  open->setObjectName("profile-open");
  open->setAccessibleName("Open a profile file");
  connect(open, &QPushButton::clicked, this, [this] {
    const QString path = QFileDialog::getOpenFileName(this, "Open a lift profile", QString(),
                                                      "Profiles (*.csv *.txt);;All files (*)");
    if (!path.isEmpty()) actions_.open(path);
  });
  auto* built_in = new QPushButton("Built-in", buttons);
  built_in->setObjectName("profile-built-in");
  built_in->setAccessibleName("Built-in profile");
  connect(built_in, &QPushButton::clicked, this, [this] { actions_.built_in(); });
  buttons_layout->addWidget(open);
  buttons_layout->addWidget(built_in);
  buttons_layout->addStretch(1);
  layout->addWidget(buttons);
  profile_message_ = Refusal(this, "message-profile");
  layout->addWidget(profile_message_);
  ShowProfile(QString());

  auto* plot_name = new QLabel(
      "<b>Over the sweep</b>: the blue's closing, peak (dashed) and opening against k, the "
      "red's as thin lines; under it the duration; the frame on the screen marked.",
      this);
  plot_name->setWordWrap(true);
  plot_name->setContentsMargins(0, 6, 0, 0);
  layout->addWidget(plot_name);
  plot_ = new PlotWidget(this);
  plot_->setObjectName("timing-plot");
  layout->addWidget(plot_);
}

void TimingSection::Typed() {
  const std::string text = field_->text().toStdString();
  const std::optional<double> lift = ReadNumber(text);
  std::string why;
  if (!lift) {
    why = "the checking lift: " + Quoted(text) + " is not a number";
  } else if (!(*lift > 0)) {
    why = "the checking lift " + ThresholdText(*lift) + " is not above 0";
  }
  if (!why.empty()) {
    field_message_->setText(QString::fromStdString(why));
    field_message_->show();
    return;
  }
  field_message_->clear();
  field_message_->hide();
  if (*lift == threshold_) return;
  threshold_ = *lift;
  actions_.threshold(threshold_);
}

void TimingSection::ShowOverlaySwitch(bool on) {
  const QSignalBlocker quiet(overlay_);
  overlay_->setChecked(on);
}

void TimingSection::Revert() {
  field_->setText(QString::fromStdString(ThresholdText(threshold_)));
  field_message_->clear();
  field_message_->hide();
}

void TimingSection::Show(const FrameTiming& t) {
  for (const ReadoutLine& line : TimingLines(t)) {
    QLabel* value = values_[line.key];
    if (!value) continue;
    const QString text = QString::fromStdString(line.value);
    if (value->text() != text) value->setText(text);
  }
}

void TimingSection::ShowPlot(const Image* plot) {
  static_cast<PlotWidget*>(plot_)->Show(plot);
}

void TimingSection::ShowProfile(const QString& name) {
  profile_->setText(name.isEmpty() ? "<b>Profile</b>: the built-in one"
                                   : "<b>Profile</b>: " + name.toHtmlEscaped());
}

void TimingSection::ShowProfileRefusal(const QString& why) {
  profile_message_->setText(why);
  profile_message_->setVisible(!why.isEmpty());
}

QString TimingSection::Value(const std::string& key) const {
  const auto it = values_.find(key);
  return it == values_.end() ? QString() : it->second->text();
}

}  // namespace tarsel
