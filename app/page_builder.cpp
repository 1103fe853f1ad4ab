#include "app/page_builder.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QStyleFactory>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <vector>

#include "app/line_explain.h"
#include "app/pictures.h"
#include "app/widget_window.h"
#include "core/shell.h"

namespace ostrolen {
namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QColor Colour(shell::Colour colour) { return {colour.red, colour.green, colour.blue}; }

// Every line of a result list at the list's own line height.
class LineHeightDelegate : public QStyledItemDelegate {
 public:
  LineHeightDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), height_};
  }
  // The selected line of a list that lights boxes is framed as they are.
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    if ((option.state & QStyle::State_Selected) != 0 && option.widget != nullptr &&
        option.widget->property(kExplainsProperty).toBool()) {
      painter->save();
      PaintExplainFrame(*painter, option.rect);
      painter->restore();
    }
  }

 private:
  int height_;
};

// A page button that shows where the focus is by a frame that stands out
// from the window face, not only by Fusion's faint outline.
class PageButton : public QToolButton {
 public:
  using QToolButton::QToolButton;

 protected:
  void paintEvent(QPaintEvent* event) override {
    QToolButton::paintEvent(event);
    if (!hasFocus()) return;
    QPainter painter(this);
    const int width = shell::kFocusFramePixels;
    QPen pen(Colour(shell::kFocusFrame), width);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.drawRect(rect().adjusted(width / 2, width / 2, -(width + 1) / 2, -(width + 1) / 2));
  }
};

QLineEdit* MakeBox(const BoxSpec& spec, QWidget* sheet) {
  auto* box = new QLineEdit(sheet);
  box->setObjectName(FromUtf8(spec.name));
  box->setGeometry(spec.x, spec.y, spec.width, spec.height);
  box->setMaxLength(spec.max_length);
  box->setFont(PageFont(shell::kBoxFontPixels, true));
  box->setAlignment(spec.max_length == 1 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
  box->setTextMargins(0, 0, 0, 0);
  QPalette palette = box->palette();
  palette.setColor(QPalette::Base, Colour(shell::kBoxBackground));
  box->setPalette(palette);
  if (spec.read_only()) {
    box->setReadOnly(true);
    box->setText(FromUtf8(spec.text));
    box->setFocusPolicy(Qt::NoFocus);
  } else if (spec.role == BoxRole::Output) {
    // Every press rewrites the bit rows: Tab passes them by.
    box->setFocusPolicy(Qt::ClickFocus);
  }
  return box;
}

QLabel* MakeLabel(const LabelSpec& spec, QWidget* sheet) {
  auto* label = new QLabel(FromUtf8(spec.text), sheet);
  label->setFont(PageFont(spec.pixel_size, spec.bold));
  label->setTextFormat(Qt::PlainText);
  const QFontMetrics metrics(label->font());
  const int width = spec.width > 0 ? spec.width : metrics.horizontalAdvance(label->text()) + 4;
  label->setGeometry(spec.x, spec.y, width, metrics.height() + 2);
  if (spec.width > 0) label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  return label;
}

QListWidget* MakeList(const ListSpec& spec, QWidget* sheet) {
  auto* list = new QListWidget(sheet);
  list->setObjectName(FromUtf8(spec.name));
  list->setGeometry(spec.x, spec.y, spec.width, spec.height);
  list->setFont(PageFont(spec.pixel_size, spec.bold));
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->setSortingEnabled(false);
  list->setItemDelegate(new LineHeightDelegate(spec.line_height, list));
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  QPalette palette = list->palette();
  palette.setColor(QPalette::Base, Colour(shell::kBoxBackground));
  list->setPalette(palette);
  return list;
}

QToolButton* MakeButton(const ButtonSpec& spec, QWidget* sheet) {
  auto* button = new PageButton(sheet);
  button->setObjectName(FromUtf8(spec.name));
  button->setGeometry(spec.x, spec.y, spec.width, spec.height);
  button->setAutoRaise(true);
  button->setFont(PageFont(shell::kPageFontPixels, false));
  button->setIcon(ButtonIcon(spec.picture));
  const int icon = std::min(spec.height - 6, spec.caption.empty() ? spec.width - 6 : 24);
  button->setIconSize(QSize(icon, icon));
  if (spec.caption.empty()) {
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
  } else {
    button->setText(FromUtf8(spec.caption));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  }
  return button;
}

}  // namespace

void SetUpLook() {
  // One look on every desktop: the window face in the classic grey of an
  // active window border.
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QPalette palette = QApplication::palette();
  palette.setColor(QPalette::Window, Colour(shell::kWindowFace));
  palette.setColor(QPalette::Button, Colour(shell::kWindowFace));
  // The selection and the focus read on the window face and in the boxes.
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, QPalette::Highlight, Colour(shell::kHighlight));
    palette.setColor(group, QPalette::HighlightedText, Colour(shell::kHighlightedText));
  }
  palette.setColor(QPalette::WindowText, Colour(shell::kText));
  palette.setColor(QPalette::Text, Colour(shell::kText));
  palette.setColor(QPalette::ButtonText, Colour(shell::kText));
  QApplication::setPalette(palette);
  // The pages are laid out for this face; fall back on faces of like metrics.
  QFont::insertSubstitutions(FromUtf8(shell::kFontFamily), {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                                            QStringLiteral("DejaVu Sans")});
}

QFont PageFont(int pixel_size, bool bold) {
  QFont font(FromUtf8(shell::kFontFamily));
  font.setPixelSize(pixel_size);
  font.setBold(bold);
  return font;
}

void BuildPage(const PageLayout& page, QWidget* sheet, WidgetWindow& window) {
  // Labels first, so that boxes, lists and buttons stack above them.
  for (const LabelSpec& label : page.labels) MakeLabel(label, sheet);
  // Boxes in input order, which makes the Tab order and the typing flow.
  for (const BoxSpec& spec : page.boxes) window.AddBox(MakeBox(spec, sheet));
  for (const ListSpec& spec : page.lists) window.AddList(MakeList(spec, sheet), &page);
  for (const ButtonSpec& spec : page.buttons) MakeButton(spec, sheet);
  DescribePage(page, sheet);
}

}  // namespace ostrolen
