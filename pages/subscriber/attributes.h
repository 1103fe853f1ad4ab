// The attributes of a subscriber line as the exchange's data words carry
// them, one to four bits each, and the texts shown for them. Fragments are
// characters of a word's bit string, most significant bit first.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ostrolen {

// The texts by value, for the fields that show them.
std::span<const std::string_view> ServiceStateTexts();
std::span<const std::string_view> DiallingTexts();
std::span<const std::string_view> RingingTexts();
std::span<const std::string_view> LineTypeTexts();
std::span<const std::string_view> RestrictionTexts();  // departmental, outgoing, long-distance
std::string_view NoRestrictionsText();

// "включена" for "1", "выключена" for "0".
std::string_view ServiceStateText(std::string_view bit);

// Dialling method: "Декадый" (pulse) for "0", "Частотный" (tone) for "1".
std::string_view DiallingText(std::string_view bit);

// Ringing signal: "25Гц" for "0", "ГВТ" for "1".
std::string_view RingingText(std::string_view bit);

// Subscriber line type of a four-bit fragment; "1000" and "1111" (and
// anything that is not four bits) have the empty text.
std::string_view LineTypeText(std::string_view bits4);

// One line per set bit of a three-bit fragment (departmental, outgoing,
// long-distance), or the single "Ограничений нет" for "000".
std::vector<std::string> RestrictionLines(std::string_view bits3);

// The label followed directly by the state of the bit; any blank between
// them is the label's own.
std::string ServiceLine(std::string_view label, std::string_view bit);

}  // namespace ostrolen
