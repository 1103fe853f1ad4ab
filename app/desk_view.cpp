#include "app/desk_view.h"

#include <QAction>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

#include "app/front.h"
#include "app/page_builder.h"
#include "core/shell.h"

namespace ostrolen {
namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

DeskView::DeskView(QMainWindow* form, Front& front, QToolBar* toolbar)
    : QObject(form), form_(form), front_(front), toolbar_(toolbar) {
  menu_ = new QMenu(FromUtf8(ui::desk_text::kMenu), form);
  menu_->setObjectName(QStringLiteral("DeskMenu"));
  const auto add = [this](const char* name, std::string_view text, std::string_view key, bool checkable) {
    auto* action = new QAction(FromUtf8(text), this);
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(checkable);
    if (!key.empty()) action->setShortcut(QKeySequence(FromUtf8(key)));
    menu_->addAction(action);
    // The keys work while the toolbar is hidden too (the compact view).
    form_->addAction(action);
    return action;
  };
  using namespace ui::desk_text;
  zoom_in_ = add("ZoomIn", kZoomIn, kZoomInKey, false);
  zoom_out_ = add("ZoomOut", kZoomOut, kZoomOutKey, false);
  zoom_reset_ = add("ZoomReset", kZoomReset, kZoomResetKey, false);
  menu_->addSeparator();
  dark_ = add("DarkLook", kDark, {}, true);
  follow_ = add("FollowDesktop", kFollowDesktop, {}, true);
  menu_->addSeparator();
  on_top_ = add("OnTop", kOnTop, {}, true);
  compact_ = add("Compact", kCompact, kCompactKey, true);

  // Each item asks the controller; the checks are drawn back from what it holds,
  // also when nothing changed (a check the toolkit flipped by itself goes back).
  const auto ask = [this](QAction* action, auto intent) {
    connect(action, &QAction::triggered, this, [this, intent](bool checked) {
      intent(front_.controller(), checked);
      front_.Apply();
      Draw(front_.controller().DeskNow());
    });
  };
  ask(zoom_in_, [](ui::Controller& c, bool) { c.Zoom(1); });
  ask(zoom_out_, [](ui::Controller& c, bool) { c.Zoom(-1); });
  ask(zoom_reset_, [](ui::Controller& c, bool) { c.Zoom(0); });
  ask(dark_, [](ui::Controller& c, bool on) { c.ChooseLook(on ? ui::Look::Dark : ui::Look::Light); });
  ask(follow_, [](ui::Controller& c, bool on) { c.FollowDesktop(on); });
  ask(on_top_, [](ui::Controller& c, bool on) { c.SetOnTop(on); });
  ask(compact_, [](ui::Controller& c, bool on) { c.SetCompact(on); });

  // The toolbar's commands keep their keys while the compact view hides it.
  for (QAction* action : toolbar->actions()) {
    if (!action->shortcut().isEmpty()) form_->addAction(action);
  }

  button_ = new QToolButton(toolbar);
  button_->setObjectName(QStringLiteral("DeskButton"));
  button_->setText(menu_->title());
  button_->setToolTip(menu_->title());
  button_->setMenu(menu_);
  button_->setPopupMode(QToolButton::InstantPopup);
  button_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  button_->setFocusPolicy(Qt::NoFocus);
  toolbar->addSeparator();
  toolbar->addWidget(button_);

  front_.desk_drawers.emplace_back([this](const ui::Desk& desk) { Draw(desk); });
  Draw(front_.controller().DeskNow());
}

void DeskView::Draw(const ui::Desk& desk) {
  dark_->setChecked(desk.Shown() == ui::Look::Dark);
  follow_->setChecked(desk.follow_desktop);
  on_top_->setChecked(desk.on_top);
  compact_->setChecked(desk.compact);
  DrawOnTop(desk.on_top);
  // A new zoom while compact: measured again in the full view.
  if (desk.zoom != zoom_drawn_ && compact_drawn_) DrawCompact(false);
  zoom_drawn_ = desk.zoom;
  DrawCompact(desk.compact);
}

void DeskView::DrawOnTop(bool on_top) {
  if (form_->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on_top) return;
  // A new flag makes a new native window: hidden, then shown again where it was.
  const bool shown = form_->isVisible();
  const QPoint place = form_->pos();
  form_->setWindowFlag(Qt::WindowStaysOnTopHint, on_top);
  form_->move(place);
  if (shown) form_->show();
}

QList<QTabWidget*> DeskView::Tabs() const {
  QWidget* central = form_->centralWidget();
  if (central == nullptr) return {};
  QList<QTabWidget*> tabs = central->findChildren<QTabWidget*>();
  if (auto* top = qobject_cast<QTabWidget*>(central)) tabs.prepend(top);
  return tabs;
}

QWidget* DeskView::PageInFront() const {
  auto* tabs = qobject_cast<QTabWidget*>(form_->centralWidget());
  QWidget* page = form_->centralWidget();
  while (tabs != nullptr && tabs->currentWidget() != nullptr) {
    page = tabs->currentWidget();
    tabs = page->findChild<QTabWidget*>(QString(), Qt::FindDirectChildrenOnly);
  }
  return page;
}

void DeskView::DrawCompact(bool compact) {
  if (compact == compact_drawn_) return;
  compact_drawn_ = compact;
  if (compact) {
    // The window takes the size the page has in the full view; without the
    // tab bars and their frames the page fills it.
    const QSize page = PageInFront()->size();
    toolbar_->hide();
    for (QTabWidget* tabs : Tabs()) {
      tabs->tabBar()->hide();
      tabs->setDocumentMode(true);
    }
    form_->setFixedSize(page);
  } else {
    toolbar_->show();
    for (QTabWidget* tabs : Tabs()) {
      tabs->tabBar()->show();
      tabs->setDocumentMode(false);
    }
    form_->setFixedSize(ZoomedWindowSize());
  }
}

}  // namespace ostrolen
