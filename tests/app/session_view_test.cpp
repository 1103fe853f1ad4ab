// The session in the window, offscreen: a reference kept from the toolbar
// and the marks of the next press beside the page's own lines, the history
// view (an entry chosen again, two entries compared), the saved reports read
// back, and a page opened from the command line.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <memory>

#include "app/front.h"
#include "app/page_builder.h"
#include "app/session_view.h"
#include "app/veltra.h"
#include "core/shell.h"
#include "pages/model_window.h"
#include "pages/pages.h"
#include "tests/app/hang.h"

namespace {

QString FromStd(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The lines of `command` pressed with `words` on a window of its own.
QStringList AloneLines(std::string_view command, const std::vector<std::string>& words) {
  const ostrolen::PageCommand* found = ostrolen::FindPageCommand(command);
  ostrolen::ModelWindow window;
  for (const auto& [name, text] : ostrolen::TypedBoxes(*found, words)) window.SetText(name, text);
  ostrolen::Press(window, found->button);
  QStringList lines;
  for (const std::string& line : window.Lines(ostrolen::FindButton(found->button).page->list()->name)) {
    lines << FromStd(line);
  }
  return lines;
}

}  // namespace

class SessionViewTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TForm1> form_;
  QStringList messages_;

  ostrolen::SessionView* View() { return form_->session(); }
  QListWidget* List(const ostrolen::PageLayout& page) {
    return form_->findChild<QListWidget*>(FromStd(page.list()->name));
  }

  // The lines the page shows as its own: every line but the gone ones.
  static QStringList OwnLines(const QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) {
      if (!list->item(i)->data(ostrolen::kGoneLineRole).toBool()) lines << list->item(i)->text();
    }
    return lines;
  }
  static QString Marks(const QListWidget* list) {
    QString marks;
    for (int i = 0; i < list->count(); ++i) marks += list->item(i)->data(ostrolen::kMarkRole).toString();
    return marks;
  }

  void Open(const QStringList& arguments) {
    const std::optional<QString> error = View()->Open(arguments);
    QVERIFY2(!error, qPrintable(error.value_or(QString())));
  }

  // Each line shows its mark, its description and the old value where it changed.
  void CheckMarks(const ostrolen::PageLayout& page) {
    const std::vector<ostrolen::ComparedLine>* marks = View()->session().Marks(page.list()->name);
    QVERIFY(marks != nullptr);
    QListWidget* list = List(page);
    QCOMPARE(list->count(), static_cast<int>(marks->size()));
    for (int i = 0; i < list->count(); ++i) {
      const ostrolen::ComparedLine& line = (*marks)[static_cast<std::size_t>(i)];
      QListWidgetItem* item = list->item(i);
      QCOMPARE(item->text(), FromStd(line.text));
      QCOMPARE(item->data(ostrolen::kMarkRole).toString(), QString(QChar::fromLatin1(static_cast<char>(line.change))));
      QCOMPARE(item->data(Qt::AccessibleDescriptionRole).toString(), FromStd(ostrolen::MarkDescription(line)));
      QVERIFY(item->toolTip().endsWith(FromStd(ostrolen::MarkDescription(line))));
      QVERIFY(!item->icon().isNull());
      const bool gone = line.change == ostrolen::Change::Gone;
      QCOMPARE(item->data(ostrolen::kGoneLineRole).toBool(), gone);
      QCOMPARE(item->font().strikeOut(), gone);
      QCOMPARE(bool(item->flags() & Qt::ItemIsSelectable), !gone);
      if (line.change == ostrolen::Change::Changed) {
        QVERIFY(item->toolTip().contains(QStringLiteral("было: ") + FromStd(line.old_text)));
      }
    }
  }

 private slots:
  void initTestCase() { ostrolen::SetUpLook(); }

  void init() {
    form_ = std::make_unique<TForm1>();
    messages_.clear();
    form_->window().SetMessageHook(
        [this](ostrolen::WidgetWindow::MessageKind, const QString& text) { messages_ << text; });
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get(), kHangMs));
  }
  void cleanup() { form_.reset(); }

  void toolbarHasTheCommandsAndKeys() {
    QCOMPARE(View()->keepAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
    QCOMPARE(View()->historyAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+H")));
    QCOMPARE(View()->saveAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    QCOMPARE(View()->keepAction()->text(), FromStd(ostrolen::shell::kKeepReference));
    // The two commands the window always had stay first.
    auto* toolbar = form_->findChild<QToolBar*>(QStringLiteral("ToolBar1"));
    QCOMPARE(toolbar->actions().at(0)->objectName(), QStringLiteral("Action1"));
    QCOMPARE(toolbar->actions().at(1)->objectName(), QStringLiteral("Action2"));
  }

  void commandLineOpensThePageDecoded() {
    Open({QStringLiteral("sko"), QStringLiteral("271A6")});
    QListWidget* list = List(ostrolen::SkoPage());
    QVERIFY(list->isVisible());
    QCOMPARE(OwnLines(list), AloneLines("sko", {"271A6"}));
    QVERIFY(OwnLines(list).contains(QStringLiteral("Набор номера = Частотный")));
    QCOMPARE(Marks(list), QString());  // no reference: no marks
    QCOMPARE(form_->findChild<QLineEdit*>(FromStd(ostrolen::SkoPage().words[0].positions[0]))->text(), "2");

    Open({QStringLiteral("uvp=0075-003F")});
    QVERIFY(List(ostrolen::UvpPage())->isVisible());
    QCOMPARE(OwnLines(List(ostrolen::UvpPage())), AloneLines("uvp", {"0075", "003F"}));

    QCOMPARE(View()->Open({QStringLiteral("nowhere"), QStringLiteral("1")}), QStringLiteral("unknown page 'nowhere'"));
    QCOMPARE(View()->Open({QStringLiteral("--x")}), QStringLiteral("'--x' names no page"));
    QCOMPARE(View()->session().history().size(), 2U);
    QVERIFY(messages_.isEmpty());
  }

  void referenceMarksTheNextPress_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("sko") << "sko" << QStringList{"271A6"} << QStringList{"371A7"};
    QTest::newRow("uvp") << "uvp" << QStringList{"0075", "003F"} << QStringList{"0035", "003F"};
    QTest::newRow("first-stage") << "first-stage" << QStringList{"3529C"} << QStringList{"3529D"};
    QTest::newRow("puu") << "puu" << QStringList{"0100", "8001"} << QStringList{"0101", "0001"};
  }
  void referenceMarksTheNextPress() {
    QFETCH(QString, page);
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    const ostrolen::PageCommand* command = ostrolen::FindPageCommand(page.toStdString());
    const ostrolen::PageLayout& layout = *ostrolen::FindButton(command->button).page;
    Open(QStringList{page} + before);
    View()->keepAction()->trigger();
    QCOMPARE(View()->session().Reference(command->name), 1);
    // The button itself, as the operator clicks it, after typing the new words.
    const std::vector<std::string> words = [&] {
      std::vector<std::string> all;
      for (const QString& word : after) all.push_back(word.toStdString());
      return all;
    }();
    for (const auto& [name, text] : ostrolen::TypedBoxes(*command, words)) {
      form_->findChild<QLineEdit*>(FromStd(name))->setText(FromStd(text));
    }
    form_->findChild<QToolButton*>(FromStd(command->button))->click();
    QListWidget* list = List(layout);
    QCOMPARE(OwnLines(list), AloneLines(command->name, words));
    CheckMarks(layout);
    QVERIFY(Marks(list).contains(QLatin1Char('~')) || Marks(list).contains(QLatin1Char('-')) ||
            Marks(list).contains(QLatin1Char('+')));
    if (page == QStringLiteral("uvp")) {
      const QList<QListWidgetItem*> gone = list->findItems(QStringLiteral("БВ 01-60 УВП 0-3"), Qt::MatchExactly);
      QCOMPARE(gone.size(), 1);
      QCOMPARE(gone[0]->data(ostrolen::kMarkRole).toString(), QStringLiteral("-"));
      QCOMPARE(gone[0]->data(Qt::AccessibleDescriptionRole).toString(), QStringLiteral("строки больше нет"));
    }
    // A press with the reference's own words: every line unchanged.
    Open(QStringList{page} + before);
    QCOMPARE(Marks(list), QString(list->count(), QLatin1Char('=')));
    CheckMarks(layout);
  }

  // The rules both editions share: Ctrl+R keeps the page in front's result
  // only, a copy of a compared list gives the page's own lines, PageDown
  // goes the list's declared lines less one past the gone ones, and the
  // history view is modal.
  void sharedRulesOfTheListsAndTheHistory() {
    Open({QStringLiteral("uvp"), QStringLiteral("0075"), QStringLiteral("003F")});
    auto* top = form_->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    top->setCurrentIndex(0);  // the converter: no result list
    QTest::keyClick(form_.get(), Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(View()->session().Reference("uvp"), 0);
    Open({QStringLiteral("uvp"), QStringLiteral("0075"), QStringLiteral("0FFF")});
    View()->keepAction()->trigger();
    QVERIFY(View()->session().Reference("uvp") != 0);
    Open({QStringLiteral("uvp"), QStringLiteral("0075"), QStringLiteral("003F")});
    QListWidget* list = List(ostrolen::UvpPage());
    QVERIFY(Marks(list).contains(QLatin1Char('-')));
    list->setFocus();
    list->clearSelection();
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), OwnLines(list).join(QLatin1Char('\n')));

    const ostrolen::ListSpec& spec = *ostrolen::UvpPage().list();
    const int step = std::max(1, spec.height / spec.line_height - 1);
    int first = 0;
    while (list->item(first)->data(ostrolen::kGoneLineRole).toBool()) ++first;
    list->setCurrentRow(first, QItemSelectionModel::ClearAndSelect);
    QTest::keyClick(list, Qt::Key_PageDown);
    const auto gone = [list](int row) { return list->item(row)->data(ostrolen::kGoneLineRole).toBool(); };
    const int target = std::min(first + step, list->count() - 1);
    int expected = target;
    while (expected < list->count() && gone(expected)) ++expected;
    if (expected == list->count()) {
      expected = target;
      while (gone(expected)) --expected;
    }
    QCOMPARE(list->currentRow(), expected);
    QCOMPARE(list->selectedItems().size(), 1);

    View()->historyAction()->trigger();
    QVERIFY(View()->historyView() != nullptr);
    QCOMPARE(View()->historyView()->windowModality(), Qt::ApplicationModal);
    View()->historyView()->close();
  }

  void historyViewChoosesAndCompares() {
    Open({QStringLiteral("uvp"), QStringLiteral("0075"), QStringLiteral("003F")});
    Open({QStringLiteral("sko"), QStringLiteral("271A6")});
    Open({QStringLiteral("uvp"), QStringLiteral("0035"), QStringLiteral("003F")});
    View()->historyAction()->trigger();
    QDialog* view = View()->historyView();
    QVERIFY(view != nullptr);
    auto* entries = view->findChild<QListWidget*>(QStringLiteral("HistoryEntries"));
    QCOMPARE(entries->count(), 3);
    // Newest first.
    for (int row = 0; row < 3; ++row) {
      const ostrolen::HistoryEntry* entry = View()->session().history().Find(3 - row);
      QCOMPARE(entries->item(row)->text(), FromStd(ostrolen::EntryTitle(*entry)));
    }
    QVERIFY(entries->item(0)->text().endsWith(QStringLiteral("uvp  0035 003F")));
    auto* choose = view->findChild<QPushButton*>(QStringLiteral("ChooseEntry"));
    auto* compare = view->findChild<QPushButton*>(QStringLiteral("CompareEntries"));
    // The sko entry chosen again: its words back on its page, pressed.
    entries->clearSelection();
    entries->item(1)->setSelected(true);
    QVERIFY(choose->isEnabled());
    QVERIFY(!compare->isEnabled());
    choose->click();
    QTRY_VERIFY_WITH_TIMEOUT(View()->historyView() == nullptr, kHangMs);
    QVERIFY(List(ostrolen::SkoPage())->isVisible());
    QCOMPARE(OwnLines(List(ostrolen::SkoPage())), AloneLines("sko", {"271A6"}));
    QCOMPARE(View()->session().history().size(), 4U);

    // Two uvp entries compared: the newer one on its page, marked against the older.
    View()->historyAction()->trigger();
    view = View()->historyView();
    entries = view->findChild<QListWidget*>(QStringLiteral("HistoryEntries"));
    compare = view->findChild<QPushButton*>(QStringLiteral("CompareEntries"));
    entries->clearSelection();
    entries->item(0)->setSelected(true);  // sko
    entries->item(1)->setSelected(true);  // uvp
    QVERIFY(!compare->isEnabled());
    entries->clearSelection();
    entries->item(1)->setSelected(true);  // uvp 0035 003F
    entries->item(3)->setSelected(true);  // uvp 0075 003F
    QVERIFY(compare->isEnabled());
    compare->click();
    QTRY_VERIFY_WITH_TIMEOUT(View()->historyView() == nullptr, kHangMs);
    QListWidget* list = List(ostrolen::UvpPage());
    QVERIFY(list->isVisible());
    QCOMPARE(OwnLines(list), AloneLines("uvp", {"0035", "003F"}));
    CheckMarks(ostrolen::UvpPage());
    QCOMPARE(list->findItems(QStringLiteral("БВ 01-60 УВП 0-3"), Qt::MatchExactly).size(), 1);
  }

  void savedReportsReadBack() {
    Open({QStringLiteral("uvp"), QStringLiteral("0075"), QStringLiteral("003F")});
    View()->keepAction()->trigger();
    Open({QStringLiteral("uvp"), QStringLiteral("0035"), QStringLiteral("003F")});
    Open({QStringLiteral("sko"), QStringLiteral("271A6")});
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(View()->SaveHistoryTo(dir.filePath(QStringLiteral("history"))));
    QFile text(dir.filePath(QStringLiteral("history.txt")));
    QVERIFY(text.open(QIODevice::ReadOnly));
    const QByteArray saved_text = text.readAll();
    QCOMPARE(saved_text.toStdString(), View()->session().history().ReportText());
    QFile html(dir.filePath(QStringLiteral("history.html")));
    QVERIFY(html.open(QIODevice::ReadOnly));
    const QString saved_html = QString::fromUtf8(html.readAll());
    QCOMPARE(saved_html.toStdString(), View()->session().history().ReportHtml());
    // Each entry's page, words, lines and marks are in both.
    const QString plain = QString::fromUtf8(saved_text);
    QVERIFY(plain.contains(QStringLiteral("uvp  0075 003F")));
    QVERIFY(plain.contains(QStringLiteral("Адрес: uvp=0035-003F")));
    QVERIFY(plain.contains(QStringLiteral("   - БВ 01-60 УВП 0-3")));
    QVERIFY(plain.contains(QStringLiteral("Набор номера = Частотный")));
    QVERIFY(saved_html.contains(QStringLiteral("<tr class=\"gone\">")));
    QVERIFY(saved_html.contains(QStringLiteral("sko=271A6")));
    // Nothing written where the folder is missing.
    QVERIFY(!View()->SaveHistoryTo(dir.filePath(QStringLiteral("missing/history"))));
  }
};

QTEST_MAIN(SessionViewTest)
#include "session_view_test.moc"
