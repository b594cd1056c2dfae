#pragma once

#include <optional>

// What happens before the window exists: the two options the program answers itself, and a
// start that finds no display to open the window on.
namespace tarsel {

// The student's language for the program's words, from the catalogues beside the program (a
// build tree) or installed with it, as LANGUAGE, LC_ALL, LC_MESSAGES or LANG name it. Called
// first, so that --help and the refusals before the window are in that language, and again once
// the application object exists: Qt takes the whole locale from the environment, and the
// numbers go back to decimal points here. `program` is argv[0], used only where
// /proc/self/exe cannot be read.
void UseLanguage(const char* program);
// Qt's own words (a file dialog's buttons) in the same language, where Debian's Qt translations
// are installed (qt6-translations-l10n); English otherwise. After the QApplication exists.
void UseToolkitLanguage();

// The program takes no command line of its own: every argument goes to Qt, which honours its
// own (-platform, -display, -qwindowgeometry, ...). Only --help and --version are answered
// here, on standard output and without a display. Returns the exit status when one of them
// was given.
std::optional<int> AnswerHelpOrVersion(int argc, char** argv);

// QT_SCALE_FACTOR scales the whole window, and the canvas draws at that ratio. A value it
// cannot draw at (not a number from Canvas::kLeastScale to kMostScale: nan, inf, 0, -1, 1e300)
// is replaced by 1, with one warning line on standard error, before Qt reads it. Qt itself
// ignores a value that is not a number at all, and so does this.
void CheckScaleFactor();

// Once the application object exists, Qt has taken its own options out of argv: an argument
// left there is a mistake (a typo of --help, an option of another program). It is named in
// one line on standard error and the program ends with status 2, before a window opens.
std::optional<int> RefuseUnknownArguments(int argc, char** argv);

// A display of fewer than 15 bits a pixel (8-bit colour maps) gives Qt no paint engine: the
// window would stay black and Qt would repeat its warnings at every repaint. One line says
// so instead, and the program ends with status 1, as when no display can be opened.
std::optional<int> RefuseScreenWithoutColour();

// Whether the command line gives the window a geometry of its own (Qt's -qwindowgeometry, or
// -geometry on X11), which the placement must then leave alone.
bool GeometryGiven(int argc, char** argv);

// Qt ends a start that finds no usable display with an abort (status 134), after several lines
// that end in advice to reinstall the application. From this call until
// ReleaseStartupMessages(), Qt's messages are held back; if the start fails, one line on
// standard error says what is missing instead, and the program ends with status 1. Call it
// right before the application object is made, with the arguments it is given.
void HoldStartupMessages(int argc, char** argv);
// The start succeeded: the held messages go out as Qt would have written them.
void ReleaseStartupMessages();

}  // namespace tarsel
