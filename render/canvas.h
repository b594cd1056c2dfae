#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "render/image.h"
#include "render/palette.h"
#include "render/redraw_filter.h"

namespace tarsel {

// Sizes in logical pixels.
struct Size {
  int width = 0, height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// The client area and the drawing operations on it, in the user coordinate system: the
// top-left pixel corner is (-50, 10), one x unit is 962/230 logical pixels and one y unit
// 688/13, y upward. The mapping is fixed by that corner and the unit sizes, so a larger image
// only shows more of the plane to the right and below. Every front end draws through this
// class, so their pixels agree.
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
  // Device pixels per logical pixel, at the least and the most: a small screen draws the
  // design size smaller than one to one, a print or a projector larger.
  static constexpr double kLeastScale = 0.125;
  static constexpr double kMostScale = 8;
  // Device pixels across `logical` logical pixels at ratio `dpr` (a part pixel counts whole).
  static int DeviceSide(int logical, double dpr);
  // The most logical pixels a side whose image stays within kMaxDeviceSide at ratio `dpr`.
  static int MostLogicalSide(double dpr);
  // True when the image of `logical` at ratio `dpr` stays within kMaxDeviceSide on both sides.
  static bool FitsCap(Size logical, double dpr) {
    return DeviceSide(logical.width, dpr) <= kMaxDeviceSide &&
           DeviceSide(logical.height, dpr) <= kMaxDeviceSide;
  }

  // logical: client area in logical pixels; dpr: device pixels per logical pixel.
  explicit Canvas(Size logical = {kDesignWidth, kDesignHeight}, double dpr = 1);

  struct PointF {
    double x, y;
  };
  // Position in logical pixels, from the top-left corner of the client area.
  static PointF ToPixel(double x, double y) {
    return {(x - kLeft) * kPixelsPerX, (kTop - y) * kPixelsPerY};
  }
  // Lines reaching beyond this far from the client area's corner (logical pixels, either way)
  // are cut to the square first: it must not depend on the size of the image, as a larger
  // window has to show the very same pixels, and it keeps the raster arithmetic in ints.
  static constexpr double kFarAway = 1 << 18;
  // Device pixels across a width-1 line: the same wherever the line lies, and at least one.
  static int ThinLinePixels(double dpr);

  void Line(float x1, float y1, float x2, float y2, std::uint32_t colour);
  void Cls();
  void DrawWidth(int width) { width_ = width; }
  int drawWidth() const { return width_; }

  // Makes the image at least this large (logical pixels); what was drawn stays where it is
  // and the added area is white.
  void EnsureSize(Size logical);
  // Gives memory back when the window is made smaller: the image is cut to `logical`, but
  // never below the design size, once that frees a quarter of it or more (so that dragging a
  // window's edge does not copy the image at every step). What lay beyond the new edges is
  // gone: a window made larger again shows white there until the next frame draws it, and
  // frames that accumulate keep only what the smaller window showed.
  void ShrinkTo(Size logical);

  const Image& image() const { return image_; }
  Size logicalSize() const { return logical_; }
  double devicePixelRatio() const { return image_.dpr; }

  // The device pixels changed since the last call, then forgets them.
  Rect TakeDirty();
  // The logical pixels that hold the device pixels of `device`.
  Rect ToLogical(Rect device) const;

  // The colours of the lines drawn from now on (see Palette); what is on the image stays.
  void SetPalette(Palette palette);
  Palette palette() const { return palette_; }

  // Keeps the drawing calls since the last clear, so that Restyle can draw the same picture
  // again at another pixel ratio or in another palette. Off by default: only a window whose
  // ratio or palette changes while it shows a picture needs it. Turned on over a picture
  // already drawn, it keeps from the next clear.
  void KeepDrawing(bool on);
  // Draws at ratio `dpr` in `palette` from now on. With the calls since the last clear kept,
  // the image is made anew at once, exactly as if they had all been drawn that way, and the
  // result is true. Otherwise (not kept, or more than kMostKept calls since the last clear) the
  // picture stays as it is until the next clear, which starts the new image; false.
  bool Restyle(double dpr, Palette palette);
  // Calls kept at the most: a picture that piles up frames for long is not kept whole.
  static constexpr std::size_t kMostKept = std::size_t{1} << 20;

  // Width-1 lines drawn again over pixels that still show them are skipped. Off, every line
  // is drawn; tests and benchmarks compare the two.
  void SkipRedrawnLines(bool on) {
    skip_redrawn_ = on;
    filter_.Forget();
  }

 private:
  // A kept call: a line at pen width `width`, or with width 0 the image becoming x1 x y1.
  // Width -1 marks a width-1 line drawn again later, which redraws all of its pixels.
  struct Kept {
    float x1, y1, x2, y2;
    std::uint32_t colour;
    int width;
  };
  struct Style {
    double dpr;
    Palette palette;
  };
  // A new white image of `logical` at ratio `dpr`.
  void StartImage(Size logical, double dpr);
  // The image becomes `logical` (within the cap), what was drawn staying where it is.
  void ResizeTo(Size logical);
  void Keep(const Kept& call);
  // Draws the kept calls again onto a new image.
  void DrawKept(double dpr);

  Size logical_;
  Image image_;
  Palette palette_ = Palette::kExact;
  // The last substitution, remembered: consecutive lines mostly share their colour.
  std::uint32_t last_colour_ = 0, last_pixel_ = PixelColour(0);
  int width_ = 1;
  int thin_ = 1;  // ThinLinePixels of the image
  Rect dirty_;
  bool skip_redrawn_ = true;
  RedrawFilter filter_;

  bool keeping_ = false;
  bool kept_whole_ = true;          // every call since the last clear is in kept_
  bool drawn_since_clear_ = false;  // some line reached the image
  std::vector<Kept> kept_;
  Size kept_from_;                   // the logical size at the last clear
  std::vector<std::size_t> recent_;  // kept width-1 lines, recent ones: index into kept_
  std::size_t next_recent_ = 0;
  std::size_t dropped_ = 0;             // entries of kept_ marked -1
  std::optional<Style> at_next_clear_;  // a Restyle that waits for the next clear
};

}  // namespace tarsel
