#include "app/line_explain.h"

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QListWidget>
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

QColor ExplainColour() { return {shell::kExplainColour.red, shell::kExplainColour.green, shell::kExplainColour.blue}; }

std::optional<LineOrigin> OriginOf(const QListWidgetItem* item) {
  if (item == nullptr) return std::nullopt;
  const QVariant data = item->data(kLineOriginRole);
  if (!data.canConvert<LineOrigin>()) return std::nullopt;
  return data.value<LineOrigin>();
}

void SetLineOrigin(QListWidgetItem* item, const LineOrigin& origin, const PageLayout& page) {
  item->setData(kLineOriginRole, QVariant::fromValue(origin));
  if (const std::string tip = LineTip(page, origin); !tip.empty()) item->setToolTip(FromUtf8(tip));
}

LineExplainer::LineExplainer(const PageLayout& page, QListWidget* list, QWidget* sheet)
    : QObject(list), page_(page), list_(list), sheet_(sheet) {
  // The selected line in the colour of the boxes it comes from.
  QPalette palette = list->palette();
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, QPalette::Highlight, ExplainColour());
    palette.setColor(group, QPalette::HighlightedText, Qt::black);
  }
  list->setPalette(palette);
  connect(list, &QListWidget::itemSelectionChanged, this, &LineExplainer::Explain);
  // A cleared list has no selection; the list may be on its way out, so
  // only the boxes are touched.
  connect(list->model(), &QAbstractItemModel::modelReset, this, &LineExplainer::Clear);
  const auto forget = [this] { Forget(); };
  for (const BoxSpec& spec : page.boxes) {
    if (auto* box = sheet->findChild<QLineEdit*>(FromUtf8(spec.name)))
      connect(box, &QLineEdit::textChanged, this, forget);
  }
  for (const ButtonSpec& spec : page.buttons) {
    if (auto* button = sheet->findChild<QToolButton*>(FromUtf8(spec.name))) {
      connect(button, &QToolButton::pressed, this, forget);
    }
  }
}

QStringList LineExplainer::Highlighted() const {
  QStringList names;
  for (const auto& [box, palette] : lit_) {
    if (box) names << box->objectName();
  }
  return names;
}

void LineExplainer::Clear() {
  for (const auto& [box, palette] : lit_) {
    if (box) box->setPalette(palette);
  }
  lit_.clear();
}

void LineExplainer::Explain() {
  Clear();
  std::vector<std::optional<LineOrigin>> origins;
  const QList<QListWidgetItem*> selected = list_->selectedItems();
  origins.reserve(static_cast<std::size_t>(selected.size()));
  for (const QListWidgetItem* item : selected) origins.push_back(OriginOf(item));
  std::vector<const LineOrigin*> chosen;
  chosen.reserve(origins.size());
  for (const std::optional<LineOrigin>& origin : origins) chosen.push_back(origin ? &*origin : nullptr);
  for (const std::string& name : LitBoxes(page_, chosen)) {
    auto* box = sheet_->findChild<QLineEdit*>(FromUtf8(name));
    if (box == nullptr) continue;
    lit_.emplace_back(box, box->palette());
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, ExplainColour());
    box->setPalette(palette);
  }
}

void LineExplainer::Forget() {
  list_->clearSelection();
  Clear();
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
