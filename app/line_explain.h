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

// Sets the accessible names and the Tab order of a built page: the boxes in
// input order, then the buttons, then the list.
void DescribePage(const PageLayout& page, QWidget* sheet);

}  // namespace ostrolen
