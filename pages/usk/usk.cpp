#include "pages/usk/usk.h"

#include <array>
#include <span>

#include "core/utf8.h"

namespace ostrolen {
namespace {

constexpr std::string_view kList = "ListBox11";

// The reports' fixed texts, each declared once.
constexpr std::string_view kAllOnesKind = "Тип проверки: объединичивание";
constexpr std::string_view kFaultyLine = "№ неисправной линейки УСК:";
constexpr std::string_view kFaultyBits = "Неисправны биты:";
constexpr std::string_view kRunningZeroKind = "Тип проверки: обнуление (бегущий ноль)";
constexpr std::string_view kFaultyBit = "№ неисправного бита линейки УСК:";
constexpr std::string_view kLineInformation = "Информация в линейке ";  // then the line and ":"
constexpr std::string_view kCrossWriteKind = "Тип проверки: проверка подзаписи в другие УСК";
constexpr std::string_view kTestedLine = "№ проверяемой линейки УСК:";
constexpr std::string_view kTestedBit = "№ проверяемого бита линейки УСК ";  // then the line and ":"
constexpr std::string_view kAffectedLine = "№ линейки УСК, в которую происходит";
constexpr std::string_view kCrossWriteEnd = "подзапись:";
constexpr std::string_view kAffectedBits = "Биты лиейки УСК ";  // [sic] "лиейки"; then the line
constexpr std::string_view kAffectedBitsEnd = ", в которые происходит";
constexpr std::string_view kWriteCheckKind = "Тип проверки:";
constexpr std::string_view kWriteCheckWhat = "проверка записи информации в линейку УСК";
constexpr std::string_view kReadBack = "Информация, которая считана для контроля";
constexpr std::string_view kReadBackBus = "через шину КЧТ:";
constexpr std::string_view kWritten = "Информация, которая записывалась в УСК";
constexpr std::string_view kWrittenBus = "через шину МТП:";
constexpr std::string_view kBadCell = "№ искаженной ячейки:";
constexpr std::string_view kBalKind = "Неисправность при прохождении теста УТП 2.1В";
constexpr std::string_view kBalShort = "КЗ в БАЛе ";
constexpr std::string_view kBalRow = " стативного ряда ";

constexpr std::array kAllOnesTexts = {kAllOnesKind, kFaultyLine, kFaultyBits};
constexpr std::array kRunningZeroTexts = {kRunningZeroKind, kFaultyLine, kFaultyBit, kLineInformation};
constexpr std::array kCrossWriteTexts = {kCrossWriteKind, kTestedLine,   kTestedBit,      kAffectedLine,
                                         kCrossWriteEnd,  kAffectedBits, kAffectedBitsEnd};
constexpr std::array kWriteCheckTexts = {kWriteCheckKind, kWriteCheckWhat, kTestedLine, kReadBack,
                                         kReadBackBus,    kWritten,        kWrittenBus, kBadCell};
constexpr std::array kBalShortTexts = {kBalKind, kBalShort, kBalRow};

constexpr std::array<UskTest, 5> kTests = {{
    {"SpeedButton7", kAllOnesTexts},
    {"SpeedButton18", kRunningZeroTexts},
    {"SpeedButton19", kCrossWriteTexts},
    {"SpeedButton20", kWriteCheckTexts},
    {"SpeedButton21", kBalShortTexts},
}};

// Default texts of empty boxes, by kind of box.
constexpr std::string_view kLineFill = "00000";
constexpr std::string_view kWordFill = "0000";
constexpr std::string_view kBitFill = "0";
constexpr std::string_view kRackFill = "00";

struct DefaultBox {
  std::string_view box;
  std::string_view fill;
};

// Each row's boxes in the order their defaults are written (not the order
// they stand in on the row).
constexpr std::array<DefaultBox, 2> kAllOnesDefaults = {{{"Edit331", kLineFill}, {"Edit332", kWordFill}}};
constexpr std::array<DefaultBox, 3> kRunningZeroDefaults = {
    {{"Edit333", kLineFill}, {"Edit334", kWordFill}, {"Edit335", kBitFill}}};
constexpr std::array<DefaultBox, 4> kCrossWriteDefaults = {
    {{"Edit336", kLineFill}, {"Edit338", kLineFill}, {"Edit339", kWordFill}, {"Edit337", kBitFill}}};
constexpr std::array<DefaultBox, 3> kWriteCheckDefaults = {
    {{"Edit340", kLineFill}, {"Edit342", kWordFill}, {"Edit343", kWordFill}}};
constexpr std::array<DefaultBox, 1> kBalShortDefaults = {{{"Edit344", kRackFill}}};

// Clears the list, then fills the row's empty boxes, each with its own text.
void StartRow(Window& window, std::span<const DefaultBox> defaults) {
  window.ClearList(kList);
  for (const DefaultBox& entry : defaults) FillEmptyBoxes(window, {entry.box}, entry.fill);
}

// Appends the report's lines, then lets its error go to the common error handler.
void Show(Window& window, const UskReport& report) {
  for (const std::string& line : report.lines) window.AppendLine(kList, line);
  if (report.error) throw *report.error;
}

// The bits of `word`, or nothing with the error recorded in `report`.
std::optional<std::string> WordBits(UskReport& report, std::string_view word) {
  try {
    return HexWordToBits(word);
  } catch (const ConversionError& error) {
    report.error = error;
    return std::nullopt;
  }
}

// Bit numbers, ascending, of the bits n for which `faulty(16 - n)` holds.
template <typename Test>
void AppendBitNumbers(std::vector<std::string>& lines, Test faulty) {
  for (int n = 0; n <= 15; ++n) {
    if (faulty(static_cast<std::size_t>(16 - n))) lines.push_back(ValueToHexDigit(n));
  }
}

bool IsZero(std::string_view bit) { return bit == "0"; }

}  // namespace

std::span<const UskTest> UskTests() { return kTests; }

std::string HexWordToBits(std::string_view word) {
  std::string bits;
  for (std::size_t k = 1; k <= 4; ++k) bits += ValueToBits(HexValue(CharAt(word, k)), 4);
  return bits;
}

std::vector<std::string> BitNumberList(std::string_view bits, const std::function<bool(std::string_view)>& test) {
  std::vector<std::string> lines;
  AppendBitNumbers(lines, [&](std::size_t position) { return test(CharAt(bits, position)); });
  return lines;
}

UskReport UskAllOnesReport(std::string_view line, std::string_view word) {
  UskReport report;
  report.lines = {std::string(kAllOnesKind), "", std::string(kFaultyLine), std::string(line), ""};
  const auto bits = WordBits(report, word);
  if (!bits) return report;
  report.lines.emplace_back(kFaultyBits);
  const std::vector<std::string> numbers = BitNumberList(*bits, IsZero);
  report.lines.insert(report.lines.end(), numbers.begin(), numbers.end());
  return report;
}

UskReport UskRunningZeroReport(std::string_view line, std::string_view word, std::string_view bit) {
  UskReport report;
  report.lines = {std::string(kRunningZeroKind),
                  "",
                  std::string(kFaultyLine),
                  std::string(line),
                  "",
                  std::string(kFaultyBit),
                  std::string(bit),
                  "",
                  std::string(kLineInformation) + std::string(line) + ":"};
  const auto bits = WordBits(report, word);
  if (!bits) return report;
  report.lines.push_back(*bits);
  return report;
}

UskReport UskCrossWriteReport(std::string_view tested_line, std::string_view affected_line, std::string_view word,
                              std::string_view tested_bit) {
  UskReport report;
  report.lines = {std::string(kCrossWriteKind),
                  "",
                  std::string(kTestedLine),
                  std::string(tested_line),
                  "",
                  std::string(kTestedBit) + std::string(tested_line) + ":",
                  std::string(tested_bit),
                  "",
                  std::string(kAffectedLine),
                  std::string(kCrossWriteEnd),
                  std::string(affected_line),
                  "",
                  std::string(kAffectedBits) + std::string(affected_line) + std::string(kAffectedBitsEnd),
                  std::string(kCrossWriteEnd)};
  const auto bits = WordBits(report, word);
  if (!bits) return report;
  const std::vector<std::string> numbers = BitNumberList(*bits, IsZero);
  report.lines.insert(report.lines.end(), numbers.begin(), numbers.end());
  return report;
}

UskReport UskWriteCheckReport(std::string_view line, std::string_view read, std::string_view written) {
  UskReport report;
  report.lines = {std::string(kWriteCheckKind),
                  std::string(kWriteCheckWhat),
                  "",
                  std::string(kTestedLine),
                  std::string(line),
                  "",
                  std::string(kReadBack),
                  std::string(kReadBackBus),
                  std::string(read),
                  "",
                  std::string(kWritten),
                  std::string(kWrittenBus),
                  std::string(written),
                  "",
                  std::string(kBadCell)};
  // The word read back is converted first.
  const auto read_bits = WordBits(report, read);
  if (!read_bits) return report;
  const auto written_bits = WordBits(report, written);
  if (!written_bits) return report;
  AppendBitNumbers(report.lines, [&](std::size_t position) {
    return CharAt(*read_bits, position) != CharAt(*written_bits, position);
  });
  return report;
}

std::vector<std::string> BalShortReport(std::string_view rack_and_bal) {
  // Named the other way round: the БАЛ (character 2) before the rack row (character 1).
  return {std::string(kBalKind), "",
          std::string(kBalShort) + CharAt(rack_and_bal, 2) + std::string(kBalRow) + CharAt(rack_and_bal, 1)};
}

void SpeedButton7Click(Window& window) {
  StartRow(window, kAllOnesDefaults);
  Show(window, UskAllOnesReport(window.Text("Edit331"), window.Text("Edit332")));
}

void SpeedButton18Click(Window& window) {
  StartRow(window, kRunningZeroDefaults);
  Show(window, UskRunningZeroReport(window.Text("Edit333"), window.Text("Edit334"), window.Text("Edit335")));
}

void SpeedButton19Click(Window& window) {
  StartRow(window, kCrossWriteDefaults);
  Show(window, UskCrossWriteReport(window.Text("Edit336"), window.Text("Edit338"), window.Text("Edit339"),
                                   window.Text("Edit337")));
}

void SpeedButton20Click(Window& window) {
  StartRow(window, kWriteCheckDefaults);
  Show(window, UskWriteCheckReport(window.Text("Edit340"), window.Text("Edit342"), window.Text("Edit343")));
}

void SpeedButton21Click(Window& window) {
  StartRow(window, kBalShortDefaults);
  for (const std::string& line : BalShortReport(window.Text("Edit344"))) window.AppendLine(kList, line);
}

}  // namespace ostrolen
