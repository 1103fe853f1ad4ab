// Result lines on the window, offscreen: selecting a line lights the boxes
// its bits come from, its tooltip names them, and on the subscriber pages a
// line changes its field in the boxes, decoded again as a press would.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "app/front.h"
#include "app/line_explain.h"
#include "app/page_builder.h"
#include "app/veltra.h"
#include "pages/pages.h"
#include "tests/app/hang.h"

namespace {

QString FromStd(const std::string& text) { return QString::fromStdString(text); }

QStringList Names(const std::vector<std::string>& names) {
  QStringList list;
  for (const std::string& name : names) list << FromStd(name);
  return list;
}

}  // namespace

class LineTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TForm1> form_;

  QLineEdit* Box(const QString& name) { return form_->findChild<QLineEdit*>(name); }
  QListWidget* List(const char* name) { return form_->findChild<QListWidget*>(QString::fromLatin1(name)); }

  void ShowPage(const std::string& sheet) {
    auto* page = form_->findChild<QWidget*>(FromStd(sheet));
    QVERIFY(page != nullptr);
    for (QWidget* w = page; w != nullptr && w->parentWidget() != nullptr; w = w->parentWidget()) {
      if (auto* tabs = qobject_cast<QTabWidget*>(w->parentWidget()->parentWidget());
          tabs != nullptr && qobject_cast<QStackedWidget*>(w->parentWidget()) != nullptr) {
        tabs->setCurrentWidget(w);
      }
    }
    QVERIFY(page->isVisible());
  }

  // Types the words' characters into the page's input boxes, in input order, and clicks the button.
  void Press(const ostrolen::PageLayout& page, const QString& characters) {
    ShowPage(page.sheet);
    int k = 0;
    for (const ostrolen::WordSpec& word : page.words) {
      for (const std::string& name : word.positions) Box(FromStd(name))->setText(characters.mid(k++, 1));
    }
    form_->findChild<QToolButton*>(FromStd(page.buttons.front().name))->click();
  }

  QStringList Texts(const QStringList& names) {
    QStringList texts;
    for (const QString& name : names) texts << Box(name)->text();
    return texts;
  }

  static QStringList Lines(const QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
  }

  // The line that starts with `start`; fails the test when there is none.
  static QListWidgetItem* Line(const QListWidget* list, const QString& start) {
    for (int i = 0; i < list->count(); ++i) {
      if (list->item(i)->text().startsWith(start)) return list->item(i);
    }
    return nullptr;
  }

  // The boxes of the page whose background is the highlight.
  QStringList Lit(const ostrolen::PageLayout& page) {
    QStringList lit;
    for (const ostrolen::BoxSpec& spec : page.boxes) {
      if (Box(FromStd(spec.name))->palette().color(QPalette::Base) == ostrolen::ExplainColour()) {
        lit << FromStd(spec.name);
      }
    }
    return lit;
  }

  // The look of every box of a page: its background colour.
  QStringList Backgrounds(const ostrolen::PageLayout& page) {
    QStringList colours;
    for (const ostrolen::BoxSpec& spec : page.boxes) {
      colours << Box(FromStd(spec.name))->palette().color(QPalette::Base).name();
    }
    return colours;
  }

  // What a list's lines offer, asked of the window as the operator asks it.
  struct Editing {
    TForm1* form;
    QListWidget* list;
    ostrolen::ui::Controller& Controller() const { return form->front()->controller(); }
    bool Undo() const { return Controller().CanUndo(list->objectName().toStdString()); }
    // The line's context menu, as a right click opens it.
    QMenu* Menu(QListWidgetItem* item) const {
      Controller().MenuOnLine(list->row(item));
      form->front()->Apply();
      return form->front()->Menu();
    }
    // A double click on a number's line: its editor; nullptr for a line without a number to edit.
    QDialog* EditNumber(QListWidgetItem* item) const {
      if (!FieldOf(item)) return nullptr;
      Controller().ActivateLine(list->objectName().toStdString(), list->row(item));
      form->front()->Apply();
      return form->front()->Editor();
    }
    bool FieldOf(QListWidgetItem* item) const {
      return Controller().Offers(list->objectName().toStdString(), list->row(item));
    }
    const Editing* operator->() const { return this; }
  };
  Editing Editing(QListWidget* list) { return {form_.get(), list}; }

  static QAction* Action(const QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions()) {
      if (action->text() == text) return action;
    }
    return nullptr;
  }

  static QStringList ActionTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions()) {
      if (!action->isSeparator()) texts << action->text();
    }
    return texts;
  }

  // What a press of the page's button shows for `characters` typed by hand, on a window of its own.
  static QStringList PressedLines(const ostrolen::PageLayout& page, const QString& characters) {
    TForm1 other;
    int k = 0;
    for (const ostrolen::WordSpec& word : page.words) {
      for (const std::string& name : word.positions) {
        other.findChild<QLineEdit*>(FromStd(name))->setText(characters.mid(k++, 1));
      }
    }
    ostrolen::Press(other.window(), page.buttons.front().name);
    return Lines(other.findChild<QListWidget*>(FromStd(page.lists.front().name)));
  }

 private slots:
  void initTestCase() { ostrolen::SetUpLook(); }

  void init() {
    form_ = std::make_unique<TForm1>();
    form_->show();
  }
  void cleanup() { form_.reset(); }

  void ASubscriberLineLightsItsPositions() {
    const ostrolen::PageLayout& page = ostrolen::SkoPage();
    const QStringList before = Backgrounds(page);
    Press(page, QStringLiteral("271A6"));
    QListWidget* list = List("ListBox7");
    QVERIFY(list->count() > 5);
    // Nothing selected: the boxes look as they did before the press.
    QCOMPARE(Backgrounds(page), before);
    QVERIFY(Lit(page).isEmpty());

    QListWidgetItem* type = Line(list, QStringLiteral("Тип абонентской линии"));
    QVERIFY(type != nullptr);
    list->setCurrentItem(type);
    QCOMPARE(Lit(page), QStringList({"Edit274", "Edit275"}));
    QCOMPARE(type->toolTip(), QStringLiteral("Слово 0, биты 1–4 (позиции 1–2): 0101"));
    // The line's selection in the boxes' colour.
    QCOMPARE(list->palette().color(QPalette::Active, QPalette::Highlight), ostrolen::ExplainColour());

    // The arrow keys move the highlight with the line.
    list->setFocus();
    const int row = list->row(type);
    list->setCurrentRow(row - 1);
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentRow(), row);
    QCOMPARE(Lit(page), QStringList({"Edit274", "Edit275"}));
    QTest::keyClick(list, Qt::Key_Up);
    QListWidgetItem* dialing = list->item(row - 1);
    QVERIFY(dialing->text().startsWith(QStringLiteral("Набор номера")));
    QCOMPARE(Lit(page), QStringList({"Edit275"}));
    QCOMPARE(dialing->toolTip(), QStringLiteral("Слово 0, бит 5 (позиция 2): 1"));

    // An edit takes the highlight off, and the boxes look as before.
    Box("Edit278")->selectAll();
    QTest::keyClick(Box("Edit278"), Qt::Key_7);
    QCOMPARE(Box("Edit278")->text(), QStringLiteral("7"));
    QVERIFY(Lit(page).isEmpty());
    QVERIFY(list->selectedItems().isEmpty());
    QCOMPARE(Backgrounds(page), before);

    // So does the next press.
    list->setCurrentItem(Line(list, QStringLiteral("Посылка вызова")));
    QCOMPARE(Lit(page), QStringList({"Edit275"}));
    form_->findChild<QToolButton*>(QStringLiteral("SpeedButton14"))->click();
    QVERIFY(Lit(page).isEmpty());
    QCOMPARE(Backgrounds(page), before);
  }

  void AFaultLineLightsItsBitInBothRows() {
    const ostrolen::PageLayout& page = ostrolen::UvpPage();
    const QStringList before = Backgrounds(page);
    Press(page, QStringLiteral("0075003F"));
    QListWidget* list = List("ListBox4");
    QListWidgetItem* line = Line(list, QStringLiteral("БВ 01-60 УВП 0-3"));
    QVERIFY(line != nullptr);
    QCOMPARE(Backgrounds(page), before);
    list->setCurrentItem(line);
    // The differing bit, bit 10 of the first word: its box in the mask row and in the check row.
    const ostrolen::WordSpec& word = page.words[0];
    QCOMPARE(Lit(page), QStringList({FromStd(word.bit_rows[0][9]), FromStd(word.bit_rows[1][9])}));
    QCOMPARE(Box(FromStd(word.bit_rows[1][9]))->text(), QStringLiteral("1"));
    QCOMPARE(line->toolTip(), QStringLiteral("Слово 0, бит 10 (позиция 3): 1"));
    list->clearSelection();
    QVERIFY(Lit(page).isEmpty());
    QCOMPARE(Backgrounds(page), before);
  }

  void EveryControlHasAnAccessibleName() {
    for (const ostrolen::PageLayout* page : ostrolen::AllPages()) {
      ShowPage(page->sheet);
      QSet<QString> names;
      for (const ostrolen::BoxSpec& box : page->boxes) {
        const QString name = Box(FromStd(box.name))->accessibleName();
        QVERIFY2(!name.isEmpty(), box.name.c_str());
        QVERIFY2(!names.contains(name), qPrintable(name));
        names.insert(name);
      }
      for (const ostrolen::ButtonSpec& button : page->buttons) {
        QVERIFY(!form_->findChild<QToolButton*>(FromStd(button.name))->accessibleName().isEmpty());
      }
      for (const ostrolen::ListSpec& list : page->lists) {
        QVERIFY(!form_->findChild<QListWidget*>(FromStd(list.name))->accessibleName().isEmpty());
      }
    }
    QCOMPARE(Box("Edit278")->accessibleName(), QStringLiteral("Слово 0, позиция 5 (до F)"));
    QCOMPARE(Box("Edit276")->accessibleName(), QStringLiteral("Слово 0, позиция 3 (до 3)"));
    QCOMPARE(Box("Edit50")->accessibleName(), QStringLiteral("Слово 3, позиция 2 (до 7)"));
    QCOMPARE(form_->findChild<QToolButton*>(QStringLiteral("SpeedButton14"))->accessibleName(),
             QStringLiteral("Проверить"));
    QCOMPARE(form_->findChild<QToolButton*>(QStringLiteral("SpeedButton3"))->accessibleName(),
             QStringLiteral("Декодировать: Первая ступень"));
    const ostrolen::WordSpec& uvp = ostrolen::UvpPage().words[1];
    QCOMPARE(Box(FromStd(uvp.bit_rows[0][2]))->accessibleName(), QStringLiteral("Маска, слово 1, бит 3"));
    QCOMPARE(Box(FromStd(uvp.bit_rows[1][9]))->accessibleName(), QStringLiteral("Проверка, слово 1, бит 10"));
    QCOMPARE(Box(FromStd(uvp.positions[0]))->accessibleName(), QStringLiteral("Слово 1, позиция 1 (до F)"));
    // Boxes outside the decoded words by the title of their row.
    QCOMPARE(Box("Edit1")->accessibleName(), QStringLiteral("Кодовое слово, позиция 1 (до 7)"));
    QCOMPARE(Box("Edit29")->accessibleName(), QStringLiteral("HEX"));
    QCOMPARE(Box("Edit28")->accessibleName(), QStringLiteral("DEC, знак 2"));
    QCOMPARE(Box("Edit332")->accessibleName(), QStringLiteral("УСК .0.-, знак 2"));
    QCOMPARE(Box("Edit330")->accessibleName(), QStringLiteral("Шаг"));
  }

  void TabFollowsTheTypingOrder() {
    const ostrolen::PageLayout& page = ostrolen::SecondStagePage();
    ShowPage(page.sheet);
    QStringList expected;
    for (const ostrolen::WordSpec& word : page.words) expected += Names(word.positions);
    expected << QStringLiteral("SpeedButton6") << QStringLiteral("ListBox2");
    QStringList order;
    QWidget* widget = Box("Edit34");
    for (int i = 0; i < expected.size(); ++i) {
      order << widget->objectName();
      do {
        widget = widget->nextInFocusChain();
      } while ((widget->focusPolicy() & Qt::TabFocus) == 0);
    }
    QCOMPARE(order, expected);
  }

  void ATwoStateLineSwitchesAndUndoes() {
    const ostrolen::PageLayout& page = ostrolen::SkoPage();
    const QStringList boxes = Names(page.words[0].positions);
    Press(page, QStringLiteral("271A6"));
    QListWidget* list = List("ListBox7");
    const QStringList lines = Lines(list);
    QCOMPARE(Line(list, "Посылка вызова")->text(), QStringLiteral("Посылка вызова = ГВТ"));
    // A double click on the line switches bit 6, the last of position 2: 7 becomes 6.
    QListWidgetItem* ringing = Line(list, "Посылка вызова");
    const QRect rect = list->visualItemRect(ringing);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(Texts(boxes), QStringList({"2", "6", "1", "A", "6"}));
    QCOMPARE(Lines(list), PressedLines(page, QStringLiteral("261A6")));
    QCOMPARE(Line(list, "Посылка вызова")->text(), QStringLiteral("Посылка вызова = 25Гц"));
    // Only that line changed, and it is still the selected one, lit.
    QStringList changed = lines;
    changed[lines.indexOf(QStringLiteral("Посылка вызова = ГВТ"))] = QStringLiteral("Посылка вызова = 25Гц");
    QCOMPARE(Lines(list), changed);
    QCOMPARE(list->selectedItems().size(), 1);
    QCOMPARE(list->currentItem()->text(), QStringLiteral("Посылка вызова = 25Гц"));
    QCOMPARE(Lit(page), QStringList({"Edit275"}));

    // Enter switches it back.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(Texts(boxes), QStringList({"2", "7", "1", "A", "6"}));
    QCOMPARE(Lines(list), lines);

    // Ctrl+Z takes each change back in turn.
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Texts(boxes), QStringList({"2", "6", "1", "A", "6"}));
    QCOMPARE(Lines(list), changed);
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Texts(boxes), QStringList({"2", "7", "1", "A", "6"}));
    QCOMPARE(Lines(list), lines);
    QVERIFY(!Editing(list)->Undo());  // nothing left to take back

    // Ctrl+Z on the page, away from the list and the boxes, takes a change back too.
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(Texts(boxes), QStringList({"2", "6", "1", "A", "6"}));
    QApplication::setActiveWindow(form_.get());
    QVERIFY(QTest::qWaitForWindowActive(form_.get(), kHangMs));
    auto* button = form_->findChild<QToolButton*>(QStringLiteral("SpeedButton14"));
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Texts(boxes), QStringList({"2", "7", "1", "A", "6"}));
    QCOMPARE(Lines(list), lines);
  }

  void TheMenuListsEveryValue() {
    const ostrolen::PageLayout& page = ostrolen::SkoPage();
    const QStringList boxes = Names(page.words[0].positions);
    Press(page, QStringLiteral("271a6"));
    QListWidget* list = List("ListBox7");
    QListWidgetItem* type = Line(list, QStringLiteral("Тип абонентской линии = "));
    QVERIFY(type != nullptr);
    list->setCurrentItem(type);
    std::unique_ptr<QMenu> menu(Editing(list)->Menu(type));
    const QStringList texts = ActionTexts(menu.get());
    // Sixteen line types, the values with no text by their bits, then the copy item.
    QCOMPARE(texts.size(), 17);
    QVERIFY(texts.contains(QStringLiteral("0b1000")));
    QVERIFY(texts.contains(QStringLiteral("0b1111")));
    QCOMPARE(texts.last(), QStringLiteral("Копировать"));
    const QString current = type->text().mid(QStringLiteral("Тип абонентской линии = ").size());
    for (QAction* action : menu->actions()) {
      if (action->isCheckable()) QCOMPARE(action->isChecked(), action->text() == current);
    }
    // Line type 0001 in bits 1-4: position 1 becomes 0, position 2 (bits 4-6) stays 111.
    const QString chosen = texts.at(1);
    Action(menu.get(), chosen)->trigger();
    QCOMPARE(Texts(boxes), QStringList({"0", "7", "1", "A", "6"}));
    QCOMPARE(Line(list, "Тип абонентской линии")->text(), QStringLiteral("Тип абонентской линии = ") + chosen);
    QCOMPARE(Lines(list), PressedLines(page, QStringLiteral("071A6")));
  }

  void ANumberIsEditedWithinItsBits() {
    const ostrolen::PageLayout& page = ostrolen::FirstStagePage();
    const QStringList boxes = Names(page.words[0].positions);
    Press(page, QStringLiteral("3529C"));
    QListWidget* list = List("ListBox1");
    QListWidgetItem* hundred = Line(list, QStringLiteral("нормализованная сотня="));
    QVERIFY(hundred != nullptr);
    list->setCurrentItem(hundred);
    std::unique_ptr<QMenu> menu(Editing(list)->Menu(hundred));
    QVERIFY(Action(menu.get(), QStringLiteral("Изменить…")) != nullptr);
    QCOMPARE(ActionTexts(menu.get()).last(), QStringLiteral("Копировать"));

    QDialog* dialog = Editing(list)->EditNumber(hundred);
    QVERIFY(dialog != nullptr);
    auto* edit = dialog->findChild<QLineEdit*>();
    QPushButton* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    QCOMPARE(edit->text(), QStringLiteral("13"));
    // Five bits: 31 at most.
    edit->setText(QStringLiteral("32"));
    QVERIFY(!ok->isEnabled());
    edit->setText(QStringLiteral("x"));
    QVERIFY(!ok->isEnabled());
    edit->setText(QStringLiteral("31"));
    QVERIFY(ok->isEnabled());
    ok->click();
    // 0 111 11111 0011100: the class and the tens and units kept.
    QCOMPARE(Texts(boxes), QStringList({"3", "7", "3", "9", "C"}));
    QCOMPARE(Line(list, "нормализованная сотня=")->text(), QStringLiteral("нормализованная сотня=31"));
    QCOMPARE(Lines(list), PressedLines(page, QStringLiteral("3739C")));
    QCOMPARE(list->currentItem()->text(), QStringLiteral("нормализованная сотня=31"));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Texts(boxes), QStringList({"3", "5", "2", "9", "C"}));
  }

  void TheFormSwitchesFromEitherLine() {
    const ostrolen::PageLayout& page = ostrolen::FirstStagePage();
    const QStringList boxes = Names(page.words[0].positions);
    Press(page, QStringLiteral("3529C"));
    QListWidget* list = List("ListBox1");
    QListWidgetItem* line = Line(list, QStringLiteral("десятки-еденицы="));
    list->setCurrentItem(line);
    std::unique_ptr<QMenu> menu(Editing(list)->Menu(line));
    QAction* forms = Action(menu.get(), QStringLiteral("Форма"));
    QVERIFY(forms != nullptr && forms->menu() != nullptr);
    QCOMPARE(ActionTexts(forms->menu()), QStringList({"класс и номер", "блок 2-й ступени"}));
    QVERIFY(Action(forms->menu(), QStringLiteral("класс и номер"))->isChecked());
    Action(forms->menu(), QStringLiteral("блок 2-й ступени"))->trigger();
    // Bit 1 set, the other form's bits from zero.
    QCOMPARE(Texts(boxes), QStringList({"4", "0", "0", "0", "0"}));
    QCOMPARE(Lines(list), PressedLines(page, QStringLiteral("40000")));
    // And back from a line of the second form.
    QListWidgetItem* block = list->item(list->count() - 1);
    std::unique_ptr<QMenu> again(Editing(list)->Menu(block));
    QMenu* submenu = Action(again.get(), QStringLiteral("Форма"))->menu();
    QVERIFY(Action(submenu, QStringLiteral("блок 2-й ступени"))->isChecked());
    Action(submenu, QStringLiteral("класс и номер"))->trigger();
    QCOMPARE(Texts(boxes), QStringList({"0", "0", "0", "0", "0"}));
    QCOMPARE(Lines(list), PressedLines(page, QStringLiteral("00000")));
  }

  void NoWordNoChange() {
    const ostrolen::PageLayout& page = ostrolen::SkoPage();
    const QStringList boxes = Names(page.words[0].positions);
    Press(page, QStringLiteral("271A6"));
    QListWidget* list = List("ListBox7");
    Box("Edit277")->setText(QStringLiteral("G"));
    QListWidgetItem* ringing = Line(list, QStringLiteral("Посылка вызова"));
    list->setCurrentItem(ringing);
    QVERIFY(!Editing(list)->FieldOf(ringing));
    std::unique_ptr<QMenu> menu(Editing(list)->Menu(ringing));
    QCOMPARE(ActionTexts(menu.get()), QStringList({"Копировать"}));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(Texts(boxes), QStringList({"2", "7", "1", "G", "6"}));
    QCOMPARE(Editing(list)->EditNumber(ringing), nullptr);
  }

  void ABlockWithInputErrorsOffersNothing() {
    const ostrolen::PageLayout& page = ostrolen::SecondStagePage();
    form_->window().SetMessageHook([](ostrolen::WidgetWindow::MessageKind, const QString&) {});
    Press(page, QStringLiteral("03245253A712345701F0"));
    QListWidget* list = List("ListBox2");
    QVERIFY(list->count() > 0);
    QListWidgetItem* first = nullptr;
    for (int i = 0; i < list->count() && first == nullptr; ++i) {
      if (Editing(list)->FieldOf(list->item(i))) first = list->item(i);
    }
    QVERIFY(first != nullptr);
    // A position over its largest digit: the block holds no word to change.
    Box("Edit34")->setText(QStringLiteral("9"));
    QVERIFY(!Editing(list)->FieldOf(first));
  }
};

QTEST_MAIN(LineTest)
#include "line_test.moc"
