#pragma once

// Adding an output safely. Every file tarsel-render writes goes through export/safe_file.h: a
// SafeFile (one file) or a SafeFolder (a folder of files) writes under a temporary name in the
// target's folder, and nothing of an earlier file changes until the run is complete. For a new
// output:
//   1. name it in Check(), so that it is compared with the other outputs (no two on one file,
//      none among the frames) and its memory counted, before anything is created;
//   2. Open() its SafeFile there: that refuses a folder that cannot be written, and creates
//      only the temporary file, which the SafeFile removes when the run is refused, fails or
//      is interrupted;
//   3. write to its stream() in Frame() or Finish(), and Complete() it in Finish();
//   4. Commit() it in CommitAll(), with the others, and name it in Unwritten().
// A writer that takes a file name instead of a stream (FFmpeg) gets SafeFile::temporary().

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "animation/frame_curves.h"
#include "animation/shared_state.h"
#include "export/frame_folder.h"
#include "export/gif_writer.h"
#include "export/label.h"
#include "export/line_record.h"
#include "export/safe_file.h"
#include "export/video.h"
#include "render/image.h"
#include "tools/options.h"
#include "tools/progress.h"

namespace tarsel {

// Every file one run of tarsel-render writes: the draw log, the numbered frames, the GIF, the
// video, the picture at the end, the data (CSV) and the mechanism view. Checked and opened
// before the run, so that a bad path is refused before anything is drawn; fed a picture at each
// wait for a key; completed after the run and then put in place all together.
class Outputs {
 public:
  Outputs() = default;
  Outputs(const Outputs&) = delete;
  Outputs& operator=(const Outputs&) = delete;

  // What can be known before any file is created, for pictures of `size` device pixels: no
  // two outputs write one file, no output is one of the frames, and the export fits in memory.
  // Returns an empty string or the reason.
  static std::string Check(const Options& options, Size size);
  // The memory the export takes beyond the program itself.
  static std::uint64_t MemoryNeed(const Options& options, Size size);

  // Opens what `options` names for pictures of `size` device pixels, for a script of
  // `expected_frames` frames (for the progress line). Returns an empty string or the reason an
  // output cannot be used; nothing an earlier run wrote has changed then.
  std::string Open(const Options& options, Size size, long expected_frames);

  // Where the replay writes its draw log, or null.
  std::FILE* log() const { return log_; }
  // Where the replay records its lines for the SVG and the PDF, or null.
  LineRecord* lines() { return options_.vectors() ? &lines_ : nullptr; }

  // At each wait for a key: the picture (null when no output needs one) with the state of the
  // animation, for the label.
  std::string Frame(const Image* picture, const SharedState& state);
  // After the run: completes the log, the frames, the GIF, the video and the picture at the
  // end (`picture` is null when no output needs one), then puts them all in place. `curves`
  // are those of the last complete frame, for the report's valve events.
  std::string Finish(const Image* picture, const SharedState& state, const FrameCurves& curves);

  // For a run that is stopped: erases the progress line, removes every temporary file and
  // says how far the run came and which outputs it leaves unwritten. The program ends right
  // after: an encoder's threads are not waited for.
  std::string Stopped(int signal);

 private:
  std::string OpenLog(const std::string& path);
  std::string OpenGif(const std::string& path, Size size, int delay_ms);
  std::string LogFailed(int error) const;
  std::string CompleteLog();
  std::string FinishAnimations(const Image& last);
  // The CSV files and the mechanism view, from the state at the end of the run.
  std::string WriteData(const SharedState& state, const FrameCurves& curves);
  // The SVG and the PDF, from the lines since the last clear.
  std::string WriteVectors();
  std::string CommitAll();
  // The report to standard output, once every file is in place.
  std::string WriteReport(const std::string& json, std::FILE* out);
  // The analysis of the mechanism and the valve events of the frame at the end of the run.
  std::string Report(const SharedState& state, const FrameCurves& curves) const;
  std::string Unwritten() const;
  // Every SafeFile of the outputs that are written at the end.
  std::vector<SafeFile*> EndFiles();

  Options options_;
  std::FILE* log_ = nullptr;
  SafeFile log_file_;  // unless the log goes to standard output
  std::optional<PngFrames> frames_;
  FileSink gif_file_;  // before the GIF, which writes to it
  std::optional<GifFrames> gif_;
  std::optional<VideoFrames> video_;
  SafeFile png_file_;
  SafeFile csv_file_;
  SafeFile piston_csv_file_;
  SafeFile mechanism_file_;
  std::optional<Labeller> labeller_;
  std::optional<Progress> progress_;
  SafeFile svg_file_;
  SafeFile pdf_file_;
  SafeFile report_file_;
  SafeFile timing_csv_file_;
  SafeFile timing_png_file_;
  bool committed_ = false;
  Size device_;     // the pictures' size in device pixels
  long waits_ = 0;  // frames complete so far
  LineRecord lines_;
};

}  // namespace tarsel
