#include "render/canvas.h"

#include <algorithm>
#include <cmath>

#include "render/raster.h"

namespace tarsel {

namespace {

// The logical size whose image at this pixel ratio stays within the cap on each side.
Size Capped(Size logical, double dpr) {
  const int most = Canvas::MostLogicalSide(dpr);
  return {std::min(logical.width, most), std::min(logical.height, most)};
}

}  // namespace

int Canvas::DeviceSide(int logical, double dpr) {
  return static_cast<int>(std::ceil(logical * dpr));
}

int Canvas::MostLogicalSide(double dpr) {
  return static_cast<int>(std::floor(kMaxDeviceSide / dpr));
}

int Canvas::ThinLinePixels(double dpr) {
  return std::max(1, static_cast<int>(std::floor(dpr + 0.5)));
}

Canvas::Canvas(Size logical, double dpr)
    : logical_(Capped(logical, dpr)),
      image_(DeviceSide(logical_.width, dpr), DeviceSide(logical_.height, dpr), dpr),
      thin_(ThinLinePixels(dpr)) {}

void Canvas::Line(float x1, float y1, float x2, float y2, std::uint32_t colour) {
  const bool thin = width_ == 1;
  const LineKey key{x1, y1, x2, y2, colour};
  Rect redraw = image_.rect();
  if (thin && skip_redrawn_ && !filter_.NeedsDrawing(key, image_.rect(), &redraw)) return;
  const auto done = [&](Rect area) {
    if (thin && skip_redrawn_) filter_.Drawn(key, area);
  };
  if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) {
    return done(Rect());
  }

  // Lines that reach far beyond any screen are cut to a fixed square first (kFarAway).
  const PointF a = ToPixel(x1, y1), b = ToPixel(x2, y2);
  // Most of the piston curve lies above the window: lines that keep well clear of the image
  // on one side are done with at once.
  const double margin = width_ + 2;
  if (std::max(a.x, b.x) < -margin || std::max(a.y, b.y) < -margin ||
      std::min(a.x, b.x) > logical_.width + margin ||
      std::min(a.y, b.y) > logical_.height + margin) {
    return done(Rect());
  }
  raster::Point p{a.x, a.y}, q{b.x, b.y};
  if (!raster::ClipSegment(p, q, -kFarAway, -kFarAway, kFarAway, kFarAway)) return done(Rect());
  const double dpr = image_.dpr;
  p = {p.x * dpr, p.y * dpr};
  q = {q.x * dpr, q.y * dpr};

  const std::uint32_t pixel = PixelColour(colour);
  Rect area;
  if (thin) {
    // Aliased, so that the axis and the ticks stay crisp, and equally thick everywhere.
    area = raster::DrawThinLine(image_, p, q, thin_, pixel, redraw) & image_.rect();
    filter_.Cover(area, colour);
    done(area);
  } else {
    // Thick curves are chains of short segments: antialiased with round ends they read as
    // one smooth stroke.
    const double radius = width_ * dpr / 2;
    area = raster::FillRoundLine(image_, p, q, radius, pixel, image_.rect());
    filter_.Cover(area);
  }
  dirty_ |= area;
}

void Canvas::Cls() {
  std::fill(image_.pixels.begin(), image_.pixels.end(), kWhitePixel);
  filter_.CoverAll();
  dirty_ = image_.rect();
}

void Canvas::EnsureSize(Size logical) {
  const Size capped = Capped(logical, image_.dpr);
  const Size grown{std::max(logical_.width, capped.width),
                   std::max(logical_.height, capped.height)};
  if (grown == logical_) return;
  Image bigger(DeviceSide(grown.width, image_.dpr), DeviceSide(grown.height, image_.dpr),
               image_.dpr);
  for (int y = 0; y < image_.height; ++y) {
    std::copy(image_.row(y), image_.row(y) + image_.width, bigger.row(y));
  }
  image_ = std::move(bigger);
  logical_ = grown;
  filter_.Forget();
}

Rect Canvas::TakeDirty() {
  const Rect r = dirty_;
  dirty_ = Rect();
  return r;
}

Rect Canvas::ToLogical(Rect device) const {
  if (device.empty()) return device;
  const double dpr = image_.dpr;
  const Rect r{raster::FloorInt(device.left / dpr), raster::FloorInt(device.top / dpr),
               raster::CeilInt((device.right + 1) / dpr) - 1,
               raster::CeilInt((device.bottom + 1) / dpr) - 1};
  return r & Rect::Sized(0, 0, logical_.width, logical_.height);
}

}  // namespace tarsel
