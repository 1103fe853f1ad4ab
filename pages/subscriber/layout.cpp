#include <string>
#include <vector>

#include "core/layout.h"
#include "pages/pages.h"
#include "pages/subscriber/compose.h"
#include "pages/subscriber/subscriber.h"

namespace ostrolen {
namespace {

constexpr int kStep = 27;       // box to box in a row
constexpr int kRowStep = 34;    // row to row of a word grid
constexpr int kLineStep = 16;   // line to line of an information text
constexpr int kHeaderGap = 24;  // from the column labels down to the first row

// One label per line, in the page font.
std::vector<LabelSpec> TextLines(const std::vector<std::string>& lines, int x, int y) {
  std::vector<LabelSpec> labels;
  for (const std::string& line : lines) {
    labels.push_back({line, x, y, 11, false, 0});
    y += kLineStep;
  }
  return labels;
}

// The code word rows of a page from (x, y): the position maxima above the
// first row and, on four-word pages, the word numbers at the left.
void AddWordGrid(PageLayout& page, const AhPageControls& controls, int x, int y) {
  Append(page.labels, LabelRow(MaxDigitLabels(), x, y - kHeaderGap, 19, true));
  for (int w = 0; w < controls.words; ++w) {
    const int first = controls.first + 5 * w;
    const int row_y = y + w * kRowStep;
    Append(page.boxes, BoxRow(EditRange(first, first + 4), x, row_y));
    page.words.push_back({WordKind::Code, EditRange(first, first + 4), {}});
    if (controls.words == 4) page.labels.push_back({std::to_string(w), x - 18, row_y + 7, 16, true, 0});
  }
}

int GridRight(int x) { return x + 4 * kStep + 25; }

ListSpec ResultList(const AhPageControls& controls, int x, int y, int width, int height, int pixel_size) {
  return {std::string(controls.list), x, y, width, height, pixel_size, 16, true};
}

}  // namespace

const PageLayout& FirstStagePage() {
  static const PageLayout page = WithCommands(
      [] {
        PageLayout p;
        p.sheet = "TabSheet4";
        p.caption = "Первая ступень";
        p.labels = TextLines({"Данные первой ступени АХ находятся ", "в области памяти начиная с ячейки ",
                              "444000 и заканчивая 4453FF.", "Или стартовый адрес указан в ячейках", "24305 и 243CF."},
                             16, 16);
        constexpr int kX = 16, kY = 140;
        AddWordGrid(p, kFirstStageControls, kX, kY);
        static const ComposePage compose{&FirstStageFields(), kFirstStageControls, "SpeedButton3"};
        p.compose = &compose;
        p.buttons = {{"SpeedButton3", "", Picture::ArrowRight, GridRight(kX) + 12, kY, 33, 33, SpeedButton3Click}};
        p.lists = {ResultList(kFirstStageControls, GridRight(kX) + 60, kY - kHeaderGap, 380, 120, 15)};
        return p;
      }(),
      // What the command line calls a press of the page's buttons.
      {{"first-stage", "SpeedButton3", "", 5, "WORD", "3529C", "АХ, Первая ступень", {}, true}});
  return page;
}

const PageLayout& SecondStagePage() {
  static const PageLayout page = WithCommands(
      [] {
        PageLayout p;
        p.sheet = "TabSheet5";
        p.caption = "Вторая ступень";
        // The grid at the top left, the list below it across the page: its
        // longest line, a long line type, needs most of the page's width.
        constexpr int kX = 40, kY = 32;
        AddWordGrid(p, kSecondStageControls, kX, kY);
        static const ComposePage compose{&SecondStageFields(), kSecondStageControls, "SpeedButton6"};
        p.compose = &compose;
        p.buttons = {{"SpeedButton6", "", Picture::ArrowRight, GridRight(kX) + 12, kY + (4 * kRowStep - 35) / 2, 33, 33,
                      SpeedButton6Click}};
        Append(p.labels,
               TextLines({"Данные второй ступени АХ находятся ", "в области памяти начиная с ячейки ",
                          "446000 и заканчивая 4463FF.", "Или стартовый адрес указан в ячейках", "27195 и 27196."},
                         GridRight(kX) + 70, kY + 8));
        p.lists = {ResultList(kSecondStageControls, 16, kY + 4 * kRowStep + 20, 740, 212, 15)};
        return p;
      }(),
      // What the command line calls a press of the page's buttons.
      {{"second-stage",
        "SpeedButton6",
        "",
        5,
        "WORD0 WORD1 WORD2 WORD3",
        "03245 253A7 12345 701F0",
        "АХ, Вторая ступень: the four-word block",
        {},
        true}});
  return page;
}

const PageLayout& InitialBlockPage() {
  static const PageLayout page = WithCommands(
      [] {
        PageLayout p;
        p.sheet = "TabSheet7";
        p.caption = "Начальный 4-х словный блок";
        constexpr int kX = 40, kY = 32;
        AddWordGrid(p, kInitialBlockControls, kX, kY);
        static const ComposePage compose{&ThirdStageFields(), kInitialBlockControls, "SpeedButton10"};
        p.compose = &compose;
        p.buttons = {{"SpeedButton10", "", Picture::ArrowRight, GridRight(kX) + 12, kY + (4 * kRowStep - 35) / 2, 33,
                      33, SpeedButton10Click}};
        // [sic] "третей"; "2719В-9Е.": the В and Е are Cyrillic letters.
        Append(p.labels, TextLines({"Данные третей ступени АХ находятся ",  // [sic]
                                    "в области памяти начиная с ячейки ", "450000.",
                                    "Или стартовый адрес указан в ячейках", "2719В-9Е."},  // [sic] Cyrillic В and Е
                                   16, kY + 4 * kRowStep + 24));
        // Fourteen lines at most.
        p.lists = {ResultList(kInitialBlockControls, GridRight(kX) + 90, kY - kHeaderGap, 470, 236, 13)};
        return p;
      }(),
      // What the command line calls a press of the page's buttons.
      {{"third-stage",
        "SpeedButton10",
        "",
        5,
        "WORD0 WORD1 WORD2 WORD3",
        "1235C 5227F 00000 00000",
        "АХ, Третья ступень: the initial four-word block",
        {},
        true}});
  return page;
}

const PageLayout& SkoPage() {
  static const PageLayout page = WithCommands(
      [] {
        PageLayout p;
        p.sheet = "TabSheet8";
        p.caption = "СКО";
        constexpr int kX = 516, kY = 32;
        p.labels = {{"Введите код сокращенного класса обслуживания", 8, kY + 5, 19, true, 0}};
        AddWordGrid(p, kSkoControls, kX, kY);
        static const ComposePage compose{&SkoFields(), kSkoControls, "SpeedButton14"};
        p.compose = &compose;
        p.buttons = {
            {"SpeedButton14", "Проверить", Picture::Book, GridRight(kX) + 12, kY, 121, 33, SpeedButton14Click}};
        Append(p.labels,
               TextLines(
                   {"Коды сокращенных классов обслуживания находятся в ячейках 33200-33207 (СКО0-СКО7 соответственно)"},
                   8, kY + 44));
        // Fifteen lines at most.
        p.lists = {ResultList(kSkoControls, 8, kY + 70, 700, 252, 15)};
        return p;
      }(),
      // What the command line calls a press of the page's buttons.
      {{"sko", "SpeedButton14", "", 5, "CODE", "271A6", "АХ, СКО: an abbreviated class of service", {}, true}});
  return page;
}

const PageLayout& RkoPage() {
  static const PageLayout page = WithCommands(
      [] {
        PageLayout p;
        p.sheet = "TabSheet13";
        p.caption = "РКО";
        p.labels = {{"Введите код расширенного класса обслуживания", 8, 8, 19, true, 0}};
        Append(p.labels,
               TextLines({"Коды расширенных классов обслуживания (двусловные) находятся в ячейках начиная с адреса",
                          "33360 или стартовый адрес расширенных классов находится в ячейке 243D0"},
                         8, 38));
        constexpr int kX = 16, kY = 108;
        AddWordGrid(p, kRkoControls, kX, kY);
        static const ComposePage compose{&RkoFields(), kRkoControls, "SpeedButton15"};
        p.compose = &compose;
        p.buttons = {
            {"SpeedButton15", "Проверить", Picture::Book, kX, kY + 2 * kRowStep + 12, 121, 33, SpeedButton15Click}};
        // Always twenty lines.
        p.lists = {ResultList(kRkoControls, 300, kY - kHeaderGap, 470, 332, 13)};
        return p;
      }(),
      // What the command line calls a press of the page's buttons.
      {{"rko",
        "SpeedButton15",
        "",
        5,
        "WORD0 WORD1",
        "00359 362C5",
        "АХ, РКО: an extended class of service",
        {},
        true}});
  return page;
}

}  // namespace ostrolen
