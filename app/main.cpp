#include <QApplication>
#include <QStringList>
#include <QTextStream>

#include "app/page_builder.h"
#include "app/session_view.h"
#include "app/veltra.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  ostrolen::SetUpLook();
  TForm1 form(nullptr, TForm1::PageBuilding::WhenNeeded);
  form.show();
  // `ostrolen sko 271A6` or `ostrolen sko=271A6`: that page, decoded.
  const QStringList arguments = QApplication::arguments().mid(1);
  if (!arguments.isEmpty()) {
    if (const std::optional<QString> error = form.session()->Open(arguments)) {
      QTextStream(stderr) << "ostrolen: " << *error << '\n';
    }
  }
  return application.exec();
}
