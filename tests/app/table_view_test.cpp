// The table of many records in the window, offscreen, through its own
// events: opened by its key on the page in front, records pasted and
// decoded, the counts, a heading clicked, the filter typed, rows copied and
// written out, a row opened on its page, and a file that is not text.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <memory>

#include "app/front.h"
#include "app/page_builder.h"
#include "app/session_view.h"
#include "app/table_view.h"
#include "app/veltra.h"
#include "pages/decode.h"
#include "pages/pages.h"
#include "tests/app/hang.h"
#include "ui/table.h"
#include "ui/table_view.h"

namespace {

QString FromStd(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

const char* const kRecords =
    "# the hundred's first records\n"
    "2001\t271A6\n"
    "2002: 271A7\n"
    "2003\t27ZA6\n"
    "2004\t071A0\n";

}  // namespace

class TableViewTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TForm1> form_;
  QStringList messages_;

  ostrolen::TableDialog* Dialog() { return form_->front()->Table(); }
  template <typename T>
  T* Child(const char* name) {
    return Dialog()->findChild<T*>(QString::fromLatin1(name));
  }
  QString Counts() { return Child<QLabel>("TableCounts")->text(); }
  QString Cell(int row, int column) { return Dialog()->view()->model()->index(row, column).data().toString(); }
  int Column(const QString& heading) {
    QAbstractItemModel* model = Dialog()->view()->model();
    for (int i = 0; i < model->columnCount(); ++i) {
      if (model->headerData(i, Qt::Horizontal).toString() == heading) return i;
    }
    return -1;
  }

  // Ctrl+B on the window, then `records` pasted into the table's input and decoded.
  void PasteAndDecode(const QString& records) {
    QTest::keyClick(form_.get(), Qt::Key_B, Qt::ControlModifier);
    QVERIFY(Dialog() != nullptr);
    QVERIFY(Dialog()->isVisible());
    QGuiApplication::clipboard()->setText(records);
    QTest::keyClick(Dialog()->input(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(Dialog()->input()->toPlainText(), records);
    QSignalSpy built(Dialog(), &ostrolen::TableDialog::built);
    QTest::mouseClick(Child<QPushButton>("TableBuild"), Qt::LeftButton);
    QVERIFY(built.count() > 0 || built.wait(kHangMs));
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

  void theKeyOpensTheTableOnThePageInFront() {
    QCOMPARE(form_->session()->tableAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+B")));
    QVERIFY(!form_->session()->Open({QStringLiteral("uvp"), QStringLiteral("0075"), QStringLiteral("003F")}));
    QTest::keyClick(form_.get(), Qt::Key_B, Qt::ControlModifier);
    QVERIFY(Dialog() != nullptr);
    QCOMPARE(Child<QComboBox>("TablePage")->currentText(), QStringLiteral("Неисправности, УВП"));
    QTRY_VERIFY_WITH_TIMEOUT(Dialog()->input()->hasFocus(), kHangMs);
    QTest::keyClick(Dialog()->input(), Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(Dialog() == nullptr, kHangMs);
  }

  void pastedRecordsAreRowsAsASingleDecodeShowsThem() {
    QVERIFY(!form_->session()->Open({QStringLiteral("sko"), QStringLiteral("271A6")}));
    PasteAndDecode(QString::fromUtf8(kRecords));
    QCOMPARE(Counts(), QStringLiteral("Записей: 4, показано: 4, ошибок: 1"));
    QCOMPARE(Dialog()->view()->model()->rowCount(), 4);
    QCOMPARE(Cell(0, 0), QStringLiteral("2001"));
    QCOMPARE(Cell(1, 0), QStringLiteral("2002"));
    QCOMPARE(Cell(1, 1), QStringLiteral("271A7"));
    // Each field's cell is its line of the page less its name.
    const ostrolen::DecodeOutcome alone = ostrolen::DecodeOn(*ostrolen::FindPageCommand("sko"), {"271A7"});
    int fields = 0;
    for (const ostrolen::SourcedLine& line : alone.lines) {
      const QString text = FromStd(line.text);
      const int at = text.indexOf(QStringLiteral(" = "));
      if (at < 0) continue;
      const int column = Column(text.left(at));
      if (column < 0) continue;
      QCOMPARE(Cell(1, column), text.mid(at + 3));
      ++fields;
    }
    QVERIFY(fields >= 5);
    QVERIFY(!Cell(2, Dialog()->view()->model()->columnCount() - 1).isEmpty());
    QVERIFY(messages_.isEmpty());
  }

  void headingsOrderAndTheFilterKeeps() {
    QVERIFY(!form_->session()->Open({QStringLiteral("sko"), QStringLiteral("271A6")}));
    PasteAndDecode(QString::fromUtf8(kRecords));
    QHeaderView* header = Dialog()->view()->horizontalHeader();
    const auto click = [header](int column) {
      QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                        QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    };
    click(0);
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
    click(0);
    QCOMPARE(header->sortIndicatorSection(), 0);
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(Cell(0, 0), QStringLiteral("2004"));
    QCOMPARE(Cell(3, 0), QStringLiteral("2001"));
    // Key by key, as a keyboard types Cyrillic letters.
    for (const QChar c : QStringLiteral("набор номера = частотный")) {
      QTest::sendKeyEvent(QTest::Press, Child<QLineEdit>("TableFilter"), Qt::Key_unknown, QString(c), Qt::NoModifier);
      QTest::sendKeyEvent(QTest::Release, Child<QLineEdit>("TableFilter"), Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    const int shown = Dialog()->view()->model()->rowCount();
    QVERIFY(shown > 0 && shown < 4);
    QVERIFY(Counts().startsWith(QStringLiteral("Записей: 4, показано: ") + QString::number(shown)));
    const int column = Column(QStringLiteral("Набор номера"));
    for (int row = 0; row < shown; ++row) QCOMPARE(Cell(row, column), QStringLiteral("Частотный"));
  }

  void rowsCopiedWrittenOutAndOpened() {
    QVERIFY(!form_->session()->Open({QStringLiteral("sko"), QStringLiteral("271A6")}));
    PasteAndDecode(QString::fromUtf8(kRecords));
    QTableView* view = Dialog()->view();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(1, 1)).center());
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    QVERIFY(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("2002\t271A7\t")));

    std::string saved_name;
    std::string saved;
    form_->front()->save_table = [&](const std::string& name, const std::string& text) {
      saved_name = name;
      saved = text;
    };
    QTest::mouseClick(Child<QPushButton>("TableSave_csv"), Qt::LeftButton);
    QCOMPARE(QString::fromStdString(saved_name), QStringLiteral("ostrolen-table-sko.csv"));
    QVERIFY(
        saved.starts_with("\xEF\xBB\xBF"
                          "Метка;Слова;"));
    QCOMPARE(QString::fromStdString(saved).count(QStringLiteral("\r\n")), 5);

    // Enter on the row opens it on its page, decoded.
    QTest::keyClick(view, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(Dialog() == nullptr, kHangMs);
    auto* list = form_->findChild<QListWidget*>(FromStd(ostrolen::SkoPage().list()->name));
    const ostrolen::DecodeOutcome alone = ostrolen::DecodeOn(*ostrolen::FindPageCommand("sko"), {"271A7"});
    QCOMPARE(list->count(), static_cast<int>(alone.lines.size()));
    for (int i = 0; i < list->count(); ++i)
      QCOMPARE(list->item(i)->text(), FromStd(alone.lines[static_cast<std::size_t>(i)].text));
  }

  // Clicks and keys on the rows go to the controller, which chooses them;
  // the view shows its choice, and nothing of Qt's own (no lookup by typing).
  void rowsAreChosenAsTheControllerChoosesThem() {
    QVERIFY(!form_->session()->Open({QStringLiteral("sko"), QStringLiteral("271A6")}));
    PasteAndDecode(QString::fromUtf8(kRecords));
    QTableView* view = Dialog()->view();
    const auto click = [view](int row, Qt::KeyboardModifiers modifiers = {}) {
      QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers,
                        view->visualRect(view->model()->index(row, 1)).center());
    };
    const auto shown = [view] {
      QList<int> rows;
      for (const QModelIndex& index : view->selectionModel()->selectedRows()) rows << index.row();
      std::sort(rows.begin(), rows.end());
      return rows;
    };
    const auto controller = [this] {
      QList<int> rows;
      const std::vector<bool>& chosen = form_->front()->controller().TableNow().chosen;
      for (std::size_t i = 0; i < chosen.size(); ++i) {
        if (chosen[i]) rows << static_cast<int>(i);
      }
      return rows;
    };
    click(0);
    click(2, Qt::ShiftModifier);
    QCOMPARE(controller(), (QList<int>{0, 1, 2}));
    click(1, Qt::ControlModifier);
    QCOMPARE(controller(), (QList<int>{0, 2}));
    QCOMPARE(shown(), controller());
    QCOMPARE(view->currentIndex().row(), 1);
    QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(controller(), (QList<int>{1, 2}));
    QCOMPARE(shown(), controller());
    // Typing looks nothing up, the space chooses nothing.
    QTest::keyClicks(view, QStringLiteral("20"));
    QTest::keyClick(view, Qt::Key_Space);
    QCOMPARE(controller(), (QList<int>{1, 2}));
    QCOMPARE(shown(), controller());
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(shown(), (QList<int>{0, 1, 2, 3}));
    QTest::keyClick(view, Qt::Key_Home);
    QCOMPARE(shown(), (QList<int>{0}));
    // A double click opens the row on its page.
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(3, 1)).center());
    QTRY_VERIFY_WITH_TIMEOUT(Dialog() == nullptr, kHangMs);
    auto* list = form_->findChild<QListWidget*>(FromStd(ostrolen::SkoPage().list()->name));
    const ostrolen::DecodeOutcome alone = ostrolen::DecodeOn(*ostrolen::FindPageCommand("sko"), {"071A0"});
    QCOMPARE(list->count(), static_cast<int>(alone.lines.size()));
    QCOMPARE(list->item(0)->text(), FromStd(alone.lines.front().text));
  }

  void aFileThatIsNotTextKeepsTheRows() {
    QVERIFY(!form_->session()->Open({QStringLiteral("sko"), QStringLiteral("271A6")}));
    PasteAndDecode(QString::fromUtf8(kRecords));
    Dialog()->Build(QByteArray("2005\t271A6\n\0\n", 13), QStringLiteral("dump.bin"));
    QCOMPARE(Counts(), FromStd(ostrolen::ui::kBinaryInput));
    QCOMPARE(Dialog()->view()->model()->rowCount(), 4);
  }

  // The segments page's records, looked up in the sample database by the
  // window's reader: each cell as the command line's table has it.
  void theSegmentsPageLooksTheRecordsUpInTheDatabase() {
    const QDir here = QDir::current();
    QVERIFY(QDir::setCurrent(QStringLiteral(OSTROLEN_SAMPLE_DIR)));
    QTest::keyClick(form_.get(), Qt::Key_B, Qt::ControlModifier);
    QVERIFY(Dialog() != nullptr);
    auto* pages = Child<QComboBox>("TablePage");
    pages->setCurrentIndex(pages->findText(QStringLiteral("Сегменты")));
    QCOMPARE(pages->currentText(), QStringLiteral("Сегменты"));
    const QString records = QStringLiteral("a\t0 0\nb\t1 2\n0 0 0\nd: 0 0\n");
    Dialog()->input()->setPlainText(records);
    QSignalSpy built(Dialog(), &ostrolen::TableDialog::built);
    QTest::mouseClick(Child<QPushButton>("TableBuild"), Qt::LeftButton);
    QVERIFY(built.count() > 0 || built.wait(kHangMs));
    QCOMPARE(Counts(), QStringLiteral("Записей: 4, показано: 4, ошибок: 2"));

    ostrolen::ui::Table alone(*ostrolen::FindPageCommand("segment"));
    for (const ostrolen::ui::Record& record : ostrolen::ui::ReadInput(records.toStdString()).records) alone.Add(record);
    QDir::setCurrent(here.absolutePath());
    QAbstractItemModel* model = Dialog()->view()->model();
    QCOMPARE(static_cast<std::size_t>(model->rowCount()), alone.RowCount());
    QCOMPARE(static_cast<std::size_t>(model->columnCount()), alone.columns().size());
    for (int row = 0; row < model->rowCount(); ++row) {
      for (int column = 0; column < model->columnCount(); ++column) {
        QCOMPARE(Cell(row, column),
                 FromStd(alone.Cell(static_cast<std::size_t>(row), static_cast<std::size_t>(column))));
      }
    }
    QVERIFY(Cell(0, 2).startsWith(QStringLiteral("Проверяемое оборудование:; Пример:")));
    QVERIFY(messages_.isEmpty());
  }

  void aLongDecodeCanBeStopped() {
    QVERIFY(!form_->session()->Open({QStringLiteral("sko"), QStringLiteral("271A6")}));
    QTest::keyClick(form_.get(), Qt::Key_B, Qt::ControlModifier);
    QByteArray records;
    for (int i = 0; i < 200000; ++i) records += "271A6\n";
    QSignalSpy built(Dialog(), &ostrolen::TableDialog::built);
    Dialog()->Build(records);
    QVERIFY(Dialog()->Building());
    QTest::mouseClick(Child<QPushButton>("TableStop"), Qt::LeftButton);
    QVERIFY(built.count() > 0 || built.wait(kHangMs));
    QVERIFY2(Counts().contains(QStringLiteral("разбор прерван")), qPrintable(Counts()));
    QVERIFY(Dialog()->view()->model()->rowCount() < 200000);
    QVERIFY(Child<QPushButton>("TableBuild")->isEnabled());
  }
};

QTEST_MAIN(TableViewTest)
#include "table_view_test.moc"
