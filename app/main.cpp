#include <QApplication>
#include <QScreen>
#include <QStringList>
#include <QTextStream>

#include "app/front.h"
#include "app/page_builder.h"
#include "app/session_view.h"
#include "app/settings.h"
#include "app/veltra.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  ostrolen::SetUpLook();
  // What the last run kept: the desk first, so that the window shows as it was left.
  ostrolen::Settings settings;
  ostrolen::Kept kept = settings.Read();
  TForm1 form(nullptr, TForm1::PageBuilding::WhenNeeded);
  ostrolen::Front& front = *form.front();
  front.controller().SetDesk(kept.desk);
  front.Apply();
  // Its place, when a screen there still shows its top left corner.
  if (kept.place && QGuiApplication::screenAt(*kept.place + QPoint(8, 8)) != nullptr) form.move(*kept.place);
  form.show();
  // `ostrolen sko 271A6` or `ostrolen sko=271A6`: that page, decoded; else the last page in front.
  const QStringList arguments = QApplication::arguments().mid(1);
  if (!arguments.isEmpty()) {
    if (const std::optional<QString> error = form.session()->Open(arguments)) {
      QTextStream(stderr) << "ostrolen: " << *error << '\n';
    }
  } else if (!kept.page.empty() && front.controller().ShowPage(kept.page)) {
    front.Apply();
  }
  // Kept as it changes, and the place and the page as the window closes.
  front.desk_drawers.emplace_back([&](const ostrolen::ui::Desk& desk) {
    kept.desk = desk;
    settings.Write(kept);
  });
  QObject::connect(&application, &QApplication::aboutToQuit, [&] {
    kept.place = form.pos();
    kept.page = front.controller().Front().sheet;
    settings.Write(kept);
  });
  return application.exec();
}
