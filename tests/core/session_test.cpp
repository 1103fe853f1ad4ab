// The session over the pages: every press of a decoding page kept, a page's
// reference and the marks of the next presses, an entry put back on its page,
// two entries compared, and a page opened from its address. Each result is
// checked against the page pressed on its own, on a fresh window.
#include "pages/session.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/code_word.h"
#include "pages/model_window.h"
#include "pages/pages.h"

namespace ostrolen {
namespace {

// The decoding pages that the history keeps, with their layouts.
struct KeptPage {
  const PageCommand* command;
  const PageLayout* page;
};

std::vector<KeptPage> KeptPages() {
  std::vector<KeptPage> pages;
  for (const PageLayout* page : AllPages()) {
    for (const PageCommand& command : page->commands) {
      if (Session::CommandOfButton(command.button) == &command) pages.push_back({&command, page});
    }
  }
  return pages;
}

std::vector<std::string> Split(std::string_view text) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while ((at = text.find_first_not_of(' ', at)) != std::string_view::npos) {
    const std::size_t end = text.find(' ', at);
    words.emplace_back(text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at));
    at = end;
  }
  return words;
}

// Words for `kept`: on a page of code or message words each position a random
// digit, now and then one over the position's largest; elsewhere the example.
std::vector<std::string> RandomWords(const KeptPage& kept, std::mt19937& random) {
  if (kept.page->words.empty() || kept.command->word_length == 0) return Split(kept.command->example);
  std::vector<std::string> words;
  for (const WordSpec& spec : kept.page->words) {
    std::string word;
    for (const PositionFormat& position : Positions(spec.kind)) {
      const int most = random() % 25 == 0 ? 15 : position.max;
      word += "0123456789ABCDEF"[std::uniform_int_distribution<int>(0, most)(random)];
    }
    words.push_back(word);
  }
  return words;
}

// The page pressed on its own: the lines its list shows and its messages.
struct Alone {
  std::vector<SourcedLine> lines;
  std::vector<ModelWindow::Message> messages;
};

Alone PressAlone(const KeptPage& kept, const std::vector<std::string>& words) {
  ModelWindow window;
  for (const auto& [name, text] : TypedBoxes(*kept.command, words)) window.SetText(name, text);
  Press(window, kept.command->button);
  Alone alone;
  const std::string list = kept.page->list()->name;
  for (std::size_t i = 0; i < window.Lines(list).size(); ++i) {
    alone.lines.push_back({window.Lines(list)[i], window.Origins(list)[i]});
  }
  alone.messages = window.Messages();
  return alone;
}

std::vector<std::string> TextsOf(const std::vector<SourcedLine>& lines) {
  std::vector<std::string> texts;
  for (const SourcedLine& line : lines) texts.push_back(line.text);
  return texts;
}

TEST(Session, KeepsEveryPressOfEveryDecodingPage) {
  const std::vector<KeptPage> pages = KeptPages();
  // The subscriber pages, the fault pages and the УСК pages.
  ASSERT_GE(pages.size(), 14U);
  std::mt19937 random(18);
  const auto start = std::chrono::system_clock::time_point{} + std::chrono::hours(500000);
  int tick = 0;
  Session session([&] { return start + std::chrono::seconds(tick++); });
  ModelWindow window;
  int presses = 0;
  for (int round = 0; round < 8; ++round) {
    for (const KeptPage& kept : pages) {
      const std::vector<std::string> words = RandomWords(kept, random);
      window.ClearMessages();
      ASSERT_EQ(session.Open(window, {std::string(kept.command->name), words}), std::nullopt);
      ++presses;
      const Alone alone = PressAlone(kept, words);
      ASSERT_EQ(session.history().size(), static_cast<std::size_t>(presses));
      const HistoryEntry& entry = *session.history().Newest().front();
      SCOPED_TRACE(AddressText({entry.page, words}));
      EXPECT_EQ(entry.number, presses);
      EXPECT_EQ(entry.time, start + std::chrono::seconds(presses - 1));
      EXPECT_EQ(entry.page, kept.command->name);
      EXPECT_EQ(entry.lines, alone.lines);
      EXPECT_EQ(TextsOf(entry.lines), window.Lines(kept.page->list()->name));
      std::vector<ModelWindow::Message> messages;
      for (const std::string& report : entry.reports) messages.push_back({ModelWindow::MessageKind::Report, report});
      if (entry.error) messages.push_back({ModelWindow::MessageKind::Error, *entry.error});
      EXPECT_EQ(messages, alone.messages);
      EXPECT_EQ(window.Messages(), alone.messages);
      // The words as typed come back as the same boxes.
      EXPECT_EQ(entry.boxes.size(), EnterBoxes(kept.command->button).size());
      if (kept.command->word_length > 0) {
        EXPECT_EQ(TypedBoxes(*kept.command, entry.words), TypedBoxes(*kept.command, words));
      }
      EXPECT_EQ(session.LastAddress(), AddressText({entry.page, entry.words}));
      EXPECT_EQ(session.LastCommand(), kept.command->name);
      EXPECT_EQ(session.Marks(kept.page->list()->name), nullptr);
    }
  }
}

TEST(Session, MarksEachPressAgainstThePagesReference) {
  std::mt19937 random(1818);
  for (const KeptPage& kept : KeptPages()) {
    const std::string name(kept.command->name);
    const std::string list = kept.page->list()->name;
    SCOPED_TRACE(name);
    Session session;
    ModelWindow window;
    EXPECT_FALSE(session.KeepReference(name));  // nothing pressed yet
    const std::vector<std::string> before = RandomWords(kept, random);
    ASSERT_EQ(session.Open(window, {name, before}), std::nullopt);
    EXPECT_EQ(session.Marks(list), nullptr);
    ASSERT_TRUE(session.KeepReference(name));
    EXPECT_EQ(session.Reference(name), 1);
    const Alone old = PressAlone(kept, before);
    for (int pair = 0; pair < 15; ++pair) {
      const std::vector<std::string> after = RandomWords(kept, random);
      ASSERT_EQ(session.Open(window, {name, after}), std::nullopt);
      const Alone fresh = PressAlone(kept, after);
      const std::vector<ComparedLine>* marks = session.Marks(list);
      ASSERT_NE(marks, nullptr);
      EXPECT_EQ(*marks, CompareLines(old.lines, fresh.lines));
      // The page's own lines stay as they are; the marks hold both decodes.
      EXPECT_EQ(NewTexts(*marks), window.Lines(list));
      EXPECT_EQ(OldTexts(*marks), TextsOf(old.lines));
      // The report shows the comparison too.
      EXPECT_EQ(session.history().Marks(session.history().Newest().front()->number), *marks);
    }
    // Another page's press leaves these marks alone; a new reference takes over.
    ASSERT_TRUE(session.KeepReference(name));
    ASSERT_EQ(session.Open(window, {name, before}), std::nullopt);
    const std::vector<ComparedLine>* marks = session.Marks(list);
    ASSERT_NE(marks, nullptr);
    EXPECT_EQ(OldTexts(*marks), TextsOf(session.history().Find(session.Reference(name))->lines));
    EXPECT_EQ(NewTexts(*marks), TextsOf(old.lines));
  }
}

TEST(Session, ChoosingAnEntryPutsItsWordsBackAndPresses) {
  std::mt19937 random(7);
  Session session;
  ModelWindow window;
  std::vector<std::vector<std::string>> typed;
  const std::vector<KeptPage> pages = KeptPages();
  for (const KeptPage& kept : pages) {
    typed.push_back(RandomWords(kept, random));
    ASSERT_EQ(session.Open(window, {std::string(kept.command->name), typed.back()}), std::nullopt);
  }
  const std::size_t kept_count = session.history().size();
  // Oldest first: each entry again, with every other page's boxes changed since.
  for (int number = 1; number <= static_cast<int>(kept_count); ++number) {
    const HistoryEntry entry = *session.history().Find(number);
    const KeptPage& kept = pages[static_cast<std::size_t>(number - 1)];
    for (const auto& [box, text] : entry.boxes) window.SetText(box, "");
    ASSERT_TRUE(session.Choose(window, number));
    for (const auto& [box, text] : entry.boxes) EXPECT_EQ(window.Text(box), text) << box;
    const Alone alone = PressAlone(kept, typed[static_cast<std::size_t>(number - 1)]);
    EXPECT_EQ(window.Lines(kept.page->list()->name), TextsOf(alone.lines));
    const HistoryEntry& again = *session.history().Newest().front();
    EXPECT_EQ(again.page, entry.page);
    EXPECT_EQ(again.lines, entry.lines);
  }
  EXPECT_EQ(session.history().size(), 2 * kept_count);
  EXPECT_FALSE(session.Choose(window, 0));
  EXPECT_FALSE(session.Choose(window, 1000));
  EXPECT_EQ(session.history().size(), 2 * kept_count);
}

TEST(Session, ComparesTwoEntriesOfOnePage) {
  Session session;
  ModelWindow window;
  ASSERT_EQ(session.Open(window, {"uvp", {"0075", "003F"}}), std::nullopt);
  ASSERT_EQ(session.Open(window, {"sko", {"271A6"}}), std::nullopt);
  ASSERT_EQ(session.Open(window, {"uvp", {"0035", "003F"}}), std::nullopt);
  EXPECT_FALSE(session.CompareEntries(window, 1, 2));  // two pages
  EXPECT_FALSE(session.CompareEntries(window, 1, 1));
  EXPECT_EQ(session.history().size(), 3U);
  ASSERT_TRUE(session.CompareEntries(window, 1, 3));
  const std::string list = UvpPage().list()->name;
  const std::vector<ComparedLine>* marks = session.Marks(list);
  ASSERT_NE(marks, nullptr);
  EXPECT_EQ(*marks, CompareLines(session.history().Find(1)->lines, session.history().Find(3)->lines));
  bool gone = false;
  for (const ComparedLine& line : *marks)
    gone = gone || (line.change == Change::Gone && line.text == "БВ 01-60 УВП 0-3");
  EXPECT_TRUE(gone);
  EXPECT_EQ(NewTexts(*marks), window.Lines(list));
  // The page keeps no reference from it: the next press is not marked.
  EXPECT_EQ(session.Reference("uvp"), 0);
  ASSERT_EQ(session.Open(window, {"uvp", {"0075", "003F"}}), std::nullopt);
  EXPECT_EQ(session.Marks(list), nullptr);
}

TEST(Session, OpensAnAddress) {
  Session session;
  ModelWindow window;
  ASSERT_EQ(session.Open(window, *ParseAddress("#sko=271A6")), std::nullopt);
  const KeptPage sko{FindPageCommand("sko"), &SkoPage()};
  EXPECT_EQ(window.Lines(SkoPage().list()->name), TextsOf(PressAlone(sko, {"271A6"}).lines));
  EXPECT_EQ(session.LastAddress(), "sko=271A6");

  // Nothing is pressed for an address that names no page or words that do not fit.
  EXPECT_EQ(session.Open(window, {"nowhere", {"1"}}), "unknown page 'nowhere'");
  EXPECT_EQ(session.Open(window, {"sko", {"271A6", "271A6"}}), "sko takes at most 1 word(s): CODE");
  EXPECT_EQ(session.Open(window, {"uvp", {"007"}}), "uvp takes words of 4 character(s); got 3 in all");
  EXPECT_EQ(session.history().size(), 1U);

  // The converter is not a decoding page: its presses are not kept.
  ASSERT_EQ(session.Open(window, {"word-to-bits", {"271A6"}}), std::nullopt);
  EXPECT_EQ(session.history().size(), 1U);
  EXPECT_FALSE(session.KeepReference("word-to-bits"));
}

TEST(Session, MarkDescriptions) {
  EXPECT_EQ(MarkDescription({Change::Same, "a", ""}), "без изменений");
  EXPECT_EQ(MarkDescription({Change::Changed, "Набор номера = Частотный", "Набор номера = Декадный"}),
            "изменено, было: Набор номера = Декадный");
  EXPECT_EQ(MarkDescription({Change::Added, "a", ""}), "новая строка");
  EXPECT_EQ(MarkDescription({Change::Gone, "a", ""}), "строки больше нет");
}

TEST(Session, OldValuesBesideChangedLines) {
  EXPECT_EQ(OldValueText({Change::Changed, "Набор номера = Частотный", "Набор номера = Декадный"}), "было: Декадный");
  EXPECT_EQ(OldValueText({Change::Changed, "Класс = 3", "Номер = 3"}), "было: Номер = 3");
  EXPECT_EQ(OldValueText({Change::Changed, "БВ 01-60", "БВ 02-60"}), "было: БВ 02-60");
  EXPECT_EQ(OldValueText({Change::Same, "a = 1", ""}), "");
  EXPECT_EQ(OldValueText({Change::Added, "a = 1", ""}), "");
}

TEST(Session, EntryTitlesAndMarkColours) {
  HistoryEntry entry;
  entry.number = 3;
  entry.time = std::chrono::system_clock::from_time_t(1765220486);  // a Monday, 19:01:26 UTC
  entry.page = "uvp";
  entry.words = {"0075", "003F"};
  const std::string time = TimeText(entry.time);
  EXPECT_EQ(EntryTitle(entry), "3. " + time.substr(11) + "  uvp  0075 003F");
  entry.words.clear();
  EXPECT_EQ(EntryTitle(entry), "3. " + time.substr(11) + "  uvp");
  // Each mark has a colour of its own.
  const std::vector<Change> changes = {Change::Same, Change::Changed, Change::Added, Change::Gone};
  for (std::size_t i = 0; i < changes.size(); ++i) {
    for (std::size_t j = i + 1; j < changes.size(); ++j) {
      EXPECT_NE(shell::ColourText(MarkColour(changes[i])), shell::ColourText(MarkColour(changes[j])));
    }
  }
}

}  // namespace
}  // namespace ostrolen
