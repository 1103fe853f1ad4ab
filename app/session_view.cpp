#include "app/session_view.h"

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QMainWindow>
#include <QToolBar>
#include <string>
#include <vector>

#include "app/front.h"
#include "core/shell.h"
#include "ui/print.h"
#include "ui/table_view.h"

namespace ostrolen {
namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

SessionView::SessionView(QMainWindow* form, Front& front, QToolBar* toolbar)
    : QObject(form), form_(form), front_(front) {
  keep_ = new QAction(FromUtf8(shell::kKeepReference), this);
  keep_->setObjectName(QStringLiteral("KeepReference"));
  keep_->setShortcut(QKeySequence(FromUtf8(shell::kKeepReferenceKey)));
  connect(keep_, &QAction::triggered, this, &SessionView::KeepReference);
  history_ = new QAction(FromUtf8(shell::kHistoryCommand), this);
  history_->setObjectName(QStringLiteral("ShowHistory"));
  history_->setShortcut(QKeySequence(FromUtf8(shell::kHistoryKey)));
  connect(history_, &QAction::triggered, this, &SessionView::ShowHistory);
  save_ = new QAction(FromUtf8(shell::kSaveHistory), this);
  save_->setObjectName(QStringLiteral("SaveHistory"));
  save_->setShortcut(QKeySequence(FromUtf8(shell::kSaveHistoryKey)));
  connect(save_, &QAction::triggered, this, &SessionView::SaveHistory);
  table_ = new QAction(FromUtf8(ui::table_text::kCommand), this);
  table_->setObjectName(QStringLiteral("ShowTable"));
  table_->setShortcut(QKeySequence(FromUtf8(ui::table_text::kKey)));
  connect(table_, &QAction::triggered, this, &SessionView::ShowTable);
  print_ = new QAction(FromUtf8(ui::print_text::kCommand), this);
  print_->setObjectName(QStringLiteral("Print"));
  print_->setShortcut(QKeySequence(FromUtf8(ui::print_text::kKey)));
  connect(print_, &QAction::triggered, this, &SessionView::Print);
  for (QAction* action : {keep_, history_, save_, table_, print_}) {
    action->setToolTip(action->text() + QStringLiteral(" (") + action->shortcut().toString() + QStringLiteral(")"));
  }
  toolbar->addSeparator();
  toolbar->addAction(keep_);
  toolbar->addAction(history_);
  toolbar->addAction(save_);
  toolbar->addAction(table_);
  toolbar->addAction(print_);
}

Session& SessionView::session() { return front_.controller().session(); }

QDialog* SessionView::historyView() const { return front_.History(); }

void SessionView::Press(const QString& button) {
  front_.controller().Press(button.toStdString());
  front_.Apply();
}

std::optional<QString> SessionView::Open(const QStringList& arguments) {
  std::vector<std::string> args;
  for (const QString& argument : arguments) args.push_back(argument.toStdString());
  const std::optional<Address> address = AddressOfArguments(args);
  if (!address) return QStringLiteral("'") + arguments.join(QLatin1Char(' ')) + QStringLiteral("' names no page");
  const std::optional<std::string> error = front_.controller().Open(*address);
  front_.Apply();
  if (error) return FromUtf8(*error);
  return std::nullopt;
}

void SessionView::KeepReference() {
  front_.controller().KeepReference();
  front_.Apply();
}

void SessionView::ShowHistory() {
  front_.controller().OpenHistory();
  front_.Apply();
}

void SessionView::ShowTable() {
  front_.controller().OpenTable();
  front_.Apply();
}

void SessionView::Print() {
  front_.controller().Print();
  front_.Apply();
}

void SessionView::SaveHistory() {
  const QString path = QFileDialog::getSaveFileName(form_, FromUtf8(shell::kSaveHistory),
                                                    FromUtf8(shell::kHistoryFileName) + QStringLiteral(".html"),
                                                    QStringLiteral("HTML (*.html);;Text (*.txt)"));
  if (path.isEmpty()) return;
  const QFileInfo info(path);
  SaveHistoryTo(info.path() + QLatin1Char('/') + info.completeBaseName());
}

bool SessionView::SaveHistoryTo(const QString& path) {
  const auto write = [](const QString& name, const std::string& text) {
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size());
  };
  const bool text = write(path + QStringLiteral(".txt"), session().history().ReportText());
  const bool html = write(path + QStringLiteral(".html"), session().history().ReportHtml());
  return text && html;
}

}  // namespace ostrolen
