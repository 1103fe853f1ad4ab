#include "app/session_view.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QListWidget>
#include <QMainWindow>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <string>
#include <vector>

#include "app/widget_window.h"
#include "core/shell.h"
#include "pages/pages.h"

namespace ostrolen {
namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QColor ColourOf(shell::Colour colour) { return {colour.red, colour.green, colour.blue}; }

// The mark drawn before a compared line.
QIcon MarkIcon(Change change, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  QFont font(FromUtf8(shell::kFontFamily));
  font.setPixelSize(size - 2);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(ColourOf(MarkColour(change)));
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
    painter->setPen(ColourOf(shell::kChangedColour));
    const int width = option.rect.right() - x;
    painter->drawText(QRect(x, option.rect.top(), width, option.rect.height()), Qt::AlignVCenter | Qt::AlignLeft,
                      painter->fontMetrics().elidedText(old, Qt::ElideRight, width));
    painter->restore();
  }

  static constexpr int kOldValueRole = Qt::UserRole + 9;

 private:
  QAbstractItemDelegate* own_;
};

}  // namespace

SessionView::SessionView(QMainWindow* form, WidgetWindow& window, QToolBar* toolbar)
    : QObject(form), form_(form), window_(window) {
  keep_ = new QAction(FromUtf8(shell::kKeepReference), this);
  keep_->setObjectName(QStringLiteral("KeepReference"));
  keep_->setShortcut(QKeySequence(FromUtf8(shell::kKeepReferenceKey)));
  connect(keep_, &QAction::triggered, this, &SessionView::KeepReference);
  history_ = new QAction(FromUtf8(shell::kHistoryCommand), this);
  history_->setObjectName(QStringLiteral("ShowHistory"));
  history_->setShortcut(QKeySequence(FromUtf8(shell::kHistoryKey)));
  connect(history_, &QAction::triggered, this, &SessionView::ShowHistory);
  save_ = new QAction(FromUtf8(shell::kSaveHistory), this);
  save_->setObjectName(QStringLiteral("SaveHistory"));
  save_->setShortcut(QKeySequence(FromUtf8(shell::kSaveHistoryKey)));
  connect(save_, &QAction::triggered, this, &SessionView::SaveHistory);
  for (QAction* action : {keep_, history_, save_}) {
    action->setToolTip(action->text() + QStringLiteral(" (") + action->shortcut().toString() + QStringLiteral(")"));
  }
  toolbar->addSeparator();
  toolbar->addAction(keep_);
  toolbar->addAction(history_);
  toolbar->addAction(save_);
}

void SessionView::Press(const QString& button) {
  const std::string name = button.toStdString();
  session_.Press(window_, name);
  if (const PageCommand* command = Session::CommandOfButton(name)) {
    if (const ListSpec* list = FindButton(command->button).page->list()) DrawMarks(QString::fromStdString(list->name));
  }
}

std::optional<QString> SessionView::Open(const QStringList& arguments) {
  std::vector<std::string> args;
  for (const QString& argument : arguments) args.push_back(argument.toStdString());
  const std::optional<Address> address = AddressOfArguments(args);
  if (!address) return QStringLiteral("'") + arguments.join(QLatin1Char(' ')) + QStringLiteral("' names no page");
  const PageCommand* command = FindPageCommand(address->page);
  if (command != nullptr) ShowPageOf(*command);
  if (const std::optional<std::string> error = session_.Open(window_, *address)) return FromUtf8(*error);
  if (const ListSpec* list = FindButton(command->button).page->list()) DrawMarks(QString::fromStdString(list->name));
  return std::nullopt;
}

void SessionView::DrawMarks(const QString& name) {
  auto* list = form_->findChild<QListWidget*>(name);
  const std::vector<ComparedLine>* marks = session_.Marks(name.toStdString());
  if (list == nullptr || marks == nullptr) return;
  if (dynamic_cast<MarkDelegate*>(list->itemDelegate()) == nullptr) {
    list->setItemDelegate(new MarkDelegate(list->itemDelegate(), list));
  }
  const int icon = std::max(8, list->fontMetrics().height() - 2);
  list->setIconSize(QSize(icon, icon));
  int row = 0;
  for (const ComparedLine& line : *marks) {
    QListWidgetItem* item = nullptr;
    if (line.change == Change::Gone) {
      item = new QListWidgetItem(FromUtf8(line.text));
      QFont font = list->font();
      font.setStrikeOut(true);
      item->setFont(font);
      item->setForeground(ColourOf(shell::kGoneColour));
      item->setFlags(Qt::ItemIsEnabled);  // shown where it stood, never chosen
      item->setData(kGoneLineRole, true);
      list->insertItem(row, item);
    } else {
      item = list->item(row);
      if (item == nullptr) break;
    }
    const QString description = FromUtf8(MarkDescription(line));
    item->setIcon(MarkIcon(line.change, icon));
    item->setData(kMarkRole, QString(QChar::fromLatin1(static_cast<char>(line.change))));
    item->setData(Qt::AccessibleDescriptionRole, description);
    if (line.change == Change::Changed) {
      item->setData(MarkDelegate::kOldValueRole, FromUtf8(OldValueText(line)));
    }
    const QString tip = item->toolTip();
    item->setToolTip(tip.isEmpty() ? description : tip + QLatin1Char('\n') + description);
    ++row;
  }
}

void SessionView::ShowPageOf(const PageCommand& command) {
  const ButtonOnPage found = FindButton(command.button);
  if (found.page == nullptr) return;
  for (QWidget* sheet = form_->findChild<QWidget*>(QString::fromStdString(found.page->sheet));
       sheet != nullptr && sheet != form_; sheet = sheet->parentWidget()) {
    QWidget* stack = sheet->parentWidget();
    auto* tabs = qobject_cast<QTabWidget*>(stack == nullptr ? nullptr : stack->parentWidget());
    if (tabs != nullptr && tabs->indexOf(sheet) >= 0) tabs->setCurrentWidget(sheet);
  }
}

const PageCommand* SessionView::CurrentCommand() const {
  for (const QListWidget* list : form_->findChildren<QListWidget*>()) {
    if (!list->isVisible()) continue;
    if (const PageCommand* command = Session::CommandOfList(list->objectName().toStdString())) return command;
  }
  // A page without a result list keeps nothing.
  return nullptr;
}

void SessionView::KeepReference() {
  if (const PageCommand* command = CurrentCommand()) session_.KeepReference(command->name);
}

void SessionView::ShowHistory() {
  if (view_ != nullptr) {
    view_->raise();
    return;
  }
  view_ = new QDialog(form_);
  view_->setObjectName(QStringLiteral("HistoryView"));
  view_->setWindowTitle(FromUtf8(shell::kHistoryCaption));
  view_->setAttribute(Qt::WA_DeleteOnClose);
  connect(view_, &QObject::destroyed, this, [this] { view_ = nullptr; });
  auto* layout = new QVBoxLayout(view_);
  auto* entries = new QListWidget(view_);
  entries->setObjectName(QStringLiteral("HistoryEntries"));
  entries->setAccessibleName(FromUtf8(shell::kHistoryCaption));
  entries->setSelectionMode(QAbstractItemView::ExtendedSelection);
  for (const HistoryEntry* entry : session_.history().Newest()) {
    auto* item = new QListWidgetItem(FromUtf8(EntryTitle(*entry)), entries);
    item->setData(Qt::UserRole, entry->number);
    std::string lines;
    for (const SourcedLine& line : entry->lines) lines += (lines.empty() ? "" : "\n") + line.text;
    item->setToolTip(FromUtf8(lines));
  }
  if (entries->count() > 0) entries->setCurrentRow(0);
  layout->addWidget(entries);
  auto* buttons = new QDialogButtonBox(view_);
  QPushButton* choose = buttons->addButton(FromUtf8(shell::kChooseEntry), QDialogButtonBox::AcceptRole);
  choose->setObjectName(QStringLiteral("ChooseEntry"));
  QPushButton* compare = buttons->addButton(FromUtf8(shell::kCompareEntries), QDialogButtonBox::ActionRole);
  compare->setObjectName(QStringLiteral("CompareEntries"));
  layout->addWidget(buttons);
  const auto update = [this, entries, choose, compare] {
    const QList<QListWidgetItem*> chosen = entries->selectedItems();
    choose->setEnabled(chosen.size() == 1);
    bool same_page = chosen.size() == 2;
    if (same_page) {
      const HistoryEntry* first = session_.history().Find(chosen[0]->data(Qt::UserRole).toInt());
      const HistoryEntry* second = session_.history().Find(chosen[1]->data(Qt::UserRole).toInt());
      same_page = first != nullptr && second != nullptr && first->page == second->page;
    }
    compare->setEnabled(same_page);
  };
  connect(entries, &QListWidget::itemSelectionChanged, this, update);
  connect(entries, &QListWidget::itemActivated, this, [this, entries] { ChooseInView(entries); });
  connect(choose, &QPushButton::clicked, this, [this, entries] { ChooseInView(entries); });
  connect(compare, &QPushButton::clicked, this, [this, entries] { CompareInView(entries); });
  update();
  view_->resize(420, 320);
  // Modal, as in the browser: the window waits while an entry is chosen.
  view_->setWindowModality(Qt::ApplicationModal);
  view_->show();
}

void SessionView::ChooseInView(QListWidget* entries) {
  const QList<QListWidgetItem*> chosen = entries->selectedItems();
  if (chosen.size() != 1) return;
  const int number = chosen[0]->data(Qt::UserRole).toInt();
  const HistoryEntry* entry = session_.history().Find(number);
  if (entry == nullptr) return;
  const PageCommand* command = FindPageCommand(entry->page);
  if (command == nullptr) return;
  view_->close();
  ShowPageOf(*command);
  session_.Choose(window_, number);
  if (const ListSpec* list = FindButton(command->button).page->list()) DrawMarks(QString::fromStdString(list->name));
}

void SessionView::CompareInView(QListWidget* entries) {
  const QList<QListWidgetItem*> chosen = entries->selectedItems();
  if (chosen.size() != 2) return;
  int older = chosen[0]->data(Qt::UserRole).toInt();
  int newer = chosen[1]->data(Qt::UserRole).toInt();
  if (older > newer) std::swap(older, newer);
  const HistoryEntry* entry = session_.history().Find(newer);
  const PageCommand* command = entry == nullptr ? nullptr : FindPageCommand(entry->page);
  if (command == nullptr) return;
  view_->close();
  ShowPageOf(*command);
  if (!session_.CompareEntries(window_, older, newer)) return;
  if (const ListSpec* list = FindButton(command->button).page->list()) DrawMarks(QString::fromStdString(list->name));
}

void SessionView::SaveHistory() {
  const QString path = QFileDialog::getSaveFileName(form_, FromUtf8(shell::kSaveHistory),
                                                    FromUtf8(shell::kHistoryFileName) + QStringLiteral(".html"),
                                                    QStringLiteral("HTML (*.html);;Text (*.txt)"));
  if (path.isEmpty()) return;
  const QFileInfo info(path);
  SaveHistoryTo(info.path() + QLatin1Char('/') + info.completeBaseName());
}

bool SessionView::SaveHistoryTo(const QString& path) const {
  const auto write = [](const QString& name, const std::string& text) {
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size());
  };
  const bool text = write(path + QStringLiteral(".txt"), session_.history().ReportText());
  const bool html = write(path + QStringLiteral(".html"), session_.history().ReportHtml());
  return text && html;
}

}  // namespace ostrolen
