#include "render/mechanism.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "animation/driver.h"
#include "geometry/language.h"
#include "geometry/same_math.h"
#include "render/pen.h"
#include "render/raster.h"

namespace tarsel::mechanism {

namespace {

// Colours of the parts, 00BBGGRR like the drawing's: the moving links in the colour of the
// curve they drive, the frame of the machine in the axis colour.
constexpr std::uint32_t kFrame = colour::kAxis;
constexpr std::uint32_t kPath = 0xC8C8C8;     // the circles the crank pins run on
constexpr std::uint32_t kOutline = 0x505050;  // around the piston's pale parts
constexpr std::uint32_t kWhite = colour::kBack;

// Where each mechanism lies in the view, in logical pixels: the origin of its own lengths
// (O for the four-bar, the crank centre for the slider-crank) and the pixels per unit of
// length.
struct Frame {
  double ox, oy, scale;
  raster::Point At(Joint j) const { return {ox + scale * j.x, oy - scale * j.y}; }
  raster::Point At(double x, double y) const { return At(Joint{x, y}); }
};

// What a mechanism covers as it moves, in its own lengths.
struct Box {
  double left, right, bottom, top;
  void Take(Joint j) {
    left = std::min(left, j.x), right = std::max(right, j.x);
    bottom = std::min(bottom, j.y), top = std::max(top, j.y);
  }
  double Width() const { return right - left; }
  double Height() const { return top - bottom; }
  friend bool operator==(const Box&, const Box&) = default;
};

// The four-bar: O, Q, the circle the crank pin runs on and the path of R over the turn (every
// degree). The built-in one spans about -7 to 31.5 across and -7 to 31 up.
Box LinkageBox(const Configuration& c) {
  const double pi = 4 * same::Atan(1.0);
  Box box{-c.crank, std::max(c.crank, c.ground), -c.crank, c.crank};
  for (int degree = 0; degree < 360; ++degree) {
    const LinkagePose pose = LinkagePoseAt(c, degree * pi / 180, pi);
    if (pose.closes) box.Take(pose.r);
  }
  return box;
}

// The slider-crank: the crank circle and the piston pin's travel along the cylinder.
Box SliderBox(const Configuration& c) {
  return {-c.piston_radius, c.piston_radius + c.rod, -c.piston_radius, c.piston_radius};
}

// The frames of the built-in mechanism, placed by hand; any other is scaled so that what it
// covers fills the same room, centred where the built-in one's centre is.
constexpr Frame kLinkageFrame{84, 171, 5.1};
constexpr Frame kSliderFrame{48, 276, 1.6};

Frame Fitted(const Frame& built_in, const Box& built_in_box, const Box& box) {
  if (box == built_in_box) return built_in;
  const double fit =
      std::min(built_in_box.Width() / box.Width(), built_in_box.Height() / box.Height());
  const double scale = built_in.scale * fit;
  const double cx = built_in.ox + built_in.scale * (built_in_box.left + built_in_box.right) / 2;
  const double cy = built_in.oy - built_in.scale * (built_in_box.bottom + built_in_box.top) / 2;
  return {cx - scale * (box.left + box.right) / 2, cy + scale * (box.bottom + box.top) / 2, scale};
}

// The view's layout for a configuration: both frames, and the piston and cylinder in the
// slider-crank's lengths. The piston keeps its size on the screen whatever the lengths.
struct Layout {
  Frame linkage, slider;
  double piston_half_length, piston_half_width, bore, cylinder_from, cylinder_to;
};

Layout LayoutOf(const Configuration& c) {
  // The last one asked for: the probe asks again and again for the same.
  static Configuration last;
  static Layout layout{};
  static bool known = false;
  if (known && last == c) return layout;
  static const Box built_in_linkage = LinkageBox(Configuration{});
  static const Box built_in_slider = SliderBox(Configuration{});
  layout.linkage = Fitted(kLinkageFrame, built_in_linkage, LinkageBox(c));
  layout.slider = Fitted(kSliderFrame, built_in_slider, SliderBox(c));
  const double unit = kSliderFrame.scale / layout.slider.scale;  // 1 for the built-in lengths
  layout.piston_half_length = 9 * unit;
  layout.piston_half_width = 10 * unit;
  layout.bore = 11 * unit;
  // From a little below the bottom of the stroke to a little beyond the top.
  layout.cylinder_from = ((c.rod - c.piston_radius) - layout.piston_half_length) - 2 * unit;
  layout.cylinder_to = ((c.piston_radius + c.rod) + layout.piston_half_length) + 2 * unit;
  last = c;
  known = true;
  return layout;
}

// The arc of phi and its label stand at a fixed distance from O on the screen.
constexpr double kPhiArc = 11 * kLinkageFrame.scale, kPhiLabel = 14 * kLinkageFrame.scale;
// Where the linkage does not close: the reach of the coupler and of the rocker.
constexpr std::uint32_t kReach = 0x3C3CC8;

// A joint: a dark ring with a white middle.
void DrawJoint(Pen& pen, raster::Point c) {
  pen.Dot(c, 4, kFrame);
  pen.Dot(c, 2, kWhite);
}

// A fixed pivot: a short base under the joint with three hatch strokes.
void Ground(Pen& pen, raster::Point c) {
  pen.Stroke({c.x - 6, c.y + 3}, {c.x, c.y}, 1.5, kFrame);
  pen.Stroke({c.x + 6, c.y + 3}, {c.x, c.y}, 1.5, kFrame);
  pen.Stroke({c.x - 9, c.y + 3}, {c.x + 9, c.y + 3}, 1.5, kFrame);
  for (int i = -1; i <= 1; ++i) {
    pen.Stroke({c.x + 6.0 * i, c.y + 3}, {c.x + 6.0 * i - 4, c.y + 8}, 1, kFrame);
  }
}

// The four-bar's parts that never move: the circle the crank pin runs on, the fixed line and
// the bases of the pivots O and Q.
void DrawLinkageFrame(Pen& pen, const Configuration& c, const Layout& layout) {
  const Frame& f = layout.linkage;
  const double pi = 4 * same::Atan(1.0);
  const raster::Point o = f.At(0, 0), q = f.At(c.ground, 0);
  pen.Arc(o, c.crank * f.scale, 0, 2 * pi, 1, kPath);
  pen.Stroke(o, q, 2, kFrame);
  Ground(pen, o);
  Ground(pen, q);
}

// Where the linkage does not close: the crank, and around P and Q the circles the coupler's
// and the rocker's free ends would have to meet on.
void DrawOpenLinkage(Pen& pen, const Configuration& c, const Frame& f, const LinkagePose& pose) {
  const double pi = 4 * same::Atan(1.0);
  const raster::Point o = f.At(pose.o), q = f.At(pose.q), p = f.At(pose.p);
  pen.Arc(p, c.coupler * f.scale, 0, 2 * pi, 1.5, kReach, true);
  pen.Arc(q, c.rocker * f.scale, 0, 2 * pi, 1.5, kReach, true);
  pen.Stroke(o, p, 5, colour::kBlue);
  for (const raster::Point j : {o, q, p}) DrawJoint(pen, j);
}

void DrawLinkage(Pen& pen, const Configuration& c, const Frame& f, const LinkagePose& pose) {
  if (!pose.closes) return DrawOpenLinkage(pen, c, f, pose);
  const double pi = 4 * same::Atan(1.0);
  const raster::Point o = f.At(pose.o), q = f.At(pose.q), p = f.At(pose.p), r = f.At(pose.r);
  // phi: the sight line from O through R, and the arc from the fixed line up to it.
  const double phi = pose.phi * pi / 180;
  const double reach = 1.15 * std::sqrt(pose.r.x * pose.r.x + pose.r.y * pose.r.y);
  pen.Dashed(o, f.At(reach * same::Cos(phi), reach * same::Sin(phi)), 1.5, 5, colour::kOlive);
  pen.Arc(o, kPhiArc, 0, phi, 2.5, colour::kOlive);
  pen.Stroke(o, p, 5, colour::kBlue);
  pen.Stroke(p, r, 5, colour::kBlue);
  pen.Stroke(q, r, 5, colour::kBlue);
  for (const raster::Point j : {o, q, p, r}) DrawJoint(pen, j);
}

// A link of the slider-crank: its pale colour inside a dark edge.
void PaleLink(Pen& pen, raster::Point a, raster::Point b) {
  pen.Stroke(a, b, 7, kOutline);
  pen.Stroke(a, b, 5, colour::kPiston);
}

// The slider-crank's parts that never move: the crank circle, the cylinder, the marks of the
// top and the bottom of the stroke, and the base of the crank's centre.
void DrawSliderFrame(Pen& pen, const Configuration& c, const Layout& layout) {
  const Frame& f = layout.slider;
  const double pi = 4 * same::Atan(1.0), bore = layout.bore;
  const double unit = kSliderFrame.scale / f.scale;
  pen.Arc(f.At(0, 0), c.piston_radius * f.scale, 0, 2 * pi, 1, kPath);
  // The cylinder: two walls and the closed end beyond the top of the stroke.
  for (const double side : {-bore, bore}) {
    pen.Stroke(f.At(layout.cylinder_from, side), f.At(layout.cylinder_to, side), 1.5, kFrame);
  }
  pen.Stroke(f.At(layout.cylinder_to, -bore), f.At(layout.cylinder_to, bore), 1.5, kFrame);
  // The top and the bottom of the stroke: where the piston pin stands at each.
  for (const double pin : {c.piston_radius + c.rod, c.rod - c.piston_radius}) {
    pen.Dashed(f.At(pin, -bore - 5 * unit), f.At(pin, bore + 5 * unit), 1, 3, kFrame);
  }
  Ground(pen, f.At(0, 0));
}

void DrawSlider(Pen& pen, const Layout& layout, const PistonPose& pose) {
  const Frame& f = layout.slider;
  const double half_length = layout.piston_half_length, half_width = layout.piston_half_width;
  // The piston, then the rod and the crank over it.
  const double xp = pose.piston_pin.x;
  pen.Fill(f.At(xp - half_length, half_width), f.At(xp + half_length, -half_width), kOutline);
  pen.Fill({f.At(xp - half_length, 0).x + 1.5, f.At(0, half_width).y + 1.5},
           {f.At(xp + half_length, 0).x - 1.5, f.At(0, -half_width).y - 1.5}, colour::kPiston);
  const raster::Point centre = f.At(0, 0), crank_pin = f.At(pose.crank_pin),
                      piston_pin = f.At(pose.piston_pin);
  PaleLink(pen, crank_pin, piston_pin);
  PaleLink(pen, centre, crank_pin);
  for (const raster::Point j : {centre, crank_pin, piston_pin}) DrawJoint(pen, j);
}

// The cam: its centre and the radius its highest point reaches, in logical pixels, in the
// corner above O that no position of the built-in linkage reaches. The follower's stem is a
// fixed length and slides in a guide that it never leaves between the base circle and the
// peak (the base circle is 0.6 of the room, see CamAt).
constexpr raster::Point kCamCentre{44, 84};
constexpr double kCamReach = 34, kStem = 30;
constexpr double kGuideFrom = kCamCentre.y - kCamReach - 14,
                 kGuideTo = kCamCentre.y - kCamReach - 2;

void DrawGuide(Pen& pen) {
  for (const double side : {-6.0, 6.0}) {
    pen.Stroke({kCamCentre.x + side, kGuideFrom}, {kCamCentre.x + side, kGuideTo}, 1.5, kFrame);
  }
}

// The lobe's contour around its centre, the base circle inside it, and the follower resting on
// the contour straight above the centre.
void DrawCam(Pen& pen, const CamLobe& cam) {
  // A profile whose lifts are near the largest double has a contour that overflows: no cam.
  if (cam.contour.empty() || !(cam.base + cam.peak > 0) || !std::isfinite(cam.base + cam.peak)) {
    return;
  }
  const double pi = 4 * same::Atan(1.0);
  const double scale = kCamReach / (cam.base + cam.peak);
  const auto at = [&](Joint j) {
    return raster::Point{kCamCentre.x + scale * j.x, kCamCentre.y - scale * j.y};
  };
  pen.Arc(kCamCentre, cam.base * scale, 0, 2 * pi, 1, kPath);
  raster::Point last = at(cam.contour.back());
  for (const Joint j : cam.contour) {
    const raster::Point next = at(j);
    pen.Stroke(last, next, 2, colour::kRed);
    last = next;
  }
  const raster::Point foot{kCamCentre.x, kCamCentre.y - scale * (cam.base + cam.lift)};
  pen.Stroke(foot, {foot.x, foot.y - kStem}, 5, colour::kRed);
  pen.Dot(foot, 3, colour::kRed);
  DrawJoint(pen, kCamCentre);
}

}  // namespace

void Painter::Draw(Image& image, double dpr, const Configuration& c, const LinkagePose& linkage,
                   const PistonPose& piston, const CamLobe& cam, Palette palette) {
  const Layout layout = LayoutOf(c);
  if (still_.pixels.empty() || still_.dpr != dpr || still_palette_ != palette ||
      still_config_ != c) {
    still_ =
        Image(Canvas::DeviceSide(kSize.width, dpr), Canvas::DeviceSide(kSize.height, dpr), dpr);
    still_palette_ = palette;
    still_config_ = c;
    Pen pen(still_, dpr, palette);
    DrawLinkageFrame(pen, c, layout);
    DrawSliderFrame(pen, c, layout);
    DrawGuide(pen);
  }
  if (image.width != still_.width || image.height != still_.height || image.dpr != dpr) {
    image = still_;
  } else {
    std::copy(still_.pixels.begin(), still_.pixels.end(), image.pixels.begin());
  }
  Pen pen(image, dpr, palette);
  DrawLinkage(pen, c, layout.linkage, linkage);
  DrawSlider(pen, layout, piston);
  DrawCam(pen, cam);
}

void Draw(Image& image, double dpr, const Configuration& c, const LinkagePose& linkage,
          const PistonPose& piston, const CamLobe& cam, Palette palette) {
  Painter().Draw(image, dpr, c, linkage, piston, cam, palette);
}

std::vector<Label> Labels(const Configuration& c, const LinkagePose& linkage,
                          const PistonPose& piston) {
  const Layout layout = LayoutOf(c);
  const Frame& f = layout.linkage;
  const double pi = 4 * same::Atan(1.0);
  // A joint's name a little outside the mechanism: along the direction from `from` to it.
  const auto beside = [](raster::Point from, raster::Point at, double gap) {
    const double dx = at.x - from.x, dy = at.y - from.y;
    const double d = std::max(1e-9, std::sqrt(dx * dx + dy * dy));
    return raster::Point{at.x + gap * (at.x - from.x) / d, at.y + gap * (at.y - from.y) / d};
  };
  const raster::Point o = f.At(linkage.o), q = f.At(linkage.q), p = f.At(linkage.p),
                      r = f.At(linkage.r);
  const raster::Point mid_pr{(p.x + r.x) / 2, (p.y + r.y) / 2};
  const raster::Point p_label = beside(mid_pr, p, 13), r_label = beside(q, r, 12);
  const double half_phi = linkage.phi * pi / 360;
  const double phi_label_at = kPhiLabel / f.scale;  // 14 in the built-in lengths
  const raster::Point phi_label =
      f.At(phi_label_at * same::Cos(half_phi), phi_label_at * same::Sin(half_phi));
  const Frame& s = layout.slider;
  const double above = layout.bore + 11 * kSliderFrame.scale / s.scale;
  const raster::Point top = s.At(c.piston_radius + c.rod, above);
  const raster::Point bottom = s.At(c.rod - c.piston_radius, above);
  const raster::Point crank_pin = beside(s.At(0, 0), s.At(piston.crank_pin), 12);
  std::vector<Label> labels = {
      {"O", o.x - 12, o.y - 9},
      {"Q", q.x + 12, q.y - 9},
      {"P", p_label.x, p_label.y},
      {"R", r_label.x, r_label.y},
      {"φ", phi_label.x, phi_label.y},
      // TRANSLATORS: names in the mechanism view of the slider-crank: where the piston stands
      // at top dead centre, at bottom dead centre, and its crank pin. Short words.
      {TrC("mechanism view", "top"), top.x, top.y},
      {TrC("mechanism view", "bottom"), bottom.x, bottom.y},
      {TrC("mechanism view", "crank"), crank_pin.x, crank_pin.y}};
  // Where the linkage does not close there is no R, and no phi to name.
  if (!linkage.closes) {
    std::erase_if(labels, [](const Label& l) { return l.text == "R" || l.text == "φ"; });
  }
  // Within the view, with room for a short word on either side of its centre.
  for (Label& l : labels) {
    const double half = 6.0 + 3.5 * static_cast<double>(l.text.size());
    l.x = std::clamp(l.x, half, kSize.width - half);
    l.y = std::clamp(l.y, 8.0, kSize.height - 8.0);
  }
  return labels;
}

}  // namespace tarsel::mechanism
