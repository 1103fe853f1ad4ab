#include "app/search_box.h"

#include <QAction>
#include <QKeySequence>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QToolBar>

#include "app/front.h"
#include "app/page_builder.h"
#include "core/shell.h"

namespace ostrolen {
namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

SearchBox::SearchBox(QMainWindow* window, QToolBar* toolbar, Front& front)
    : QObject(window), front_(front), box_(new QLineEdit(toolbar)), list_(new QListWidget(window)) {
  box_->setObjectName(QStringLiteral("SearchBox"));
  box_->setPlaceholderText(FromUtf8(shell::kSearchPrompt));
  box_->setAccessibleName(FromUtf8(shell::kSearchPrompt));
  box_->setClearButtonEnabled(true);
  box_->setFixedWidth(Zoomed(shell::kSearchBoxWidth));
  toolbar->addSeparator();
  toolbar->addWidget(box_);

  list_->setObjectName(QStringLiteral("SearchList"));
  list_->setFocusPolicy(Qt::NoFocus);
  list_->setFrameShape(QFrame::Box);
  list_->setUniformItemSizes(true);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_->hide();

  // Ctrl+F from anywhere in the window, as the controller takes the key.
  auto* find = new QAction(window);
  find->setObjectName(QStringLiteral("SearchAction"));
  find->setShortcut(QKeySequence::Find);
  find->setShortcutContext(Qt::WindowShortcut);
  connect(find, &QAction::triggered, this, [this] {
    ostrolen::Key key;
    key.code = ostrolen::Key::Code::Character;
    key.text = "f";
    key.ctrl = true;
    front_.controller().KeyIn(key);
    front_.Apply();
  });
  window->addAction(find);
  front_.AttachSearch(box_, list_);
}

void SearchBox::SetDatabase(std::string file) { front_.SetDatabase(std::move(file)); }

void SearchBox::SetZoom() { box_->setFixedWidth(Zoomed(shell::kSearchBoxWidth)); }

int SearchBox::Listings() const { return front_.Listings(); }

void SearchBox::Refresh() {
  front_.controller().SearchEdited(std::string());
  front_.controller().SearchEdited(box_->text().toStdString());
  front_.Apply();
}

void SearchBox::Choose(int row) {
  front_.controller().ChooseMatch(row);
  front_.Apply();
}

void SearchBox::Close() {
  front_.controller().CloseSearch();
  front_.Apply();
}

}  // namespace ostrolen
