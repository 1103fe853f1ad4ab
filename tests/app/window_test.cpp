// The window as the operator meets it, offscreen.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/about.h"
#include "app/page_builder.h"
#include "app/veltra.h"
#include "app/widget_window.h"
#include "pages/pages.h"
#include "tests/app/hang.h"

using ostrolen::WidgetWindow;

class WindowTest : public QObject {
  Q_OBJECT

 private:
  struct Shown {
    WidgetWindow::MessageKind kind;
    QString text;
  };

  QStringList TabTexts(QTabWidget* tabs) {
    QStringList texts;
    for (int i = 0; i < tabs->count(); ++i) texts << tabs->tabText(i);
    return texts;
  }

  // A modal message box that is open now, answered with OK after its texts are noted.
  void AnswerNextMessageBox(QString* caption, QString* text, QMessageBox::Icon* icon) {
    QTimer::singleShot(0, [=] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box != nullptr);
      *caption = box->windowTitle();
      *text = box->text();
      *icon = box->icon();
      box->button(QMessageBox::Ok)->click();
    });
  }

 private slots:
  void initTestCase() { ostrolen::SetUpLook(); }

  void TheMainWindowIsFixed() {
    TForm1 form;
    form.show();
    QCOMPARE(form.windowTitle(), QStringLiteral("Ostrolen"));
    QCOMPARE(form.size(), QSize(799, 538));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(form.about() != nullptr);
    QVERIFY(!form.about()->isVisible());
    QCOMPARE(form.about()->size(), QSize(333, 158));
    QCOMPARE(form.about()->windowTitle(), QStringLiteral("О программе"));
    QCOMPARE(form.about()->findChild<QLabel*>()->text(), QStringLiteral("Ostrolen v.1.0.3"));
  }

  void ThePageTreeAndItsInitialTabs() {
    TForm1 form;
    auto* top = form.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    auto* ah = form.findChild<QTabWidget*>(QStringLiteral("PageControl2"));
    auto* faults = form.findChild<QTabWidget*>(QStringLiteral("PageControl3"));
    auto* third = form.findChild<QTabWidget*>(QStringLiteral("PageControl4"));
    QVERIFY(top && ah && faults && third);
    QCOMPARE(TabTexts(top), QStringList({"Преобразователь", "АХ", "Неисправности"}));
    QCOMPARE(TabTexts(ah), QStringList({"Первая ступень", "Вторая ступень", "Третья ступень", "СКО", "РКО"}));
    QCOMPARE(TabTexts(third), QStringList({"Начальный 4-х словный блок"}));
    QCOMPARE(TabTexts(faults), QStringList({"УВП", "БГ", "ВВК", "ПУУ", "УСК", "Сегменты"}));
    QCOMPARE(top->tabText(top->currentIndex()), QStringLiteral("Неисправности"));
    QCOMPARE(faults->tabText(faults->currentIndex()), QStringLiteral("Сегменты"));
    QCOMPARE(ah->tabText(ah->currentIndex()), QStringLiteral("СКО"));
    QCOMPARE(third->currentIndex(), 0);
    for (const char* sheet : {"TabSheet9", "TabSheet10", "TabSheet11", "TabSheet12"}) {
      QVERIFY2(form.findChild<QWidget*>(QString::fromLatin1(sheet)) != nullptr, sheet);
    }
  }

  void EveryDeclaredControlIsThereByName() {
    TForm1 form;
    int boxes = 0;
    for (const ostrolen::PageLayout* page : ostrolen::AllPages()) {
      auto* sheet = form.findChild<QWidget*>(QString::fromStdString(page->sheet));
      QVERIFY2(sheet != nullptr, page->sheet.c_str());
      for (const ostrolen::BoxSpec& spec : page->boxes) {
        auto* box = sheet->findChild<QLineEdit*>(QString::fromStdString(spec.name));
        QVERIFY2(box != nullptr, spec.name.c_str());
        QCOMPARE(box->maxLength(), spec.max_length);
        QCOMPARE(box->isReadOnly(), spec.read_only());
        QCOMPARE(box->text(), QString::fromStdString(spec.text));
        ++boxes;
      }
      for (const ostrolen::ListSpec& spec : page->lists) {
        auto* list = sheet->findChild<QListWidget*>(QString::fromStdString(spec.name));
        QVERIFY2(list != nullptr && list->count() == 0, spec.name.c_str());
      }
      for (const ostrolen::ButtonSpec& spec : page->buttons) {
        auto* button = sheet->findChild<QToolButton*>(QString::fromStdString(spec.name));
        QVERIFY2(button != nullptr, spec.name.c_str());
        QCOMPARE(button->text(), QString::fromStdString(spec.caption));
      }
    }
    QVERIFY(boxes >= 28);
    QVERIFY(form.findChild<QLineEdit*>(QStringLiteral("Edit341")) == nullptr);
  }

  void TheUvpMasksAreFixed() {
    TForm1 form;
    const QStringList masks = {"Edit100", "Edit101", "Edit102", "Edit103", "Edit105", "Edit106", "Edit107", "Edit108"};
    const QStringList texts = {"0", "0", "3", "5", "0", "0", "3", "F"};
    for (int i = 0; i < masks.size(); ++i) {
      auto* box = form.findChild<QLineEdit*>(masks[i]);
      QVERIFY2(box != nullptr, qPrintable(masks[i]));
      QVERIFY(box->isReadOnly());
      QCOMPARE(box->text(), texts[i]);
      box->setFocus();
      QTest::keyClicks(box, "7");
      QCOMPARE(box->text(), texts[i]);
    }
  }

  void TypingAndClickingConvertsACodeWord() {
    TForm1 form;
    form.show();
    form.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(0);
    const QStringList word = {"7", "7", "3", "f", "F"};
    for (int i = 0; i < word.size(); ++i) {
      auto* box = form.findChild<QLineEdit*>(QStringLiteral("Edit%1").arg(i + 1));
      QTest::keyClicks(box, word[i] + "9");  // one character only: the 9 is refused
      QCOMPARE(box->text(), word[i]);
    }
    QTest::mouseClick(form.findChild<QToolButton*>(QStringLiteral("SpeedButton1")), Qt::LeftButton);
    for (int n = 6; n <= 21; ++n) QCOMPARE(form.findChild<QLineEdit*>(QStringLiteral("Edit%1").arg(n))->text(), "1");
  }

  void ABadDigitShowsTheStopBoxAndLeavesThePageAsWritten() {
    TForm1 form;
    form.show();
    std::vector<Shown> shown;
    form.window().SetMessageHook([&](WidgetWindow::MessageKind kind, const QString& text) {
      shown.push_back({kind, text});
    });
    const auto box = [&](int n) { return form.findChild<QLineEdit*>(QStringLiteral("Edit%1").arg(n)); };
    box(1)->setText("9");
    box(4)->setText("G");
    QTest::mouseClick(form.findChild<QToolButton*>(QStringLiteral("SpeedButton1")), Qt::LeftButton);
    QCOMPARE(shown.size(), std::size_t{2});
    QCOMPARE(shown[0].kind, WidgetWindow::MessageKind::Report);
    QCOMPARE(shown[0].text, QStringLiteral("Первый знак должен быть не более 7!"));
    QCOMPARE(shown[1].kind, WidgetWindow::MessageKind::Error);
    QCOMPARE(shown[1].text, QStringLiteral("'$G' is not a valid integer value."));
    QCOMPARE(box(2)->text(), "0");
    QCOMPARE(box(5)->text(), "0");
    for (int n = 6; n <= 13; ++n) QCOMPARE(box(n)->text(), n == 8 ? "1" : "0");
    for (int n = 14; n <= 21; ++n) QCOMPARE(box(n)->text(), "");
    // The next press works as usual.
    box(4)->setText("0");
    QTest::mouseClick(form.findChild<QToolButton*>(QStringLiteral("SpeedButton1")), Qt::LeftButton);
    QCOMPARE(shown.size(), std::size_t{3});
    QCOMPARE(box(21)->text(), "0");
  }

  void TheRealMessageBoxes() {
    TForm1 form;
    form.show();
    QString caption, text;
    QMessageBox::Icon icon{};
    AnswerNextMessageBox(&caption, &text, &icon);
    form.findChild<QLineEdit*>(QStringLiteral("Edit29"))->setText("G");
    form.SpeedButton8Click();
    QCOMPARE(text, QStringLiteral("'$G' is not a valid integer value."));
    QCOMPARE(icon, QMessageBox::Critical);
    QCOMPARE(caption, ostrolen::ApplicationTitle(QCoreApplication::applicationFilePath()));

    AnswerNextMessageBox(&caption, &text, &icon);
    form.findChild<QLineEdit*>(QStringLiteral("Edit27"))->setText("2");
    form.findChild<QLineEdit*>(QStringLiteral("Edit28"))->setText("0");
    form.SpeedButton4Click();
    QCOMPARE(caption, QStringLiteral("Ошибка!!!"));
    QCOMPARE(text, QStringLiteral("Десятичное число не должнл быть более 15!"));
    QCOMPARE(icon, QMessageBox::NoIcon);
    QCOMPARE(form.findChild<QLineEdit*>(QStringLiteral("Edit29"))->text(), QString());
  }

  void ApplicationTitleFromTheProgramName() {
    QCOMPARE(ostrolen::ApplicationTitle("/usr/bin/ostrolen"), QStringLiteral("ostrolen"));
    QCOMPARE(ostrolen::ApplicationTitle("/opt/VELTRA.EXE"), QStringLiteral("Veltra"));
    QCOMPARE(ostrolen::ApplicationTitle("Ostrolen.v1.exe"), QStringLiteral("Ostrolen"));
    QCOMPARE(ostrolen::ApplicationTitle("/x/ОСТРОЛЕН"), QStringLiteral("Остролен"));
  }

  void AboutTwiceLeavesThePagesAlone() {
    TForm1 form;
    form.show();
    auto* box = form.findChild<QLineEdit*>(QStringLiteral("Edit27"));
    QVERIFY(box != nullptr);
    box->setText("5");
    for (int i = 0; i < 2; ++i) {
      bool was_modal = false;
      QTimer::singleShot(0, [&] {
        was_modal = QApplication::activeModalWidget() == form.about();
        form.about()->close();
      });
      form.findChild<QAction*>(QStringLiteral("Action2"))->trigger();
      QVERIFY(was_modal);
    }
    QCOMPARE(box->text(), QStringLiteral("5"));
  }

  void PagesMadeWhenNeededWorkTheSame() {
    TForm1 form(nullptr, TForm1::PageBuilding::WhenNeeded);
    QVERIFY(form.findChild<QLineEdit*>(QStringLiteral("Edit329")) == nullptr);
    // A press on a page not made yet makes it first.
    form.window().SetMessageHook([](WidgetWindow::MessageKind, const QString&) {});
    ostrolen::Press(form.window(), "SpeedButton1");
    QCOMPARE(form.findChild<QLineEdit*>(QStringLiteral("Edit21"))->text(), QStringLiteral("0"));
    // Showing the window makes the page on the chosen tabs at once.
    form.show();
    auto* segment = form.findChild<QLineEdit*>(QStringLiteral("Edit329"));
    QVERIFY(segment != nullptr);
    QVERIFY(segment->isVisible());
    // Choosing a tab makes its page, with the fixed texts.
    auto* faults = form.findChild<QTabWidget*>(QStringLiteral("PageControl3"));
    faults->setCurrentIndex(0);
    auto* mask = form.findChild<QLineEdit*>(QStringLiteral("Edit103"));
    QVERIFY(mask != nullptr);
    QVERIFY(mask->isVisible());
    QCOMPARE(mask->text(), QStringLiteral("5"));
    // The rest are made while the window waits.
    QTRY_VERIFY_WITH_TIMEOUT(form.findChild<QLineEdit*>(QStringLiteral("Edit288")) != nullptr, kHangMs);
    QTRY_VERIFY_WITH_TIMEOUT(form.findChild<QListWidget*>(QStringLiteral("ListBox11")) != nullptr, kHangMs);
    int boxes = 0;
    for (const ostrolen::PageLayout* page : ostrolen::AllPages()) boxes += static_cast<int>(page->boxes.size());
    QTRY_COMPARE_WITH_TIMEOUT(
        static_cast<int>(form.findChildren<QLineEdit*>(QRegularExpression("^Edit[0-9]+$")).size()), boxes, kHangMs);
  }

  void ExitClosesAtOnce() {
    TForm1 form;
    form.show();
    form.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText("7");
    form.findChild<QAction*>(QStringLiteral("Action1"))->trigger();
    QVERIFY(!form.isVisible());
  }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
