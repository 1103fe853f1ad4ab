#include "app/line_explain.h"

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

// The frame around a lit box: the box stands out by more than its fill.
class LitFrame : public QWidget {
 public:
  explicit LitFrame(QLineEdit* box) : QWidget(box->parentWidget()) {
    setObjectName(box->objectName() + QStringLiteral("Lit"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(box->geometry());
    show();
    raise();
  }

 protected:
  void paintEvent(QPaintEvent* /*event*/) override {
    QPainter painter(this);
    PaintExplainFrame(painter, rect());
  }
};

}  // namespace

QColor ExplainColour() { return {shell::kExplainColour.red, shell::kExplainColour.green, shell::kExplainColour.blue}; }

QColor ExplainFrameColour() {
  return {shell::kExplainFrame.red, shell::kExplainFrame.green, shell::kExplainFrame.blue};
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

LineExplainer::LineExplainer(const PageLayout& page, QListWidget* list, QWidget* sheet)
    : QObject(list), page_(page), list_(list), sheet_(sheet) {
  // The selected line in the colour of the boxes it comes from.
  QPalette palette = list->palette();
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, QPalette::Highlight, ExplainColour());
    palette.setColor(group, QPalette::HighlightedText, Qt::black);
  }
  list->setPalette(palette);
  // Its delegate frames the selected line as the lit boxes are framed.
  list->setProperty(kExplainsProperty, true);
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
    if (box) {
      box->setPalette(palette);
      box->setAccessibleDescription(QString());
    }
  }
  lit_.clear();
  for (const QPointer<QWidget>& frame : frames_) delete frame.data();
  frames_.clear();
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
  const QString description =
      selected.size() == 1 ? FromUtf8(LitBoxDescription(selected.front()->text().toStdString())) : QString();
  for (const std::string& name : LitBoxes(page_, chosen)) {
    auto* box = sheet_->findChild<QLineEdit*>(FromUtf8(name));
    if (box == nullptr) continue;
    lit_.emplace_back(box, box->palette());
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, ExplainColour());
    box->setPalette(palette);
    box->setAccessibleDescription(description);
    frames_.push_back(new LitFrame(box));
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
