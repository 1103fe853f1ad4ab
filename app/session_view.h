// The session's commands in the window's toolbar: keeping a page's result as
// the reference, the history and saving its report, the table of
// many records, and printing the page in front or the report. What they do is the
// interaction controller's (ui/controller.h); this adds the toolbar's
// actions, the file dialog of the report and the window's command line.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

#include "pages/session.h"

class QAction;
class QDialog;
class QMainWindow;
class QToolBar;

namespace ostrolen {

class Front;

class SessionView : public QObject {
  Q_OBJECT

 public:
  SessionView(QMainWindow* form, Front& front, QToolBar* toolbar);

  // A click on a page button.
  void Press(const QString& button);
  // Opens the page and words of the window's command line (after the
  // program's name); the message when they name no page or do not fit.
  std::optional<QString> Open(const QStringList& arguments);

  // The toolbar's commands.
  void KeepReference();
  void ShowHistory();
  void SaveHistory();
  void ShowTable();
  void Print();
  // Writes the history as PATH.txt and PATH.html (PATH without its ending).
  bool SaveHistoryTo(const QString& path);

  QAction* keepAction() const { return keep_; }
  QAction* historyAction() const { return history_; }
  QAction* saveAction() const { return save_; }
  QAction* tableAction() const { return table_; }
  QAction* printAction() const { return print_; }
  // The history view while it is open; nullptr otherwise.
  QDialog* historyView() const;

  Session& session();

 private:
  QMainWindow* form_;
  Front& front_;
  QAction* keep_ = nullptr;
  QAction* history_ = nullptr;
  QAction* save_ = nullptr;
  QAction* table_ = nullptr;
  QAction* print_ = nullptr;
};

}  // namespace ostrolen
