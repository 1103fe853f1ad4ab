// The session in the window: every button press goes through it; the
// toolbar's commands keep a page's result as the reference, list the
// history and save it; a compared list shows its marks beside its lines.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

#include "pages/session.h"

class QAction;
class QDialog;
class QListWidget;
class QMainWindow;
class QToolBar;

namespace ostrolen {

class WidgetWindow;

// Whether a line of a compared list is a gone one (shown, never chosen).
inline constexpr int kGoneLineRole = Qt::UserRole + 7;
// The mark of a compared line: '=', '~', '+' or '-'.
inline constexpr int kMarkRole = Qt::UserRole + 8;

class SessionView : public QObject {
  Q_OBJECT

 public:
  SessionView(QMainWindow* form, WidgetWindow& window, QToolBar* toolbar);

  // A click on a page button.
  void Press(const QString& button);
  // Opens the page and words of the window's command line (after the
  // program's name); the message when they name no page or do not fit.
  std::optional<QString> Open(const QStringList& arguments);

  // The toolbar's commands.
  void KeepReference();
  void ShowHistory();
  void SaveHistory();
  // Writes the history as PATH.txt and PATH.html (PATH without its ending).
  bool SaveHistoryTo(const QString& path) const;

  QAction* keepAction() const { return keep_; }
  QAction* historyAction() const { return history_; }
  QAction* saveAction() const { return save_; }
  // The history view while it is open; nullptr otherwise.
  QDialog* historyView() const { return view_; }

  Session& session() { return session_; }

 private:
  void DrawMarks(const QString& name);
  void ShowPageOf(const PageCommand& command);
  // The command of the page in front; nullptr for a page without a result list.
  const PageCommand* CurrentCommand() const;
  void ChooseInView(QListWidget* entries);
  void CompareInView(QListWidget* entries);

  QMainWindow* form_;
  WidgetWindow& window_;
  Session session_;
  QAction* keep_ = nullptr;
  QAction* history_ = nullptr;
  QAction* save_ = nullptr;
  QDialog* view_ = nullptr;
};

}  // namespace ostrolen
