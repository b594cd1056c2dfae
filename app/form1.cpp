#include "app/form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "app/image_view.h"
#include "app/key_codes.h"
#include "app/panel.h"
#include "app/plot_overlay.h"
#include "app/trace.h"
#include "app/words.h"
#include "input/caption.h"
#include "input/handlers.h"
#include "input/printable.h"
#include "input/profile_file.h"
#include "input/script.h"
#include "render/plot_labels.h"
#include "render/raster.h"
#include "render/timing_plot.h"

namespace tarsel {

namespace {
// The screen's ratio as the canvas can draw at it: Qt multiplies QT_SCALE_FACTOR (checked at
// the start) by the screen's own factors, which may carry it out of range.
qreal PrimaryScreenRatio() {
  const QScreen* s = QGuiApplication::primaryScreen();
  const qreal ratio = s ? s->devicePixelRatio() : 1;
  if (!std::isfinite(ratio) || ratio <= 0) return 1;
  return std::clamp(ratio, qreal(Canvas::kLeastScale), qreal(Canvas::kMostScale));
}
}  // namespace

Form1::Form1()
    : canvas_(Size{Canvas::kDesignWidth, Canvas::kDesignHeight}, PrimaryScreenRatio()),
      driver_(state_, *this) {
  // A new configuration draws the frame that the keys reach with it.
  driver_.SetWayToFrames(FrameBeforeReaching);
  setWindowTitle(QString::fromLatin1(kCaption));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);
  resize(Canvas::kDesignWidth, Canvas::kDesignHeight);
  // No larger than the backing image can be, so that an absurd size cannot exhaust memory.
  const int most = Canvas::MostLogicalSide(canvas_.devicePixelRatio());
  setMaximumSize(most, most);
  since_present_.start();
  // The probe follows the pointer over the client area while the panel is open.
  setMouseTracking(true);
  panel_ = new Panel(
      this, [this](const Configuration& c) { Configure(c); },
      TimingActions{[this](double t) { SetThreshold(t); },
                    [this](const QString& path) { OpenProfile(path); },
                    [this] { UseBuiltInProfile(); }, [this](bool on) { SetOverlayOn(on); }});
  panel_->hide();
  overlay_ = new PlotOverlay(this);
  overlay_->hide();
  keys_ = new QLabel(KeysText(), this);
  keys_->setAttribute(Qt::WA_TransparentForMouseEvents);
  keys_->setStyleSheet(
      "QLabel { background: rgba(255, 255, 255, 235); border: 1px solid #8aa0bd;"
      " border-radius: 6px; padding: 10px; color: #16202c; }");
  keys_->adjustSize();
  keys_->move(24, 24);
  keys_->hide();
}

Form1::~Form1() = default;

void Form1::Line(float x1, float y1, float x2, float y2, std::uint32_t colour) {
  canvas_.Line(x1, y1, x2, y2, colour);
}

void Form1::Cls() {
  canvas_.Cls();
}

void Form1::DrawWidth(int width) {
  canvas_.DrawWidth(width);
}

void Form1::DoEvents() {
  DeliverEarlyInput();
  if (state_.ended) return;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  PresentIfDue();
}

void Form1::BeginWait() {
  ++waits_begun_;
  Present();
  UpdateProbe();
  UpdateTiming();
  Trace("frame");
}

int Form1::ClientWidth() const {
  return std::max(1, width() - (panel_open_ ? Panel::kWidth : 0));
}

int Form1::MarkerColumn() const {
  return raster::FloorInt(Canvas::ToPixel(probe_x_, 0).x);
}

void Form1::SetPanelOpen(bool open) {
  if (open == panel_open_) return;
  panel_open_ = open;
  const int most = Canvas::MostLogicalSide(canvas_.devicePixelRatio());
  // The window grows by the panel and shrinks by it again: the client area stays as it is.
  if (open) {
    setMaximumSize(most + Panel::kWidth, most);
    resize(width() + Panel::kWidth, height());
  } else {
    resize(width() - Panel::kWidth, height());
    setMaximumSize(most, most);
  }
  panel_->setGeometry(ClientWidth(), 0, Panel::kWidth, height());
  // A field of the panel that had the keys gives them back to the picture.
  if (!open && panel_->isAncestorOf(QApplication::focusWidget())) setFocus(Qt::OtherFocusReason);
  panel_->setVisible(open);
  UpdateProbe();
  UpdateTiming();
  UpdateOverlay();
  update(MarkerColumn() - 1, 0, 3, height());
}

void Form1::MoveProbeTo(double x) {
  if (!(std::abs(x) <= probe::kLimit)) return;
  update(MarkerColumn() - 1, 0, 3, height());
  probe_x_ = x;
  update(MarkerColumn() - 1, 0, 3, height());
  UpdateProbe();
}

void Form1::Configure(const Configuration& c) {
  // The panel's widgets signal from inside the animation's event processing, where the
  // handler may ask for the frame again; before the loop has started it simply starts with c.
  if (!running_) {
    if (state_.pi == 0) state_.config = c;
    return;
  }
  Form_Configure(state_, c);
}

void Form1::OpenProfile(const QString& path) {
  std::string why;
  std::optional<ProfileTables> tables = ReadProfileFile(path.toStdString(), &why);
  if (!tables) {
    // TRANSLATORS: a profile file refused: %1$s its name, quoted; %2$s why.
    const std::string refused =
        Fill(Tr("bad profile %1$s: %2$s"), {Quoted(path.toStdString()), why});
    panel_->timing()->ShowProfileRefusal(Q(refused));
    return;
  }
  panel_->timing()->ShowProfileRefusal(QString());
  panel_->timing()->ShowProfile(QFileInfo(path).fileName());
  Profile(std::make_shared<const ProfileTables>(std::move(*tables)));
}

void Form1::UseBuiltInProfile() {
  panel_->timing()->ShowProfileRefusal(QString());
  panel_->timing()->ShowProfile(QString());
  Profile(nullptr);
}

void Form1::Profile(std::shared_ptr<const ProfileTables> profile) {
  // As a configuration: before the loop has started it simply starts with the profile.
  if (!running_) {
    if (state_.pi == 0) state_.profile = std::move(profile);
    return;
  }
  Form_Profile(state_, std::move(profile));
}

void Form1::SetThreshold(double threshold) {
  if (!(threshold > 0) || threshold == threshold_) return;
  threshold_ = threshold;
  UpdateTiming();
}

void Form1::UpdateTiming() {
  if (!panel_open_ || state_.pi <= 0) return;
  timing_ = TimingOf(driver_.curves(), threshold_);
  const SweepKey key{state_.config, state_.profile, threshold_};
  if (sweep_key_ != key) {
    sweep_ = SweepTiming(state_, threshold_);
    sweep_key_ = key;
  }
  timing_plot::Draw(timing_plot_, canvas_.devicePixelRatio(), sweep_, state_.k);
  panel_->timing()->Show(timing_);
  panel_->timing()->ShowPlot(&timing_plot_);
  UpdateOverlay();
}

bool Form1::overlay_shown() const {
  return panel_open_ && overlay_on_;
}

void Form1::SetOverlayOn(bool on) {
  overlay_on_ = on;
  panel_->timing()->ShowOverlaySwitch(on);
  UpdateOverlay();
}

void Form1::UpdateOverlay() {
  overlay_->setGeometry(0, 0, ClientWidth(), height());
  overlay_->setVisible(overlay_shown() && state_.pi > 0);
  if (!overlay_->isVisible()) return;
  overlay_->Show(PlotLabels(state_, driver_.curves(), threshold_, Size{ClientWidth(), height()}),
                 ThresholdRow(threshold_));
}

void Form1::UpdateProbe() {
  // Before the loop has started there are no tables to read.
  if (!panel_open_ || state_.pi <= 0) return;
  probe_.Update(state_, probe_x_, canvas_.devicePixelRatio());
  panel_->Show(probe_);
  panel_->ShowModes(state_);
}

bool Form1::WindowKey(const QKeyEvent& e) {
  const bool shift = e.modifiers() & Qt::ShiftModifier;
  const auto probe_key = [&](ProbeKey key) {
    if (state_.pi > 0) MoveProbeTo(MoveProbe(state_, probe_x_, key, shift));
    return true;
  };
  switch (e.key()) {
    case Qt::Key_F1:
      keys_->setVisible(!keys_->isVisible());
      return true;
    case Qt::Key_F2:
      SetPanelOpen(!panel_open_);
      return true;
    case Qt::Key_F3:
      SetOverlayOn(!overlay_on_);
      return true;
    case Qt::Key_Left:
      return probe_key(ProbeKey::kLeft);
    case Qt::Key_Right:
      return probe_key(ProbeKey::kRight);
    case Qt::Key_Home:
      return probe_key(ProbeKey::kHome);
    case Qt::Key_End:
      return probe_key(ProbeKey::kEnd);
    default:
      return false;
  }
}

void Form1::WaitEvents(bool block) {
  DeliverEarlyInput();
  if (state_.ended) return;
  QCoreApplication::processEvents(block ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
  PresentIfDue();
}

void Form1::Deliver(const InputEvent& event) {
  if (!running_) {
    early_input_.push_back(event);
    return;
  }
  Dispatch(state_, *this, event);
}

void Form1::DeliverEarlyInput() {
  if (early_input_.empty()) return;
  const std::vector<InputEvent> input = std::move(early_input_);
  early_input_.clear();
  for (const InputEvent& event : input) Dispatch(state_, *this, event);
}

void Form1::Present() {
  const Rect dirty = canvas_.ToLogical(canvas_.TakeDirty());
  since_present_.restart();
  if (!dirty.empty() && isVisible()) {
    repaint(QRect(dirty.left, dirty.top, dirty.width(), dirty.height()));
  }
}

void Form1::PresentIfDue() {
  // Presenting at every one of a frame's 600 event-processing calls would cost far more than
  // drawing the frame; once per display refresh is all a screen can show.
  qreal hz = 60;
  if (const QScreen* s = screen()) hz = std::clamp(s->refreshRate(), qreal(30), qreal(240));
  if (since_present_.elapsed() >= static_cast<qint64>(1000 / hz)) Present();
}

void Form1::RunAnimation() {
  if (state_.ended) return;  // closed before the animation could start
  running_ = true;
  driver_.Form_Activate();
  running_ = false;
  state_.ended = true;
  hide();
  QCoreApplication::exit(0);
}

bool Form1::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate && !started_) {
    started_ = true;
    // Run the animation from the event loop rather than inside the activation's own dispatch.
    QMetaObject::invokeMethod(
        this, [this] { RunAnimation(); }, Qt::QueuedConnection);
  }
  if (e->type() == QEvent::Show && !started_) activateWindow();
  return QWidget::event(e);
}

void Form1::keyPressEvent(QKeyEvent* e) {
  Trace("key");
  const std::vector<int> codes = CharacterCodes(*e);
  // Keys without a character never reach the handler; a few are the window's own.
  if (codes.empty()) WindowKey(*e);
  for (const int code : codes) Deliver(InputEvent::Key(code));
  e->accept();
}

void Form1::mouseMoveEvent(QMouseEvent* e) {
  const double x = e->position().x();
  if (panel_open_ && x >= 0 && x < ClientWidth()) {
    MoveProbeTo(Canvas::kLeft + x / Canvas::kPixelsPerX);
  }
  e->accept();
}

void Form1::mouseDoubleClickEvent(QMouseEvent* e) {
  e->accept();
  Deliver(InputEvent::DoubleClick());
}

void Form1::closeEvent(QCloseEvent* e) {
  e->accept();
  if (running_) {
    Dispatch(state_, *this, InputEvent::Close());  // the loop returns at its next call
    return;
  }
  state_.ended = true;
  QCoreApplication::exit(0);
}

void Form1::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  p.setClipRegion(e->region());
  p.drawImage(QPointF(0, 0), ImageView(canvas_.image()));
  // The probe's marker goes over the picture on the screen, never into the canvas's pixels.
  const int column = MarkerColumn();
  if (panel_open_ && column >= 0 && column < ClientWidth()) {
    QPen pen(QColor(0x7a, 0x1f, 0xa2));
    pen.setStyle(Qt::DashLine);
    pen.setCosmetic(true);
    p.setPen(pen);
    p.drawLine(QPointF(column + 0.5, 0), QPointF(column + 0.5, height()));
  }
}

void Form1::resizeEvent(QResizeEvent* e) {
  // Without a window manager any X client can make the window larger than its maximum size;
  // Qt's own backing store would then take that much memory as well.
  if (size() != size().boundedTo(maximumSize())) resize(size().boundedTo(maximumSize()));
  // Larger at once; smaller when that gives back a quarter of the image or more.
  canvas_.EnsureSize(Size{ClientWidth(), height()});
  canvas_.ShrinkTo(Size{ClientWidth(), height()});
  panel_->setGeometry(ClientWidth(), 0, Panel::kWidth, height());
  UpdateOverlay();
  QWidget::resizeEvent(e);
}

// Tab is a key of the animation, never a move of the focus.
bool Form1::focusNextPrevChild(bool) {
  return false;
}

}  // namespace tarsel
