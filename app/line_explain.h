// Explaining a result line on the window: each line keeps the bits it comes
// from, selecting it highlights the boxes that carry them, and its tooltip
// says where they are. Also the accessible names and the Tab order of a
// page's controls.
#pragma once

#include <QColor>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "core/explain.h"
#include "core/layout.h"

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPainter;
class QRect;
class QWidget;

Q_DECLARE_METATYPE(ostrolen::LineOrigin)

namespace ostrolen {

// The item data role that holds a line's LineOrigin.
inline constexpr int kLineOriginRole = Qt::UserRole + 1;

// The background of the boxes behind the selected line, and of the line itself.
QColor ExplainColour();
// The frame drawn around them.
QColor ExplainFrameColour();
void PaintExplainFrame(QPainter& painter, const QRect& rect);
// Set on a list whose selected line lights boxes: its delegate frames that line.
inline constexpr char kExplainsProperty[] = "explains";

// The origin a line was appended with; nothing for a line without one.
std::optional<LineOrigin> OriginOf(const QListWidgetItem* item);

// Stores the origin with the line and, when it has bits, the tooltip that
// names them.
void SetLineOrigin(QListWidgetItem* item, const LineOrigin& origin, const PageLayout& page);

// Highlights the boxes behind the selected line of a page's list; the
// highlight goes when the selection does, when the list is decoded anew
// and when a box changes or a button is pressed.
class LineExplainer : public QObject {
  Q_OBJECT

 public:
  LineExplainer(const PageLayout& page, QListWidget* list, QWidget* sheet);

  // The names of the boxes highlighted now, in the order they were lit.
  QStringList Highlighted() const;
  // Takes the highlight off the boxes.
  void Clear();
  // Highlights the boxes of the selected line, if exactly one is selected.
  void Explain();
  // Lets the selected lines go and takes the highlight off.
  void Forget();

 private:
  const PageLayout& page_;
  QListWidget* list_;
  QWidget* sheet_;
  std::vector<std::pair<QPointer<QLineEdit>, QPalette>> lit_;  // the highlighted boxes with their own palettes
  QList<QPointer<QWidget>> frames_;                            // the frames drawn around them
};

// Sets the accessible names and the Tab order of a built page: the boxes in
// input order, then the buttons, then the list.
void DescribePage(const PageLayout& page, QWidget* sheet);

}  // namespace ostrolen
