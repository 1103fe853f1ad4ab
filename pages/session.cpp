#include "pages/session.h"

#include <iterator>
#include <utility>

#include "core/shell.h"
#include "core/typing.h"
#include "core/utf8.h"
#include "pages/pages.h"

namespace ostrolen {
namespace {

std::string_view BoxesOf(const PageCommand& command) {
  return command.boxes_of.empty() ? command.button : command.boxes_of;
}

// The list a command's press fills; nullptr for a page without one.
const ListSpec* ListOf(const PageCommand& command) {
  const ButtonOnPage found = FindButton(command.button);
  return found.page == nullptr ? nullptr : found.page->list();
}

// The number of characters SpreadCharacters gives for a well-formed UTF-8
// text, counted in place.
std::size_t SpreadCount(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if ((lead >= '0' && lead <= '9') || (lead >= 'A' && lead <= 'Z') || (lead >= 'a' && lead <= 'z')) {
      ++count;  // the digits of a word, quickly
      ++i;
      continue;
    }
    const std::size_t n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t code = n == 1 ? lead : n == 2 ? (lead & 0x1FU) : n == 3 ? (lead & 0x0FU) : (lead & 0x07U);
    for (std::size_t k = 1; k < n && i + k < text.size(); ++k) {
      code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3FU);
    }
    i += n;
    if (IsWordSeparator(code) || code < 0x20 || code == 0x7F) continue;
    ++count;
  }
  return count;
}

// Passes everything on to the window and keeps what a press shows in one list.
class Recorder : public Window {
 public:
  Recorder(Window& window, std::string_view list) : window_(window), list_(list) {}

  std::string Text(std::string_view box) const override { return window_.Text(box); }
  void SetText(std::string_view box, std::string_view text) override { window_.SetText(box, text); }
  void ClearList(std::string_view list) override {
    if (list == list_) {
      lines_.clear();
      cleared_ = true;
    }
    window_.ClearList(list);
  }
  void AppendLine(std::string_view list, std::string_view line) override {
    if (list == list_) lines_.push_back({std::string(line), {}});
    window_.AppendLine(list, line);
  }
  void AppendSourcedLine(std::string_view list, std::string_view line, const LineOrigin& origin) override {
    if (list == list_) lines_.push_back({std::string(line), origin});
    window_.AppendSourcedLine(list, line, origin);
  }
  void InputErrorReport(std::string_view text) override {
    reports_.emplace_back(text);
    window_.InputErrorReport(text);
  }
  void ShowError(std::string_view text) override {
    error_ = std::string(text);
    window_.ShowError(text);
  }

  std::vector<SourcedLine>& lines() { return lines_; }
  // Whether the press cleared the list before its lines.
  bool cleared() const { return cleared_; }
  std::vector<std::string>& reports() { return reports_; }
  std::optional<std::string>& error() { return error_; }

 private:
  Window& window_;
  std::string_view list_;
  std::vector<SourcedLine> lines_;
  std::vector<std::string> reports_;
  std::optional<std::string> error_;
  bool cleared_ = false;
};

}  // namespace

std::vector<const BoxSpec*> EnterBoxes(std::string_view button) {
  std::vector<const BoxSpec*> boxes;
  const ButtonOnPage found = FindButton(button);
  if (found.page == nullptr) return boxes;
  for (int i = 0; i < static_cast<int>(found.page->boxes.size()); ++i) {
    if (IsInputBox(*found.page, i) && EnterButton(*found.page, i) == button) {
      boxes.push_back(&found.page->boxes[static_cast<std::size_t>(i)]);
    }
  }
  return boxes;
}

const PageCommand* FindPageCommand(std::string_view name) {
  for (const PageLayout* page : AllPages()) {
    for (const PageCommand& command : page->commands) {
      if (command.name == name) return &command;
    }
  }
  return nullptr;
}

BoxTexts TypedBoxes(const PageCommand& command, const std::vector<std::string>& words) {
  const std::vector<const BoxSpec*> boxes = EnterBoxes(BoxesOf(command));
  for (const std::string& word : words) {
    if (!IsValidUtf8(word)) throw WordsError("a word is not valid UTF-8");
  }
  BoxTexts settings;
  if (command.word_length == 0) {
    if (words.size() > boxes.size()) {
      throw WordsError(std::string(command.name) + " takes at most " + std::to_string(boxes.size()) +
                       " words: " + std::string(command.words));
    }
    for (std::size_t i = 0; i < words.size(); ++i) {
      if (CharCount(words[i]) > static_cast<std::size_t>(boxes[i]->max_length)) {
        throw WordsError("'" + words[i] + "' is longer than " + std::to_string(boxes[i]->max_length) + " character(s)");
      }
      settings.emplace_back(boxes[i]->name, words[i]);
    }
    return settings;
  }
  // The words' characters as a paste of them spreads them over the boxes;
  // counted first, so that a line of millions of them is refused as it is
  // read, without holding each as a text of its own.
  std::size_t count = 0;
  for (const std::string& word : words) count += SpreadCount(word);
  const auto length = static_cast<std::size_t>(command.word_length);
  if (count % length != 0) {
    throw WordsError(std::string(command.name) + " takes words of " + std::to_string(length) + " character(s); got " +
                     std::to_string(count) + " in all");
  }
  if (count > boxes.size()) {
    throw WordsError(std::string(command.name) + " takes at most " + std::to_string(boxes.size() / length) +
                     " word(s): " + std::string(command.words));
  }
  std::vector<std::string> characters;
  for (const std::string& word : words) {
    for (std::string& c : SpreadCharacters(word)) characters.push_back(std::move(c));
  }
  for (std::size_t i = 0; i < characters.size(); ++i) settings.emplace_back(boxes[i]->name, characters[i]);
  return settings;
}

std::string MarkDescription(const ComparedLine& line) {
  std::string text(ChangeDescription(line.change));
  if (line.change == Change::Changed) text += ", " + std::string(shell::kOldValue) + line.old_text;
  return text;
}

std::string OldValueText(const ComparedLine& line) {
  if (line.change != Change::Changed) return {};
  constexpr std::string_view kEquals = " = ";
  const std::size_t equals = line.old_text.find(kEquals);
  if (equals != std::string::npos &&
      line.text.compare(0, equals + kEquals.size(), line.old_text, 0, equals + kEquals.size()) == 0) {
    return std::string(shell::kOldValue) + line.old_text.substr(equals + kEquals.size());
  }
  return std::string(shell::kOldValue) + line.old_text;
}

shell::Colour MarkColour(Change change, const shell::LookColours& look) {
  switch (change) {
    case Change::Same: return look.same;
    case Change::Changed: return look.changed;
    case Change::Added: return look.added;
    case Change::Gone: return look.gone;
  }
  return look.same;
}

std::string EntryTitle(const HistoryEntry& entry) {
  const std::string time = TimeText(entry.time);
  std::string title =
      std::to_string(entry.number) + ". " + time.substr(time.size() >= 8 ? time.size() - 8 : 0) + "  " + entry.page;
  for (std::size_t i = 0; i < entry.words.size(); ++i) title += (i == 0 ? "  " : " ") + entry.words[i];
  return title;
}

Session::Session() : Session([] { return std::chrono::system_clock::now(); }) {}

Session::Session(Clock clock) : clock_(std::move(clock)) {}

const PageCommand* Session::CommandOfButton(std::string_view button) {
  for (const PageLayout* page : AllPages()) {
    if (page->list() == nullptr) continue;
    for (const PageCommand& command : page->commands) {
      if (command.button == button && command.shown.empty()) return &command;
    }
  }
  return nullptr;
}

const PageCommand* Session::CommandOfList(std::string_view list) {
  for (const PageLayout* page : AllPages()) {
    if (page->list() == nullptr || page->list()->name != list) continue;
    for (const PageCommand& command : page->commands) {
      if (command.shown.empty()) return &command;
    }
  }
  return nullptr;
}

void Session::Press(Window& window, std::string_view button) {
  const PageCommand* command = CommandOfButton(button);
  const ListSpec* list = command == nullptr ? nullptr : ListOf(*command);
  if (list == nullptr) {
    ostrolen::Press(window, button);
    return;
  }
  HistoryEntry entry;
  entry.time = clock_();
  entry.page = std::string(command->name);
  for (const BoxSpec* box : EnterBoxes(BoxesOf(*command))) entry.boxes.emplace_back(box->name, window.Text(box->name));
  entry.words = WordsOfBoxes(*FindButton(command->button).page, entry.boxes).value_or(std::vector<std::string>{});

  Recorder recorder(window, list->name);
  ostrolen::Press(recorder, button);
  if (!recorder.cleared()) {
    // The press added to what the list showed: the page's latest lines.
    const auto latest = listed_.find(list->name);
    const HistoryEntry* shown = latest == listed_.end() ? nullptr : history_.Find(latest->second);
    if (shown != nullptr) entry.lines = shown->lines;
  }
  entry.lines.insert(entry.lines.end(), std::make_move_iterator(recorder.lines().begin()),
                     std::make_move_iterator(recorder.lines().end()));
  entry.reports = std::move(recorder.reports());
  entry.error = std::move(recorder.error());

  const int number = history_.Add(std::move(entry));
  latest_[std::string(command->name)] = number;
  listed_[list->name] = number;
  last_command_ = std::string(command->name);
  const int reference = Reference(command->name);
  if (reference != 0) {
    if (std::optional<std::vector<ComparedLine>> marks = history_.Compare(reference, number)) {
      marks_[list->name] = std::move(*marks);
      return;
    }
  }
  marks_.erase(list->name);
}

std::optional<std::string> Session::Open(Window& window, const Address& address) {
  const PageCommand* command = FindPageCommand(address.page);
  if (command == nullptr) return "unknown page '" + address.page + "'";
  BoxTexts boxes;
  try {
    boxes = TypedBoxes(*command, address.words);
  } catch (const WordsError& error) {
    return error.message;
  }
  for (const BoxSpec* box : EnterBoxes(BoxesOf(*command))) window.SetText(box->name, "");
  for (const auto& [name, text] : boxes) window.SetText(name, text);
  Press(window, command->button);
  return std::nullopt;
}

bool Session::KeepReference(std::string_view command) {
  const auto latest = latest_.find(command);
  if (latest == latest_.end()) return false;
  references_[std::string(command)] = latest->second;
  return true;
}

int Session::Reference(std::string_view command) const {
  const auto it = references_.find(command);
  return it == references_.end() ? 0 : it->second;
}

const std::vector<ComparedLine>* Session::Marks(std::string_view list) const {
  const auto it = marks_.find(list);
  return it == marks_.end() ? nullptr : &it->second;
}

bool Session::Choose(Window& window, int number) {
  const std::optional<History::Choice> choice = history_.Choose(number);
  const PageCommand* command = choice ? FindPageCommand(choice->page) : nullptr;
  if (command == nullptr) return false;
  for (const auto& [name, text] : choice->boxes) window.SetText(name, text);
  Press(window, command->button);
  return true;
}

bool Session::CompareEntries(Window& window, int older, int newer) {
  const HistoryEntry* before = history_.Find(older);
  const HistoryEntry* after = history_.Find(newer);
  if (before == nullptr || after == nullptr || older == newer || before->page != after->page) return false;
  const std::string page = before->page;
  const int kept = Reference(page);
  references_[page] = older;
  const bool chosen = Choose(window, newer);
  if (kept == 0) {
    references_.erase(page);
  } else {
    references_[page] = kept;
  }
  return chosen;
}

std::optional<std::string> Session::LastAddress() const {
  const std::vector<const HistoryEntry*> newest = history_.Newest();
  if (newest.empty()) return std::nullopt;
  return AddressText({newest.front()->page, newest.front()->words});
}

}  // namespace ostrolen
