#pragma once

#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <vector>

namespace tarsel {

// The backing image of the client area and the drawing operations on it, in the user
// coordinate system: the top-left pixel corner is (-50, 10), one x unit is 962/230 logical
// pixels and one y unit 688/13, y upward. The mapping is fixed by that corner and the unit
// sizes, so a larger image only shows more of the plane to the right and below.
// The window and the headless replay both paint through this class, so their pixels agree.
class Canvas {
 public:
  static constexpr int kDesignWidth = 962;
  static constexpr int kDesignHeight = 688;
  static constexpr double kLeft = -50;
  static constexpr double kTop = 10;
  static constexpr double kPixelsPerX = 962.0 / 230.0;
  static constexpr double kPixelsPerY = 688.0 / 13.0;
  // The image has at most this many device pixels on a side (256 MiB at the most): a larger
  // window shows the top-left part that fits and white beyond it.
  static constexpr int kMaxDeviceSide = 8192;

  // logical: client area in logical pixels; dpr: device pixels per logical pixel.
  explicit Canvas(QSize logical = QSize(kDesignWidth, kDesignHeight), qreal dpr = 1);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  // Position in logical pixels, from the top-left corner of the client area.
  static QPointF ToPixel(double x, double y) {
    return QPointF((x - kLeft) * kPixelsPerX, (kTop - y) * kPixelsPerY);
  }

  void Line(float x1, float y1, float x2, float y2, std::uint32_t colour);
  void Cls();
  void DrawWidth(int width) { width_ = width; }
  int drawWidth() const { return width_; }

  // Makes the image at least this large (logical pixels); what was drawn stays where it is
  // and the added area is white. It never shrinks, so nothing is lost when the window is made
  // smaller and then larger again.
  void EnsureSize(QSize logical);

  const QImage& image() const { return image_; }
  QSize logicalSize() const { return logical_; }
  qreal devicePixelRatio() const { return image_.devicePixelRatio(); }

  // The part of the image (logical pixels) changed since the last call, then forgets it.
  QRect TakeDirty();

  // Width-1 lines drawn again over pixels that still show them are skipped (see Line). Off,
  // every line is drawn; tests and benchmarks compare the two.
  void SkipRedrawnLines(bool on) {
    skip_redrawn_ = on;
    drawn_.clear();
  }

 private:
  // A width-1 line as last drawn, and the device pixels it may have set.
  struct DrawnLine {
    float x1, y1, x2, y2;
    std::uint32_t colour;
    QRect area;
    QRect covered;  // the part of `area` drawn over since, in other colours; empty: intact
  };

  static constexpr std::size_t kRemembered = 64;

  void Begin();
  void SetPen(std::uint32_t colour);
  // The entry of drawn_ for this width-1 line, if it was drawn before.
  DrawnLine* Remembered(float x1, float y1, float x2, float y2, std::uint32_t colour);
  // Notes that `area` was drawn over, on the remembered lines it touches, except lines of
  // `same_colour` when the drawing was opaque and aliased.
  void Cover(const QRect& area, std::int64_t same_colour);

  QSize logical_;
  QImage image_;
  QPainter painter_;
  int width_ = 1;
  // The pen last handed to the painter, so that runs of lines of one style set it once.
  int pen_width_ = -1;
  std::uint32_t pen_colour_ = 0;
  QRect dirty_;
  bool skip_redrawn_ = true;
  std::vector<DrawnLine> drawn_;
  std::size_t next_drawn_ = 0;  // where the next lookup starts: lines come in the same order
  QSize drawn_size_;            // image size when drawn_ was filled
  bool all_covered_ = false;    // every entry of drawn_ is covered in full (after a clear)
};

}  // namespace tarsel
