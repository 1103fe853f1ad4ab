#include "app/line_editing.h"

#include <QAction>
#include <QActionGroup>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>
#include <optional>

#include "app/line_explain.h"
#include "core/layout.h"

namespace ostrolen {
namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Takes a value only as its line would show it, or as its bits, and only
// within what the field's bits hold.
class FieldValidator : public QValidator {
 public:
  FieldValidator(const AhField& field, QObject* parent) : QValidator(parent), field_(field) {}
  State validate(QString& input, int& /*pos*/) const override {
    if (ParseFieldValue(field_, input.toStdString())) return Acceptable;
    return input.size() <= 18 ? Intermediate : Invalid;
  }

 private:
  const AhField& field_;
};

}  // namespace

LineEditing::LineEditing(const ComposePage& page, QListWidget* list, Window& window,
                         std::function<void(const QString&)> press, QWidget* sheet)
    : QObject(list), page_(page), list_(list), window_(window), press_(std::move(press)) {
  list->installEventFilter(this);
  list->viewport()->installEventFilter(this);
  connect(list, &QListWidget::itemDoubleClicked, this, &LineEditing::Activate);
  auto* undo = new QAction(QStringLiteral("Отменить"), sheet);
  undo->setObjectName(QStringLiteral("UndoLineEdit"));
  undo->setShortcut(QKeySequence::Undo);
  undo->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  connect(undo, &QAction::triggered, this, &LineEditing::Undo);
  sheet->addAction(undo);
}

std::vector<std::string> LineEditing::BoxNames() const {
  return EditRange(page_.controls.first, page_.controls.first + 5 * page_.controls.words - 1);
}

int LineEditing::IndexOf(const AhField* field) const {
  const auto& fields = page_.fields->fields;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i] == field) return static_cast<int>(i);
  }
  return -1;
}

const AhField* LineEditing::FieldOf(const QListWidgetItem* item) const {
  const std::optional<LineOrigin> origin = OriginOf(item);
  if (!origin || origin->field < 0) return nullptr;
  const auto& fields = page_.fields->fields;
  if (static_cast<std::size_t>(origin->field) >= fields.size()) return nullptr;
  const AhField* field = fields[static_cast<std::size_t>(origin->field)];
  const std::vector<const AhField*> settable = SettableFields(*page_.fields);
  if (std::find(settable.begin(), settable.end(), field) == settable.end()) return nullptr;
  if (!WordsOnPage(window_, page_)) return nullptr;
  return field;
}

QMenu* LineEditing::Menu(QListWidgetItem* item) {
  auto* menu = new QMenu(list_);
  if (const AhField* field = FieldOf(item)) {
    const std::vector<std::uint16_t> words = *WordsOnPage(window_, page_);
    if (IsNumeric(*field)) {
      QAction* edit = menu->addAction(QStringLiteral("Изменить…"));
      connect(edit, &QAction::triggered, this, [this, item] { EditNumber(item); });
    } else {
      AddValues(menu, *field, GetField(*field, words));
    }
    if (const AhField* form = FormField(*page_.fields)) {
      AddValues(menu->addMenu(QStringLiteral("Форма")), *form, GetField(*form, words));
    }
    menu->addSeparator();
  }
  menu->addActions(list_->actions());
  return menu;
}

void LineEditing::AddValues(QMenu* menu, const AhField& field, std::uint32_t current) {
  // One of the values: drawn as radio items.
  auto* group = new QActionGroup(menu);
  connect(group, &QActionGroup::triggered, this,
          [this, field = &field](const QAction* action) { Set(*field, action->data().toUInt()); });
  for (const FieldChoice& choice : Choices(field)) {
    QAction* action = menu->addAction(FromUtf8(choice.text));
    action->setData(choice.value);
    action->setCheckable(true);
    action->setChecked(choice.value == current);
    action->setActionGroup(group);
  }
}

void LineEditing::Activate(QListWidgetItem* item) {
  const AhField* field = FieldOf(item);
  if (field == nullptr) return;
  if (IsNumeric(*field)) {
    EditNumber(item);
    return;
  }
  const std::vector<FieldChoice> choices = Choices(*field);
  if (choices.size() == 2) {
    const std::uint32_t current = GetField(*field, *WordsOnPage(window_, page_));
    Set(*field, current == choices[0].value ? choices[1].value : choices[0].value);
    return;
  }
  const QRect rect = list_->visualItemRect(item);
  PopupMenu(item, list_->viewport()->mapToGlobal(rect.bottomLeft()));
}

QDialog* LineEditing::EditNumber(QListWidgetItem* item) {
  const AhField* field = FieldOf(item);
  if (field == nullptr || !IsNumeric(*field)) return nullptr;
  const std::uint32_t current = GetField(*field, *WordsOnPage(window_, page_));
  auto* dialog = new QDialog(list_->window());
  dialog->setObjectName(QStringLiteral("NumberEditor"));
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowTitle(FromUtf8(FieldName(*field)));
  auto* layout = new QVBoxLayout(dialog);
  auto* label = new QLabel(QStringLiteral("%1 (от %2 до %3):")
                               .arg(FromUtf8(FieldName(*field)), FromUtf8(ValueText(*field, 0)),
                                    FromUtf8(ValueText(*field, FieldMax(*field)))),
                           dialog);
  layout->addWidget(label);
  auto* edit = new QLineEdit(FromUtf8(ValueText(*field, current)), dialog);
  edit->setValidator(new FieldValidator(*field, edit));
  edit->selectAll();
  label->setBuddy(edit);
  layout->addWidget(edit);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
  layout->addWidget(buttons);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  connect(edit, &QLineEdit::textChanged, ok, [edit, ok] { ok->setEnabled(edit->hasAcceptableInput()); });
  connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  connect(dialog, &QDialog::accepted, this, [this, field, edit] {
    if (const auto value = ParseFieldValue(*field, edit->text().toStdString())) Set(*field, *value);
  });
  dialog->open();
  return dialog;
}

bool LineEditing::Set(const AhField& field, std::uint32_t value) {
  std::optional<std::vector<std::uint16_t>> words = WordsOnPage(window_, page_);
  if (!words) return false;
  Change change;
  for (const std::string& name : BoxNames()) change.boxes << FromUtf8(window_.Text(name));
  change.field = IndexOf(&field);
  if (change.field < 0) {
    // A form switch: keep the line the operator chose it from.
    const std::optional<LineOrigin> origin = OriginOf(list_->currentItem());
    if (origin) change.field = origin->field;
  }
  undo_.push_back(change);
  SetField(*page_.fields, field, *words, value);
  WriteWords(window_, page_, *words);
  press_(FromUtf8(page_.button));
  Select(change.field);
  return true;
}

bool LineEditing::Undo() {
  if (undo_.empty()) return false;
  const Change change = undo_.back();
  undo_.pop_back();
  const std::vector<std::string> names = BoxNames();
  for (std::size_t i = 0; i < names.size() && i < static_cast<std::size_t>(change.boxes.size()); ++i) {
    window_.SetText(names[i], change.boxes[static_cast<qsizetype>(i)].toStdString());
  }
  press_(FromUtf8(page_.button));
  Select(change.field);
  return true;
}

void LineEditing::Select(int index) {
  if (index < 0) return;
  for (int row = 0; row < list_->count(); ++row) {
    const std::optional<LineOrigin> origin = OriginOf(list_->item(row));
    if (origin && origin->field == index) {
      list_->setCurrentItem(list_->item(row), QItemSelectionModel::ClearAndSelect);
      list_->scrollToItem(list_->item(row));
      return;
    }
  }
}

QMenu* LineEditing::PopupMenu(QListWidgetItem* item, const QPoint& global) {
  QMenu* menu = Menu(item);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(global);
  return menu;
}

bool LineEditing::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ContextMenu) {
    auto* context = static_cast<QContextMenuEvent*>(event);
    QListWidgetItem* item = nullptr;
    if (watched == list_->viewport()) {
      item = list_->itemAt(context->pos());
    } else if (context->reason() == QContextMenuEvent::Keyboard) {
      item = list_->currentItem();
    } else {
      item = list_->itemAt(list_->viewport()->mapFrom(list_, context->pos()));
    }
    PopupMenu(item, context->globalPos());
    return true;
  }
  if (watched == list_ && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
    auto* key = static_cast<QKeyEvent*>(event);
    // Ctrl+Z in the list takes back the last change made from its lines.
    if (key->matches(QKeySequence::Undo)) {
      if (event->type() == QEvent::ShortcutOverride) {
        key->accept();
      } else {
        Undo();
      }
      return true;
    }
    if (event->type() != QEvent::KeyPress) return false;
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier) {
      QListWidgetItem* item = list_->currentItem();
      if (item != nullptr && item->isSelected() && FieldOf(item) != nullptr) {
        Activate(item);
        return true;
      }
    }
  }
  return false;
}

}  // namespace ostrolen
