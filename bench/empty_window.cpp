// The floor of the window start-up benchmark: an empty Qt Widgets window of
// the main window's size, started and shown the same way, gone after its
// first frame. With --text it shows one line of text, so that it also loads
// the font database: what any window with text pays before its first frame.
#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <cstring>

#include "bench/first_frame.h"
#include "core/shell.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window;
  window.setFixedSize(ostrolen::shell::kWindowWidth, ostrolen::shell::kWindowHeight);
  window.setWindowTitle(QString::fromUtf8(ostrolen::shell::kWindowCaption.data()));
  if (argc > 1 && std::strcmp(argv[1], "--text") == 0) {
    new QLabel(QString::fromUtf8(ostrolen::shell::kAboutLine.data()), &window);
  }
  new QuitAfterFirstFrame(&window);
  window.show();
  return application.exec();
}
