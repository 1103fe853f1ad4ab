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

// A box or a list: its base is the look's box colour, not the window's.
constexpr const char* kBoxBaseProperty = "ostrolenBoxBase";

shell::Look look_now = shell::Look::Light;
int zoom_now = 100;

// What a widget made from the page's declaration was declared with, so that
// a zoom can lay it out again: its rectangle (a label's width 0: its text's)
// and its font's pixel size.
constexpr const char* kDeclaredRect = "ostrolenDeclaredRect";
constexpr const char* kDeclaredFont = "ostrolenDeclaredFont";
constexpr const char* kDeclaredIcon = "ostrolenDeclaredIcon";

void Declare(QWidget* widget, QRect rect, int font_pixels) {
  widget->setProperty(kDeclaredRect, rect);
  widget->setProperty(kDeclaredFont, font_pixels);
}

// A label's place: its declared width, or its text's in its font.
void PlaceLabel(QLabel* label, QRect declared) {
  const QFontMetrics metrics(label->font());
  const int width = declared.width() > 0 ? Zoomed(declared.width()) : metrics.horizontalAdvance(label->text()) + 4;
  label->setGeometry(Zoomed(declared.x()), Zoomed(declared.y()), width, metrics.height() + 2);
}

void PaintBoxBase(QWidget* widget) {
  widget->setProperty(kBoxBaseProperty, true);
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Base, Colour(LookNow().box));
  widget->setPalette(palette);
}

// Every line of a result list at the list's own line height.
class LineHeightDelegate : public QStyledItemDelegate {
 public:
  LineHeightDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), Zoomed(height_)};
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
    QPen pen(Colour(LookNow().focus_frame), width);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.drawRect(rect().adjusted(width / 2, width / 2, -(width + 1) / 2, -(width + 1) / 2));
  }
};

QLineEdit* MakeBox(const BoxSpec& spec, QWidget* sheet) {
  auto* box = new QLineEdit(sheet);
  box->setObjectName(FromUtf8(spec.name));
  Declare(box, QRect(spec.x, spec.y, spec.width, spec.height), shell::kBoxFontPixels);
  box->setGeometry(Zoomed(QRect(spec.x, spec.y, spec.width, spec.height)));
  box->setMaxLength(spec.max_length);
  box->setFont(PageFont(Zoomed(shell::kBoxFontPixels), true));
  box->setAlignment(spec.max_length == 1 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
  box->setTextMargins(0, 0, 0, 0);
  PaintBoxBase(box);
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
  label->setFont(PageFont(Zoomed(spec.pixel_size), spec.bold));
  label->setTextFormat(Qt::PlainText);
  Declare(label, QRect(spec.x, spec.y, spec.width, 0), spec.pixel_size);
  PlaceLabel(label, QRect(spec.x, spec.y, spec.width, 0));
  if (spec.width > 0) label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  return label;
}

QListWidget* MakeList(const ListSpec& spec, QWidget* sheet) {
  auto* list = new QListWidget(sheet);
  list->setObjectName(FromUtf8(spec.name));
  Declare(list, QRect(spec.x, spec.y, spec.width, spec.height), spec.pixel_size);
  list->setGeometry(Zoomed(QRect(spec.x, spec.y, spec.width, spec.height)));
  list->setFont(PageFont(Zoomed(spec.pixel_size), spec.bold));
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->setSortingEnabled(false);
  list->setItemDelegate(new LineHeightDelegate(spec.line_height, list));
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  PaintBoxBase(list);
  return list;
}

QToolButton* MakeButton(const ButtonSpec& spec, QWidget* sheet) {
  auto* button = new PageButton(sheet);
  button->setObjectName(FromUtf8(spec.name));
  Declare(button, QRect(spec.x, spec.y, spec.width, spec.height), shell::kPageFontPixels);
  button->setGeometry(Zoomed(QRect(spec.x, spec.y, spec.width, spec.height)));
  button->setAutoRaise(true);
  button->setFont(PageFont(Zoomed(shell::kPageFontPixels), false));
  button->setIcon(ButtonIcon(spec.picture));
  const int icon = std::min(spec.height - 6, spec.caption.empty() ? spec.width - 6 : 24);
  button->setProperty(kDeclaredIcon, icon);
  button->setIconSize(QSize(Zoomed(icon), Zoomed(icon)));
  if (spec.caption.empty()) {
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
  } else {
    button->setText(FromUtf8(spec.caption));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  }
  return button;
}

}  // namespace

void SetUpLook(shell::Look look) {
  look_now = look;
  const shell::LookColours& c = LookNow();
  // One look on every desktop: the window face in the classic grey of an
  // active window border (or its dark counterpart).
  if (QApplication::style()->name().compare(QStringLiteral("fusion"), Qt::CaseInsensitive) != 0) {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  }
  QPalette palette = QApplication::style()->standardPalette();
  palette.setColor(QPalette::Window, Colour(c.face));
  palette.setColor(QPalette::Button, Colour(c.face));
  // Menus, the search list, the table and the dialogs' text fields.
  palette.setColor(QPalette::Base, Colour(c.menu));
  palette.setColor(QPalette::AlternateBase, Colour(c.heading));
  palette.setColor(QPalette::ToolTipBase, Colour(c.menu));
  palette.setColor(QPalette::ToolTipText, Colour(c.text));
  // The bevels of frames and buttons.
  palette.setColor(QPalette::Light, Colour(c.light));
  palette.setColor(QPalette::Midlight, Colour(c.light));
  palette.setColor(QPalette::Mid, Colour(c.shadow));
  palette.setColor(QPalette::Dark, Colour(c.dark));
  palette.setColor(QPalette::Shadow, Colour(c.dark));
  // The selection and the focus read on the window face and in the boxes.
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, QPalette::Highlight, Colour(c.highlight));
    palette.setColor(group, QPalette::HighlightedText, Colour(c.highlighted_text));
    palette.setColor(group, QPalette::WindowText, Colour(c.text));
    palette.setColor(group, QPalette::Text, Colour(c.text));
    palette.setColor(group, QPalette::ButtonText, Colour(c.text));
  }
  for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    palette.setColor(QPalette::Disabled, role, Colour(c.disabled));
  }
  // A hint in an empty box (the search box's), greyed yet readable.
  if (look == shell::Look::Dark) palette.setColor(QPalette::PlaceholderText, Colour(c.quiet));
  QApplication::setPalette(palette);
  // The boxes and lists made so far.
  for (QWidget* widget : QApplication::allWidgets()) {
    if (widget->property(kBoxBaseProperty).toBool()) PaintBoxBase(widget);
  }
  // The pages are laid out for this face; fall back on faces of like metrics.
  QFont::insertSubstitutions(FromUtf8(shell::kFontFamily), {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                                            QStringLiteral("DejaVu Sans")});
}

const shell::LookColours& LookNow() { return shell::ColoursOf(look_now); }

int ZoomNow() { return zoom_now; }

int Zoomed(int pixels) { return (pixels * zoom_now + 50) / 100; }

QRect Zoomed(QRect rect) {
  // The edges scaled, so that widgets side by side stay side by side.
  const int left = Zoomed(rect.x());
  const int top = Zoomed(rect.y());
  return {left, top, Zoomed(rect.x() + rect.width()) - left, Zoomed(rect.y() + rect.height()) - top};
}

QSize ZoomedWindowSize() { return {Zoomed(shell::kWindowWidth), Zoomed(shell::kWindowHeight)}; }

void ZoomPages(int zoom, QWidget* window) {
  static const QFont kOwnFont = QApplication::font();
  zoom_now = zoom;
  // The toolkit's own texts (tabs, the toolbar, menus, dialogs) in the zoomed size.
  QFont font = kOwnFont;
  if (font.pixelSize() > 0) {
    font.setPixelSize(Zoomed(kOwnFont.pixelSize()));
  } else {
    font.setPointSizeF(kOwnFont.pointSizeF() * zoom / 100.0);
  }
  QApplication::setFont(font);
  if (window == nullptr) return;
  // Every widget made from a page's declaration, laid out again.
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    const QVariant rect = widget->property(kDeclaredRect);
    if (!rect.isValid()) continue;
    QFont own = widget->font();
    own.setPixelSize(Zoomed(widget->property(kDeclaredFont).toInt()));
    widget->setFont(own);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
      PlaceLabel(label, rect.toRect());
      continue;
    }
    widget->setGeometry(Zoomed(rect.toRect()));
    if (auto* button = qobject_cast<QToolButton*>(widget)) {
      const int icon = Zoomed(button->property(kDeclaredIcon).toInt());
      button->setIconSize(QSize(icon, icon));
    }
    if (auto* list = qobject_cast<QListWidget*>(widget)) list->doItemsLayout();
  }
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
