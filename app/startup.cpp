#include "app/startup.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QString>
#include <QStringList>
#include <QTranslator>
#include <QtGlobal>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "geometry/language.h"
#include "input/printable.h"
#include "render/canvas.h"

namespace tarsel {

namespace {

// The help in the student's language: the synopsis (option names and their arguments stay as
// they are typed) and the paragraph under it, each one text for the translator.
std::string HelpText() {
  // TRANSLATORS: tarsel --help, its synopsis. Keep the option names (-platform, -display,
  // -qwindowgeometry, --help, --version) and the program's name as they are: they are typed.
  std::string help =
      Tr("usage: tarsel [Qt options such as -platform NAME, -display DISPLAY, -qwindowgeometry "
         "WxH+X+Y]\n"
         "       tarsel --help | --version\n");
  help += "\n";
  // TRANSLATORS: tarsel --help, the paragraph under the synopsis; wrap its lines at about 90
  // characters. Keep QT_SCALE_FACTOR=2 tarsel, man tarsel, tarsel-render --help and man
  // tarsel-render as they are: they are typed.
  help +=
      Tr("Opens the animation window. The program takes no options of its own (any other argument\n"
         "is refused, status 2): keys step the animation, as the window's caption says. See man "
         "tarsel "
         "for the keys and for showing the\n"
         "drawing larger on a projector (QT_SCALE_FACTOR=2 tarsel), and tarsel-render --help (or\n"
         "man tarsel-render) for the same frames as PNG files or a GIF, without a window.\n");
  return help;
}

// A message of one line stays one line in every language: a line break in a translation
// would split it for a script that reads the first line.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

// One line on standard error, named by the program.
void Say(const std::string& message) {
  std::fprintf(stderr, "tarsel: %s\n", OneLine(message).c_str());
}

// Qt reads an option with one dash or two.
bool IsQtOption(const char* arg, const char* name) {
  if (arg[0] == '-' && arg[1] == '-') ++arg;
  return std::strcmp(arg, name) == 0;
}

// The value of the last `name VALUE` on the command line, as Qt takes it.
QString LastValue(int argc, char** argv, const char* name) {
  QString value;
  for (int i = 1; i + 1 < argc; ++i) {
    if (IsQtOption(argv[i], name)) value = QString::fromLocal8Bit(argv[++i]);
  }
  return value;
}

struct StartupArgs {
  QString platform;  // -platform, else QT_QPA_PLATFORM
  QString display;   // -display, else DISPLAY
};
StartupArgs startup_args;

bool WaylandPluginInstalled() {
  // Called once the application object exists, so that the plugin folders are the ones Qt
  // searched (a qt.conf beside the program can move them).
  for (const QString& dir : QCoreApplication::libraryPaths()) {
    if (QFileInfo::exists(dir + "/platforms/libqwayland-generic.so")) return true;
  }
  return false;
}

// What kept every platform that Qt tried from opening a window, in a few words.
std::string NoWindowReason() {
  const QString wayland_display = qEnvironmentVariable("WAYLAND_DISPLAY");
  const QString session = qEnvironmentVariable("XDG_SESSION_TYPE");
  const QString& display = startup_args.display;
  QStringList tried;
  if (!startup_args.platform.isEmpty()) {
    // "wayland;xcb" tries both in turn; "xcb:option" passes an option to the plugin.
    for (const QString& p : startup_args.platform.split(';', Qt::SkipEmptyParts)) {
      tried << p.section(':', 0, 0);
    }
  } else {
    if (wayland_display.isEmpty() && session != "wayland" && display.isEmpty()) {
      return Tr("no display: neither WAYLAND_DISPLAY nor DISPLAY is set");
    }
    // Qt's own choice: a Wayland session first tries Wayland, except on GNOME.
    const bool gnome =
        qEnvironmentVariable("XDG_CURRENT_DESKTOP").contains("gnome", Qt::CaseInsensitive) ||
        qEnvironmentVariable("XDG_SESSION_DESKTOP").contains("gnome", Qt::CaseInsensitive);
    if (session == "wayland" && !gnome) tried << "wayland";
    tried << "xcb";
  }
  const bool wayland_tried = tried.contains("wayland") || tried.contains("wayland-egl");
  QStringList reasons;
  for (const QString& name : tried) {
    if (name == "wayland" || name == "wayland-egl") {
      if (!WaylandPluginInstalled()) {
        reasons << Tr("Qt's Wayland platform plugin is not installed (package qt6-wayland)");
      } else {
        // TRANSLATORS: %s the name of the Wayland display, quoted.
        reasons << Fill(Tr("cannot connect to the Wayland display %s"),
                        {Quoted((wayland_display.isEmpty() ? QString("wayland-0") : wayland_display)
                                    .toStdString())})
                       .c_str();
      }
    } else if (name == "xcb") {
      if (display.isEmpty()) {
        reasons << (wayland_display.isEmpty() || wayland_tried
                        ? Tr("no X display (DISPLAY is not set)")
                        // TRANSLATORS: keep QT_QPA_PLATFORM=wayland as it is: it is typed.
                        : Tr("no X display (DISPLAY is not set; on Wayland, set "
                             "QT_QPA_PLATFORM=wayland)"));
      } else {
        // TRANSLATORS: %s the name of the X display, quoted.
        reasons << Fill(Tr("cannot connect to the X display %s"), {Quoted(display.toStdString())})
                       .c_str();
      }
    } else {
      // TRANSLATORS: %s the name of a Qt platform plugin, quoted.
      reasons << Fill(Tr("the Qt platform plugin %s is not installed or did not start"),
                      {Quoted(name.toStdString())})
                     .c_str();
    }
  }
  return reasons.join("; ").toStdString();
}

struct HeldMessage {
  QtMsgType type;
  const char* file;
  int line;
  const char* function;
  const char* category;
  QString text;
};
std::vector<HeldMessage> held;

void Hold(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg) {
    // TRANSLATORS: %s why: one or more reasons, separated by semicolons.
    Say(Fill(Tr("cannot open a window: %s"), {NoWindowReason()}));
    std::fflush(stderr);
    // Not exit(): this runs inside the half-made application object, whose static data must
    // not be torn down from here.
    std::_Exit(1);
  }
  // The context's strings are literals of Qt's and outlive the start.
  held.push_back({type, context.file, context.line, context.function, context.category, text});
}

}  // namespace

void UseLanguage(const char* program) {
  std::error_code error;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || path.empty()) path = program ? program : "";
  UseSystemLanguage(LocaleDir(path.string()));
}

void UseToolkitLanguage() {
  auto* translator = new QTranslator(qApp);
  if (translator->load(QLocale(), "qtbase", "_",
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(translator);
  } else {
    delete translator;
  }
}

std::optional<int> AnswerHelpOrVersion(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(HelpText().c_str(), stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::fputs("tarsel " TARSEL_VERSION "\n", stdout);
      return 0;
    }
  }
  return std::nullopt;
}

void CheckScaleFactor() {
  const QByteArray text = qgetenv("QT_SCALE_FACTOR");
  if (text.isNull()) return;
  bool number = false;
  const double factor = text.toDouble(&number);
  if (!number ||
      (std::isfinite(factor) && factor >= Canvas::kLeastScale && factor <= Canvas::kMostScale)) {
    return;
  }
  char least[32], most[32];
  std::snprintf(least, sizeof least, "%g", Canvas::kLeastScale);
  std::snprintf(most, sizeof most, "%g", Canvas::kMostScale);
  // TRANSLATORS: %1$s the value of the variable QT_SCALE_FACTOR, quoted; %2$s and %3$s the
  // least and the most scale. Keep QT_SCALE_FACTOR as it is.
  Say(Fill(Tr("QT_SCALE_FACTOR %1$s is not a scale from %2$s to %3$s; using 1"),
           {Quoted(text.toStdString()), least, most}));
  qputenv("QT_SCALE_FACTOR", "1");
}

std::optional<int> RefuseUnknownArguments(int argc, char** argv) {
  if (argc < 2) return std::nullopt;
  // TRANSLATORS: %s the argument, quoted. Keep --help as it is: it is typed.
  Say(Fill(Tr("unknown argument %s (see --help)"), {Quoted(argv[1])}));
  return 2;
}

std::optional<int> RefuseScreenWithoutColour() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen || screen->depth() >= 15) return std::nullopt;
  // TRANSLATORS: %s the display's bits a pixel (a whole number).
  Say(Fill(Tr("cannot draw on this display: it has %s bits a pixel, the window needs 15 or more "
              "(true colour)"),
           {std::to_string(screen->depth())}));
  return 1;
}

bool GeometryGiven(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (IsQtOption(argv[i], "-qwindowgeometry") || IsQtOption(argv[i], "-geometry")) return true;
  }
  return false;
}

void HoldStartupMessages(int argc, char** argv) {
  startup_args.platform = LastValue(argc, argv, "-platform");
  if (startup_args.platform.isEmpty())
    startup_args.platform = qEnvironmentVariable("QT_QPA_PLATFORM");
  startup_args.display = LastValue(argc, argv, "-display");
  if (startup_args.display.isEmpty()) startup_args.display = qEnvironmentVariable("DISPLAY");
  qInstallMessageHandler(Hold);
}

namespace {

// The keyboard map is read again from the X server whenever it changes; when the server goes
// away in the middle of that, Qt writes two lines about the map before its own line about the
// lost connection. They say nothing the user can act on, and would make one error three lines.
bool KeyboardMapNoise(const QMessageLogContext& context, const QString& text) {
  return (context.category && std::strcmp(context.category, "qt.qpa.xkeyboard") == 0) ||
         text.startsWith("Qt: failed to retrieve the virtual modifier map from XKB");
}

// When the server goes away while a frame is drawn, the names of the atoms in the events
// still queued can no longer be asked for: one warning each, before the line about the lost
// connection.
bool AtomNoise(const QMessageLogContext& context, const QString& text) {
  return context.category && std::strcmp(context.category, "qt.qpa.xcb") == 0 &&
         text.startsWith("atomName: bad atom");
}

QtMessageHandler qt_handler = nullptr;  // Qt's own, which writes to standard error

void PassOn(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtWarningMsg && (KeyboardMapNoise(context, text) || AtomNoise(context, text))) {
    return;
  }
  if (qt_handler) qt_handler(type, context, text);
  if (text.startsWith("The X11 connection broke")) {
    // Qt's line says it all and it ends the program next; libX11, should its exit handlers
    // touch the dead connection on the way, would add a line of its own. Nothing is left to
    // draw or read, and nothing of the window's is being written: the end comes here, with
    // the status Qt gives it.
    std::fflush(stderr);
    std::_Exit(1);
  }
}

}  // namespace

void ReleaseStartupMessages() {
  qInstallMessageHandler(nullptr);
  qt_handler = qInstallMessageHandler(PassOn);
  for (const HeldMessage& m : held) {
    PassOn(m.type, QMessageLogContext(m.file, m.line, m.function, m.category), m.text);
  }
  held.clear();
}

}  // namespace tarsel
