#include "tools/options.h"

#include <getopt.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "export/video_format.h"
#include "geometry/language.h"
#include "input/link.h"
#include "input/number.h"
#include "input/printable.h"
#include "input/profile_file.h"

namespace tarsel {

namespace {

// The synopsis names only options and their values: it is the same in every language.
constexpr char kSynopsis[] =
    "usage: tarsel-render [--script \"TOKENS\"] [--log FILE|-] [--png FILE] [--frames DIR "
    "[--force]]\n"
    "                     [--gif FILE [--delay MS]] [--size WxH] [--scale F]\n"
    "                     [--at K] [--acc] [--accumulate] [--sweep N|end]\n"
    "                     [--label] [--video FILE.mp4|FILE.webm [--video-scale N]]\n"
    "                     [--csv FILE] [--piston-csv FILE] [--mechanism FILE.png [--probe X]]\n"
    "                     [--svg FILE] [--pdf FILE]\n"
    "                     [--palette exact|distinguishable]\n"
    "                     [--linkage G,A,C,B] [--reference DEG] [--assembly open|crossed]\n"
    "                     [--piston R,L] [--report FILE|-] [--threshold L]\n"
    "                     [--timing-csv FILE] [--timing-png FILE.png] [--profile FILE]\n"
    "                     [--csv-style comma|semicolon]\n"
    "       tarsel-render --help | --version\n";

// Each option's description, lines split by "\n": Usage() writes the first beside the option's
// name and indents the others under it.
struct HelpEntry {
  const char* option;
  const char* description;
};
constexpr int kHelpColumn = 19;
const HelpEntry kHelp[] = {
    // TRANSLATORS: tarsel-render --help, what --script TOKENS does. Lines of at most 71 characters,
    // split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--script TOKENS",
     TrMark("keys as character codes (97, 44, 13, 8, ...), as names (space, enter,\ntab, "
            "backspace, esc, comma, slash) or as a character (a, /), or dbl,\nseparated by spaces "
            "or commas; TOKEN@N is pressed inside the N-th\nevent call of a pass")},
    // TRANSLATORS: tarsel-render --help, what --at K does. Lines of at most 71 characters, split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--at K", TrMark("instead of a script, the keys that reach the frame at k = K (4.5 is "
                      "the\nfirst frame; steps of 0.025 from -100 to 20)")},
    // TRANSLATORS: tarsel-render --help, what --acc does. Lines of at most 71 characters, split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--acc", TrMark("with --at: velocity and acceleration on (BackSpace first)")},
    // TRANSLATORS: tarsel-render --help, what --accumulate does. Lines of at most 71 characters,
    // split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--accumulate",
     TrMark("with --at: frames accumulate (\"/\" first), the pile of the way to K")},
    // TRANSLATORS: tarsel-render --help, what --sweep N|end does. Lines of at most 71 characters,
    // split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--sweep N|end",
     TrMark("after the frame at K (4.5 without --at), plain keys for N frames in all,\nor to the "
            "end of the sweep (k = 20; where it ends first, fewer, and a\nline on standard error "
            "says so); --frames, --gif and --video start at\nthe frame at K")},
    // TRANSLATORS: tarsel-render --help, what --log FILE does. Lines of at most 71 characters,
    // split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--log FILE", TrMark("every drawing and event call, one per line (- for standard output)")},
    // TRANSLATORS: tarsel-render --help, what --png FILE does. Lines of at most 71 characters,
    // split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--png FILE", TrMark("the client area at the end of the run")},
    // TRANSLATORS: tarsel-render --help, what --frames DIR does. Lines of at most 71 characters,
    // split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--frames DIR", TrMark("the client area at each wait for a key: DIR/frame-001.png, ...")},
    // TRANSLATORS: tarsel-render --help, what --force does. Lines of at most 71 characters, split
    // by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--force", TrMark("overwrite the frame files of an earlier export in DIR")},
    // TRANSLATORS: tarsel-render --help, what --gif FILE does. Lines of at most 71 characters,
    // split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--gif FILE", TrMark("the same frames as one looping animated GIF")},
    // TRANSLATORS: tarsel-render --help, what --video FILE does. Lines of at most 71 characters,
    // split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--video FILE", TrMark("the same frames as a video: .mp4 (H.264) or .webm (VP9)")},
    // TRANSLATORS: tarsel-render --help, what --video-scale N does. Lines of at most 71 characters,
    // split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--video-scale N",
     TrMark("video pixels a side for each picture pixel, 1 to 4 (default 2, which\nkeeps the "
            "colour of one-pixel curves whole in the video's 4:2:0)")},
    // TRANSLATORS: tarsel-render --help, what --delay MS does. Lines of at most 71 characters,
    // split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--delay MS", TrMark("time each GIF or video frame is shown, in milliseconds (default 200)")},
    // TRANSLATORS: tarsel-render --help, what --label does. Lines of at most 71 characters, split
    // by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--label", TrMark("write on every picture its k, its frame of the plain sweep, the "
                       "curves\nshown and whether frames accumulate (in the top-left corner)")},
    // TRANSLATORS: tarsel-render --help, what --csv FILE does. Lines of at most 71 characters,
    // split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--csv FILE", TrMark("the frame at the end of the run as CSV: one row per table "
                          "point,\nn,k,xa,ya,xb,yb,theta,ff,blue_x,Px,Py,Rx,Ry,phi")},
    // TRANSLATORS: tarsel-render --help, what --piston-csv FILE does. Lines of at most 71
    // characters, split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--piston-csv FILE", TrMark("the piston curve's points as CSV: point,crank_angle,travel,x,y")},
    // TRANSLATORS: tarsel-render --help, what --mechanism FILE.png does. Lines of at most 71
    // characters, split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--mechanism FILE.png",
     TrMark("the mechanism view at the end of the run: the four-bar at the\nblue point nearest the "
            "probe, the slider-crank at the probe's angle")},
    // TRANSLATORS: tarsel-render --help, what --probe X does. Lines of at most 71 characters, split
    // by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--probe X", TrMark("the probe's position in plot units (default 65)")},
    // TRANSLATORS: tarsel-render --help, what --svg FILE does. Lines of at most 71 characters,
    // split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--svg FILE", TrMark("the picture at the end of the run as SVG: every line since the "
                          "last\nclear, in order, in the client area's device pixels")},
    // TRANSLATORS: tarsel-render --help, what --pdf FILE does. Lines of at most 71 characters,
    // split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--pdf FILE", TrMark("the same lines as a one-page PDF, for print (96 pixels to the inch)")},
    // TRANSLATORS: tarsel-render --help, what --size WxH does. Lines of at most 71 characters,
    // split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--size WxH", TrMark("client area in logical pixels (default 962x688)")},
    // TRANSLATORS: tarsel-render --help, what --scale F does. Lines of at most 71 characters, split
    // by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--scale F", TrMark("device pixels per logical pixel, 0.125 to 8 (default 1)")},
    // TRANSLATORS: tarsel-render --help, what --linkage G,A,C,B does. Lines of at most 71
    // characters, split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--linkage G,A,C,B",
     TrMark("the four-bar's lengths: fixed line O-Q, crank O-P, coupler P-R,\nrocker Q-R (default "
            "31.5,7,25,31), each above 0 and at most 10000")},
    // TRANSLATORS: tarsel-render --help, what --reference DEG does. Lines of at most 71 characters,
    // split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--reference DEG",
     TrMark("the reference angle of the phase offset ff = 2 (DEG - phi) (default 65)")},
    // TRANSLATORS: tarsel-render --help, what --assembly A does. Lines of at most 71 characters,
    // split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--assembly A",
     TrMark("open (the default) or crossed: where the coupler and the rocker meet")},
    // TRANSLATORS: tarsel-render --help, what --piston R,L does. Lines of at most 71 characters,
    // split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--piston R,L",
     TrMark("the piston's crank radius and connecting rod, L longer than R\n(default 25.5,100)")},
    // TRANSLATORS: tarsel-render --help, what --report FILE does. Lines of at most 71 characters,
    // split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--report FILE",
     TrMark(
         "the analysis of the mechanism as JSON (- for standard output): its\nGrashof class, where "
         "it closes, the ranges of the transmission angle, of\nphi and of the phase offset, the "
         "piston's stroke; and the valve events\nof the frame at the end of the run (red, green, "
         "blue): opening,\nclosing, peak and duration, in plot and in crank degrees")},
    // TRANSLATORS: tarsel-render --help, what --threshold L does. Lines of at most 71 characters,
    // split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--threshold L",
     TrMark("the checking lift the valve events are read at (default 1), above 0")},
    // TRANSLATORS: tarsel-render --help, what --timing-csv FILE does. Lines of at most 71
    // characters, split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--timing-csv FILE",
     TrMark("the blue trace's valve events over the plain sweep, one row a "
            "frame:\nk,opening,closing,peak,duration,opening_crank,closing_crank,peak_crank,"
            "\nduration_crank (empty where it never reaches the checking lift)")},
    // TRANSLATORS: tarsel-render --help, what --csv-style S does. Lines of at most 71
    // characters, split by \n (each is indented under the first); option names and values stay.
    {"--csv-style S",
     TrMark("comma (the default) or semicolon: the cells of --csv, --piston-csv and\n--timing-csv "
            "separated by ';', their numbers with decimal commas (4,5),\nfor a spreadsheet that "
            "reads numbers so")},
    // TRANSLATORS: tarsel-render --help, what --timing-png FILE.png does. Lines of at most 71
    // characters, split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--timing-png FILE.png",
     TrMark("the timing plot: the blue trace's opening, closing, peak and\nduration against k, the "
            "red's as reference lines, the last frame marked")},
    // TRANSLATORS: tarsel-render --help, what --profile FILE does. Lines of at most 71 characters,
    // split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--profile FILE",
     TrMark("the lift profile from a CSV file of angle,lift rows (degrees, strictly\nincreasing, "
            "-360 to 360; lifts at least 0; 5 to 10000 rows; or\nangle;lift with decimal commas) "
            "instead of the built-in one")},
    // TRANSLATORS: tarsel-render --help, what --palette P does. Lines of at most 71 characters,
    // split by
    // \n (each is indented under the first); option names and values (FILE, K) stay as they are.
    {"--palette P", TrMark("exact (the default) or distinguishable: colours that stay apart "
                           "for\ncolour-vision deficiencies, each 3:1 or more against white")},
};

}  // namespace

std::string Usage() {
  std::string usage = kSynopsis;
  usage += '\n';
  // TRANSLATORS: tarsel-render --help, the line under the synopsis.
  usage += Tr("Runs the animation without a window, pressing the keys of a script.");
  usage += "\n\n";
  for (const HelpEntry& e : kHelp) {
    std::string line = std::string("  ") + e.option;
    line.append(
        line.size() + 2 <= static_cast<std::size_t>(kHelpColumn) ? kHelpColumn - line.size() : 2,
        ' ');
    std::string_view description = Tr(e.description);
    for (bool first = true;; first = false) {
      const std::size_t end = description.find('\n');
      if (!first) line.assign(kHelpColumn, ' ');
      line += description.substr(0, end);
      usage += line + '\n';
      if (end == std::string_view::npos) break;
      description.remove_prefix(end + 1);
    }
  }
  usage += '\n';
  // TRANSLATORS: tarsel-render --help, a closing note: lines of at most 90 characters split by
  // \n; numbers stay as they are typed, with a decimal point.
  usage += Tr(
      "Each option may be given once. K, F and X are numbers such as 6.5, -0.025, .5 or 4500e-3.");
  usage += '\n';
  // TRANSLATORS: tarsel-render --help, a closing note: lines of at most 90 characters split by
  // \n; numbers stay as they are typed, with a decimal point.
  usage +=
      Tr("A GIF frame holds at most 256 colours: where antialiasing makes more, the drawing "
         "colours\nare kept exactly and the other pixels take the nearest of the frame's 256 "
         "colours.");
  usage += '\n';
  // TRANSLATORS: tarsel-render --help, a closing note: lines of at most 90 characters split by
  // \n; numbers stay as they are typed, with a decimal point.
  usage +=
      Tr("Exit status: 0 on success, 2 on a bad argument, a failed write or too little memory.");
  usage += '\n';
  // TRANSLATORS: tarsel-render --help, a closing note: lines of at most 90 characters split by
  // \n; numbers stay as they are typed, with a decimal point.
  usage += Tr(
      "Every file is written under a temporary name and put in place when the run is complete:\na "
      "refused, failed or interrupted run (Ctrl+C) leaves earlier files as they were.");
  usage += '\n';
  return usage;
}

namespace {

// Largest picture: the backing image stops at this many device pixels a side, so a larger
// request is refused rather than silently cut.
constexpr int kMaxSide = Canvas::kMaxDeviceSide;
// A GIF frame delay is a 16-bit count of hundredths of a second.
constexpr int kMaxDelayMs = 655350;

// A positive whole number of at most `max`, digits only.
bool ParseWhole(std::string_view s, int max, int* out) {
  if (s.empty() || s.find_first_not_of("0123456789") != std::string_view::npos) return false;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), *out);
  return ec == std::errc() && ptr == s.data() + s.size() && *out >= 1 && *out <= max;
}

bool ParseSize(std::string_view s, Size* size) {
  const std::size_t x = s.find('x');
  return x != std::string_view::npos && ParseWhole(s.substr(0, x), kMaxSide, &size->width) &&
         ParseWhole(s.substr(x + 1), kMaxSide, &size->height);
}

std::string ScaleText(double scale) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", scale);
  return text;
}

Parsed Answer(Parsed::Action action, std::string error = "") {
  Parsed p;
  p.action = action;
  p.error = std::move(error);
  return p;
}

Parsed Refuse(std::string error) {
  return Answer(Parsed::kRefuse, std::move(error));
}

// ------------------------------------------------------------------------------------------
// Each option's value, checked and stored: an empty string, or why it is refused.

using Reader = std::string (*)(const std::string& text, Options& o);

// An output's name: an empty value would mean "no output" here, which is not what the user
// asked for.
// TRANSLATORS: %s: the option (--png) given an empty value.
constexpr const char* kFileName = TrMark("%s needs a file name");
// TRANSLATORS: %s: the option (--frames) given an empty value.
constexpr const char* kDirectoryName = TrMark("%s needs a directory name");

std::string OutputName(const std::string& text, const char* option, const char* what,
                       std::string* out) {
  if (text.empty()) return Fill(Tr(what), {std::string("--") + option});
  *out = text;
  return "";
}

std::string ReadVideo(const std::string& text, Options& o) {
  if (std::string error = OutputName(text, "video", kFileName, &o.video); !error.empty()) {
    return error;
  }
  if (VideoFormatOf(text) == VideoFormat::kNone) {
    // TRANSLATORS: %s: the file name given (quoted).
    return Fill(Tr("bad --video %s: expected a file name ending in .mp4 or .webm"), {Quoted(text)});
  }
  return "";
}

// The mechanism view and the timing plot are PNGs: any other ending would name bytes that are
// not what it says.
std::string PngName(const std::string& text, const char* option, std::string* out) {
  if (std::string error = OutputName(text, option, kFileName, out); !error.empty()) {
    return error;
  }
  constexpr std::string_view kPng = ".png";
  const bool png =
      text.size() >= kPng.size() &&
      std::equal(kPng.begin(), kPng.end(), text.end() - kPng.size(),
                 [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
  // TRANSLATORS: %1$s: the option (--mechanism), %2$s: the file name given (quoted).
  return png ? ""
             : Fill(Tr("bad %1$s %2$s: expected a file name ending in .png"),
                    {std::string("--") + option, Quoted(text)});
}

std::string ReadMechanism(const std::string& text, Options& o) {
  return PngName(text, "mechanism", &o.mechanism);
}

std::string ReadDelay(const std::string& text, Options& o) {
  if (ParseWhole(text, kMaxDelayMs, &o.delay_ms) && o.delay_ms >= 10) return "";
  // TRANSLATORS: %s: the value given (quoted).
  return Fill(Tr("bad --delay %s: expected milliseconds from 10 to 655350"), {Quoted(text)});
}

std::string ReadSize(const std::string& text, Options& o) {
  if (ParseSize(text, &o.size)) return "";
  // TRANSLATORS: %s: the value given (quoted); WxH is the option's value as typed.
  return Fill(Tr("bad --size %s: expected WxH, 1 to 8192 each"), {Quoted(text)});
}

// "bad --OPTION 'TEXT': not a number".
std::string NotANumber(const char* option, const std::string& text) {
  // TRANSLATORS: %1$s: the option (--scale), %2$s: the value given (quoted).
  return Fill(Tr("bad %1$s %2$s: not a number"), {std::string("--") + option, Quoted(text)});
}

std::string ReadScale(const std::string& text, Options& o) {
  const std::optional<double> scale = ReadNumber(text);
  if (!scale) return NotANumber("scale", text);
  o.scale = *scale;
  if (o.scale >= Canvas::kLeastScale && o.scale <= Canvas::kMostScale) return "";
  // TRANSLATORS: %1$s: the value given (quoted); %2$s and %3$s the least and most scale.
  return Fill(Tr("bad --scale %1$s: expected a number from %2$s to %3$s"),
              {Quoted(text), ScaleText(Canvas::kLeastScale), ScaleText(Canvas::kMostScale)});
}

std::string ReadPalette(const std::string& text, Options& o) {
  if (const std::optional<Palette> named = PaletteNamed(text)) {
    o.palette = *named;
    return "";
  }
  // TRANSLATORS: %s: the value given (quoted); exact and distinguishable are values: keep them.
  return Fill(Tr("bad --palette %s: expected exact or distinguishable"), {Quoted(text)});
}

std::string ReadVideoScale(const std::string& text, Options& o) {
  if (ParseWhole(text, 4, &o.video_scale)) return "";
  // TRANSLATORS: %s: the value given (quoted).
  return Fill(Tr("bad --video-scale %s: expected 1, 2, 3 or 4"), {Quoted(text)});
}

// The frame --at names; its keys are found once the switches are known too.
std::string ReadAt(const std::string& text, Options& o) {
  if (!ReadNumber(text)) return NotANumber("at", text);
  const std::optional<double> k = ReadK(text);
  if (!k || !ScriptReaching(*k)) {
    // TRANSLATORS: %1$s: the value given (quoted); %2$s: the values that work, in the
    // program's words ("a k from -100 to 20 in steps of 0.025").
    return Fill(Tr("bad --at %1$s: no key script reaches it; expected %2$s"),
                {Quoted(text), Tr(kReachableK)});
  }
  o.at = *k;
  return "";
}

// Frames of a sweep are at most as many as from the lowest k to the end; "end" is all of them.
constexpr int kMostSweepFrames = 1000;

std::string ReadSweep(const std::string& text, Options& o) {
  int frames = 0;
  if (text == "end") {
    o.sweep = 0;
  } else if (ParseWhole(text, kMostSweepFrames, &frames)) {
    o.sweep = frames;
  } else {
    // TRANSLATORS: %1$s: the value given (quoted); %2$s: the most frames. "end" is a value:
    // keep it.
    return Fill(Tr("bad --sweep %1$s: expected a number of frames from 1 to %2$s, or end"),
                {Quoted(text), std::to_string(kMostSweepFrames)});
  }
  return "";
}

// The checking lift: a lift the curves can reach, so above 0 (at 0 every point of the base
// circle would be an event).
std::string ReadThreshold(const std::string& text, Options& o) {
  const std::optional<double> lift = ReadNumber(text);
  if (!lift) return NotANumber("threshold", text);
  o.threshold = *lift;
  if (o.threshold > 0) return "";
  // TRANSLATORS: %s: the value given (quoted).
  return Fill(Tr("bad --threshold %s: expected a lift above 0"), {Quoted(text)});
}

std::string ReadProfileOption(const std::string& path, Options& o) {
  if (path.empty()) return Fill(Tr(kFileName), {"--profile"});
  std::string why;
  if (std::optional<ProfileTables> tables = ReadProfileFile(path, &why)) {
    o.profile = std::make_shared<const ProfileTables>(std::move(*tables));
    return "";
  }
  // TRANSLATORS: %1$s: the file name (quoted); %2$s: what is wrong with it, a whole clause.
  return Fill(Tr("bad --profile %1$s: %2$s"), {Quoted(path), why});
}

std::string ReadCsvStyle(const std::string& text, Options& o) {
  if (const std::optional<CsvStyle> named = CsvStyleNamed(text)) {
    o.csv_style = *named;
    return "";
  }
  // TRANSLATORS: %s: the value given (quoted); --csv-style, comma and semicolon are the option's
  // name and values, kept as they are.
  return Fill(Tr("bad --csv-style %s: expected comma or semicolon"), {Quoted(text)});
}

std::string ReadProbe(const std::string& text, Options& o) {
  const std::optional<double> x = ReadNumber(text);
  if (!x) return NotANumber("probe", text);
  o.probe = *x;
  if (std::abs(o.probe) <= probe::kLimit) return "";
  // TRANSLATORS: %s: the value given (quoted).
  return Fill(Tr("bad --probe %s: expected a number from -1000000 to 1000000"), {Quoted(text)});
}

// The options, with the name of their value (null for a switch) and its reader, in the order
// their values are checked (--at after --script, whose keys it replaces).
struct Field {
  const char* name;
  const char* value;
  Reader read;
};

const Field kFields[] = {
    {"script", "TOKENS",
     [](const std::string& t, Options& o) {
       o.script = t;
       return std::string();
     }},
    {"log", "FILE",
     [](const std::string& t, Options& o) { return OutputName(t, "log", kFileName, &o.log); }},
    {"png", "FILE",
     [](const std::string& t, Options& o) { return OutputName(t, "png", kFileName, &o.png); }},
    {"frames", "DIR",
     [](const std::string& t, Options& o) {
       return OutputName(t, "frames", kDirectoryName, &o.frames);
     }},
    {"force", nullptr,
     [](const std::string&, Options& o) {
       o.force = true;
       return std::string();
     }},
    {"gif", "FILE",
     [](const std::string& t, Options& o) { return OutputName(t, "gif", kFileName, &o.gif); }},
    {"video", "FILE", ReadVideo},
    {"delay", "MS", ReadDelay},
    {"size", "WxH", ReadSize},
    {"scale", "F", ReadScale},
    {"video-scale", "N", ReadVideoScale},
    {"palette", "P", ReadPalette},
    {"at", "K", ReadAt},
    {"acc", nullptr,
     [](const std::string&, Options& o) {
       o.switches.acc = true;
       return std::string();
     }},
    {"accumulate", nullptr,
     [](const std::string&, Options& o) {
       o.switches.accumulate = true;
       return std::string();
     }},
    {"sweep", "N", ReadSweep},
    {"label", nullptr,
     [](const std::string&, Options& o) {
       o.label = true;
       return std::string();
     }},
    {"csv", "FILE",
     [](const std::string& t, Options& o) { return OutputName(t, "csv", kFileName, &o.csv); }},
    {"piston-csv", "FILE",
     [](const std::string& t, Options& o) {
       return OutputName(t, "piston-csv", kFileName, &o.piston_csv);
     }},
    {"csv-style", "S", ReadCsvStyle},
    {"mechanism", "FILE", ReadMechanism},
    {"probe", "X", ReadProbe},
    {"svg", "FILE",
     [](const std::string& t, Options& o) { return OutputName(t, "svg", kFileName, &o.svg); }},
    {"pdf", "FILE",
     [](const std::string& t, Options& o) { return OutputName(t, "pdf", kFileName, &o.pdf); }},
    // The configuration's texts, read together once all are known.
    {"linkage", "G,A,C,B",
     [](const std::string& t, Options& o) {
       o.config_texts.linkage = t;
       return std::string();
     }},
    {"reference", "DEG",
     [](const std::string& t, Options& o) {
       o.config_texts.reference = t;
       return std::string();
     }},
    {"assembly", "A",
     [](const std::string& t, Options& o) {
       o.config_texts.assembly = t;
       return std::string();
     }},
    {"piston", "R,L",
     [](const std::string& t, Options& o) {
       o.config_texts.piston = t;
       return std::string();
     }},
    {"report", "FILE",
     [](const std::string& t, Options& o) {
       return OutputName(t, "report", kFileName, &o.report);
     }},
    {"threshold", "L", ReadThreshold},
    {"timing-csv", "FILE",
     [](const std::string& t, Options& o) {
       return OutputName(t, "timing-csv", kFileName, &o.timing_csv);
     }},
    {"profile", "FILE", ReadProfileOption},
    {"timing-png", "FILE",
     [](const std::string& t, Options& o) { return PngName(t, "timing-png", &o.timing_png); }},
};

// The configuration the four options give, checked as a whole.
std::string ReadConfigurationOptions(Options& o) {
  const std::optional<ConfigurationError> e = ReadConfiguration(o.config_texts, &o.config);
  if (!e) return "";
  // TRANSLATORS: %1$s: the option (--linkage), %2$s: its value (quoted), %3$s: what is wrong
  // with it, a whole clause.
  return Fill(Tr("bad %1$s %2$s: %3$s"),
              {"--" + std::string(e->parameter), Quoted(e->text), e->why});
}

// The options that name a frame instead of giving the keys.
constexpr const char* kFrameOptions[] = {"at", "acc", "accumulate", "sweep"};

// The keys of the frame that --at, --acc and --accumulate name, and of the sweep from it. A
// sweep asked for more frames than there are to the end gets fewer: the line that says so.
std::string ReachFrame(Options& o) {
  if (o.sweep < 0) {
    o.script = *ScriptReaching(o.at, o.switches);
    return "";
  }
  const std::optional<SweepKeys> keys = SweepFrom(o.at, o.switches, o.sweep);
  o.script = keys->script;
  o.first_frame = keys->first;
  if (o.sweep <= keys->frames) return "";
  const std::string frames = std::to_string(keys->frames), from = ScaleText(o.at),
                    last = ScaleText(sweep::kLastK), asked = std::to_string(o.sweep);
  if (keys->frames == 1) {
    // TRANSLATORS: %1$s: the frames asked for; %2$s: the k of the first frame; %3$s: the last k.
    return Fill(Tr("--sweep %1$s makes 1 frame from k = %2$s: the sweep ends at k = %3$s"),
                {asked, from, last});
  }
  // TRANSLATORS: %1$s: the frames asked for; %2$s: the frames made; %3$s: the k of the first
  // frame; %4$s: the last k.
  return Fill(Tr("--sweep %1$s makes %2$s frames from k = %3$s: the sweep ends at k = %4$s"),
              {asked, frames, from, last});
}

// ------------------------------------------------------------------------------------------
// The command line as a whole

// The options besides the fields, which ask for no run.
constexpr const char* kHelpNames[] = {"help", "h"};
constexpr const char* kVersionName = "version";

// What getopt_long_only returns for each option: its place in the table, past every character
// getopt itself returns.
constexpr int kFirstCode = 1000;

// The table getopt reads: the fields, then --help, -h and --version.
std::vector<option> OptionTable() {
  std::vector<option> table;
  for (const Field& f : kFields) {
    table.push_back({f.name, f.value ? required_argument : no_argument, nullptr,
                     kFirstCode + static_cast<int>(table.size())});
  }
  for (const char* name : {kHelpNames[0], kHelpNames[1], kVersionName}) {
    table.push_back({name, no_argument, nullptr, kFirstCode + static_cast<int>(table.size())});
  }
  table.push_back({nullptr, 0, nullptr, 0});
  return table;
}

// The option an argument names, without its dashes and value: only a whole name counts, so
// that an abbreviation that works today cannot come to mean another option tomorrow.
const option* Named(const std::vector<option>& table, std::string_view arg) {
  arg = arg.substr(0, arg.find('='));
  arg.remove_prefix(std::min<std::size_t>(arg.starts_with("--") ? 2 : 1, arg.size()));
  for (const option& o : table) {
    if (o.name && arg == o.name) return &o;
  }
  return nullptr;
}

// What the arguments ask for, each option's value; the first problem, in Qt's words where
// the program used Qt's parser before (the messages stay the same).
struct Read {
  std::vector<std::optional<std::string>> values =
      std::vector<std::optional<std::string>>(std::size(kFields));
  bool help = false, version = false;
  std::string error;
};

Read ReadArguments(const std::vector<std::string>& args) {
  std::vector<std::string> copies = args;
  std::vector<char*> argv{const_cast<char*>("tarsel-render")};
  for (std::string& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(argv.size()) - 1;
  const std::vector<option> table = OptionTable();
  Read read;
  // "+": stop at the first argument that is no option (it is refused); ":": a missing value is
  // told apart from an unknown option. optind = 0 starts getopt afresh, messages off.
  optind = 0;
  opterr = 0;
  for (;;) {
    const int at = std::max(optind, 1);
    const int code = getopt_long_only(argc, argv.data(), "+:", table.data(), nullptr);
    if (code == -1) break;
    const std::string_view written = argv[at];
    const option* o = Named(table, written);
    const std::string_view name = written.substr(0, written.find('='));
    if (!o) {
      // TRANSLATORS: %s: the argument (quoted); --help is an option: keep it.
      read.error = Fill(Tr("unknown argument %s (see --help)"), {Quoted(written)});
    } else if (code == ':') {
      // TRANSLATORS: %s: the option (quoted) that needs a value.
      read.error = Fill(Tr("Missing value after %s."), {Quoted(name)});
    } else if (code == '?') {
      // TRANSLATORS: %s: the option (quoted) that takes no value.
      read.error = Fill(Tr("Unexpected value after %s."), {Quoted(name)});
    } else if (const std::size_t i = static_cast<std::size_t>(code - kFirstCode);
               i < std::size(kFields) && read.values[i]) {
      // Which of two values was meant cannot be known: neither is taken.
      // TRANSLATORS: %s: the option (--png).
      read.error = Fill(Tr("%s is given twice"), {std::string("--") + kFields[i].name});
    } else if (i < std::size(kFields)) {
      read.values[i] = optarg ? optarg : "";
    } else {
      (o->name == std::string_view(kVersionName) ? read.version : read.help) = true;
    }
    if (!read.error.empty()) return read;
  }
  if (optind < argc) {
    read.error = Fill(Tr("unknown argument %s (see --help)"), {Quoted(argv[optind])});
  }
  return read;
}

// What the values allow only together: pictures within the cap, and videos too once enlarged.
std::string CheckSizes(const Options& o) {
  if ((o.pictures() || o.vectors()) && !Canvas::FitsCap(o.size, o.scale)) {
    // TRANSLATORS: %1$sx%2$s: the picture's size given (--size); %3$s: the scale given
    // (--scale); %4$s: the most device pixels a side.
    return Fill(Tr("picture too large: %1$sx%2$s at scale %3$s is more than %4$s device pixels a "
                   "side"),
                {std::to_string(o.size.width), std::to_string(o.size.height), ScaleText(o.scale),
                 std::to_string(kMaxSide)});
  }
  const int side = std::max(Canvas::DeviceSide(o.size.width, o.scale),
                            Canvas::DeviceSide(o.size.height, o.scale));
  if (!o.video.empty() && side * o.video_scale > kMaxSide) {
    // TRANSLATORS: %1$s: the most pixels a side; %2$s: the --video-scale given.
    return Fill(Tr("video too large: more than %1$s pixels a side at --video-scale %2$s"),
                {std::to_string(kMaxSide), std::to_string(o.video_scale)});
  }
  return "";
}

}  // namespace

Parsed ParseOptions(const std::vector<std::string>& args) {
  Read read = ReadArguments(args);
  if (!read.error.empty()) return Refuse(std::move(read.error));
  if (read.help) return Answer(Parsed::kHelp);
  if (read.version) return Answer(Parsed::kVersion);
  const auto given = [&](const char* name) {
    const auto field = std::find_if(std::begin(kFields), std::end(kFields), [&](const Field& f) {
      return std::string_view(f.name) == name;
    });
    return read.values[static_cast<std::size_t>(field - std::begin(kFields))].has_value();
  };
  for (const char* name : kFrameOptions) {
    if (given(name) && given("script")) {
      // TRANSLATORS: %s: an option (--at) that cannot go with --script.
      return Refuse(
          Fill(Tr("%s and --script cannot be given together"), {std::string("--") + name}));
    }
  }
  if (given("probe") && !given("mechanism")) return Refuse(Tr("--probe needs --mechanism FILE"));
  Parsed p;
  for (std::size_t i = 0; i < std::size(kFields); ++i) {
    if (!read.values[i]) continue;
    std::string error = kFields[i].read(*read.values[i], p.options);
    if (!error.empty()) return Refuse(std::move(error));
  }
  if (std::string error = ReadConfigurationOptions(p.options); !error.empty()) {
    return Refuse(std::move(error));
  }
  if (std::any_of(std::begin(kFrameOptions), std::end(kFrameOptions),
                  [&](const char* name) { return given(name); })) {
    p.note = ReachFrame(p.options);
  }
  if (std::string error = CheckSizes(p.options); !error.empty()) return Refuse(std::move(error));
  return p;
}

}  // namespace tarsel
