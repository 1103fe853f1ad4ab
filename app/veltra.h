// The main window: the toolbar, the page tree, and one handler per page
// button. The handlers only forward to the pages' own code.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <memory>

#include "app/widget_window.h"

class QAction;
class QTabWidget;
class QTimer;
class TForm2;

namespace ostrolen {
struct PageLayout;
struct TabNode;
}  // namespace ostrolen

// The buttons of the pages; each has its SpeedButtonNClick handler.
#define OSTROLEN_BUTTON_NUMBERS(X) \
  X(1) X(2) X(3) X(4) X(5) X(6) X(7) X(8) X(9) X(10) X(11) X(12) X(13) X(14) X(15) X(16) X(17) X(18) X(19) X(20) X(21)

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

  void Action1Execute();  // "Выход"
  void Action2Execute();  // "О программе"

#define OSTROLEN_DECLARE_CLICK(n) void SpeedButton##n##Click();
  OSTROLEN_BUTTON_NUMBERS(OSTROLEN_DECLARE_CLICK)
#undef OSTROLEN_DECLARE_CLICK

 private:
  QTabWidget* BuildTabs(const ostrolen::TabNode& node, QWidget* parent);
  void BuildSheet(QWidget* sheet);
  void BuildPageOf(std::string_view control);
  void BuildNextPage();
  void ButtonClicked(const QString& name);
  void showEvent(QShowEvent* event) override;

  // The leaf sheets whose widgets are not made yet, with their pages.
  QHash<QWidget*, const ostrolen::PageLayout*> unbuilt_;

  ostrolen::WidgetWindow window_;
  PageBuilding building_;
  TForm2* about_ = nullptr;
  QTimer* idle_ = nullptr;  // makes the next page while the window waits
};
