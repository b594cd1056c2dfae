#include "tools/outputs.h"

#include <cerrno>
#include <cstring>

#include "animation/driver.h"
#include "export/png_file.h"

namespace tarsel {

std::string Outputs::Open(const Options& options, Size size, long expected_frames) {
  options_ = options;
  progress_.emplace(expected_frames);
  if (options.label) labeller_.emplace();
  if (!options.log.empty()) {
    if (options.log == "-") {
      log_ = stdout;
    } else {
      owned_log_.reset(std::fopen(options.log.c_str(), "w"));
      if (!owned_log_) {
        return "cannot write log '" + options.log + "': " + std::strerror(errno);
      }
      log_ = owned_log_.get();
    }
    static char buffer[1 << 16];
    std::setvbuf(log_, buffer, _IOFBF, sizeof buffer);
  }
  if (!options.png.empty()) {
    // Find out now, before the run, whether the picture can be written at all.
    std::FILE* probe = std::fopen(options.png.c_str(), "ab");
    if (!probe) return "cannot write '" + options.png + "': " + std::strerror(errno);
    std::fclose(probe);
  }
  std::string error;
  if (!options.frames.empty()) {
    frames_.emplace();
    if (!(error = frames_->Open(options.frames, options.force)).empty()) return error;
  }
  if (!options.gif.empty()) {
    // The colours the program draws with stay exact in every GIF frame.
    std::vector<QRgb> keep;
    for (const std::uint32_t c : colour::kAll) {
      keep.push_back(PixelColour(Substitute(options.palette, c)) & 0xFFFFFF);
    }
    gif_.emplace();
    error = gif_->Open(options.gif, QSize(size.width, size.height), options.delay_ms, keep);
    if (!error.empty()) return error;
  }
  if (!options.video.empty()) {
    video_.emplace();
    error = video_->Open(options.video, size, options.delay_ms, options.video_scale);
  }
  return error;
}

std::string Outputs::Frame(const Image* drawn, const SharedState& state) {
  progress_->Frame();
  if (!frames_ && !gif_ && !video_) return "";
  const Image& picture = labeller_ ? labeller_->Apply(*drawn, state) : *drawn;
  std::string error;
  if (frames_) error = frames_->Add(picture);
  if (error.empty() && gif_) error = gif_->Add(picture);
  if (error.empty() && video_) error = video_->Add(picture);
  // The run stops here: the message gets a line of its own.
  if (!error.empty()) progress_->Finish();
  return error;
}

std::string Outputs::Finish(const Image* drawn, const SharedState& state) {
  progress_->Finish();
  if (log_ && (std::fflush(log_) != 0 || std::ferror(log_))) {
    return "writing the log failed: " + std::string(std::strerror(errno));
  }
  const Image* picture = drawn && labeller_ ? &labeller_->Apply(*drawn, state) : drawn;
  std::string error;
  if (frames_ && !(error = frames_->Finish()).empty()) return error;
  if (gif_) {
    // A run that ends before its first wait still gives a valid GIF: the picture at its end.
    if (gif_->count() == 0 && !(error = gif_->Add(*picture)).empty()) return error;
    if (!(error = gif_->Finish()).empty()) return error;
  }
  if (video_) {
    if (video_->count() == 0 && !(error = video_->Add(*picture)).empty()) return error;
    if (!(error = video_->Finish()).empty()) return error;
  }
  if (!options_.png.empty()) error = WritePng(*picture, options_.png);
  return error;
}

}  // namespace tarsel
