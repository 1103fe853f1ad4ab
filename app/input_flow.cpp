#include "app/input_flow.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <string>
#include <string_view>

#include "core/typing.h"

namespace ostrolen {
namespace {

enum class Caret { All, Start, End };

void FocusBox(QLineEdit* box, Caret caret) {
  box->setFocus(Qt::OtherFocusReason);
  switch (caret) {
    case Caret::All: box->selectAll(); break;
    case Caret::Start: box->home(false); break;
    case Caret::End: box->end(false); break;
  }
}

// A key that types into a box: a printable character without Ctrl, Alt or Meta.
bool Typed(const QKeyEvent* key) {
  if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  const QString text = key->text();
  return !text.isEmpty() && text.at(0).isPrint();
}

// Arrow keys with Shift or Ctrl select or jump by words inside a box, as usual.
bool PlainArrow(const QKeyEvent* key) {
  return !(key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
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
    : QObject(parent), page_(page), press_(std::move(press)) {
  for (std::size_t i = 0; i < boxes.size() && i < page.boxes.size(); ++i) {
    boxes_.push_back({&page.boxes[i], boxes[i]});
    if (page.boxes[i].role != BoxRole::Fixed) boxes[i]->installEventFilter(this);
  }
  // Tab runs through the input boxes in input order.
  QLineEdit* before = nullptr;
  for (std::size_t i = 0; i < boxes_.size(); ++i) {
    if (!IsInput(static_cast<int>(i))) continue;
    if (before != nullptr) QWidget::setTabOrder(before, boxes_[i].edit);
    before = boxes_[i].edit;
  }
}

bool InputFlow::IsInput(int index) const { return IsInputBox(page_, index); }

bool InputFlow::IsSingle(int index) const { return IsSingleBox(page_, index); }

int InputFlow::IndexOf(const QObject* edit) const {
  for (std::size_t i = 0; i < boxes_.size(); ++i) {
    if (boxes_[i].edit == edit) return static_cast<int>(i);
  }
  return -1;
}

int InputFlow::Previous(int index) const { return PreviousInputBox(page_, index); }

int InputFlow::Next(int index) const { return NextInputBox(page_, index); }

int InputFlow::NextOfPress(int index) const { return NextBoxOfPress(page_, index); }

int InputFlow::RowNeighbour(int index, int step) const { return ostrolen::RowNeighbour(page_, index, step); }

QString InputFlow::EnterButton(const QLineEdit* box) const {
  return QString::fromStdString(ostrolen::EnterButton(page_, IndexOf(box)));
}

void InputFlow::Paste(QLineEdit* box, const QString& text) {
  const int index = IndexOf(box);
  const PastePlan plan = PlanPaste(page_, index, text.toStdString());
  if (plan.plain) {
    // Exactly what a paste into a plain box does: the text at the cursor, cut at the maximum length.
    box->insert(text);
    return;
  }
  for (const PastePlan::Write& write : plan.writes) {
    boxes_[static_cast<std::size_t>(write.box)].edit->setText(QString::fromStdString(write.text));
  }
  if (plan.focus >= 0) FocusBox(boxes_[static_cast<std::size_t>(plan.focus)].edit, Caret::All);
}

bool InputFlow::KeyPressed(int index, QKeyEvent* key) {
  QLineEdit* box = boxes_[static_cast<std::size_t>(index)].edit;
  if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
    const QString button = EnterButton(box);
    if (!button.isEmpty()) press_(button);
    return true;
  }
  if (!IsInput(index)) return false;
  if (key->matches(QKeySequence::Paste)) {
    if (!IsSingle(index)) return false;
    if (const QClipboard* clipboard = QGuiApplication::clipboard()) Paste(box, clipboard->text());
    return true;
  }
  const bool single = IsSingle(index);
  switch (key->key()) {
    case Qt::Key_Backspace: {
      if (!PlainArrow(key)) return false;
      if (!box->text().isEmpty()) {
        if (!single) return false;
        box->clear();
        return true;
      }
      const int previous = Previous(index);
      if (previous < 0) return true;
      QLineEdit* back = boxes_[static_cast<std::size_t>(previous)].edit;
      FocusBox(back, Caret::End);
      if (IsSingle(previous)) {
        back->clear();
      } else {
        back->backspace();
      }
      return true;
    }
    case Qt::Key_Left: {
      if (!PlainArrow(key) || (!single && (box->cursorPosition() > 0 || box->hasSelectedText()))) return false;
      const int previous = Previous(index);
      if (previous >= 0)
        FocusBox(boxes_[static_cast<std::size_t>(previous)].edit, IsSingle(previous) ? Caret::All : Caret::End);
      return true;
    }
    case Qt::Key_Right: {
      if (!PlainArrow(key) || (!single && (box->cursorPosition() < box->text().size() || box->hasSelectedText()))) {
        return false;
      }
      const int next = Next(index);
      if (next >= 0) FocusBox(boxes_[static_cast<std::size_t>(next)].edit, IsSingle(next) ? Caret::All : Caret::Start);
      return true;
    }
    case Qt::Key_Up:
    case Qt::Key_Down: {
      if (!PlainArrow(key)) return false;
      const int other = RowNeighbour(index, key->key() == Qt::Key_Up ? -1 : 1);
      if (other >= 0) FocusBox(boxes_[static_cast<std::size_t>(other)].edit, Caret::All);
      return true;
    }
    default: break;
  }
  if (single && Typed(key)) {
    // The character fills an empty box (or replaces its selected one); a full
    // box keeps its character. Either way the next box is ready for the next.
    if (box->text().isEmpty() || box->hasSelectedText()) {
      box->insert(key->text().left(key->text().at(0).isHighSurrogate() ? 2 : 1));
    }
    if (const int next = NextOfPress(index); next >= 0)
      FocusBox(boxes_[static_cast<std::size_t>(next)].edit, Caret::All);
    return true;
  }
  return false;
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
  if (event->type() == QEvent::KeyPress) return KeyPressed(index, static_cast<QKeyEvent*>(event));
  if (event->type() == QEvent::MouseButtonRelease && IsInput(index) && IsSingle(index)) {
    // A click into a one-character box readies it for a new character.
    QLineEdit* box = boxes_[static_cast<std::size_t>(index)].edit;
    if (!box->hasSelectedText()) box->selectAll();
    return false;
  }
  if (event->type() == QEvent::ContextMenu && IsInput(index) && IsSingle(index)) {
    QMenu* menu = ContextMenu(boxes_[static_cast<std::size_t>(index)].edit);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
    return true;
  }
  return false;
}

QString CopiedLines(const QListWidget* list) {
  QStringList lines;
  const bool all = list->selectedItems().isEmpty();
  for (int row = 0; row < list->count(); ++row) {
    const QListWidgetItem* item = list->item(row);
    if (all || item->isSelected()) lines << item->text();
  }
  return lines.join(QLatin1Char('\n'));
}

namespace {

void CopyLines(const QListWidget* list) {
  if (list->count() == 0) return;
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(CopiedLines(list));
}

// Ctrl+C on a list copies its lines, not just its current line.
class ListCopyKey : public QObject {
 public:
  explicit ListCopyKey(QListWidget* list) : QObject(list), list_(list) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != list_) return false;
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) return false;
    if (!static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) return false;
    if (event->type() == QEvent::ShortcutOverride) {
      event->accept();  // the key comes to the list itself
      return true;
    }
    CopyLines(list_);
    return true;
  }

 private:
  QListWidget* list_;
};

}  // namespace

void MakeListCopyable(QListWidget* list) {
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->installEventFilter(new ListCopyKey(list));
  auto* copy = new QAction(QStringLiteral("Копировать"), list);
  copy->setObjectName(QStringLiteral("CopyLines"));
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetShortcut);
  QObject::connect(copy, &QAction::triggered, list, [list] { CopyLines(list); });
  list->addAction(copy);
  list->setContextMenuPolicy(Qt::ActionsContextMenu);
}

}  // namespace ostrolen
