// The window as a front end of the interaction controller: every key,
// click, double click and context menu on a page's controls, the search box
// and the dialogs goes to the controller as an intent, and what comes back
// is drawn on the widgets (boxes, lines with their marks and selection, lit
// boxes, the menu, the number editor, the history view, the search list,
// message boxes). No rule of the window is decided here.
#pragma once

#include <QDialog>
#include <QHash>
#include <QLineEdit>
#include <QMenu>
#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "core/layout.h"
#include "pages/search/rows.h"
#include "reader/query.h"
#include "ui/controller.h"

class QDialog;
class QKeyEvent;
class QLineEdit;
class QListWidget;
class QMainWindow;
class QMenu;
class QPrinter;
class QPushButton;
class QTabWidget;
class QTimer;
class QToolButton;
class QWidget;

namespace ostrolen {

class TableDialog;
class WidgetWindow;

// A key event as the controller takes it.
Key KeyOf(const QKeyEvent* event);

// Whether a line of a compared list is a gone one (shown, never chosen).
inline constexpr int kGoneLineRole = Qt::UserRole + 7;
// The mark of a compared line: '=', '~', '+' or '-'.
inline constexpr int kMarkRole = Qt::UserRole + 8;
// The old value drawn after a changed line.
inline constexpr int kOldValueRole = Qt::UserRole + 9;
// The match a line of the search list chooses; the other lines have none.
inline constexpr int kMatchRole = Qt::UserRole + 1;

class Front : public QObject {
  Q_OBJECT

 public:
  Front(QMainWindow* form, WidgetWindow& window);
  ~Front() override;

  ui::Controller& controller() { return *controller_; }

  // A page's widgets, once made: their events go to the controller, and
  // they are drawn as the controller holds the page.
  void AttachPage(const PageLayout& page, QWidget* sheet);
  void AttachSearch(QLineEdit* box, QListWidget* list);
  void AttachTabs(QTabWidget* tabs);

  // Carries out what the controller asks of the window, in order.
  void Apply();
  // Every list again, as the controller holds it (after a change of look).
  void RedrawLists();

  // What the front end does for the controller: start a reading of the
  // database for a press of `button`, and let the operator save the report.
  std::function<void(const std::string& button, std::vector<Statement> statements)> read;
  std::function<void()> save_report;
  // Saves a table written out as the file `name`; by default the operator chooses where.
  std::function<void(const std::string& name, const std::string& text)> save_table;
  // Draw the window on the desk as the controller now holds it (its look,
  // its zoom, on top, the compact view), each its own part; called in order.
  std::vector<std::function<void(const ui::Desk& desk)>> desk_drawers;
  // Sets up the printer a printout goes to; false: nothing is printed. By
  // default the print dialog, where the operator chooses a printer or a PDF file.
  std::function<bool(QPrinter& printer)> choose_printer;

  // The database whose rows the search lists; kDatabaseFile in the current folder by default.
  void SetDatabase(std::string file) { file_ = std::move(file); }
  int Listings() const { return cache_.Listings(); }

  // Puts the focus where the controller has it (once the window shows).
  void DrawFocus();

  // The boxes lit by the chosen line of `list`, in the order they were lit.
  QStringList Highlighted(const QString& list) const;
  QMenu* Menu() const { return menu_.data(); }
  QDialog* Editor() const { return editor_.data(); }
  QDialog* History() const { return history_.data(); }
  TableDialog* Table() const;

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Lit {
    QPointer<QLineEdit> box;
    QPalette palette;
    QPointer<QWidget> frame;
  };

  void DrawBox(const std::string& name, const std::string& text);
  void DrawLines(const std::string& name);
  void DrawSelection(const std::string& name);
  void DrawLit(const std::string& list);
  void DrawTabs();
  void DrawMenu();
  // The menu's widget went without a choice: the controller's menu closes too.
  void MenuGone();
  void DrawEditor();
  void DrawHistory();
  void DrawTable();
  void SaveTable(const std::string& name, const std::string& text);
  void Print(const std::string& title, const std::string& html);
  void DrawSearch();
  void PlaceSearch();
  void Message(const std::string& kind, const std::string& text);
  QWidget* WidgetOf(const std::string& control) const;
  // A key event as the controller takes it.
  bool Key(QObject* watched, QEvent* event);
  bool ListMouse(QListWidget* list, QEvent* event);

  QMainWindow* form_;
  WidgetWindow& window_;
  std::unique_ptr<ui::Controller> controller_;
  RowCache cache_;
  std::string file_;
  int listings_ = -1;
  bool applying_ = false;
  QHash<QString, QLineEdit*> boxes_;
  QHash<QString, QListWidget*> lists_;
  QHash<QString, QToolButton*> buttons_;
  QHash<QObject*, QString> names_;  // every watched control (a list's viewport too) by its name
  QHash<QString, std::vector<Lit>> lit_;
  std::vector<QTabWidget*> tabs_;
  QLineEdit* search_box_ = nullptr;
  QListWidget* search_list_ = nullptr;
  QPointer<QMenu> menu_;
  std::vector<QAction*> menu_actions_;  // by the controller's item
  bool menu_chosen_ = false;
  bool tab_clicked_ = false;     // the tabs' last input was a click
  QTimer* menu_gone_ = nullptr;  // looks, once the events settle, whether a menu went without a choice
  QPointer<QDialog> editor_;
  QLineEdit* editor_box_ = nullptr;
  QPushButton* editor_ok_ = nullptr;
  QPointer<QDialog> history_;
  QListWidget* history_list_ = nullptr;
  QPushButton* choose_ = nullptr;
  QPushButton* compare_ = nullptr;
  QPointer<TableDialog> table_;
};

}  // namespace ostrolen
