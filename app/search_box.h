// The search box in the toolbar: Ctrl+F puts the caret in it, the list under
// it shows the matches as the operator types (arrows move, Enter or a click
// chooses, Escape closes), and choosing a match goes there. What is listed
// and what choosing does are pages/search/choose's; this only draws them.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "pages/search/choose.h"
#include "pages/search/rows.h"

class QLineEdit;
class QListWidget;
class QMainWindow;
class QToolBar;

namespace ostrolen {

class WidgetWindow;

class SearchBox : public QObject {
  Q_OBJECT

 public:
  // Adds the box to `toolbar`; `press` is called with a button's name as a
  // click on it calls it. The database's rows are listed by `rows`.
  SearchBox(QMainWindow* window, QToolBar* toolbar, WidgetWindow& pages, std::function<void(const QString&)> press,
            RowLister rows = {});

  QLineEdit* Box() const { return box_; }
  QListWidget* List() const { return list_; }
  // The file whose rows are searched; kDatabaseFile in the current folder by default.
  void SetDatabase(std::string file) { file_ = std::move(file); }
  int Listings() const { return cache_.Listings(); }

  // Lists the matches of the box's text under it.
  void Refresh();
  // Chooses the list's `row`-th line (the problem line not counted).
  void Choose(int row);
  void Close();

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Place();
  void ShowSheet(const std::string& sheet);
  void SelectLine(const std::string& sheet, const MatchAction& action);

  QMainWindow* window_;
  WidgetWindow& pages_;
  std::function<void(const QString&)> press_;
  QLineEdit* box_;
  QListWidget* list_;
  RowCache cache_;
  int listings_ = -1;
  std::string file_;
  SearchIndex index_;
  SearchList shown_;
};

}  // namespace ostrolen
