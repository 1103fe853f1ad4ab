// The window's message boxes show their texts as typed or read, markup and all.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "app/page_builder.h"
#include "app/veltra.h"
#include "app/widget_window.h"

using ostrolen::WidgetWindow;

class MessageBoxTest : public QObject {
  Q_OBJECT

 private:
  struct Seen {
    bool shown = false;
    Qt::TextFormat format = Qt::AutoText;
    QString text;
    QString label_text;
    Qt::TextFormat label_format = Qt::AutoText;
    int label_width = 0;
    int plain_width = 0;
    int rich_width = 0;
  };

  // Notes what the next modal message box shows, then answers it with OK.
  static void NoteNextMessageBox(Seen* seen) {
    QTimer::singleShot(0, [seen] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      seen->shown = true;
      seen->format = box->textFormat();
      seen->text = box->text();
      // The label that draws the text: the one holding it.
      for (QLabel* label : box->findChildren<QLabel*>()) {
        if (label->text() != box->text()) continue;
        seen->label_text = label->text();
        seen->label_format = label->textFormat();
        seen->label_width = label->sizeHint().width();
        // The same text in labels of the box's font, once as text and once as markup.
        QLabel plain(box->text());
        plain.setFont(label->font());
        plain.setTextFormat(Qt::PlainText);
        QLabel rich(box->text());
        rich.setFont(label->font());
        rich.setTextFormat(Qt::RichText);
        seen->plain_width = plain.sizeHint().width();
        seen->rich_width = rich.sizeHint().width();
      }
      box->button(QMessageBox::Ok)->click();
    });
  }

  static void CheckShownAsText(const Seen& seen, const QString& text) {
    QVERIFY(seen.shown);
    QCOMPARE(seen.text, text);
    QCOMPARE(seen.label_text, text);
    // Drawn with its tags the text is as wide as plain text, wider than the markup's "x".
    QVERIFY2(seen.plain_width > seen.rich_width, "the markup is narrower than its tags");
    QCOMPARE(seen.label_width, seen.plain_width);
    QCOMPARE(seen.format, Qt::PlainText);
    QCOMPARE(seen.label_format, Qt::PlainText);
  }

 private slots:
  void initTestCase() { ostrolen::SetUpLook(); }

  void BothBoxesShowMarkupAsText_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("bold") << QStringLiteral("<b>x</b>");
    QTest::newRow("image") << QStringLiteral("<img src=\"x\">нет таблицы");
    QTest::newRow("link") << QStringLiteral("<a href=\"x\">Сегмент</a> 12");
    QTest::newRow("entity") << QStringLiteral("&lt;b&gt; &amp;");
  }

  void BothBoxesShowMarkupAsText() {
    QFETCH(QString, text);
    QWidget owner;
    owner.show();
    WidgetWindow window(&owner);
    const QByteArray utf8 = text.toUtf8();
    for (const bool report : {true, false}) {
      Seen seen;
      NoteNextMessageBox(&seen);
      if (report) {
        window.InputErrorReport(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
      } else {
        window.ShowError(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
      }
      CheckShownAsText(seen, text);
    }
  }

  // The stop box of a press, with the typed character in its text.
  void ATypedTextInTheStopBoxIsText() {
    TForm1 form;
    form.show();
    Seen seen;
    NoteNextMessageBox(&seen);
    auto* box = form.findChild<QLineEdit*>(QStringLiteral("Edit29"));
    QVERIFY(box != nullptr);
    box->setText("<");
    form.SpeedButton8Click();
    CheckShownAsText(seen, QStringLiteral("'$<' is not a valid integer value."));
  }
};

QTEST_MAIN(MessageBoxTest)
#include "message_box_test.moc"
