#include "app/line_explain.h"

#include "app/page_builder.h"

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QToolButton>

#include "core/accessible.h"
#include "core/shell.h"
#include "core/typing.h"
#include "pages/interaction.h"

namespace ostrolen {
namespace {

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QColor ExplainColour() { return {LookNow().explain.red, LookNow().explain.green, LookNow().explain.blue}; }

QColor ExplainFrameColour() {
  return {LookNow().explain_frame.red, LookNow().explain_frame.green, LookNow().explain_frame.blue};
}

void PaintExplainFrame(QPainter& painter, const QRect& rect) {
  const int width = shell::kExplainFramePixels;
  QPen pen(ExplainFrameColour(), width);
  pen.setJoinStyle(Qt::MiterJoin);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect.adjusted(width / 2, width / 2, -(width + 1) / 2, -(width + 1) / 2));
}

std::optional<LineOrigin> OriginOf(const QListWidgetItem* item) {
  if (item == nullptr) return std::nullopt;
  const QVariant data = item->data(kLineOriginRole);
  if (!data.canConvert<LineOrigin>()) return std::nullopt;
  return data.value<LineOrigin>();
}

void SetLineOrigin(QListWidgetItem* item, const LineOrigin& origin, const PageLayout& page) {
  item->setData(kLineOriginRole, QVariant::fromValue(origin));
  // A screen reader reads the tooltip as the line's description.
  if (const std::string tip = LineTip(page, origin); !tip.empty()) {
    item->setToolTip(FromUtf8(tip));
    item->setData(Qt::AccessibleDescriptionRole, FromUtf8(tip));
  }
}

void DescribePage(const PageLayout& page, QWidget* sheet) {
  for (const auto& [control, name] : AccessibleNames(page)) {
    if (auto* widget = sheet->findChild<QWidget*>(FromUtf8(control))) widget->setAccessibleName(FromUtf8(name));
  }
  // Tab runs as typing does: the boxes in input order, then the buttons they
  // press, then the result list.
  std::vector<QWidget*> order;
  for (const std::string& control : TabOrder(page)) {
    if (auto* widget = sheet->findChild<QWidget*>(FromUtf8(control))) order.push_back(widget);
  }
  for (std::size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

}  // namespace ostrolen
