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

}  // namespace
}  // namespace ostrolen
