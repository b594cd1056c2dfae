#pragma once

#include <optional>

// What happens before the window exists: the two options the program answers itself, and a
// start that finds no display to open the window on.
namespace tarsel {

// The program takes no command line of its own: every argument goes to Qt, which honours its
// own (-platform, -display, -qwindowgeometry, ...) and ignores the rest. Only --help and
// --version are answered here, on standard output and without a display. Returns the exit
// status when one of them was given.
std::optional<int> AnswerHelpOrVersion(int argc, char** argv);

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
