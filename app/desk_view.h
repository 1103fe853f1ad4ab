// The window on the desk: the toolbar's "Вид" menu (the zoom, the look, on
// top, the compact view) and the window drawn as the controller holds it
// (ui/desk.h). The menu's items go to the controller; their checks, the
// window's flag and the compact view are drawn from its Desk effect.
#pragma once

#include <QObject>
#include <QSize>

#include "ui/desk.h"

class QAction;
class QMainWindow;
class QMenu;
class QTabWidget;
class QToolBar;
class QToolButton;
class QWidget;

namespace ostrolen {

class Front;

class DeskView : public QObject {
  Q_OBJECT

 public:
  DeskView(QMainWindow* form, Front& front, QToolBar* toolbar);

  QToolButton* menuButton() const { return button_; }
  QMenu* menu() const { return menu_; }
  QAction* zoomInAction() const { return zoom_in_; }
  QAction* zoomOutAction() const { return zoom_out_; }
  QAction* zoomResetAction() const { return zoom_reset_; }
  QAction* darkAction() const { return dark_; }
  QAction* followDesktopAction() const { return follow_; }
  QAction* onTopAction() const { return on_top_; }
  QAction* compactAction() const { return compact_; }

  // The page in front: the chosen sheet of the innermost chosen tabs.
  QWidget* PageInFront() const;

 private:
  void Draw(const ui::Desk& desk);
  void DrawOnTop(bool on_top);
  void DrawCompact(bool compact);
  QList<QTabWidget*> Tabs() const;

  QMainWindow* form_;
  Front& front_;
  QToolBar* toolbar_;
  QToolButton* button_ = nullptr;
  QMenu* menu_ = nullptr;
  QAction* zoom_in_ = nullptr;
  QAction* zoom_out_ = nullptr;
  QAction* zoom_reset_ = nullptr;
  QAction* dark_ = nullptr;
  QAction* follow_ = nullptr;
  QAction* on_top_ = nullptr;
  QAction* compact_ = nullptr;
  int zoom_drawn_ = 100;
  bool compact_drawn_ = false;
};

}  // namespace ostrolen
