// tarsel-render: the animation without a window. It replays a script of key presses and
// double-clicks through the same driver and handlers as the window, and writes the draw log
// and/or pictures of the client area: at the end of the run, at every wait for a key (numbered
// PNG files), or as one animated GIF.
#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "export/replay.h"
#include "render/canvas.h"
#include "tools/options.h"
#include "tools/outputs.h"

namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "tarsel-render: %s\n", message.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // Without arguments there is nothing to export: say how to ask for something.
  if (argc < 2) {
    std::fputs(tarsel::kUsage, stderr);
    return 2;
  }
  const tarsel::Parsed parsed =
      tarsel::ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
  switch (parsed.action) {
    case tarsel::Parsed::kHelp:
      std::fputs(tarsel::kUsage, stdout);
      return 0;
    case tarsel::Parsed::kVersion:
      std::fputs("tarsel-render " TARSEL_VERSION "\n", stdout);
      return 0;
    case tarsel::Parsed::kRefuse:
      return Fail(parsed.error);
    case tarsel::Parsed::kRun:
      break;
  }
  const tarsel::Options& options = parsed.options;

  // The label's text needs Qt's fonts, and so an application object; the offscreen platform
  // needs no display.
  std::optional<QGuiApplication> fonts;
  char platform_arg[] = "-platform", offscreen[] = "offscreen";
  char* qt_argv[] = {argv[0], platform_arg, offscreen, nullptr};
  int qt_argc = 3;
  if (options.label) {
    // Qt's notes on the environment (no runtime directory, say) are not the user's business:
    // standard error carries this program's own one-line messages only.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
      if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "tarsel-render: %s\n", text.toLocal8Bit().constData());
      }
    });
    fonts.emplace(qt_argc, qt_argv);
  }

  std::string error;
  auto script = tarsel::ParseScript(options.script, &error);
  if (!script) return Fail(error);

  std::optional<tarsel::Canvas> canvas;
  if (options.pictures()) {
    try {
      canvas.emplace(options.size, options.scale);
      canvas->SetPalette(options.palette);
    } catch (const std::bad_alloc&) {
      return Fail("not enough memory for the picture");
    }
  }
  tarsel::Outputs outputs;
  const tarsel::Size device =
      canvas ? tarsel::Size{canvas->image().width, canvas->image().height} : tarsel::Size{};
  // A frame for each key pressed at a wait, and the first.
  const long expected = 1 + std::count_if(script->begin(), script->end(),
                                          [](const tarsel::ScriptEvent& e) { return e.at == 0; });
  if (!(error = outputs.Open(options, device, expected)).empty()) return Fail(error);

  tarsel::Replay replay(std::move(*script), outputs.log(), canvas ? &*canvas : nullptr);
  replay.OnWait([&] {
    error = outputs.Frame(canvas ? &canvas->image() : nullptr, replay.state());
    return error.empty();
  });
  replay.Run();
  if (replay.aborted()) return Fail(error);
  error = outputs.Finish(canvas ? &canvas->image() : nullptr, replay.state());
  return error.empty() ? 0 : Fail(error);
}
