#include "app/page_tabs.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QTabBar>
#include <QWindow>

namespace ostrolen {
namespace {

// One tab of a bar.
class PageTab : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  PageTab(QTabBar* bar, int index) : bar_(bar), index_(index) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
  }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return bar_ ? bar_->window()->windowHandle() : nullptr; }
  bool isValid() const override { return bar_ && index_ < bar_->count(); }
  QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(bar_.data()); }
  QAccessibleInterface* child(int /*index*/) const override { return nullptr; }
  QAccessibleInterface* childAt(int /*x*/, int /*y*/) const override { return nullptr; }
  QAccessibleInterface* focusChild() const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface* /*child*/) const override { return -1; }
  QString text(QAccessible::Text type) const override {
    if (!isValid()) return {};
    switch (type) {
      case QAccessible::Name: {
        QString name = bar_->accessibleTabName(index_);
        if (name.isEmpty()) name = bar_->tabText(index_);
        return name.remove(QLatin1Char('&'));
      }
      case QAccessible::Description: return bar_->tabToolTip(index_);
      default: return {};
    }
  }
  void setText(QAccessible::Text /*type*/, const QString& /*text*/) override {}
  QRect rect() const override {
    if (!isValid()) return {};
    const QRect r = bar_->tabRect(index_);
    return {bar_->mapToGlobal(r.topLeft()), r.size()};
  }
  QAccessible::Role role() const override { return QAccessible::PageTab; }
  QAccessible::State state() const override {
    QAccessible::State state;
    if (!isValid()) {
      state.invalid = true;
      return state;
    }
    const bool chosen = bar_->currentIndex() == index_;
    state.selectable = true;
    state.selected = chosen;
    state.focusable = true;
    state.focused = chosen && bar_->hasFocus();
    state.disabled = !bar_->isTabEnabled(index_);
    state.invisible = !bar_->isTabVisible(index_) || !bar_->isVisible();
    state.offscreen = !bar_->rect().intersects(bar_->tabRect(index_));
    return state;
  }

  QStringList actionNames() const override { return {pressAction(), setFocusAction()}; }
  void doAction(const QString& action) override {
    if (!isValid()) return;
    if (action == pressAction() || action == setFocusAction()) bar_->setCurrentIndex(index_);
    if (action == setFocusAction()) bar_->setFocus();
  }
  QStringList keyBindingsForAction(const QString& /*action*/) const override { return {}; }

 private:
  QPointer<QTabBar> bar_;
  int index_;
};

// A tab bar: its tabs as its children.
class PageTabs : public QAccessibleWidget {
 public:
  explicit PageTabs(QTabBar* bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}
  ~PageTabs() override {
    for (const QAccessible::Id id : std::as_const(tabs_)) QAccessible::deleteAccessibleInterface(id);
  }
  PageTabs(const PageTabs&) = delete;
  PageTabs& operator=(const PageTabs&) = delete;

  QTabBar* Bar() const { return static_cast<QTabBar*>(object()); }

  int childCount() const override { return Bar()->count(); }
  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= Bar()->count()) return nullptr;
    if (const auto it = tabs_.constFind(index); it != tabs_.constEnd()) {
      return QAccessible::accessibleInterface(it.value());
    }
    auto* tab = new PageTab(Bar(), index);
    tabs_.insert(index, QAccessible::registerAccessibleInterface(tab));
    return tab;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    if (child == nullptr || child->role() != QAccessible::PageTab) return -1;
    for (auto it = tabs_.constBegin(); it != tabs_.constEnd(); ++it) {
      if (QAccessible::accessibleInterface(it.value()) == child) return it.key();
    }
    return -1;
  }
  QAccessibleInterface* focusChild() const override {
    return Bar()->hasFocus() ? child(Bar()->currentIndex()) : nullptr;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    const int index = Bar()->tabAt(Bar()->mapFromGlobal(QPoint(x, y)));
    return index >= 0 ? child(index) : nullptr;
  }

 private:
  mutable QHash<int, QAccessible::Id> tabs_;
};

QAccessibleInterface* TabBarFactory(const QString& class_name, QObject* object) {
  if (class_name == QLatin1String("QTabBar")) {
    if (auto* bar = qobject_cast<QTabBar*>(object)) return new PageTabs(bar);
  }
  return nullptr;
}

}  // namespace

void DescribeTabBars() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(TabBarFactory);
}

}  // namespace ostrolen
