#include <string>
#include <vector>

#include "core/layout.h"
#include "pages/subscriber/decoders.h"
#include "pages/subscriber/subscriber.h"

namespace ostrolen {
namespace {

// A decoder's output on the window: reports as input error reports, lines
// into the page's list.
class ListOutput : public AhOutput {
 public:
  ListOutput(Window& window, std::string_view list) : window_(window), list_(list) {}
  void Report(std::string_view text) override { window_.InputErrorReport(text); }
  void ClearLines() override { window_.ClearList(list_); }
  void AppendLine(std::string_view line) override { window_.AppendLine(list_, line); }

 private:
  Window& window_;
  std::string_view list_;
};

// Fills the page's empty boxes with "0", in input order, then reads them.
template <std::size_t Words>
std::array<CodeWordTexts, Words> FillAndRead(Window& window, const AhPageControls& controls) {
  static_assert(Words > 0);
  const std::vector<std::string> names = EditRange(controls.first, controls.first + 5 * static_cast<int>(Words) - 1);
  const std::vector<std::string_view> boxes(names.begin(), names.end());
  FillEmptyBoxes(window, boxes);
  std::array<CodeWordTexts, Words> words;
  for (std::size_t w = 0; w < Words; ++w) {
    for (std::size_t p = 0; p < 5; ++p) words[w][p] = window.Text(names.at(w * 5 + p));
  }
  return words;
}

}  // namespace

void SpeedButton3Click(Window& window) {
  ListOutput out(window, kFirstStageControls.list);
  DecodeAhFirstStage(FillAndRead<1>(window, kFirstStageControls)[0], out);
}

void SpeedButton6Click(Window& window) {
  ListOutput out(window, kSecondStageControls.list);
  DecodeAhSecondStage(FillAndRead<4>(window, kSecondStageControls), out);
}

void SpeedButton10Click(Window& window) {
  ListOutput out(window, kInitialBlockControls.list);
  DecodeAhThirdStage(FillAndRead<4>(window, kInitialBlockControls), out);
}

void SpeedButton14Click(Window& window) {
  ListOutput out(window, kSkoControls.list);
  DecodeSko(FillAndRead<1>(window, kSkoControls)[0], out);
}

void SpeedButton15Click(Window& window) {
  ListOutput out(window, kRkoControls.list);
  DecodeRko(FillAndRead<2>(window, kRkoControls), out);
}

}  // namespace ostrolen
