#include "tools/label.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>
#include <cmath>
#include <cstdio>

#include "animation/sweep.h"
#include "render/canvas.h"

namespace tarsel {

namespace {

// The box in logical pixels at the design size. The free corner is about 200 pixels wide and
// 260 high: the piston curve begins at x = 200, the acceleration peaks below y = 270.
constexpr int kMargin = 6, kWidth = 186, kHeight = 56;
constexpr int kFontPixels = 12, kLineSpacing = 16;

}  // namespace

std::string LabelText(const SharedState& state) {
  char first[96];
  const sweep::Position at = sweep::PositionOf(state.k);
  if (at.exact && at.frame >= 1 && at.frame <= sweep::kFrames) {
    std::snprintf(first, sizeof first, "k = %.2f rad, frame %ld of %d", state.k, at.frame,
                  sweep::kFrames);
  } else {
    std::snprintf(first, sizeof first, "k = %.2f rad", state.k);
  }
  return std::string(first) + "\n" +
         (state.acc ? "velocity and acceleration" : "phase offset / 13") + "\n" +
         (state.ccllss ? "frames accumulate" : "each frame cleared");
}

Rect LabelArea(const Image& picture) {
  const auto device = [&](int logical) {
    return static_cast<int>(std::lround(logical * picture.dpr));
  };
  return Rect::Sized(device(kMargin), device(kMargin), device(kWidth), device(kHeight)) &
         picture.rect();
}

const Image& Labeller::Apply(const Image& picture, const SharedState& state) {
  labelled_ = picture;
  QImage view(reinterpret_cast<uchar*>(labelled_.pixels.data()), labelled_.width, labelled_.height,
              labelled_.bytesPerLine(), QImage::Format_RGB32);
  const Rect area = LabelArea(labelled_);
  if (area.empty()) return labelled_;
  // Device pixels throughout, so that the box is exactly LabelArea at any ratio.
  QPainter painter(&view);
  const QRect box(area.left, area.top, area.width(), area.height());
  painter.setClipRect(box);
  painter.fillRect(box, Qt::white);
  QFont font;
  font.setStyleHint(QFont::SansSerif);
  font.setFamily("DejaVu Sans");
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(kFontPixels * picture.dpr))));
  painter.setFont(font);
  painter.setPen(QColor(0, 0, 0));
  const QStringList lines = QString::fromStdString(LabelText(state)).split('\n');
  const double spacing = kLineSpacing * picture.dpr;
  for (int i = 0; i < lines.size(); ++i) {
    const QRectF line(area.left + 4 * picture.dpr, area.top + 2 * picture.dpr + i * spacing,
                      area.width(), spacing);
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, lines[i]);
  }
  return labelled_;
}

}  // namespace tarsel
