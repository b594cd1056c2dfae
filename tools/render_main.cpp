// tarsel-render: the animation without a window. It replays a script of key presses and
// double-clicks through the same driver and handlers as the window, and writes the draw log
// and/or pictures of the client area: at the end of the run, at every wait for a key (numbered
// PNG files), or as one animated GIF or a video.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "export/memory.h"
#include "export/replay.h"
#include "geometry/language.h"
#include "render/canvas.h"
#include "tools/options.h"
#include "tools/outputs.h"
#include "tools/stop.h"

namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "tarsel-render: %s\n", message.c_str());
  return 2;
}

// The answer to a command line that asks for no run (help, version, nothing, or a refused
// one), as an exit status; nullopt when the run goes ahead.
std::optional<int> Answered(int argc, char** argv, tarsel::Parsed* parsed) {
  // Without arguments there is nothing to export: say how to ask for something.
  if (argc < 2) {
    std::fputs(tarsel::Usage().c_str(), stderr);
    return 2;
  }
  *parsed = tarsel::ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
  switch (parsed->action) {
    case tarsel::Parsed::kHelp:
      std::fputs(tarsel::Usage().c_str(), stdout);
      return 0;
    case tarsel::Parsed::kVersion:
      std::fputs("tarsel-render " TARSEL_VERSION "\n", stdout);
      return 0;
    case tarsel::Parsed::kRefuse:
      return Fail(parsed->error);
    case tarsel::Parsed::kRun:
      break;
  }
  return std::nullopt;
}

// A frame for each key pressed at a wait, and the first.
long ExpectedFrames(const std::vector<tarsel::ScriptEvent>& script) {
  return 1 + std::count_if(script.begin(), script.end(),
                           [](const tarsel::ScriptEvent& e) { return e.at == 0; });
}

// The end of a run that got as far as opening its outputs: `error` or success, unless a stop was
// asked for meanwhile. A call that failed during a stop is the stop's doing (an interrupted
// system call: a write, or the open of a pipe that has no reader yet), so the stop has the last
// word: its line, and the end by the signal, at once, without waiting for an encoder to wind
// down.
int End(tarsel::Outputs& outputs, const std::string& error) {
  if (const int signal = tarsel::stop::Requested()) {
    Fail(outputs.Stopped(signal));
    tarsel::stop::EndBy(signal);
  }
  return error.empty() ? 0 : Fail(error);
}

// The run, once its script and outputs are known to be good. Whatever way it ends, the
// outputs are gone by the time it returns: put in place, or their temporary files removed.
int Run(const tarsel::Options& options, std::vector<tarsel::ScriptEvent> script,
        tarsel::Size device) {
  std::optional<tarsel::Canvas> canvas;
  if (options.pictures()) {
    canvas.emplace(options.size, options.scale);
    canvas->SetPalette(options.palette);
  }
  // The canvas's picture, looked up at each use.
  const auto picture = [&]() { return canvas ? &canvas->image() : nullptr; };
  tarsel::Outputs outputs;
  const long expected = ExpectedFrames(script);
  std::string error = outputs.Open(options, device, expected);
  if (!error.empty()) return End(outputs, error);
  tarsel::Replay replay(std::move(script), outputs.log(), canvas ? &*canvas : nullptr,
                        options.config, options.profile);
  replay.RecordLines(outputs.lines());
  replay.OnWait([&] {
    if (tarsel::stop::Requested()) return false;
    error = outputs.Frame(picture(), replay.state());
    return error.empty();
  });
  if (!tarsel::stop::Requested()) replay.Run();
  if (!replay.aborted() && !tarsel::stop::Requested()) {
    error = outputs.Finish(picture(), replay.state(), replay.curves());
  }
  return End(outputs, error);
}

}  // namespace

int main(int argc, char** argv) {
  std::error_code ignored;
  tarsel::UseSystemLanguage(
      tarsel::LocaleDir(std::filesystem::read_symlink("/proc/self/exe", ignored).string()));
  tarsel::stop::CatchSignals();
  tarsel::Parsed parsed;
  if (const std::optional<int> status = Answered(argc, argv, &parsed)) return *status;
  const tarsel::Options& options = parsed.options;

  std::string error;
  auto script = tarsel::ParseScript(options.script, &error);
  if (!script) return Fail(error);
  // The pictures' size in device pixels, also for the vector pictures drawn without a canvas.
  const tarsel::Size device{tarsel::Canvas::DeviceSide(options.size.width, options.scale),
                            tarsel::Canvas::DeviceSide(options.size.height, options.scale)};
  // Before any file is created or any picture allocated.
  if (!(error = tarsel::Outputs::Check(options, device)).empty()) return Fail(error);
  if (!parsed.note.empty()) std::fprintf(stderr, "tarsel-render: %s\n", parsed.note.c_str());
  int status = 2;
  try {
    status = Run(options, std::move(*script), device);
  } catch (const std::bad_alloc&) {
    // More than the check foresaw (other programs took the memory meanwhile): the outputs
    // removed their temporary files on the way here.
    status = Fail(options.pictures() ? tarsel::NotEnoughMemory(device.width, device.height)
                                     : tarsel::Tr("not enough memory"));
  }
  if (const int signal = tarsel::stop::Requested()) tarsel::stop::EndBy(signal);
  return status;
}
