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

#include "app/line_explain.h"
#include "core/shell.h"

namespace ostrolen {
namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Takes a value only as the number editor takes it; a long text that is
// no value is not typed at all.
class FieldValidator : public QValidator {
 public:
  FieldValidator(LineOffer offer, QObject* parent) : QValidator(parent), offer_(std::move(offer)) {}
  State validate(QString& input, int& /*pos*/) const override {
    if (EditedNumber(offer_, input.toStdString())) return Acceptable;
    return input.size() <= 18 ? Intermediate : Invalid;
  }

 private:
  LineOffer offer_;
};

}  // namespace

LineEditing::LineEditing(const ComposePage& page, QListWidget* list, Window& window,
                         std::function<void(const QString&)> press, QWidget* sheet)
    : QObject(list), page_(page), list_(list), window_(window), press_(std::move(press)) {
  list->installEventFilter(this);
  list->viewport()->installEventFilter(this);
  connect(list, &QListWidget::itemDoubleClicked, this, &LineEditing::Activate);
  auto* undo = new QAction(FromUtf8(shell::kUndoChange), sheet);
  undo->setObjectName(QStringLiteral("UndoLineEdit"));
  undo->setShortcut(QKeySequence::Undo);
  undo->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  connect(undo, &QAction::triggered, this, &LineEditing::Undo);
  sheet->addAction(undo);
}

std::optional<LineOffer> LineEditing::OfferOf(const QListWidgetItem* item) const {
  const std::optional<LineOrigin> origin = OriginOf(item);
  if (!origin) return std::nullopt;
  return OfferOfLine(window_, page_.controls.list, origin->field);
}

const AhField* LineEditing::FieldOf(const QListWidgetItem* item) const {
  const std::optional<LineOffer> offer = OfferOf(item);
  return offer ? offer->field : nullptr;
}

QMenu* LineEditing::Menu(QListWidgetItem* item) {
  auto* menu = new QMenu(list_);
  if (const std::optional<LineOffer> offer = OfferOf(item)) {
    if (offer->number) {
      QAction* edit = menu->addAction(FromUtf8(shell::kEditNumber));
      connect(edit, &QAction::triggered, this, [this, item] { EditNumber(item); });
    } else {
      AddValues(menu, *offer->field, offer->values);
    }
    if (offer->form != nullptr) AddValues(menu->addMenu(FromUtf8(shell::kFormMenu)), *offer->form, offer->forms);
    menu->addSeparator();
  }
  menu->addActions(list_->actions());
  return menu;
}

void LineEditing::AddValues(QMenu* menu, const AhField& field, const std::vector<OfferedValue>& values) {
  // One of the values: drawn as radio items.
  auto* group = new QActionGroup(menu);
  connect(group, &QActionGroup::triggered, this,
          [this, field = &field](const QAction* action) { Set(*field, action->data().toUInt()); });
  for (const OfferedValue& value : values) {
    QAction* action = menu->addAction(FromUtf8(value.text));
    action->setData(value.value);
    action->setCheckable(true);
    action->setChecked(value.current);
    action->setActionGroup(group);
  }
}

void LineEditing::Activate(QListWidgetItem* item) {
  const std::optional<LineOffer> offer = OfferOf(item);
  switch (ActivationOf(offer)) {
    case Activation::None: return;
    case Activation::EditNumber: EditNumber(item); return;
    case Activation::Toggle: Set(*offer->field, *offer->toggle); return;
    case Activation::OpenMenu: {
      const QRect rect = list_->visualItemRect(item);
      PopupMenu(item, list_->viewport()->mapToGlobal(rect.bottomLeft()));
      return;
    }
  }
}

QDialog* LineEditing::EditNumber(QListWidgetItem* item) {
  const std::optional<LineOffer> offer = OfferOf(item);
  if (ActivationOf(offer) != Activation::EditNumber) return nullptr;
  auto* dialog = new QDialog(list_->window());
  dialog->setObjectName(QStringLiteral("NumberEditor"));
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowTitle(FromUtf8(offer->number->caption));
  auto* layout = new QVBoxLayout(dialog);
  auto* label = new QLabel(FromUtf8(offer->number->label), dialog);
  label->setTextFormat(Qt::PlainText);
  layout->addWidget(label);
  auto* edit = new QLineEdit(FromUtf8(offer->number->value), dialog);
  edit->setValidator(new FieldValidator(*offer, edit));
  edit->selectAll();
  label->setBuddy(edit);
  layout->addWidget(edit);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(FromUtf8(shell::kOk));
  buttons->button(QDialogButtonBox::Cancel)->setText(FromUtf8(shell::kCancel));
  layout->addWidget(buttons);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  connect(edit, &QLineEdit::textChanged, ok, [edit, ok] { ok->setEnabled(edit->hasAcceptableInput()); });
  connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  connect(dialog, &QDialog::accepted, this, [this, offer = *offer, edit] {
    if (const auto value = EditedNumber(offer, edit->text().toStdString())) Set(*offer.field, *value);
  });
  dialog->open();
  return dialog;
}

bool LineEditing::Set(const AhField& field, std::uint32_t value) {
  const std::optional<LineOrigin> from = OriginOf(list_->currentItem());
  const std::optional<LineChange> change = ApplyToLine(window_, page_, field, value, from ? from->field : -1);
  if (!change) return false;
  changes_.Add(*change);
  press_(FromUtf8(change->button));
  Select(change->line_field);
  return true;
}

bool LineEditing::Undo() {
  const std::optional<LineChange> change = changes_.Undo(window_);
  if (!change) return false;
  press_(FromUtf8(change->button));
  Select(change->line_field);
  return true;
}

void LineEditing::Select(int field) {
  std::vector<std::optional<LineOrigin>> origins;
  origins.reserve(static_cast<std::size_t>(list_->count()));
  for (int row = 0; row < list_->count(); ++row) origins.push_back(OriginOf(list_->item(row)));
  std::vector<const LineOrigin*> lines;
  lines.reserve(origins.size());
  for (const std::optional<LineOrigin>& origin : origins) lines.push_back(origin ? &*origin : nullptr);
  const int row = LineOfField(lines, field);
  if (row < 0) return;
  list_->setCurrentItem(list_->item(row), QItemSelectionModel::ClearAndSelect);
  list_->scrollToItem(list_->item(row));
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
      if (item != nullptr && item->isSelected() && list_->selectedItems().size() == 1 &&
          ActivationOf(OfferOf(item)) != Activation::None) {
        Activate(item);
        return true;
      }
    }
  }
  return false;
}

}  // namespace ostrolen
