#include "tools/outputs.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "animation/driver.h"
#include "export/png_file.h"

namespace tarsel {

std::string Outputs::OpenLog(const std::string& path) {
  if (path == "-") {
    log_ = stdout;
  } else {
    owned_log_.reset(std::fopen(path.c_str(), "w"));
    if (!owned_log_) return "cannot write log '" + path + "': " + std::strerror(errno);
    log_ = owned_log_.get();
  }
  static char buffer[1 << 16];
  std::setvbuf(log_, buffer, _IOFBF, sizeof buffer);
  return "";
}

std::string Outputs::OpenGif(const std::string& path, Size size, int delay_ms) {
  if (std::string error = gif_file_.Open(path); !error.empty()) return error;
  // The colours the program draws with (in the palette asked for) stay exact in every GIF frame.
  std::vector<std::uint32_t> keep;
  for (const std::uint32_t c : colour::kAll) {
    keep.push_back(PixelRgb(PixelColour(Substitute(options_.palette, c))));
  }
  gif_.emplace(gif_file_);
  return gif_->Open(size, delay_ms, std::move(keep));
}

std::string Outputs::Open(const Options& options, Size size, long expected_frames) {
  options_ = options;
  progress_.emplace(expected_frames);
  if (options.label) labeller_.emplace();
  std::string error;
  if (!options.log.empty() && !(error = OpenLog(options.log)).empty()) return error;
  if (!options.png.empty()) {
    // Find out now, before the run, whether the picture can be written at all.
    std::FILE* probe = std::fopen(options.png.c_str(), "ab");
    if (!probe) return "cannot write '" + options.png + "': " + std::strerror(errno);
    std::fclose(probe);
  }
  if (!options.frames.empty()) {
    frames_.emplace();
    if (!(error = frames_->Open(options.frames, options.force)).empty()) return error;
  }
  if (!options.gif.empty() && !(error = OpenGif(options.gif, size, options.delay_ms)).empty()) {
    return error;
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

// A run that ends before its first wait still gives a valid GIF and video: the picture at its
// end.
std::string Outputs::FinishAnimations(const Image& last) {
  std::string error;
  if (gif_) {
    if (gif_->count() == 0 && !(error = gif_->Add(last)).empty()) return error;
    if (!(error = gif_->Finish()).empty()) return error;
  }
  if (video_) {
    if (video_->count() == 0 && !(error = video_->Add(last)).empty()) return error;
    if (!(error = video_->Finish()).empty()) return error;
  }
  return "";
}

std::string Outputs::Finish(const Image* drawn, const SharedState& state) {
  progress_->Finish();
  if (log_ && (std::fflush(log_) != 0 || std::ferror(log_))) {
    return "writing the log failed: " + std::string(std::strerror(errno));
  }
  const Image* picture = drawn && labeller_ ? &labeller_->Apply(*drawn, state) : drawn;
  std::string error;
  if (frames_ && !(error = frames_->Finish()).empty()) return error;
  if ((gif_ || video_) && !(error = FinishAnimations(*picture)).empty()) return error;
  if (!options_.png.empty()) error = WritePng(*picture, options_.png);
  return error;
}

}  // namespace tarsel
