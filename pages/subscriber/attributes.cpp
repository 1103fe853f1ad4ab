#include "pages/subscriber/attributes.h"

#include <array>

#include "core/conversions.h"

namespace ostrolen {
namespace {

constexpr std::array<std::string_view, 2> kServiceStates = {"выключена", "включена"};
constexpr std::array<std::string_view, 2> kDiallings = {"Декадый", "Частотный"};  // [sic] "Декадый"
constexpr std::array<std::string_view, 2> kRingings = {"25Гц", "ГВТ"};

// By the value of the four bits.
constexpr std::array<std::string_view, 16> kLineTypes = {
    "Индивидуальный и коммунальный пользователь",
    "Удаленный абонент",
    "Таксофон местной связи",
    "Таксофон с входящей связью",
    "Таксофон междугородней связи",
    "Автоответчик (ГАВС) или перем. КФ",
    "Внутрипроизв. (диспетч) связь (ДАК)",
    "АО \"Сирена не работает\" ГАВС",
    "",
    "Абонентское устройство для акустического контроля",
    "САК",
    "Прямые абоненты (ГАВС)",
    "ОККЗ (ГАВС)",
    "ОПЗ (ГАВС)",
    "ИСО (ГАВС)",
    "",
};

// By bit, first bit first; each ends in one blank.
constexpr std::array<std::string_view, 3> kRestrictions = {
    "Ограничение ведомственной связи ",
    "Ограничение исходящей связи ",
    "Ограничение междугородней связи ",
};
constexpr std::string_view kNoRestrictions = "Ограничений нет";

}  // namespace

std::span<const std::string_view> ServiceStateTexts() { return kServiceStates; }
std::span<const std::string_view> DiallingTexts() { return kDiallings; }
std::span<const std::string_view> RingingTexts() { return kRingings; }
std::span<const std::string_view> LineTypeTexts() { return kLineTypes; }
std::span<const std::string_view> RestrictionTexts() { return kRestrictions; }
std::string_view NoRestrictionsText() { return kNoRestrictions; }

std::string_view ServiceStateText(std::string_view bit) { return kServiceStates[bit == "1" ? 1 : 0]; }

std::string_view DiallingText(std::string_view bit) { return kDiallings[bit == "1" ? 1 : 0]; }

std::string_view RingingText(std::string_view bit) { return kRingings[bit == "1" ? 1 : 0]; }

std::string_view LineTypeText(std::string_view bits4) {
  const std::string digit = BitsToHexDigit(bits4);
  return digit.empty() ? std::string_view{} : kLineTypes[static_cast<std::size_t>(HexValue(digit))];
}

std::vector<std::string> RestrictionLines(std::string_view bits3) {
  std::vector<std::string> lines;
  for (std::size_t k = 0; k < kRestrictions.size() && k < bits3.size(); ++k) {
    if (bits3[k] == '1') lines.emplace_back(kRestrictions[k]);
  }
  if (bits3 == "000") lines.emplace_back(kNoRestrictions);
  return lines;
}

std::string ServiceLine(std::string_view label, std::string_view bit) {
  std::string line(label);
  line += ServiceStateText(bit);
  return line;
}

}  // namespace ostrolen
