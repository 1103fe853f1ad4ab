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
#include "core/typing.h"

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

// The boxes of one page, and what a key does there: the page's typing
// rules (core/typing.h) decide, this only carries their actions out.
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

 signals:
  // A key changed a box: the page's chosen line is let go.
  void Edited();

 private:
  int IndexOf(const QObject* edit) const;
  // Carries out what `key` does in box `index`; false when the rules leave
  // the key to the box itself.
  bool Carry(int index, const Key& key);

  const PageLayout& page_;
  std::vector<QLineEdit*> boxes_;
  std::function<void(const QString&)> press_;
};

// The text a copy of `list` gives: its selected lines in list order, or all
// its lines when none is selected, joined by "\n".
QString CopiedLines(const QListWidget* list);

// Lets the operator select lines of a result list and copy them with Ctrl+C
// or the context menu item "Копировать".
// With `page_step`, PageUp and PageDown go that many lines (PageStep).
void MakeListCopyable(QListWidget* list, int page_step = 0);

// How far PageUp and PageDown go in a list of `height` pixels whose lines are
// `line_height` high: the lines it shows, less one.
int PageStep(int height, int line_height);

}  // namespace ostrolen
