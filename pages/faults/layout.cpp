// The four fault pages, laid out from their descriptors: row titles at the
// left, the boxes in one column block, the list and "Проверить" below.
// Word 1 takes the left group of a row, word 2 the right group; bit rows
// are sixteen boxes in four groups of four, and the mask boxes stand above
// their word's message positions.
#include "core/layout.h"
#include "pages/faults/faults.h"
#include "pages/pages.h"

namespace ostrolen {
namespace {

constexpr int kTitleX = 8;
constexpr int kBoxX = 264;  // clear of the widest row title
constexpr int kStep = 27;
constexpr int kGroupGap = 8;
constexpr int kGroupPitch = 4 * kStep + kGroupGap;
constexpr int kRightGroupX = kBoxX + 3 * kGroupPitch;  // over the last group of a bit row
constexpr int kRowPitch = 36;
constexpr int kPairGap = 10;  // between a mask row with its check row and the next pair
constexpr int kButtonWidth = 121;
constexpr int kButtonHeight = 33;

template <std::size_t N>
std::vector<std::string> Names(const std::array<std::string, N>& names) {
  return {names.begin(), names.end()};
}

void AddRow(PageLayout& page, const std::vector<BoxSpec>& row) { Append(page.boxes, row); }

// Word 1 in the left group of a row, word 2 in the right group.
int GroupX(std::size_t word) { return word == 0 ? kBoxX : kRightGroupX; }

// A row title, bold 19 px, level with a row of boxes at `y`.
void AddTitle(PageLayout& page, std::string text, int y) {
  page.labels.push_back({std::move(text), kTitleX, y + 5, 19, true});
}

void AddMaskBoxes(PageLayout& page, const FaultWordBoxes& word, int x, int y) {
  std::vector<BoxSpec> boxes = BoxRow(Names(word.mask_boxes), x, y, BoxRole::Fixed);
  for (std::size_t k = 0; k < boxes.size(); ++k) boxes[k].text = (*word.mask)[k];
  AddRow(page, boxes);
}

std::vector<BoxSpec> BitRow(const BitRowBoxes& names, int y) {
  return BoxRow(Names(names), kBoxX, y, BoxRole::Output, kStep, 4, kGroupGap);
}

// The list with its caption at the left and the button at its right.
void AddListAndButton(PageLayout& page, const FaultPage& faults, std::string caption, std::string button,
                      Handler handler, int y, ListSpec list) {
  page.labels.push_back({std::move(caption), kTitleX, y + 2, 16, true});
  list.name = faults.list;
  list.x = kBoxX;
  list.y = y;
  page.lists = {list};
  page.buttons = {{std::move(button), "Проверить", Picture::Book, kBoxX + list.width + 24, y, kButtonWidth,
                   kButtonHeight, handler}};
}

// "УВП", "БГ" and "ВВК": the mask and message rows, then per word its mask
// row above its check row.
PageLayout MaskedPage(const FaultPage& faults, std::string sheet, std::string caption,
                      const std::vector<std::string>& mask_titles, std::string button, Handler handler) {
  PageLayout page;
  page.sheet = std::move(sheet);
  page.caption = std::move(caption);
  page.faults = &faults;

  int y = 8;
  AddTitle(page, "Маска исправности", y);
  for (std::size_t w = 0; w < faults.words.size(); ++w) AddMaskBoxes(page, faults.words[w], GroupX(w), y);
  y += kRowPitch + 2;
  AddTitle(page, "Введите код сообщения", y);
  for (std::size_t w = 0; w < faults.words.size(); ++w) {
    AddRow(page, BoxRow(Names(faults.words[w].message), GroupX(w), y));
  }
  y += kRowPitch + kPairGap;
  for (std::size_t w = 0; w < faults.words.size(); ++w) {
    AddTitle(page, mask_titles[w], y);
    AddRow(page, BitRow(faults.words[w].mask_row, y));
    y += kRowPitch;
    AddTitle(page, "Проверка", y);
    AddRow(page, BitRow(faults.words[w].check_row, y));
    y += kRowPitch + kPairGap;
  }

  for (const FaultWordBoxes& word : faults.words) {
    page.words.push_back({WordKind::Message, Names(word.message), {Names(word.mask_row), Names(word.check_row)}});
  }

  // Lines of 20 px: as many as fit above the bottom of the page.
  const int lines = faults.words.size() == 1 ? 12 : 8;
  AddListAndButton(page, faults, "Неисправность", std::move(button), handler, y + 8,
                   ListSpec{"", 0, 0, 280, lines * 20 + 4, 16, 20, true});
  return page;
}

}  // namespace

const PageLayout& UvpPage() {
  static const PageLayout page = WithCommands(
      MaskedPage(UvpFaultPage(), "TabSheet9", "УВП", {"Маска Lxe", "Маска Lxf"}, "SpeedButton11", SpeedButton11Click),
      // What the command line calls a press of the page's buttons.
      {{"uvp", "SpeedButton11", "", 4, "WORD1 WORD2", "0075 003F", "Неисправности, УВП: a status message", {}, true}});
  return page;
}

const PageLayout& BgPage() {
  static const PageLayout page =
      WithCommands(MaskedPage(BgFaultPage(), "TabSheet10", "БГ", {"Маска"}, "SpeedButton12", SpeedButton12Click),
                   // What the command line calls a press of the page's buttons.
                   {{"bg", "SpeedButton12", "", 4, "WORD", "0030", "Неисправности, БГ: a status message", {}, true}});
  return page;
}

const PageLayout& VvkPage() {
  static const PageLayout page = WithCommands(
      MaskedPage(VvkFaultPage(), "TabSheet11", "ВВК", {"Маска", "Маска"}, "SpeedButton13", SpeedButton13Click),
      // What the command line calls a press of the page's buttons.
      {{"vvk", "SpeedButton13", "", 4, "WORD1 WORD2", "0030 0034", "Неисправности, ВВК: a status message", {}, true}});
  return page;
}

// "ПУУ" has no masks. Its first check row is split into "БГ" (bits 1-8) and
// "ВВК" (bits 9-16) with the "ВВК" title in a wider middle gap; the second
// row, "УВП", keeps the same columns.
const PageLayout& PuuPage() {
  static const PageLayout page = WithCommands(
      [] {
        const FaultPage& faults = PuuFaultPage();
        constexpr int kMiddleGap = 40;  // added to the group gap between bits 8 and 9
        constexpr int kSecondHalfX = kBoxX + 2 * kGroupPitch + kMiddleGap;
        constexpr int kUnitX = kBoxX - 44;

        PageLayout p;
        p.faults = &faults;
        p.sheet = "TabSheet12";
        p.caption = "ПУУ";
        int y = 8;
        AddTitle(p, "Введите код сообщения", y);
        AddRow(p, BoxRow(Names(faults.words[0].message), kBoxX, y));
        AddRow(p, BoxRow(Names(faults.words[1].message), kSecondHalfX + kGroupPitch, y));

        y += kRowPitch + 20;
        const int first_row_y = y;
        for (const FaultWordBoxes& word : faults.words) {
          const std::vector<std::string> names = Names(word.check_row);
          AddRow(p, BoxRow({names.begin(), names.begin() + 8}, kBoxX, y, BoxRole::Output, kStep, 4, kGroupGap));
          AddRow(p, BoxRow({names.begin() + 8, names.end()}, kSecondHalfX, y, BoxRole::Output, kStep, 4, kGroupGap));
          y += kRowPitch + 4;
        }
        for (const FaultWordBoxes& word : faults.words) {
          p.words.push_back({WordKind::Message, Names(word.message), {Names(word.check_row)}});
        }
        const int second_row_y = first_row_y + kRowPitch + 4;
        p.labels.push_back({"Проверка", kTitleX, (first_row_y + second_row_y + 32) / 2 - 11, 19, true});
        p.labels.push_back({"БГ", kUnitX, first_row_y + 7, 16, true, 40});
        p.labels.push_back({"ВВК", kBoxX + 2 * kGroupPitch - kGroupGap, first_row_y + 7, 16, true,
                            kSecondHalfX - (kBoxX + 2 * kGroupPitch - kGroupGap)});
        p.labels.push_back({"УВП", kUnitX, second_row_y + 7, 16, true, 40});

        // The page font, lines of 13 px.
        AddListAndButton(p, faults, "Неисправны:", "SpeedButton16", SpeedButton16Click, y + 12,
                         ListSpec{"", 0, 0, 90, 21 * 13 + 4, 11, 13, false});
        return p;
      }(),
      // What the command line calls a press of the page's buttons.
      {{"puu", "SpeedButton16", "", 4, "WORD1 WORD2", "0100 8001", "Неисправности, ПУУ: a status message", {}, true}});
  return page;
}

}  // namespace ostrolen
