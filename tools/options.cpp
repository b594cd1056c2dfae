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
#include "input/link.h"
#include "input/number.h"
#include "input/printable.h"
#include "input/profile_file.h"

namespace tarsel {

const char kUsage[] =
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
    "       tarsel-render --help | --version\n"
    "\n"
    "Runs the animation without a window, pressing the keys of a script.\n"
    "\n"
    "  --script TOKENS  keys as character codes (97, 44, 13, 8, ...), as names (space, enter,\n"
    "                   tab, backspace, esc, comma, slash) or as a character (a, /), or dbl,\n"
    "                   separated by spaces or commas; TOKEN@N is pressed inside the N-th\n"
    "                   event call of a pass\n"
    "  --at K           instead of a script, the keys that reach the frame at k = K (4.5 is the\n"
    "                   first frame; steps of 0.025 from -100 to 20)\n"
    "  --acc            with --at: velocity and acceleration on (BackSpace first)\n"
    "  --accumulate     with --at: frames accumulate (\"/\" first), the pile of the way to K\n"
    "  --sweep N|end    after the frame at K (4.5 without --at), plain keys for N frames in all,\n"
    "                   or to the end of the sweep (k = 20; where it ends first, fewer, and a\n"
    "                   line on standard error says so); --frames, --gif and --video start at\n"
    "                   the frame at K\n"
    "  --log FILE       every drawing and event call, one per line (- for standard output)\n"
    "  --png FILE       the client area at the end of the run\n"
    "  --frames DIR     the client area at each wait for a key: DIR/frame-001.png, ...\n"
    "  --force          overwrite the frame files of an earlier export in DIR\n"
    "  --gif FILE       the same frames as one looping animated GIF\n"
    "  --video FILE     the same frames as a video: .mp4 (H.264) or .webm (VP9)\n"
    "  --video-scale N  video pixels a side for each picture pixel, 1 to 4 (default 2, which\n"
    "                   keeps the colour of one-pixel curves whole in the video's 4:2:0)\n"
    "  --delay MS       time each GIF or video frame is shown, in milliseconds (default 200)\n"
    "  --label          write on every picture its k, its frame of the plain sweep, the curves\n"
    "                   shown and whether frames accumulate (in the top-left corner)\n"
    "  --csv FILE       the frame at the end of the run as CSV: one row per table point,\n"
    "                   n,k,xa,ya,xb,yb,theta,ff,blue_x,Px,Py,Rx,Ry,phi\n"
    "  --piston-csv FILE  the piston curve's points as CSV: point,crank_angle,travel,x,y\n"
    "  --mechanism FILE.png  the mechanism view at the end of the run: the four-bar at the\n"
    "                   blue point nearest the probe, the slider-crank at the probe's angle\n"
    "  --probe X        the probe's position in plot units (default 65)\n"
    "  --svg FILE       the picture at the end of the run as SVG: every line since the last\n"
    "                   clear, in order, in the client area's device pixels\n"
    "  --pdf FILE       the same lines as a one-page PDF, for print (96 pixels to the inch)\n"
    "  --size WxH       client area in logical pixels (default 962x688)\n"
    "  --scale F        device pixels per logical pixel, 0.125 to 8 (default 1)\n"
    "  --linkage G,A,C,B  the four-bar's lengths: fixed line O-Q, crank O-P, coupler P-R,\n"
    "                   rocker Q-R (default 31.5,7,25,31), each above 0 and at most 10000\n"
    "  --reference DEG  the reference angle of the phase offset ff = 2 (DEG - phi) (default 65)\n"
    "  --assembly A     open (the default) or crossed: where the coupler and the rocker meet\n"
    "  --piston R,L     the piston's crank radius and connecting rod, L longer than R\n"
    "                   (default 25.5,100)\n"
    "  --report FILE    the analysis of the mechanism as JSON (- for standard output): its\n"
    "                   Grashof class, where it closes, the ranges of the transmission angle, of\n"
    "                   phi and of the phase offset, the piston's stroke; and the valve events\n"
    "                   of the frame at the end of the run (red, green, blue): opening,\n"
    "                   closing, peak and duration, in plot and in crank degrees\n"
    "  --threshold L    the checking lift the valve events are read at (default 1), above 0\n"
    "  --timing-csv FILE  the blue trace's valve events over the plain sweep, one row a frame:\n"
    "                   k,opening,closing,peak,duration,opening_crank,closing_crank,peak_crank,\n"
    "                   duration_crank (empty where it never reaches the checking lift)\n"
    "  --csv-style S    comma (the default) or semicolon: the cells of --csv, --piston-csv and\n"
    "                   --timing-csv separated by ';', their numbers with decimal commas (4,5),\n"
    "                   for a spreadsheet that reads numbers so\n"
    "  --timing-png FILE.png  the timing plot: the blue trace's opening, closing, peak and\n"
    "                   duration against k, the red's as reference lines, the last frame marked\n"
    "  --profile FILE   the lift profile from a CSV file of angle,lift rows (degrees, strictly\n"
    "                   increasing, -360 to 360; lifts at least 0; 5 to 10000 rows; or\n"
    "                   angle;lift with decimal commas) instead of the built-in one\n"
    "  --palette P      exact (the default) or distinguishable: colours that stay apart for\n"
    "                   colour-vision deficiencies, each 3:1 or more against white\n"
    "\n"
    "Each option may be given once. K, F and X are numbers such as 6.5, -0.025, .5 or 4500e-3.\n"
    "A GIF frame holds at most 256 colours: where antialiasing makes more, the drawing colours\n"
    "are kept exactly and the other pixels take the nearest of the frame's 256 colours.\n"
    "Exit status: 0 on success, 2 on a bad argument, a failed write or too little memory.\n"
    "Every file is written under a temporary name and put in place when the run is complete:\n"
    "a refused, failed or interrupted run (Ctrl+C) leaves earlier files as they were.\n";

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
std::string OutputName(const std::string& text, const char* option, const char* what,
                       std::string* out) {
  if (text.empty()) return std::string("--") + option + " needs a " + what;
  *out = text;
  return "";
}

std::string ReadVideo(const std::string& text, Options& o) {
  if (std::string error = OutputName(text, "video", "file name", &o.video); !error.empty()) {
    return error;
  }
  if (VideoFormatOf(text) == VideoFormat::kNone) {
    return "bad --video " + Quoted(text) + ": expected a file name ending in .mp4 or .webm";
  }
  return "";
}

// The mechanism view and the timing plot are PNGs: any other ending would name bytes that are
// not what it says.
std::string PngName(const std::string& text, const char* option, std::string* out) {
  if (std::string error = OutputName(text, option, "file name", out); !error.empty()) {
    return error;
  }
  constexpr std::string_view kPng = ".png";
  const bool png =
      text.size() >= kPng.size() &&
      std::equal(kPng.begin(), kPng.end(), text.end() - kPng.size(),
                 [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
  return png ? ""
             : std::string("bad --") + option + " " + Quoted(text) +
                   ": expected a file name ending in .png";
}

std::string ReadMechanism(const std::string& text, Options& o) {
  return PngName(text, "mechanism", &o.mechanism);
}

std::string ReadDelay(const std::string& text, Options& o) {
  if (ParseWhole(text, kMaxDelayMs, &o.delay_ms) && o.delay_ms >= 10) return "";
  return "bad --delay " + Quoted(text) + ": expected milliseconds from 10 to 655350";
}

std::string ReadSize(const std::string& text, Options& o) {
  if (ParseSize(text, &o.size)) return "";
  return "bad --size " + Quoted(text) + ": expected WxH, 1 to 8192 each";
}

// "bad --OPTION 'TEXT': not a number".
std::string NotANumber(const char* option, const std::string& text) {
  return std::string("bad --") + option + " " + Quoted(text) + ": not a number";
}

std::string ReadScale(const std::string& text, Options& o) {
  const std::optional<double> scale = ReadNumber(text);
  if (!scale) return NotANumber("scale", text);
  o.scale = *scale;
  if (o.scale >= Canvas::kLeastScale && o.scale <= Canvas::kMostScale) return "";
  return "bad --scale " + Quoted(text) + ": expected a number from " +
         ScaleText(Canvas::kLeastScale) + " to " + ScaleText(Canvas::kMostScale);
}

std::string ReadPalette(const std::string& text, Options& o) {
  if (const std::optional<Palette> named = PaletteNamed(text)) {
    o.palette = *named;
    return "";
  }
  return "bad --palette " + Quoted(text) + ": expected exact or distinguishable";
}

std::string ReadVideoScale(const std::string& text, Options& o) {
  if (ParseWhole(text, 4, &o.video_scale)) return "";
  return "bad --video-scale " + Quoted(text) + ": expected 1, 2, 3 or 4";
}

// The frame --at names; its keys are found once the switches are known too.
std::string ReadAt(const std::string& text, Options& o) {
  if (!ReadNumber(text)) return NotANumber("at", text);
  const std::optional<double> k = ReadK(text);
  if (!k || !ScriptReaching(*k)) {
    return "bad --at " + Quoted(text) + ": no key script reaches it; expected " + kReachableK;
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
    return "bad --sweep " + Quoted(text) + ": expected a number of frames from 1 to " +
           std::to_string(kMostSweepFrames) + ", or end";
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
  return "bad --threshold " + Quoted(text) + ": expected a lift above 0";
}

std::string ReadProfileOption(const std::string& path, Options& o) {
  if (path.empty()) return "--profile needs a file name";
  std::string why;
  if (std::optional<ProfileTables> tables = ReadProfileFile(path, &why)) {
    o.profile = std::make_shared<const ProfileTables>(std::move(*tables));
    return "";
  }
  return "bad --profile " + Quoted(path) + ": " + why;
}

std::string ReadCsvStyle(const std::string& text, Options& o) {
  if (const std::optional<CsvStyle> named = CsvStyleNamed(text)) {
    o.csv_style = *named;
    return "";
  }
  return "bad --csv-style " + Quoted(text) + ": expected comma or semicolon";
}

std::string ReadProbe(const std::string& text, Options& o) {
  const std::optional<double> x = ReadNumber(text);
  if (!x) return NotANumber("probe", text);
  o.probe = *x;
  if (std::abs(o.probe) <= probe::kLimit) return "";
  return "bad --probe " + Quoted(text) + ": expected a number from -1000000 to 1000000";
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
     [](const std::string& t, Options& o) { return OutputName(t, "log", "file name", &o.log); }},
    {"png", "FILE",
     [](const std::string& t, Options& o) { return OutputName(t, "png", "file name", &o.png); }},
    {"frames", "DIR",
     [](const std::string& t, Options& o) {
       return OutputName(t, "frames", "directory name", &o.frames);
     }},
    {"force", nullptr,
     [](const std::string&, Options& o) {
       o.force = true;
       return std::string();
     }},
    {"gif", "FILE",
     [](const std::string& t, Options& o) { return OutputName(t, "gif", "file name", &o.gif); }},
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
     [](const std::string& t, Options& o) { return OutputName(t, "csv", "file name", &o.csv); }},
    {"piston-csv", "FILE",
     [](const std::string& t, Options& o) {
       return OutputName(t, "piston-csv", "file name", &o.piston_csv);
     }},
    {"csv-style", "S", ReadCsvStyle},
    {"mechanism", "FILE", ReadMechanism},
    {"probe", "X", ReadProbe},
    {"svg", "FILE",
     [](const std::string& t, Options& o) { return OutputName(t, "svg", "file name", &o.svg); }},
    {"pdf", "FILE",
     [](const std::string& t, Options& o) { return OutputName(t, "pdf", "file name", &o.pdf); }},
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
       return OutputName(t, "report", "file name", &o.report);
     }},
    {"threshold", "L", ReadThreshold},
    {"timing-csv", "FILE",
     [](const std::string& t, Options& o) {
       return OutputName(t, "timing-csv", "file name", &o.timing_csv);
     }},
    {"profile", "FILE", ReadProfileOption},
    {"timing-png", "FILE",
     [](const std::string& t, Options& o) { return PngName(t, "timing-png", &o.timing_png); }},
};

// The configuration the four options give, checked as a whole.
std::string ReadConfigurationOptions(Options& o) {
  const std::optional<ConfigurationError> e = ReadConfiguration(o.config_texts, &o.config);
  if (!e) return "";
  return "bad --" + std::string(e->parameter) + " " + Quoted(e->text) + ": " + e->why;
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
  char line[160];
  std::snprintf(line, sizeof line,
                "--sweep %ld makes %ld frame%s from k = %g: the sweep ends at k = %g", o.sweep,
                keys->frames, keys->frames == 1 ? "" : "s", o.at, sweep::kLastK);
  return line;
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
      read.error = "unknown argument " + Quoted(written) + " (see --help)";
    } else if (code == ':') {
      read.error = "Missing value after " + Quoted(name) + ".";
    } else if (code == '?') {
      read.error = "Unexpected value after " + Quoted(name) + ".";
    } else if (const std::size_t i = static_cast<std::size_t>(code - kFirstCode);
               i < std::size(kFields) && read.values[i]) {
      // Which of two values was meant cannot be known: neither is taken.
      read.error = std::string("--") + kFields[i].name + " is given twice";
    } else if (i < std::size(kFields)) {
      read.values[i] = optarg ? optarg : "";
    } else {
      (o->name == std::string_view(kVersionName) ? read.version : read.help) = true;
    }
    if (!read.error.empty()) return read;
  }
  if (optind < argc) read.error = "unknown argument " + Quoted(argv[optind]) + " (see --help)";
  return read;
}

// What the values allow only together: pictures within the cap, and videos too once enlarged.
std::string CheckSizes(const Options& o) {
  if ((o.pictures() || o.vectors()) && !Canvas::FitsCap(o.size, o.scale)) {
    return "picture too large: " + std::to_string(o.size.width) + "x" +
           std::to_string(o.size.height) + " at scale " + ScaleText(o.scale) + " is more than " +
           std::to_string(kMaxSide) + " device pixels a side";
  }
  const int side = std::max(Canvas::DeviceSide(o.size.width, o.scale),
                            Canvas::DeviceSide(o.size.height, o.scale));
  if (!o.video.empty() && side * o.video_scale > kMaxSide) {
    return "video too large: more than " + std::to_string(kMaxSide) +
           " pixels a side at --video-scale " + std::to_string(o.video_scale);
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
      return Refuse(std::string("--") + name + " and --script cannot be given together");
    }
  }
  if (given("probe") && !given("mechanism")) return Refuse("--probe needs --mechanism FILE");
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
