// The decoders of the subscriber data pages ("АХ"): from the position texts
// of one, two or four code words to input error reports and result lines.
//
// A decoder converts each position only where its field is first needed and
// hands its output on as it goes, so a run stopped by a ConversionError
// leaves exactly the output made before that point.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/conversions.h"

namespace ostrolen {

// The texts of positions p1 to p5 of one code word.
using CodeWordTexts = std::array<std::string, 5>;
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

// A service shown as one line: its label and the bit of word `word`
// (0-based) that switches it on, bits numbered 1-16 from the left.
struct ServiceBit {
  std::string_view label;
  std::size_t word = 0;
  std::size_t bit = 0;
};

// The service lines of `table`, in table order, from the words' bit strings.
std::vector<std::string> ServiceLines(std::span<const ServiceBit> table, std::span<const std::string> words);

// Bits `from` to `to` (1-16, inclusive) of a code word. Only the positions
// that carry them are converted, left to right.
std::string FieldBits(const CodeWordTexts& word, int from, int to);

// The twelve position checks of a four-word block, word by word, p1, p2,
// p3 of each; every failure is reported at once. Returns the count.
int CheckFourWordBlock(const FourWordBlockTexts& block, const ReportSink& report);

// Each takes the texts as the boxes hold them after filling.
void DecodeAhFirstStage(const CodeWordTexts& word, AhOutput& out);
void DecodeAhSecondStage(const FourWordBlockTexts& block, AhOutput& out);
void DecodeAhThirdStage(const FourWordBlockTexts& block, AhOutput& out);
void DecodeSko(const CodeWordTexts& word, AhOutput& out);
void DecodeRko(const TwoWordTexts& words, AhOutput& out);

}  // namespace ostrolen
