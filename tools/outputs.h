#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "animation/shared_state.h"
#include "export/byte_sink.h"
#include "export/frame_folder.h"
#include "export/gif_writer.h"
#include "export/label.h"
#include "export/line_record.h"
#include "export/video.h"
#include "render/image.h"
#include "tools/options.h"
#include "tools/progress.h"

namespace tarsel {

// Every file one run of tarsel-render writes: the draw log, the numbered frames, the GIF, the
// video, the picture at the end, the data (CSV) and the mechanism view. Opened before the run, so
// that an unwritable path is refused before anything is drawn; fed a picture at each wait for a
// key; finished after the run.
class Outputs {
 public:
  Outputs() = default;
  Outputs(const Outputs&) = delete;
  Outputs& operator=(const Outputs&) = delete;

  // Opens what `options` names for pictures of `size` device pixels, for a script of
  // `expected_frames` frames (for the progress line). Returns an empty string or the reason an
  // output cannot be used.
  std::string Open(const Options& options, Size size, long expected_frames);

  // Where the replay writes its draw log, or null.
  std::FILE* log() const { return log_; }
  // Where the replay records its lines for the SVG and the PDF, or null.
  LineRecord* lines() { return options_.vectors() ? &lines_ : nullptr; }

  // At each wait for a key: the picture (null when no output needs one) with the state of the
  // animation, for the label.
  std::string Frame(const Image* picture, const SharedState& state);
  // After the run: flushes the log, completes the frames and the GIF, writes the picture at the
  // end (`picture` is null when no output needs one).
  std::string Finish(const Image* picture, const SharedState& state);

 private:
  std::string OpenLog(const std::string& path);
  std::string OpenGif(const std::string& path, Size size, int delay_ms);
  std::string FinishAnimations(const Image& last);
  // The CSV files and the mechanism view, from the state at the end of the run.
  std::string WriteData(const SharedState& state);
  // The SVG and the PDF, from the lines since the last clear.
  std::string WriteVectors();

  Options options_;
  std::FILE* log_ = nullptr;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> owned_log_{nullptr, std::fclose};
  std::optional<PngFrames> frames_;
  FileSink gif_file_;  // before the GIF, which writes to it
  std::optional<GifFrames> gif_;
  std::optional<VideoFrames> video_;
  std::optional<Labeller> labeller_;
  std::optional<Progress> progress_;
  Size device_;     // the pictures' size in device pixels
  long waits_ = 0;  // frames complete so far
  LineRecord lines_;
};

}  // namespace tarsel
