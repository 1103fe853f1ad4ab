// How the operator moves through a page's boxes and gets results out of its
// list, the way words are read off the console: typing runs from box to box
// in the page's input order, a pasted word spreads over the boxes, Enter
// presses the page's button, and the lines of a result list can be copied.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "core/layout.h"

class QContextMenuEvent;
class QKeyEvent;
class QLineEdit;
class QListWidget;
class QMenu;

namespace ostrolen {

// Blanks and the separators a word may carry between its characters when it
// is pasted: "0075 003F", "0075-003F", "3 5 2 9 C".
bool IsWordSeparator(QChar c);

// The characters of a pasted text that go into one-character boxes, one a
// box, in order: everything but blanks and separators.
QStringList SpreadCharacters(const QString& text);

// The boxes of one page with their declarations, and what a key does there.
// Installed by BuildPage as an event filter on every box of the page.
class InputFlow : public QObject {
  Q_OBJECT

 public:
  // `boxes` stand in the order of `page.boxes`, one widget per declaration.
  // `press` is called with a button's name, as a click on it calls it.
  InputFlow(const PageLayout& page, std::vector<QLineEdit*> boxes, std::function<void(const QString&)> press,
            QObject* parent);

  // Spreads `text` over `box` and the one-character input boxes after it
  // that the same button reads, one character a box; a box that takes more than one character takes the
  // text as a normal paste does. Focus moves on as if the text were typed.
  void Paste(QLineEdit* box, const QString& text);

  // The context menu of `box`: the standard one, whose "Paste" spreads the
  // text as Ctrl+V does. The caller owns it.
  QMenu* ContextMenu(QLineEdit* box);

  // The button Enter presses from `box`.
  QString EnterButton(const QLineEdit* box) const;

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Box {
    const BoxSpec* spec;
    QLineEdit* edit;
  };

  int IndexOf(const QObject* edit) const;
  // The input box before or after `index` in input order; -1 when none.
  int Previous(int index) const;
  int Next(int index) const;
  // The next input box that Enter sends to the same button: typing and
  // pasting stop at the end of the boxes one press reads, so that Enter
  // then presses the button they belong to.
  int NextOfPress(int index) const;
  // The input box in the nearest row above (`step` -1) or below (+1) whose
  // middle is closest to that of box `index`; -1 when none.
  int RowNeighbour(int index, int step) const;
  bool KeyPressed(int index, QKeyEvent* key);
  bool IsInput(int index) const;
  bool IsSingle(int index) const;

  const PageLayout& page_;
  std::vector<Box> boxes_;
  std::function<void(const QString&)> press_;
};

// The text a copy of `list` gives: its selected lines in list order, or all
// its lines when none is selected, joined by "\n".
QString CopiedLines(const QListWidget* list);

// Lets the operator select lines of a result list and copy them with Ctrl+C
// or the context menu item "Копировать".
void MakeListCopyable(QListWidget* list);

}  // namespace ostrolen
