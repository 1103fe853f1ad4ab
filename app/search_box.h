// The search box in the toolbar: Ctrl+F puts the caret in it, the list under
// it shows the matches as the operator types (arrows move, Enter or a click
// chooses, Escape closes), and choosing a match goes there. What is listed
// and what choosing does are the interaction controller's; this makes the
// box and its list, and the window draws them (app/front.h).
#pragma once

#include <QObject>
#include <QString>
#include <string>

class QLineEdit;
class QListWidget;
class QMainWindow;
class QToolBar;

namespace ostrolen {

class Front;

class SearchBox : public QObject {
  Q_OBJECT

 public:
  // Adds the box to `toolbar` and its list under it.
  SearchBox(QMainWindow* window, QToolBar* toolbar, Front& front);

  QLineEdit* Box() const { return box_; }
  QListWidget* List() const { return list_; }
  // The file whose rows are searched; kDatabaseFile in the current folder by default.
  void SetDatabase(std::string file);
  // The box's width at the window's zoom.
  void SetZoom();
  int Listings() const;

  // Lists the matches of the box's text under it.
  void Refresh();
  // Chooses the list's `row`-th match (the problem line not counted).
  void Choose(int row);
  void Close();

 private:
  Front& front_;
  QLineEdit* box_;
  QListWidget* list_;
};

}  // namespace ostrolen
