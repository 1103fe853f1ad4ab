// The window as a screen reader and a keyboard-only operator meet it,
// offscreen: the accessible tree Qt hands the desktop's accessibility bus
// (names, roles, states, descriptions), the frames that tell focus and the
// lit boxes apart, and a walk through every page with nothing but keys.
#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>

#include "app/about.h"
#include "app/line_explain.h"
#include "app/page_builder.h"
#include "app/veltra.h"
#include "core/shell.h"
#include "pages/interaction.h"
#include "pages/pages.h"
#include "tests/app/hang.h"

namespace {

QString FromStd(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QColor Colour(ostrolen::shell::Colour colour) { return {colour.red, colour.green, colour.blue}; }

// Every tab of the page tree with the path of tab sets above it.
struct TabPlace {
  std::vector<const ostrolen::TabNode*> path;  // the tab nodes from the top tab set down to this one
};

void LeafPaths(const ostrolen::TabNode& node, std::vector<const ostrolen::TabNode*> path,
               std::vector<TabPlace>& places) {
  for (const ostrolen::TabNode& child : node.children) {
    std::vector<const ostrolen::TabNode*> here = path;
    here.push_back(&child);
    if (child.page != nullptr) {
      places.push_back({here});
    } else {
      LeafPaths(child, here, places);
    }
  }
}

}  // namespace

class AccessibilityTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TForm1> form_;

  QLineEdit* Box(const QString& name) { return form_->findChild<QLineEdit*>(name); }
  QListWidget* List(const QString& name) { return form_->findChild<QListWidget*>(name); }
  static QWidget* Focused() { return QApplication::focusWidget(); }
  static QString FocusedName() { return Focused() != nullptr ? Focused()->objectName() : QString(); }

  // A key as the operator presses it: to whatever has the focus.
  static void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = QApplication::activePopupWidget();
    if (target == nullptr) target = Focused();
    QVERIFY(target != nullptr);
    QTest::keyClick(target, key, modifiers);
  }
  static void Type(const QString& text) {
    for (const QChar c : text) {
      QWidget* target = Focused();
      QVERIFY(target != nullptr);
      QTest::keyClicks(target, QString(c));
    }
  }

  // Tab until `reached` holds, at most `most` times; false when it never does.
  static bool TabUntil(const std::function<bool()>& reached, int most = 200) {
    for (int i = 0; i < most; ++i) {
      if (reached()) return true;
      QWidget* target = Focused();
      if (target == nullptr) return false;
      QTest::keyClick(target, Qt::Key_Tab);
    }
    return reached();
  }

  // The page on top, as a click on its tabs would show it.
  void ShowPage(const ostrolen::PageLayout& page) {
    QWidget* sheet = form_->findChild<QWidget*>(FromStd(page.sheet));
    QVERIFY(sheet != nullptr);
    for (QWidget* w = sheet; w != nullptr && w->parentWidget() != nullptr; w = w->parentWidget()) {
      if (auto* tabs = qobject_cast<QTabWidget*>(w->parentWidget()->parentWidget());
          tabs != nullptr && qobject_cast<QStackedWidget*>(w->parentWidget()) != nullptr) {
        tabs->setCurrentWidget(w);
      }
    }
    QVERIFY(sheet->isVisible());
  }
  // Offscreen, nothing gives the window back its activation when a modal box closes.
  void Reactivate() {
    QApplication::setActiveWindow(form_.get());
    QVERIFY(QTest::qWaitForWindowActive(form_.get(), kHangMs));
  }

  // The page's first word, written straight into its boxes.
  void SetWord(const ostrolen::PageLayout& page, const QString& word) {
    int k = 0;
    for (const std::string& name : page.words[0].positions) Box(FromStd(name))->setText(word.mid(k++, 1));
  }

  static QAccessibleInterface* Accessible(QObject* object) { return QAccessible::queryAccessibleInterface(object); }

  static QImage Picture(QWidget* widget) { return widget->grab().toImage(); }

  // With the keys alone: Tab to each tab set's bar on the way, the arrows
  // to the tab, then Tab into the page.
  void GoTo(const TabPlace& place) {
    QTabWidget* set = form_->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    QVERIFY(set != nullptr);
    for (const ostrolen::TabNode* node : place.path) {
      QTabBar* bar = set->tabBar();
      QVERIFY2(TabUntil([bar] { return Focused() == bar; }), qPrintable(FromStd(node->caption)));
      int index = -1;
      for (int i = 0; i < set->count(); ++i) {
        if (set->widget(i)->objectName() == FromStd(node->sheet)) index = i;
      }
      QVERIFY(index >= 0);
      const Qt::Key way = set->currentIndex() < index ? Qt::Key_Right : Qt::Key_Left;
      for (int step = 0; step < set->count() && set->currentIndex() != index; ++step) Key(way);
      QCOMPARE(set->currentIndex(), index);
      QCOMPARE(Accessible(set->currentWidget())->text(QAccessible::Name), FromStd(node->caption));
      if (node->page == nullptr) set = set->currentWidget()->findChild<QTabWidget*>();
    }
    QWidget* sheet = set->currentWidget();
    QVERIFY2(TabUntil([sheet] { return Focused() != nullptr && sheet->isAncestorOf(Focused()); }),
             qPrintable(sheet->objectName()));
  }

 private slots:
  void initTestCase() { ostrolen::SetUpLook(); }

  void init() {
    form_ = std::make_unique<TForm1>();
    form_->show();
    QApplication::setActiveWindow(form_.get());
    QVERIFY(QTest::qWaitForWindowActive(form_.get(), kHangMs));
  }
  void cleanup() { form_.reset(); }

  // Every tab set: its tabs as page tabs named by their captions, the current
  // one alone selected, and each sheet named after its tab.
  void TabsAreSelectedAndSheetsNamed() {
    const QList<QTabWidget*> sets = form_->findChildren<QTabWidget*>();
    QCOMPARE(sets.size(), 4);
    for (QTabWidget* set : sets) {
      QTabBar* bar = set->tabBar();
      for (int chosen = 0; chosen < set->count(); ++chosen) {
        set->setCurrentIndex(chosen);
        QAccessibleInterface* tabs = Accessible(bar);
        QVERIFY(tabs != nullptr);
        QCOMPARE(tabs->role(), QAccessible::PageTabList);
        // The tabs, then the bar's scroll buttons.
        QVERIFY(tabs->childCount() >= set->count());
        for (int i = 0; i < set->count(); ++i) {
          QAccessibleInterface* tab = tabs->child(i);
          QCOMPARE(tab->role(), QAccessible::PageTab);
          QCOMPARE(tab->text(QAccessible::Name), set->tabText(i));
          QVERIFY(tab->state().selectable);
          QCOMPARE(bool(tab->state().selected), i == chosen);
          QAccessibleInterface* sheet = Accessible(set->widget(i));
          QCOMPARE(sheet->text(QAccessible::Name), set->tabText(i));
        }
      }
    }
  }

  // A line's bits reach a screen reader as its description, and the focus
  // moving to a line is the line's.
  void ALineIsDescribedByItsBits() {
    const ostrolen::PageLayout& page = ostrolen::SkoPage();
    ShowPage(page);
    SetWord(page, QStringLiteral("271A6"));
    form_->ButtonClicked(QString::fromStdString(page.buttons.front().name));
    QListWidget* list = List(FromStd(page.lists.front().name));
    QVERIFY(list->count() > 5);
    QAccessibleInterface* lines = Accessible(list);
    QCOMPARE(lines->role(), QAccessible::List);
    QCOMPARE(lines->text(QAccessible::Name), QStringLiteral("Результат: СКО"));
    int described = 0;
    for (int row = 0; row < list->count(); ++row) {
      QAccessibleInterface* line = lines->child(row);
      QVERIFY(line != nullptr);
      QCOMPARE(line->role(), QAccessible::ListItem);
      QCOMPARE(line->text(QAccessible::Name), list->item(row)->text());
      QCOMPARE(line->text(QAccessible::Description), list->item(row)->toolTip());
      if (!line->text(QAccessible::Description).isEmpty()) ++described;
    }
    QVERIFY(described > 5);

    // Focus on a line, selected: the line is the focused, selected child, and
    // the boxes it lights say so besides their colour.
    list->setFocus();
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Down);
    QListWidgetItem* item = list->currentItem();
    QCOMPARE(list->currentRow(), 1);
    QAccessibleInterface* line = lines->child(1);
    QVERIFY(line->state().focused);
    QVERIFY(line->state().selected);
    QVERIFY(!lines->child(0)->state().selected);
    const QString lit = FromStd(ostrolen::LitBoxDescription(item->text().toStdString()));
    int lit_boxes = 0;
    for (const std::string& name : page.words[0].positions) {
      QLineEdit* box = Box(FromStd(name));
      const bool is_lit = box->palette().color(QPalette::Base) == ostrolen::ExplainColour();
      QCOMPARE(Accessible(box)->text(QAccessible::Description), is_lit ? lit : QString());
      if (is_lit) ++lit_boxes;
    }
    QVERIFY(lit_boxes > 0);
    // The next press puts the boxes out, description and all.
    form_->ButtonClicked(QString::fromStdString(page.buttons.front().name));
    for (const std::string& name : page.words[0].positions) {
      QCOMPARE(Accessible(Box(FromStd(name)))->text(QAccessible::Description), QString());
    }
  }

  // The lit boxes and the selected line stand out by a frame, not by their
  // fill alone, which is as bright as the boxes' own.
  void LitBoxesAndTheLineAreFramed() {
    const ostrolen::PageLayout& page = ostrolen::SkoPage();
    ShowPage(page);
    SetWord(page, QStringLiteral("271A6"));
    form_->ButtonClicked(QString::fromStdString(page.buttons.front().name));
    QListWidget* list = List(FromStd(page.lists.front().name));
    const QColor frame = Colour(ostrolen::shell::kExplainFrame);
    QWidget* sheet = Box(FromStd(page.words[0].positions[0]))->parentWidget();
    const QImage before = Picture(sheet);
    list->setCurrentRow(0);
    const QImage after = Picture(sheet);
    const qreal scale = after.devicePixelRatio();
    int framed = 0;
    for (const std::string& name : page.words[0].positions) {
      QLineEdit* box = Box(FromStd(name));
      const bool is_lit = box->palette().color(QPalette::Base) == ostrolen::ExplainColour();
      const QRect r = box->geometry();
      // The left edge's middle, and the top edge's middle.
      for (const QPoint p : {QPoint(r.left(), r.center().y()), QPoint(r.center().x(), r.top())}) {
        const QPoint at(static_cast<int>(p.x() * scale), static_cast<int>(p.y() * scale));
        QCOMPARE(after.pixelColor(at) == frame, is_lit);
        QVERIFY(before.pixelColor(at) != frame);
      }
      if (is_lit) ++framed;
    }
    QVERIFY(framed > 0);
    const QRect line = list->visualItemRect(list->item(0));
    const QPoint edge = list->viewport()->mapTo(sheet, QPoint(line.left(), line.center().y()));
    QCOMPARE(after.pixelColor(QPoint(static_cast<int>(edge.x() * scale), static_cast<int>(edge.y() * scale))), frame);
  }

  // A focused page button is framed in the focus colour, and the selection
  // everywhere is white on the highlight.
  void FocusAndSelectionStandOut() {
    QCOMPARE(QApplication::palette().color(QPalette::Active, QPalette::Highlight), Colour(ostrolen::shell::kHighlight));
    QCOMPARE(QApplication::palette().color(QPalette::Active, QPalette::HighlightedText),
             Colour(ostrolen::shell::kHighlightedText));
    auto* button = form_->findChild<QToolButton*>(QStringLiteral("SpeedButton17"));
    QVERIFY(button != nullptr && button->isVisible());
    const QColor focus = Colour(ostrolen::shell::kFocusFrame);
    QVERIFY(Picture(button).pixelColor(1, button->height() / 2) != focus);
    button->setFocus(Qt::TabFocusReason);
    QVERIFY(button->hasFocus());
    const QImage framed = Picture(button);
    const qreal scale = framed.devicePixelRatio();
    for (const QPoint p : {QPoint(0, button->height() / 2), QPoint(button->width() / 2, 0),
                           QPoint(button->width() - 1, button->height() / 2)}) {
      QCOMPARE(framed.pixelColor(QPoint(static_cast<int>(p.x() * scale), static_cast<int>(p.y() * scale))), focus);
    }
  }

  // The toolbar's commands by their keys: the about box, then "Выход".
  void TheToolbarsCommandsHaveKeys() {
    int shown = 0;
    QTimer::singleShot(0, this, [&shown] {
      auto* about = qobject_cast<TForm2*>(QApplication::activeModalWidget());
      if (about == nullptr) return;
      ++shown;
      QTest::keyClick(about, Qt::Key_Escape);
    });
    QTest::keyClick(form_.get(), Qt::Key_F1);
    QCOMPARE(shown, 1);
    QVERIFY(form_->isVisible());
    Reactivate();
    QTest::keyClick(form_.get(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!form_->isVisible());
  }

  // Shift+F10 on a line opens its menu, as the Menu key does.
  void ShiftF10OpensALinesMenu() {
    const ostrolen::PageLayout& page = ostrolen::SkoPage();
    ShowPage(page);
    SetWord(page, QStringLiteral("271A6"));
    form_->ButtonClicked(QString::fromStdString(page.buttons.front().name));
    QListWidget* list = List(FromStd(page.lists.front().name));
    list->setFocus();
    list->setCurrentRow(2);
    QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu != nullptr);
    QVERIFY(menu->isVisible());
    QVERIFY(menu->actions().size() >= 2);
    // It opens at the line, not at the list's corner.
    const QRect line = list->visualItemRect(list->currentItem());
    QVERIFY(qAbs(menu->pos().y() - list->viewport()->mapToGlobal(line.bottomLeft()).y()) <= 2);
    QTest::keyClick(menu, Qt::Key_Escape);
    QVERIFY(QApplication::activePopupWidget() == nullptr);
  }

  // Every page by the keys; then on "СКО" a word, its decoding, a line's
  // menu, a change, its undoing, and the about box.
  void AKeyboardWalkThroughTheWindow() {
    std::vector<TabPlace> places;
    LeafPaths(ostrolen::PageTree(), {}, places);
    QVERIFY(places.size() >= 12);
    const TabPlace* sko = nullptr;
    for (const TabPlace& place : places) {
      GoTo(place);
      if (QTest::currentTestFailed()) return;
      if (place.path.back()->page == &ostrolen::SkoPage()) sko = &place;
    }
    QVERIFY(sko != nullptr);
    GoTo(*sko);
    if (QTest::currentTestFailed()) return;

    // "СКО": the first box, a word, Enter decodes it.
    const ostrolen::PageLayout& page = ostrolen::SkoPage();
    QStringList boxes;
    for (const std::string& name : page.words[0].positions) boxes << FromStd(name);
    QVERIFY(TabUntil([&] { return FocusedName() == boxes.front(); }));
    Type(QStringLiteral("271A6"));
    Key(Qt::Key_Return);
    QListWidget* list = List(FromStd(page.lists.front().name));
    QVERIFY(list->count() > 5);
    // Tab: the button, then the list.
    QVERIFY(TabUntil([&] { return FocusedName() == FromStd(page.buttons.front().name); }, boxes.size() + 1));
    Key(Qt::Key_Tab);
    QCOMPARE(Focused(), list);
    // Down to the line of the ringing, a switch of two values.
    for (int i = 0; i < list->count() && !(list->currentItem() != nullptr &&
                                           list->currentItem()->text().startsWith(QStringLiteral("Посылка вызова")));
         ++i) {
      Key(Qt::Key_Down);
    }
    QVERIFY(list->currentItem()->text().startsWith(QStringLiteral("Посылка вызова")));
    QCOMPARE(Accessible(list)->child(list->currentRow())->state().focused, 1U);
    // Its menu, closed again.
    Key(Qt::Key_F10, Qt::ShiftModifier);
    QVERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr);
    Key(Qt::Key_Escape);
    QVERIFY(QApplication::activePopupWidget() == nullptr);
    QCOMPARE(Focused(), list);
    // Enter switches it, Ctrl+Z takes it back.
    const auto texts = [&] {
      QStringList t;
      for (const QString& name : boxes) t << Box(name)->text();
      return t;
    };
    QCOMPARE(texts(), QStringList({"2", "7", "1", "A", "6"}));
    Key(Qt::Key_Return);
    QCOMPARE(texts(), QStringList({"2", "6", "1", "A", "6"}));
    Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(texts(), QStringList({"2", "7", "1", "A", "6"}));
    // The about box, and back where the operator was.
    int shown = 0;
    QTimer::singleShot(0, this, [&shown] {
      auto* about = qobject_cast<TForm2*>(QApplication::activeModalWidget());
      if (about == nullptr) return;
      ++shown;
      QCOMPARE(Accessible(about)->text(QAccessible::Name), FromStd(ostrolen::shell::kAboutCaption));
      QTest::keyClick(about, Qt::Key_Escape);
    });
    Key(Qt::Key_F1);
    QCOMPARE(shown, 1);
    Reactivate();
    QCOMPARE(Focused(), list);
  }
};

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
