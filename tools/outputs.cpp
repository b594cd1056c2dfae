#include "tools/outputs.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "export/data_csv.h"
#include "export/memory.h"
#include "export/png_file.h"
#include "export/report.h"
#include "export/svg_file.h"
#include "export/sweep_gif.h"
#include "geometry/language.h"
#include "geometry/linkage_analysis.h"
#include "input/printable.h"
#include "render/mechanism.h"
#include "render/probe_view.h"
#include "render/timing_plot.h"
#include "tools/pdf_file.h"
#include "tools/stop.h"

namespace tarsel {

namespace {

// An output file of the command line, and what its name refers to.
struct Named {
  const char* option;
  const std::string& path;
  FileTarget target;
};

std::vector<Named> FilesOf(const Options& o) {
  std::vector<Named> files;
  for (const auto& [option, path] :
       {std::pair{"--log", &o.log}, std::pair{"--report", &o.report}}) {
    if (path->empty()) continue;
    files.push_back({option, *path, *path == "-" ? StandardOutputTarget() : TargetOf(*path)});
  }
  for (const auto& [option, path] :
       {std::pair{"--png", &o.png}, std::pair{"--gif", &o.gif}, std::pair{"--video", &o.video},
        std::pair{"--csv", &o.csv}, std::pair{"--piston-csv", &o.piston_csv},
        std::pair{"--mechanism", &o.mechanism}, std::pair{"--svg", &o.svg},
        std::pair{"--pdf", &o.pdf}, std::pair{"--timing-csv", &o.timing_csv},
        std::pair{"--timing-png", &o.timing_png}}) {
    if (!path->empty()) files.push_back({option, *path, TargetOf(*path)});
  }
  return files;
}

// Two outputs on one file would leave one of them lost, and a file among the frames would be
// overwritten by a frame or, with --force, removed as a frame of an earlier export.
std::string CheckPaths(const Options& o) {
  const std::vector<Named> files = FilesOf(o);
  for (std::size_t i = 0; i < files.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (files[i].target.SameAs(files[j].target)) {
        // TRANSLATORS: %1$s and %2$s: two options' names (--png...), kept as they are; %3$s: a
        // file's name (quoted).
        return Fill(Tr("%1$s and %2$s name the same file %3$s"),
                    {files[j].option, files[i].option, Quoted(files[i].path)});
      }
    }
  }
  if (o.frames.empty()) return "";
  const FileTarget frames = TargetOf(o.frames);
  for (const Named& f : files) {
    if (f.target.SameAs(frames)) {
      return Fill(Tr("%1$s and %2$s name the same file %3$s"),
                  {"--frames", f.option, Quoted(f.path)});
    }
    if (!f.target.path.empty() && f.target.path.parent_path() == frames.path &&
        PngFrames::IsFrameName(f.target.path.filename().string())) {
      // TRANSLATORS: %1$s: an option's name (--png...), kept as it is; %2$s: its file's name
      // (quoted); %3$s: the folder of frames (quoted). --frames is the option's name.
      return Fill(Tr("%1$s %2$s is one of the frames of --frames %3$s"),
                  {f.option, Quoted(f.path), Quoted(o.frames)});
    }
  }
  return "";
}

}  // namespace

std::uint64_t Outputs::MemoryNeed(const Options& o, Size size) {
  std::uint64_t need = 0;
  if (!o.mechanism.empty()) {
    need += PictureBytes(Canvas::DeviceSide(mechanism::kSize.width, o.scale),
                         Canvas::DeviceSide(mechanism::kSize.height, o.scale));
  }
  if (!o.timing_png.empty()) {
    need += PictureBytes(Canvas::DeviceSide(timing_plot::kSize.width, o.scale),
                         Canvas::DeviceSide(timing_plot::kSize.height, o.scale));
  }
  if (!o.pictures()) return need;
  need += PictureBytes(size.width, size.height);  // the canvas
  if (o.label) need += Labeller::MemoryNeed(size);
  if (!o.gif.empty()) need += GifFrames::MemoryNeed(size);
  if (!o.video.empty()) {
    need += VideoFrames::MemoryNeed(size, o.video_scale, VideoFormatOf(o.video));
  }
  return need;
}

std::string Outputs::Check(const Options& o, Size size) {
  if (std::string error = CheckPaths(o); !error.empty()) return error;
  if (!o.frames.empty()) {
    if (std::string error = PngFrames::Refusal(o.frames, o.force); !error.empty()) return error;
  }
  const std::uint64_t need = MemoryNeed(o, size);
  const std::string width = std::to_string(size.width), height = std::to_string(size.height);
  if (need > kMostExportBytes) {
    // TRANSLATORS: %1$s x %2$s: the pictures' width and height in pixels; %3$s: the memory the
    // export needs (1.2 GB); %4$s: the most an export may take (4.0 GB).
    return Fill(o.video.empty() ? Tr("too large an export: with %1$s x %2$s pictures it needs "
                                     "about %3$s of memory, more than the %4$s an export may take")
                                // TRANSLATORS: %1$s x %2$s: the pictures' width and height in
                                // pixels; %3$s: the memory the export needs (1.2 GB); %4$s: the
                                // most an export may take (4.0 GB). --video-scale is the option's
                                // name.
                                : Tr("too large an export: with %1$s x %2$s pictures it needs "
                                     "about %3$s of memory, more than the %4$s an export may take "
                                     "(a smaller --video-scale needs less)"),
                {width, height, ByteCount(need), ByteCount(kMostExportBytes)});
  }
  if (const auto left = AddressSpaceLeft(); left && need > *left) {
    // TRANSLATORS: %1$s x %2$s: the pictures' width and height in pixels; %3$s: the memory the
    // export needs (1.2 GB); %4$s: what the limit leaves (900 MB). "ulimit -v" is a command.
    return Fill(Tr("not enough memory for a %1$s x %2$s picture: the export needs about %3$s, "
                   "the limit on memory (ulimit -v) leaves %4$s"),
                {width, height, ByteCount(need), ByteCount(*left)});
  }
  return "";
}

std::string Outputs::OpenLog(const std::string& path) {
  if (path == "-") {
    log_ = stdout;
    static char buffer[1 << 16];
    std::setvbuf(log_, buffer, _IOFBF, sizeof buffer);
    return "";
  }
  if (std::string error = log_file_.Open(path); !error.empty()) return error;
  log_ = log_file_.stream();
  return log_ ? "" : LogFailed(errno);
}

std::string Outputs::LogFailed(int error) const {
  const char* reason = std::strerror(error ? error : EIO);
  if (options_.log == "-") {
    // TRANSLATORS: %s: the system's reason (English).
    return Fill(Tr("writing the log to standard output failed: %s"), {reason});
  }
  // TRANSLATORS: %1$s: the log's file name (quoted); %2$s: the system's reason (English).
  return Fill(Tr("writing the log %s failed: %s"), {Quoted(options_.log), reason});
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
  // Created now, written at the end: a folder that cannot take a file is found out before the
  // run.
  for (const auto& [path, file] : {std::pair{&options.png, &png_file_},
                                   {&options.csv, &csv_file_},
                                   {&options.piston_csv, &piston_csv_file_},
                                   {&options.mechanism, &mechanism_file_},
                                   {&options.svg, &svg_file_},
                                   {&options.pdf, &pdf_file_},
                                   {&options.report, &report_file_},
                                   {&options.timing_csv, &timing_csv_file_},
                                   {&options.timing_png, &timing_png_file_}}) {
    if (!path->empty() && *path != "-" && !(error = file->Open(*path)).empty()) return error;
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
  const bool animated = ++waits_ >= options_.first_frame && (frames_ || gif_ || video_);
  std::string error;
  // The log's buffer goes out at every frame: a full disk stops the run here, its cause still
  // in errno.
  if (log_ && std::fflush(log_) != 0) error = LogFailed(errno);
  if (error.empty() && animated) {
    const Image& picture = labeller_ ? labeller_->Apply(*drawn, state) : *drawn;
    if (frames_) error = frames_->Add(picture);
    if (error.empty() && gif_) error = gif_->Add(picture);
    if (error.empty() && video_) error = video_->Add(picture);
  }
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

std::string Outputs::CompleteLog() {
  if (!log_) return "";
  if (std::fflush(log_) != 0 || std::ferror(log_)) return LogFailed(errno);
  if (log_ == stdout) return "";
  log_ = nullptr;
  return log_file_.Complete();
}

namespace {

// Writes a picture as PNG into a file's temporary name and completes it.
std::string WritePicture(const Image& picture, SafeFile& file) {
  std::FILE* out = file.stream();
  if (!out) return file.Failed(errno);
  std::string error = EncodePng(picture, out, file.path());
  return error.empty() ? file.Complete() : error;
}

// Writes `text` into a file's temporary name and completes it.
std::string WriteText(SafeFile& file, const std::string& text) {
  std::FILE* out = file.stream();
  if (!out || std::fwrite(text.data(), 1, text.size(), out) != text.size()) {
    return file.Failed(errno);
  }
  return file.Complete();
}

}  // namespace

std::string Outputs::Finish(const Image* drawn, const SharedState& state,
                            const FrameCurves& curves) {
  progress_->Finish();
  std::string error = CompleteLog();
  const Image* picture = drawn && labeller_ ? &labeller_->Apply(*drawn, state) : drawn;
  if (error.empty() && frames_) error = frames_->Finish();
  if (error.empty() && (gif_ || video_)) error = FinishAnimations(*picture);
  if (error.empty() && !options_.png.empty()) error = WritePicture(*picture, png_file_);
  if (error.empty()) error = WriteData(state, curves);
  if (!error.empty() || stop::Requested()) return error;
  if (!(error = CommitAll()).empty()) return error;
  return options_.report == "-" ? WriteReport(Report(state, curves), stdout) : "";
}

std::string Outputs::Report(const SharedState& state, const FrameCurves& curves) const {
  const FrameTiming timing = TimingOf(curves, options_.threshold);
  return ReportJson(state.config, Analyse(state.config), &timing);
}

std::string Outputs::WriteData(const SharedState& state, const FrameCurves& curves) {
  std::string error;
  if (!options_.csv.empty() &&
      !(error = WriteText(csv_file_, LinkageCsv(state, options_.csv_style))).empty()) {
    return error;
  }
  if (!options_.piston_csv.empty() &&
      !(error = WriteText(piston_csv_file_, PistonCsv(state, options_.csv_style))).empty()) {
    return error;
  }
  if (!options_.mechanism.empty()) {
    ProbeView view;
    view.Update(state, options_.probe, options_.scale, options_.palette);
    error = WritePicture(view.picture(), mechanism_file_);
  }
  if (error.empty() && (!options_.timing_csv.empty() || !options_.timing_png.empty())) {
    const std::vector<SweepFrame> frames = SweepTiming(state, options_.threshold);
    if (!options_.timing_csv.empty()) {
      error = WriteText(timing_csv_file_, TimingCsv(frames, options_.csv_style));
    }
    if (error.empty() && !options_.timing_png.empty()) {
      Image plot;
      timing_plot::Draw(plot, options_.scale, frames, state.k, options_.palette);
      error = WritePicture(plot, timing_png_file_);
    }
  }
  if (error.empty() && !options_.report.empty() && options_.report != "-") {
    error = WriteText(report_file_, Report(state, curves));
  }
  return error.empty() ? WriteVectors() : error;
}

std::string Outputs::WriteReport(const std::string& json, std::FILE* out) {
  if (std::fwrite(json.data(), 1, json.size(), out) != json.size() || std::fflush(out) != 0) {
    // TRANSLATORS: %s: the system's reason (English).
    return Fill(Tr("writing the report to standard output failed: %s"),
                {std::strerror(errno ? errno : EIO)});
  }
  return "";
}

std::string Outputs::WriteVectors() {
  using Writer = std::string (*)(const LineRecord&, Size, double, Palette, std::string*);
  for (const auto& [file, write] : {std::pair<SafeFile*, Writer>{&svg_file_, SvgPicture},
                                    std::pair<SafeFile*, Writer>{&pdf_file_, PdfPicture}}) {
    if (file->path().empty()) continue;
    std::string bytes;
    if (std::string error = write(lines_, device_, options_.scale, options_.palette, &bytes);
        !error.empty()) {
      // TRANSLATORS: %1$s: a file's name (quoted); %2$s: why it cannot be written.
      return Fill(Tr("cannot write %s: %s"), {Quoted(file->path()), error});
    }
    if (std::string error = WriteText(*file, bytes); !error.empty()) return error;
  }
  return "";
}

std::vector<SafeFile*> Outputs::EndFiles() {
  return {&png_file_, &csv_file_,    &piston_csv_file_, &mechanism_file_, &svg_file_,
          &pdf_file_, &report_file_, &timing_csv_file_, &timing_png_file_};
}

// The files go in place together: a stop asked for now waits until the last is there.
std::string Outputs::CommitAll() {
  const stop::Deferred deferred;
  std::string error = log_file_.Commit();
  if (error.empty() && frames_) error = frames_->Commit();
  if (error.empty() && gif_) error = gif_file_.Commit();
  if (error.empty() && video_) error = video_->Commit();
  for (SafeFile* file : EndFiles()) {
    if (error.empty()) error = file->Commit();
  }
  committed_ = error.empty();
  return error;
}

std::string Outputs::Unwritten() const {
  std::string names;
  const auto add = [&](const char* option, const std::string& path) {
    if (path.empty() || path == "-") return;
    names += (names.empty() ? "" : ", ") + std::string(option) + " " + Quoted(path);
  };
  add("--log", options_.log);
  add("--frames", options_.frames);
  add("--gif", options_.gif);
  add("--video", options_.video);
  add("--png", options_.png);
  add("--csv", options_.csv);
  add("--piston-csv", options_.piston_csv);
  add("--mechanism", options_.mechanism);
  add("--svg", options_.svg);
  add("--pdf", options_.pdf);
  add("--report", options_.report);
  add("--timing-csv", options_.timing_csv);
  add("--timing-png", options_.timing_png);
  return names;
}

std::string Outputs::Stopped(int signal) {
  log_file_.Discard();
  if (frames_) frames_->Discard();
  gif_file_.Discard();
  if (video_) video_->Discard();
  for (SafeFile* file : EndFiles()) file->Discard();
  // A whole sentence for each case, so that a translator can order it as the language does; the
  // files not written and the cut log are clauses of their own after it.
  const std::string name = stop::Name(signal);
  std::string line;
  if (progress_) {
    progress_->Finish();
    const std::string done = std::to_string(progress_->done());
    const std::string expected = std::to_string(progress_->expected());
    // TRANSLATORS: %1$s: the signal's name (SIGINT, SIGTERM); %2$s: the frames drawn; %3$s: the
    // frames there were to draw.
    line = Fill(committed_ ? Tr("stopped by %1$s at frame %2$s of %3$s, after every file was "
                                "written")
                           // TRANSLATORS: %1$s: the signal's name (SIGINT, SIGTERM); %2$s:
                           // the frames drawn; %3$s: the frames there were to draw.
                           : Tr("stopped by %1$s at frame %2$s of %3$s"),
                {name, done, expected});
  } else {
    // TRANSLATORS: %s: the signal's name (SIGINT, SIGTERM).
    line = Fill(committed_ ? Tr("stopped by %s, after every file was written")
                           // TRANSLATORS: %s: the signal's name (SIGINT, SIGTERM).
                           : Tr("stopped by %s"),
                {name});
  }
  if (committed_) return line;
  const std::string names = Unwritten();
  // TRANSLATORS: %1$s: the sentence saying which signal stopped the run; %2$s: the options and
  // files not written (--png 'a.png', --csv 'a.csv').
  if (!names.empty()) line = Fill(Tr("%1$s; not written: %2$s"), {line, names});
  if (options_.log == "-") {
    // TRANSLATORS: %s: what the message said before (which signal stopped the run...).
    line = Fill(Tr("%s; the log on standard output is cut short"), {line});
  }
  return line;
}

}  // namespace tarsel
