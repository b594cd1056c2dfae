#pragma once

#include <QImage>
#include <cstdint>
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

// Decodes with giflib, frame by frame: the test's own compositing of each frame's rectangle,
// palette and transparent entry over the one before.
std::optional<DecodedGif> DecodeGif(const std::filesystem::path& path);
// The same from the bytes of a GIF in memory.
std::optional<DecodedGif> DecodeGif(const std::vector<std::uint8_t>& bytes);

// The same with Qt's GIF reader, a decoder written by others: what a viewer shows.
std::optional<DecodedGif> DecodeGifWithQt(const std::filesystem::path& path);

}  // namespace tarsel::testing
