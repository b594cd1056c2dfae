// The two palettes: the distinguishable colours stay apart for the common colour-vision
// deficiencies and stand out on white, the legend's pen widths are the drawing's, and the
// canvas draws the same picture again at another scale or in another palette.
#include "render/palette.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "export/replay.h"
#include "input/script.h"
#include "render/canvas.h"
#include "tests/support/colours.h"
#include "tests/support/replay_log.h"

namespace tarsel {
namespace {

using Rgb = std::array<double, 3>;  // 0 to 255, gamma-encoded sRGB

Rgb FromWindow(std::uint32_t c) {
  return {double(c & 0xFF), double(c >> 8 & 0xFF), double(c >> 16 & 0xFF)};
}

double Linear(double v) {
  v /= 255;
  return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double Encoded(double l) {
  l = std::clamp(l, 0.0, 1.0);
  return 255 * (l <= 0.0031308 ? 12.92 * l : 1.055 * std::pow(l, 1 / 2.4) - 0.055);
}

// The colour as a viewer with a full protanopia, deuteranopia or tritanopia sees it: the
// matrices of Machado, Oliveira and Fernandes (2009) at severity 1.0, on linear RGB.
using Matrix = std::array<std::array<double, 3>, 3>;
const std::map<std::string, Matrix> kVision = {
    {"normal", {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}},
    {"protanopia",
     {{{0.152286, 1.052583, -0.204868},
       {0.114503, 0.786281, 0.099216},
       {-0.003882, -0.048116, 1.051998}}}},
    {"deuteranopia",
     {{{0.367322, 0.860646, -0.227968},
       {0.280085, 0.672501, 0.047413},
       {-0.011820, 0.042940, 0.968881}}}},
    {"tritanopia",
     {{{1.255528, -0.076749, -0.178779},
       {-0.078411, 0.930809, 0.147602},
       {0.004733, 0.691367, 0.303900}}}},
};

Rgb Seen(const Rgb& c, const Matrix& m) {
  const Rgb l{Linear(c[0]), Linear(c[1]), Linear(c[2])};
  Rgb out;
  for (int i = 0; i < 3; ++i) out[i] = Encoded(m[i][0] * l[0] + m[i][1] * l[1] + m[i][2] * l[2]);
  return out;
}

// CIELAB under D65.
Rgb Lab(const Rgb& c) {
  const double r = Linear(c[0]), g = Linear(c[1]), b = Linear(c[2]);
  const double x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047;
  const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
  const double z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883;
  const auto f = [](double t) {
    constexpr double d = 6.0 / 29;
    return t > d * d * d ? std::cbrt(t) : t / (3 * d * d) + 4.0 / 29;
  };
  return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

double Degrees(double r) {
  return r * 180 / M_PI;
}
double Radians(double d) {
  return d * M_PI / 180;
}

// The CIEDE2000 colour difference of two CIELAB colours (Sharma, Wu and Dalal's formulation).
double DeltaE2000Lab(const Rgb& l1, const Rgb& l2) {
  const double cb = (std::hypot(l1[1], l1[2]) + std::hypot(l2[1], l2[2])) / 2;
  const double g = 0.5 * (1 - std::sqrt(std::pow(cb, 7) / (std::pow(cb, 7) + std::pow(25, 7))));
  const double a1 = (1 + g) * l1[1], a2 = (1 + g) * l2[1];
  const double cp1 = std::hypot(a1, l1[2]), cp2 = std::hypot(a2, l2[2]);
  const auto hue = [](double b, double a) {
    const double h = Degrees(std::atan2(b, a));
    return h < 0 ? h + 360 : h;
  };
  const double h1 = hue(l1[2], a1), h2 = hue(l2[2], a2);
  double dh = cp1 * cp2 == 0 ? 0 : h2 - h1;
  if (dh > 180) dh -= 360;
  if (dh < -180) dh += 360;
  const double dL = l2[0] - l1[0], dC = cp2 - cp1;
  const double dH = 2 * std::sqrt(cp1 * cp2) * std::sin(Radians(dh / 2));
  const double lb = (l1[0] + l2[0]) / 2, cbp = (cp1 + cp2) / 2;
  double hb = h1 + h2;
  if (cp1 * cp2 != 0) hb = std::abs(h1 - h2) <= 180 ? hb / 2 : (hb < 360 ? hb + 360 : hb - 360) / 2;
  const double t = 1 - 0.17 * std::cos(Radians(hb - 30)) + 0.24 * std::cos(Radians(2 * hb)) +
                   0.32 * std::cos(Radians(3 * hb + 6)) - 0.20 * std::cos(Radians(4 * hb - 63));
  const double rc = 2 * std::sqrt(std::pow(cbp, 7) / (std::pow(cbp, 7) + std::pow(25, 7)));
  const double rt = -std::sin(Radians(2 * 30 * std::exp(-std::pow((hb - 275) / 25, 2)))) * rc;
  const double sl = 1 + 0.015 * (lb - 50) * (lb - 50) / std::sqrt(20 + (lb - 50) * (lb - 50));
  const double sc = 1 + 0.045 * cbp, sh = 1 + 0.015 * cbp * t;
  return std::sqrt(std::pow(dL / sl, 2) + std::pow(dC / sc, 2) + std::pow(dH / sh, 2) +
                   rt * (dC / sc) * (dH / sh));
}

double DeltaE2000(const Rgb& c1, const Rgb& c2) {
  return DeltaE2000Lab(Lab(c1), Lab(c2));
}

double ContrastOnWhite(const Rgb& c) {
  const double y = 0.2126 * Linear(c[0]) + 0.7152 * Linear(c[1]) + 0.0722 * Linear(c[2]);
  return 1.05 / (y + 0.05);
}

// The least difference between two curves that can be on the picture in the same frame (a
// frame shows either the olive curve or the four derivative curves), under each vision.
struct Closest {
  double distance = 1e9;
  std::string vision, first, second;
};
Closest ClosestPair(Palette palette) {
  Closest worst;
  for (const auto& [vision, m] : kVision) {
    for (const Curve& a : kCurves) {
      for (const Curve& b : kCurves) {
        if (&a >= &b ||
            (a.shown != Shown::kAlways && b.shown != Shown::kAlways && a.shown != b.shown)) {
          continue;
        }
        const double d = DeltaE2000(Seen(FromWindow(Substitute(palette, a.colour)), m),
                                    Seen(FromWindow(Substitute(palette, b.colour)), m));
        if (d < worst.distance) worst = {d, vision, std::string(a.name), std::string(b.name)};
      }
    }
  }
  return worst;
}

TEST(Palette, DistanceAgreesWithPublishedPairs) {
  // Pairs 1, 17 and 18 of Sharma, Wu and Dalal's test data.
  EXPECT_NEAR(DeltaE2000Lab({50, 2.6772, -79.7751}, {50, 0, -82.7485}), 2.0425, 1e-4);
  EXPECT_NEAR(DeltaE2000Lab({50, 2.5, 0}, {73, 25, -18}), 27.1492, 1e-4);
  EXPECT_NEAR(DeltaE2000Lab({50, 2.5, 0}, {61, -5, 29}), 22.8977, 1e-4);
  EXPECT_EQ(DeltaE2000({10, 200, 30}, {10, 200, 30}), 0);
  EXPECT_NEAR(DeltaE2000({0, 0, 0}, {255, 255, 255}), 100, 0.01);
  EXPECT_DOUBLE_EQ(DeltaE2000({255, 0, 0}, {0, 0, 255}), DeltaE2000({0, 0, 255}, {255, 0, 0}));
  // A deuteranope sees pure red and pure green as two dull yellows close together.
  const Matrix& d = kVision.at("deuteranopia");
  EXPECT_LT(DeltaE2000(Seen({255, 0, 0}, d), Seen({0, 255, 0}, d)),
            DeltaE2000({255, 0, 0}, {0, 255, 0}) / 2);
}

TEST(Palette, DistinguishableColoursStayApartUnderEachDeficiency) {
  const Closest worst = ClosestPair(Palette::kDistinguishable);
  EXPECT_GE(worst.distance, 14) << worst.first << " and " << worst.second << " for "
                                << worst.vision;
  // The exact colours do not: a deuteranope's green, olive and light orange run together.
  const Closest exact = ClosestPair(Palette::kExact);
  EXPECT_LT(exact.distance, 7) << exact.first << " and " << exact.second;
}

TEST(Palette, EveryDistinguishableCurveHasThreeToOneOnWhite) {
  for (const Curve& c : kCurves) {
    EXPECT_GE(ContrastOnWhite(FromWindow(c.distinguishable)), 3) << c.distinguishable_name;
  }
  // The exact light green is what washes out on a projector.
  EXPECT_LT(ContrastOnWhite(FromWindow(testing::kGreen)), 1.5);
}

TEST(Palette, NamesAndSubstitution) {
  EXPECT_EQ(PaletteNamed("exact"), Palette::kExact);
  EXPECT_EQ(PaletteNamed("distinguishable"), Palette::kDistinguishable);
  EXPECT_EQ(PaletteNamed("Exact"), std::nullopt);
  EXPECT_EQ(PaletteNamed(""), std::nullopt);
  for (const Palette p : {Palette::kExact, Palette::kDistinguishable}) {
    EXPECT_EQ(PaletteNamed(NameOf(p)), p);
  }
  EXPECT_EQ(Substitute(Palette::kExact, testing::kGreen), testing::kGreen);
  EXPECT_NE(Substitute(Palette::kDistinguishable, testing::kGreen), testing::kGreen);
  // The back colour and the axis stay; colours no curve has pass through.
  EXPECT_EQ(Substitute(Palette::kDistinguishable, testing::kBack), testing::kBack);
  EXPECT_EQ(Substitute(Palette::kDistinguishable, testing::kAxis), testing::kAxis);
  EXPECT_EQ(Substitute(Palette::kDistinguishable, 0x123456), 0x123456u);
}

TEST(Palette, LegendWidthsAreTheDrawingsAndEveryColourIsInIt) {
  // Every line of a frame with and of one without the derivative curves, with the pen width in
  // force when it is drawn.
  std::istringstream log(testing::DrawLog("97 8 97"));
  std::map<std::uint32_t, std::set<int>> widths;
  int width = 1;
  for (std::string line; std::getline(log, line);) {
    if (line.starts_with("W ")) width = std::stoi(line.substr(2));
    if (!line.starts_with("L ")) continue;
    widths[std::stoul(line.substr(line.rfind(' ') + 1))].insert(width);
  }
  EXPECT_EQ(widths.size(), std::size(kCurves));
  for (const Curve& c : kCurves) {
    EXPECT_EQ(widths[c.colour], std::set<int>{c.width}) << c.name;
  }
}

// The canvas of a replay of `script` (with a resize to `grown` after the first frame when it is
// set), drawn at `dpr` in `palette` from the start or restyled to them at `restyle_at_frame`.
Image Drawn(const std::string& script, double dpr, Palette palette, int restyle_at_frame = 0,
            Size grown = {}) {
  Canvas canvas({700, 500}, restyle_at_frame ? 1.0 : dpr);
  canvas.KeepDrawing(true);
  if (!restyle_at_frame) canvas.SetPalette(palette);
  Replay replay(*ParseScript(script, nullptr), nullptr, &canvas);
  int frame = 0;
  replay.OnWait([&] {
    ++frame;
    if (frame == 1 && grown.width) canvas.EnsureSize(grown);
    if (frame == restyle_at_frame) {
      EXPECT_TRUE(canvas.Restyle(dpr, palette));
    }
    return true;
  });
  replay.Run();
  return canvas.image();
}

TEST(Restyle, RedrawsExactlyAsIfDrawnThatWayFromTheStart) {
  // Frames piling up ("/"), a key inside a pass, the derivatives, a larger client area in
  // between: the picture at another ratio and palette is the one drawn that way throughout.
  const std::string script = "47 97 97@450 8 97 97";
  for (const double dpr : {0.5, 1.5, 2.0}) {
    for (const Palette p : {Palette::kExact, Palette::kDistinguishable}) {
      const Image direct = Drawn(script, dpr, p, 0, {900, 600});
      const Image restyled = Drawn(script, dpr, p, 4, {900, 600});
      EXPECT_EQ(direct.width, restyled.width);
      EXPECT_TRUE(direct == restyled) << "ratio " << dpr << ", " << NameOf(p);
    }
  }
}

TEST(Restyle, WithoutKeptCallsItWaitsForTheNextClear) {
  Canvas canvas({200, 100}, 1);
  canvas.DrawWidth(3);
  canvas.Line(-40, 9, 0, 9, testing::kGreen);
  canvas.KeepDrawing(true);  // over a picture already drawn: its calls are unknown
  const Image before = canvas.image();
  EXPECT_FALSE(canvas.Restyle(2, Palette::kDistinguishable));
  EXPECT_TRUE(canvas.image() == before);
  canvas.Cls();
  EXPECT_EQ(canvas.devicePixelRatio(), 2);
  EXPECT_EQ(canvas.image().width, 400);
  EXPECT_EQ(canvas.palette(), Palette::kDistinguishable);
  canvas.Line(-40, 9, 0, 9, testing::kGreen);
  Canvas direct({200, 100}, 2);
  direct.SetPalette(Palette::kDistinguishable);
  direct.DrawWidth(3);
  direct.Line(-40, 9, 0, 9, testing::kGreen);
  EXPECT_TRUE(canvas.image() == direct.image());
  // From that clear on the calls are kept again.
  EXPECT_TRUE(canvas.Restyle(1, Palette::kExact));
}

TEST(Restyle, SubstitutesOnlyOnTheScreen) {
  Canvas canvas({100, 60}, 1);
  canvas.SetPalette(Palette::kDistinguishable);
  canvas.DrawWidth(1);
  canvas.Line(-50, 9, 0, 9, testing::kGreen);
  const int row = static_cast<int>(Canvas::ToPixel(0, 9).y);
  EXPECT_EQ(canvas.image().pixel(5, row),
            PixelColour(Substitute(Palette::kDistinguishable, testing::kGreen)));
}

}  // namespace
}  // namespace tarsel
