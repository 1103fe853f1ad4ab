// The request a press would make, known from the boxes without pressing:
// for the lookup's button exactly the statements its handler has the
// database answer, for every other button none.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/model_window.h"
#include "pages/pages.h"
#include "pages/segments/segments.h"
#include "reader/database.h"
#include "reader/query.h"

namespace ostrolen {
namespace {

// The statements a press of `button` has the reference database answer.
std::vector<std::vector<Statement>> StatementsOfPress(ModelWindow& window, std::string_view button) {
  std::vector<std::vector<Statement>> asked;
  ReferenceDatabase().SetRunner([&](const std::string& file, const std::vector<Statement>& statements) {
    asked.push_back(statements);
    std::vector<StatementOutcome> outcomes;
    for (std::size_t i = 0; i < statements.size(); ++i) outcomes.push_back(Failed(ReadFailure::MissingFile, file));
    return outcomes;
  });
  Press(window, button);
  ReferenceDatabase().SetRunner({});
  return asked;
}

std::string Shown(const std::vector<Statement>& statements) {
  std::string s;
  for (const Statement& st : statements) {
    s += st.table + "(";
    for (const Condition& c : st.conditions) s += c.column + " LIKE '" + c.pattern + "' ";
    s += ") ";
  }
  return s;
}

TEST(PressStatements, TheLookupsAreThoseItsHandlerRuns) {
  const char* segments[] = {"", "0", "12", "3C", "3c", "3d", "3E", "3f", "3G", " 3C", "7'", "%", "[", "Ж"};
  const char* steps[] = {"", "0", "1", "FF", "_", "'"};
  for (const char* segment : segments) {
    for (const char* step : steps) {
      ModelWindow window;
      window.SetText("Edit329", segment);
      window.SetText("Edit330", step);
      const std::vector<Statement> predicted = PressStatements(window, "SpeedButton17");
      EXPECT_EQ(window.Text("Edit329"), segment) << "asking does not press";
      const auto asked = StatementsOfPress(window, "SpeedButton17");
      ASSERT_EQ(asked.size(), 1U) << segment << "/" << step;
      EXPECT_EQ(Shown(predicted), Shown(asked[0])) << segment << "/" << step;
      EXPECT_FALSE(predicted.empty());
    }
  }
}

TEST(PressStatements, EmptyBoxesAskForSegmentZeroStepZero) {
  ModelWindow window;
  EXPECT_EQ(Shown(PressStatements(window, "SpeedButton17")),
            "segmoborud(nomsegm LIKE '0' ) Segment(nomsegm LIKE '0' nomstep LIKE '0' ) ");
}

TEST(PressStatements, NoOtherButtonAsksTheDatabase) {
  for (const PageLayout* page : AllPages()) {
    for (const ButtonSpec& button : page->buttons) {
      if (button.name == "SpeedButton17") continue;
      ModelWindow window;
      EXPECT_TRUE(PressStatements(window, button.name).empty()) << button.name;
      EXPECT_TRUE(StatementsOfPress(window, button.name).empty()) << button.name;
    }
  }
  ModelWindow window;
  EXPECT_TRUE(PressStatements(window, "NoSuchButton").empty());
}

// The outcomes of many lookups kept for a table's next records: each lookup
// among them is answered from them, in any order and as often as asked,
// until they are forgotten; a lookup with any other statement reads.
TEST(KeptOutcomes, AnswerEveryRunOfTheirStatementsUntilForgotten) {
  std::vector<std::vector<Statement>> read;
  Connection& database = ReferenceDatabase();
  database.SetRunner([&](const std::string& /*file*/, const std::vector<Statement>& statements) {
    read.push_back(statements);
    std::vector<StatementOutcome> outcomes;
    for (const Statement& statement : statements) outcomes.push_back(Failed(ReadFailure::MissingFile, statement.table));
    return outcomes;
  });
  const Statement a{"segmoborud", {{"nomsegm", "1"}}};
  const Statement b{"Segment", {{"nomsegm", "1"}, {"nomstep", "2"}}};
  const Statement c{"segmoborud", {{"nomsegm", "3"}}};
  // Two statements whose parts run together alike are still two.
  const Statement ab{"ab", {{"c", "d"}}};
  const Statement a_bc{"a", {{"bc", "d"}}};
  database.Keep({a, b, ab}, {Failed(ReadFailure::NoAccess, "a"), Failed(ReadFailure::NoAccess, "b"),
                             Failed(ReadFailure::NoAccess, "ab")});
  const auto names = [](const std::vector<StatementOutcome>& outcomes) {
    std::string text;
    for (const StatementOutcome& outcome : outcomes) text += outcome.name + ",";
    return text;
  };
  EXPECT_EQ(names(database.Run({b, a})), "b,a,");
  EXPECT_EQ(names(database.Run({b})), "b,");
  EXPECT_EQ(names(database.Run({ab})), "ab,");
  EXPECT_TRUE(read.empty());
  EXPECT_EQ(names(database.Run({a, c})), "segmoborud,segmoborud,");
  EXPECT_EQ(names(database.Run({a_bc})), "a,");
  ASSERT_EQ(read.size(), 2U);
  EXPECT_EQ(read[0], (std::vector<Statement>{a, c}));
  database.ForgetKept();
  EXPECT_EQ(names(database.Run({a})), "segmoborud,");
  EXPECT_EQ(read.size(), 3U);
  // Outcomes fewer than the statements: the rest as a reader that ended.
  database.Keep({a, c}, {Failed(ReadFailure::NoAccess, "a")});
  const std::vector<StatementOutcome> short_answer = database.Run({c});
  ASSERT_EQ(short_answer.size(), 1U);
  EXPECT_EQ(short_answer[0].failure, ReadFailure::ReaderCrashed);
  database.ForgetKept();
  database.SetRunner({});
}

}  // namespace
}  // namespace ostrolen
