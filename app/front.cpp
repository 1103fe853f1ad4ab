#include "app/front.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/line_explain.h"
#include "app/page_builder.h"
#include "app/table_view.h"
#include "app/widget_window.h"
#include "core/shell.h"
#include "pages/interaction.h"
#include "pages/pages.h"
#include "reader/database.h"
#include "ui/print.h"

namespace ostrolen {
namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QColor ColourOf(shell::Colour colour) { return {colour.red, colour.green, colour.blue}; }

// UTF-16 units before code point `point` of `text`, and back.
int Units(const QString& text, int point) {
  int units = 0;
  for (int n = 0; n < point && units < text.size(); ++n) units += text.at(units).isHighSurrogate() ? 2 : 1;
  return std::min(units, static_cast<int>(text.size()));
}
int Points(const QString& text, int units) { return static_cast<int>(text.left(units).toUcs4().size()); }

// The caret and the anchor of a line edit, in code points.
std::pair<int, int> CaretOf(const QLineEdit* box) {
  const QString text = box->text();
  const int caret = box->cursorPosition();
  int anchor = caret;
  if (box->hasSelectedText()) {
    const int start = box->selectionStart();
    anchor = caret == start ? start + static_cast<int>(box->selectedText().size()) : start;
  }
  return {Points(text, caret), Points(text, anchor)};
}

// The mark drawn before a compared line.
QIcon MarkIcon(Change change, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  QFont font(FromUtf8(shell::kFontFamily));
  font.setPixelSize(size - 2);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(ColourOf(MarkColour(change, LookNow())));
  painter.drawText(pixmap.rect(), Qt::AlignCenter, QString(QChar::fromLatin1(static_cast<char>(change))));
  return QIcon(pixmap);
}

// Draws a list's lines as the list's own delegate does, and after the text of
// a changed line its old value.
class MarkDelegate : public QStyledItemDelegate {
 public:
  MarkDelegate(QAbstractItemDelegate* own, QObject* parent) : QStyledItemDelegate(parent), own_(own) {}

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return own_->sizeHint(option, index);
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    own_->paint(painter, option, index);
    const QString old = index.data(kOldValueRole).toString();
    if (old.isEmpty()) return;
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const int icon = item.decorationSize.width() + 6;
    const int x = option.rect.left() + icon + item.fontMetrics.horizontalAdvance(item.text) + 12;
    painter->save();
    painter->setPen(ColourOf(LookNow().changed));
    const int width = option.rect.right() - x;
    painter->drawText(QRect(x, option.rect.top(), width, option.rect.height()), Qt::AlignVCenter | Qt::AlignLeft,
                      painter->fontMetrics().elidedText(old, Qt::ElideRight, width));
    painter->restore();
  }

 private:
  QAbstractItemDelegate* own_;
};

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

// While the window draws what the controller holds, the widgets' own
// signals are not taken for the operator's; while the operator answers a
// box or a dialog in the midst of it (`applying` false), they are.
class Applying {
 public:
  explicit Applying(bool& flag, bool applying = true) : flag_(flag), was_(flag) { flag_ = applying; }
  ~Applying() { flag_ = was_; }
  Applying(const Applying&) = delete;
  Applying& operator=(const Applying&) = delete;

 private:
  bool& flag_;
  bool was_;
};

}  // namespace

// The key as the controller takes it.
ostrolen::Key KeyOf(const QKeyEvent* event) {
  ostrolen::Key key;
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  key.shift = (modifiers & Qt::ShiftModifier) != 0;
  key.ctrl = (modifiers & Qt::ControlModifier) != 0;
  key.alt = (modifiers & Qt::AltModifier) != 0;
  key.meta = (modifiers & Qt::MetaModifier) != 0;
  using Code = ostrolen::Key::Code;
  if (event->matches(QKeySequence::Paste)) {
    key.code = Code::Paste;
    if (const QClipboard* clipboard = QGuiApplication::clipboard()) key.text = clipboard->text().toStdString();
    return key;
  }
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: key.code = Code::Enter; return key;
    case Qt::Key_Backspace: key.code = Code::Backspace; return key;
    case Qt::Key_Delete: key.code = Code::Delete; return key;
    case Qt::Key_Left: key.code = Code::Left; return key;
    case Qt::Key_Right: key.code = Code::Right; return key;
    case Qt::Key_Up: key.code = Code::Up; return key;
    case Qt::Key_Down: key.code = Code::Down; return key;
    case Qt::Key_Home: key.code = Code::Home; return key;
    case Qt::Key_End: key.code = Code::End; return key;
    case Qt::Key_PageUp: key.code = Code::PageUp; return key;
    case Qt::Key_PageDown: key.code = Code::PageDown; return key;
    case Qt::Key_Escape: key.code = Code::Escape; return key;
    case Qt::Key_Tab: key.code = Code::Tab; return key;
    case Qt::Key_Backtab:
      key.code = Code::Tab;
      key.shift = true;
      return key;
    case Qt::Key_Menu: key.code = Code::Menu; return key;
    case Qt::Key_F10:
      if (key.shift && !key.ctrl && !key.alt && !key.meta) {
        key.code = Code::Menu;
        key.shift = false;
      }
      return key;
    default: break;
  }
  // A letter with Ctrl by its key, whatever text the keyboard gives it.
  if (key.ctrl && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z) {
    key.code = Code::Character;
    key.text = std::string(1, static_cast<char>('a' + (event->key() - Qt::Key_A)));
    return key;
  }
  const QString text = event->text();
  if (text.isEmpty()) return key;
  key.code = Code::Character;
  key.text = text.left(text.at(0).isHighSurrogate() ? 2 : 1).toStdString();
  return key;
}

Front::Front(QMainWindow* form, WidgetWindow& window)
    : QObject(form), form_(form), window_(window), file_(kDatabaseFile) {
  ui::Controller::Options options;
  options.rows = [this]() -> const RowListing* {
    const RowListing& listing = cache_.Rows(file_);
    if (cache_.Listings() == listings_) return nullptr;
    listings_ = cache_.Listings();
    return &listing;
  };
  controller_ = std::make_unique<ui::Controller>(options);
  menu_gone_ = new QTimer(this);
  menu_gone_->setSingleShot(true);
  menu_gone_->setInterval(0);
  connect(menu_gone_, &QTimer::timeout, this, &Front::MenuGone);
}

Front::~Front() {
  // The table's rows are read off the controller: the view goes first.
  delete table_.data();
}

QWidget* Front::WidgetOf(const std::string& control) const {
  const QString name = FromUtf8(control);
  if (QLineEdit* box = boxes_.value(name)) return box;
  if (QListWidget* list = lists_.value(name)) return list;
  if (QToolButton* button = buttons_.value(name)) return button;
  if (control == ui::kSearchBox) return search_box_;
  if (control == ui::kEditorBox) return editor_box_;
  if (control == ui::kHistoryList) return history_list_;
  return nullptr;
}

// ---- The widgets.

void Front::AttachPage(const PageLayout& page, QWidget* sheet) {
  Applying applying(applying_);
  for (const BoxSpec& spec : page.boxes) {
    auto* box = sheet->findChild<QLineEdit*>(FromUtf8(spec.name));
    if (box == nullptr) continue;
    boxes_.insert(box->objectName(), box);
    names_.insert(box, box->objectName());
    box->setText(FromUtf8(controller_->Text(spec.name)));
    if (spec.read_only()) continue;
    box->installEventFilter(this);
    const std::string name = spec.name;
    connect(box, &QLineEdit::textChanged, this, [this, box, name] {
      if (applying_) return;
      const auto [caret, anchor] = CaretOf(box);
      controller_->BoxEdited(name, box->text().toStdString(), caret, anchor);
      Apply();
    });
  }
  for (const ButtonSpec& spec : page.buttons) {
    auto* button = sheet->findChild<QToolButton*>(FromUtf8(spec.name));
    if (button == nullptr) continue;
    buttons_.insert(button->objectName(), button);
    names_.insert(button, button->objectName());
    button->installEventFilter(this);
    const std::string name = spec.name;
    connect(button, &QToolButton::clicked, this, [this, name] {
      controller_->Press(name);
      Apply();
    });
  }
  for (const ListSpec& spec : page.lists) {
    auto* list = sheet->findChild<QListWidget*>(FromUtf8(spec.name));
    if (list == nullptr) continue;
    lists_.insert(list->objectName(), list);
    names_.insert(list, list->objectName());
    names_.insert(list->viewport(), list->objectName());
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->installEventFilter(this);
    list->viewport()->installEventFilter(this);
    list->setContextMenuPolicy(Qt::DefaultContextMenu);
    if (!page.words.empty()) {
      // The chosen line in the colour of the boxes it comes from, framed as they are.
      QPalette palette = list->palette();
      for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Highlight, ExplainColour());
        palette.setColor(group, QPalette::HighlightedText, Qt::black);
      }
      list->setPalette(palette);
      list->setProperty(kExplainsProperty, true);
    }
    const std::string name = spec.name;
    const auto chosen = [this, list, name] {
      if (applying_) return;
      std::vector<int> rows;
      for (const QListWidgetItem* item : list->selectedItems()) rows.push_back(list->row(item));
      controller_->LinesChosen(name, rows, list->currentRow());
      Apply();
    };
    connect(list, &QListWidget::itemSelectionChanged, this, chosen);
    connect(list, &QListWidget::currentRowChanged, this, chosen);
    DrawLines(spec.name);
  }
  if (controller_->Front().sheet == page.sheet) DrawFocus();
}

void Front::AttachSearch(QLineEdit* box, QListWidget* list) {
  search_box_ = box;
  search_list_ = list;
  names_.insert(box, QString::fromLatin1(ui::kSearchBox.data(), static_cast<qsizetype>(ui::kSearchBox.size())));
  box->installEventFilter(this);
  list->viewport()->installEventFilter(this);
  connect(box, &QLineEdit::textChanged, this, [this] {
    if (applying_) return;
    controller_->SearchEdited(search_box_->text().toStdString());
    Apply();
  });
}

void Front::AttachTabs(QTabWidget* tabs) {
  tabs_.push_back(tabs);
  tabs->tabBar()->installEventFilter(this);
  connect(tabs, &QTabWidget::currentChanged, this, [this, tabs](int index) {
    if (applying_ || index < 0) return;
    // A tab clicked puts the focus in its page; chosen with the keys, the focus stays on the tabs.
    const bool keys = tabs->tabBar()->hasFocus() && !tab_clicked_;
    tab_clicked_ = false;
    controller_->ShowPage(tabs->widget(index)->objectName().toStdString(), keys);
    Apply();
  });
}

// ---- Events to intents.

namespace {

// Whether a key the controller left must still not reach the toolkit's own
// handling, which would change what the controller holds behind its back:
// a list's lines looked up by typing, selected with the space, Ctrl+A or the
// arrows at its ends; the arrows leading from a button to its neighbours.
bool ToolkitMayNotHave(QObject* watched, const ostrolen::Key& key) {
  using Code = ostrolen::Key::Code;
  const bool arrow =
      key.code == Code::Left || key.code == Code::Right || key.code == Code::Up || key.code == Code::Down;
  if (qobject_cast<QListWidget*>(watched) != nullptr) {
    const bool plain = !key.ctrl && !key.alt && !key.meta;
    return arrow || (key.code == Code::Character && (plain || (key.ctrl && key.text == "a"))) ||
           key.code == Code::Home || key.code == Code::End || key.code == Code::PageUp || key.code == Code::PageDown ||
           key.code == Code::Delete || key.code == Code::Backspace;
  }
  return arrow && qobject_cast<QAbstractButton*>(watched) != nullptr;
}

}  // namespace

bool Front::Key(QObject* watched, QEvent* event) {
  auto* key = static_cast<QKeyEvent*>(event);
  if (event->type() == QEvent::ShortcutOverride) {
    // The keys the controller takes come to the control, not to a shortcut.
    const ostrolen::Key taken = KeyOf(key);
    if (taken.code == ostrolen::Key::Code::Character && taken.ctrl && !taken.alt && !taken.meta &&
        (taken.text == "z" || taken.text == "c" || taken.text == "a" || taken.text == "v")) {
      event->accept();
      return true;
    }
    if (taken.code == ostrolen::Key::Code::Paste) {
      event->accept();
      return true;
    }
    return false;
  }
  if (event->type() != QEvent::KeyPress) return false;
  // The key lands where the toolkit has the focus and the caret now.
  const std::string control = names_.value(watched).toStdString();
  if (auto* box = qobject_cast<QLineEdit*>(watched)) {
    const auto [caret, anchor] = CaretOf(box);
    controller_->Focused(control, caret, anchor);
  } else if (watched != nullptr && controller_->FocusNow().control != control) {
    controller_->Focused(control, -1, -1);
  }
  const ostrolen::Key taken = KeyOf(key);
  const bool handled =
      taken.code == ostrolen::Key::Code::Paste ? controller_->Paste(taken.text) : controller_->KeyIn(taken);
  Apply();
  if (!handled && ToolkitMayNotHave(watched, taken)) return true;
  return handled;
}

bool Front::ListMouse(QListWidget* list, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick && type != QEvent::MouseButtonRelease &&
      type != QEvent::MouseMove) {
    return false;
  }
  auto* mouse = static_cast<QMouseEvent*>(event);
  const QListWidgetItem* item = list->itemAt(mouse->position().toPoint());
  const int row = item == nullptr ? -1 : list->row(item);
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      if (mouse->button() == Qt::LeftButton || mouse->button() == Qt::RightButton) {
        if (row >= 0 && mouse->button() == Qt::LeftButton) {
          controller_->ClickLine(row, (mouse->modifiers() & Qt::ShiftModifier) != 0,
                                 (mouse->modifiers() & Qt::ControlModifier) != 0);
        } else {
          controller_->FocusOn(list->objectName().toStdString());
        }
        Apply();
      }
      return true;
    case QEvent::MouseButtonDblClick:
      if (row >= 0 && mouse->button() == Qt::LeftButton) {
        controller_->DoubleClickLine(row);
        Apply();
      }
      return true;
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove: return true;
    default: return false;
  }
}

bool Front::eventFilter(QObject* watched, QEvent* event) {
  if (qobject_cast<QTabBar*>(watched) != nullptr) {
    if (event->type() == QEvent::MouseButtonPress) tab_clicked_ = true;
    if (event->type() == QEvent::KeyPress) tab_clicked_ = false;
    return false;
  }
  // The open menu's keys are the controller's too: it moves the active item and chooses.
  if (menu_ && (watched == menu_ || watched->parent() == menu_) && qobject_cast<QMenu*>(watched) != nullptr) {
    if (event->type() == QEvent::ShortcutOverride) {
      event->accept();
      return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
      // A click on an item with a submenu opens it, as Right does: the controller's active item goes there.
      auto* shown = static_cast<QMenu*>(watched);
      const QAction* action = shown->actionAt(static_cast<QMouseEvent*>(event)->position().toPoint());
      const auto at = std::find(menu_actions_.begin(), menu_actions_.end(), action);
      if (action != nullptr && action->menu() != nullptr && at != menu_actions_.end()) {
        controller_->ChooseMenuItem(static_cast<int>(at - menu_actions_.begin()));
        Apply();
      }
      return false;
    }
    if (event->type() != QEvent::KeyPress) return false;
    controller_->KeyIn(KeyOf(static_cast<QKeyEvent*>(event)));
    Apply();
    return true;
  }
  const auto name = names_.constFind(watched);
  // The search list: a click chooses its line; the box keeps the caret.
  if (search_list_ != nullptr && watched == search_list_->viewport()) {
    if (event->type() == QEvent::MouseButtonPress) {
      const QListWidgetItem* item = search_list_->itemAt(static_cast<QMouseEvent*>(event)->position().toPoint());
      if (item != nullptr && item->data(kMatchRole).isValid()) {
        controller_->ChooseMatch(item->data(kMatchRole).toInt());
        Apply();
      }
      return true;
    }
    return event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::MouseButtonDblClick;
  }
  if (history_list_ != nullptr && watched == history_list_->viewport()) {
    return ListMouse(history_list_, event);
  }
  if (name == names_.constEnd()) return false;
  const std::string control = name->toStdString();
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride: return Key(watched, event);
    case QEvent::FocusIn: {
      if (applying_) return false;
      if (auto* box = qobject_cast<QLineEdit*>(watched)) {
        const auto [caret, anchor] = CaretOf(box);
        controller_->Focused(control, caret, anchor);
      } else {
        controller_->Focused(control, -1, -1);
      }
      Apply();
      return false;
    }
    case QEvent::FocusOut:
      if (watched == search_box_ && !applying_ && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        controller_->CloseSearch();
        Apply();
      }
      return false;
    case QEvent::MouseButtonRelease:
      if (auto* box = qobject_cast<QLineEdit*>(watched); box != nullptr && !applying_) {
        const auto [caret, anchor] = CaretOf(box);
        controller_->ClickBox(control, caret, anchor);
        Apply();
      }
      return false;
    case QEvent::ContextMenu: {
      auto* menu = static_cast<QContextMenuEvent*>(event);
      if (auto* box = qobject_cast<QLineEdit*>(watched)) {
        // The box's own menu, whose paste goes to the controller as Ctrl+V does.
        QMenu* standard = box->createStandardContextMenu();
        standard->setAttribute(Qt::WA_DeleteOnClose);
        const QString paste_text = QCoreApplication::translate("QLineEdit", "&Paste");
        for (QAction* action : standard->actions()) {
          if (action->objectName() != QLatin1String("edit-paste") && !action->text().startsWith(paste_text)) continue;
          action->setObjectName(QStringLiteral("edit-paste"));
          QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
          connect(action, &QAction::triggered, this, [this, box] {
            box->setFocus(Qt::OtherFocusReason);
            const auto [caret, anchor] = CaretOf(box);
            controller_->Focused(names_.value(box).toStdString(), caret, anchor);
            if (const QClipboard* clipboard = QGuiApplication::clipboard()) {
              controller_->Paste(clipboard->text().toStdString());
            }
            Apply();
          });
        }
        standard->popup(menu->globalPos());
        return true;
      }
      QListWidget* list = lists_.value(*name);
      if (list == nullptr) return false;
      int row = -1;
      if (menu->reason() == QContextMenuEvent::Keyboard) {
        controller_->KeyIn(ostrolen::Key{ostrolen::Key::Code::Menu, {}, false, false, false, false});
        Apply();
        return true;
      }
      const QPoint at = watched == list->viewport() ? menu->pos() : list->viewport()->mapFrom(list, menu->pos());
      if (const QListWidgetItem* item = list->itemAt(at)) row = list->row(item);
      controller_->MenuOnLine(row);
      Apply();
      return true;
    }
    default: break;
  }
  if (auto* list = lists_.value(*name); list != nullptr && watched == list->viewport()) return ListMouse(list, event);
  return false;
}

// ---- Effects to widgets.

void Front::Apply() {
  std::vector<ui::Effect> effects = controller_->TakeEffects();
  if (effects.empty()) return;
  bool focus = false;
  bool search = false;
  {
    Applying applying(applying_);
    for (ui::Effect& effect : effects) {
      using Kind = ui::Effect::Kind;
      switch (effect.kind) {
        case Kind::Box:
          DrawBox(effect.name, effect.text);
          // A text written puts the toolkit's caret at its end: the controller's goes back.
          if (effect.name == controller_->FocusNow().control) focus = true;
          break;
        case Kind::ClearList:
          if (QListWidget* list = lists_.value(FromUtf8(effect.name))) list->clear();
          break;
        case Kind::AddLine:
          if (QListWidget* list = lists_.value(FromUtf8(effect.name))) list->addItem(FromUtf8(effect.text));
          break;
        case Kind::Lines: DrawLines(effect.name); break;
        case Kind::Selection: DrawSelection(effect.name); break;
        case Kind::Focus: focus = true; break;
        case Kind::Page: DrawTabs(); break;
        case Kind::Menu: DrawMenu(); break;
        case Kind::Editor:
          DrawEditor();
          focus = true;
          break;
        case Kind::History: DrawHistory(); break;
        case Kind::Search: search = true; break;
        case Kind::Message: {
          const Applying answering(applying_, false);
          Message(effect.name, effect.text);
          break;
        }
        case Kind::Read:
          if (read) read(effect.name, std::move(effect.statements));
          break;
        case Kind::CancelReading: ReferenceDatabase().Cancel(); break;
        case Kind::ReadingEnded: break;
        case Kind::Clipboard:
          if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(FromUtf8(effect.text));
          break;
        case Kind::SaveReport:
          if (save_report) save_report();
          break;
        case Kind::Address: break;
        case Kind::Table: DrawTable(); break;
        case Kind::Desk:
          for (const auto& draw : desk_drawers) draw(controller_->DeskNow());
          break;
        case Kind::TableChoice:
          if (table_) table_->DrawChoice();
          break;
        case Kind::SaveTable:
          if (save_table) {
            save_table(effect.name, effect.text);
          } else {
            SaveTable(effect.name, effect.text);
          }
          break;
        case Kind::Print: {
          const Applying answering(applying_, false);
          Print(effect.name, effect.text);
          break;
        }
      }
    }
    if (search) DrawSearch();
    if (focus) DrawFocus();
  }
  // What the drawing itself asked for (a menu closed by the toolkit).
  Apply();
}

void Front::Message(const std::string& kind, const std::string& text) {
  if (kind == "report") {
    window_.InputErrorReport(text);
  } else {
    window_.ShowError(text);
  }
}

void Front::DrawBox(const std::string& name, const std::string& text) {
  QLineEdit* box = boxes_.value(FromUtf8(name));
  if (box != nullptr && box->text() != FromUtf8(text)) box->setText(FromUtf8(text));
}

void Front::DrawLines(const std::string& name) {
  QListWidget* list = lists_.value(FromUtf8(name));
  if (list == nullptr) return;
  const PageLayout* page = FindPageOfList(name);
  const ui::List& view = controller_->ListOf(name);
  const bool marked = std::any_of(view.lines.begin(), view.lines.end(), [](const ui::Line& l) { return l.mark != 0; });
  if (marked && dynamic_cast<MarkDelegate*>(list->itemDelegate()) == nullptr) {
    list->setItemDelegate(new MarkDelegate(list->itemDelegate(), list));
  }
  const int icon = std::max(8, list->fontMetrics().height() - 2);
  if (marked) list->setIconSize(QSize(icon, icon));
  list->clear();
  for (const ui::Line& line : view.lines) {
    auto* item = new QListWidgetItem(FromUtf8(line.text));
    if (page != nullptr && !line.gone) {
      SetLineOrigin(item, line.origin, *page);
    } else if (!line.gone) {
      item->setData(kLineOriginRole, QVariant::fromValue(line.origin));
    }
    if (line.mark != 0) {
      const auto change = static_cast<Change>(line.mark);
      item->setIcon(MarkIcon(change, icon));
      item->setData(kMarkRole, QString(QChar::fromLatin1(line.mark)));
      item->setData(Qt::AccessibleDescriptionRole, FromUtf8(line.description));
      if (!line.old.empty()) item->setData(kOldValueRole, FromUtf8(line.old));
    }
    if (!line.tip.empty()) item->setToolTip(FromUtf8(line.tip));
    if (line.gone) {
      QFont font = list->font();
      font.setStrikeOut(true);
      item->setFont(font);
      item->setForeground(ColourOf(LookNow().gone));
      item->setFlags(Qt::ItemIsEnabled);  // shown where it stood, never chosen
      item->setData(kGoneLineRole, true);
    }
    list->addItem(item);
  }
  DrawSelection(name);
}

void Front::DrawSelection(const std::string& name) {
  QListWidget* list = lists_.value(FromUtf8(name));
  if (list == nullptr) return;
  const ui::List& view = controller_->ListOf(name);
  for (int i = 0; i < list->count() && i < static_cast<int>(view.lines.size()); ++i) {
    list->item(i)->setSelected(view.lines[static_cast<std::size_t>(i)].selected);
  }
  if (view.current >= 0 && view.current < list->count()) {
    list->selectionModel()->setCurrentIndex(list->model()->index(view.current, 0), QItemSelectionModel::NoUpdate);
    list->scrollToItem(list->item(view.current));
  }
  DrawLit(name);
}

void Front::DrawLit(const std::string& list) {
  const std::string& name = list;
  const QString key = FromUtf8(name);
  for (const Lit& lit : lit_.value(key)) {
    if (lit.box) {
      // Its own palette back, in the look the window shows now.
      QPalette palette = lit.palette;
      palette.setColor(QPalette::Base, ColourOf(LookNow().box));
      lit.box->setPalette(palette);
      lit.box->setAccessibleDescription(QString());
    }
    delete lit.frame.data();
  }
  lit_.remove(key);
  const ui::List& view = controller_->ListOf(name);
  QString description;
  int chosen = 0;
  for (const ui::Line& line : view.lines) {
    if (!line.selected) continue;
    ++chosen;
    description = FromUtf8(LitBoxDescription(line.text));
  }
  if (chosen != 1) description.clear();
  std::vector<Lit> lit;
  for (const std::string& box_name : controller_->LitOf(name)) {
    QLineEdit* box = boxes_.value(FromUtf8(box_name));
    if (box == nullptr) continue;
    Lit one{box, box->palette(), nullptr};
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, ExplainColour());
    box->setPalette(palette);
    box->setAccessibleDescription(description);
    one.frame = new LitFrame(box);
    lit.push_back(one);
  }
  if (!lit.empty()) lit_.insert(key, lit);
}

QStringList Front::Highlighted(const QString& list) const {
  QStringList names;
  for (const Lit& lit : lit_.value(list)) {
    if (lit.box) names << lit.box->objectName();
  }
  return names;
}

void Front::DrawFocus() {
  const ui::Focus& focus = controller_->FocusNow();
  QWidget* widget = WidgetOf(focus.control);
  if (widget == nullptr) return;
  if (!widget->hasFocus()) widget->setFocus(Qt::OtherFocusReason);
  if (auto* box = qobject_cast<QLineEdit*>(widget); box != nullptr && focus.caret >= 0) {
    const QString text = box->text();
    const int caret = Units(text, focus.caret);
    const int anchor = Units(text, focus.anchor);
    if (caret == anchor) {
      box->setCursorPosition(caret);
    } else {
      box->setSelection(anchor, caret - anchor);
    }
  }
}

void Front::DrawTabs() {
  for (QTabWidget* tabs : tabs_) {
    const int index = controller_->TabOf(tabs->objectName().toStdString());
    if (tabs->currentIndex() != index) tabs->setCurrentIndex(index);
  }
}

void Front::DrawMenu() {
  const ui::Menu& menu = controller_->MenuNow();
  if (!menu.open) {
    if (menu_) {
      QMenu* closing = menu_;
      menu_ = nullptr;
      closing->hide();
      closing->deleteLater();
    }
    return;
  }
  if (menu_) {
    // The active item moved.
    if (menu.active >= 0 && static_cast<std::size_t>(menu.active) < menu_actions_.size()) {
      QAction* active = menu_actions_[static_cast<std::size_t>(menu.active)];
      if (menu.items[static_cast<std::size_t>(menu.active)].depth == 0) {
        menu_->setActiveAction(active);
      } else if (auto* sub = qobject_cast<QMenu*>(active->parent())) {
        menu_->setActiveAction(sub->menuAction());
        sub->setActiveAction(active);
      }
    }
    return;
  }
  menu_actions_.clear();
  QListWidget* list = lists_.value(FromUtf8(menu.list));
  if (list == nullptr) return;
  auto* shown = new QMenu(list);
  shown->setAttribute(Qt::WA_DeleteOnClose);
  menu_ = shown;
  menu_chosen_ = false;
  QMenu* target = shown;
  QActionGroup* group = nullptr;
  QAction* active = nullptr;
  for (std::size_t i = 0; i < menu.items.size(); ++i) {
    const ui::MenuItem& item = menu.items[i];
    QMenu* into = item.depth == 0 ? shown : target;
    if (item.separator_before) into->addSeparator();
    if (item.act == ui::MenuItem::Act::Submenu) {
      target = shown->addMenu(FromUtf8(item.text));
      target->installEventFilter(this);
      menu_actions_.push_back(target->menuAction());
      group = nullptr;
      if (static_cast<int>(i) == menu.active) active = target->menuAction();
      continue;
    }
    QAction* action = into->addAction(FromUtf8(item.text));
    menu_actions_.push_back(action);
    if (item.checked >= 0) {
      if (group == nullptr || group->parent() != into) group = new QActionGroup(into);
      action->setCheckable(true);
      action->setChecked(item.checked == 1);
      action->setActionGroup(group);
    }
    const int index = static_cast<int>(i);
    connect(action, &QAction::triggered, this, [this, index] {
      menu_chosen_ = true;
      controller_->ChooseMenuItem(index);
      Apply();
    });
    if (index == menu.active && item.depth == 0) active = action;
  }
  // A click away closes the menu, or the menu is dropped; a chosen item comes after this.
  connect(shown, &QObject::destroyed, menu_gone_, qOverload<>(&QTimer::start));
  connect(shown, &QMenu::aboutToHide, this, [this, shown] {
    if (menu_ == shown) menu_ = nullptr;
    menu_gone_->start();
  });
  QPoint at(5, 5);
  if (menu.line >= 0 && menu.line < list->count()) {
    at = list->viewport()->mapTo(list, list->visualItemRect(list->item(menu.line)).bottomLeft());
  }
  shown->installEventFilter(this);
  shown->popup(list->mapToGlobal(at));
  if (active != nullptr) shown->setActiveAction(active);
}

void Front::MenuGone() {
  if (menu_chosen_ || menu_ != nullptr || !controller_->MenuNow().open) return;
  controller_->KeyIn(ostrolen::Key{ostrolen::Key::Code::Escape, {}, false, false, false, false});
  Apply();
}

void Front::DrawEditor() {
  const ui::Editor& editor = controller_->EditorNow();
  if (!editor.open) {
    if (editor_) {
      QDialog* closing = editor_;
      editor_ = nullptr;
      editor_box_ = nullptr;
      editor_ok_ = nullptr;
      closing->close();
    }
    return;
  }
  if (!editor_) {
    QListWidget* list = lists_.value(FromUtf8(editor.list));
    auto* dialog = new QDialog(list != nullptr ? list->window() : form_);
    dialog->setObjectName(QStringLiteral("NumberEditor"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(FromUtf8(editor.caption));
    auto* layout = new QVBoxLayout(dialog);
    auto* label = new QLabel(FromUtf8(editor.label), dialog);
    label->setTextFormat(Qt::PlainText);
    layout->addWidget(label);
    auto* edit = new QLineEdit(dialog);
    edit->setObjectName(FromUtf8(ui::kEditorBox));
    edit->setContextMenuPolicy(Qt::NoContextMenu);
    label->setBuddy(edit);
    layout->addWidget(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(FromUtf8(shell::kOk));
    buttons->button(QDialogButtonBox::Cancel)->setText(FromUtf8(shell::kCancel));
    layout->addWidget(buttons);
    names_.insert(edit, edit->objectName());
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textChanged, this, [this, edit] {
      if (applying_) return;
      controller_->EditorEdited(edit->text().toStdString());
      Apply();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
      controller_->EditorOk();
      Apply();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] {
      controller_->EditorCancel();
      Apply();
    });
    connect(dialog, &QDialog::finished, this, [this, dialog] {
      if (editor_ == dialog && controller_->EditorNow().open) {
        controller_->EditorCancel();
        Apply();
      }
    });
    editor_ = dialog;
    editor_box_ = edit;
    editor_ok_ = buttons->button(QDialogButtonBox::Ok);
    dialog->open();
  }
  if (editor_box_ == nullptr || editor_ok_ == nullptr) return;
  if (editor_box_->text() != FromUtf8(editor.text)) editor_box_->setText(FromUtf8(editor.text));
  editor_ok_->setEnabled(editor.ok);
}

void Front::DrawHistory() {
  const ui::HistoryView& view = controller_->History();
  if (!view.open) {
    if (history_) {
      QDialog* closing = history_;
      history_ = nullptr;
      history_list_ = nullptr;
      closing->close();
    }
    return;
  }
  if (!history_) {
    auto* dialog = new QDialog(form_);
    dialog->setObjectName(QStringLiteral("HistoryView"));
    dialog->setWindowTitle(FromUtf8(shell::kHistoryCaption));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(dialog);
    auto* entries = new QListWidget(dialog);
    entries->setObjectName(FromUtf8(ui::kHistoryList));
    entries->setAccessibleName(FromUtf8(shell::kHistoryCaption));
    entries->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layout->addWidget(entries);
    auto* buttons = new QDialogButtonBox(dialog);
    choose_ = buttons->addButton(FromUtf8(shell::kChooseEntry), QDialogButtonBox::AcceptRole);
    choose_->setObjectName(QStringLiteral("ChooseEntry"));
    compare_ = buttons->addButton(FromUtf8(shell::kCompareEntries), QDialogButtonBox::ActionRole);
    compare_->setObjectName(QStringLiteral("CompareEntries"));
    QPushButton* print = buttons->addButton(FromUtf8(ui::print_text::kCommand), QDialogButtonBox::ActionRole);
    print->setObjectName(QStringLiteral("PrintHistory"));
    QPushButton* close = buttons->addButton(FromUtf8(shell::kCancel), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("CloseHistory"));
    layout->addWidget(buttons);
    names_.insert(entries, entries->objectName());
    entries->installEventFilter(this);
    entries->viewport()->installEventFilter(this);
    connect(entries, &QListWidget::itemSelectionChanged, this, [this, entries] {
      if (applying_) return;
      std::vector<int> rows;
      for (const QListWidgetItem* item : entries->selectedItems()) rows.push_back(entries->row(item));
      controller_->LinesChosen(ui::kHistoryList, rows, entries->currentRow());
      Apply();
    });
    connect(choose_, &QPushButton::clicked, this, [this] {
      controller_->ChooseEntry();
      Apply();
    });
    connect(compare_, &QPushButton::clicked, this, [this] {
      controller_->CompareEntries();
      Apply();
    });
    connect(print, &QPushButton::clicked, this, [this] {
      controller_->Print();
      Apply();
    });
    connect(close, &QPushButton::clicked, this, [this] {
      controller_->CloseHistory();
      Apply();
    });
    connect(dialog, &QDialog::finished, this, [this, dialog] {
      if (history_ == dialog && controller_->History().open) {
        controller_->CloseHistory();
        Apply();
      }
    });
    history_ = dialog;
    history_list_ = entries;
    for (const ui::HistoryEntryView& entry : view.entries) {
      auto* item = new QListWidgetItem(FromUtf8(entry.title), entries);
      item->setData(Qt::UserRole, entry.number);
      item->setToolTip(FromUtf8(entry.tip));
    }
    dialog->resize(Zoomed(420), Zoomed(320));
    // Modal: the window waits while an entry is chosen.
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
  }
  if (history_list_ == nullptr || choose_ == nullptr || compare_ == nullptr) return;
  for (int i = 0; i < history_list_->count() && i < static_cast<int>(view.entries.size()); ++i) {
    history_list_->item(i)->setSelected(view.entries[static_cast<std::size_t>(i)].selected);
  }
  if (view.current >= 0 && view.current < history_list_->count()) {
    history_list_->selectionModel()->setCurrentIndex(history_list_->model()->index(view.current, 0),
                                                     QItemSelectionModel::NoUpdate);
  }
  choose_->setEnabled(view.can_choose);
  compare_->setEnabled(view.can_compare);
}

void Front::DrawSearch() {
  if (search_box_ == nullptr) return;
  const ui::SearchView& view = controller_->Search();
  if (search_box_->text() != FromUtf8(view.text)) search_box_->setText(FromUtf8(view.text));
  search_list_->clear();
  if (!view.open) {
    search_list_->hide();
    return;
  }
  const QColor quiet = ColourOf(LookNow().quiet);
  if (!view.shown.problem.empty()) {
    auto* problem = new QListWidgetItem(FromUtf8(view.shown.problem), search_list_);
    problem->setFlags(Qt::ItemIsEnabled);
    problem->setForeground(quiet);
  }
  const int first = view.shown.problem.empty() ? 0 : 1;
  for (std::size_t i = 0; i < view.shown.lines.size(); ++i) {
    auto* item = new QListWidgetItem(FromUtf8(view.shown.lines[i]), search_list_);
    item->setData(kMatchRole, static_cast<int>(i));
  }
  if (view.shown.lines.empty()) {
    auto* none = new QListWidgetItem(FromUtf8(shell::kSearchNone), search_list_);
    none->setFlags(Qt::ItemIsEnabled);
    none->setForeground(quiet);
  } else if (view.current >= 0) {
    search_list_->setCurrentRow(first + view.current);
  }
  PlaceSearch();
  search_list_->show();
  search_list_->raise();
}

void Front::PlaceSearch() {
  const QPoint at = search_box_->mapTo(form_, QPoint(0, search_box_->height()));
  const int width = std::min(Zoomed(shell::kSearchListWidth), form_->width());
  const int x = std::max(0, std::min(at.x(), form_->width() - width));
  const int rows = std::max(1, search_list_->count());
  const int height = std::min(Zoomed(shell::kSearchListHeight),
                              rows * search_list_->sizeHintForRow(0) + 2 * search_list_->frameWidth());
  search_list_->setGeometry(x, at.y(), width, std::min(height, form_->height() - at.y()));
}

TableDialog* Front::Table() const { return table_.data(); }

void Front::RedrawLists() {
  for (auto it = lists_.constBegin(); it != lists_.constEnd(); ++it) DrawLines(it.key().toStdString());
  DrawSearch();
}

void Front::DrawTable() {
  const ui::TableState& state = controller_->TableNow();
  if (!state.open) {
    if (table_) {
      TableDialog* closing = table_;
      table_ = nullptr;
      closing->close();
    }
    return;
  }
  if (!table_) {
    auto* dialog = new TableDialog(
        *controller_, [this] { Apply(); }, form_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::finished, this, [this, dialog] {
      if (table_ == dialog && controller_->TableNow().open) {
        controller_->CloseTable();
        Apply();
      }
    });
    table_ = dialog;
    // Modal, as the history is: the window waits while the table is open.
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
    dialog->activateWindow();
    dialog->input()->setFocus(Qt::OtherFocusReason);
  }
  table_->Draw();
}

void Front::Print(const std::string& title, const std::string& html) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(FromUtf8(title));
  QWidget* parent = history_ ? static_cast<QWidget*>(history_.data()) : form_;
  if (choose_printer) {
    if (!choose_printer(printer)) return;
  } else {
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(FromUtf8(ui::print_text::kCommand));
    if (dialog.exec() != QDialog::Accepted) return;
  }
  QTextDocument document;
  document.setHtml(FromUtf8(html));
  document.print(&printer);
  if (printer.printerState() == QPrinter::Error) {
    window_.ShowError(std::string(ui::print_text::kFailed) + title);
  }
}

void Front::SaveTable(const std::string& name, const std::string& text) {
  const QString file = QFileDialog::getSaveFileName(table_ ? static_cast<QWidget*>(table_.data()) : form_,
                                                    FromUtf8(ui::table_text::kCaption), FromUtf8(name));
  if (file.isEmpty()) return;
  QFile out(file);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      out.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
    window_.ShowError(("Не удалось записать " + file.toStdString() + ": " + out.errorString().toStdString()));
  }
}

}  // namespace ostrolen
