// The window's looks, offscreen: light as it always was, dark when the
// operator chooses it or the desktop prefers it, and back; every box and list
// made before or after takes the look on, and a lit box keeps its light.
#include <QApplication>
#include <QDBusVariant>
#include <QHash>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <memory>

#include "app/desktop_look.h"
#include "app/front.h"
#include "app/page_builder.h"
#include "app/veltra.h"
#include "core/shell.h"
#include "pages/pages.h"
#include "tests/app/hang.h"

namespace {

QColor Colour(ostrolen::shell::Colour c) { return {c.red, c.green, c.blue}; }

}  // namespace

class LookTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TForm1> form_;

  ostrolen::ui::Controller& Controller() { return form_->front()->controller(); }
  QLineEdit* Box(std::string_view name) {
    return form_->findChild<QLineEdit*>(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
  }
  // The look's colours are on the application, the boxes and the lists.
  void Shows(const ostrolen::shell::LookColours& c) {
    // The application's palette reaches the widgets by posted events.
    QCoreApplication::sendPostedEvents();
    QCOMPARE(QApplication::palette().color(QPalette::Window), Colour(c.face));
    QCOMPARE(QApplication::palette().color(QPalette::Active, QPalette::WindowText), Colour(c.text));
    QCOMPARE(QApplication::palette().color(QPalette::Active, QPalette::Highlight), Colour(c.highlight));
    int boxes = 0;
    for (QWidget* widget : form_->findChildren<QWidget*>()) {
      if (!widget->property("ostrolenBoxBase").toBool()) continue;
      QCOMPARE(widget->palette().color(QPalette::Base), Colour(c.box));
      ++boxes;
    }
    QVERIFY(boxes > 10);
    // What the window shows: its face and its boxes and lists, nothing of the other look's.
    const QImage shot = form_->grab().toImage();
    QHash<QRgb, int> counts;
    int total = 0;
    for (int y = 0; y < shot.height(); y += 3) {
      for (int x = 0; x < shot.width(); x += 3) {
        ++counts[shot.pixel(x, y)];
        ++total;
      }
    }
    const ostrolen::shell::LookColours& other =
        &c == &ostrolen::shell::kDarkColours ? ostrolen::shell::kLightColours : ostrolen::shell::kDarkColours;
    QVERIFY(counts.value(Colour(c.face).rgb()) > total / 100);
    QVERIFY(counts.value(Colour(c.box).rgb()) > total / 20);
    QCOMPARE(counts.value(Colour(other.face).rgb()), 0);
    QCOMPARE(counts.value(Colour(other.box).rgb()), 0);
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
    ostrolen::SetUpLook();
  }

  void theLightLookIsTheWindowsOwn() { Shows(ostrolen::shell::kLightColours); }

  void darkWhenChosenAndBack() {
    Controller().ChooseLook(ostrolen::shell::Look::Dark);
    form_->front()->Apply();
    Shows(ostrolen::shell::kDarkColours);
    // A page made after the change is dark too.
    QVERIFY(!form_->front()->controller().Open({"uvp", {"0075", "003F"}}));
    form_->front()->Apply();
    Shows(ostrolen::shell::kDarkColours);
    Controller().ChooseLook(ostrolen::shell::Look::Light);
    form_->front()->Apply();
    Shows(ostrolen::shell::kLightColours);
  }

  void aLitBoxStaysLitAcrossTheChange() {
    QVERIFY(!Controller().Open({"sko", {"271A6"}}));
    form_->front()->Apply();
    const std::string list(ostrolen::SkoPage().list()->name);
    QVERIFY(Controller().ClickLine(1));
    form_->front()->Apply();
    QLineEdit* lit = nullptr;
    for (QLineEdit* box : form_->findChildren<QLineEdit*>()) {
      if (box->palette().color(QPalette::Base) == Colour(ostrolen::shell::kLightColours.explain)) lit = box;
    }
    QVERIFY2(lit != nullptr, "a line chosen lights its boxes");
    Controller().ChooseLook(ostrolen::shell::Look::Dark);
    form_->front()->Apply();
    QCOMPARE(lit->palette().color(QPalette::Base), Colour(ostrolen::shell::kDarkColours.explain));
    // Another line: the box goes back to the dark look's own, not the light one's.
    Controller().ChooseLook(ostrolen::shell::Look::Dark);
    QVERIFY(Controller().ClickLine(0));
    form_->front()->Apply();
    if (lit->palette().color(QPalette::Base) != Colour(ostrolen::shell::kDarkColours.explain)) {
      QCOMPARE(lit->palette().color(QPalette::Base), Colour(ostrolen::shell::kDarkColours.box));
    }
  }

  void theDesktopsLookIsFollowed() {
    using ostrolen::DesktopLook;
    QCOMPARE(DesktopLook::LookOf(QVariant(1U)), std::optional(ostrolen::shell::Look::Dark));
    QCOMPARE(DesktopLook::LookOf(QVariant(2U)), std::optional(ostrolen::shell::Look::Light));
    QCOMPARE(DesktopLook::LookOf(QVariant(0U)), std::optional<ostrolen::shell::Look>());
    QCOMPARE(DesktopLook::LookOf(QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusVariant(QVariant(1U)))))),
             std::optional(ostrolen::shell::Look::Dark));
    QCOMPARE(DesktopLook::LookOf(QVariant(QStringLiteral("dark"))), std::optional<ostrolen::shell::Look>());
    Controller().DesktopLook(ostrolen::shell::Look::Dark);
    form_->front()->Apply();
    Shows(ostrolen::shell::kDarkColours);
    Controller().DesktopLook(std::nullopt);
    form_->front()->Apply();
    Shows(ostrolen::shell::kLightColours);
  }
};

QTEST_MAIN(LookTest)
#include "look_test.moc"
