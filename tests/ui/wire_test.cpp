// The controller over the wire the browser page speaks: intents read from
// JSON (escapes and all), effects written with what is needed to draw them,
// and an intent that cannot be read refused without touching the window.
#include <gtest/gtest.h>

#include <string>

#include "pages/pages.h"
#include "reader/query.h"
#include "tests/ui/quiet.h"
#include "ui/controller.h"
#include "ui/json.h"
#include "ui/wire.h"

namespace ostrolen::ui {
namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// `text` as a JSON string.
std::string Quoted(std::string_view text) {
  Json json;
  json.String(text);
  return json.Text();
}

TEST(Wire, TypedKeysReachTheBoxesAndTheirEffectsComeBackAsJson) {
  Controller c(Quiet());
  Wire wire(c);
  wire.Handle(R"({"do":"showPage","sheet":")" + SkoPage().sheet + R"(","onTabs":false})");
  for (const char ch : std::string("271A6")) {
    const std::string answer = wire.Handle(std::string(R"({"do":"key","code":"character","text":")") + ch + R"("})");
    EXPECT_TRUE(Contains(answer, R"("handled":true)")) << answer;
  }
  EXPECT_EQ(c.Text("Edit278"), "6");
  const std::string pressed = wire.Handle(R"({"do":"key","code":"enter","text":""})");
  EXPECT_TRUE(Contains(pressed, R"("idle":true)"));
  EXPECT_TRUE(Contains(pressed, R"({"kind":"lines","name":"ListBox7","lines":[{"text":")"));
  EXPECT_TRUE(Contains(pressed, R"({"kind":"address","text":"sko=271A6"})"));
  EXPECT_TRUE(Contains(pressed, R"("undo":{)"));
  // Every line of the list, in order, with its tooltip.
  std::size_t at = 0;
  for (const Line& line : c.ListOf("ListBox7").lines) {
    at = pressed.find(R"({"text":)" + Quoted(line.text) + R"(,"mark":"","old":"","tip":)" + Quoted(line.tip), at);
    ASSERT_NE(at, std::string::npos) << line.text;
  }
}

TEST(Wire, EscapedTextsArriveAsUtf8) {
  Controller c(Quiet());
  Wire wire(c);
  // A Cyrillic letter escaped, a character beyond the BMP as a surrogate
  // pair, a lone surrogate, quotes and a line break in the search text.
  wire.Handle(R"({"do":"find","text":"\u0416 \ud83d\ude00 \udc00 \"q\"\n\\"})");
  EXPECT_EQ(c.Search().text, "Ж \xF0\x9F\x98\x80 \xEF\xBF\xBD \"q\"\n\\");
  const std::string answer = wire.Handle(R"({"do":"searchEdited","text":"ж"})");
  EXPECT_TRUE(Contains(answer, R"("kind":"search","text":"ж")")) << answer;
}

TEST(Wire, AnIntentThatCannotBeReadChangesNothing) {
  for (const std::string bad : {"", "{", R"({"do":"find","text":"x")", R"({"do":"find","text":"x"} junk)",
                                R"({"do":"find","text":"\u12"})", R"({"do":"find","text":"\q"})", R"({"do":"nothing"})",
                                R"({"do":"find","text":"x","n":99999999999999999999})"}) {
    Controller c(Quiet());
    Wire wire(c);
    const std::string answer = wire.Handle(bad);
    EXPECT_TRUE(Contains(answer, R"({"error":")")) << bad << " -> " << answer;
    EXPECT_EQ(c.Search().text, "") << bad;
    EXPECT_TRUE(c.TakeEffects().empty()) << bad;
  }
}

TEST(Wire, AReadingIsAskedForAndItsAnswerOrItsEndGoesBack) {
  Controller c(Quiet());
  Wire wire(c);
  wire.Handle(R"({"do":"database","file":"chosen.mdb"})");
  wire.Handle(R"({"do":"showPage","sheet":")" + SegmentsPage().sheet + R"("})");
  const std::string button = SegmentsPage().buttons.front().name;
  const std::string asked = wire.Handle(R"({"do":"press","button":")" + button + R"("})");
  EXPECT_TRUE(Contains(asked, R"("idle":false)")) << asked;
  EXPECT_TRUE(Contains(asked, R"({"kind":"read","button":")" + button + R"(","request":")")) << asked;
  // The request names the chosen file, as the reader program's argument does.
  const std::string request = EncodeRequest("chosen.mdb", {});
  EXPECT_TRUE(Contains(asked, request.substr(0, request.size() - 8))) << "the request names the chosen file";
  // Ended by the operator: nothing shown, the controller idle again.
  const std::string ended = wire.Handle(R"({"do":"readingAnswered","failure":"cancelled"})");
  EXPECT_TRUE(Contains(ended, R"("idle":true)"));
  EXPECT_FALSE(Contains(ended, R"("kind":"lines")"));
  // A reader that gave nothing: the press shows its failure.
  wire.Handle(R"({"do":"press","button":")" + button + R"("})");
  const std::string failed = wire.Handle(R"({"do":"readingAnswered","failure":"crashed"})", "");
  EXPECT_TRUE(Contains(failed, R"({"kind":"message","name":"error","text":")")) << failed;
  EXPECT_TRUE(Contains(failed, "chosen.mdb")) << failed;
  // What a lookup would read, read ahead without waiting.
  const std::string ahead = wire.Handle(R"({"do":"readAhead","button":")" + button + R"("})");
  EXPECT_TRUE(Contains(ahead, R"({"kind":"readAhead","request":")")) << ahead;
  EXPECT_TRUE(c.Idle());
}

TEST(Wire, StartDrawsThePageInFrontAndTheFocus) {
  Controller c(Quiet());
  Wire wire(c);
  const std::string answer = wire.Handle(R"({"do":"start"})");
  EXPECT_TRUE(Contains(answer, R"({"kind":"page","sheet":")" + c.Front().sheet + R"(","tabs":{)")) << answer;
  EXPECT_TRUE(Contains(answer, R"({"kind":"focus","control":")" + c.FocusNow().control + R"(")")) << answer;
}

}  // namespace
}  // namespace ostrolen::ui
