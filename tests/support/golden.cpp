#include "tests/support/golden.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "export/png_file.h"

namespace tarsel::testing {

namespace {

bool Recording() {
  const char* v = std::getenv("TARSEL_RECORD_GOLDENS");
  return v && std::string_view(v) == "1";
}

int ChannelDifference(std::uint32_t a, std::uint32_t b) {
  int most = 0;
  for (const int shift : {0, 8, 16}) {
    most = std::max(most, std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)));
  }
  return most;
}

// The golden faded to a quarter of its contrast, with every differing pixel red; where the
// sizes differ, the part they share.
Image Difference(const Image& golden, const Image& actual) {
  Image diff(std::max(golden.width, actual.width), std::max(golden.height, actual.height), 1);
  for (int y = 0; y < diff.height; ++y) {
    for (int x = 0; x < diff.width; ++x) {
      const bool in_golden = x < golden.width && y < golden.height;
      const bool in_actual = x < actual.width && y < actual.height;
      std::uint32_t& out = diff.row(y)[x];
      if (!in_golden || !in_actual) {
        out = 0xFFFF00FF;  // magenta: outside one of the two
      } else if (golden.pixel(x, y) != actual.pixel(x, y)) {
        out = 0xFFFF0000;
      } else {
        const std::uint32_t g = golden.pixel(x, y);
        std::uint32_t faded = 0xFF000000;
        for (const int shift : {0, 8, 16}) {
          faded |= (0xC0 + (g >> shift & 0xFF) / 4) << shift;
        }
        out = faded;
      }
    }
  }
  return diff;
}

}  // namespace

std::string CompareWithGolden(const Image& actual, const std::string& golden_dir,
                              const std::string& output_dir, const std::string& name) {
  namespace fs = std::filesystem;
  const std::string golden_path = (fs::path(golden_dir) / (name + ".png")).string();
  if (Recording()) {
    const std::string error = WritePng(actual, golden_path);
    return error.empty() ? "" : "recording the golden failed: " + error;
  }
  std::string error;
  const auto golden = ReadPng(golden_path, &error);
  if (!golden) return error + " (TARSEL_RECORD_GOLDENS=1 records it)";

  long differing = 0;
  int most = 0;
  const bool same_size = golden->width == actual.width && golden->height == actual.height;
  if (same_size) {
    for (std::size_t i = 0; i < actual.pixels.size(); ++i) {
      if (golden->pixels[i] == actual.pixels[i]) continue;
      ++differing;
      most = std::max(most, ChannelDifference(golden->pixels[i], actual.pixels[i]));
    }
    if (differing == 0) return "";
  }

  fs::create_directories(fs::path(output_dir) / "golden-failures");
  const std::string stem = (fs::path(output_dir) / "golden-failures" / name).string();
  WritePng(actual, stem + ".actual.png");
  WritePng(Difference(*golden, actual), stem + ".diff.png");
  std::string what = same_size
                         ? std::to_string(differing) + " pixels differ from the golden (by up to " +
                               std::to_string(most) + " levels)"
                         : "the picture is " + std::to_string(actual.width) + "x" +
                               std::to_string(actual.height) + ", the golden " +
                               std::to_string(golden->width) + "x" + std::to_string(golden->height);
  return name + ": " + what + "; see " + stem + ".actual.png and " + stem +
         ".diff.png (TARSEL_RECORD_GOLDENS=1 rewrites the golden on purpose)";
}

}  // namespace tarsel::testing
