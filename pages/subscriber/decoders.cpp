#include "pages/subscriber/decoders.h"

#include <algorithm>

#include "core/utf8.h"
#include "pages/subscriber/attributes.h"

namespace ostrolen {
namespace {

// Leading bits put in front of a field (appended: GCC 12 warns falsely on "x" + std::string).
std::string Prefixed(std::string_view prefix, const std::string& bits) {
  std::string joined(prefix);
  joined += bits;
  return joined;
}

// The bits each position carries: first bit and width.
struct PositionBits {
  int first;
  int width;
};
constexpr std::array<PositionBits, 5> kPositions = {{{1, 3}, {4, 3}, {7, 2}, {9, 4}, {13, 4}}};

// By word, then p1, p2, p3.
constexpr std::array<std::array<std::string_view, 3>, 4> kFourWordMessages = {{
    {"1-й знак 0-го слова должен быть не более 7!", "2-й знак 0-го слова должен быть не более 7!",
     "3-й знак 0-го слова должен быть не более 3!"},
    {"1-й знак 1-го слова должен быть не более 7!", "2-й знак 1-го слова должен быть не более 7!",
     "3-й знак 1-го слова должен быть не более 3!"},
    {"1-й знак 2-го слова должен быть не более 7!", "2-й знак 2-го слова должен быть не более 7!",
     "3-й знак 2-го слова должен быть не более 3!"},
    {"1-й знак 3-го слова должен быть не более 7!", "2-й знак 3-го слова должен быть не более 7!",
     "3-й знак 3-го слова должен быть не более 3!"},
}};
constexpr std::array<int, 3> kPositionMaxima = {7, 7, 3};

// Initial block of the third stage, word 0.
constexpr std::array<ServiceBit, 10> kThirdStageServices = {{
    {"Услуга \"Прямой сокращённый номер\"(ПРССН) ", 0, 16},
    {"Услуга \"Полное ограничение вызовов\"(ПОВИОВ)  ", 0, 15},
    {"Услуга \"Регистрация входящих вызовов\"(РВВ)  ", 0, 14},
    {"Услуга \"Переадресация при занятости\"(ПАЗ)  ", 0, 13},
    {"Услуга \"Переадресация групповая участник\"(ПАГу)  ", 0, 12},
    {"Услуга \"Переадресация безусловная\"(ПАБ)  ", 0, 11},
    {"Услуга \"Переадресация групповая дежурный\"(ПАГд)  ", 0, 10},
    {"Услуга \"кл\"  ", 0, 9},
    {"Услуга \"Постановка на ожидание\"(ПОЖ)  ", 0, 4},
    {"Услуга \"Напоминание\"(НАП)  ", 0, 3},
}};

// Abbreviated class of service: bit 11 alone stands for УИВ, НАП and ПОЖ.
constexpr std::array<ServiceBit, 9> kSkoServices = {{
    {"Услуга \"Экстренная связь\"(Экс) = ", 0, 13},
    {"Услуга \"Уведомление при входящем вызове\"(УВВ) = ", 0, 12},
    {"Услуга \"Уведомление при исходящем вызове\"(УИВ) = ", 0, 11},
    {"Услуга \"Напоминание\"(НАП) = ", 0, 11},
    {"Услуга \"Постановка на ожидание\"(ПОЖ) = ", 0, 11},
    {"Услуга \"Запрет КРО\"(КРО) = ", 0, 10},
    {"Услуга \"Справочное соединение\"(СПР) = ", 0, 9},
    {"Услуга \"Передача вызова\"(ПЕР) = ", 0, 8},
    {"Услуга \"КФ\"(КФ) = ", 0, 7},
}};

// Extended class of service, words 0 and 1.
constexpr std::array<ServiceBit, 20> kRkoServices = {{
    {"Услуга \"Экстренная связь\"(Экс) = ", 0, 13},
    {"Услуга \"Уведомление при входящем вызове\"(УВВ) = ", 0, 12},
    {"Услуга \"Уведомление при исходящем вызове\"(УИВ) = ", 0, 11},
    {"Услуга \"Запрет КРО\"(КРО) = ", 0, 10},
    {"Услуга \"Справочное соединение\"(СПР) = ", 0, 9},
    {"Услуга \"Передача вызова\"(ПЕР) = ", 0, 8},
    {"Услуга \"КФ\"(КФ) = ", 0, 7},
    {"Услуга \"Прямой сокращённый номер\"(ПРССН) ", 1, 16},
    {"Услуга \"Полное ограничение вызовов\"(ПОВИОВ)  ", 1, 15},
    {"Услуга \"Регистрация входящих вызовов\"(РВВ)  ", 1, 14},
    {"Услуга \"Переадресация при занятости\"(ПАЗ)  ", 1, 13},
    {"Услуга \"Переадресация групповая участник\"(ПАГу)  ", 1, 12},
    {"Услуга \"Переадресация безусловная\"(ПАБ)  ", 1, 11},
    {"Услуга \"Переадресация групповая дежурный\"(ПАГд)  ", 1, 10},
    {"Услуга \"кл\"  ", 1, 9},
    {"Услуга \"САК: взаимная связь\"  ", 1, 7},
    {"Услуга \"Автоинформатор или автоответчик\"  ", 1, 6},
    {"Услуга \"Диктофон\"  ", 1, 5},
    {"Услуга \"Постановка на ожидание\"(ПОЖ)  ", 1, 4},
    {"Услуга \"Напоминание\"(НАП)  ", 1, 3},
}};

std::string Line(std::string_view label, std::string_view value) {
  std::string line(label);
  line += value;
  return line;
}

// Characters `from` to `to` (1-based) of a bit string, as far as it has them.
std::string Slice(std::string_view bits, std::size_t from, std::size_t to) {
  std::string slice;
  for (std::size_t k = from; k <= to && k <= bits.size(); ++k) slice += bits[k - 1];
  return slice;
}

std::string WordBits(const CodeWordTexts& word) { return CodeWordToBits(word[0], word[1], word[2], word[3], word[4]); }

// The five digits of a code word written together.
std::string CodeWordText(const std::array<std::string, 5>& positions) {
  std::string text;
  for (const std::string& digit : positions) text += digit;
  return text;
}

void CheckWord(const CodeWordTexts& word, AhOutput& out) {
  CheckCodeWordPositions(word[0], word[1], word[2], [&](std::string_view message) { out.Report(message); });
}

void AppendLines(const std::vector<std::string>& lines, AhOutput& out) {
  for (const std::string& line : lines) out.AppendLine(line);
}

}  // namespace

std::vector<std::string> ServiceLines(std::span<const ServiceBit> table, std::span<const std::string> words) {
  std::vector<std::string> lines;
  for (const ServiceBit& service : table) {
    const std::string bit = service.word < words.size() ? CharAt(words[service.word], service.bit) : std::string();
    lines.push_back(ServiceLine(service.label, bit));
  }
  return lines;
}

std::string FieldBits(const CodeWordTexts& word, int from, int to) {
  std::string bits;
  for (std::size_t p = 0; p < kPositions.size(); ++p) {
    const int first = kPositions[p].first;
    const int last = first + kPositions[p].width - 1;
    if (last < from || first > to) continue;
    const std::string position = ValueToBits(HexValue(word[p]), kPositions[p].width);
    bits += Slice(position, static_cast<std::size_t>(std::max(from, first) - first) + 1,
                  static_cast<std::size_t>(std::min(to, last) - first) + 1);
  }
  return bits;
}

int CheckFourWordBlock(const FourWordBlockTexts& block, const ReportSink& report) {
  int failed = 0;
  for (std::size_t w = 0; w < block.size(); ++w) {
    for (std::size_t p = 0; p < kPositionMaxima.size(); ++p) {
      if (HexValue(block[w][p]) > kPositionMaxima[p]) {
        ++failed;
        report(kFourWordMessages[w][p]);
      }
    }
  }
  return failed;
}

void DecodeAhFirstStage(const CodeWordTexts& word, AhOutput& out) {
  CheckWord(word, out);
  if (FieldBits(word, 1, 1) == "0") {
    // Class and number: the whole word is read before the list is touched.
    const std::string service_class = BitsToHexDigit(Prefixed("0", FieldBits(word, 2, 4)));
    const std::string hundred = BitsToDecimal(FieldBits(word, 5, 9));
    const std::string tens_units = BitsToDecimal(FieldBits(word, 10, 16));
    out.ClearLines();
    out.AppendLine(Line("сокращённый класс обслуживания=", service_class));
    out.AppendLine(Line("нормализованная сотня=", hundred));
    out.AppendLine(Line("десятки-еденицы=", tens_units));
    return;
  }
  // A second-stage block reference.
  out.ClearLines();
  out.AppendLine(FieldBits(word, 2, 2) == "0" ? "используется 0-й дополнительный блок"
                                              : "используется 1-й дополнительный блок");
  out.AppendLine(
      Line("№ 4-словного блока 2-й ступени=", CodeWordText(BitsToCodeWord(Prefixed("00", FieldBits(word, 3, 16))))));
}

void DecodeAhSecondStage(const FourWordBlockTexts& block, AhOutput& out) {
  const int failed = CheckFourWordBlock(block, [&](std::string_view message) { out.Report(message); });
  out.ClearLines();
  if (failed != 0) {
    out.AppendLine(Line("Ошибок при вводе = ", std::to_string(failed)));
    return;
  }
  // Each line is appended as soon as its field is read.
  const auto& [word0, word1, word2, word3] = block;
  out.AppendLine(Line("Нормализованная сотня = ", BitsToDecimal(FieldBits(word0, 5, 9))));
  out.AppendLine(Line("Десятки-еденицы = ", BitsToDecimal(FieldBits(word0, 10, 16))));
  out.AppendLine(Line("Тип абонентской линии = ", LineTypeText(FieldBits(word1, 1, 4))));
  out.AppendLine(Line("Набор номера = ", DiallingText(FieldBits(word1, 5, 5))));
  out.AppendLine(Line("Посылка вызова = ", RingingText(FieldBits(word1, 6, 6))));
  out.AppendLine(Line("Количество сокращённых номеров = ", BitsToDecimal(FieldBits(word1, 7, 9))));
  out.AppendLine(Line("Расширенный класс обслуживания = ", BitsToHexDigit(FieldBits(word1, 10, 13))));
  AppendLines(RestrictionLines(FieldBits(word1, 14, 16)), out);
  out.AppendLine(
      Line("№ 4-словного блока ОЗУ = ", CodeWordText(BitsToCodeWord(Prefixed("00", FieldBits(word2, 3, 16))))));
  out.AppendLine(Line("Линейный № секретаря (при ПАЗ) = ", CodeWordText(BitsToCodeWord(FieldBits(word3, 1, 16)))));
}

void DecodeAhThirdStage(const FourWordBlockTexts& block, AhOutput& out) {
  const int failed = CheckFourWordBlock(block, [&](std::string_view message) { out.Report(message); });
  out.ClearLines();
  if (failed != 0) {
    out.AppendLine(Line("Ошибок при вводе=", std::to_string(failed)));
    return;
  }
  // Every value before the first line; word 3 is checked only, never read.
  const std::array<std::string, 3> bits = {WordBits(block[0]), WordBits(block[1]), WordBits(block[2])};
  const std::vector<std::string> services = ServiceLines(kThirdStageServices, bits);
  const std::string number = BitsToDecimal(bits[1]);
  // The key is word 2 written from its last hexadecimal digit to its first.
  std::string key;
  for (std::size_t first : {13, 9, 5, 1}) key += BitsToHexDigit(Slice(bits[2], first, first + 3));

  AppendLines(services, out);
  out.AppendLine("");
  out.AppendLine(Line("Линейный номер абонента ПАБ ", number));
  out.AppendLine("");
  out.AppendLine(Line("Ключ-пароль ", key));
}

void DecodeSko(const CodeWordTexts& word, AhOutput& out) {
  CheckWord(word, out);
  out.ClearLines();
  AppendLines(RestrictionLines(FieldBits(word, 14, 16)), out);
  // All service states before the first service line.
  const std::string bits = WordBits(word);
  AppendLines(ServiceLines(kSkoServices, std::span(&bits, 1)), out);
  out.AppendLine(Line("Посылка вызова = ", RingingText(Slice(bits, 6, 6))));
  out.AppendLine(Line("Набор номера = ", DiallingText(Slice(bits, 5, 5))));
  out.AppendLine(Line("Тип абонентской линии = ", LineTypeText(Slice(bits, 1, 4))));
}

void DecodeRko(const TwoWordTexts& words, AhOutput& out) {
  CheckWord(words[0], out);
  CheckWord(words[1], out);
  out.ClearLines();
  const std::array<std::string, 2> bits = {WordBits(words[0]), WordBits(words[1])};
  AppendLines(ServiceLines(kRkoServices, bits), out);
}

}  // namespace ostrolen
