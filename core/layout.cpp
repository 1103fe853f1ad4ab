#include "core/layout.h"

namespace ostrolen {

std::string EditName(int number) { return "Edit" + std::to_string(number); }

std::vector<std::string> EditRange(int first, int last) {
  std::vector<std::string> names;
  for (int n = first; n <= last; ++n) names.push_back(EditName(n));
  return names;
}

namespace {
int Offset(std::size_t i, int step, int group, int group_gap) {
  const int index = static_cast<int>(i);
  return index * step + (group > 0 ? (index / group) * group_gap : 0);
}
}  // namespace

std::vector<BoxSpec> BoxRow(const std::vector<std::string>& names, int x, int y, BoxRole role, int step, int group,
                            int group_gap) {
  std::vector<BoxSpec> row;
  for (std::size_t i = 0; i < names.size(); ++i) {
    BoxSpec box;
    box.name = names[i];
    box.x = x + Offset(i, step, group, group_gap);
    box.y = y;
    box.role = role;
    row.push_back(box);
  }
  return row;
}

std::vector<LabelSpec> LabelRow(const std::vector<std::string>& texts, int x, int y, int pixel_size, bool bold,
                                int step, int group, int group_gap) {
  std::vector<LabelSpec> row;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    row.push_back({texts[i], x + Offset(i, step, group, group_gap), y, pixel_size, bold, 25});
  }
  return row;
}

std::vector<std::string> MaxDigitLabels() {
  std::vector<std::string> labels;
  labels.reserve(kCodeWordPositions.size());
  for (const PositionFormat& position : kCodeWordPositions) labels.emplace_back(position.max_digit);
  return labels;
}

PageLayout WithCommands(PageLayout page, std::vector<PageCommand> commands) {
  page.commands = std::move(commands);
  return page;
}

long BoxNumber(std::string_view name) {
  const auto digits = name.find_first_of("0123456789");
  if (digits == std::string_view::npos) return 0;
  long number = 0;
  for (std::size_t i = digits; i < name.size() && name[i] >= '0' && name[i] <= '9'; ++i) {
    number = number * 10 + (name[i] - '0');
  }
  return number;
}

}  // namespace ostrolen
