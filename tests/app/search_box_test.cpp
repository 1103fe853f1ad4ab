// The search box of the window, offscreen: typing lists the matches under
// the box; choosing a field value, a field, a fault entry, a "УСК" text or a
// database row leaves its page, boxes and selected line as the operator
// expects; a missing database says so in one line and the tables still answer.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "app/line_explain.h"
#include "app/page_builder.h"
#include "app/search_box.h"
#include "app/veltra.h"
#include "core/shell.h"
#include "pages/pages.h"
#include "pages/search/choose.h"
#include "reader/database.h"
#include "tests/app/hang.h"

namespace {

QString FromStd(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QStringList Lines(const QListWidget* list) {
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}

}  // namespace

class SearchBoxTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TForm1> form_;
  QTemporaryDir folder_;
  QString missing_;
  QStringList messages_;

  ostrolen::SearchBox* Search() { return form_->search(); }
  QLineEdit* Box(std::string_view name) { return form_->findChild<QLineEdit*>(FromStd(name)); }
  QListWidget* ListOf(const ostrolen::PageLayout& page) {
    return form_->findChild<QListWidget*>(FromStd(page.lists.front().name));
  }
  QStringList Texts(const ostrolen::PageLayout& page) {
    QStringList texts;
    for (const ostrolen::BoxSpec& box : page.boxes) texts << Box(box.name)->text();
    return texts;
  }

  // Ctrl+F, then types `text` into the box.
  void Type(const QString& text) {
    QTest::keyClick(form_.get(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(Search()->Box()->hasFocus());
    // Key by key, as a keyboard types Cyrillic letters.
    for (const QChar c : text) {
      QTest::sendKeyEvent(QTest::Press, Search()->Box(), Qt::Key_unknown, QString(c), Qt::NoModifier);
      QTest::sendKeyEvent(QTest::Release, Search()->Box(), Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
  }

  // The first line of the list that is a match: 1 under the problem line.
  int FirstMatchRow() const { return problem_ ? 1 : 0; }
  bool problem_ = true;

  // Types the entry's text and chooses it with the arrows and Enter: 1
  // when chosen, 0 when it is beyond the lines the list shows, -1 when the
  // list is not as it should be.
  int Choose(const ostrolen::SearchEntry& entry) {
    Search()->Box()->clear();
    Type(FromStd(entry.text));
    const std::vector<ostrolen::SearchMatch> matches = ostrolen::FindMatches(entry.text, ostrolen::TableEntries());
    const auto at = std::find_if(matches.begin(), matches.end(),
                                 [&](const ostrolen::SearchMatch& match) { return match.entry == &entry; });
    if (at == matches.end()) return -1;
    const auto index = static_cast<int>(at - matches.begin());
    if (index >= static_cast<int>(ostrolen::shell::kSearchListLines)) return 0;
    QListWidget* list = Search()->List();
    if (!list->isVisible()) return -1;
    if (list->item(FirstMatchRow() + index)->text() != FromStd(ostrolen::MatchLine(entry))) return -1;
    for (int i = 0; i < index; ++i) QTest::keyClick(Search()->Box(), Qt::Key_Down);
    if (list->currentRow() != FirstMatchRow() + index) return -1;
    QTest::keyClick(Search()->Box(), Qt::Key_Return);
    return list->isVisible() ? -1 : 1;
  }

  // The first line of `list` that shows `field`; -1 for none.
  static int LineOfField(const QListWidget* list, int field) {
    for (int i = 0; i < list->count(); ++i) {
      const std::optional<ostrolen::LineOrigin> origin = ostrolen::OriginOf(list->item(i));
      if (origin && origin->field == field) return i;
    }
    return -1;
  }

  // Fills a page's input boxes with random hex characters.
  void Randomize(const ostrolen::PageLayout& page, QRandomGenerator& random) {
    for (const ostrolen::WordSpec& word : page.words) {
      for (const std::string& name : word.positions) {
        Box(name)->setText(QString::number(random.bounded(name == word.positions.front() ? 8 : 16), 16).toUpper());
      }
    }
  }

  const ostrolen::PageLayout& PageOf(const ostrolen::SearchEntry& entry) {
    return *ostrolen::PageOfSheet(ostrolen::ActionOf(entry).sheet);
  }

 private slots:
  void initTestCase() {
    ostrolen::SetUpLook();
    QVERIFY(folder_.isValid());
    missing_ = folder_.filePath(QStringLiteral("nothing/dbveltra.mdb"));
  }

  void init() {
    form_ = std::make_unique<TForm1>();
    // A report or an error of a press is noted, not shown in a box that waits.
    form_->window().SetMessageHook(
        [this](ostrolen::WidgetWindow::MessageKind, const QString& text) { messages_ << text; });
    messages_.clear();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get(), kHangMs));
    Search()->SetDatabase(missing_.toStdString());
    problem_ = true;
  }
  void cleanup() { form_.reset(); }

  void TypingListsTheMatchesUnderTheBox() {
    Type(QStringLiteral("бв 01-60"));
    QListWidget* list = Search()->List();
    QVERIFY(list->isVisible());
    QVERIFY(list->geometry().top() >= Search()->Box()->mapTo(form_.get(), QPoint(0, 0)).y());
    const std::vector<ostrolen::SearchMatch> matches = ostrolen::FindMatches("бв 01-60", ostrolen::TableEntries());
    QVERIFY(!matches.empty());
    QCOMPARE(list->count(), FirstMatchRow() + static_cast<int>(std::min<std::size_t>(matches.size(), 100)));
    for (std::size_t i = 0; i < matches.size() && i < 100; ++i) {
      QCOMPARE(list->item(FirstMatchRow() + static_cast<int>(i))->text(),
               FromStd(ostrolen::MatchLine(*matches[i].entry)));
    }
    QCOMPARE(list->item(1)->text(), QStringLiteral("БВ 01-60 УВП 0-3 — УВП"));
    // Letter case, "ё" and the Latin look-alikes do not matter; one line a match.
    Search()->Box()->clear();
    Type(QStringLiteral("БB 01-60 yBП"));
    QCOMPARE(list->item(1)->text(), QStringLiteral("БВ 01-60 УВП 0-3 — УВП"));
    // Escape closes the list, the arrows open it again.
    QTest::keyClick(Search()->Box(), Qt::Key_Escape);
    QVERIFY(!list->isVisible());
    QTest::keyClick(Search()->Box(), Qt::Key_Down);
    QVERIFY(list->isVisible());
    // One typed character lists the first hundred matches.
    Search()->Box()->clear();
    Type(QStringLiteral("а"));
    QCOMPARE(list->count(), 1 + 100);
    // Nothing found says so.
    Search()->Box()->clear();
    Type(QStringLiteral("жжжщщщ"));
    QCOMPARE(Lines(list).mid(1), QStringList({FromStd(ostrolen::shell::kSearchNone)}));
  }

  void AMissingDatabaseSaysWhyInOneLine() {
    Type(QStringLiteral("напоминание"));
    QListWidget* list = Search()->List();
    QCOMPARE(list->item(0)->text(),
             FromStd(ostrolen::FailureMessage(ostrolen::ReadFailure::MissingFile, missing_.toStdString(), {}, {})));
    QVERIFY(!(list->item(0)->flags() & Qt::ItemIsSelectable));
    QVERIFY(list->count() > 1);
    QCOMPARE(list->currentRow(), 1);
    QVERIFY(list->item(1)->text().startsWith(QStringLiteral("Услуга \"Напоминание\"")));
  }

  // Every value of the fields of each subscriber page that the list shows:
  // the page with the words as they were and that value set, its line
  // selected; Ctrl+Z on the list puts the boxes back.
  void ChoosingAValueSetsItOnItsPage() {
    QRandomGenerator random(19);
    int chosen = 0;
    int selected = 0;
    for (const ostrolen::SearchEntry& entry : ostrolen::TableEntries()) {
      if (entry.kind != ostrolen::MatchKind::Value || random.bounded(4) != 0) continue;
      const ostrolen::PageLayout& page = PageOf(entry);
      Randomize(page, random);
      const QStringList before = Texts(page);
      const int outcome = Choose(entry);
      QVERIFY2(outcome >= 0, entry.text.c_str());
      if (outcome == 0) continue;
      ++chosen;
      QVERIFY(Box(page.boxes.front().name)->isVisible());
      const auto words = ostrolen::WordsOnPage(form_->window(), *entry.compose);
      QVERIFY(words.has_value());
      QCOMPARE(ostrolen::GetField(*entry.field, *words), entry.value);
      // The field's line is selected when the words show one.
      QListWidget* list = ListOf(page);
      const int row = LineOfField(list, ostrolen::ActionOf(entry).field);
      QCOMPARE(list->currentRow(), row);
      if (row >= 0) {
        QVERIFY(list->currentItem()->isSelected());
        ++selected;
      }
      QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
      QCOMPARE(Texts(page), before);
    }
    QVERIFY2(chosen > 30 && selected > chosen / 2, qPrintable(QString("%1 %2").arg(chosen).arg(selected)));
  }

  void ChoosingAFieldSelectsItsLine() {
    int chosen = 0;
    int selected = 0;
    for (const ostrolen::SearchEntry& entry : ostrolen::TableEntries()) {
      if (entry.kind != ostrolen::MatchKind::Field || entry.page != "sko") continue;
      const ostrolen::PageLayout& page = PageOf(entry);
      Search()->Close();
      for (const ostrolen::WordSpec& word : page.words) {
        for (std::size_t p = 0; p < word.positions.size(); ++p)
          Box(word.positions[p])->setText(QStringLiteral("271A6").mid(static_cast<qsizetype>(p), 1));
      }
      form_->ButtonClicked(QString::fromStdString(page.buttons.front().name));
      const QStringList before = Texts(page);
      const QStringList lines = Lines(ListOf(page));
      const int outcome = Choose(entry);
      QVERIFY2(outcome >= 0, entry.text.c_str());
      if (outcome == 0) continue;
      ++chosen;
      QCOMPARE(Texts(page), before);
      QCOMPARE(Lines(ListOf(page)), lines);
      // The field's line when the words show it; the others show no line.
      const int row = LineOfField(ListOf(page), ostrolen::ActionOf(entry).field);
      if (row < 0) continue;
      ++selected;
      QCOMPARE(ListOf(page)->currentRow(), row);
      QVERIFY(ListOf(page)->currentItem()->isSelected());
    }
    QVERIFY2(chosen > 5 && selected > 5, qPrintable(QString::number(selected)));
  }

  // Every fault entry: its page with the healthy words and exactly that
  // item faulty, decoded, its line selected.
  void ChoosingAFaultShowsExactlyThatFault() {
    int chosen = 0;
    for (const ostrolen::SearchEntry& entry : ostrolen::TableEntries()) {
      if (entry.kind != ostrolen::MatchKind::Fault) continue;
      const int outcome = Choose(entry);
      QVERIFY2(outcome >= 0, entry.text.c_str());
      if (outcome == 0) continue;
      ++chosen;
      const ostrolen::PageLayout& page = PageOf(entry);
      QListWidget* list = ListOf(page);
      QVERIFY(list->isVisible());
      QVERIFY(list->currentItem() != nullptr && list->currentItem()->isSelected());
      QCOMPARE(list->currentItem()->text(), FromStd(entry.text));
      // No other entry of the page's tables is shown.
      int faults = 0;
      for (const QString& line : Lines(list)) {
        for (const ostrolen::SearchEntry& other : ostrolen::TableEntries()) {
          if (other.kind == ostrolen::MatchKind::Fault && other.faults == entry.faults && FromStd(other.text) == line) {
            ++faults;
            break;
          }
        }
      }
      QCOMPARE(faults, 1);
    }
    QVERIFY2(chosen > 80, qPrintable(QString::number(chosen)));
  }

  void ChoosingAnUskTextPressesItsTest() {
    int chosen = 0;
    for (const ostrolen::SearchEntry& entry : ostrolen::TableEntries()) {
      if (entry.kind != ostrolen::MatchKind::Usk) continue;
      const ostrolen::PageLayout& page = PageOf(entry);
      ListOf(page)->clear();
      const int outcome = Choose(entry);
      QVERIFY2(outcome >= 0, entry.text.c_str());
      if (outcome == 0) continue;
      ++chosen;
      QVERIFY(ListOf(page)->isVisible());
      TForm1 other;
      other.window().SetMessageHook([](ostrolen::WidgetWindow::MessageKind, const QString&) {});
      ostrolen::Press(other.window(), ostrolen::ActionOf(entry).button);
      QCOMPARE(Lines(ListOf(page)), Lines(other.findChild<QListWidget*>(FromStd(page.lists.front().name))));
      QVERIFY(ListOf(page)->count() > 0);
    }
    QVERIFY2(chosen > 0, qPrintable(QString::number(chosen)));
  }

  // A row of the sample database: "Сегменты" with its segment and step,
  // "Запрос" pressed; the file is listed once however often one types.
  void ChoosingARowAsksForItsSegment() {
    const QString sample = QStringLiteral(OSTROLEN_SAMPLE_DIR "/dbveltra.mdb");
    Search()->SetDatabase(sample.toStdString());
    const ostrolen::RowListing listing = ostrolen::ListRowsWithProgram(sample.toStdString(), std::chrono::seconds(120));
    QVERIFY(listing.problem.empty());
    const std::vector<ostrolen::SearchEntry> rows = ostrolen::RowEntries(listing);
    QVERIFY(rows.size() > 3);
    const QDir here = QDir::current();
    QVERIFY(QDir::setCurrent(QFileInfo(sample).absolutePath()));
    int chosen = 0;
    for (std::size_t r = 0; r < rows.size(); r += rows.size() / 4) {
      const ostrolen::SearchEntry& row = rows[r];
      Search()->Box()->clear();
      Type(FromStd(row.text));
      const std::vector<ostrolen::SearchMatch> matches =
          ostrolen::FindMatches(row.text, ostrolen::TableEntries(), rows);
      const auto at =
          std::find_if(matches.begin(), matches.end(), [&](const ostrolen::SearchMatch& m) { return m.entry == &row; });
      QVERIFY(at != matches.end());
      const auto index = static_cast<int>(at - matches.begin());
      if (index >= 100) continue;
      QCOMPARE(Search()->List()->item(index)->text(), FromStd(ostrolen::MatchLine(row)));
      for (int i = 0; i < index; ++i) QTest::keyClick(Search()->Box(), Qt::Key_Down);
      QTest::keyClick(Search()->Box(), Qt::Key_Enter);
      form_->WaitForReading();
      ++chosen;
      const ostrolen::PageLayout& page = ostrolen::SegmentsPage();
      QVERIFY(ListOf(page)->isVisible());
      TForm1 other;
      other.window().SetMessageHook([](ostrolen::WidgetWindow::MessageKind, const QString&) {});
      other.findChild<QLineEdit*>(QStringLiteral("Edit329"))->setText(FromStd(row.segment));
      other.findChild<QLineEdit*>(QStringLiteral("Edit330"))->setText(FromStd(row.step));
      ostrolen::Press(other.window(), ostrolen::ActionOf(row).button);
      QCOMPARE(Lines(ListOf(page)), Lines(other.findChild<QListWidget*>(FromStd(page.lists.front().name))));
      QVERIFY(ListOf(page)->count() > 0);
      for (const char* box : {"Edit329", "Edit330"}) {
        QCOMPARE(Box(box)->text(), other.findChild<QLineEdit*>(QString::fromLatin1(box))->text());
      }
      QVERIFY(Box("Edit329")->text().contains(FromStd(row.segment)) ||
              FromStd(row.segment).contains(Box("Edit329")->text()));
    }
    QDir::setCurrent(here.absolutePath());
    QVERIFY(chosen >= 3);
    QCOMPARE(Search()->Listings(), 1);
  }

  // "Запрос" reads off the window's thread: a long reading shows how far it
  // is under the button, Escape ends it (no box, the list as it was), and
  // the next press starts a new reader; closing the window ends one too.
  void ALongReadingShowsHowFarItIsAndEscapeEndsIt() {
    const QString script = folder_.filePath(QStringLiteral("endless-reader"));
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\nwhile :; do printf 'P\\001\\000\\000\\000\\052'; sleep 0.05; done\n");
    file.close();
    QVERIFY(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    ostrolen::Connection& database = ostrolen::ReferenceDatabase();
    database.Reader().End();
    qputenv("OSTROLEN_MDB_READER", script.toLocal8Bit());
    const QDir here = QDir::current();
    QVERIFY(QDir::setCurrent(QStringLiteral(OSTROLEN_SAMPLE_DIR)));

    QListWidget* list = ListOf(ostrolen::SegmentsPage());
    list->addItem(QStringLiteral("прежняя строка"));
    form_->SpeedButton17Click();
    QVERIFY(form_->Reading());
    QLabel* progress = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT(
        (progress = form_->findChild<QLabel*>(QStringLiteral("ReadingProgress"))) != nullptr && progress->isVisible(),
        kHangMs);
    QCOMPARE(progress->text(), FromStd(ostrolen::shell::kReadingDatabase) + QStringLiteral(" 42 %"));
    auto* button = form_->findChild<QToolButton*>(QStringLiteral("SpeedButton17"));
    QVERIFY(progress->geometry().top() > button->geometry().bottom());
    // A second press while it reads is not a second reading.
    form_->SpeedButton17Click();
    QTest::keyClick(form_.get(), Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!form_->Reading(), kHangMs);
    QVERIFY(!progress->isVisible());
    QCOMPARE(Lines(list), QStringList{QStringLiteral("прежняя строка")});
    QVERIFY(messages_.isEmpty());
    QCOMPARE(database.Reader().Pid(), 0);

    // The real reader again: the next press answers.
    qunsetenv("OSTROLEN_MDB_READER");
    Box("Edit329")->setText(QStringLiteral("12"));
    Box("Edit330")->setText(QStringLiteral("1"));
    form_->SpeedButton17Click();
    form_->WaitForReading();
    QVERIFY(list->count() > 1);
    QVERIFY(messages_.isEmpty());

    // Closing the window ends a reading under way.
    database.Reader().End();
    qputenv("OSTROLEN_MDB_READER", script.toLocal8Bit());
    form_->SpeedButton17Click();
    QTRY_VERIFY_WITH_TIMEOUT(database.Reader().Pid() != 0, kHangMs);
    form_->close();
    QVERIFY(!form_->Reading());
    QCOMPARE(database.Reader().Pid(), 0);
    qunsetenv("OSTROLEN_MDB_READER");
    database.Reader().End();
    QDir::setCurrent(here.absolutePath());
  }
};

QTEST_MAIN(SearchBoxTest)
#include "search_box_test.moc"
