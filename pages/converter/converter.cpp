#include "pages/converter/converter.h"

#include <array>
#include <string>

#include "core/conversions.h"
#include "core/utf8.h"

namespace ostrolen {
namespace {

constexpr std::array<std::string_view, 7> kUpperBlock = {"Edit27", "Edit28", "Edit29", "Edit30",
                                                         "Edit31", "Edit32", "Edit33"};
constexpr std::array<std::string_view, 4> kNibbleBoxes = {"Edit30", "Edit31", "Edit32", "Edit33"};
constexpr std::array<std::string_view, 5> kCodeWordBoxes = {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5"};
constexpr std::array<std::string_view, 16> kBitBoxes = {"Edit6",  "Edit7",  "Edit8",  "Edit9",  "Edit10", "Edit11",
                                                        "Edit12", "Edit13", "Edit14", "Edit15", "Edit16", "Edit17",
                                                        "Edit18", "Edit19", "Edit20", "Edit21"};

// The four bit boxes as they stand now.
std::string Nibble(const Window& window) {
  std::string bits;
  for (const std::string_view box : kNibbleBoxes) bits += window.Text(box);
  return bits;
}

void WriteNibble(Window& window, const std::string& bits) {
  for (std::size_t i = 0; i < kNibbleBoxes.size(); ++i) window.SetText(kNibbleBoxes[i], CharAt(bits, i + 1));
}

// A decimal text into the two DEC boxes: units first, then tens.
void WriteDecimal(Window& window, const std::string& decimal) {
  if (DecimalValue(decimal) <= 9) {
    window.SetText("Edit28", CharAt(decimal, 1));
    window.SetText("Edit27", "0");
  } else {
    window.SetText("Edit28", CharAt(decimal, 2));
    window.SetText("Edit27", CharAt(decimal, 1));
  }
}

// Reports the first of `boxes` whose value is above 1, once; the rest are not read.
template <std::size_t N>
void CheckBinary(Window& window, const std::array<std::string_view, N>& boxes) {
  for (const std::string_view box : boxes) {
    if (HexValue(window.Text(box)) > 1) {
      window.InputErrorReport(kNotBinaryMessage);
      return;
    }
  }
}

}  // namespace

void SpeedButton1Click(Window& window) {
  FillEmptyBoxes(window, kCodeWordBoxes);
  CheckCodeWordPositions(window.Text("Edit1"), window.Text("Edit2"), window.Text("Edit3"),
                         [&](std::string_view message) { window.InputErrorReport(message); });
  // Position by position, so a bad fourth or fifth position leaves the
  // boxes of the earlier positions written.
  constexpr std::array<int, 5> kWidths = {3, 3, 2, 4, 4};
  std::size_t next = 0;
  for (std::size_t p = 0; p < kCodeWordBoxes.size(); ++p) {
    const std::string bits = ValueToBits(HexValue(window.Text(kCodeWordBoxes[p])), kWidths[p]);
    for (int k = 1; k <= kWidths[p]; ++k) window.SetText(kBitBoxes[next++], CharAt(bits, static_cast<std::size_t>(k)));
  }
}

void SpeedButton2Click(Window& window) {
  FillEmptyBoxes(window, kBitBoxes);
  CheckBinary(window, kBitBoxes);
  const auto group = [&](std::string prefix, std::size_t from, std::size_t to) {
    for (std::size_t k = from; k <= to; ++k) prefix += window.Text(kBitBoxes[k - 1]);
    return BitsToHexDigit(prefix);
  };
  window.SetText("Edit1", group("0", 1, 3));
  window.SetText("Edit2", group("0", 4, 6));
  window.SetText("Edit3", group("00", 7, 8));
  window.SetText("Edit4", group("", 9, 12));
  window.SetText("Edit5", group("", 13, 16));
}

void SpeedButton4Click(Window& window) {
  FillEmptyBoxes(window, kUpperBlock);
  const std::string decimal = window.Text("Edit27") + window.Text("Edit28");
  if (DecimalValue(decimal) > 15) window.InputErrorReport(kDecimalTooLargeMessage);
  WriteNibble(window, DecimalToBits(decimal));
  window.SetText("Edit29", BitsToHexDigit(Nibble(window)));
}

void SpeedButton5Click(Window& window) {
  FillEmptyBoxes(window, kUpperBlock);
  CheckBinary(window, kNibbleBoxes);
  WriteDecimal(window, BitsToDecimal(Nibble(window)));
  window.SetText("Edit29", BitsToHexDigit(Nibble(window)));
}

void SpeedButton8Click(Window& window) {
  FillEmptyBoxes(window, kUpperBlock);
  WriteNibble(window, ValueToBits(HexValue(window.Text("Edit29")), 4));
  WriteDecimal(window, BitsToDecimal(Nibble(window)));
}

void SpeedButton9Click(Window& window) {
  FillEmptyBoxes(window, kUpperBlock);
  window.SetText("Edit29", BitsToHexDigit(Nibble(window)));
  // Filled again, so an empty HEX result of bits that are not all 0 and 1 shows "0".
  FillEmptyBoxes(window, kUpperBlock);
  WriteDecimal(window, BitsToDecimal(Nibble(window)));
}

}  // namespace ostrolen
