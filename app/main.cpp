#include <QApplication>

#include "app/page_builder.h"
#include "app/veltra.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  ostrolen::SetUpLook();
  TForm1 form(nullptr, TForm1::PageBuilding::WhenNeeded);
  form.show();
  return application.exec();
}
