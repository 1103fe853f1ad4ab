#include "app/search_box.h"

#include <QAction>
#include <QColor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolBar>

#include "app/input_flow.h"
#include "app/line_editing.h"
#include "app/line_explain.h"
#include "app/widget_window.h"
#include "core/shell.h"
#include "reader/database.h"

namespace ostrolen {
namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The role that holds a line's match number; the problem line has none.
constexpr int kMatchRole = Qt::UserRole + 1;

// A line that is no match to choose: greyed, yet readable.
QColor Quiet() { return {shell::kQuietText.red, shell::kQuietText.green, shell::kQuietText.blue}; }

}  // namespace

SearchBox::SearchBox(QMainWindow* window, QToolBar* toolbar, WidgetWindow& pages,
                     std::function<void(const QString&)> press, RowLister rows)
    : QObject(window),
      window_(window),
      pages_(pages),
      press_(std::move(press)),
      box_(new QLineEdit(toolbar)),
      list_(new QListWidget(window)),
      cache_(std::move(rows)),
      file_(kDatabaseFile) {
  box_->setObjectName(QStringLiteral("SearchBox"));
  box_->setPlaceholderText(FromUtf8(shell::kSearchPrompt));
  box_->setAccessibleName(FromUtf8(shell::kSearchPrompt));
  box_->setClearButtonEnabled(true);
  box_->setFixedWidth(shell::kSearchBoxWidth);
  toolbar->addSeparator();
  toolbar->addWidget(box_);
  box_->installEventFilter(this);

  list_->setObjectName(QStringLiteral("SearchList"));
  list_->setFocusPolicy(Qt::NoFocus);
  list_->setFrameShape(QFrame::Box);
  list_->setUniformItemSizes(true);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_->hide();
  connect(list_, &QListWidget::itemClicked, this, [this](const QListWidgetItem* item) {
    const QVariant match = item->data(kMatchRole);
    if (match.isValid()) Choose(match.toInt());
  });

  auto* find = new QAction(window);
  find->setObjectName(QStringLiteral("SearchAction"));
  find->setShortcut(QKeySequence::Find);
  find->setShortcutContext(Qt::WindowShortcut);
  connect(find, &QAction::triggered, this, [this] {
    box_->setFocus(Qt::ShortcutFocusReason);
    box_->selectAll();
    Refresh();
  });
  window->addAction(find);

  connect(box_, &QLineEdit::textEdited, this, &SearchBox::Refresh);
  connect(box_, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (text.isEmpty()) Close();
  });
}

void SearchBox::Refresh() {
  const RowListing& listing = cache_.Rows(file_);
  if (cache_.Listings() != listings_ || listing.problem != index_.Problem()) {
    listings_ = cache_.Listings();
    index_.SetRows(listing);
  }
  const std::string typed = box_->text().toStdString();
  shown_ = ListOf(index_, typed);
  list_->clear();
  if (FoldForSearch(typed).empty()) return Close();
  if (!shown_.problem.empty()) {
    auto* problem = new QListWidgetItem(FromUtf8(shown_.problem), list_);
    problem->setFlags(Qt::ItemIsEnabled);
    problem->setForeground(Quiet());
  }
  for (std::size_t i = 0; i < shown_.lines.size(); ++i) {
    auto* item = new QListWidgetItem(FromUtf8(shown_.lines[i]), list_);
    item->setData(kMatchRole, static_cast<int>(i));
  }
  if (shown_.lines.empty()) {
    auto* none = new QListWidgetItem(FromUtf8(shell::kSearchNone), list_);
    none->setFlags(Qt::ItemIsEnabled);
    none->setForeground(Quiet());
  } else {
    list_->setCurrentRow(shown_.problem.empty() ? 0 : 1);
  }
  Place();
  list_->show();
  list_->raise();
}

void SearchBox::Place() {
  const QPoint at = box_->mapTo(window_, QPoint(0, box_->height()));
  const int width = std::min(shell::kSearchListWidth, window_->width());
  const int x = std::max(0, std::min(at.x(), window_->width() - width));
  const int rows = std::max(1, list_->count());
  const int height = std::min(shell::kSearchListHeight, rows * list_->sizeHintForRow(0) + 2 * list_->frameWidth());
  list_->setGeometry(x, at.y(), width, std::min(height, window_->height() - at.y()));
}

void SearchBox::Close() { list_->hide(); }

void SearchBox::Choose(int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= shown_.matches.size()) return;
  const SearchEntry& entry = *shown_.matches[static_cast<std::size_t>(row)].entry;
  Close();
  const ChosenMatch chosen = WriteMatch(pages_, entry);
  const MatchAction& action = chosen.action;
  ShowSheet(action.sheet);
  if (!action.button.empty()) press_(FromUtf8(action.button));
  const PageLayout* page = PageOfSheet(action.sheet);
  if (chosen.change && page != nullptr && !page->lists.empty()) {
    if (auto* list = window_->findChild<QListWidget*>(FromUtf8(page->lists.front().name))) {
      if (auto* editing = list->findChild<LineEditing*>()) editing->Keep(*chosen.change);
    }
  }
  SelectLine(action.sheet, action);
}

void SearchBox::ShowSheet(const std::string& sheet) {
  auto* page = window_->findChild<QWidget*>(FromUtf8(sheet));
  if (page == nullptr) return;
  // Each tab set on the way up shows the sheet that holds the page.
  for (QWidget* w = page; w != nullptr && w->parentWidget() != nullptr; w = w->parentWidget()) {
    auto* tabs = qobject_cast<QTabWidget*>(w->parentWidget()->parentWidget());
    if (tabs != nullptr && qobject_cast<QStackedWidget*>(w->parentWidget()) != nullptr) tabs->setCurrentWidget(w);
  }
}

void SearchBox::SelectLine(const std::string& sheet, const MatchAction& action) {
  const PageLayout* page = PageOfSheet(sheet);
  if (page == nullptr || page->lists.empty()) return;
  auto* list = window_->findChild<QListWidget*>(FromUtf8(page->lists.front().name));
  if (list == nullptr) return;
  std::vector<std::string> lines;
  std::vector<std::optional<LineOrigin>> origins;
  for (int i = 0; i < list->count(); ++i) {
    lines.push_back(list->item(i)->text().toStdString());
    origins.push_back(OriginOf(list->item(i)));
  }
  std::vector<const LineOrigin*> pointers;
  pointers.reserve(origins.size());
  for (const std::optional<LineOrigin>& origin : origins) pointers.push_back(origin ? &*origin : nullptr);
  const int row = LineOfMatch(action, lines, pointers);
  if (row < 0) return;
  list->setCurrentItem(list->item(row), QItemSelectionModel::ClearAndSelect);
  list->scrollToItem(list->item(row));
  list->setFocus(Qt::OtherFocusReason);
}

bool SearchBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched != box_) return false;
  if (event->type() == QEvent::FocusOut) {
    // A click on the list takes no focus; anything else closes it.
    Close();
    return false;
  }
  if (event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  const int first = shown_.problem.empty() ? 0 : 1;
  const int last = first + static_cast<int>(shown_.lines.size()) - 1;
  const int current = list_->currentRow();
  switch (key->key()) {
    case Qt::Key_Escape:
      if (!list_->isVisible()) return false;
      Close();
      return true;
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_PageDown:
    case Qt::Key_PageUp: {
      if (!list_->isVisible()) Refresh();
      if (shown_.lines.empty()) return true;
      const int page = PageStep(shell::kSearchListHeight, shell::kSearchLineHeight);
      const int step = key->key() == Qt::Key_Down       ? 1
                       : key->key() == Qt::Key_Up       ? -1
                       : key->key() == Qt::Key_PageDown ? page
                                                        : -page;
      list_->setCurrentRow(std::clamp(current + step, first, last));
      return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!list_->isVisible() || shown_.lines.empty()) return true;
      Choose(std::max(current, first) - first);
      return true;
    default: return false;
  }
}

}  // namespace ostrolen
