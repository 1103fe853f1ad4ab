// The floor of the window start-up benchmark: an empty Qt Widgets window of
// the main window's size, started and shown the same way, gone after its
// first frame.
#include <QApplication>
#include <QWidget>

#include "bench/first_frame.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window;
  window.setFixedSize(799, 538);
  window.setWindowTitle(QStringLiteral("Ostrolen"));
  new QuitAfterFirstFrame(&window);
  window.show();
  return application.exec();
}
