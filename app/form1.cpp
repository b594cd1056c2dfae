#include "app/form1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "app/image_view.h"
#include "app/key_codes.h"
#include "app/trace.h"
#include "input/caption.h"

namespace tarsel {

namespace {
qreal PrimaryScreenRatio() {
  const QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->devicePixelRatio() : 1;
}
}  // namespace

Form1::Form1()
    : canvas_(Size{Canvas::kDesignWidth, Canvas::kDesignHeight}, PrimaryScreenRatio()),
      driver_(state_, *this) {
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
  Trace("frame");
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
  for (const int code : CharacterCodes(*e)) Deliver(InputEvent::Key(code));
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
}

void Form1::resizeEvent(QResizeEvent* e) {
  // Without a window manager any X client can make the window larger than its maximum size;
  // Qt's own backing store would then take that much memory as well.
  if (size() != size().boundedTo(maximumSize())) resize(size().boundedTo(maximumSize()));
  canvas_.EnsureSize(Size{width(), height()});
  QWidget::resizeEvent(e);
}

// Tab is a key of the animation, never a move of the focus.
bool Form1::focusNextPrevChild(bool) {
  return false;
}

}  // namespace tarsel
