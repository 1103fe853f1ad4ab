// ostrolen-replay-window FILE: runs a replay script through the window's own
// event handling (Qt events sent as the operator's keys, clicks and menus
// would come, offscreen) and prints the dumps read off its widgets
// (see docs/replay.md).
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>

#include "app/front.h"
#include "app/line_explain.h"
#include "app/page_builder.h"
#include "app/search_box.h"
#include "app/session_view.h"
#include "app/veltra.h"
#include "app/widget_window.h"
#include "core/shell.h"
#include "core/utf8.h"
#include "pages/pages.h"
#include "ui/replay.h"

namespace {

using ostrolen::ui::DumpState;

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Code points before UTF-16 position `units` of `text`.
int CodePoints(const QString& text, int units) { return static_cast<int>(text.left(units).toUcs4().size()); }

class Replay {
 public:
  explicit Replay(TForm1& form) : form_(form) {
    form_.window().SetMessageHook([this](ostrolen::WidgetWindow::MessageKind kind, const QString& text) {
      messages_.push_back(
          {kind == ostrolen::WidgetWindow::MessageKind::Report ? "report" : "error", text.toStdString()});
    });
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, [this] {
      if (!pasting_) clipboard_ = QGuiApplication::clipboard()->text().toStdString();
    });
  }

  std::string Run(const std::vector<ostrolen::ui::Action>& actions) {
    std::string out;
    for (const ostrolen::ui::Action& action : actions) {
      if (action.name == "dump") {
        out += ostrolen::ui::FormatDump(++dumps_, State());
        messages_.clear();
        clipboard_.reset();
        skipped_.clear();
        continue;
      }
      if (!Act(action)) skipped_.emplace_back(action.line, action.name);
      Settle();
    }
    return out;
  }

 private:
  void Settle() {
    form_.WaitForReading();
    QCoreApplication::processEvents();
    // Offscreen, nothing gives the window back its activation when a dialog closes.
    if (!Modal() && QApplication::activeWindow() != &form_) {
      QApplication::setActiveWindow(&form_);
      QCoreApplication::processEvents();
    }
  }

  QWidget* Popup() const { return QApplication::activePopupWidget(); }
  // The open menu from its top, whichever of its submenus has popped up.
  QMenu* TopMenu() const {
    if (QMenu* menu = form_.front()->Menu(); menu != nullptr && menu->isVisible()) return menu;
    return qobject_cast<QMenu*>(Popup());
  }
  QDialog* Dialog(const char* name) const {
    auto* dialog = form_.findChild<QDialog*>(QString::fromLatin1(name));
    return dialog != nullptr && dialog->isVisible() ? dialog : nullptr;
  }
  bool Modal() const {
    return Popup() != nullptr || Dialog("NumberEditor") != nullptr || Dialog("HistoryView") != nullptr;
  }

  const ostrolen::PageLayout* Front() const {
    auto* tabs = form_.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    QWidget* sheet = tabs->currentWidget();
    for (;;) {
      auto* nested = sheet->findChild<QTabWidget*>(QString(), Qt::FindDirectChildrenOnly);
      if (nested == nullptr) break;
      sheet = nested->currentWidget();
    }
    for (const ostrolen::PageLayout* page : ostrolen::AllPages()) {
      if (FromUtf8(page->sheet) == sheet->objectName()) return page;
    }
    return nullptr;
  }
  QWidget* Sheet(const ostrolen::PageLayout& page) const { return form_.findChild<QWidget*>(FromUtf8(page.sheet)); }
  QListWidget* FrontList() const {
    if (QDialog* history = Dialog("HistoryView"))
      return history->findChild<QListWidget*>(QStringLiteral("HistoryEntries"));
    const ostrolen::PageLayout* page = Front();
    if (page == nullptr || page->list() == nullptr) return nullptr;
    return form_.findChild<QListWidget*>(FromUtf8(page->list()->name));
  }
  // The control a dump names: a control of the page in front, the search
  // box, the number editor's box or the history's list; nothing else (a tab
  // bar, a dialog's button) counts as a control with the focus.
  std::string ControlName(const QWidget* widget) const {
    if (widget == nullptr) return {};
    std::string name = widget->objectName().toStdString();
    if (name == "SearchBox" || name == "NumberEditorValue" || name == "HistoryEntries") return name;
    const ostrolen::PageLayout* page = Front();
    if (page == nullptr) return {};
    for (const ostrolen::BoxSpec& box : page->boxes) {
      if (box.name == name) return name;
    }
    for (const ostrolen::ListSpec& list : page->lists) {
      if (list.name == name) return name;
    }
    for (const ostrolen::ButtonSpec& button : page->buttons) {
      if (button.name == name) return name;
    }
    return {};
  }
  QWidget* Target() const {
    if (QWidget* popup = Popup()) return popup;
    QWidget* focus = QApplication::focusWidget();
    return ControlName(focus).empty() ? nullptr : focus;
  }

  bool Act(const ostrolen::ui::Action& action) {
    const std::string& name = action.name;
    const QString arg = FromUtf8(action.arg);
    if (name == "open") {
      const ostrolen::PageLayout* page = ostrolen::ui::PageOfCommand(action.arg);
      if (page == nullptr || Modal()) return false;
      for (QWidget* sheet = Sheet(*page); sheet != nullptr && sheet != &form_; sheet = sheet->parentWidget()) {
        auto* tabs = qobject_cast<QTabWidget*>(
            sheet->parentWidget() == nullptr ? nullptr : sheet->parentWidget()->parentWidget());
        if (tabs == nullptr || tabs->indexOf(sheet) < 0) continue;
        QTabBar* bar = tabs->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tabs->indexOf(sheet)).center());
      }
      return true;
    }
    if (name == "focus") {
      const ostrolen::PageLayout* page = Front();
      if (Modal() || page == nullptr) return false;
      QWidget* control =
          arg == QLatin1String("SearchBox") ? form_.search()->Box() : Sheet(*page)->findChild<QWidget*>(arg);
      if (control == nullptr || control->focusPolicy() == Qt::NoFocus) return false;
      control->setFocus(Qt::OtherFocusReason);
      if (auto* box = qobject_cast<QLineEdit*>(control)) box->end(false);
      return true;
    }
    if (name == "type") {
      for (const std::string_view c : ostrolen::SplitChars(action.arg)) {
        QWidget* target = Target();
        if (target == nullptr) return false;
        const QString text = FromUtf8(c);
        if (text.size() == 1 && text.at(0).unicode() >= 0x20 && text.at(0).unicode() <= 0x7E) {
          QTest::keyClick(target, text.at(0).toLatin1());
        } else {
          // A character beyond ASCII comes with its text alone, as from a keyboard layout.
          QTest::sendKeyEvent(QTest::Press, target, Qt::Key_unknown, text, Qt::NoModifier);
          QTest::sendKeyEvent(QTest::Release, target, Qt::Key_unknown, text, Qt::NoModifier);
        }
        Settle();
      }
      return true;
    }
    if (name == "key") {
      QWidget* target = Target();
      if (target == nullptr) return false;
      const QKeySequence sequence(arg == QLatin1String("Enter") ? QStringLiteral("Return") : arg);
      const QKeyCombination key = sequence[0];
      QTest::keyClick(target, key.key(), key.keyboardModifiers());
      return true;
    }
    if (name == "paste") {
      QWidget* target = Target();
      if (target == nullptr) return false;
      pasting_ = true;
      QGuiApplication::clipboard()->setText(arg);
      pasting_ = false;
      QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
      return true;
    }
    if (name == "press") {
      const ostrolen::PageLayout* page = Front();
      if (Modal() || page == nullptr) return false;
      auto* button = Sheet(*page)->findChild<QToolButton*>(arg);
      if (button == nullptr) return false;
      QTest::mouseClick(button, Qt::LeftButton);
      return true;
    }
    if (name == "click" || name == "dblclick" || name == "menu") {
      bool number = false;
      const int row = arg.toInt(&number);
      QListWidget* list = FrontList();
      if (!number || list == nullptr || Popup() != nullptr || row < 0 || row >= list->count()) return false;
      // The history's entries have no menu; the number editor keeps the lines from the mouse.
      if (name == "menu" && Dialog("HistoryView") != nullptr) return false;
      if (Dialog("NumberEditor") != nullptr) return false;
      list->scrollToItem(list->item(row));
      const QPoint at = list->visualItemRect(list->item(row)).center();
      if (name == "click") {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
      } else if (name == "dblclick") {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
      } else {
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, at);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &event);
      }
      return true;
    }
    if (name == "choose") return Choose(arg);
    if (name == "find") {
      if (Modal()) return false;
      QTest::keyClick(&form_, Qt::Key_F, Qt::ControlModifier);
      QLineEdit* box = form_.search()->Box();
      if (arg.isEmpty()) {
        QTest::keyClick(box, Qt::Key_Backspace);
      } else {
        for (const QChar c : arg) {
          QTest::sendKeyEvent(QTest::Press, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
          QTest::sendKeyEvent(QTest::Release, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
      }
      return true;
    }
    return false;
  }

  bool Choose(const QString& text) {
    if (QMenu* menu = TopMenu()) {
      std::vector<QMenu*> menus = {menu};
      for (std::size_t m = 0; m < menus.size(); ++m) {
        for (QAction* action : menus[m]->actions()) {
          if (action->isSeparator()) continue;
          if (action->text() == text) {
            if (action->menu() != nullptr) {
              // A click on it opens its submenu.
              QTest::mouseClick(menus[m], Qt::LeftButton, {}, menus[m]->actionGeometry(action).center());
            } else {
              menu->hide();
              action->trigger();
            }
            return true;
          }
          if (action->menu() != nullptr) menus.push_back(action->menu());
        }
      }
      return false;
    }
    if (QDialog* editor = Dialog("NumberEditor")) {
      for (QPushButton* button : editor->findChildren<QPushButton*>()) {
        if (button->text() == text && button->isEnabled()) {
          QTest::mouseClick(button, Qt::LeftButton);
          return true;
        }
      }
      return false;
    }
    if (QDialog* history = Dialog("HistoryView")) {
      auto* entries = history->findChild<QListWidget*>(QStringLiteral("HistoryEntries"));
      for (int i = 0; i < entries->count(); ++i) {
        if (entries->item(i)->text() != text) continue;
        QTest::mouseClick(entries->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          entries->visualItemRect(entries->item(i)).center());
        return true;
      }
      for (QPushButton* button : history->findChildren<QPushButton*>()) {
        if (button->text() == text && button->isEnabled()) {
          QTest::mouseClick(button, Qt::LeftButton);
          return true;
        }
      }
      if (text == FromUtf8(ostrolen::shell::kCancel)) {
        history->close();
        return true;
      }
      return false;
    }
    QListWidget* found = form_.search()->List();
    if (!found->isVisible()) return false;
    for (int i = 0; i < found->count(); ++i) {
      if (found->item(i)->text() != text || !found->item(i)->data(Qt::UserRole + 1).isValid()) continue;
      QTest::mouseClick(found->viewport(), Qt::LeftButton, {}, found->visualItemRect(found->item(i)).center());
      return true;
    }
    return false;
  }

  DumpState State() const {
    DumpState state;
    const ostrolen::PageLayout* page = Front();
    state.sheet = page->sheet;
    state.caption = page->caption;
    QWidget* sheet = Sheet(*page);
    for (const ostrolen::ButtonSpec& spec : page->buttons) {
      auto* button = sheet->findChild<QToolButton*>(FromUtf8(spec.name));
      state.buttons.push_back({spec.name, button == nullptr ? std::string() : button->text().toStdString()});
    }
    for (const ostrolen::BoxSpec& spec : page->boxes) {
      auto* box = sheet->findChild<QLineEdit*>(FromUtf8(spec.name));
      state.boxes.push_back({spec.name, box == nullptr ? std::string() : box->text().toStdString()});
    }
    std::stable_sort(state.boxes.begin(), state.boxes.end(), [](const auto& a, const auto& b) {
      return ostrolen::BoxNumber(a.name) < ostrolen::BoxNumber(b.name);
    });
    if (QWidget* focus = QApplication::focusWidget(); !ControlName(focus).empty()) {
      state.focus = ControlName(focus);
      if (auto* box = qobject_cast<QLineEdit*>(focus)) {
        const QString text = box->text();
        const int caret = box->cursorPosition();
        int anchor = caret;
        if (box->hasSelectedText()) {
          const int start = box->selectionStart();
          const int end = box->selectionEnd();
          anchor = caret == start ? end : start;
        }
        state.caret = CodePoints(text, caret);
        state.anchor = CodePoints(text, anchor);
      }
    }
    if (const ostrolen::ListSpec* spec = page->list()) {
      auto* list = sheet->findChild<QListWidget*>(FromUtf8(spec->name));
      for (int i = 0; list != nullptr && i < list->count(); ++i) {
        const QListWidgetItem* item = list->item(i);
        const QString mark = item->data(ostrolen::kMarkRole).toString();
        state.lines.push_back({spec->name, i, mark.isEmpty() ? '\0' : mark.at(0).toLatin1(), item->text().toStdString(),
                               item->data(Qt::UserRole + 9).toString().toStdString(), item->toolTip().toStdString(),
                               item->isSelected()});
      }
      if (list != nullptr) {
        for (const QString& box : form_.front()->Highlighted(list->objectName()))
          state.lit.push_back(box.toStdString());
        state.undo.emplace_back(spec->name, form_.front()->controller().CanUndo(spec->name));
      }
    }
    if (QMenu* menu = TopMenu()) {
      state.menu = true;
      const auto add = [&state](QMenu* from, int depth, const auto& self) -> void {
        for (QAction* action : from->actions()) {
          if (action->isSeparator()) continue;
          state.items.push_back(
              {depth, action->isCheckable() ? (action->isChecked() ? 1 : 0) : -1, action->text().toStdString()});
          if (action->menu() != nullptr) self(action->menu(), depth + 1, self);
        }
      };
      add(menu, 0, add);
    }
    if (QDialog* editor = Dialog("NumberEditor")) {
      state.editor = true;
      state.editor_caption = editor->windowTitle().toStdString();
      if (auto* box = editor->findChild<QLineEdit*>()) state.editor_text = box->text().toStdString();
      for (QPushButton* button : editor->findChildren<QPushButton*>()) {
        if (button->text() == FromUtf8(ostrolen::shell::kOk)) state.editor_ok = button->isEnabled();
      }
    }
    state.messages = messages_;
    state.clipboard = clipboard_;
    state.search = form_.search()->Box()->text().toStdString();
    QListWidget* found = form_.search()->List();
    state.search_open = found->isVisible();
    if (state.search_open) {
      for (int i = 0; i < found->count(); ++i) {
        const QListWidgetItem* item = found->item(i);
        if (!item->data(Qt::UserRole + 1).isValid()) {
          if (item->text() != FromUtf8(ostrolen::shell::kSearchNone)) state.search_problem = item->text().toStdString();
          continue;
        }
        state.matches.push_back({item->text().toStdString(), found->currentRow() == i});
      }
    }
    if (QDialog* history = Dialog("HistoryView")) {
      state.history = true;
      auto* entries = history->findChild<QListWidget*>(QStringLiteral("HistoryEntries"));
      for (int i = 0; i < entries->count(); ++i) {
        state.entries.push_back({entries->item(i)->data(Qt::UserRole).toInt(), entries->item(i)->text().toStdString(),
                                 entries->item(i)->isSelected()});
      }
    }
    state.title = form_.windowTitle().toStdString();
    state.address = form_.session()->session().LastAddress().value_or("");
    state.skipped = skipped_;
    return state;
  }

  TForm1& form_;
  int dumps_ = 0;
  std::vector<DumpState::Control> messages_;
  std::optional<std::string> clipboard_;
  bool pasting_ = false;
  std::vector<std::pair<int, std::string>> skipped_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: ostrolen-replay-window FILE\n", stderr);
    return 2;
  }
  QFile file(QString::fromLocal8Bit(argv[1]));
  if (!file.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "ostrolen-replay-window: cannot read '%s'\n", argv[1]);
    return 2;
  }
  const QByteArray script = file.readAll();
  std::string error;
  const auto actions =
      ostrolen::ui::ParseScript(std::string_view(script.constData(), static_cast<std::size_t>(script.size())), error);
  if (!actions) {
    std::cerr << "replay: " << error << '\n';
    return 2;
  }
  QApplication application(argc, argv);
  ostrolen::SetUpLook();
  TForm1 form;
  form.session()->session().SetClock(ostrolen::ui::ReplayClock());
  form.show();
  QApplication::setActiveWindow(&form);
  QCoreApplication::processEvents();
  Replay replay(form);
  std::cout << replay.Run(*actions);
  return 0;
}
