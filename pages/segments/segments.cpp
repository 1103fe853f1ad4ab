#include "pages/segments/segments.h"

#include "pages/pages.h"

#include <array>
#include <span>
#include <string>

namespace ostrolen {
namespace {

// The segment and the step; an empty one is read as "0".
constexpr std::array<std::string_view, 2> kLookupBoxes = {"Edit329", "Edit330"};
constexpr std::string_view kEmptyBoxFill = "0";

constexpr std::array<std::string_view, 8> kControlSegments = {"3C", "3D", "3E", "3F", "3c", "3d", "3e", "3f"};

// A label and the column whose value follows it.
struct Shown {
  std::string_view label;
  std::string_view column;
};

constexpr std::array<Shown, 1> kEquipmentLines = {{{"Проверяемое оборудование:", "oborud"}}};

constexpr std::array<Shown, 3> kStepLines = {{
    {"Наименование исполнительной программы:", "isppro"},
    {"Неисправность:", "neispr"},
    {"Примечание:", "prim"},
}};

// One description of a control step: the scan-point state comes fourth.
constexpr std::array<Shown, 6> kControlLines = {{
    {"Объект управления:", "object"},
    {"Информация в УСК:", "info"},
    {"Приемник:", "priem"},
    {"Состояние точки сканирования:", "ts"},
    {"Неисправность:", "neispr"},
    {"Примечание:", "prim"},
}};

// One of two descriptions, one per scan-point state: the state comes first.
constexpr std::array<Shown, 6> kStateLines = {{
    {"Состояние точки сканирования:", "ts"},
    {"Объект управления:", "object"},
    {"Информация в УСК:", "info"},
    {"Приемник:", "priem"},
    {"Неисправность:", "neispr"},
    {"Примечание:", "prim"},
}};

enum Position { kEquipment = 0, kStep = 1, kControl = 1, kState0 = 2, kState1 = 3 };

// The label, then its value (which may fail), then an empty line unless
// `last_blank` is false and this is the last pair.
void AppendPairs(const QueryResult& result, std::span<const Shown> pairs, bool last_blank,
                 const std::function<void(std::string_view)>& append) {
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    append(pairs[i].label);
    append(ValueText(FieldValue(result, pairs[i].column)));
    if (last_blank || i + 1 < pairs.size()) append("");
  }
}

// The result of statement `i`, or its failure thrown.
class Results {
 public:
  Results(const Connection& database, std::vector<Statement> statements)
      : database_(database), statements_(std::move(statements)) {}
  void Run(Connection& database) { outcomes_ = database.Run(statements_); }
  const QueryResult& Opened(std::size_t i) const {
    const StatementOutcome& outcome = outcomes_.at(i);
    if (outcome.failure != ReadFailure::None)
      throw DatabaseError(FailureMessage(outcome.failure, database_.File(), statements_[i].table, outcome.name));
    return outcome.result;
  }

 private:
  const Connection& database_;
  std::vector<Statement> statements_;
  std::vector<StatementOutcome> outcomes_;
};

}  // namespace

bool IsControlSegment(std::string_view segment) {
  for (const std::string_view s : kControlSegments) {
    if (segment == s) return true;
  }
  return false;
}

std::vector<Statement> LookupStatements(std::string_view segment, std::string_view step) {
  const std::string s(segment), t(step);
  std::vector<Statement> statements = {{"segmoborud", {{"nomsegm", s}}}};
  if (!IsControlSegment(segment)) {
    statements.push_back({"Segment", {{"nomsegm", s}, {"nomstep", t}}});
    return statements;
  }
  const Statement control{"segmentkup", {{"segm", s}, {"step", t}}};
  statements.push_back(control);
  for (const std::string_view state : {"0", "1"}) {
    Statement with_state = control;
    with_state.conditions.push_back({"ts", std::string(state)});
    statements.push_back(std::move(with_state));
  }
  return statements;
}

void SegmentLookup(Connection& database, std::string_view segment, std::string_view step,
                   const std::function<void(std::string_view)>& append) {
  // One reading of the file answers every statement the lookup may need.
  Results results(database, LookupStatements(segment, step));
  results.Run(database);
  AppendPairs(results.Opened(kEquipment), kEquipmentLines, true, append);
  if (!IsControlSegment(segment)) {
    AppendPairs(results.Opened(kStep), kStepLines, false, append);
    return;
  }
  const QueryResult& control = results.Opened(kControl);
  if (EqualsFalse(FieldValue(control, "d"))) {
    AppendPairs(control, kControlLines, true, append);
    return;
  }
  AppendPairs(results.Opened(kState0), kStateLines, true, append);
  append(kSegmentSeparator);
  AppendPairs(results.Opened(kState1), kStateLines, true, append);
}

bool ReadsDatabase(const ButtonSpec& button) { return button.handler == SpeedButton17Click; }

void SpeedButton17Click(Window& window) {
  FillEmptyBoxes(window, kLookupBoxes, kEmptyBoxFill);
  window.ClearList("ListBox10");
  SegmentLookup(ReferenceDatabase(), window.Text(kLookupBoxes[0]), window.Text(kLookupBoxes[1]),
                [&](std::string_view line) { window.AppendLine("ListBox10", line); });
}

std::vector<Statement> PressStatements(const Window& window, std::string_view button) {
  const ButtonOnPage found = FindButton(button);
  if (found.button == nullptr || found.button->handler != SpeedButton17Click) return {};
  const auto filled = [&](std::string_view box) {
    const std::string text = window.Text(box);
    return text.empty() ? std::string(kEmptyBoxFill) : text;
  };
  return LookupStatements(filled(kLookupBoxes[0]), filled(kLookupBoxes[1]));
}

}  // namespace ostrolen
