// Printing in the window, offscreen: Ctrl+P prints the page in front, and
// the history view's button prints the session's report, to a PDF file in
// place of the print dialog's printer; the file turned back to text by
// poppler's pdftotext has the page's result lines, line for line, in order.
#include <QAction>
#include <QDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <memory>

#include "app/front.h"
#include "app/page_builder.h"
#include "app/session_view.h"
#include "app/veltra.h"
#include "core/history.h"
#include "pages/pages.h"
#include "tests/app/hang.h"
#include "ui/print.h"

namespace {

QString FromStd(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The lines of a PDF file's text, laid out as on the paper, blanks run together.
QStringList PdfLines(const QString& pdf) {
  QProcess process;
  process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  if (!process.waitForFinished(kHangMs) || process.exitCode() != 0) return {};
  QStringList lines;
  for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'))) {
    if (!line.trimmed().isEmpty()) lines << line.simplified();
  }
  return lines;
}

// Each of `wanted` (blanks run together) is a line of `lines`, or ends one
// (after a mark's column), in order.
bool InOrder(const QStringList& lines, const QStringList& wanted, QString* missing) {
  int at = 0;
  for (const QString& text : wanted) {
    const QString line = text.simplified();
    while (at < lines.size() && lines[at] != line && !lines[at].endsWith(QLatin1Char(' ') + line)) ++at;
    if (at == lines.size()) {
      *missing = line;
      return false;
    }
    ++at;
  }
  return true;
}

}  // namespace

class PrintTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TForm1> form_;
  QTemporaryDir dir_;
  int printed_ = 0;

  ostrolen::SessionView* View() { return form_->session(); }

  void Open(const QStringList& arguments) {
    const std::optional<QString> error = View()->Open(arguments);
    QVERIFY2(!error, qPrintable(error.value_or(QString())));
  }

  // The next printout goes to a PDF file of its own, with no dialog.
  QString PrintToPdf() {
    const QString pdf = dir_.filePath(QStringLiteral("printout%1.pdf").arg(++printed_));
    form_->front()->choose_printer = [pdf](QPrinter& printer) {
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(pdf);
      return true;
    };
    return pdf;
  }

 private slots:
  void initTestCase() {
    ostrolen::SetUpLook();
    QVERIFY(dir_.isValid());
  }

  void init() {
    form_ = std::make_unique<TForm1>();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get(), kHangMs));
  }
  void cleanup() { form_.reset(); }

  void toolbarHasThePrintCommand() {
    QAction* print = View()->printAction();
    QCOMPARE(print->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    QCOMPARE(print->text(), FromStd(ostrolen::ui::print_text::kCommand));
    auto* toolbar = form_->findChild<QToolBar*>(QStringLiteral("ToolBar1"));
    QVERIFY(toolbar->actions().contains(print));
  }

  void ctrlPPrintsThePageLineForLine() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
      QSKIP("pdftotext is missing (Debian's poppler-utils): the printed PDF cannot be read back");
    }
    Open({QStringLiteral("sko"), QStringLiteral("271A6")});
    auto* list = form_->findChild<QListWidget*>(FromStd(ostrolen::SkoPage().list()->name));
    QVERIFY(list->count() > 0);
    QStringList shown;
    for (int i = 0; i < list->count(); ++i) shown << list->item(i)->text();

    const QString pdf = PrintToPdf();
    QTest::keyClick(form_.get(), Qt::Key_P, Qt::ControlModifier);
    QVERIFY2(QFileInfo(pdf).size() > 0, "Ctrl+P printed nothing");
    const QStringList lines = PdfLines(pdf);
    QVERIFY(!lines.isEmpty());
    QCOMPARE(lines.first(), QStringLiteral("АХ, СКО"));
    QVERIFY(lines.contains(QStringLiteral("Слова: 271A6")));
    QString missing;
    QVERIFY2(InOrder(lines, shown, &missing), qPrintable(QStringLiteral("not printed in order: ") + missing));
    // Every result line once, nothing but the head before them, the page's number after them.
    QCOMPARE(lines.size(), 3 + shown.size() + 1);
    for (int i = 0; i < shown.size(); ++i) QCOMPARE(lines[3 + i], shown[i].simplified());
    QCOMPARE(lines.last(), QStringLiteral("1"));
  }

  void aComparedPageIsPrintedWithItsMarks() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
      QSKIP("pdftotext is missing (Debian's poppler-utils): the printed PDF cannot be read back");
    }
    Open({QStringLiteral("sko"), QStringLiteral("271A6")});
    View()->keepAction()->trigger();
    Open({QStringLiteral("sko"), QStringLiteral("271A4")});
    const ostrolen::ui::List& list = form_->front()->controller().ListOf(ostrolen::SkoPage().list()->name);
    QStringList marked;
    for (const ostrolen::ui::Line& line : list.lines) {
      QVERIFY(line.mark != 0);
      marked << FromStd(std::string(1, line.mark) + " " + line.text + (line.old.empty() ? "" : " " + line.old));
    }
    const QString pdf = PrintToPdf();
    View()->printAction()->trigger();
    QString missing;
    QVERIFY2(InOrder(PdfLines(pdf), marked, &missing), qPrintable(QStringLiteral("not printed in order: ") + missing));
  }

  void theHistoryViewPrintsTheReport() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
      QSKIP("pdftotext is missing (Debian's poppler-utils): the printed PDF cannot be read back");
    }
    Open({QStringLiteral("sko"), QStringLiteral("271A6")});
    Open({QStringLiteral("uvp"), QStringLiteral("0075"), QStringLiteral("003F")});
    View()->historyAction()->trigger();
    QDialog* view = View()->historyView();
    QVERIFY(view != nullptr);
    const QString pdf = PrintToPdf();
    auto* print = view->findChild<QPushButton*>(QStringLiteral("PrintHistory"));
    QVERIFY(print != nullptr);
    print->click();
    QVERIFY(View()->historyView() != nullptr);
    QStringList report;
    for (const QString& line : FromStd(View()->session().history().ReportText()).split(QLatin1Char('\n'))) {
      if (!line.trimmed().isEmpty()) report << line;
    }
    QString missing;
    const QStringList lines = PdfLines(pdf);
    QVERIFY2(InOrder(lines, report, &missing), qPrintable(QStringLiteral("not printed in order: ") + missing));

    // Ctrl+P in the history view prints the report too.
    const QString again = PrintToPdf();
    auto* entries = view->findChild<QListWidget*>(QStringLiteral("HistoryEntries"));
    QTest::keyClick(entries, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(PdfLines(again), lines);
    view->close();
    QTRY_VERIFY_WITH_TIMEOUT(View()->historyView() == nullptr, kHangMs);
  }

  // The toolbar's shortcut and the controller's key are one print, not two.
  void ctrlPAsksForAPrinterOnce() {
    Open({QStringLiteral("sko"), QStringLiteral("271A6")});
    int asked = 0;
    form_->front()->choose_printer = [&asked](QPrinter&) {
      ++asked;
      return false;
    };
    QTest::keyClick(form_.get(), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(asked, 1);
  }
};

QTEST_MAIN(PrintTest)
#include "print_test.moc"
