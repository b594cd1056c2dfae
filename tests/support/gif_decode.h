#pragma once

#include <QImage>
#include <filesystem>
#include <optional>
#include <vector>

namespace tarsel::testing {

// The frames of a GIF as the viewer shows them, each drawn over the one before, with the
// delay and whether the file asks to loop.
struct DecodedGif {
  std::vector<QImage> frames;
  std::vector<int> delays_cs;
  bool loops = false;
};

// Decodes with giflib, frame by frame.
std::optional<DecodedGif> DecodeGif(const std::filesystem::path& path);

}  // namespace tarsel::testing
