// The session's history: the listing, choosing and comparing entries, the
// saved reports, and the PAGE=WORDS address of a decode.
#include "core/history.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "pages/pages.h"

namespace ostrolen {
namespace {

using std::chrono::seconds;
using std::chrono::system_clock;

class HistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* zone = std::getenv("TZ");
    if (zone != nullptr) saved_zone_ = zone;
    had_zone_ = zone != nullptr;
    setenv("TZ", "UTC", 1);
    tzset();
  }
  void TearDown() override {
    if (had_zone_) {
      setenv("TZ", saved_zone_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::string saved_zone_;
  bool had_zone_ = false;
};

SourcedLine Line(std::string text, int field = -1) {
  SourcedLine line{std::move(text), {}};
  line.origin.field = field;
  return line;
}

// 2026-12-08 19:01:26 UTC and some seconds after.
system_clock::time_point At(int later) { return system_clock::time_point(seconds(1796756486 + later)); }

HistoryEntry Entry(std::string page, std::vector<std::string> words, std::vector<SourcedLine> lines, int later) {
  HistoryEntry entry;
  entry.time = At(later);
  entry.page = std::move(page);
  entry.words = std::move(words);
  for (std::size_t i = 0; i < entry.words.size(); ++i)
    entry.boxes.emplace_back("Edit" + std::to_string(i), entry.words[i]);
  entry.lines = std::move(lines);
  return entry;
}

TEST_F(HistoryTest, ListsNewestFirstAndGivesBackPageAndBoxes) {
  History history;
  EXPECT_TRUE(history.empty());
  EXPECT_EQ(history.Add(Entry("sko", {"271A6"}, {Line("a", 0)}, 0)), 1);
  EXPECT_EQ(history.Add(Entry("uvp", {"0075", "003F"}, {Line("БВ 01-60 УВП 0-3")}, 5)), 2);
  EXPECT_EQ(history.Add(Entry("sko", {"273A6"}, {Line("b", 0)}, 9)), 3);
  ASSERT_EQ(history.size(), 3u);
  std::vector<int> numbers;
  for (const HistoryEntry* entry : history.Newest()) numbers.push_back(entry->number);
  EXPECT_EQ(numbers, (std::vector<int>{3, 2, 1}));

  const std::optional<History::Choice> choice = history.Choose(2);
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->page, "uvp");
  EXPECT_EQ(choice->boxes, (BoxTexts{{"Edit0", "0075"}, {"Edit1", "003F"}}));
  EXPECT_FALSE(history.Choose(4));
  EXPECT_FALSE(history.Choose(0));
  history.Clear();
  EXPECT_TRUE(history.Newest().empty());
  EXPECT_EQ(history.Add(Entry("bg", {"0030"}, {}, 0)), 4) << "numbers go on after a clear";
}

TEST_F(HistoryTest, ComparesEntriesOfOnePageOnly) {
  History history;
  history.Add(Entry("sko", {"271A6"}, {Line("Класс 1", 0), Line("Тип", 1)}, 0));
  history.Add(Entry("uvp", {"0075", "003F"}, {Line("БВ 01-60 УВП 0-3")}, 1));
  history.Add(Entry("sko", {"273A6"}, {Line("Класс 3", 0)}, 2));
  EXPECT_FALSE(history.Compare(1, 2));
  EXPECT_FALSE(history.Compare(1, 1));
  EXPECT_FALSE(history.Compare(1, 7));
  EXPECT_FALSE(history.Marks(3));
  const std::optional<std::vector<ComparedLine>> marks = history.Compare(1, 3);
  ASSERT_TRUE(marks);
  EXPECT_EQ(*marks, (std::vector<ComparedLine>{{Change::Changed, "Класс 3", "Класс 1"}, {Change::Gone, "Тип", ""}}));
  EXPECT_EQ(history.Marks(3), marks);
  EXPECT_EQ(history.Find(3)->compared_with, 1);
}

TEST_F(HistoryTest, TextReportHasEveryEntryWithItsMessagesAndMarks) {
  History history;
  HistoryEntry first = Entry("sko", {"871A6"}, {Line("Класс 1", 0), Line("Тип", 1)}, 0);
  first.reports = {"Значение первой позиции больше 7"};
  history.Add(first);
  HistoryEntry second = Entry("sko", {"Z71A6"}, {}, 3);
  second.error = "'Z' is not a valid integer value.";
  history.Add(second);
  history.Add(Entry("sko", {"273A6"}, {Line("Класс 3", 0)}, 64));
  ASSERT_TRUE(history.Compare(1, 3));
  EXPECT_EQ(history.ReportText(),
            "Ostrolen: история сеанса\n"
            "\n"
            "3. 2026-12-08 19:02:30  sko  273A6\n"
            "   Адрес: sko=273A6\n"
            "   Сравнение с записью 1\n"
            "   ~ Класс 3   (было: Класс 1)\n"
            "   - Тип\n"
            "\n"
            "2. 2026-12-08 19:01:29  sko  Z71A6\n"
            "   Адрес: sko=Z71A6\n"
            "   Ошибка: 'Z' is not a valid integer value.\n"
            "\n"
            "1. 2026-12-08 19:01:26  sko  871A6\n"
            "   Адрес: sko=871A6\n"
            "   Ошибка!!!: Значение первой позиции больше 7\n"
            "     Класс 1\n"
            "     Тип\n");
}

TEST_F(HistoryTest, HtmlReportTreatsEveryTextAsData) {
  const std::string hostile = "<script>alert('x')</script> & \"q\"";
  History history;
  HistoryEntry entry = Entry("usk0", {hostile, "5FFF"}, {Line(hostile), Line("Линия <1>")}, 0);
  entry.reports = {hostile};
  entry.error = hostile;
  history.Add(entry);
  history.Add(Entry("usk0", {"00012", "5FFF"}, {Line("Линия <1>"), Line(hostile + "!")}, 1));
  ASSERT_TRUE(history.Compare(1, 2));
  const std::string html = history.ReportHtml();
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_EQ(html.find("'x'"), std::string::npos);
  EXPECT_EQ(html.find("\"q\""), std::string::npos);
  EXPECT_NE(html.find("&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; &amp; &quot;q&quot;"), std::string::npos);
  EXPECT_NE(html.find("<td class=\"text\">Линия &lt;1&gt;</td>"), std::string::npos);
  EXPECT_TRUE(html.starts_with("<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">"));
  EXPECT_NE(html.find("@media print"), std::string::npos);
  // Every tag the page opens is closed, whatever the texts hold.
  for (const std::string tag : {"section", "table", "tr", "td", "h2", "p", "code"}) {
    std::size_t opened = 0, closed = 0;
    for (std::size_t at = 0; (at = html.find("<" + tag + (tag == "p" ? ">" : ""), at)) != std::string::npos; ++at) {
      ++opened;
    }
    for (std::size_t at = 0; (at = html.find("</" + tag + ">", at)) != std::string::npos; ++at) ++closed;
    if (tag != "p") {
      EXPECT_EQ(opened, closed) << tag;
    }
  }
  // The compared entry shows its marks, the gone line struck through.
  EXPECT_NE(html.find("<tr class=\"gone\"><td class=\"mark\" title=\"строки больше нет\">-</td>"), std::string::npos);
  EXPECT_NE(html.find("<tr class=\"same\">"), std::string::npos);
  EXPECT_NE(html.find("<tr class=\"added\">"), std::string::npos);
  EXPECT_NE(html.find("text-decoration:line-through"), std::string::npos);
}

TEST(EscapeHtml, EachSpecialCharacterAndNothingElse) {
  EXPECT_EQ(EscapeHtml("a<b>&\"'c"), "a&lt;b&gt;&amp;&quot;&#39;c");
  EXPECT_EQ(EscapeHtml("СКО 271A6\t="), "СКО 271A6\t=");
  EXPECT_EQ(EscapeHtml(""), "");
}

TEST(Address, WritesAndReadsPagesAndWords) {
  struct Case {
    Address address;
    std::string text;
  };
  const std::vector<Case> cases = {
      {{"sko", {"271A6"}}, "sko=271A6"},
      {{"uvp", {"0075", "003F"}}, "uvp=0075-003F"},
      {{"usk1", {"00012", "3", "A5F0"}}, "usk1=00012-3-A5F0"},
      {{"usk1", {"00012", "", "A5F0"}}, "usk1=00012--A5F0"},
      {{"usk0", {"", ""}}, "usk0=-"},
      {{"segment", {"1-2", "a b"}}, "segment=1%2D2-a%20b"},
      {{"bal", {"Ж%"}}, "bal=%D0%96%25"},
      {{"sko", {}}, "sko="},
  };
  for (const Case& one : cases) {
    EXPECT_EQ(AddressText(one.address), one.text);
    EXPECT_EQ(ParseAddress(one.text), one.address) << one.text;
    EXPECT_EQ(ParseAddress("#" + one.text), one.address) << one.text;
  }
  EXPECT_EQ(ParseAddress("sko"), (Address{"sko", {}}));
  EXPECT_EQ(ParseAddress("uvp=0075-003f"), (Address{"uvp", {"0075", "003f"}}));
  EXPECT_EQ(ParseAddress("word-to-bits=271A6"), (Address{"word-to-bits", {"271A6"}}));
  for (const std::string bad : {"", "#", "=271A6", "sko=27%1", "sko=%G0", "sko=2%", "s ko=1", "ско=1", "sk/o=1"}) {
    EXPECT_FALSE(ParseAddress(bad)) << bad;
  }
}

TEST(Address, TheWindowsCommandLine) {
  const std::vector<std::string> words = {"sko", "271A6"};
  EXPECT_EQ(AddressOfArguments(words), (Address{"sko", {"271A6"}}));
  const std::vector<std::string> one = {"uvp=0075-003F"};
  EXPECT_EQ(AddressOfArguments(one), (Address{"uvp", {"0075", "003F"}}));
  const std::vector<std::string> page = {"bg"};
  EXPECT_EQ(AddressOfArguments(page), (Address{"bg", {}}));
  EXPECT_FALSE(AddressOfArguments(std::vector<std::string>{}));
  EXPECT_FALSE(AddressOfArguments(std::vector<std::string>{"--style", "x"}));
}

BoxTexts Boxes(std::initializer_list<std::pair<const char*, const char*>> texts) {
  BoxTexts boxes;
  for (const auto& [name, text] : texts) boxes.emplace_back(name, text);
  return boxes;
}

TEST(WordsOfBoxes, CodeWordsTogetherWiderBoxesAlone) {
  const PageLayout& uvp = *FindButton("SpeedButton11").page;
  const std::optional<std::vector<std::string>> none = WordsOfBoxes(uvp, {});
  ASSERT_TRUE(none);
  EXPECT_TRUE(none->empty());
  EXPECT_FALSE(WordsOfBoxes(uvp, Boxes({{"NoSuchBox", "1"}})));

  const PageLayout& usk = *FindButton("SpeedButton18").page;
  EXPECT_EQ(WordsOfBoxes(usk, Boxes({{"Edit333", "00012"}, {"Edit335", "3"}, {"Edit334", "A5F0"}})),
            (std::vector<std::string>{"00012", "3", "A5F0"}));
  EXPECT_EQ(WordsOfBoxes(usk, Boxes({{"Edit333", "00012"}, {"Edit335", ""}, {"Edit334", "A5F0"}})),
            (std::vector<std::string>{"00012", "", "A5F0"}));
}

}  // namespace
}  // namespace ostrolen
