#include "app/line_explain.h"

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>

#include "core/accessible.h"

namespace ostrolen {
namespace {

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QColor ExplainColour() { return {0xFF, 0xE3, 0x8C}; }

std::vector<WordKind> WordKinds(const PageLayout& page) {
  std::vector<WordKind> kinds;
  kinds.reserve(page.words.size());
  for (const WordSpec& word : page.words) kinds.push_back(word.kind);
  return kinds;
}

std::optional<LineOrigin> OriginOf(const QListWidgetItem* item) {
  if (item == nullptr) return std::nullopt;
  const QVariant data = item->data(kLineOriginRole);
  if (!data.canConvert<LineOrigin>()) return std::nullopt;
  return data.value<LineOrigin>();
}

void SetLineOrigin(QListWidgetItem* item, const LineOrigin& origin, const std::vector<WordKind>& kinds) {
  item->setData(kLineOriginRole, QVariant::fromValue(origin));
  if (!origin.empty()) item->setToolTip(FromUtf8(SourceDescription(origin, kinds)));
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
  const auto forget = [this] {
    list_->clearSelection();
    Clear();
  };
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
  const QList<QListWidgetItem*> selected = list_->selectedItems();
  if (selected.size() != 1) return;
  const std::optional<LineOrigin> origin = OriginOf(selected.front());
  if (!origin || origin->empty()) return;
  for (const std::string& name : BoxesOfOrigin(page_, *origin)) {
    auto* box = sheet_->findChild<QLineEdit*>(FromUtf8(name));
    if (box == nullptr || Highlighted().contains(box->objectName())) continue;
    lit_.emplace_back(box, box->palette());
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, ExplainColour());
    box->setPalette(palette);
  }
}

void DescribePage(const PageLayout& page, QWidget* sheet) {
  for (const auto& [control, name] : AccessibleNames(page)) {
    if (auto* widget = sheet->findChild<QWidget*>(FromUtf8(control))) widget->setAccessibleName(FromUtf8(name));
  }
  // Tab runs as typing does: the boxes in input order, then the buttons they
  // press, then the result list.
  std::vector<QWidget*> order;
  for (const BoxSpec& box : page.boxes) {
    auto* widget = sheet->findChild<QWidget*>(FromUtf8(box.name));
    if (widget != nullptr && (widget->focusPolicy() & Qt::TabFocus) != 0) order.push_back(widget);
  }
  for (const ButtonSpec& button : page.buttons) {
    if (auto* widget = sheet->findChild<QWidget*>(FromUtf8(button.name))) order.push_back(widget);
  }
  for (const ListSpec& list : page.lists) {
    if (auto* widget = sheet->findChild<QWidget*>(FromUtf8(list.name))) order.push_back(widget);
  }
  for (std::size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

}  // namespace ostrolen
