#pragma once

#include <QImage>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tarsel::testing {

// A video file as FFmpeg's libraries read it back: the stream's codec, pixel format, size and
// frame rate, and every frame decoded to RGB.
struct ReadVideo {
  std::string codec;         // "h264", "vp9", ...
  std::string pixel_format;  // "yuv420p", ...
  int width = 0, height = 0;
  int rate_num = 0, rate_den = 1;  // frames per second
  std::vector<QImage> frames;
};

std::optional<ReadVideo> ReadVideoFile(const std::filesystem::path& path);

// Peak signal-to-noise ratio in dB over the red, green and blue of two pictures of one size.
double Psnr(const QImage& a, const QImage& b);

}  // namespace tarsel::testing
