#include "pages/subscriber/decoders.h"

namespace ostrolen {

void Deliver(const DecodeResult& result, AhOutput& out) {
  for (const std::string& report : result.reports) out.Report(report);
  if (result.cleared) out.ClearLines();
  for (const SourcedLine& line : result.lines) out.AppendLine(line.text);
  if (result.error) throw *result.error;
}

void DecodeAhFirstStage(const CodeWordTexts& word, AhOutput& out) {
  Deliver(DecodeAhPage(FirstStageFields(), std::span(&word, 1)), out);
}

void DecodeAhSecondStage(const FourWordBlockTexts& block, AhOutput& out) {
  Deliver(DecodeAhPage(SecondStageFields(), block), out);
}

void DecodeAhThirdStage(const FourWordBlockTexts& block, AhOutput& out) {
  Deliver(DecodeAhPage(ThirdStageFields(), block), out);
}

void DecodeSko(const CodeWordTexts& word, AhOutput& out) {
  Deliver(DecodeAhPage(SkoFields(), std::span(&word, 1)), out);
}

void DecodeRko(const TwoWordTexts& words, AhOutput& out) { Deliver(DecodeAhPage(RkoFields(), words), out); }

}  // namespace ostrolen
