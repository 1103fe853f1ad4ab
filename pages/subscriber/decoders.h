// The decoders of the subscriber data pages ("АХ"): from the position texts
// of one, two or four code words to input error reports and result lines.
// Each is its page's field declarations walked by DecodeAhPage; these forms
// hand the result to an output as a press does.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pages/subscriber/fields.h"

namespace ostrolen {

// Words 0 to 3 of a four-word block.
using FourWordBlockTexts = std::array<CodeWordTexts, 4>;
// Words 0 and 1 of an extended class of service.
using TwoWordTexts = std::array<CodeWordTexts, 2>;

// Where a decoder's output goes: the input error reports and the page's
// result list.
class AhOutput {
 public:
  virtual ~AhOutput() = default;
  virtual void Report(std::string_view text) = 0;
  virtual void ClearLines() = 0;
  virtual void AppendLine(std::string_view line) = 0;
};

// Keeps what a decoder put out; `lines` starts as the list stood before.
class CollectedOutput : public AhOutput {
 public:
  explicit CollectedOutput(std::vector<std::string> previous = {}) : lines(std::move(previous)) {}
  void Report(std::string_view text) override { reports.emplace_back(text); }
  void ClearLines() override {
    lines.clear();
    cleared = true;
  }
  void AppendLine(std::string_view line) override { lines.emplace_back(line); }

  std::vector<std::string> reports;
  std::vector<std::string> lines;
  bool cleared = false;
};

// Hands `result` to `out` in the order a press shows it, then raises its error.
void Deliver(const DecodeResult& result, AhOutput& out);

// Each takes the texts as the boxes hold them after filling.
void DecodeAhFirstStage(const CodeWordTexts& word, AhOutput& out);
void DecodeAhSecondStage(const FourWordBlockTexts& block, AhOutput& out);
void DecodeAhThirdStage(const FourWordBlockTexts& block, AhOutput& out);
void DecodeSko(const CodeWordTexts& word, AhOutput& out);
void DecodeRko(const TwoWordTexts& words, AhOutput& out);

}  // namespace ostrolen
