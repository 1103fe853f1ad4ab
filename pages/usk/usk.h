// The control memory test page (УСК): the reports of the four line tests
// (test 0 to test 3) and of the short circuit in a БАЛ of a rack row.
//
// Each decoder is a plain function from the texts of its row's boxes to the
// lines of its report. A word that does not convert stops the report: the
// result then holds the lines made before that step and the error.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/conversions.h"
#include "core/window.h"

namespace ostrolen {

struct UskReport {
  std::vector<std::string> lines;
  std::optional<ConversionError> error;  // set when a word did not convert
};

// The 16 bits of a four-character hexadecimal word, character 1 first. A
// character that is not a hexadecimal digit, or a missing one, raises
// ConversionError ("$" and the character, or "$" alone).
std::string HexWordToBits(std::string_view word);

// Bit numbers "0" ... "F", ascending, of the bits for which `test` holds;
// bit n is character 16 - n of `bits`.
std::vector<std::string> BitNumberList(std::string_view bits, const std::function<bool(std::string_view)>& test);

// Test 0: the bits of the word that read 0.
UskReport UskAllOnesReport(std::string_view line, std::string_view word);
// Test 1: the word shown as bits; the bit number is the one typed.
UskReport UskRunningZeroReport(std::string_view line, std::string_view word, std::string_view bit);
// Test 2: the bits of the affected line's word that are 0.
UskReport UskCrossWriteReport(std::string_view tested_line, std::string_view affected_line, std::string_view word,
                              std::string_view tested_bit);
// Test 3: the bits in which the word read back differs from the word written.
UskReport UskWriteCheckReport(std::string_view line, std::string_view read, std::string_view written);
// Short circuit: character 1 is the rack row, character 2 the БАЛ number.
std::vector<std::string> BalShortReport(std::string_view rack_and_bal);

// A row of the page: its button and the fixed texts its report shows, in
// report order (a text that a typed value completes stands without it).
struct UskTest {
  std::string_view button;
  std::span<const std::string_view> texts;
};

// The five rows, top to bottom: tests 0 to 3, then the short circuit.
std::span<const UskTest> UskTests();

void SpeedButton7Click(Window& window);   // test 0
void SpeedButton18Click(Window& window);  // test 1
void SpeedButton19Click(Window& window);  // test 2
void SpeedButton20Click(Window& window);  // test 3
void SpeedButton21Click(Window& window);  // short circuit in a БАЛ

}  // namespace ostrolen
