#include "app/timing_section.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/image_view.h"
#include "app/words.h"
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
  auto* label = Wrapping(QString(), parent);
  label->setObjectName(name);
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

  // TRANSLATORS: a switch: the names written over the picture; keep F3, the key's name.
  overlay_ = WrappingCheckBox(Q(Tr("names over the picture (F3)")), this);
  overlay_->setObjectName("overlay");
  overlay_->setChecked(true);
  connect(overlay_, &QCheckBox::toggled, this, [this](bool on) { actions_.overlay(on); });
  layout->addWidget(overlay_->parentWidget());

  // TRANSLATORS: the label of the field of the lift at which the valve counts as open, in the
  // plot's vertical units.
  auto* name = Wrapping(Q(Tr("checking lift (y-units)")), this);
  field_ = new QLineEdit(Local(ThresholdText(threshold_)), this);
  field_->setObjectName("field-threshold");
  // TRANSLATORS: the accessible name of the field of the checking lift.
  field_->setAccessibleName(Q(Tr("checking lift")));
  field_->setFixedWidth(80);
  name->setBuddy(field_);
  layout->addWidget(name);
  layout->addWidget(field_);
  field_message_ = Refusal(this, "message-threshold");
  layout->addWidget(field_message_);
  connect(field_, &QLineEdit::editingFinished, this, [this] { Typed(); });

  auto* events = new QWidget(this);
  QGridLayout* rows = LabelledRows(events);
  rows->setContentsMargins(0, 4, 0, 0);
  // The rows are there from the start, so that a frame only fills them in.
  for (const ReadoutLine& line : TimingLines(FrameTiming{})) {
    QLabel*& value = values_[line.key];
    value = new QLabel(events);
    value->setObjectName(QString("timing-") + line.key);
    AddLabelledRow(rows, new QLabel(Translated(line.label), events), value);
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
  // TRANSLATORS: a button that opens a file dialog for a profile file; keep it short.
  auto* open = new QPushButton(Q(Tr("Open…")), buttons);
  open->setObjectName("profile-open");
  // TRANSLATORS: what the button "Open…" does, for a screen reader.
  open->setAccessibleName(Q(Tr("Open a profile file")));
  connect(open, &QPushButton::clicked, this, [this] {
    // The filters' patterns are the files' names as they are; only their descriptions are
    // translated.
    // TRANSLATORS: a file dialog's filter: %s the patterns of the names (*.csv *.txt), kept.
    const std::string profiles = Fill(Tr("Profiles (%s)"), {"*.csv *.txt"});
    // TRANSLATORS: a file dialog's filter: %s the pattern (*), kept.
    const std::string all = Fill(Tr("All files (%s)"), {"*"});
    // TRANSLATORS: the title of the file dialog.
    const char* title = Tr("Open a lift profile");
    const QString path =
        QFileDialog::getOpenFileName(this, Q(title), QString(), Q(profiles) + ";;" + Q(all));
    if (!path.isEmpty()) actions_.open(path);
  });
  // TRANSLATORS: a button that goes back to the built-in profile; keep it short.
  auto* built_in = new QPushButton(Q(TrC("profile", "Built-in")), buttons);
  built_in->setObjectName("profile-built-in");
  // TRANSLATORS: what the button "Built-in" under the profile does, for a screen reader.
  built_in->setAccessibleName(Q(Tr("Built-in profile")));
  connect(built_in, &QPushButton::clicked, this, [this] { actions_.built_in(); });
  buttons_layout->addWidget(open);
  buttons_layout->addWidget(built_in);
  buttons_layout->addStretch(1);
  layout->addWidget(buttons);
  profile_message_ = Refusal(this, "message-profile");
  layout->addWidget(profile_message_);
  ShowProfile(QString());

  // TRANSLATORS: what the plot under it shows; keep <b> and </b> around its name. "The blue's",
  // "the red's": the blue and the red curves' events.
  const char* sweep =
      Tr("<b>Over the sweep</b>: the blue's closing, peak (dashed) and opening against k, the "
         "red's as thin lines; under it the duration; the frame on the screen marked.");
  auto* plot_name = Wrapping(Q(sweep), this);
  plot_name->setContentsMargins(0, 6, 0, 0);
  layout->addWidget(plot_name);
  plot_ = new PlotWidget(this);
  plot_->setObjectName("timing-plot");
  layout->addWidget(plot_);
}

void TimingSection::Typed() {
  const std::string text = field_->text().toStdString();
  // Typed as the language writes numbers, read with the decimal point.
  const std::optional<double> lift = ReadNumber(PointNumber(text));
  std::string why;
  if (!lift) {
    // TRANSLATORS: %s the text typed into the field of the checking lift, quoted.
    why = Fill(Tr("the checking lift: %s is not a number"), {Quoted(text)});
  } else if (!(*lift > 0)) {
    // TRANSLATORS: %s the checking lift typed (a number).
    why = Fill(Tr("the checking lift %s is not above 0"), {LocalNumbers(ThresholdText(*lift))});
  }
  if (!why.empty()) {
    field_message_->setText(Q(why));
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
  field_->setText(Local(ThresholdText(threshold_)));
  field_message_->clear();
  field_message_->hide();
}

void TimingSection::Show(const FrameTiming& t) {
  for (const ReadoutLine& line : TimingLines(t)) {
    QLabel* value = values_[line.key];
    if (!value) continue;
    const QString text = Local(line.value);
    if (value->text() != text) value->setText(text);
  }
}

void TimingSection::ShowPlot(const Image* plot) {
  static_cast<PlotWidget*>(plot_)->Show(plot);
}

void TimingSection::ShowProfile(const QString& name) {
  if (name.isEmpty()) {
    // TRANSLATORS: the profile in use when none was opened; keep <b> and </b>.
    profile_->setText(Q(Tr("<b>Profile</b>: the built-in one")));
    return;
  }
  // TRANSLATORS: the profile in use: %s the file's name; keep <b> and </b>.
  profile_->setText(Q(Fill(Tr("<b>Profile</b>: %s"), {name.toHtmlEscaped().toStdString()})));
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
