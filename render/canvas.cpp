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

Canvas::Canvas(Size logical, double dpr) {
  StartImage(logical, dpr);
  kept_from_ = logical_;
  dirty_ = Rect();
}

void Canvas::StartImage(Size logical, double dpr) {
  image_ = Image();  // the old pixels go before the new ones are made
  logical_ = Capped(logical, dpr);
  image_ = Image(DeviceSide(logical_.width, dpr), DeviceSide(logical_.height, dpr), dpr);
  thin_ = ThinLinePixels(dpr);
  filter_.Forget();
  dirty_ = image_.rect();
}

void Canvas::SetPalette(Palette palette) {
  palette_ = palette;
  last_colour_ = 0;
  last_pixel_ = PixelColour(Substitute(palette, 0));
  // The same line drawn again now has another colour on the screen.
  filter_.Forget();
}

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
  if (keeping_) Keep({x1, y1, x2, y2, colour, width_});
  drawn_since_clear_ = true;
  raster::Point p{a.x, a.y}, q{b.x, b.y};
  if (!raster::ClipSegment(p, q, -kFarAway, -kFarAway, kFarAway, kFarAway)) return done(Rect());
  const double dpr = image_.dpr;
  p = {p.x * dpr, p.y * dpr};
  q = {q.x * dpr, q.y * dpr};

  if (colour != last_colour_) {
    last_colour_ = colour;
    last_pixel_ = PixelColour(Substitute(palette_, colour));
  }
  const std::uint32_t pixel = last_pixel_;
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
  if (at_next_clear_) {
    StartImage(logical_, at_next_clear_->dpr);
    SetPalette(at_next_clear_->palette);
    at_next_clear_.reset();
  }
  kept_.clear();
  recent_.clear();
  dropped_ = 0;
  kept_from_ = logical_;
  kept_whole_ = true;
  drawn_since_clear_ = false;
  std::fill(image_.pixels.begin(), image_.pixels.end(), kWhitePixel);
  filter_.CoverAll();
  dirty_ = image_.rect();
}

void Canvas::EnsureSize(Size logical) {
  const Size capped = Capped(logical, image_.dpr);
  ResizeTo({std::max(logical_.width, capped.width), std::max(logical_.height, capped.height)});
}

void Canvas::ShrinkTo(Size logical) {
  const Size kept{std::min(logical_.width, std::max(logical.width, kDesignWidth)),
                  std::min(logical_.height, std::max(logical.height, kDesignHeight))};
  const auto bytes = [&](Size s) {
    return std::uint64_t(DeviceSide(s.width, image_.dpr)) *
           std::uint64_t(DeviceSide(s.height, image_.dpr));
  };
  if (bytes(kept) * 4 <= bytes(logical_) * 3) ResizeTo(kept);
}

void Canvas::ResizeTo(Size logical) {
  const Size size = Capped(logical, image_.dpr);
  if (size == logical_) return;
  Image resized(DeviceSide(size.width, image_.dpr), DeviceSide(size.height, image_.dpr),
                image_.dpr);
  const int width = std::min(image_.width, resized.width);
  for (int y = 0; y < std::min(image_.height, resized.height); ++y) {
    std::copy(image_.row(y), image_.row(y) + width, resized.row(y));
  }
  image_ = std::move(resized);
  logical_ = size;
  filter_.Forget();
  dirty_ = dirty_ & image_.rect();
  if (keeping_) {
    Keep({static_cast<float>(size.width), static_cast<float>(size.height), 0, 0, 0, 0});
  }
}

void Canvas::KeepDrawing(bool on) {
  keeping_ = on;
  kept_.clear();
  recent_.clear();
  dropped_ = 0;
  kept_from_ = logical_;
  // Turned on with a picture already drawn, the calls that made it are not known.
  kept_whole_ = on && !drawn_since_clear_;
}

void Canvas::Keep(const Kept& call) {
  if (!kept_whole_) return;
  if (kept_.size() - dropped_ >= kMostKept) {
    kept_whole_ = false;
    kept_ = {};
    recent_ = {};
    return;
  }
  // The axis and its ticks come again after every trace point. A width-1 line sets every one
  // of its pixels to its colour, whatever is under them, so when it is drawn again the earlier
  // time no longer shows anywhere: only the last time needs keeping. The recent ones are
  // searched from where the last match was, as they come back in the same order.
  if (call.width == 1) {
    constexpr std::size_t kRecent = 64;
    const auto same = [&](const Kept& k) {
      return k.width == 1 && k.x1 == call.x1 && k.y1 == call.y1 && k.x2 == call.x2 &&
             k.y2 == call.y2 && k.colour == call.colour;
    };
    std::size_t slot = recent_.size() < kRecent ? recent_.size() : next_recent_;
    for (std::size_t n = 0, i = next_recent_; n < recent_.size(); ++n, ++i) {
      if (i >= recent_.size()) i = 0;
      if (same(kept_[recent_[i]])) {
        kept_[recent_[i]].width = -1;
        ++dropped_;
        slot = i;
        break;
      }
    }
    if (slot == recent_.size()) recent_.push_back(0);
    recent_[slot] = kept_.size();
    next_recent_ = (slot + 1) % kRecent;
  }
  kept_.push_back(call);
  // Squeeze out the lines drawn again once they are the most part.
  if (dropped_ > 4096 && dropped_ * 2 > kept_.size()) {
    std::erase_if(kept_, [](const Kept& k) { return k.width < 0; });
    dropped_ = 0;
    recent_.clear();
    next_recent_ = 0;
  }
}

bool Canvas::Restyle(double dpr, Palette palette) {
  if (!keeping_ || !kept_whole_) {
    if (dpr != image_.dpr || palette != palette_) at_next_clear_ = Style{dpr, palette};
    return false;
  }
  at_next_clear_.reset();
  SetPalette(palette);
  DrawKept(dpr);
  return true;
}

void Canvas::DrawKept(double dpr) {
  std::vector<Kept> kept = std::move(kept_);
  const int width = width_;
  keeping_ = false;
  StartImage(kept_from_, dpr);
  for (const Kept& k : kept) {
    if (k.width == 0) {
      ResizeTo({static_cast<int>(k.x1), static_cast<int>(k.y1)});
    } else if (k.width > 0) {
      width_ = k.width;
      Line(k.x1, k.y1, k.x2, k.y2, k.colour);
    }
  }
  keeping_ = true;
  kept_ = std::move(kept);
  width_ = width;
  dirty_ = image_.rect();
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
