// Ctrl+P: the printout of the page in front (its title, the date and time,
// its words, its result lines with their marks) and, while the history is
// open, the session's report; checked on the controller against the lines
// the page shows.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "core/history.h"
#include "pages/decode.h"
#include "pages/pages.h"
#include "tests/ui/quiet.h"
#include "ui/controller.h"
#include "ui/print.h"
#include "ui/wire.h"

namespace ostrolen::ui {
namespace {

std::vector<Effect> Printed(Controller& c) {
  std::vector<Effect> printed;
  for (Effect& effect : c.TakeEffects()) {
    if (effect.kind == Effect::Kind::Print) printed.push_back(std::move(effect));
  }
  return printed;
}

// Each text found in `html` after the one before it.
::testing::AssertionResult InOrder(const std::string& html, const std::vector<std::string>& texts) {
  std::size_t at = 0;
  for (const std::string& text : texts) {
    const std::size_t found = html.find(text, at);
    if (found == std::string::npos) return ::testing::AssertionFailure() << "not found in order: " << text;
    at = found + text.size();
  }
  return ::testing::AssertionSuccess();
}

std::vector<std::string> Escaped(const std::vector<Line>& lines) {
  std::vector<std::string> texts;
  for (const Line& line : lines) texts.push_back("<td class=\"text\">" + EscapeHtml(line.text) + "</td>");
  return texts;
}

TEST(Print, CtrlPPrintsThePageInFrontWithItsWordsAndEveryLine) {
  Controller c(Quiet());
  ASSERT_FALSE(c.Open({"sko", {"271A6"}}));
  const List& list = c.ListOf(SkoPage().list()->name);
  ASSERT_FALSE(list.lines.empty());
  c.TakeEffects();
  ASSERT_TRUE(c.KeyIn(Ctrl('p')));
  const std::vector<Effect> printed = Printed(c);
  ASSERT_EQ(printed.size(), 1u);
  EXPECT_EQ(printed[0].name, "АХ, СКО");
  const std::string& html = printed[0].text;
  EXPECT_TRUE(InOrder(html, {"<title>АХ, СКО</title>", "<h1>АХ, СКО</h1>", "Слова: 271A6"}));
  EXPECT_TRUE(InOrder(html, Escaped(list.lines)));
  // The date and time as the history writes an entry's, the print's own, after the press.
  std::smatch time;
  ASSERT_TRUE(std::regex_search(html, time, std::regex("Напечатано: (\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d)")));
  EXPECT_GT(time[1].str(), TimeText(c.session().history().Find(1)->time));

  const Printout printout = c.PrintoutNow();
  ASSERT_EQ(printout.lines.size(), list.lines.size());
  for (std::size_t i = 0; i < list.lines.size(); ++i) EXPECT_EQ(printout.lines[i], list.lines[i].text);
  EXPECT_TRUE(printout.note.empty());
  // The plain text: the title, the head, an empty line, the lines.
  std::string text = "АХ, СКО\n";
  for (const std::string& line : printout.head) text += line + "\n";
  text += "\n";
  for (const Line& line : list.lines) text += line.text + "\n";
  EXPECT_EQ(printout.Text(), text);
}

// Every page's example: the printout has the page's lines, in order, and
// each escaped in the HTML (a line may hold "<", ">" or "&").
TEST(Print, EveryPagesExampleIsPrintedLineForLine) {
  for (const PageCommand* command : PageCommands()) {
    if (!command->shown.empty()) continue;
    Controller c(Quiet());
    std::vector<std::string> words;
    std::istringstream example{std::string(command->example)};
    for (std::string word; example >> word;) words.push_back(word);
    ASSERT_FALSE(c.Open({std::string(command->name), words})) << command->name;
    const ListSpec* spec = c.Front().list();
    ASSERT_NE(spec, nullptr) << command->name;
    const List& list = c.ListOf(spec->name);
    const Printout printout = c.PrintoutNow();
    ASSERT_EQ(printout.lines.size(), list.lines.size()) << command->name;
    for (std::size_t i = 0; i < list.lines.size(); ++i) {
      EXPECT_EQ(printout.lines[i], list.lines[i].text) << command->name;
    }
    EXPECT_TRUE(InOrder(printout.html, Escaped(list.lines))) << command->name;
  }
}

TEST(Print, AComparedListIsPrintedWithItsMarksAndTheOldValues) {
  Controller c(Quiet());
  ASSERT_FALSE(c.Open({"sko", {"271A6"}}));
  c.KeyIn(Ctrl('r'));
  ASSERT_FALSE(c.Open({"sko", {"271A4"}}));
  const List& list = c.ListOf(SkoPage().list()->name);
  const Printout printout = c.PrintoutNow();
  ASSERT_EQ(printout.lines.size(), list.lines.size());
  bool gone = false;
  for (std::size_t i = 0; i < list.lines.size(); ++i) {
    const Line& line = list.lines[i];
    ASSERT_NE(line.mark, 0);
    std::string expected = std::string(1, line.mark) + " " + line.text;
    if (line.mark == '~') {
      expected += "   (" + line.old + ")";
      EXPECT_EQ(line.old.rfind("было: ", 0), 0u) << line.old;
    }
    gone = gone || line.gone;
    EXPECT_EQ(printout.lines[i], expected);
  }
  EXPECT_TRUE(gone) << "a gone line is printed where it stood";
  EXPECT_NE(std::find(printout.head.begin(), printout.head.end(), print_text::kCompared), printout.head.end());
  EXPECT_NE(printout.html.find("<tr class=\"gone\"><td class=\"mark\">-</td>"), std::string::npos);
}

// The marks as the report writes them, and every text escaped.
TEST(Print, MarksOldValuesAndTextsAreWrittenAsTheReportWritesThem) {
  List list;
  list.lines.resize(4);
  list.lines[0].text = "A = 1";
  list.lines[0].mark = '=';
  list.lines[1].text = "B = <2> & \"3\"";
  list.lines[1].mark = '~';
  list.lines[1].old = "было: 'x'";
  list.lines[2].text = "C";
  list.lines[2].mark = '-';
  list.lines[2].gone = true;
  list.lines[3].text = "D";
  list.lines[3].mark = '+';
  const Printout printout = PagePrintout(SkoPage(), {}, &list, std::chrono::system_clock::time_point{});
  EXPECT_EQ(printout.lines, (std::vector<std::string>{"= A = 1", "~ B = <2> & \"3\"   (было: 'x')", "- C", "+ D"}));
  EXPECT_TRUE(InOrder(printout.html, {"<tr class=\"same\"><td class=\"mark\">=</td><td class=\"text\">A = 1</td></tr>",
                                      "<tr class=\"changed\"><td class=\"mark\">~</td>"
                                      "<td class=\"text\">B = &lt;2&gt; &amp; &quot;3&quot;</td>"
                                      "<td class=\"old\">было: &#39;x&#39;</td></tr>",
                                      "<tr class=\"gone\"><td class=\"mark\">-</td><td class=\"text\">C</td></tr>",
                                      "<tr class=\"added\"><td class=\"mark\">+</td><td class=\"text\">D</td></tr>"}));
  EXPECT_EQ(printout.html.find("<2>"), std::string::npos);
}

// A page not pressed yet prints its boxes and says it has no lines; the
// converter, whose results are its boxes, says it has no list.
TEST(Print, APageWithoutLinesPrintsItsBoxesAndSaysSo) {
  Controller c(Quiet());
  ASSERT_TRUE(c.ShowPage(SkoPage().sheet));
  ASSERT_TRUE(c.FocusOn(SkoPage().boxes.front().name));
  for (const char ch : std::string("271")) {
    Key key;
    key.code = Key::Code::Character;
    key.text = std::string(1, ch);
    c.KeyIn(key);
  }
  c.TakeEffects();
  ASSERT_TRUE(c.KeyIn(Ctrl('p')));
  const std::vector<Effect> printed = Printed(c);
  ASSERT_EQ(printed.size(), 1u);
  EXPECT_TRUE(InOrder(printed[0].text, {"Слова: 271", std::string(print_text::kNoLines)}));
  const Printout printout = c.PrintoutNow();
  EXPECT_TRUE(printout.lines.empty());
  EXPECT_EQ(printout.note, print_text::kNoLines);
  EXPECT_EQ(printout.html.find("<table"), std::string::npos);

  ASSERT_TRUE(c.ShowPage(ConverterPage().sheet));
  const Printout converter = c.PrintoutNow();
  EXPECT_EQ(converter.title, ConverterPage().caption);
  EXPECT_EQ(converter.note, print_text::kNoList);
  EXPECT_NE(converter.html.find(std::string(print_text::kNoList)), std::string::npos);
}

TEST(Print, WhileTheHistoryIsOpenCtrlPPrintsTheSessionsReport) {
  Controller c(Quiet());
  ASSERT_FALSE(c.Open({"sko", {"271A6"}}));
  ASSERT_FALSE(c.Open({"uvp", {"0075", "003F"}}));
  c.OpenHistory();
  c.TakeEffects();
  ASSERT_TRUE(c.KeyIn(Ctrl('p')));
  const std::vector<Effect> printed = Printed(c);
  ASSERT_EQ(printed.size(), 1u);
  EXPECT_EQ(printed[0].name, kReportTitle);
  EXPECT_EQ(printed[0].text, c.session().history().ReportHtml());
  EXPECT_TRUE(c.History().open) << "printing leaves the history open";
  // The report's lines, as its text writes them.
  const Printout report = c.PrintoutNow();
  std::string text = std::string(kReportTitle) + "\n";
  for (const std::string& line : report.lines) text += line + "\n";
  EXPECT_EQ(text, c.session().history().ReportText());
  c.CloseHistory();
  EXPECT_EQ(c.PrintoutNow().title, "Неисправности, УВП") << "the page in front again";
}

// The browser page takes the document's body into a container of its own.
TEST(Print, TheWireGivesTheBrowserTheTitleAndTheBody) {
  Controller c(Quiet());
  Wire wire(c);
  wire.Handle(R"({"do":"open","address":"sko=271A6"})", {});
  const std::string answer = wire.Handle(R"({"do":"print"})", {});
  EXPECT_NE(answer.find(R"("kind":"print","title":"АХ, СКО","body":"\u000a<h1>АХ, СКО</h1>)"), std::string::npos)
      << answer;
  EXPECT_EQ(answer.find("<head>"), std::string::npos);
}

}  // namespace
}  // namespace ostrolen::ui
