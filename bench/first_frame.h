// Ends the program once `widget` has been painted for the first time: the
// start-up benchmarks time a process from exec to its first shown frame.
// It ends at once, without tearing the widgets down, which is no part of
// starting (and would add a third to the main window's figure).
#pragma once

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

class QuitAfterFirstFrame : public QObject {
 public:
  explicit QuitAfterFirstFrame(QWidget* widget) : QObject(widget) { widget->installEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !seen_) {
      seen_ = true;
      // After this paint has been flushed to the window.
      QTimer::singleShot(0, QCoreApplication::instance(), [] {
        std::fflush(nullptr);
        std::_Exit(0);
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool seen_ = false;
};
