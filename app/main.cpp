#include <QApplication>

#include "app/form1.h"
#include "app/startup.h"

int main(int argc, char** argv) {
  if (const auto status = tarsel::AnswerHelpOrVersion(argc, argv)) return *status;
  tarsel::HoldStartupMessages(argc, argv);
  QApplication app(argc, argv);
  tarsel::ReleaseStartupMessages();
  // The animation decides when the program ends: Escape, a double-click, closing the window or
  // the last frame.
  app.setQuitOnLastWindowClosed(false);
  tarsel::Form1 form;
  form.show();
  return app.exec();
}
