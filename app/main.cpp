#include <QApplication>

#include "app/desktop.h"
#include "app/form1.h"
#include "app/startup.h"

int main(int argc, char** argv) {
  tarsel::UseLanguage(argv[0]);
  if (const auto status = tarsel::AnswerHelpOrVersion(argc, argv)) return *status;
  const bool geometry_given = tarsel::GeometryGiven(argc, argv);
  tarsel::CheckScaleFactor();
  tarsel::HoldStartupMessages(argc, argv);
  QApplication app(argc, argv);
  tarsel::UseLanguage(argv[0]);
  tarsel::UseToolkitLanguage();
  tarsel::ReleaseStartupMessages();
  if (const auto status = tarsel::RefuseUnknownArguments(argc, argv)) return *status;
  if (const auto status = tarsel::RefuseScreenWithoutColour()) return *status;
  // The animation decides when the program ends: Escape, a double-click, closing the window or
  // the last frame.
  app.setQuitOnLastWindowClosed(false);
  app.setWindowIcon(tarsel::ProgramIcon());
  tarsel::Form1 form;
  if (!geometry_given) tarsel::PlaceOnScreen(form);
  tarsel::CloseWhenDestroyed(form);
  form.show();
  return app.exec();
}
