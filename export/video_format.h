#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace tarsel {

// The video files tarsel-render writes, told by the ending of the name in either case: ".mp4"
// (H.264) or ".webm" (VP9). Apart from the writer, so that the command line can check a name
// without FFmpeg.
enum class VideoFormat { kNone, kMp4, kWebm };

inline VideoFormat VideoFormatOf(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  std::string end(dot == std::string_view::npos ? "" : path.substr(dot + 1));
  std::transform(end.begin(), end.end(), end.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return end == "mp4" ? VideoFormat::kMp4 : end == "webm" ? VideoFormat::kWebm : VideoFormat::kNone;
}

}  // namespace tarsel
