// The window's table of many records under a large batch: N random records
// of a subscriber page pasted and decoded, timed from the press of
// "Разобрать" to the last row, with the longest the window went without
// answering (the gap between two turns of its event loop) and when the
// progress bar showed. With "segment", the records are a segment and a step,
// looked up in dbveltra.mdb in the current folder. Run offscreen:
//   QT_QPA_PLATFORM=offscreen ostrolen-bench-table [N] [sko|segment]
#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <random>
#include <string>

#include "app/front.h"
#include "app/page_builder.h"
#include "app/table_view.h"
#include "app/veltra.h"
#include "ui/controller.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  ostrolen::SetUpLook();
  const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
  const std::string page = argc > 2 ? argv[2] : "sko";
  // Records of the СКО page: five hexadecimal positions, the last two words
  // now and then out of range, a label before each.
  std::mt19937 random(1);
  const char* digits = "0123456789ABCDEF";
  QByteArray records;
  for (int i = 0; i < count; ++i) {
    records += QByteArray::number(2000000 + i) + '\t';
    if (page == "segment") {
      records += QByteArray(1, digits[random() % 4]) + digits[random() % 16] + ' ' + QByteArray::number(random() % 16);
    } else {
      for (int p = 0; p < 5; ++p) records += digits[random() % (p < 3 ? 8 : 16)];
    }
    records += '\n';
  }
  TForm1 form(nullptr, TForm1::PageBuilding::WhenNeeded);
  form.show();
  ostrolen::ui::Controller& controller = form.front()->controller();
  controller.OpenTable();
  form.front()->Apply();
  ostrolen::TableDialog* dialog = form.front()->Table();
  const auto& pages = ostrolen::ui::TablePages();
  for (std::size_t i = 0; i < pages.size(); ++i) {
    if (pages[i].command->name == page) controller.TableChoosePage(static_cast<int>(i));
  }
  form.front()->Apply();

  QElapsedTimer clock;
  qint64 longest = 0;
  qint64 last = 0;
  qint64 progress_at = -1;
  QTimer ticks;
  ticks.setInterval(0);
  QObject::connect(&ticks, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    longest = std::max(longest, now - last);
    last = now;
    if (progress_at < 0 && dialog->findChild<QProgressBar*>(QStringLiteral("TableProgress"))->isVisible()) {
      progress_at = now;
    }
  });
  QObject::connect(dialog, &ostrolen::TableDialog::built, [&] {
    const qint64 took = clock.elapsed();
    std::printf(
        "%d records: %lld ms to the last row; %zu rows, %zu errors; the window answered within %lld ms "
        "throughout; the progress showed at %lld ms\n",
        count, static_cast<long long>(took), controller.TableNow().table->RowCount(),
        controller.TableNow().table->ErrorCount(), static_cast<long long>(longest),
        static_cast<long long>(progress_at));
    QApplication::quit();
  });
  QTimer start;
  start.setSingleShot(true);
  QObject::connect(&start, &QTimer::timeout, [&] {
    clock.start();
    ticks.start();
    dialog->Build(records);
  });
  start.start(0);
  return QApplication::exec();
}
