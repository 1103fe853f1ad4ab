// Typing, pasting, Enter and copying in the window, as the operator does
// them, offscreen.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/front.h"
#include "app/page_builder.h"
#include "app/veltra.h"
#include "app/widget_window.h"
#include "core/typing.h"
#include "pages/pages.h"
#include "tests/app/hang.h"

using ostrolen::WidgetWindow;

namespace {

QStringList Names(int first, int last) {
  QStringList names;
  for (int n = first; n <= last; ++n) names << QStringLiteral("Edit%1").arg(n);
  return names;
}

// The UVP page: the message word boxes, word 1 then word 2.
const QStringList kUvpMessage = Names(74, 77) + Names(79, 82);

}  // namespace

class InputFlowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TForm1> form_;

  QLineEdit* Box(const QString& name) { return form_->findChild<QLineEdit*>(name); }

  QStringList Texts(const QStringList& names) {
    QStringList texts;
    for (const QString& name : names) texts << Box(name)->text();
    return texts;
  }

  // Brings the page of `sheet` to the front, through every tab set above it.
  void ShowPage(const char* sheet) {
    auto* page = form_->findChild<QWidget*>(QString::fromLatin1(sheet));
    QVERIFY(page != nullptr);
    for (QWidget* w = page; w != nullptr && w->parentWidget() != nullptr; w = w->parentWidget()) {
      if (auto* tabs = qobject_cast<QTabWidget*>(w->parentWidget()->parentWidget());
          tabs != nullptr && qobject_cast<QStackedWidget*>(w->parentWidget()) != nullptr) {
        tabs->setCurrentWidget(w);
      }
    }
    QVERIFY(page->isVisible());
  }

  // The operator comes to a box as Tab brings him: its text selected.
  void Focus(const QString& name) {
    QLineEdit* box = Box(name);
    QVERIFY2(box != nullptr, qPrintable(name));
    box->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), box);
  }

  QString Focused() {
    const QWidget* focused = QApplication::focusWidget();
    return focused == nullptr ? QString() : focused->objectName();
  }

  // A key typed into the box that has the focus.
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
  }
  // One key at a time, each to the box that has the focus by then.
  void Type(const QString& text) {
    for (const QChar c : text) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
  }

  void Paste(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    QCOMPARE(QGuiApplication::clipboard()->text(), text);
    Key(Qt::Key_V, Qt::ControlModifier);
  }

 private slots:
  void initTestCase() { ostrolen::SetUpLook(); }

  void init() {
    form_ = std::make_unique<TForm1>();
    form_->window().SetMessageHook([](WidgetWindow::MessageKind, const QString&) {});
    form_->show();
    QApplication::setActiveWindow(form_.get());
    QVERIFY(QTest::qWaitForWindowActive(form_.get(), kHangMs));
  }

  void cleanup() { form_.reset(); }

  void TypingRunsFromBoxToBoxAcrossRows() {
    ShowPage("TabSheet1");
    Focus("Edit1");
    Type("271a6");
    QCOMPARE(Texts(Names(1, 5)), QStringList({"2", "7", "1", "a", "6"}));
    // The code word's last box keeps the focus: the bit row below belongs
    // to another button, and Enter now converts the word.
    QCOMPARE(Focused(), QStringLiteral("Edit5"));
    // A row of boxes read by one button runs on across its groups.
    Focus("Edit6");
    Type("0101110110100110");
    QCOMPARE(Texts(Names(6, 21)).join(""), QStringLiteral("0101110110100110"));
    QCOMPARE(Focused(), QStringLiteral("Edit21"));
    // A click into a full box readies it: the typed character replaces its own.
    QTest::mouseClick(Box("Edit2"), Qt::LeftButton);
    QCOMPARE(Focused(), QStringLiteral("Edit2"));
    Type("3");
    QCOMPARE(Box("Edit2")->text(), QStringLiteral("3"));
    QCOMPARE(Focused(), QStringLiteral("Edit3"));
    // With the cursor after its character, the full box keeps it and the focus moves on.
    Focus("Edit3");
    Box("Edit3")->end(false);
    Type("0");
    QCOMPARE(Box("Edit3")->text(), QStringLiteral("1"));
    QCOMPARE(Focused(), QStringLiteral("Edit4"));
    Type("0");
    QCOMPARE(Texts(Names(1, 5)), QStringList({"2", "3", "1", "0", "6"}));
    // The page's last box keeps the focus.
    Focus("Edit21");
    Box("Edit21")->selectAll();
    Type("10");
    QCOMPARE(Box("Edit21")->text(), QStringLiteral("1"));
    QCOMPARE(Focused(), QStringLiteral("Edit21"));
  }

  void TypingSkipsTheMaskAndBitRows() {
    ShowPage("TabSheet9");
    Focus("Edit74");
    Type("0075003F");
    QCOMPARE(Texts(kUvpMessage), QStringList({"0", "0", "7", "5", "0", "0", "3", "F"}));
    QCOMPARE(Texts(Names(100, 103)), QStringList({"0", "0", "3", "5"}));
    QCOMPARE(Focused(), QStringLiteral("Edit82"));
    // Tab follows the same order and never stops on a fixed or bit box.
    Focus("Edit77");
    Key(Qt::Key_Tab);
    QCOMPARE(Focused(), QStringLiteral("Edit79"));
    Focus("Edit79");
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(Focused(), QStringLiteral("Edit77"));
  }

  void BackspaceInAnEmptyBoxDeletesTheOneBefore() {
    ShowPage("TabSheet1");
    Focus("Edit1");
    Type("7731");
    QCOMPARE(Focused(), QStringLiteral("Edit5"));
    Key(Qt::Key_Backspace);  // Edit5 is empty: back to Edit4, which loses its "1"
    QCOMPARE(Focused(), QStringLiteral("Edit4"));
    QCOMPARE(Texts(Names(1, 5)), QStringList({"7", "7", "3", "", ""}));
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Backspace);
    QCOMPARE(Focused(), QStringLiteral("Edit2"));
    QCOMPARE(Texts(Names(1, 5)), QStringList({"7", "", "", "", ""}));
    Type("5");
    QCOMPARE(Texts(Names(1, 3)), QStringList({"7", "5", ""}));
    // Backspace in a box that holds a character clears it and stays.
    Focus("Edit1");
    Key(Qt::Key_Backspace);
    QCOMPARE(Box("Edit1")->text(), QString());
    QCOMPARE(Focused(), QStringLiteral("Edit1"));
  }

  void ArrowsMoveBetweenBoxesAndRows() {
    ShowPage("TabSheet1");
    Focus("Edit5");
    Key(Qt::Key_Right);
    QCOMPARE(Focused(), QStringLiteral("Edit6"));
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    QCOMPARE(Focused(), QStringLiteral("Edit4"));
    // Up from the code word: the bit boxes of the upper block; down: the bit row.
    Focus("Edit3");
    Key(Qt::Key_Down);
    const QString below = Focused();
    QVERIFY2(Names(6, 21).contains(below), qPrintable(below));
    Key(Qt::Key_Up);
    QVERIFY2(Names(1, 5).contains(Focused()), qPrintable(Focused()));
    Key(Qt::Key_Up);
    QVERIFY2(Names(30, 33).contains(Focused()), qPrintable(Focused()));
    Key(Qt::Key_Up);
    QVERIFY2(Names(27, 29).contains(Focused()), qPrintable(Focused()));
    Key(Qt::Key_Up);  // the top row: nowhere to go
    QVERIFY2(Names(27, 29).contains(Focused()), qPrintable(Focused()));
    // The moves never land on fixed or bit-row boxes of a fault page.
    ShowPage("TabSheet9");
    Focus("Edit79");
    Key(Qt::Key_Down);
    QCOMPARE(Focused(), QStringLiteral("Edit79"));
    Key(Qt::Key_Up);
    QCOMPARE(Focused(), QStringLiteral("Edit79"));
    Key(Qt::Key_Left);
    QCOMPARE(Focused(), QStringLiteral("Edit77"));
  }

  void WideBoxesTypeAsUsualAndMoveAtTheirEnds() {
    ShowPage("TabSheet15");
    Focus("Edit329");
    Type("3C");
    QCOMPARE(Box("Edit329")->text(), QStringLiteral("3C"));
    QCOMPARE(Focused(), QStringLiteral("Edit329"));
    Key(Qt::Key_Left);  // inside the text: the cursor moves
    QCOMPARE(Focused(), QStringLiteral("Edit329"));
    QCOMPARE(Box("Edit329")->cursorPosition(), 1);
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);  // at the end: on to the next box
    QCOMPARE(Focused(), QStringLiteral("Edit330"));
    Type("7");
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Backspace);  // empty: back into Edit329, deleting its last character
    QCOMPARE(Focused(), QStringLiteral("Edit329"));
    QCOMPARE(Box("Edit329")->text(), QStringLiteral("3"));
    QCOMPARE(Box("Edit330")->text(), QString());
    Key(Qt::Key_Down);
    QCOMPARE(Focused(), QStringLiteral("Edit330"));
  }

  void SpreadingTakesOnlyTheWordsCharacters_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("characters");
    const QStringList word = {"3", "5", "2", "9", "C"};
    QTest::newRow("plain") << "3529C" << word;
    QTest::newRow("blanks") << "3 5 2 9 C" << word;
    QTest::newRow("every separator") << " 3-5,2;9:C./_\t\r\n" << word;
    QTest::newRow("groups") << "0075 003F" << QStringList({"0", "0", "7", "5", "0", "0", "3", "F"});
    QTest::newRow("dash") << "0075-003F" << QStringList({"0", "0", "7", "5", "0", "0", "3", "F"});
    QTest::newRow("cyrillic") << "2719В" << QStringList({"2", "7", "1", "9", "В"});
    QTest::newRow("nothing") << " - " << QStringList();
  }
  void SpreadingTakesOnlyTheWordsCharacters() {
    QFETCH(QString, text);
    QFETCH(QStringList, characters);
    QStringList spread;
    for (const std::string& c : ostrolen::SpreadCharacters(std::string_view(text.toStdString()))) {
      spread << QString::fromStdString(c);
    }
    QCOMPARE(spread, characters);
  }

  void PastingAWordSpreadsItOverTheBoxes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("focus");
    QTest::newRow("two words") << "0075 003F" << QStringList({"0", "0", "7", "5", "0", "0", "3", "F"}) << "Edit82";
    QTest::newRow("dash") << "0075-003F" << QStringList({"0", "0", "7", "5", "0", "0", "3", "F"}) << "Edit82";
    QTest::newRow("one run") << "0075003f" << QStringList({"0", "0", "7", "5", "0", "0", "3", "f"}) << "Edit82";
    QTest::newRow("too long") << "1234 5678 9ABC" << QStringList({"1", "2", "3", "4", "5", "6", "7", "8"}) << "Edit82";
    QTest::newRow("short") << "4035" << QStringList({"4", "0", "3", "5", "", "", "", ""}) << "Edit79";
  }
  void PastingAWordSpreadsItOverTheBoxes() {
    QFETCH(QString, text);
    QFETCH(QStringList, boxes);
    QFETCH(QString, focus);
    ShowPage("TabSheet9");
    Focus("Edit74");
    Paste(text);
    QCOMPARE(Texts(kUvpMessage), boxes);
    QCOMPARE(Focused(), focus);
    // The fixed boxes and the bit rows are not written.
    QCOMPARE(Texts(Names(100, 103)), QStringList({"0", "0", "3", "5"}));
    QCOMPARE(Box("Edit78")->text(), QString());
  }

  void PastingInTheMiddleStartsThere() {
    ShowPage("TabSheet1");
    Focus("Edit3");
    Paste("3 5 2 9 C");  // Edit3..Edit5; the bit row belongs to the other button
    QCOMPARE(Texts(Names(1, 8)), QStringList({"", "", "3", "5", "2", "", "", ""}));
    QCOMPARE(Focused(), QStringLiteral("Edit5"));
    Focus("Edit1");
    Paste("271A6");
    QCOMPARE(Texts(Names(1, 5)), QStringList({"2", "7", "1", "A", "6"}));
    Key(Qt::Key_Return);
    QCOMPARE(Texts(Names(6, 21)).join(""), QStringLiteral("0101110110100110"));
  }

  void PastingIntoAWideBoxIsAPlainPaste() {
    ShowPage("TabSheet15");
    Focus("Edit329");
    Paste("3 C9");
    QCOMPARE(Box("Edit329")->text(), QStringLiteral("3 "));
    QCOMPARE(Box("Edit330")->text(), QString());
  }

  void TheContextMenuPasteSpreadsToo() {
    ShowPage("TabSheet9");
    Focus("Edit74");
    QGuiApplication::clipboard()->setText("0075 003F");
    // The box's own context menu, as a right click opens it.
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), Box("Edit74")->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(Box("Edit74"), &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu != nullptr);
    QAction* paste = nullptr;
    for (QAction* action : menu->actions()) {
      if (action->objectName() == QLatin1String("edit-paste")) paste = action;
    }
    QVERIFY(paste != nullptr);
    menu->hide();
    paste->trigger();
    QCOMPARE(Texts(kUvpMessage), QStringList({"0", "0", "7", "5", "0", "0", "3", "F"}));
  }

  void EnterPressesThePagesButton_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
  }
  void EnterPressesThePagesButton() {
    QFETCH(int, key);
    ShowPage("TabSheet9");
    Focus("Edit74");
    Type("0075003F");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key),
                    key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    auto* list = form_->findChild<QListWidget*>(QStringLiteral("ListBox4"));
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QStringLiteral("БВ 01-60 УВП 0-3"));
    QCOMPARE(Box("Edit78")->text(), QStringLiteral("0"));  // the bit rows were written
  }

  void EnterPressesTheBoxsOwnButton() {
    ShowPage("TabSheet1");
    Focus("Edit29");  // HEX: SpeedButton8, HEX to BIN and DEC
    Type("a");
    QCOMPARE(Focused(), QStringLiteral("Edit29"));
    Key(Qt::Key_Return);
    QCOMPARE(Texts(Names(27, 33)), QStringList({"1", "0", "a", "1", "0", "1", "0"}));
    Focus("Edit30");  // BIN: SpeedButton5, BIN to DEC and HEX
    Type("0111");
    Key(Qt::Key_Return);
    QCOMPARE(Texts(Names(27, 29)), QStringList({"0", "7", "7"}));
    Focus("Edit1");  // the code word: SpeedButton1
    Type("773ff");
    Key(Qt::Key_Enter, Qt::KeypadModifier);
    for (const QString& bit : Texts(Names(6, 21))) QCOMPARE(bit, QStringLiteral("1"));
    // Enter on a page runs the same path as a click: the errors come in the same boxes.
    std::vector<QString> shown;
    form_->window().SetMessageHook([&](WidgetWindow::MessageKind, const QString& text) { shown.push_back(text); });
    Focus("Edit29");
    Type("G");
    Key(Qt::Key_Return);
    QCOMPARE(shown, std::vector<QString>({"'$G' is not a valid integer value."}));
  }

  void EveryBoxPressesAButtonOfItsOwnPage() {
    for (const ostrolen::PageLayout* page : ostrolen::AllPages()) {
      auto* sheet = form_->findChild<QWidget*>(QString::fromStdString(page->sheet));
      for (std::size_t i = 0; i < page->boxes.size(); ++i) {
        const ostrolen::BoxSpec& spec = page->boxes[i];
        if (spec.role == ostrolen::BoxRole::Fixed) continue;
        const QString button = QString::fromStdString(ostrolen::EnterButton(*page, static_cast<int>(i)));
        QVERIFY2(sheet->findChild<QToolButton*>(button) != nullptr, spec.name.c_str());
      }
    }
  }

  void ResultLinesCanBeCopied() {
    ShowPage("TabSheet9");
    Focus("Edit74");
    Paste("4035 403F");
    Key(Qt::Key_Return);
    auto* list = form_->findChild<QListWidget*>(QStringLiteral("ListBox4"));
    QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    QVERIFY(lines.size() >= 2);
    const int last = static_cast<int>(lines.size()) - 1;
    QGuiApplication::clipboard()->setText("old");
    list->setFocus();
    // Nothing selected: every line, "\n" between lines.
    Key(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), lines.join('\n'));
    // The selected lines, in list order whatever order they were picked in.
    const auto click = [list](int row, Qt::KeyboardModifiers modifiers) {
      QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, list->visualItemRect(list->item(row)).center());
    };
    click(last, Qt::NoModifier);
    click(0, Qt::ControlModifier);
    Key(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), lines[0] + '\n' + lines[last]);
    // The context menu's item does the same, for the line it opened on.
    const QPoint at = list->visualItemRect(list->item(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu != nullptr);
    QAction* copy = nullptr;
    for (QAction* action : menu->actions()) {
      if (action->text() == QStringLiteral("Копировать")) copy = action;
    }
    QVERIFY(copy != nullptr);
    menu->hide();
    copy->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), lines[1]);
  }

  void CopyingAPressResult() {
    ShowPage("TabSheet9");
    Focus("Edit74");
    Paste("4035 403F");
    Key(Qt::Key_Return);
    auto* list = form_->findChild<QListWidget*>(QStringLiteral("ListBox4"));
    QVERIFY(list->count() > 1);
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    list->setFocus();
    Key(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), lines.join('\n'));
    // An empty list leaves the clipboard alone.
    auto* other = form_->findChild<QListWidget*>(QStringLiteral("ListBox5"));
    ShowPage("TabSheet10");
    other->setFocus();
    Key(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), lines.join('\n'));
  }
};

QTEST_MAIN(InputFlowTest)
#include "input_flow_test.moc"
