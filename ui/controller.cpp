#include "ui/controller.h"

#include <algorithm>
#include <chrono>
#include <set>

#include "core/shell.h"
#include "core/utf8.h"
#include "pages/pages.h"
#include "pages/search/search.h"
#include "pages/segments/segments.h"
#include "pages/subscriber/compose.h"
#include "reader/database.h"
#include "ui/keys.h"
#include "ui/print.h"

namespace ostrolen::ui {
namespace {

// The lines a list shows at once, less one: how far PageUp and PageDown go.
int PageStep(int height, int line_height) { return std::max(1, height / std::max(1, line_height) - 1); }

int Length(std::string_view text) { return static_cast<int>(CharCount(text)); }

// The first `count` characters of `text`, and the rest.
std::string Head(std::string_view text, int count) {
  std::string head;
  int n = 0;
  for (const std::string_view c : SplitChars(text)) {
    if (n++ >= count) break;
    head += c;
  }
  return head;
}
std::string Tail(std::string_view text, int from) {
  std::string tail;
  int n = 0;
  for (const std::string_view c : SplitChars(text)) {
    if (n++ >= from) tail += c;
  }
  return tail;
}

// The UTF-16 units before code point `caret`, as the typing rules count a caret.
int Utf16Units(std::string_view text, int caret) {
  int units = 0;
  int n = 0;
  for (const std::string_view c : SplitChars(text)) {
    if (n++ >= caret) break;
    units += c.size() == 4 ? 2 : 1;
  }
  return units;
}

// A pasted text in a line: its line breaks dropped.
std::string OneLine(std::string_view text) {
  std::string line;
  for (const char c : text) {
    if (c != '\n' && c != '\r') line += c;
  }
  return line;
}

// The path of tab sets from the top to the node whose sheet is `sheet`.
bool PathTo(const TabNode& node, std::string_view sheet, std::vector<std::pair<const TabNode*, int>>& path) {
  for (std::size_t i = 0; i < node.children.size(); ++i) {
    path.emplace_back(&node, static_cast<int>(i));
    const TabNode& child = node.children[i];
    if (child.sheet == sheet) return true;
    if (child.page == nullptr && PathTo(child, sheet, path)) return true;
    path.pop_back();
  }
  return false;
}

// The number editor takes a text that names a value, or one that may grow into one.
constexpr std::size_t kEditorLongest = 18;

}  // namespace

// The pages' window: every box and list held as text, each change told as an effect.
class Controller::Model : public ModelWindow {
 public:
  explicit Model(Controller& owner) : owner_(owner) {}

  void SetText(std::string_view box, std::string_view text) override {
    ModelWindow::SetText(box, text);
    owner_.Emit(Effect::Kind::Box, std::string(box), std::string(text));
    if (owner_.focus_.control == box) {
      owner_.focus_.caret = owner_.focus_.anchor = Length(text);
      owner_.Emit(Effect::Kind::Focus);
    }
  }
  void ClearList(std::string_view list) override {
    ModelWindow::ClearList(list);
    touched.emplace(list);
    cleared.emplace(list);
    owner_.Emit(Effect::Kind::ClearList, std::string(list));
  }
  void AppendSourcedLine(std::string_view list, std::string_view line, const LineOrigin& origin) override {
    ModelWindow::AppendSourcedLine(list, line, origin);
    touched.emplace(list);
    owner_.Emit(Effect::Kind::AddLine, std::string(list), std::string(line));
  }
  void InputErrorReport(std::string_view text) override {
    owner_.Emit(Effect::Kind::Message, "report", std::string(text));
  }
  void ShowError(std::string_view text) override { owner_.Emit(Effect::Kind::Message, "error", std::string(text)); }

  std::set<std::string, std::less<>> touched;
  std::set<std::string, std::less<>> cleared;

 private:
  Controller& owner_;
};

// A press waiting for the database: what it does once the outcomes are in.
struct Controller::Pending {
  std::string button;
  std::vector<Statement> statements;
  std::function<void()> press;
  std::function<void()> then;
  // The operator ended the reading.
  std::function<void()> cancelled;
  // The outcomes of many presses, kept for each of them rather than for one.
  bool many = false;
};

Controller::Controller() : Controller(Options{}) {}

Controller::Controller(Options options)
    : options_(std::move(options)),
      model_holder_(std::make_unique<Model>(*this)),
      model_(*model_holder_),
      session_(options_.clock ? Session(options_.clock) : Session()) {
  // The tab sets as the window starts, and the page they show.
  std::vector<const TabNode*> sets = {&PageTree()};
  while (!sets.empty()) {
    const TabNode* node = sets.back();
    sets.pop_back();
    tabs_[node->control] = node->initial;
    for (const TabNode& child : node->children) {
      if (child.page == nullptr) sets.push_back(&child);
    }
  }
  for (const PageLayout* page : AllPages()) {
    for (const ListSpec& list : page->lists) lists_[list.name];
  }
  const TabNode* node = &PageTree();
  while (node->page == nullptr) node = &node->children[static_cast<std::size_t>(node->initial)];
  front_ = node->page;
  const std::vector<std::string> order = TabOrder(*front_);
  if (!order.empty()) FocusOn(order.front());
  effects_.clear();
}

Controller::~Controller() = default;

void Controller::Emit(Effect::Kind kind, std::string name, std::string text) {
  Effect effect;
  effect.kind = kind;
  effect.name = std::move(name);
  effect.text = std::move(text);
  effects_.push_back(std::move(effect));
}

std::vector<Effect> Controller::TakeEffects() {
  std::vector<Effect> taken = std::move(effects_);
  effects_.clear();
  return taken;
}

std::string Controller::Text(std::string_view box) const { return model_.Text(box); }

const List& Controller::ListOf(std::string_view list) const {
  static const List kNone;
  const auto it = lists_.find(list);
  return it == lists_.end() ? kNone : it->second;
}

List& Controller::MutableList(std::string_view list) { return lists_[std::string(list)]; }

int Controller::TabOf(std::string_view control) const {
  const auto it = tabs_.find(control);
  return it == tabs_.end() ? 0 : it->second;
}

bool Controller::CanUndo(std::string_view list) const {
  const auto it = undo_.find(list);
  return it != undo_.end() && !it->second.Empty();
}

std::vector<Statement> Controller::StatementsOf(std::string_view button) const {
  return PressStatements(model_, button);
}

const ListSpec* Controller::FrontList() const { return front_->list(); }

std::vector<std::string> Controller::LitOf(std::string_view list) const {
  const PageLayout* page = FindPageOfList(list);
  if (page == nullptr || page->words.empty()) return {};
  std::vector<const LineOrigin*> chosen;
  for (const Line& line : ListOf(list).lines) {
    if (line.selected) chosen.push_back(&line.origin);
  }
  return ostrolen::LitBoxes(*page, chosen);
}

std::vector<std::string> Controller::LitBoxes() const {
  const ListSpec* list = FrontList();
  return list == nullptr ? std::vector<std::string>{} : LitOf(list->name);
}

// ---- Focus and pages.

void Controller::SetFocus(const std::string& control, int caret, int anchor) {
  Focused(control, caret, anchor);
  Emit(Effect::Kind::Focus);
}

void Controller::FocusBox(int index, Caret caret) {
  if (index < 0 || static_cast<std::size_t>(index) >= front_->boxes.size()) return;
  const std::string& name = front_->boxes[static_cast<std::size_t>(index)].name;
  const int length = Length(model_.Text(name));
  switch (caret) {
    case Caret::All: SetFocus(name, length, 0); break;
    case Caret::Start: SetFocus(name, 0, 0); break;
    case Caret::End: SetFocus(name, length, length); break;
  }
}

bool Controller::FocusOn(std::string_view control) {
  if (control == kSearchBox) {
    const int length = Length(search_.text);
    SetFocus(std::string(control), length, length);
    return true;
  }
  for (std::size_t i = 0; i < front_->boxes.size(); ++i) {
    if (front_->boxes[i].name != control) continue;
    if (front_->boxes[i].read_only()) return false;
    FocusBox(static_cast<int>(i), Caret::End);
    return true;
  }
  const std::vector<std::string> order = TabOrder(*front_);
  if (std::find(order.begin(), order.end(), control) == order.end()) return false;
  SetFocus(std::string(control), -1, -1);
  return true;
}

void Controller::BringToFront(const PageLayout& page) {
  std::vector<std::pair<const TabNode*, int>> path;
  if (!PathTo(PageTree(), page.sheet, path)) return;
  for (const auto& [node, child] : path) tabs_[node->control] = child;
  const bool moved = front_ != &page;
  front_ = &page;
  if (moved) Emit(Effect::Kind::Page, page.sheet);
  const std::vector<std::string> order = TabOrder(page);
  if (!order.empty()) {
    const BoxOnPage box = FindBox(order.front());
    if (box.box != nullptr) {
      const int length = Length(model_.Text(order.front()));
      SetFocus(order.front(), length, 0);
    } else {
      SetFocus(order.front(), -1, -1);
    }
  }
}

bool Controller::ShowPage(std::string_view sheet, bool on_tabs) {
  std::vector<std::pair<const TabNode*, int>> path;
  if (!PathTo(PageTree(), sheet, path)) return false;
  for (const auto& [node, child] : path) tabs_[node->control] = child;
  const TabNode* node = &path.back().first->children[static_cast<std::size_t>(path.back().second)];
  while (node->page == nullptr) node = &node->children[static_cast<std::size_t>(TabOf(node->control))];
  if (node->page == front_) return true;
  if (!on_tabs) {
    BringToFront(*node->page);
    return true;
  }
  // Chosen with the keys on the tabs: the focus stays there, where the toolkit has it.
  front_ = node->page;
  Emit(Effect::Kind::Page, front_->sheet);
  if (search_.open) {
    search_.open = false;
    Emit(Effect::Kind::Search);
  }
  focus_ = {};
  return true;
}

bool Controller::Tab(bool back) {
  // The page's controls, then the search box of the toolbar.
  std::vector<std::string> order = TabOrder(*front_);
  order.emplace_back(kSearchBox);
  if (order.empty()) return true;
  const auto at = std::find(order.begin(), order.end(), focus_.control);
  const int n = static_cast<int>(order.size());
  int next = 0;
  if (at != order.end()) {
    next = static_cast<int>(at - order.begin()) + (back ? -1 : 1);
    // Past the page's last control (or before its first) the focus leaves
    // the page, to the tab bars and the toolbar, as the toolkit leads it.
    if (next < 0 || next >= n) {
      focus_ = {};
      return false;
    }
  }
  const std::string& control = order[static_cast<std::size_t>(next)];
  if (control == kSearchBox) {
    SetFocus(control, Length(search_.text), 0);
  } else if (FindBox(control).box != nullptr) {
    SetFocus(control, Length(model_.Text(control)), 0);
  } else {
    SetFocus(control, -1, -1);
  }
  return true;
}

// ---- Lines.

void Controller::Redraw(const std::string& name) {
  List& list = MutableList(name);
  const PageLayout* page = FindPageOfList(name);
  const std::vector<std::string>& texts = model_.Lines(name);
  const std::vector<LineOrigin>& origins = model_.Origins(name);
  std::vector<bool> kept;
  for (const Line& line : list.lines) {
    if (!line.gone) kept.push_back(line.selected);
  }
  const bool cleared = model_.cleared.count(name) != 0;
  list.lines.clear();
  const auto own = [&](std::size_t i) {
    Line line;
    line.text = texts[i];
    line.origin = origins[i];
    if (page != nullptr) line.tip = LineTip(*page, line.origin);
    line.selected = !cleared && i < kept.size() && kept[i];
    return line;
  };
  const std::vector<ComparedLine>* marks = session_.Marks(name);
  std::size_t row = 0;
  if (marks != nullptr) {
    for (const ComparedLine& compared : *marks) {
      Line line;
      if (compared.change == Change::Gone) {
        line.text = compared.text;
        line.gone = true;
      } else {
        if (row >= texts.size()) break;
        line = own(row++);
      }
      line.mark = static_cast<char>(compared.change);
      line.description = MarkDescription(compared);
      if (compared.change == Change::Changed) line.old = OldValueText(compared);
      line.tip = line.tip.empty() ? line.description : line.tip + "\n" + line.description;
      list.lines.push_back(std::move(line));
    }
  }
  while (row < texts.size()) list.lines.push_back(own(row++));
  if (cleared) list.current = list.anchor = -1;
  if (list.current >= static_cast<int>(list.lines.size())) list.current = list.anchor = -1;
  Emit(Effect::Kind::Lines, name);
}

void Controller::ForgetLine(const PageLayout& page) {
  if (page.words.empty() || page.list() == nullptr) return;
  List& list = MutableList(page.list()->name);
  bool any = false;
  for (Line& line : list.lines) {
    any = any || line.selected;
    line.selected = false;
  }
  if (any) Emit(Effect::Kind::Selection, page.list()->name);
}

void Controller::Select(const std::string& name, int line, bool shift, bool ctrl) {
  List& list = MutableList(name);
  if (line < 0 || static_cast<std::size_t>(line) >= list.lines.size()) return;
  if (list.lines[static_cast<std::size_t>(line)].gone) return;
  if (shift) {
    const int from = list.anchor >= 0 ? list.anchor : line;
    const int low = std::min(from, line);
    const int high = std::max(from, line);
    for (int i = 0; i < static_cast<int>(list.lines.size()); ++i) {
      Line& l = list.lines[static_cast<std::size_t>(i)];
      l.selected = !l.gone && i >= low && i <= high;
    }
    list.anchor = from;
  } else if (ctrl) {
    Line& l = list.lines[static_cast<std::size_t>(line)];
    l.selected = !l.selected;
    list.anchor = line;
  } else {
    for (Line& l : list.lines) l.selected = false;
    list.lines[static_cast<std::size_t>(line)].selected = true;
    list.anchor = line;
  }
  list.current = line;
  Emit(Effect::Kind::Selection, name);
}

void Controller::SelectField(const std::string& name, int field) {
  const List& list = ListOf(name);
  std::vector<const LineOrigin*> origins;
  for (const Line& line : list.lines) origins.push_back(line.gone ? nullptr : &line.origin);
  const int row = LineOfField(origins, field);
  if (row >= 0) Select(name, row, false, false);
}

std::optional<LineOffer> Controller::OfferOf(const std::string& name, int line) const {
  const List& list = ListOf(name);
  if (line < 0 || static_cast<std::size_t>(line) >= list.lines.size()) return std::nullopt;
  const Line& shown = list.lines[static_cast<std::size_t>(line)];
  if (shown.gone || shown.origin.field < 0) return std::nullopt;
  return OfferOfLine(model_, name, shown.origin.field);
}

void Controller::Activate(const std::string& name, int line) {
  const std::optional<LineOffer> offer = OfferOf(name, line);
  switch (ActivationOf(offer)) {
    case Activation::None: return;
    case Activation::EditNumber: OpenEditor(name, line); return;
    case Activation::Toggle: SetField(name, line, *offer->field, *offer->toggle); return;
    case Activation::OpenMenu: OpenMenu(name, line); return;
  }
}

bool Controller::SetField(const std::string& name, int line, const AhField& field, std::uint32_t value) {
  const std::optional<LineOffer> offer = OfferOf(name, line);
  if (!offer || reading_) return false;
  const int from = ListOf(name).lines[static_cast<std::size_t>(line)].origin.field;
  const std::optional<LineChange> change = ApplyToLine(model_, *offer->page, field, value, from);
  if (!change) return false;
  undo_[name].Add(*change);
  const std::string button = change->button;
  const int select = change->line_field;
  WhenRead(
      button, [this, button] { session_.Press(model_, button); }, [this, name, select] { SelectField(name, select); });
  return true;
}

bool Controller::Undo(const std::string& name) {
  if (reading_) return false;
  const auto it = undo_.find(name);
  if (it == undo_.end()) return false;
  const std::optional<LineChange> change = it->second.Undo(model_);
  if (!change) return false;
  const std::string button = change->button;
  const int select = change->line_field;
  WhenRead(
      button, [this, button] { session_.Press(model_, button); }, [this, name, select] { SelectField(name, select); });
  return true;
}

bool Controller::CopyLines() {
  const ListSpec* spec = FrontList();
  if (spec == nullptr) return false;
  std::vector<std::string> texts;
  std::vector<bool> chosen;
  for (const Line& line : ListOf(spec->name).lines) {
    if (line.gone) continue;
    texts.push_back(line.text);
    chosen.push_back(line.selected);
  }
  if (texts.empty()) return false;
  clipboard_ = CopiedText(texts, chosen);
  Emit(Effect::Kind::Clipboard, {}, clipboard_);
  return true;
}

// ---- The menu and the editor.

void Controller::OpenMenu(const std::string& name, int line) {
  menu_ = Menu{};
  menu_.open = true;
  menu_.list = name;
  menu_.line = line;
  if (const std::optional<LineOffer> offer = OfferOf(name, line)) {
    menu_.field = ListOf(name).lines[static_cast<std::size_t>(line)].origin.field;
    if (offer->number) {
      MenuItem edit;
      edit.text = shell::kEditNumber;
      edit.act = MenuItem::Act::EditNumber;
      menu_.items.push_back(edit);
    } else {
      for (const OfferedValue& value : offer->values) {
        menu_.items.push_back({0, value.current ? 1 : 0, value.text, MenuItem::Act::Value, value.value, false});
      }
    }
    if (offer->form != nullptr) {
      menu_.items.push_back({0, -1, std::string(shell::kFormMenu), MenuItem::Act::Submenu, 0, false});
      for (const OfferedValue& value : offer->forms) {
        menu_.items.push_back({1, value.current ? 1 : 0, value.text, MenuItem::Act::Form, value.value, false});
      }
    }
  }
  MenuItem copy;
  copy.text = shell::kCopyLines;
  copy.separator_before = !menu_.items.empty();
  menu_.items.push_back(copy);
  menu_.active = 0;
  Emit(Effect::Kind::Menu);
}

void Controller::CloseMenu() {
  if (!menu_.open) return;
  menu_ = Menu{};
  Emit(Effect::Kind::Menu);
}

bool Controller::ChooseMenuItem(int index) {
  if (!menu_.open || index < 0 || static_cast<std::size_t>(index) >= menu_.items.size()) return false;
  const MenuItem item = menu_.items[static_cast<std::size_t>(index)];
  if (item.act == MenuItem::Act::Submenu) {
    if (static_cast<std::size_t>(index) + 1 < menu_.items.size()) menu_.active = index + 1;
    Emit(Effect::Kind::Menu);
    return true;
  }
  const Menu menu = menu_;
  CloseMenu();
  const std::optional<LineOffer> offer = OfferOf(menu.list, menu.line);
  switch (item.act) {
    case MenuItem::Act::Copy: CopyLines(); break;
    case MenuItem::Act::EditNumber: OpenEditor(menu.list, menu.line); break;
    case MenuItem::Act::Value:
      if (offer) SetField(menu.list, menu.line, *offer->field, item.value);
      break;
    case MenuItem::Act::Form:
      if (offer && offer->form != nullptr) SetField(menu.list, menu.line, *offer->form, item.value);
      break;
    case MenuItem::Act::Submenu: break;
  }
  return true;
}

bool Controller::KeyInMenu(const Key& key) {
  const int n = static_cast<int>(menu_.items.size());
  const int active = std::clamp(menu_.active, 0, n - 1);
  const int depth = menu_.items[static_cast<std::size_t>(active)].depth;
  // The items beside the active one: those of its depth between the same
  // headings, the last followed by the first again, as a menu goes round.
  const auto sibling = [&](int step) {
    int first = active;
    while (first > 0 && menu_.items[static_cast<std::size_t>(first - 1)].depth >= depth) --first;
    std::vector<int> row;
    for (int i = first; i < n && menu_.items[static_cast<std::size_t>(i)].depth >= depth; ++i) {
      if (menu_.items[static_cast<std::size_t>(i)].depth == depth) row.push_back(i);
    }
    const auto at = std::find(row.begin(), row.end(), active) - row.begin();
    const auto size = static_cast<std::ptrdiff_t>(row.size());
    return row[static_cast<std::size_t>(((at + step) % size + size) % size)];
  };
  switch (key.code) {
    case Key::Code::Escape: CloseMenu(); return true;
    case Key::Code::Down: menu_.active = sibling(1); break;
    case Key::Code::Up: menu_.active = sibling(-1); break;
    case Key::Code::Right:
      if (menu_.items[static_cast<std::size_t>(active)].act == MenuItem::Act::Submenu) return ChooseMenuItem(active);
      return true;
    case Key::Code::Left:
      if (depth > 0) {
        int parent = active;
        while (parent > 0 && menu_.items[static_cast<std::size_t>(parent)].depth >= depth) --parent;
        menu_.active = parent;
        break;
      }
      return true;
    case Key::Code::Enter: return ChooseMenuItem(active);
    default:
      if (key.code == Key::Code::Character && key.text == " " && Plain(key)) return ChooseMenuItem(active);
      return true;  // the menu has the keys while it is open
  }
  Emit(Effect::Kind::Menu);
  return true;
}

void Controller::OpenEditor(const std::string& name, int line) {
  const std::optional<LineOffer> offer = OfferOf(name, line);
  if (!offer || !offer->number) return;
  editor_ = Editor{};
  editor_.open = true;
  editor_.list = name;
  editor_.field = line;
  editor_.caption = offer->number->caption;
  editor_.label = offer->number->label;
  editor_.text = offer->number->value;
  editor_.ok = EditedNumber(*offer, editor_.text).has_value();
  before_dialog_ = focus_;
  Emit(Effect::Kind::Editor);
  SetFocus(std::string(kEditorBox), Length(editor_.text), 0);
}

void Controller::CloseEditor() {
  if (!editor_.open) return;
  editor_ = Editor{};
  Emit(Effect::Kind::Editor);
  focus_ = before_dialog_;
  Emit(Effect::Kind::Focus);
}

bool Controller::EditorOk() {
  if (!editor_.open) return false;
  const Editor editor = editor_;
  const std::optional<LineOffer> offer = OfferOf(editor.list, editor.field);
  const std::optional<std::uint32_t> value = offer ? EditedNumber(*offer, editor.text) : std::nullopt;
  if (!value) return false;
  CloseEditor();
  SetField(editor.list, editor.field, *offer->field, *value);
  return true;
}

void Controller::EditorCancel() { CloseEditor(); }

bool Controller::KeyInEditor(const Key& key) {
  const std::optional<LineOffer> offer = OfferOf(editor_.list, editor_.field);
  if (key.code == Key::Code::Escape) {
    CloseEditor();
    return true;
  }
  if (key.code == Key::Code::Enter) {
    EditorOk();
    return true;
  }
  const auto accept = [&offer](const std::string& text) {
    return (offer && EditedNumber(*offer, text)) || CharCount(text) <= kEditorLongest;
  };
  std::string text = editor_.text;
  int caret = focus_.caret;
  int anchor = focus_.anchor;
  KeyInText(text, caret, anchor, 32767, key, accept);
  if (text != editor_.text) {
    editor_.text = text;
    editor_.ok = offer && EditedNumber(*offer, text);
    Emit(Effect::Kind::Editor);
  }
  if (caret != focus_.caret || anchor != focus_.anchor) {
    focus_.caret = caret;
    focus_.anchor = anchor;
    Emit(Effect::Kind::Focus);
  }
  return true;
}

// ---- Editing a line of text.

bool Controller::KeyInText(std::string& text, int& caret, int& anchor, int max_length, const Key& key,
                           const std::function<bool(const std::string&)>& accept) {
  const int length = Length(text);
  caret = std::clamp(caret, 0, length);
  anchor = std::clamp(anchor, 0, length);
  const int low = std::min(caret, anchor);
  const int high = std::max(caret, anchor);
  const auto replace = [&](const std::string& inserted) {
    const std::string kept = Head(text, low) + Tail(text, high);
    const int room = std::max(0, max_length - Length(kept));
    const std::string fitted = Head(inserted, room);
    const std::string changed = Head(kept, low) + fitted + Tail(kept, low);
    if (!accept(changed)) return false;
    text = changed;
    caret = anchor = low + Length(fitted);
    return true;
  };
  const bool shift = key.shift && !key.ctrl && !key.alt && !key.meta;
  switch (key.code) {
    case Key::Code::Character:
      if (CtrlLetter(key, 'c')) {
        // The selected text to the clipboard, as a line of text copies it.
        if (low != high) {
          clipboard_ = Tail(Head(text, high), low);
          Emit(Effect::Kind::Clipboard, {}, clipboard_);
        }
        return true;
      }
      if (CtrlLetter(key, 'a')) {
        anchor = 0;
        caret = length;
        return true;
      }
      if (!Typed(key)) return false;
      replace(key.text);
      return true;
    case Key::Code::Paste: replace(OneLine(key.text)); return true;
    case Key::Code::Backspace:
      if (low != high) return replace("") || true;
      if (caret > 0) {
        const std::string changed = Head(text, caret - 1) + Tail(text, caret);
        if (accept(changed)) {
          text = changed;
          caret = anchor = caret - 1;
        }
      }
      return true;
    case Key::Code::Delete:
      if (low != high) return replace("") || true;
      if (caret < length) {
        const std::string changed = Head(text, caret) + Tail(text, caret + 1);
        if (accept(changed)) text = changed;
      }
      return true;
    case Key::Code::Left:
      if (shift) {
        caret = std::max(0, caret - 1);
      } else {
        caret = anchor = low != high ? low : std::max(0, caret - 1);
      }
      return true;
    case Key::Code::Right:
      if (shift) {
        caret = std::min(length, caret + 1);
      } else {
        caret = anchor = low != high ? high : std::min(length, caret + 1);
      }
      return true;
    case Key::Code::Home:
      caret = 0;
      if (!shift) anchor = 0;
      return true;
    case Key::Code::End:
      caret = length;
      if (!shift) anchor = length;
      return true;
    default: return false;
  }
}

bool Controller::KeyInBox(int index, const Key& key) {
  const BoxSpec& spec = front_->boxes[static_cast<std::size_t>(index)];
  const std::string name = spec.name;
  if (key.code == Key::Code::Tab) return Tab(key.shift);
  if (CtrlLetter(key, 'z')) {
    if (const ListSpec* list = FrontList()) Undo(list->name);
    return true;
  }
  if (CtrlLetter(key, 'v')) return Paste(clipboard_);
  const std::string before = model_.Text(name);
  const BoxState state{before, Utf16Units(before, focus_.caret), focus_.caret != focus_.anchor};
  const KeyOutcome outcome = ostrolen::KeyInBox(*front_, index, state, key);
  if (outcome.handled) {
    const PageLayout& page = *front_;
    for (const KeyAction& action : outcome.actions) {
      switch (action.kind) {
        case KeyAction::Kind::Write:
          model_.SetText(page.boxes[static_cast<std::size_t>(action.box)].name, action.text);
          break;
        case KeyAction::Kind::EraseLast: {
          const std::string& target = page.boxes[static_cast<std::size_t>(action.box)].name;
          const std::string text = model_.Text(target);
          model_.SetText(target, Head(text, std::max(0, Length(text) - 1)));
          break;
        }
        case KeyAction::Kind::Focus: FocusBox(action.box, action.caret); break;
        case KeyAction::Kind::Press: Press(action.button); break;
        case KeyAction::Kind::Forget: ForgetLine(page); break;
      }
    }
    return true;
  }
  if (spec.read_only()) return false;
  std::string text = before;
  int caret = focus_.caret;
  int anchor = focus_.anchor;
  const bool taken = KeyInText(text, caret, anchor, spec.max_length, key, [](const std::string&) { return true; });
  if (text != before) {
    model_.SetText(name, text);
    ForgetLine(*front_);
  }
  if (caret != focus_.caret || anchor != focus_.anchor) {
    focus_.caret = caret;
    focus_.anchor = anchor;
    Emit(Effect::Kind::Focus);
  }
  return taken;
}

void Controller::ClickBox(std::string_view box, int caret, int anchor) {
  for (std::size_t i = 0; i < front_->boxes.size(); ++i) {
    if (front_->boxes[i].name != box || front_->boxes[i].read_only()) continue;
    const int length = Length(model_.Text(box));
    caret = std::clamp(caret, 0, length);
    anchor = std::clamp(anchor, 0, length);
    if (ClickSelectsAll(*front_, static_cast<int>(i), caret != anchor)) {
      caret = length;
      anchor = 0;
    }
    SetFocus(std::string(box), caret, anchor);
    return;
  }
}

void Controller::BoxEdited(std::string_view box, const std::string& text, int caret, int anchor) {
  const BoxOnPage found = FindBox(box);
  if (found.box == nullptr || found.box->read_only()) return;
  if (model_.Text(box) != text) {
    model_.ModelWindow::SetText(box, text);
    ForgetLine(*found.page);
  }
  if (focus_.control == box) {
    focus_.caret = caret;
    focus_.anchor = anchor;
  }
}

void Controller::Focused(std::string_view control, int caret, int anchor) {
  // The search list closes when the focus leaves its box.
  if (control != kSearchBox) CloseSearch();
  focus_ = {std::string(control), caret, anchor};
}

void Controller::LinesChosen(std::string_view name, const std::vector<int>& rows, int current) {
  if (name == kHistoryList) {
    if (!history_.open) return;
    for (std::size_t i = 0; i < history_.entries.size(); ++i) {
      history_.entries[i].selected = std::find(rows.begin(), rows.end(), static_cast<int>(i)) != rows.end();
    }
    if (current >= 0) history_.current = current;
    RefreshHistory();
    return;
  }
  List& list = MutableList(name);
  bool changed = false;
  for (std::size_t i = 0; i < list.lines.size(); ++i) {
    const bool chosen = !list.lines[i].gone && std::find(rows.begin(), rows.end(), static_cast<int>(i)) != rows.end();
    changed = changed || chosen != list.lines[i].selected;
    list.lines[i].selected = chosen;
  }
  if (current >= 0 && current < static_cast<int>(list.lines.size()) && current != list.current) {
    list.current = current;
    list.anchor = current;
    changed = true;
  }
  if (changed) Emit(Effect::Kind::Selection, std::string(name));
}

// ---- Keys.

bool Controller::KeyIn(const Key& key) {
  if (table_.open) return KeyInTable(key);
  if (menu_.open) return KeyInMenu(key);
  if (editor_.open) return KeyInEditor(key);
  if (history_.open) return KeyInHistory(key);
  if (reading_ && key.code == Key::Code::Escape) {
    Emit(Effect::Kind::CancelReading);
    return true;
  }
  if (WindowKey(key)) return true;
  if (focus_.control == kSearchBox) return KeyInSearch(key);
  for (std::size_t i = 0; i < front_->boxes.size(); ++i) {
    if (front_->boxes[i].name == focus_.control) return KeyInBox(static_cast<int>(i), key);
  }
  for (const ListSpec& list : front_->lists) {
    if (list.name == focus_.control) return KeyInList(list.name, key);
  }
  for (const ButtonSpec& button : front_->buttons) {
    if (button.name != focus_.control) continue;
    if (key.code == Key::Code::Tab) return Tab(key.shift);
    if (CtrlLetter(key, 'z')) {
      if (const ListSpec* list = FrontList()) Undo(list->name);
      return true;
    }
    // A button has no text to copy: the clipboard stays as it was.
    if (CtrlLetter(key, 'c')) return true;
    if ((key.code == Key::Code::Enter || (key.code == Key::Code::Character && key.text == " ")) && Plain(key)) {
      return Press(button.name);
    }
    return false;
  }
  return false;
}

bool Controller::WindowKey(const Key& key) {
  if (CtrlLetter(key, 'r')) {
    KeepReference();
    return true;
  }
  if (CtrlLetter(key, 'h')) {
    OpenHistory();
    return true;
  }
  if (CtrlLetter(key, 's')) {
    SaveHistory();
    return true;
  }
  if (CtrlLetter(key, 'b')) {
    OpenTable();
    return true;
  }
  if (CtrlLetter(key, 'm')) {
    SetCompact(!desk_.compact);
    return true;
  }
  if (options_.zoom_keys && key.ctrl && !key.alt && !key.meta && key.code == Key::Code::Character) {
    // Ctrl+Plus with or without Shift, on the main keys or the keypad.
    if (key.text == "+" || key.text == "=") return Zoom(1) || true;
    if (key.text == "-" || key.text == "_") return Zoom(-1) || true;
    if (key.text == "0") return Zoom(0) || true;
  }
  if (CtrlLetter(key, 'p')) {
    Print();
    return true;
  }
  if (CtrlLetter(key, 'f')) {
    // The search box is on the toolbar, which the compact view hides.
    if (desk_.compact) SetCompact(false);
    SetFocus(std::string(kSearchBox), Length(search_.text), 0);
    RefreshSearch();
    return true;
  }
  return false;
}

bool Controller::KeyInList(const std::string& name, const Key& key) {
  List& list = MutableList(name);
  const ListSpec* spec = FrontList();
  const int n = static_cast<int>(list.lines.size());
  if (key.code == Key::Code::Tab) return Tab(key.shift);
  if (CtrlLetter(key, 'z')) return Undo(name) || true;
  if (CtrlLetter(key, 'c')) return CopyLines() || true;
  if (CtrlLetter(key, 'a')) {
    for (Line& line : list.lines) line.selected = !line.gone;
    Emit(Effect::Kind::Selection, name);
    return true;
  }
  if (key.code == Key::Code::Menu) {
    const bool chosen =
        list.current >= 0 && list.current < n && list.lines[static_cast<std::size_t>(list.current)].selected;
    OpenMenu(name, chosen ? list.current : -1);
    return true;
  }
  if (key.code == Key::Code::Enter && Plain(key)) {
    int selected = -1;
    int count = 0;
    for (int i = 0; i < n; ++i) {
      if (list.lines[static_cast<std::size_t>(i)].selected) {
        selected = i;
        ++count;
      }
    }
    if (count == 1) Activate(name, selected);
    return true;
  }
  if (key.ctrl || key.alt || key.meta) return false;
  int step = 0;
  switch (key.code) {
    case Key::Code::Down: step = 1; break;
    case Key::Code::Up: step = -1; break;
    case Key::Code::PageDown: step = PageStep(spec->height, spec->line_height); break;
    case Key::Code::PageUp: step = -PageStep(spec->height, spec->line_height); break;
    case Key::Code::Home: step = -n; break;
    case Key::Code::End: step = n; break;
    default: return false;
  }
  if (n == 0) return true;
  // Gone lines are passed over; a step that ends on one goes on in its direction, or back.
  // With no line chosen yet, End goes to the last line and every other key to the first.
  const int target = list.current < 0 ? (step == n ? n - 1 : 0) : std::clamp(list.current + step, 0, n - 1);
  const auto gone = [&list](int i) { return list.lines[static_cast<std::size_t>(i)].gone; };
  const int direction = step >= 0 ? 1 : -1;
  int found = target;
  while (found >= 0 && found < n && gone(found)) found += direction;
  if (found < 0 || found >= n) {
    found = target;
    while (found >= 0 && found < n && gone(found)) found -= direction;
  }
  if (found < 0 || found >= n) return true;
  Select(name, found, key.shift, false);
  return true;
}

bool Controller::ClickLine(int line, bool shift, bool ctrl) {
  if (history_.open) {
    if (line < 0 || static_cast<std::size_t>(line) >= history_.entries.size()) return false;
    auto& entries = history_.entries;
    if (ctrl) {
      entries[static_cast<std::size_t>(line)].selected = !entries[static_cast<std::size_t>(line)].selected;
    } else if (shift && history_.current >= 0) {
      const int low = std::min(history_.current, line);
      const int high = std::max(history_.current, line);
      for (int i = 0; i < static_cast<int>(entries.size()); ++i)
        entries[static_cast<std::size_t>(i)].selected = i >= low && i <= high;
    } else {
      for (HistoryEntryView& entry : entries) entry.selected = false;
      entries[static_cast<std::size_t>(line)].selected = true;
    }
    history_.current = line;
    RefreshHistory();
    return true;
  }
  if (menu_.open || editor_.open) return false;
  const ListSpec* spec = FrontList();
  if (spec == nullptr) return false;
  const List& list = ListOf(spec->name);
  if (line < 0 || static_cast<std::size_t>(line) >= list.lines.size()) return false;
  if (focus_.control != spec->name) SetFocus(spec->name, -1, -1);
  Select(spec->name, line, shift, ctrl);
  return true;
}

bool Controller::DoubleClickLine(int line) {
  if (history_.open) {
    if (!ClickLine(line)) return false;
    ChooseEntry();
    return true;
  }
  if (!ClickLine(line)) return false;
  Activate(FrontList()->name, line);
  return true;
}

bool Controller::ActivateLine(std::string_view list, int line) {
  const std::string name(list);
  if (ActivationOf(OfferOf(name, line)) == Activation::None) return false;
  CloseMenu();
  Activate(name, line);
  return true;
}

bool Controller::Offers(std::string_view list, int line) const {
  return ActivationOf(OfferOf(std::string(list), line)) != Activation::None;
}

bool Controller::MenuOnLine(int line) {
  if (history_.open || menu_.open || editor_.open) return false;
  const ListSpec* spec = FrontList();
  if (spec == nullptr) return false;
  const List& list = ListOf(spec->name);
  if (line >= static_cast<int>(list.lines.size())) return false;
  if (focus_.control != spec->name) SetFocus(spec->name, -1, -1);
  if (line >= 0 && !list.lines[static_cast<std::size_t>(line)].gone &&
      !list.lines[static_cast<std::size_t>(line)].selected) {
    Select(spec->name, line, false, false);
  }
  OpenMenu(spec->name, line >= 0 && list.lines[static_cast<std::size_t>(line)].gone ? -1 : line);
  return true;
}

bool Controller::Paste(const std::string& text) {
  clipboard_ = text;
  Key key;
  key.code = Key::Code::Paste;
  key.text = text;
  if (menu_.open || history_.open) return false;
  if (editor_.open) return KeyInEditor(key);
  if (focus_.control == kSearchBox) return KeyInSearch(key);
  for (std::size_t i = 0; i < front_->boxes.size(); ++i) {
    if (front_->boxes[i].name == focus_.control) return KeyInBox(static_cast<int>(i), key);
  }
  return false;
}

// ---- Presses and the database.

bool Controller::Press(std::string_view button) {
  if (menu_.open || editor_.open || history_.open) return false;
  const ButtonOnPage found = FindButton(button);
  if (found.button == nullptr) return false;
  if (reading_) return true;  // the reading under way answers first
  ForgetLine(*found.page);
  const std::string name(button);
  WhenRead(name, [this, name] { session_.Press(model_, name); }, {});
  return true;
}

void Controller::WhenRead(std::string_view button, std::function<void()> press, std::function<void()> then) {
  if (reading_) return;
  std::vector<Statement> statements = PressStatements(model_, button);
  if (statements.empty()) {
    press();
    AfterPress(button);
    if (then) then();
    return;
  }
  auto pending = std::make_unique<Pending>();
  pending->button = std::string(button);
  pending->statements = std::move(statements);
  pending->press = std::move(press);
  pending->then = std::move(then);
  Ask(std::move(pending));
}

void Controller::Ask(std::unique_ptr<Pending> pending) {
  Effect effect;
  effect.kind = Effect::Kind::Read;
  effect.name = pending->button;
  effect.statements = pending->statements;
  reading_ = std::move(pending);
  effects_.push_back(std::move(effect));
}

void Controller::AskMany(std::string_view button, std::vector<Statement> statements, std::function<void()> press,
                         std::function<void()> cancelled) {
  auto pending = std::make_unique<Pending>();
  pending->button = std::string(button);
  pending->statements = std::move(statements);
  pending->press = std::move(press);
  pending->cancelled = std::move(cancelled);
  pending->many = true;
  Ask(std::move(pending));
}

void Controller::ReadingAnswered(std::vector<StatementOutcome> outcomes) {
  if (!reading_) return;
  std::unique_ptr<Pending> pending = std::move(reading_);
  Emit(Effect::Kind::ReadingEnded);
  // Ended by the operator: no box, the list as it was.
  for (const StatementOutcome& outcome : outcomes) {
    if (outcome.failure != ReadFailure::Cancelled) continue;
    if (pending->cancelled) pending->cancelled();
    return;
  }
  if (pending->many) {
    Connection& database = ReferenceDatabase();
    database.Keep(pending->statements, std::move(outcomes));
    struct Forgetting {
      Connection& database;
      ~Forgetting() { database.ForgetKept(); }
    } forgetting{database};
    pending->press();
    return;
  }
  ReferenceDatabase().Prefetched(pending->statements, std::move(outcomes));
  pending->press();
  AfterPress(pending->button);
  if (pending->then) pending->then();
}

void Controller::AfterPress(std::string_view /*button*/) {
  const std::set<std::string, std::less<>> touched = std::move(model_.touched);
  model_.touched.clear();
  for (const std::string& list : touched) Redraw(list);
  model_.cleared.clear();
  const std::string address = Address();
  if (address != address_) {
    address_ = address;
    Emit(Effect::Kind::Address, {}, address);
  }
}

std::optional<std::string> Controller::Open(const ostrolen::Address& address) {
  const PageCommand* command = FindPageCommand(address.page);
  if (command == nullptr) return "unknown page '" + address.page + "'";
  try {
    TypedBoxes(*command, address.words);
  } catch (const WordsError& error) {
    return error.message;
  }
  if (reading_) return std::nullopt;
  BringToFront(*FindButton(command->button).page);
  for (const BoxSpec* box : EnterBoxes(command->boxes_of.empty() ? command->button : command->boxes_of)) {
    model_.SetText(box->name, "");
  }
  for (const auto& [name, text] : TypedBoxes(*command, address.words)) model_.SetText(name, text);
  const std::string button(command->button);
  WhenRead(button, [this, address] { session_.Open(model_, address); }, {});
  return std::nullopt;
}

// ---- The session's commands.

void Controller::KeepReference() {
  // The page in front only: a page without a result list keeps nothing.
  const ListSpec* list = FrontList();
  const PageCommand* command = list == nullptr ? nullptr : Session::CommandOfList(list->name);
  if (command != nullptr) session_.KeepReference(command->name);
}

void Controller::OpenHistory() {
  if (history_.open || menu_.open || editor_.open) return;
  before_dialog_ = focus_;
  history_ = HistoryView{};
  history_.open = true;
  for (const HistoryEntry* entry : session_.history().Newest()) {
    HistoryEntryView view;
    view.number = entry->number;
    view.title = EntryTitle(*entry);
    view.page = entry->page;
    for (const SourcedLine& line : entry->lines) view.tip += (view.tip.empty() ? "" : "\n") + line.text;
    history_.entries.push_back(std::move(view));
  }
  if (!history_.entries.empty()) {
    history_.entries.front().selected = true;
    history_.current = 0;
  }
  RefreshHistory();
  SetFocus(std::string(kHistoryList), -1, -1);
}

void Controller::RefreshHistory() {
  std::vector<const HistoryEntryView*> chosen;
  for (const HistoryEntryView& entry : history_.entries) {
    if (entry.selected) chosen.push_back(&entry);
  }
  history_.can_choose = chosen.size() == 1;
  history_.can_compare = chosen.size() == 2 && chosen[0]->page == chosen[1]->page;
  Emit(Effect::Kind::History);
}

void Controller::CloseHistory() {
  if (!history_.open) return;
  history_ = HistoryView{};
  Emit(Effect::Kind::History);
  focus_ = before_dialog_;
  Emit(Effect::Kind::Focus);
}

bool Controller::ChooseEntry() {
  if (!history_.open || !history_.can_choose || reading_) return false;
  int number = 0;
  for (const HistoryEntryView& entry : history_.entries) {
    if (entry.selected) number = entry.number;
  }
  return BackOnPage(number, [this, number] { session_.Choose(model_, number); });
}

bool Controller::BackOnPage(int number, std::function<void()> press) {
  const std::optional<History::Choice> choice = session_.history().Choose(number);
  const PageCommand* command = choice ? FindPageCommand(choice->page) : nullptr;
  CloseHistory();
  if (command == nullptr) return false;
  BringToFront(*FindButton(command->button).page);
  for (const auto& [name, text] : choice->boxes) model_.SetText(name, text);
  WhenRead(command->button, std::move(press), {});
  return true;
}

bool Controller::CompareEntries() {
  if (!history_.open || !history_.can_compare || reading_) return false;
  std::vector<int> numbers;
  for (const HistoryEntryView& entry : history_.entries) {
    if (entry.selected) numbers.push_back(entry.number);
  }
  const int older = std::min(numbers[0], numbers[1]);
  const int newer = std::max(numbers[0], numbers[1]);
  return BackOnPage(newer, [this, older, newer] { session_.CompareEntries(model_, older, newer); });
}

bool Controller::KeyInHistory(const Key& key) {
  const int n = static_cast<int>(history_.entries.size());
  // The history's report, as the toolbar's command prints it while the view is open.
  if (CtrlLetter(key, 'p')) {
    Print();
    return true;
  }
  switch (key.code) {
    case Key::Code::Escape: CloseHistory(); return true;
    case Key::Code::Enter: ChooseEntry(); return true;
    case Key::Code::Up:
    case Key::Code::Down:
    case Key::Code::Home:
    case Key::Code::End: {
      if (n == 0) return true;
      int target = history_.current;
      if (key.code == Key::Code::Up) target = std::max(0, target - 1);
      if (key.code == Key::Code::Down) target = std::min(n - 1, target + 1);
      if (key.code == Key::Code::Home) target = 0;
      if (key.code == Key::Code::End) target = n - 1;
      ClickLine(std::max(0, target), key.shift, false);
      return true;
    }
    default: return true;
  }
}

void Controller::SaveHistory() { Emit(Effect::Kind::SaveReport); }

void Controller::Print() {
  if (menu_.open || editor_.open || table_.open) return;
  Printout printout = PrintoutNow();
  Emit(Effect::Kind::Print, std::move(printout.title), std::move(printout.html));
}

Printout Controller::PrintoutNow() const {
  if (history_.open) return ReportPrintout(session_.history());
  BoxTexts boxes;
  for (const BoxSpec& box : front_->boxes) {
    if (box.role == BoxRole::Input) boxes.emplace_back(box.name, Text(box.name));
  }
  const ListSpec* list = FrontList();
  const auto now = options_.clock ? options_.clock() : std::chrono::system_clock::now();
  return PagePrintout(*front_, boxes, list == nullptr ? nullptr : &ListOf(list->name), now);
}

// ---- The search.

void Controller::SetSearchRows(const RowListing& listing) {
  index_.SetRows(listing);
  if (search_.open) RefreshSearch();
}

void Controller::RefreshSearch() {
  if (options_.rows) {
    if (const RowListing* listing = options_.rows()) index_.SetRows(*listing);
  }
  search_.shown = ostrolen::ListOf(index_, search_.text);
  search_.open = !FoldForSearch(search_.text).empty();
  if (!search_.open) search_.shown = SearchList{};
  search_.current = search_.shown.lines.empty() ? -1 : 0;
  Emit(Effect::Kind::Search);
}

void Controller::Find(const std::string& text) {
  search_.text = text;
  const int length = Length(text);
  focus_ = {std::string(kSearchBox), length, length};
  Emit(Effect::Kind::Focus);
  RefreshSearch();
}

void Controller::SearchEdited(const std::string& text) {
  if (text == search_.text) return;
  search_.text = text;
  RefreshSearch();
}

bool Controller::EditorEdited(const std::string& text) {
  if (!editor_.open) return false;
  const std::optional<LineOffer> offer = OfferOf(editor_.list, editor_.field);
  const bool valid = offer && EditedNumber(*offer, text);
  if (!valid && CharCount(text) > kEditorLongest) {
    Emit(Effect::Kind::Editor);
    return false;
  }
  editor_.text = text;
  editor_.ok = valid;
  Emit(Effect::Kind::Editor);
  return true;
}

void Controller::CloseSearch() {
  if (!search_.open) return;
  search_.open = false;
  Emit(Effect::Kind::Search);
}

bool Controller::KeyInSearch(const Key& key) {
  const int n = static_cast<int>(search_.shown.lines.size());
  switch (key.code) {
    case Key::Code::Escape:
      if (!search_.open) return false;
      CloseSearch();
      return true;
    case Key::Code::Up:
    case Key::Code::Down:
    case Key::Code::PageUp:
    case Key::Code::PageDown: {
      if (!search_.open) RefreshSearch();
      if (n == 0 && search_.shown.lines.empty()) return true;
      const int lines = static_cast<int>(search_.shown.lines.size());
      const int page = PageStep(shell::kSearchListHeight, shell::kSearchLineHeight);
      const int step = key.code == Key::Code::Down       ? 1
                       : key.code == Key::Code::Up       ? -1
                       : key.code == Key::Code::PageDown ? page
                                                         : -page;
      search_.current = std::clamp(search_.current + step, 0, lines - 1);
      Emit(Effect::Kind::Search);
      return true;
    }
    case Key::Code::Enter:
      if (search_.open && search_.current >= 0) ChooseMatch(search_.current);
      return true;
    case Key::Code::Tab: CloseSearch(); return Tab(key.shift);
    default: break;
  }
  std::string text = search_.text;
  int caret = focus_.caret;
  int anchor = focus_.anchor;
  const bool taken = KeyInText(text, caret, anchor, 32767, key, [](const std::string&) { return true; });
  focus_.caret = caret;
  focus_.anchor = anchor;
  if (text != search_.text) {
    search_.text = text;
    RefreshSearch();
  }
  Emit(Effect::Kind::Focus);
  return taken;
}

bool Controller::ChooseMatch(int match) {
  if (match < 0 || static_cast<std::size_t>(match) >= search_.shown.matches.size() || reading_) return false;
  const SearchEntry& entry = *search_.shown.matches[static_cast<std::size_t>(match)].entry;
  CloseSearch();
  const ChosenMatch chosen = WriteMatch(model_, entry);
  const MatchAction action = chosen.action;
  const PageLayout* page = PageOfSheet(action.sheet);
  if (page == nullptr) return true;
  BringToFront(*page);
  const std::string list = page->list() == nullptr ? std::string() : page->list()->name;
  if (chosen.change && !list.empty()) undo_[list].Add(*chosen.change);
  const auto select = [this, action, list] {
    if (list.empty()) return;
    std::vector<std::string> texts;
    std::vector<const LineOrigin*> origins;
    for (const Line& line : ListOf(list).lines) {
      texts.push_back(line.gone ? std::string() : line.text);
      origins.push_back(line.gone ? nullptr : &line.origin);
    }
    const int row = LineOfMatch(action, texts, origins);
    if (row < 0) return;
    Select(list, row, false, false);
    SetFocus(list, -1, -1);
  };
  if (action.button.empty()) {
    select();
  } else {
    WhenRead(
        action.button, [this, button = action.button] { session_.Press(model_, button); }, select);
  }
  return true;
}

// ---- Choosing by text.

bool Controller::Choose(std::string_view text) {
  if (menu_.open) {
    for (std::size_t i = 0; i < menu_.items.size(); ++i) {
      if (menu_.items[i].text == text) return ChooseMenuItem(static_cast<int>(i));
    }
    return false;
  }
  if (editor_.open) {
    if (text == shell::kOk) return editor_.ok && EditorOk();
    if (text == shell::kCancel) {
      EditorCancel();
      return true;
    }
    return false;
  }
  if (history_.open) {
    for (std::size_t i = 0; i < history_.entries.size(); ++i) {
      if (history_.entries[i].title == text) return ClickLine(static_cast<int>(i), false, true);
    }
    if (text == shell::kChooseEntry) return history_.can_choose && ChooseEntry();
    if (text == shell::kCompareEntries) return history_.can_compare && CompareEntries();
    if (text == shell::kCancel) {
      CloseHistory();
      return true;
    }
    return false;
  }
  if (search_.open) {
    for (std::size_t i = 0; i < search_.shown.lines.size(); ++i) {
      if (search_.shown.lines[i] == text) return ChooseMatch(static_cast<int>(i));
    }
  }
  return false;
}

Session::Clock ReplayClock() {
  auto next = std::make_shared<std::chrono::system_clock::time_point>(std::chrono::sys_days(
      std::chrono::year_month_day(std::chrono::year(2026), std::chrono::month(1), std::chrono::day(1))));
  return [next] {
    *next += std::chrono::seconds(1);
    return *next;
  };
}

// ---- The window on the desk.

void Controller::ChangeDesk(const Desk& desk) {
  if (desk == desk_) return;
  desk_ = desk;
  Emit(Effect::Kind::Desk);
}

void Controller::SetDesk(const Desk& desk) {
  Desk kept = desk;
  kept.desktop = desk_.desktop;
  kept.zoom = NextZoom(desk.zoom, 0, largest_zoom_);
  ChangeDesk(kept);
}

void Controller::DesktopLook(std::optional<Look> look) {
  Desk desk = desk_;
  desk.desktop = look;
  ChangeDesk(desk);
}

void Controller::LargestZoom(int zoom) {
  largest_zoom_ = std::max(zoom, kZoomSteps.front());
  Desk desk = desk_;
  desk.zoom = NextZoom(desk.zoom, 0, largest_zoom_);
  ChangeDesk(desk);
}

bool Controller::Zoom(int direction) {
  Desk desk = desk_;
  desk.zoom = direction == 0 ? kZoomSteps.front() : NextZoom(desk_.zoom, direction, largest_zoom_);
  if (desk.zoom == desk_.zoom) return false;
  ChangeDesk(desk);
  return true;
}

void Controller::ChooseLook(Look look) {
  Desk desk = desk_;
  desk.chosen = look;
  desk.follow_desktop = false;
  ChangeDesk(desk);
}

void Controller::FollowDesktop(bool follow) {
  Desk desk = desk_;
  desk.follow_desktop = follow;
  // What shows now stays the choice for when the desktop's look is not followed.
  if (!follow) desk.chosen = desk_.Shown();
  ChangeDesk(desk);
}

void Controller::SetOnTop(bool on_top) {
  Desk desk = desk_;
  desk.on_top = on_top;
  ChangeDesk(desk);
}

void Controller::SetCompact(bool compact) {
  Desk desk = desk_;
  desk.compact = compact;
  ChangeDesk(desk);
}

}  // namespace ostrolen::ui
