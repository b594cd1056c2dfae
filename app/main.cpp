#include <QApplication>

#include "app/form1.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // The animation decides when the program ends: Escape, a double-click, closing the window or
  // the last frame.
  app.setQuitOnLastWindowClosed(false);
  tarsel::Form1 form;
  form.show();
  return app.exec();
}
