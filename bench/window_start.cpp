// The main window as the program starts it, gone after its first frame.
#include <QApplication>

#include "app/page_builder.h"
#include "app/veltra.h"
#include "bench/first_frame.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  ostrolen::SetUpLook();
  TForm1 form(nullptr, TForm1::PageBuilding::WhenNeeded);
  new QuitAfterFirstFrame(&form);
  form.show();
  return application.exec();
}
