// Changing a subscriber field from its result line: a two-state line
// switches on a double click or Enter, the context menu lists the field's
// values (and the first stage's forms), a number opens a small editor. The
// page's boxes then hold the new words and the page is decoded again as a
// press of its button; Ctrl+Z takes the last change back.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

#include "pages/interaction.h"
#include "pages/subscriber/compose.h"

class QDialog;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QWidget;

namespace ostrolen {

class LineEditing : public QObject {
  Q_OBJECT

 public:
  // `press` is called with the page button's name, as a click on it calls it.
  LineEditing(const ComposePage& page, QListWidget* list, Window& window, std::function<void(const QString&)> press,
              QWidget* sheet);

  // The field the line shows, when it can be changed now: nothing when the
  // line shows no field or the boxes hold no word to change.
  const AhField* FieldOf(const QListWidgetItem* item) const;

  // The line's context menu: the field's values or "Изменить…", the forms
  // on the first stage, then the list's own items. The caller owns it.
  QMenu* Menu(QListWidgetItem* item);

  // A double click or Enter: a two-state field switches, a number opens its
  // editor, any other field shows its menu.
  void Activate(QListWidgetItem* item);

  // Opens the editor of a numeric line's value (window-modal, not blocking);
  // it deletes itself when closed. Nothing for a line that offers nothing.
  QDialog* EditNumber(QListWidgetItem* item);

  // Sets the field in the words on the page, writes them to the boxes and
  // decodes the page again; false when there is no word to change.
  bool Set(const AhField& field, std::uint32_t value);

  // Puts the boxes back as they were before the last change and decodes
  // again; false when there is nothing to take back.
  bool Undo();

  // Keeps a change made to the page's boxes elsewhere (choosing a found
  // value), so that Ctrl+Z takes it back as it takes back its own.
  void Keep(LineChange change) { changes_.Add(std::move(change)); }
  // Whether Ctrl+Z has a change to take back.
  bool CanUndo() const { return !changes_.Empty(); }

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // What the line offers now; nothing for a line that offers only copying.
  std::optional<LineOffer> OfferOf(const QListWidgetItem* item) const;
  // Chooses the first line that shows `field`.
  void Select(int field);
  QMenu* PopupMenu(QListWidgetItem* item, const QPoint& global);
  // The field's values as radio items of `menu`.
  void AddValues(QMenu* menu, const AhField& field, const std::vector<OfferedValue>& values);

  const ComposePage& page_;
  QListWidget* list_;
  Window& window_;
  std::function<void(const QString&)> press_;
  ChangeHistory changes_;
};

}  // namespace ostrolen
