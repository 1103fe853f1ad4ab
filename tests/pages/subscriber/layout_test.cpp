// The five subscriber pages as declared: controls, texts and geometry.
#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "core/layout.h"
#include "tests/pages/subscriber/ah_test_support.h"

namespace ostrolen::testing {
namespace {

struct Rect {
  std::string what;
  int x, y, width, height;
};

bool Overlap(const Rect& a, const Rect& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

// A generous estimate of a text's advance in the page's face (Arial
// metrics run about 0.53-0.57 of the pixel size per Cyrillic letter).
int TextWidth(std::string_view text, int pixel_size, bool bold) {
  const double per_char = pixel_size * (bold ? 0.6 : 0.56);
  return static_cast<int>(std::ceil(static_cast<double>(CharCount(text)) * per_char));
}

Rect LabelRect(const LabelSpec& label) {
  const int width = label.width > 0 ? label.width : TextWidth(label.text, label.pixel_size, label.bold) + 4;
  const int height = static_cast<int>(std::ceil(label.pixel_size * 1.15)) + 2;
  return {"label " + label.text, label.x, label.y, width, height};
}

std::vector<Rect> Rects(const PageLayout& page) {
  std::vector<Rect> rects;
  for (const BoxSpec& b : page.boxes) rects.push_back({b.name, b.x, b.y, b.width, b.height});
  for (const LabelSpec& l : page.labels) rects.push_back(LabelRect(l));
  for (const ListSpec& l : page.lists) rects.push_back({l.name, l.x, l.y, l.width, l.height});
  for (const ButtonSpec& b : page.buttons) rects.push_back({b.name, b.x, b.y, b.width, b.height});
  return rects;
}

struct PageCase {
  std::string name;
  const PageLayout& (*page)();
  std::string sheet, caption;
  AhPageControls controls;
  std::string button;
  std::string caption_text;
  Picture picture;
  int button_width;
  int list_font;
  int page_width, page_height;
  std::vector<std::string> info;    // the page-font lines, in order
  std::vector<std::string> prompts;  // bold 19 px
  // Longest lines the page can show, found by decoding every word value.
  std::function<std::size_t(std::uint16_t, std::vector<std::string>&)> decode;
};

std::size_t Collect(CollectedOutput& out, std::vector<std::string>& lines) {
  lines = out.lines;
  return lines.size();
}

std::vector<PageCase> Pages() {
  return {
      {"first stage", FirstStagePage, "TabSheet4", "Первая ступень", kFirstStageControls, "SpeedButton3", "",
       Picture::ArrowRight, 33, 15, 785, 450,
       {"Данные первой ступени АХ находятся ", "в области памяти начиная с ячейки ", "444000 и заканчивая 4453FF.",
        "Или стартовый адрес указан в ячейках", "24305 и 243CF."},
       {},
       [](std::uint16_t v, std::vector<std::string>& lines) {
         CollectedOutput out;
         DecodeAhFirstStage(WordOf(v), out);
         return Collect(out, lines);
       }},
      {"second stage", SecondStagePage, "TabSheet5", "Вторая ступень", kSecondStageControls, "SpeedButton6", "",
       Picture::ArrowRight, 33, 15, 785, 450,
       {"Данные второй ступени АХ находятся ", "в области памяти начиная с ячейки ", "446000 и заканчивая 4463FF.",
        "Или стартовый адрес указан в ячейках", "27195 и 27196."},
       {},
       [](std::uint16_t v, std::vector<std::string>& lines) {
         CollectedOutput out;
         DecodeAhSecondStage({WordOf(v), WordOf(v), WordOf(v), WordOf(v)}, out);
         return Collect(out, lines);
       }},
      {"initial block", InitialBlockPage, "TabSheet7", "Начальный 4-х словный блок", kInitialBlockControls,
       "SpeedButton10", "", Picture::ArrowRight, 33, 13, 780, 420,
       // "2719В-9Е." with the Cyrillic В and Е.
       {"Данные третей ступени АХ находятся ", "в области памяти начиная с ячейки ", "450000.",
        "Или стартовый адрес указан в ячейках", "2719\xD0\x92-9\xD0\x95."},
       {},
       [](std::uint16_t v, std::vector<std::string>& lines) {
         CollectedOutput out;
         DecodeAhThirdStage({WordOf(v), WordOf(v), WordOf(v), WordOf(v)}, out);
         return Collect(out, lines);
       }},
      {"СКО", SkoPage, "TabSheet8", "СКО", kSkoControls, "SpeedButton14", "Проверить", Picture::Book, 121, 15, 785, 450,
       {"Коды сокращенных классов обслуживания находятся в ячейках 33200-33207 (СКО0-СКО7 соответственно)"},
       {"Введите код сокращенного класса обслуживания"},
       [](std::uint16_t v, std::vector<std::string>& lines) {
         CollectedOutput out;
         DecodeSko(WordOf(v), out);
         return Collect(out, lines);
       }},
      {"РКО", RkoPage, "TabSheet13", "РКО", kRkoControls, "SpeedButton15", "Проверить", Picture::Book, 121, 13, 785, 450,
       {"Коды расширенных классов обслуживания (двусловные) находятся в ячейках начиная с адреса",
        "33360 или стартовый адрес расширенных классов находится в ячейке 243D0"},
       {"Введите код расширенного класса обслуживания"},
       [](std::uint16_t v, std::vector<std::string>& lines) {
         CollectedOutput out;
         DecodeRko({WordOf(v), WordOf(v)}, out);
         return Collect(out, lines);
       }},
  };
}

TEST(AhLayout, BoxesInInputOrder) {
  for (const PageCase& c : Pages()) {
    SCOPED_TRACE(c.name);
    const PageLayout& page = c.page();
    EXPECT_EQ(page.sheet, c.sheet);
    EXPECT_EQ(page.caption, c.caption);
    ASSERT_EQ(page.boxes.size(), static_cast<std::size_t>(5 * c.controls.words));
    for (std::size_t i = 0; i < page.boxes.size(); ++i) {
      const BoxSpec& box = page.boxes[i];
      EXPECT_EQ(box.name, "Edit" + std::to_string(c.controls.first + static_cast<int>(i)));
      EXPECT_EQ(box.max_length, 1);
      EXPECT_EQ(box.width, 25);
      EXPECT_EQ(box.height, 32);
      EXPECT_EQ(box.role, BoxRole::Input);
      EXPECT_TRUE(box.text.empty());
      EXPECT_TRUE(box.enter_button.empty());
      // Row by row, left to right.
      if (i % 5 != 0) {
        EXPECT_EQ(box.y, page.boxes[i - 1].y);
        EXPECT_GT(box.x, page.boxes[i - 1].x);
      } else if (i > 0) {
        EXPECT_GT(box.y, page.boxes[i - 1].y);
        EXPECT_EQ(box.x, page.boxes[i - 5].x);
      }
    }
  }
}

const LabelSpec* FindLabel(const PageLayout& page, std::string_view text, std::size_t nth = 0) {
  for (const LabelSpec& label : page.labels) {
    if (label.text == text && nth-- == 0) return &label;
  }
  return nullptr;
}

TEST(AhLayout, ColumnAndRowLabels) {
  const std::vector<std::string> maxima = {"7", "7", "3", "F", "F"};
  for (const PageCase& c : Pages()) {
    SCOPED_TRACE(c.name);
    const PageLayout& page = c.page();
    // The maxima over the first row: "7" twice, "F" twice.
    for (std::size_t p = 0; p < 5; ++p) {
      const std::size_t nth = (p == 1 || p == 4) ? 1 : 0;
      const LabelSpec* label = FindLabel(page, maxima[p], nth);
      ASSERT_NE(label, nullptr) << maxima[p];
      EXPECT_EQ(label->pixel_size, 19);
      EXPECT_TRUE(label->bold);
      EXPECT_EQ(label->x, page.boxes[p].x);
      EXPECT_EQ(label->width, page.boxes[p].width);
      EXPECT_LE(LabelRect(*label).y + LabelRect(*label).height, page.boxes[p].y);
      EXPECT_GE(label->y, 0);
    }
    for (int w = 0; w < 4; ++w) {
      const LabelSpec* label = FindLabel(page, std::to_string(w), w == 3 ? 1 : 0);
      if (c.controls.words != 4) continue;
      ASSERT_NE(label, nullptr) << w;
      const BoxSpec& first = page.boxes[static_cast<std::size_t>(5 * w)];
      EXPECT_EQ(label->pixel_size, 16);
      EXPECT_TRUE(label->bold);
      EXPECT_LT(LabelRect(*label).x + LabelRect(*label).width, first.x);
      EXPECT_GE(label->y, first.y);
      EXPECT_LE(label->y + 17, first.y + first.height);
    }
  }
}

TEST(AhLayout, InformationTextsLineByLine) {
  for (const PageCase& c : Pages()) {
    SCOPED_TRACE(c.name);
    const PageLayout& page = c.page();
    std::vector<std::string> info;
    std::vector<std::string> prompts;
    for (const LabelSpec& label : page.labels) {
      if (label.pixel_size == 11) {
        EXPECT_FALSE(label.bold) << label.text;
        info.push_back(label.text);
      } else if (label.pixel_size == 19 && CharCount(label.text) > 1) {
        EXPECT_TRUE(label.bold) << label.text;
        prompts.push_back(label.text);
      }
    }
    EXPECT_EQ(info, c.info);
    EXPECT_EQ(prompts, c.prompts);
    // One below the other.
    for (std::size_t i = 1; i < c.info.size(); ++i) {
      const LabelSpec* above = FindLabel(page, c.info[i - 1]);
      const LabelSpec* below = FindLabel(page, c.info[i]);
      EXPECT_EQ(above->x, below->x);
      EXPECT_GT(below->y, above->y);
    }
  }
}

TEST(AhLayout, InformationTextsKeepTheirTrailingBlanks) {
  EXPECT_NE(FindLabel(FirstStagePage(), "Данные первой ступени АХ находятся "), nullptr);
  EXPECT_EQ(FindLabel(FirstStagePage(), "Данные первой ступени АХ находятся"), nullptr);
  EXPECT_NE(FindLabel(SecondStagePage(), "в области памяти начиная с ячейки "), nullptr);
  EXPECT_NE(FindLabel(InitialBlockPage(), "Данные третей ступени АХ находятся "), nullptr);
  // No trailing blank where none is shown.
  EXPECT_NE(FindLabel(InitialBlockPage(), "Или стартовый адрес указан в ячейках"), nullptr);
  // The SKO prompt stands left of the boxes, on their row.
  const LabelSpec* prompt = FindLabel(SkoPage(), "Введите код сокращенного класса обслуживания");
  ASSERT_NE(prompt, nullptr);
  EXPECT_LT(LabelRect(*prompt).x + LabelRect(*prompt).width, SkoPage().boxes[0].x);
  EXPECT_GE(prompt->y, SkoPage().boxes[0].y);
  EXPECT_LE(prompt->y, SkoPage().boxes[0].y + 32);
}

TEST(AhLayout, ButtonsAndLists) {
  for (const PageCase& c : Pages()) {
    SCOPED_TRACE(c.name);
    const PageLayout& page = c.page();
    ASSERT_EQ(page.buttons.size(), 1U);
    const ButtonSpec& button = page.buttons[0];
    EXPECT_EQ(button.name, c.button);
    EXPECT_EQ(button.caption, c.caption_text);
    EXPECT_EQ(button.picture, c.picture);
    EXPECT_EQ(button.width, c.button_width);
    EXPECT_EQ(button.height, 33);
    EXPECT_NE(button.handler, nullptr);
    EXPECT_EQ(FindButton(c.button).page, &page);

    ASSERT_NE(page.list(), nullptr);
    const ListSpec& list = *page.list();
    EXPECT_EQ(page.lists.size(), 1U);
    EXPECT_EQ(list.name, c.controls.list);
    EXPECT_EQ(list.pixel_size, c.list_font);
    EXPECT_EQ(list.line_height, 16);
    EXPECT_TRUE(list.bold);
  }
}

TEST(AhLayout, InsideThePageWithoutOverlap) {
  for (const PageCase& c : Pages()) {
    SCOPED_TRACE(c.name);
    const std::vector<Rect> rects = Rects(c.page());
    for (std::size_t i = 0; i < rects.size(); ++i) {
      const Rect& r = rects[i];
      EXPECT_GE(r.x, 0) << r.what;
      EXPECT_GE(r.y, 0) << r.what;
      EXPECT_LE(r.x + r.width, c.page_width) << r.what;
      EXPECT_LE(r.y + r.height, c.page_height) << r.what;
      for (std::size_t j = i + 1; j < rects.size(); ++j) EXPECT_FALSE(Overlap(r, rects[j])) << r.what << " / " << rects[j].what;
    }
  }
}

TEST(AhLayout, ListsFitTheirLongestLine) {
  for (const PageCase& c : Pages()) {
    SCOPED_TRACE(c.name);
    const ListSpec& list = *c.page().list();
    int widest = 0;
    std::size_t most = 0;
    std::string widest_line;
    std::vector<std::string> lines;
    // A stride prime to 8 and small against 4096 meets every line type
    // and every restriction pattern.
    for (unsigned v = 0; v < 65536; v += 61) {
      most = std::max(most, c.decode(static_cast<std::uint16_t>(v), lines));
      for (const std::string& line : lines) {
        const int width = TextWidth(line, list.pixel_size, true);
        if (width > widest) {
          widest = width;
          widest_line = line;
        }
      }
    }
    // Borders and the item margins take about ten pixels.
    EXPECT_GE(list.width, widest + 10) << widest_line;
    EXPECT_GE(list.height, static_cast<int>(most) * list.line_height + 4);
  }
}

}  // namespace
}  // namespace ostrolen::testing
