#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "export/safe_file.h"
#include "export/video_format.h"
#include "render/canvas.h"
#include "render/image.h"

struct AVCodec;  // FFmpeg's, of which video.cpp alone sees more

namespace tarsel {

// The frames of a replay as a video for slides and course pages, through FFmpeg's libraries:
// ".mp4" is H.264, ".webm" VP9, both 4:2:0 as browsers and presentation programs play them.
//
// 4:2:0 keeps one colour sample for each 2 x 2 block of pixels, so a curve one pixel wide on
// white loses most of its colour to the blocks it shares with the background. Each picture
// pixel is therefore repeated `repeat` times each way (2 by default): then every block holds
// one pixel of the picture and its colour survives whole. Drawing at a higher scale instead
// makes lines wider too, and they still straddle blocks.
class VideoFrames {
 public:
  VideoFrames();
  ~VideoFrames();
  VideoFrames(const VideoFrames&) = delete;
  VideoFrames& operator=(const VideoFrames&) = delete;

  // The threads each encoder runs on.
  static constexpr int kThreads = 4;
  // The memory a video of pictures of `size` device pixels takes while it is written (the
  // encoder's frames, the enlarged picture), in bytes; measured with kThreads threads.
  static std::uint64_t MemoryNeed(Size size, int repeat, VideoFormat format);

  // Starts the file (safely, export/safe_file.h) for pictures of `size` device pixels, each
  // shown `delay_ms`. Returns an empty string or the reason it failed.
  std::string Open(const std::string& path, Size size, int delay_ms, int repeat);
  std::string Add(const Image& picture);
  // Encodes what the coder still holds and completes the file under its temporary name.
  std::string Finish();
  // Puts the completed file in place of any earlier one.
  std::string Commit();
  // Removes the file written so far, unless committed; the encoder is left as it is.
  void Discard() { file_.Discard(); }
  int count() const { return count_; }
  // The size of the video's frames: the picture's times `repeat`, rounded up to even numbers.
  Size frame_size() const { return frame_size_; }

 private:
  struct Codec;
  void SetUpCoder(int delay_ms, bool webm);
  std::string OpenEncoder(const AVCodec* encoder, bool webm);
  std::string OpenConversion();
  std::string WriteHeader(bool webm);
  std::string Encode(bool last);
  // pattern: a translated sentence with %s for the file's name (quoted), then %s for the reason.
  std::string Error(const char* pattern, int code) const;

  SafeFile file_;
  std::unique_ptr<Codec> codec_;
  Size frame_size_;
  int repeat_ = 2;
  int count_ = 0;
  std::vector<std::uint32_t> enlarged_;
};

}  // namespace tarsel
