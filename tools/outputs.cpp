#include "tools/outputs.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "export/data_csv.h"
#include "export/png_file.h"
#include "export/svg_file.h"
#include "export/sweep_gif.h"
#include "render/probe_view.h"
#include "tools/pdf_file.h"

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
  gif_.emplace(gif_file_);
  return gif_->Open(size, delay_ms, DrawingColours(options_.palette));
}

std::string Outputs::Open(const Options& options, Size size, long expected_frames) {
  options_ = options;
  device_ = size;
  progress_.emplace(expected_frames);
  if (options.label) labeller_.emplace();
  std::string error;
  if (!options.log.empty() && !(error = OpenLog(options.log)).empty()) return error;
  // Find out now, before the run, whether each file can be written at all.
  for (const std::string* path : {&options.png, &options.csv, &options.piston_csv,
                                  &options.mechanism, &options.svg, &options.pdf}) {
    if (path->empty()) continue;
    std::FILE* probe = std::fopen(path->c_str(), "ab");
    if (!probe) return "cannot write '" + *path + "': " + std::strerror(errno);
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
  // A sweep's frames start at the frame its keys lead to.
  if (++waits_ < options_.first_frame || (!frames_ && !gif_ && !video_)) return "";
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
  if (!options_.png.empty() && !(error = WritePng(*picture, options_.png)).empty()) return error;
  return WriteData(state);
}

namespace {

// Writes `text` to `path` under a temporary name first, renamed when it is complete, so that an
// interrupted run never leaves half a table where a whole one was.
std::string WriteText(const std::string& path, const std::string& text) {
  const std::string part = path + ".part";
  std::FILE* f = std::fopen(part.c_str(), "wb");
  if (!f) return "cannot write '" + path + "': " + std::strerror(errno);
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  const int saved = errno;
  if (std::fclose(f) != 0 || !written) {
    std::remove(part.c_str());
    return "writing '" + path + "' failed: " + std::strerror(written ? errno : saved);
  }
  if (std::rename(part.c_str(), path.c_str()) != 0) {
    std::remove(part.c_str());
    return "cannot write '" + path + "': " + std::strerror(errno);
  }
  return "";
}

}  // namespace

std::string Outputs::WriteData(const SharedState& state) {
  std::string error;
  if (!options_.csv.empty() && !(error = WriteText(options_.csv, LinkageCsv(state))).empty()) {
    return error;
  }
  if (!options_.piston_csv.empty() &&
      !(error = WriteText(options_.piston_csv, PistonCsv(state))).empty()) {
    return error;
  }
  if (!options_.mechanism.empty()) {
    ProbeView view;
    view.Update(state, options_.probe, options_.scale, options_.palette);
    error = WritePng(view.picture(), options_.mechanism);
  }
  return error.empty() ? WriteVectors() : error;
}

std::string Outputs::WriteVectors() {
  using Writer = std::string (*)(const LineRecord&, Size, double, Palette, std::string*);
  for (const auto& [path, write] :
       {std::pair<const std::string&, Writer>{options_.svg, SvgPicture},
        std::pair<const std::string&, Writer>{options_.pdf, PdfPicture}}) {
    if (path.empty()) continue;
    std::string bytes;
    if (std::string error = write(lines_, device_, options_.scale, options_.palette, &bytes);
        !error.empty()) {
      return "cannot write '" + path + "': " + error;
    }
    if (std::string error = WriteText(path, bytes); !error.empty()) return error;
  }
  return "";
}

}  // namespace tarsel
