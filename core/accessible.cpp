#include "core/accessible.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <utility>
#include <vector>

#include "core/code_word.h"
#include "core/utf8.h"

namespace ostrolen {
namespace {

std::string Trimmed(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\n\v\f\r";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(kBlanks);
  return std::string(text.substr(first, last - first + 1));
}

// A label that can title a row: more than one character, and not a number
// (the limits "0" and "15" beside a box are not its title).
bool IsTitle(const LabelSpec& label) {
  const std::string text = Trimmed(label.text);
  return CharCount(text) >= 2 && !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool OnLine(const LabelSpec& label, const BoxSpec& box) {
  return label.y <= box.y + box.height && label.y + label.pixel_size + 4 >= box.y;
}

// The one-character label standing right above a box (a position's largest
// digit, a bit's weight); empty when there is none.
std::string LabelAbove(const PageLayout& page, const BoxSpec& box) {
  for (const LabelSpec& label : page.labels) {
    if (IsTitle(label) || label.y >= box.y || box.y - label.y > 30) continue;
    const int left = label.x;
    const int right = label.x + std::max(label.width, label.pixel_size);
    if (right > box.x && left < box.x + box.width) return Trimmed(label.text);
  }
  return {};
}

// A row of boxes: those on one line that one button reads.
struct Row {
  std::vector<const BoxSpec*> boxes;
  std::string title;
  bool code_word = false;  // the maxima of a code word's positions stand above it
};

// The title of a row: the titles on its line left of its last box, else the
// nearest title above its first box, else the page's caption.
std::string RowTitle(const PageLayout& page, const Row& row) {
  const BoxSpec& first = *row.boxes.front();
  const BoxSpec& last = *row.boxes.back();
  std::vector<const LabelSpec*> titles;
  for (const LabelSpec& label : page.labels) {
    if (IsTitle(label) && label.x < last.x && OnLine(label, first)) titles.push_back(&label);
  }
  std::sort(titles.begin(), titles.end(), [](const LabelSpec* a, const LabelSpec* b) { return a->x < b->x; });
  std::string joined;
  for (const LabelSpec* label : titles) {
    if (!joined.empty()) joined += ' ';
    joined += Trimmed(label->text);
  }
  if (!titles.empty()) return joined;
  const LabelSpec* best = nullptr;
  const auto distance = [&first](const LabelSpec& l) { return std::pair(first.y - l.y, std::abs(l.x - first.x)); };
  for (const LabelSpec& label : page.labels) {
    if (!IsTitle(label) || label.y >= first.y || first.y - label.y > 40 || std::abs(label.x - first.x) > 120) continue;
    if (best == nullptr || distance(label) < distance(*best)) best = &label;
  }
  if (best != nullptr) return Trimmed(best->text);
  if (row.code_word) return "Кодовое слово";
  return page.caption;
}

std::vector<Row> Rows(const PageLayout& page, const std::map<std::string, std::string>& named) {
  std::vector<Row> rows;
  for (const BoxSpec& box : page.boxes) {
    if (named.contains(box.name)) continue;
    const auto same = [&box](const Row& row) {
      return row.boxes.front()->y == box.y && row.boxes.front()->enter_button == box.enter_button;
    };
    auto it = std::find_if(rows.begin(), rows.end(), same);
    if (it == rows.end()) it = rows.insert(rows.end(), Row{});
    it->boxes.push_back(&box);
  }
  const std::vector<std::string> maxima = MaxDigitLabels();
  for (Row& row : rows) {
    std::vector<std::string> above;
    above.reserve(row.boxes.size());
    for (const BoxSpec* box : row.boxes) above.push_back(LabelAbove(page, *box));
    row.code_word = above == maxima;
    row.title = RowTitle(page, row);
  }
  return rows;
}

// The title of the row an arrow converts from or into: the row above it
// nearest to it, down and across. The converter has three pairs of arrows,
// each pair under its own row, and each needs a name of its own.
std::string ArrowRow(const PageLayout& page, const ButtonSpec& button) {
  const std::vector<Row> rows = Rows(page, {});
  const Row* best = nullptr;
  int best_distance = 0;
  const int centre = button.x + button.width / 2;
  for (const Row& row : rows) {
    const BoxSpec& first = *row.boxes.front();
    const BoxSpec& last = *row.boxes.back();
    if (first.y >= button.y) continue;
    const int distance = (button.y - first.y) + std::abs(centre - (first.x + last.x + last.width) / 2);
    if (best == nullptr || distance < best_distance) {
      best = &row;
      best_distance = distance;
    }
  }
  return best != nullptr ? ": " + best->title : std::string();
}

std::string ButtonName(const PageLayout& page, const ButtonSpec& button, int disc) {
  if (!button.caption.empty()) return button.caption;
  switch (button.picture) {
    case Picture::ArrowRight: return "Декодировать: " + page.caption;
    case Picture::ArrowDown: return "Преобразовать вниз" + ArrowRow(page, button);
    case Picture::ArrowUp: return "Преобразовать вверх" + ArrowRow(page, button);
    case Picture::Disc: return "Проверить строку " + std::to_string(disc);
    default: return button.name;
  }
}

}  // namespace

std::map<std::string, std::string> AccessibleNames(const PageLayout& page) {
  std::map<std::string, std::string> names;
  for (std::size_t w = 0; w < page.words.size(); ++w) {
    const WordSpec& word = page.words[w];
    const auto positions = Positions(word.kind);
    for (std::size_t p = 0; p < word.positions.size() && p < positions.size(); ++p) {
      names[word.positions[p]] = "Слово " + std::to_string(w) + ", позиция " + std::to_string(p + 1) + " (до " +
                                 std::string(positions[p].max_digit) + ")";
    }
    // The mask row above the check row; a page with one row shows only the check.
    for (std::size_t r = 0; r < word.bit_rows.size(); ++r) {
      const std::string row = r + 1 == word.bit_rows.size() ? "Проверка" : "Маска";
      for (std::size_t b = 0; b < word.bit_rows[r].size(); ++b) {
        names[word.bit_rows[r][b]] = row + ", слово " + std::to_string(w) + ", бит " + std::to_string(b + 1);
      }
    }
  }
  // Every other box by its row's title and its place in the row; a code
  // word's by position, a bit's with the weight shown above it.
  for (const Row& row : Rows(page, names)) {
    for (std::size_t k = 0; k < row.boxes.size(); ++k) {
      const BoxSpec& box = *row.boxes[k];
      const std::string above = LabelAbove(page, box);
      std::string name = row.title;
      if (row.code_word) {
        name += ", позиция " + std::to_string(k + 1) + " (до " + above + ")";
      } else {
        if (row.boxes.size() > 1) name += ", знак " + std::to_string(k + 1);
        if (!above.empty()) name += " (разряд " + above + ")";
      }
      names[box.name] = name;
    }
  }
  for (const ListSpec& list : page.lists) names[list.name] = "Результат: " + page.caption;
  int disc = 0;
  for (const ButtonSpec& button : page.buttons) {
    if (button.picture == Picture::Disc) ++disc;
    names[button.name] = ButtonName(page, button, disc);
  }
  return names;
}

}  // namespace ostrolen
