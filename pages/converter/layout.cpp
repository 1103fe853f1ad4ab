#include "core/layout.h"
#include "pages/converter/converter.h"
#include "pages/pages.h"

namespace ostrolen {
namespace {

// The converter's two groups of boxes, as the command line prints them.
const std::vector<ShownBoxes> kLowerBlock = {{"WORD", "SpeedButton1"}, {"BITS", "SpeedButton2"}};
const std::vector<ShownBoxes> kUpperBlock = {{"DEC", "SpeedButton4"}, {"HEX", "SpeedButton8"}, {"BIN", "SpeedButton5"}};

}  // namespace

const PageLayout& ConverterPage() {
  static const PageLayout page = WithCommands(
      [] {
        PageLayout p;
        p.sheet = "TabSheet1";
        p.caption = "Преобразователь";

        // Upper block: DEC and HEX side by side, the four bits below them.
        constexpr int kDecX = 292, kHexX = 466, kTopY = 40, kBinX = 352, kBinY = 140;
        Append(p.boxes, BoxRow({"Edit27", "Edit28"}, kDecX, kTopY));
        Append(p.boxes, BoxRow({"Edit29"}, kHexX, kTopY));
        Append(p.boxes, BoxRow(EditRange(30, 33), kBinX, kBinY));
        for (BoxSpec& box : p.boxes) box.enter_button = box.name == "Edit29" ? "SpeedButton8" : "SpeedButton4";
        for (std::size_t i = 3; i < p.boxes.size(); ++i) p.boxes[i].enter_button = "SpeedButton5";
        p.labels = {
            {"DEC", kDecX + 8, kTopY - 24, 16, true, 36},  {"0", kDecX - 22, kTopY + 7, 16, true},
            {"15", kDecX + 58, kTopY + 7, 16, true},       {"HEX", kHexX - 6, kTopY - 24, 16, true, 36},
            {"0", kHexX - 22, kTopY + 7, 16, true},        {"F", kHexX + 33, kTopY + 7, 16, true},
            {"BIN", kBinX + 32, kBinY - 22, 16, true, 36}, {"0", kBinX - 22, kBinY + 7, 16, true},
            {"1", kBinX + 112, kBinY + 7, 16, true},
        };
        p.buttons = {
            {"SpeedButton4", "", Picture::ArrowDown, kDecX - 4, kTopY + 38, 33, 36, SpeedButton4Click},
            {"SpeedButton5", "", Picture::ArrowUp, kDecX + 36, kTopY + 38, 33, 36, SpeedButton5Click},
            {"SpeedButton8", "", Picture::ArrowDown, kHexX - 36, kTopY + 38, 33, 36, SpeedButton8Click},
            {"SpeedButton9", "", Picture::ArrowUp, kHexX + 4, kTopY + 38, 33, 36, SpeedButton9Click},
        };

        // Lower block: the code word above its sixteen bits.
        constexpr int kWordX = 329, kWordY = 240, kBitsX = 172, kBitsY = 356, kGroupGap = 8;
        std::vector<BoxSpec> word = BoxRow(EditRange(1, 5), kWordX, kWordY);
        for (BoxSpec& box : word) box.enter_button = "SpeedButton1";
        std::vector<BoxSpec> bits = BoxRow(EditRange(6, 21), kBitsX, kBitsY, BoxRole::Input, 27, 4, kGroupGap);
        for (BoxSpec& box : bits) box.enter_button = "SpeedButton2";
        Append(p.boxes, word);
        Append(p.boxes, bits);
        Append(p.labels, LabelRow(MaxDigitLabels(), kWordX, kWordY - 26, 19, true));
        Append(p.labels, LabelRow({"F", "E", "D", "C", "B", "A", "9", "8", "7", "6", "5", "4", "3", "2", "1", "0"},
                                  kBitsX, kBitsY - 22, 16, true, 27, 4, kGroupGap));
        p.buttons.push_back(
            {"SpeedButton1", "", Picture::ArrowDown, kWordX + 24, kWordY + 38, 33, 40, SpeedButton1Click});
        p.buttons.push_back(
            {"SpeedButton2", "", Picture::ArrowUp, kWordX + 76, kWordY + 38, 33, 40, SpeedButton2Click});
        return p;
      }(),
      // What the command line calls a press of the page's buttons.
      {
          {"word-to-bits", "SpeedButton1", "", 5, "CODEWORD", "271A6", "Преобразователь: a code word to its 16 bits",
           kLowerBlock},
          {"bits-to-word", "SpeedButton2", "", 16, "BITS", "0101 1101 1010 0110",
           "Преобразователь: 16 bits to their code word", kLowerBlock},
          {"dec-to-bin", "SpeedButton4", "", 2, "DEC", "09", "Преобразователь: a decimal 00-15 to binary and hex",
           kUpperBlock},
          {"bin-to-dec", "SpeedButton5", "", 4, "BIN", "1001", "Преобразователь: four bits to decimal and hex",
           kUpperBlock},
          {"hex-to-bin", "SpeedButton8", "", 1, "HEX", "A", "Преобразователь: a hex digit to binary and decimal",
           kUpperBlock},
          {"bin-to-hex", "SpeedButton9", "SpeedButton5", 4, "BIN", "1001",
           "Преобразователь: four bits to hex and decimal, without the bit check", kUpperBlock},
      });
  return page;
}

}  // namespace ostrolen
