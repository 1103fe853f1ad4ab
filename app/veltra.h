// The main window: the toolbar and the page tree. A page button's click
// runs the handler its declaration names.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QString>
#include <memory>
#include <thread>
#include <vector>

#include "app/widget_window.h"
#include "reader/query.h"

class QAction;
class QLabel;
class QTabWidget;
class QTimer;
class TForm2;

namespace ostrolen {
class DeskView;
class Front;
class SessionView;
class SearchBox;
struct PageLayout;
struct TabNode;
}  // namespace ostrolen

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  // When each page's widgets are made: all at once, or a page when it is
  // first shown or used and the rest while the window waits for input.
  enum class PageBuilding { AtStart, WhenNeeded };

  explicit TForm1(QWidget* parent = nullptr, PageBuilding building = PageBuilding::AtStart);
  ~TForm1() override;

  ostrolen::WidgetWindow& window() { return window_; }
  TForm2* about() const { return about_; }
  // The session's history, reference and marks, and its toolbar commands.
  ostrolen::SessionView* session() const { return session_; }
  ostrolen::SearchBox* search() const { return search_; }
  // The "Вид" menu and the window on the desk.
  ostrolen::DeskView* desk() const { return desk_; }
  // The window as a front end of the interaction controller.
  ostrolen::Front* front() const { return front_; }

  void Action1Execute();  // "Выход"
  void Action2Execute();  // "О программе"

  // A click on a page button: its name goes to the pages' own registry,
  // which runs the button's handler.
  void ButtonClicked(const QString& name);
  // Whether a press is still reading the database.
  bool Reading() const { return busy_; }
  // Handles events until no press is reading (tests, screenshots).
  void WaitForReading();
  // The window's handlers by the names of their buttons, for scripts and
  // tests; a click goes to ButtonClicked itself, so a button works whether
  // or not it has a line here.
  void SpeedButton1Click() { ButtonClicked(QStringLiteral("SpeedButton1")); }
  void SpeedButton2Click() { ButtonClicked(QStringLiteral("SpeedButton2")); }
  void SpeedButton3Click() { ButtonClicked(QStringLiteral("SpeedButton3")); }
  void SpeedButton4Click() { ButtonClicked(QStringLiteral("SpeedButton4")); }
  void SpeedButton5Click() { ButtonClicked(QStringLiteral("SpeedButton5")); }
  void SpeedButton6Click() { ButtonClicked(QStringLiteral("SpeedButton6")); }
  void SpeedButton7Click() { ButtonClicked(QStringLiteral("SpeedButton7")); }
  void SpeedButton8Click() { ButtonClicked(QStringLiteral("SpeedButton8")); }
  void SpeedButton9Click() { ButtonClicked(QStringLiteral("SpeedButton9")); }
  void SpeedButton10Click() { ButtonClicked(QStringLiteral("SpeedButton10")); }
  void SpeedButton11Click() { ButtonClicked(QStringLiteral("SpeedButton11")); }
  void SpeedButton12Click() { ButtonClicked(QStringLiteral("SpeedButton12")); }
  void SpeedButton13Click() { ButtonClicked(QStringLiteral("SpeedButton13")); }
  void SpeedButton14Click() { ButtonClicked(QStringLiteral("SpeedButton14")); }
  void SpeedButton15Click() { ButtonClicked(QStringLiteral("SpeedButton15")); }
  void SpeedButton16Click() { ButtonClicked(QStringLiteral("SpeedButton16")); }
  void SpeedButton17Click() { ButtonClicked(QStringLiteral("SpeedButton17")); }
  void SpeedButton18Click() { ButtonClicked(QStringLiteral("SpeedButton18")); }
  void SpeedButton19Click() { ButtonClicked(QStringLiteral("SpeedButton19")); }
  void SpeedButton20Click() { ButtonClicked(QStringLiteral("SpeedButton20")); }
  void SpeedButton21Click() { ButtonClicked(QStringLiteral("SpeedButton21")); }

 signals:
  // From the reading's thread: how far it is, and that it ended.
  void readingProgressed(int percent);
  void readingEnded();

 private:
  QTabWidget* BuildTabs(const ostrolen::TabNode& node, QWidget* parent);
  void BuildSheet(QWidget* sheet);
  void BuildPageOf(std::string_view control);
  void BuildNextPage();
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

  // A press that reads the database reads first, off this thread, and is
  // pressed with what was read; the window stays responsive, shows how
  // far a long reading is under the button, and Escape ends it.
  void ReadThenPress(const QString& name, std::vector<ostrolen::Statement> statements);
  void ShowReading(int percent);
  void EndReading();

  // The leaf sheets whose widgets are not made yet, with their pages.
  QHash<QWidget*, const ostrolen::PageLayout*> unbuilt_;

  ostrolen::WidgetWindow window_;
  PageBuilding building_;
  TForm2* about_ = nullptr;
  ostrolen::SessionView* session_ = nullptr;
  ostrolen::SearchBox* search_ = nullptr;
  ostrolen::DeskView* desk_ = nullptr;
  ostrolen::Front* front_ = nullptr;
  QTimer* idle_ = nullptr;  // makes the next page while the window waits
  void FinishReading();

  std::thread reading_;  // the database reading under way, if any
  bool busy_ = false;
  QString reading_button_;                                // the press it reads for
  std::vector<ostrolen::Statement> reading_asked_;        // set before the reading starts
  std::vector<ostrolen::StatementOutcome> reading_read_;  // set by the reading, read once it is joined
  QLabel* progress_ = nullptr;                            // under the button that reads
};
