// The window on the desk, offscreen: the "Вид" menu's items with their keys
// asking the controller, their checks drawn from what it holds, the window
// kept above the others and back, and the compact view (Ctrl+M) showing the
// page in front alone in a window of its size, and the full window again.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <memory>

#include "app/desk_view.h"
#include "app/front.h"
#include "app/page_builder.h"
#include "app/veltra.h"
#include "core/shell.h"
#include "tests/app/hang.h"
#include "ui/desk.h"

namespace {

QString FromStd(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

class DeskViewTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TForm1> form_;

  ostrolen::DeskView* View() { return form_->desk(); }
  ostrolen::ui::Controller& Controller() { return form_->front()->controller(); }
  const ostrolen::ui::Desk& Desk() { return Controller().DeskNow(); }
  QToolBar* Toolbar() { return form_->findChild<QToolBar*>(QStringLiteral("ToolBar1")); }
  QList<QTabWidget*> Tabs() { return form_->centralWidget()->findChildren<QTabWidget*>() << CentralTabs(); }
  QTabWidget* CentralTabs() { return qobject_cast<QTabWidget*>(form_->centralWidget()); }

 private slots:
  void initTestCase() { ostrolen::SetUpLook(); }

  void init() {
    form_ = std::make_unique<TForm1>();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get(), kHangMs));
  }
  void cleanup() { form_.reset(); }

  void theMenuListsItsItemsWithTheirKeys() {
    using namespace ostrolen::ui::desk_text;
    QToolButton* button = View()->menuButton();
    QVERIFY(Toolbar()->isAncestorOf(button));
    QCOMPARE(button->text(), FromStd(kMenu));
    QCOMPARE(button->menu(), View()->menu());
    QStringList texts;
    QStringList keys;
    for (QAction* action : View()->menu()->actions()) {
      if (action->isSeparator()) continue;
      texts << action->text();
      keys << action->shortcut().toString();
    }
    QCOMPARE(texts, (QStringList{FromStd(kZoomIn), FromStd(kZoomOut), FromStd(kZoomReset), FromStd(kDark),
                                 FromStd(kFollowDesktop), FromStd(kOnTop), FromStd(kCompact)}));
    QCOMPARE(keys, (QStringList{FromStd(kZoomInKey), FromStd(kZoomOutKey), FromStd(kZoomResetKey), QString(), QString(),
                                QString(), FromStd(kCompactKey)}));
    for (QAction* action :
         {View()->darkAction(), View()->followDesktopAction(), View()->onTopAction(), View()->compactAction()}) {
      QVERIFY2(action->isCheckable(), qPrintable(action->text()));
    }
    // As the controller starts: the desktop's look followed, nothing else on.
    QVERIFY(View()->followDesktopAction()->isChecked());
    QVERIFY(!View()->darkAction()->isChecked());
    QVERIFY(!View()->onTopAction()->isChecked());
    QVERIFY(!View()->compactAction()->isChecked());
  }

  void theZoomItemsStepTheControllersZoom() {
    // The offscreen screen holds the window at 100 % only: a larger one here.
    form_->front()->controller().LargestZoom(200);
    QCOMPARE(Desk().zoom, 100);
    View()->zoomInAction()->trigger();
    QCOMPARE(Desk().zoom, ostrolen::ui::kZoomSteps[1]);
    View()->zoomInAction()->trigger();
    QCOMPARE(Desk().zoom, ostrolen::ui::kZoomSteps[2]);
    View()->zoomOutAction()->trigger();
    QCOMPARE(Desk().zoom, ostrolen::ui::kZoomSteps[1]);
    View()->zoomResetAction()->trigger();
    QCOMPARE(Desk().zoom, 100);
    // The keys of the window reach the same items.
    QTest::keyClick(form_.get(), Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(Desk().zoom, ostrolen::ui::kZoomSteps[1]);
    QTest::keyClick(form_.get(), Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(Desk().zoom, 100);
  }

  void theLookItemsAskTheControllerAndShowWhatItHolds() {
    QAction* dark = View()->darkAction();
    QAction* follow = View()->followDesktopAction();
    dark->trigger();
    QCOMPARE(Desk().chosen, ostrolen::ui::Look::Dark);
    QVERIFY(!Desk().follow_desktop);
    QVERIFY(dark->isChecked());
    QVERIFY(!follow->isChecked());
    // Changed by the controller itself, the checks follow.
    Controller().DesktopLook(ostrolen::ui::Look::Light);
    Controller().FollowDesktop(true);
    form_->front()->Apply();
    QVERIFY(follow->isChecked());
    QVERIFY(!dark->isChecked());
    Controller().DesktopLook(ostrolen::ui::Look::Dark);
    form_->front()->Apply();
    QVERIFY(dark->isChecked());
    // Unchecked from the menu: the light look chosen, no longer the desktop's.
    follow->trigger();
    QVERIFY(!Desk().follow_desktop);
    QVERIFY(!follow->isChecked());
    QVERIFY(dark->isChecked());
    dark->trigger();
    QCOMPARE(Desk().Shown(), ostrolen::ui::Look::Light);
    QVERIFY(!dark->isChecked());
    follow->trigger();
    QVERIFY(Desk().follow_desktop);
    QVERIFY(follow->isChecked());
    QVERIFY(dark->isChecked());
  }

  void onTopSetsAndClearsTheWindowsFlag() {
    const QPoint place = form_->pos();
    QVERIFY(!form_->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    View()->onTopAction()->trigger();
    QVERIFY(Desk().on_top);
    QVERIFY(View()->onTopAction()->isChecked());
    QVERIFY(form_->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(form_->isVisible());
    QCOMPARE(form_->pos(), place);
    // The window's other flags stay.
    QVERIFY(form_->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    Controller().SetOnTop(false);
    form_->front()->Apply();
    QVERIFY(!form_->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!View()->onTopAction()->isChecked());
    QVERIFY(form_->isVisible());
    QCOMPARE(form_->pos(), place);
  }

  void compactShowsThePageInFrontAloneAndCtrlMBringsTheWindowBack() {
    const QSize full(ostrolen::shell::kWindowWidth, ostrolen::shell::kWindowHeight);
    QCOMPARE(form_->size(), full);
    QWidget* page = View()->PageInFront();
    QVERIFY(page != nullptr);
    QVERIFY(page->findChild<QTabWidget*>() == nullptr);
    const QSize pageSize = page->size();
    QVERIFY(pageSize.width() < full.width() && pageSize.height() < full.height());
    QVERIFY(Toolbar()->isVisible());

    View()->compactAction()->trigger();
    QVERIFY(Desk().compact);
    QVERIFY(View()->compactAction()->isChecked());
    QVERIFY(!Toolbar()->isVisible());
    for (QTabWidget* tabs : Tabs()) QVERIFY2(tabs->tabBar()->isHidden(), qPrintable(tabs->objectName()));
    QCOMPARE(form_->size(), pageSize);
    QCOMPARE(form_->minimumSize(), pageSize);
    QCOMPARE(form_->maximumSize(), pageSize);
    // The page fills the window, none of its widgets cut off.
    QTRY_COMPARE_WITH_TIMEOUT(page->size(), pageSize, kHangMs);
    QVERIFY(page->isVisible());

    // Ctrl+M where the focus is, with the toolbar hidden.
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr ? focus : form_.get(), Qt::Key_M, Qt::ControlModifier);
    QVERIFY(!Desk().compact);
    QVERIFY(!View()->compactAction()->isChecked());
    QVERIFY(Toolbar()->isVisible());
    for (QTabWidget* tabs : Tabs()) QVERIFY2(!tabs->tabBar()->isHidden(), qPrintable(tabs->objectName()));
    QVERIFY(CentralTabs()->tabBar()->isVisible());
    QCOMPARE(form_->size(), full);
    QCOMPARE(form_->maximumSize(), full);
    QTRY_COMPARE_WITH_TIMEOUT(page->size(), pageSize, kHangMs);

    // And on again from the key, from a box of the page.
    auto* box = page->findChild<QLineEdit*>();
    QVERIFY(box != nullptr);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_M, Qt::ControlModifier);
    QVERIFY(Desk().compact);
    QCOMPARE(form_->size(), pageSize);
    QVERIFY(!Toolbar()->isVisible());

    // Ctrl+F: the full window again, the focus in the toolbar's search box.
    QTest::keyClick(box, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(!Desk().compact);
    QVERIFY(Toolbar()->isVisible());
    QCOMPARE(form_->size(), full);
    QTRY_VERIFY_WITH_TIMEOUT(QApplication::focusWidget() != nullptr &&
                                 QApplication::focusWidget()->objectName() == QStringLiteral("SearchBox"),
                             kHangMs);
  }

  void theToolbarsKeysWorkInTheCompactView() {
    View()->compactAction()->trigger();
    QVERIFY(!Toolbar()->isVisible());
    QTest::keyClick(form_.get(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!form_->isVisible());
  }
};

QTEST_MAIN(DeskViewTest)
#include "desk_view_test.moc"
