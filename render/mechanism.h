#pragma once

#include <string_view>
#include <vector>

#include "geometry/cam.h"
#include "geometry/configuration.h"
#include "geometry/linkage.h"
#include "geometry/piston_curve.h"
#include "render/canvas.h"
#include "render/image.h"
#include "render/palette.h"

namespace tarsel::mechanism {

// The mechanism view: a picture of its own beside the client area, never inside it. At the top
// the four-bar linkage at one crank angle (pivots O and Q on the fixed line, crank O-P, coupler
// P-R, rocker Q-R, and the angle phi under which R is seen from O); below it the slider-crank at
// one crank angle (crank, rod, piston in its cylinder, the top and bottom of the stroke
// marked). Each is drawn to scale, in the colour of the curve it drives, and scaled to fit the
// view whatever its lengths. At the top left, the cam whose lobe makes the lift profile (the
// red curve), turned to the angle under the probe, with its follower lifted by the lift there.
// Where the linkage does not close, the coupler's and the rocker's reach are drawn as two circles
// around P and Q that do not meet. It is drawn through the canvas's raster functions, so every
// front end shows the same pixels.
inline constexpr Size kSize{300, 330};

// Draws the view of configuration `c` into `image`, which becomes kSize logical pixels at
// `dpr` device pixels each, in the colours `palette` gives the curves.
void Draw(Image& image, double dpr, const Configuration& c, const LinkagePose& linkage,
          const PistonPose& piston, const CamLobe& cam, Palette palette = Palette::kExact);

// The same, for a view drawn again and again: the parts that never move (the crank circles,
// the fixed line, the pivots' bases, the cylinder and the marks of the stroke, the follower's
// guide) are drawn once for a ratio and a configuration and copied under every view, and only
// the links, the joints, the piston, phi and the cam are drawn each time. Two thirds of the view's
// strokes are in the still part.
class Painter {
 public:
  void Draw(Image& image, double dpr, const Configuration& c, const LinkagePose& linkage,
            const PistonPose& piston, const CamLobe& cam, Palette palette = Palette::kExact);

 private:
  Image still_;
  Palette still_palette_ = Palette::kExact;
  Configuration still_config_;
};

// A name that the front ends write beside a part of the view (the picture itself holds no
// text), centred on (x, y) in the view's logical pixels.
struct Label {
  std::string_view text;
  double x = 0, y = 0;
};
std::vector<Label> Labels(const Configuration& c, const LinkagePose& linkage,
                          const PistonPose& piston);

}  // namespace tarsel::mechanism
