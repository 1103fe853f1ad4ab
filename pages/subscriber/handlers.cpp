#include <string>
#include <vector>

#include "core/layout.h"
#include "pages/subscriber/fields.h"
#include "pages/subscriber/subscriber.h"

namespace ostrolen {
namespace {

// One press of a subscriber page: the page's empty boxes get "0", in input
// order, then its words are decoded from the boxes and the result shown.
void PressAhPage(Window& window, const AhPageControls& controls, const AhFieldPage& fields) {
  const std::vector<std::string> names = EditRange(controls.first, controls.first + 5 * controls.words - 1);
  const std::vector<std::string_view> boxes(names.begin(), names.end());
  FillEmptyBoxes(window, boxes);
  std::vector<CodeWordTexts> words(static_cast<std::size_t>(controls.words));
  for (std::size_t w = 0; w < words.size(); ++w) {
    for (std::size_t p = 0; p < 5; ++p) words[w][p] = window.Text(names.at(w * 5 + p));
  }
  ShowResult(window, controls.list, DecodeAhPage(fields, words));
}

}  // namespace

void SpeedButton3Click(Window& window) { PressAhPage(window, kFirstStageControls, FirstStageFields()); }
void SpeedButton6Click(Window& window) { PressAhPage(window, kSecondStageControls, SecondStageFields()); }
void SpeedButton10Click(Window& window) { PressAhPage(window, kInitialBlockControls, ThirdStageFields()); }
void SpeedButton14Click(Window& window) { PressAhPage(window, kSkoControls, SkoFields()); }
void SpeedButton15Click(Window& window) { PressAhPage(window, kRkoControls, RkoFields()); }

}  // namespace ostrolen
