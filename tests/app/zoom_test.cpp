// The window's zoom, offscreen: at every step the window, its pages' boxes,
// lists, labels and buttons and their fonts are the declared sizes zoomed,
// no text is clipped (a label's, a button's, a tab's), a lit box keeps its
// frame around it, and the screen's size bounds the steps.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "app/front.h"
#include "app/page_builder.h"
#include "app/veltra.h"
#include "core/shell.h"
#include "pages/pages.h"
#include "tests/app/hang.h"
#include "ui/desk.h"

class ZoomTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TForm1> form_;

  ostrolen::ui::Controller& Controller() { return form_->front()->controller(); }
  void ZoomTo(int step) {
    Controller().Zoom(0);
    while (Controller().DeskNow().zoom < step && Controller().Zoom(1)) {
    }
    form_->front()->Apply();
    QCOMPARE(Controller().DeskNow().zoom, step);
  }

  // Texts that do not fit where they stand, on every page built.
  QStringList Clipped() {
    QStringList clipped;
    for (QLabel* label : form_->findChildren<QLabel*>()) {
      if (label->text().isEmpty() || label->text().contains(QLatin1Char('\n')) || !label->isVisibleTo(form_.get())) {
        continue;
      }
      const QFontMetrics metrics(label->font());
      if (metrics.horizontalAdvance(label->text()) > label->width() || metrics.height() > label->height()) {
        clipped << QStringLiteral("label ") + label->text();
      }
    }
    for (QToolButton* button : form_->findChildren<QToolButton*>()) {
      if (button->text().isEmpty() || !button->isVisibleTo(form_.get())) continue;
      // The toolbar's own buttons are laid out by the toolbar.
      if (!button->property("ostrolenDeclaredRect").isValid()) {
        if (button->sizeHint().width() > button->width() + 1) clipped << QStringLiteral("tool ") + button->text();
        continue;
      }
      if (button->toolButtonStyle() == Qt::ToolButtonIconOnly) continue;
      const QFontMetrics metrics(button->font());
      const int needs = metrics.horizontalAdvance(button->text()) + button->iconSize().width() + 4;
      if (needs > button->width() || metrics.height() > button->height()) {
        clipped << QStringLiteral("button ") + button->objectName();
      }
    }
    for (QTabBar* bar : form_->findChildren<QTabBar*>()) {
      for (int i = 0; i < bar->count(); ++i) {
        if (bar->fontMetrics().horizontalAdvance(bar->tabText(i)) > bar->tabRect(i).width()) {
          clipped << QStringLiteral("tab ") + bar->tabText(i);
        }
      }
    }
    return clipped;
  }

 private slots:
  void initTestCase() { ostrolen::SetUpLook(); }
  void init() {
    form_ = std::make_unique<TForm1>();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get(), kHangMs));
  }
  void cleanup() {
    form_.reset();
    ostrolen::ZoomPages(100, nullptr);
  }

  void theScreenBoundsTheSteps() {
    // The offscreen screen (800 × 600) holds the window at its own size only.
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    QVERIFY2(screen.width() < ostrolen::shell::kWindowWidth * 110 / 100, "a larger offscreen screen than known");
    QVERIFY(!Controller().Zoom(1));
    QTest::keyClick(form_.get(), Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(Controller().DeskNow().zoom, 100);
    QCOMPARE(form_->size(), QSize(ostrolen::shell::kWindowWidth, ostrolen::shell::kWindowHeight));
  }

  void everyStepScalesTheWholeWindowAndClipsNoText() {
    Controller().LargestZoom(200);
    // Every page built, so that every page's widgets are checked.
    for (QTabWidget* tabs : form_->findChildren<QTabWidget*>()) {
      for (int i = 0; i < tabs->count(); ++i) tabs->setCurrentIndex(i);
    }
    QVERIFY(!Controller().Open({"sko", {"271A6"}}));
    form_->front()->Apply();
    QVERIFY(Controller().ClickLine(1));
    form_->front()->Apply();
    auto* box = form_->findChild<QLineEdit*>(QString::fromUtf8(ostrolen::SkoPage().boxes.front().name.data()));
    QVERIFY(box != nullptr);
    const ostrolen::BoxSpec& spec = ostrolen::SkoPage().boxes.front();
    for (const int step : ostrolen::ui::kZoomSteps) {
      ZoomTo(step);
      const auto zoomed = [step](int pixels) { return (pixels * step + 50) / 100; };
      QCOMPARE(form_->size(), QSize(zoomed(ostrolen::shell::kWindowWidth), zoomed(ostrolen::shell::kWindowHeight)));
      QCOMPARE(box->geometry().topLeft(), QPoint(zoomed(spec.x), zoomed(spec.y)));
      QVERIFY(std::abs(box->width() - zoomed(spec.width)) <= 1);
      QCOMPARE(box->font().pixelSize(), zoomed(ostrolen::shell::kBoxFontPixels));
      const QStringList clipped = Clipped();
      QVERIFY2(clipped.isEmpty(), qPrintable(QString::number(step) + QStringLiteral(" %: ") + clipped.join(", ")));
      // The lit box's frame is around the box where it now stands.
      QWidget* frame = form_->findChild<QWidget*>(box->objectName() + QStringLiteral("Lit"));
      if (frame != nullptr) QCOMPARE(frame->geometry(), box->geometry());
    }
    ZoomTo(100);
    QCOMPARE(form_->size(), QSize(ostrolen::shell::kWindowWidth, ostrolen::shell::kWindowHeight));
    QCOMPARE(box->geometry(), QRect(spec.x, spec.y, spec.width, spec.height));
  }
};

QTEST_MAIN(ZoomTest)
#include "zoom_test.moc"
