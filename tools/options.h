#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "animation/probe.h"
#include "animation/sweep.h"
#include "export/data_csv.h"
#include "export/sweep_gif.h"
#include "geometry/valve_events.h"
#include "input/configuration_text.h"
#include "input/script.h"
#include "render/canvas.h"

namespace tarsel {

// What one run of tarsel-render is asked to do, as read from its command line.
struct Options {
  std::string script;  // the key script, TOKENS as ParseScript reads them (or that of --at)
  // The frame --at, --acc and --accumulate name, and --sweep's frames from it (0: to the end).
  double at = sweep::kFirstK;
  Switches switches;
  long sweep = -1;  // no sweep: every frame of the run goes to the animated outputs
  // The wait (from 1) whose frame is the first of --frames, --gif and --video: with --sweep, the
  // frame at --at; the frames before it only lead there.
  long first_frame = 1;
  std::string log;                    // draw log: a file, "-" for standard output, empty for none
  std::string png;                    // the picture at the end of the run, empty for none
  std::string frames;                 // directory of numbered frames, empty for none
  bool force = false;                 // overwrite the frames of an earlier export
  std::string gif;                    // animated GIF, empty for none
  int delay_ms = kDefaultGifDelayMs;  // time each frame is shown
  Size size = {Canvas::kDesignWidth, Canvas::kDesignHeight};  // logical pixels
  double scale = 1;                                           // device pixels per logical pixel
  Palette palette = Palette::kExact;                          // colours on the pictures
  bool label = false;             // every picture says which k and which curves it shows
  std::string video;              // .mp4 or .webm of the frames, empty for none
  int video_scale = 2;            // video pixels a side for each picture pixel
  std::string csv;                // the frame at the end of the run as CSV, empty for none
  std::string piston_csv;         // the piston curve's points as CSV, empty for none
  std::string mechanism;          // the mechanism view at the end of the run (PNG), empty for none
  std::string svg;                // the lines since the last clear as SVG, empty for none
  std::string pdf;                // the same as PDF, empty for none
  double probe = probe::kStartX;  // where the probe stands for the mechanism view
  // The mechanism drawn, as --linkage, --reference, --assembly and --piston give it (read into
  // `config` once all of them are known), and the analysis of it as JSON.
  ConfigurationTexts config_texts;
  Configuration config;
  std::string report;                    // a file, "-" for standard output, empty for none
  double threshold = kDefaultThreshold;  // the checking lift of the valve events
  std::string timing_csv;  // the blue trace's events over the plain sweep as CSV, empty for none
  std::string timing_png;  // the timing plot (PNG), empty for none
  // The lift profile --profile reads (null: the built-in one).
  std::shared_ptr<const ProfileTables> profile;
  // How every CSV separates its cells and writes its numbers (--csv-style).
  CsvStyle csv_style = CsvStyle::kComma;

  // True when some output needs the pixels, not only the draw log.
  bool pictures() const {
    return !png.empty() || !frames.empty() || !gif.empty() || !video.empty();
  }
  // True when some output needs the lines since the last clear.
  bool vectors() const { return !svg.empty() || !pdf.empty(); }
};

// How the command line turned out: run with the options, print the help or the version, or
// refuse it (the reason in `error`, one line).
struct Parsed {
  enum Action { kRun, kHelp, kVersion, kRefuse } action = kRun;
  Options options;
  std::string error;
  // For a run: a line for standard error where it makes other than what was asked (a sweep
  // that ends at k = 20 before its frames are all made); empty otherwise.
  std::string note;
};

// Reads the arguments after the program name. Every value is checked here, so that a bad one
// is refused before anything is drawn or written.
Parsed ParseOptions(const std::vector<std::string>& args);

// The summary of the options that --help prints.
std::string Usage();

}  // namespace tarsel
