#include "app/input_flow.h"
#include "app/session_view.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <algorithm>
#include <string>
#include <string_view>

#include "core/shell.h"
#include "core/typing.h"
#include "pages/interaction.h"

namespace ostrolen {
namespace {

void FocusBox(QLineEdit* box, Caret caret) {
  box->setFocus(Qt::OtherFocusReason);
  switch (caret) {
    case Caret::All: box->selectAll(); break;
    case Caret::Start: box->home(false); break;
    case Caret::End: box->end(false); break;
  }
}

// The key as the typing rules take it.
Key KeyOf(const QKeyEvent* event) {
  Key key;
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  key.shift = (modifiers & Qt::ShiftModifier) != 0;
  key.ctrl = (modifiers & Qt::ControlModifier) != 0;
  key.alt = (modifiers & Qt::AltModifier) != 0;
  key.meta = (modifiers & Qt::MetaModifier) != 0;
  if (event->matches(QKeySequence::Paste)) {
    key.code = Key::Code::Paste;
    if (const QClipboard* clipboard = QGuiApplication::clipboard()) key.text = clipboard->text().toStdString();
    return key;
  }
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: key.code = Key::Code::Enter; break;
    case Qt::Key_Backspace: key.code = Key::Code::Backspace; break;
    case Qt::Key_Left: key.code = Key::Code::Left; break;
    case Qt::Key_Right: key.code = Key::Code::Right; break;
    case Qt::Key_Up: key.code = Key::Code::Up; break;
    case Qt::Key_Down: key.code = Key::Code::Down; break;
    default: {
      const QString text = event->text();
      if (text.isEmpty()) break;
      key.code = Key::Code::Character;
      key.text = text.left(text.at(0).isHighSurrogate() ? 2 : 1).toStdString();
      break;
    }
  }
  return key;
}

}  // namespace

bool IsWordSeparator(QChar c) { return IsWordSeparator(static_cast<char32_t>(c.unicode())); }

QStringList SpreadCharacters(const QString& text) {
  QStringList characters;
  for (const std::string& character : SpreadCharacters(std::string_view(text.toStdString()))) {
    characters << QString::fromStdString(character);
  }
  return characters;
}

InputFlow::InputFlow(const PageLayout& page, std::vector<QLineEdit*> boxes, std::function<void(const QString&)> press,
                     QObject* parent)
    : QObject(parent), page_(page), boxes_(std::move(boxes)), press_(std::move(press)) {
  for (std::size_t i = 0; i < boxes_.size() && i < page.boxes.size(); ++i) {
    if (page.boxes[i].role != BoxRole::Fixed) boxes_[i]->installEventFilter(this);
  }
}

int InputFlow::IndexOf(const QObject* edit) const {
  for (std::size_t i = 0; i < boxes_.size(); ++i) {
    if (boxes_[i] == edit) return static_cast<int>(i);
  }
  return -1;
}

QString InputFlow::EnterButton(const QLineEdit* box) const {
  return QString::fromStdString(ostrolen::EnterButton(page_, IndexOf(box)));
}

void InputFlow::Paste(QLineEdit* box, const QString& text) {
  Key key;
  key.code = Key::Code::Paste;
  key.text = text.toStdString();
  // Exactly what a paste into a plain box does: the text at the cursor, cut at the maximum length.
  if (!Carry(IndexOf(box), key)) box->insert(text);
}

bool InputFlow::Carry(int index, const Key& key) {
  if (index < 0) return false;
  QLineEdit* box = boxes_[static_cast<std::size_t>(index)];
  const BoxState state{box->text().toStdString(), box->cursorPosition(), box->hasSelectedText()};
  const KeyOutcome outcome = KeyInBox(page_, index, state, key);
  for (const KeyAction& action : outcome.actions) {
    if (action.kind == KeyAction::Kind::Press) {
      press_(QString::fromStdString(action.button));
      continue;
    }
    if (action.kind == KeyAction::Kind::Forget) {
      emit Edited();
      continue;
    }
    if (action.box < 0 || static_cast<std::size_t>(action.box) >= boxes_.size()) continue;
    QLineEdit* target = boxes_[static_cast<std::size_t>(action.box)];
    if (action.kind == KeyAction::Kind::Write) {
      target->setText(QString::fromStdString(action.text));
    } else if (action.kind == KeyAction::Kind::EraseLast) {
      target->backspace();
    } else {
      FocusBox(target, action.caret);
    }
  }
  return outcome.handled;
}

QMenu* InputFlow::ContextMenu(QLineEdit* box) {
  QMenu* menu = box->createStandardContextMenu();
  // The standard menu names its paste item with the line edit's own translated text.
  const QString paste_text = QCoreApplication::translate("QLineEdit", "&Paste");
  for (QAction* action : menu->actions()) {
    if (action->objectName() != QLatin1String("edit-paste") && !action->text().startsWith(paste_text)) continue;
    action->setObjectName(QStringLiteral("edit-paste"));
    QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
    QObject::connect(action, &QAction::triggered, this, [this, box] {
      if (const QClipboard* clipboard = QGuiApplication::clipboard()) Paste(box, clipboard->text());
    });
  }
  return menu;
}

bool InputFlow::eventFilter(QObject* watched, QEvent* event) {
  const int index = IndexOf(watched);
  if (index < 0) return false;
  if (event->type() == QEvent::KeyPress) return Carry(index, KeyOf(static_cast<QKeyEvent*>(event)));
  QLineEdit* box = boxes_[static_cast<std::size_t>(index)];
  if (event->type() == QEvent::MouseButtonRelease) {
    if (ClickSelectsAll(page_, index, box->hasSelectedText())) box->selectAll();
    return false;
  }
  if (event->type() == QEvent::ContextMenu && PasteSpreads(page_, index)) {
    QMenu* menu = ContextMenu(box);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
    return true;
  }
  return false;
}

QString CopiedLines(const QListWidget* list) {
  std::vector<std::string> lines;
  std::vector<bool> chosen;
  for (int row = 0; row < list->count(); ++row) {
    // A gone line of a compared list is the reference's, not the page's.
    if (list->item(row)->data(kGoneLineRole).toBool()) continue;
    lines.push_back(list->item(row)->text().toStdString());
    chosen.push_back(list->item(row)->isSelected());
  }
  return QString::fromStdString(CopiedText(lines, chosen));
}

namespace {

void CopyLines(const QListWidget* list) {
  if (list->count() == 0) return;
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(CopiedLines(list));
}

// Ctrl+C on a list copies its lines, not just its current line.
class ListCopyKey : public QObject {
 public:
  ListCopyKey(QListWidget* list, int page_step) : QObject(list), list_(list), page_step_(page_step) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != list_) return false;
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) return false;
    // PageUp and PageDown go as many lines as the list declares it shows, less
    // one, passing over gone lines, whatever the font makes of the lines.
    const auto* paged = static_cast<QKeyEvent*>(event);
    if (page_step_ > 0 && paged->modifiers() == Qt::NoModifier &&
        (paged->key() == Qt::Key_PageDown || paged->key() == Qt::Key_PageUp)) {
      if (event->type() == QEvent::KeyPress) Page(paged->key() == Qt::Key_PageDown ? page_step_ : -page_step_);
      return true;
    }
    // Shift+F10 opens the list's menu as the Menu key does, at the current line.
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
      if (event->type() == QEvent::KeyPress) {
        const QListWidgetItem* item = list_->currentItem();
        const QPoint at =
            item != nullptr ? list_->viewport()->mapTo(list_, list_->visualItemRect(item).bottomLeft()) : QPoint(5, 5);
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, list_->mapToGlobal(at), key->modifiers());
        QCoreApplication::sendEvent(list_, &menu);
      }
      event->accept();
      return true;
    }
    if (!static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) return false;
    if (event->type() == QEvent::ShortcutOverride) {
      event->accept();  // the key comes to the list itself
      return true;
    }
    CopyLines(list_);
    return true;
  }

 private:
  void Page(int step) {
    const int n = list_->count();
    if (n == 0) return;
    const auto gone = [this](int row) { return list_->item(row)->data(kGoneLineRole).toBool(); };
    const int from = list_->currentRow();
    const int target = from < 0 ? 0 : std::clamp(from + step, 0, n - 1);
    const int direction = step >= 0 ? 1 : -1;
    int row = target;
    while (row >= 0 && row < n && gone(row)) row += direction;
    if (row < 0 || row >= n) {
      row = target;
      while (row >= 0 && row < n && gone(row)) row -= direction;
    }
    if (row < 0 || row >= n) return;
    list_->setCurrentItem(list_->item(row), QItemSelectionModel::ClearAndSelect);
    list_->scrollToItem(list_->item(row));
  }

  QListWidget* list_;
  int page_step_;
};

}  // namespace

int PageStep(int height, int line_height) { return std::max(1, height / std::max(1, line_height) - 1); }

void MakeListCopyable(QListWidget* list, int page_step) {
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->installEventFilter(new ListCopyKey(list, page_step));
  const std::string_view text = shell::kCopyLines;
  auto* copy = new QAction(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), list);
  copy->setObjectName(QStringLiteral("CopyLines"));
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetShortcut);
  QObject::connect(copy, &QAction::triggered, list, [list] { CopyLines(list); });
  list->addAction(copy);
  list->setContextMenuPolicy(Qt::ActionsContextMenu);
}

}  // namespace ostrolen
