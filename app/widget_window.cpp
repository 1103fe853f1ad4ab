#include "app/widget_window.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <stdexcept>

#include "app/line_explain.h"
#include "core/shell.h"

namespace ostrolen {
namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

void WidgetWindow::AddBox(QLineEdit* box) { boxes_.insert(box->objectName(), box); }

void WidgetWindow::AddList(QListWidget* list, const PageLayout* page) {
  lists_.insert(list->objectName(), list);
  pages_.insert(list->objectName(), page);
}

QLineEdit* WidgetWindow::Box(std::string_view name) const {
  QLineEdit* box = boxes_.value(FromUtf8(name));
  if (box == nullptr && missing_) {
    missing_(name);
    box = boxes_.value(FromUtf8(name));
  }
  if (box == nullptr) throw std::out_of_range("no box named " + std::string(name));
  return box;
}

QListWidget* WidgetWindow::List(std::string_view name) const {
  QListWidget* list = lists_.value(FromUtf8(name));
  if (list == nullptr && missing_) {
    missing_(name);
    list = lists_.value(FromUtf8(name));
  }
  if (list == nullptr) throw std::out_of_range("no list named " + std::string(name));
  return list;
}

std::string WidgetWindow::Text(std::string_view box) const { return Box(box)->text().toStdString(); }

void WidgetWindow::SetText(std::string_view box, std::string_view text) { Box(box)->setText(FromUtf8(text)); }

void WidgetWindow::ClearList(std::string_view list) { List(list)->clear(); }

void WidgetWindow::AppendLine(std::string_view list, std::string_view line) { List(list)->addItem(FromUtf8(line)); }

void WidgetWindow::AppendSourcedLine(std::string_view list, std::string_view line, const LineOrigin& origin) {
  QListWidget* widget = List(list);
  auto* item = new QListWidgetItem(FromUtf8(line));
  if (const PageLayout* page = pages_.value(widget->objectName())) {
    SetLineOrigin(item, origin, *page);
  } else {
    item->setData(kLineOriginRole, QVariant::fromValue(origin));
  }
  widget->addItem(item);
}

// A message holds what was typed or read from the database: it is shown as
// text, never taken for markup.
void WidgetWindow::InputErrorReport(std::string_view text) {
  if (hook_) return hook_(MessageKind::Report, FromUtf8(text));
  QMessageBox box(QMessageBox::NoIcon, FromUtf8(shell::kReportCaption), FromUtf8(text), QMessageBox::Ok, owner_);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

void WidgetWindow::ShowError(std::string_view text) {
  if (hook_) return hook_(MessageKind::Error, FromUtf8(text));
  QMessageBox box(QMessageBox::Critical, ApplicationTitle(QCoreApplication::applicationFilePath()), FromUtf8(text),
                  QMessageBox::Ok, owner_);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

QString ApplicationTitle(const QString& program_path) {
  return FromUtf8(shell::ApplicationTitle(program_path.toStdString()));
}

}  // namespace ostrolen
