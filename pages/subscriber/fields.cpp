#include "pages/subscriber/fields.h"

#include <algorithm>

#include "pages/subscriber/attributes.h"

namespace ostrolen {
namespace {

// One field a line, in output order.
// clang-format off

constexpr std::array<std::string_view, 2> kAdditionalBlock = {"используется 0-й дополнительный блок",
                                                              "используется 1-й дополнительный блок"};

// First stage, bit 1: which of the two forms the word has.
constexpr std::array<std::string_view, 2> kForms = {"класс и номер", "блок 2-й ступени"};
const AhField kFirstStageForm{{0, 1, 1}, "", Shown::Texts, kForms, "форма"};

// First stage, bit 1 "0": class and number.
const std::array kFirstStageNumber = {
    AhField{{0, 2, 4}, "сокращённый класс обслуживания=", Shown::HexDigit},
    AhField{{0, 5, 9}, "нормализованная сотня=", Shown::Decimal},
    AhField{{0, 10, 16}, "десятки-еденицы=", Shown::Decimal},  // [sic] "еденицы"
};

// First stage, bit 1 "1": a second-stage block.
const std::array kFirstStageBlock = {
    AhField{{0, 2, 2}, "", Shown::Texts, kAdditionalBlock, "дополнительный блок"},
    AhField{{0, 3, 16}, "№ 4-словного блока 2-й ступени=", Shown::CodeWord},
};

// The three restrictions of a class in bits 14-16 of `word`, and the line
// shown when there is none.
std::array<AhField, 4> Restrictions(int word) {
  return {
      AhField{{word, 14, 14}, RestrictionTexts()[0], Shown::Present},
      AhField{{word, 15, 15}, RestrictionTexts()[1], Shown::Present},
      AhField{{word, 16, 16}, RestrictionTexts()[2], Shown::Present},
      AhField{{word, 14, 16}, NoRestrictionsText(), Shown::NoneSet},
  };
}

// The fields of `parts`, one after another.
template <std::size_t... N>
std::array<AhField, (N + ...)> Joined(const std::array<AhField, N>&... parts) {
  std::array<AhField, (N + ...)> fields;
  std::size_t at = 0;
  ((std::copy(parts.begin(), parts.end(), fields.begin() + static_cast<std::ptrdiff_t>(at)), at += N), ...);
  return fields;
}

const std::array kSecondStage = Joined(std::array{
    AhField{{0, 5, 9}, "Нормализованная сотня = ", Shown::Decimal},
    AhField{{0, 10, 16}, "Десятки-еденицы = ", Shown::Decimal},  // [sic] "еденицы"
    AhField{{1, 1, 4}, "Тип абонентской линии = ", Shown::Texts, LineTypeTexts()},
    AhField{{1, 5, 5}, "Набор номера = ", Shown::Texts, DiallingTexts()},
    AhField{{1, 6, 6}, "Посылка вызова = ", Shown::Texts, RingingTexts()},
    AhField{{1, 7, 9}, "Количество сокращённых номеров = ", Shown::Decimal},
    AhField{{1, 10, 13}, "Расширенный класс обслуживания = ", Shown::HexDigit},
}, Restrictions(1), std::array{
    AhField{{2, 3, 16}, "№ 4-словного блока ОЗУ = ", Shown::CodeWord},
    AhField{{3, 1, 16}, "Линейный № секретаря (при ПАЗ) = ", Shown::CodeWord},
});

// Initial block of the third stage; word 3 is checked but carries no field.
const std::array kThirdStage = {
    AhField{{0, 16, 16}, "Услуга \"Прямой сокращённый номер\"(ПРССН) ", Shown::ServiceState},
    AhField{{0, 15, 15}, "Услуга \"Полное ограничение вызовов\"(ПОВИОВ)  ", Shown::ServiceState},
    AhField{{0, 14, 14}, "Услуга \"Регистрация входящих вызовов\"(РВВ)  ", Shown::ServiceState},
    AhField{{0, 13, 13}, "Услуга \"Переадресация при занятости\"(ПАЗ)  ", Shown::ServiceState},
    AhField{{0, 12, 12}, "Услуга \"Переадресация групповая участник\"(ПАГу)  ", Shown::ServiceState},
    AhField{{0, 11, 11}, "Услуга \"Переадресация безусловная\"(ПАБ)  ", Shown::ServiceState},
    AhField{{0, 10, 10}, "Услуга \"Переадресация групповая дежурный\"(ПАГд)  ", Shown::ServiceState},
    AhField{{0, 9, 9}, "Услуга \"кл\"  ", Shown::ServiceState},
    AhField{{0, 4, 4}, "Услуга \"Постановка на ожидание\"(ПОЖ)  ", Shown::ServiceState},
    AhField{{0, 3, 3}, "Услуга \"Напоминание\"(НАП)  ", Shown::ServiceState},
    AhField{{0, 1, 0}, "", Shown::Blank},
    AhField{{1, 1, 16}, "Линейный номер абонента ПАБ ", Shown::Decimal},
    AhField{{0, 1, 0}, "", Shown::Blank},
    AhField{{2, 1, 16}, "Ключ-пароль ", Shown::ReversedHex},
};

// Abbreviated class of service: bit 11 alone stands for УИВ, НАП and ПОЖ.
const std::array kSko = Joined(Restrictions(0), std::array{
    AhField{{0, 13, 13}, "Услуга \"Экстренная связь\"(Экс) = ", Shown::ServiceState},
    AhField{{0, 12, 12}, "Услуга \"Уведомление при входящем вызове\"(УВВ) = ", Shown::ServiceState},
    AhField{{0, 11, 11}, "Услуга \"Уведомление при исходящем вызове\"(УИВ) = ", Shown::ServiceState},
    AhField{{0, 11, 11}, "Услуга \"Напоминание\"(НАП) = ", Shown::ServiceState},
    AhField{{0, 11, 11}, "Услуга \"Постановка на ожидание\"(ПОЖ) = ", Shown::ServiceState},
    AhField{{0, 10, 10}, "Услуга \"Запрет КРО\"(КРО) = ", Shown::ServiceState},
    AhField{{0, 9, 9}, "Услуга \"Справочное соединение\"(СПР) = ", Shown::ServiceState},
    AhField{{0, 8, 8}, "Услуга \"Передача вызова\"(ПЕР) = ", Shown::ServiceState},
    AhField{{0, 7, 7}, "Услуга \"КФ\"(КФ) = ", Shown::ServiceState},
    AhField{{0, 6, 6}, "Посылка вызова = ", Shown::Texts, RingingTexts()},
    AhField{{0, 5, 5}, "Набор номера = ", Shown::Texts, DiallingTexts()},
    AhField{{0, 1, 4}, "Тип абонентской линии = ", Shown::Texts, LineTypeTexts()},
});

// Extended class of service, words 0 and 1.
const std::array kRko = {
    AhField{{0, 13, 13}, "Услуга \"Экстренная связь\"(Экс) = ", Shown::ServiceState},
    AhField{{0, 12, 12}, "Услуга \"Уведомление при входящем вызове\"(УВВ) = ", Shown::ServiceState},
    AhField{{0, 11, 11}, "Услуга \"Уведомление при исходящем вызове\"(УИВ) = ", Shown::ServiceState},
    AhField{{0, 10, 10}, "Услуга \"Запрет КРО\"(КРО) = ", Shown::ServiceState},
    AhField{{0, 9, 9}, "Услуга \"Справочное соединение\"(СПР) = ", Shown::ServiceState},
    AhField{{0, 8, 8}, "Услуга \"Передача вызова\"(ПЕР) = ", Shown::ServiceState},
    AhField{{0, 7, 7}, "Услуга \"КФ\"(КФ) = ", Shown::ServiceState},
    AhField{{1, 16, 16}, "Услуга \"Прямой сокращённый номер\"(ПРССН) ", Shown::ServiceState},
    AhField{{1, 15, 15}, "Услуга \"Полное ограничение вызовов\"(ПОВИОВ)  ", Shown::ServiceState},
    AhField{{1, 14, 14}, "Услуга \"Регистрация входящих вызовов\"(РВВ)  ", Shown::ServiceState},
    AhField{{1, 13, 13}, "Услуга \"Переадресация при занятости\"(ПАЗ)  ", Shown::ServiceState},
    AhField{{1, 12, 12}, "Услуга \"Переадресация групповая участник\"(ПАГу)  ", Shown::ServiceState},
    AhField{{1, 11, 11}, "Услуга \"Переадресация безусловная\"(ПАБ)  ", Shown::ServiceState},
    AhField{{1, 10, 10}, "Услуга \"Переадресация групповая дежурный\"(ПАГд)  ", Shown::ServiceState},
    AhField{{1, 9, 9}, "Услуга \"кл\"  ", Shown::ServiceState},
    AhField{{1, 7, 7}, "Услуга \"САК: взаимная связь\"  ", Shown::ServiceState},
    AhField{{1, 6, 6}, "Услуга \"Автоинформатор или автоответчик\"  ", Shown::ServiceState},
    AhField{{1, 5, 5}, "Услуга \"Диктофон\"  ", Shown::ServiceState},
    AhField{{1, 4, 4}, "Услуга \"Постановка на ожидание\"(ПОЖ)  ", Shown::ServiceState},
    AhField{{1, 3, 3}, "Услуга \"Напоминание\"(НАП)  ", Shown::ServiceState},
};

// clang-format on

AhFieldPage Finish(AhFieldPage page) {
  for (const AhForm& form : page.forms) {
    for (const AhField& field : form.fields) page.fields.push_back(&field);
  }
  return page;
}

// The positions of a page's words, each converted once, when first needed.
class WordReader {
 public:
  explicit WordReader(std::span<const CodeWordTexts> texts) : texts_(texts) {}

  // The value of `range`, converting the positions that carry it, left to right.
  std::uint32_t Read(const BitRange& range) {
    if (range.width() <= 0) return 0;
    const auto w = static_cast<std::size_t>(range.word);
    for (std::size_t p = 0; p < kCodeWordPositions.size(); ++p) {
      const PositionFormat& position = kCodeWordPositions[p];
      if (position.last_bit() >= range.first && position.first_bit <= range.last) Convert(w, p);
    }
    return static_cast<std::uint32_t>((values_[w] & range.mask()) >> static_cast<unsigned>(16 - range.last));
  }

  void ReadWhole(std::size_t word) { Read({static_cast<int>(word), 1, 16}); }

  std::span<const std::uint16_t> Values() const { return values_; }

 private:
  void Convert(std::size_t w, std::size_t p) {
    const std::uint16_t bit = static_cast<std::uint16_t>(1U << (w * 5 + p));
    if ((converted_[w] & bit) != 0) return;
    const PositionFormat& position = kCodeWordPositions[p];
    // An over-large digit gives its low bits, as the conversions do.
    const auto digit = static_cast<std::uint32_t>(HexValue(w < texts_.size() ? texts_[w][p] : std::string()));
    values_[w] = static_cast<std::uint16_t>(values_[w] | position.Place(digit));
    converted_[w] = static_cast<std::uint16_t>(converted_[w] | bit);
  }

  std::span<const CodeWordTexts> texts_;
  std::array<std::uint16_t, kMaxWords> values_{};
  std::array<std::uint16_t, kMaxWords> converted_{};
};

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

// The 16 bits of a value, most significant first.
std::string WordBitsText(std::uint32_t value) {
  std::string bits;
  for (unsigned k = 16; k-- > 0;) bits += ((value >> k) & 1U) != 0 ? '1' : '0';
  return bits;
}

std::string Labelled(std::string_view label, std::string_view value) {
  std::string line(label);
  line += value;
  return line;
}

}  // namespace

const AhFieldPage& FirstStageFields() {
  static const AhFieldPage page =
      Finish({"first-stage",
              1,
              PositionCheck::Warn,
              {},
              kFirstStageForm.bits,
              &kFirstStageForm,
              {AhForm{kFirstStageNumber, ReadOrder::ValuesFirst}, AhForm{kFirstStageBlock, ReadOrder::LineByLine}}});
  return page;
}

const AhFieldPage& SecondStageFields() {
  static const AhFieldPage page = Finish({"second-stage",
                                          4,
                                          PositionCheck::Count,
                                          "Ошибок при вводе = ",
                                          std::nullopt,
                                          nullptr,
                                          {AhForm{kSecondStage, ReadOrder::LineByLine}}});
  return page;
}

const AhFieldPage& ThirdStageFields() {
  // Every value is read before the first line.
  static const AhFieldPage page = Finish({"third-stage",
                                          4,
                                          PositionCheck::Count,
                                          "Ошибок при вводе=",
                                          std::nullopt,
                                          nullptr,
                                          {AhForm{kThirdStage, ReadOrder::WordsAfter, 0}}});
  return page;
}

const AhFieldPage& SkoFields() {
  // The restriction lines first; then every other value before its line.
  static const AhFieldPage page =
      Finish({"sko", 1, PositionCheck::Warn, {}, std::nullopt, nullptr, {AhForm{kSko, ReadOrder::WordsAfter, 4}}});
  return page;
}

const AhFieldPage& RkoFields() {
  static const AhFieldPage page =
      Finish({"rko", 2, PositionCheck::Warn, {}, std::nullopt, nullptr, {AhForm{kRko, ReadOrder::WordsAfter, 0}}});
  return page;
}

int CheckFourWordBlock(std::span<const CodeWordTexts> block, const ReportSink& report) {
  int failed = 0;
  for (std::size_t w = 0; w < block.size() && w < kFourWordMessages.size(); ++w) {
    for (std::size_t p = 0; p < 3; ++p) {
      if (HexValue(block[w][p]) > kCodeWordPositions[p].max) {
        ++failed;
        report(kFourWordMessages[w][p]);
      }
    }
  }
  return failed;
}

std::string FieldName(const AhField& field) {
  if (!field.name.empty()) return std::string(field.name);
  std::string_view name = field.label;
  while (!name.empty() && (name.back() == ' ' || name.back() == '=')) name.remove_suffix(1);
  return std::string(name);
}

std::optional<std::string> FieldLine(const AhField& field, std::uint32_t value) {
  switch (field.shown) {
    case Shown::Texts:
      return Labelled(field.label, value < field.texts.size() ? field.texts[value] : std::string_view{});
    case Shown::Decimal: return Labelled(field.label, std::to_string(value));
    case Shown::HexDigit: return Labelled(field.label, ValueToHexDigit(value));
    case Shown::CodeWord: {
      std::string line(field.label);
      for (const std::string& digit : BitsToCodeWord(WordBitsText(value))) line += digit;
      return line;
    }
    case Shown::ReversedHex: {
      std::string line(field.label);
      for (unsigned shift = 0; shift < 16; shift += 4) line += ValueToHexDigit((value >> shift) & 0xFU);
      return line;
    }
    case Shown::ServiceState: return Labelled(field.label, ServiceStateTexts()[value & 1U]);
    case Shown::Present:
      if (value == 0) return std::nullopt;
      return std::string(field.label);
    case Shown::NoneSet:
      if (value != 0) return std::nullopt;
      return std::string(field.label);
    case Shown::Blank: return std::string();
  }
  return std::nullopt;
}

DecodeResult DecodeAhPage(const AhFieldPage& page, std::span<const CodeWordTexts> words) {
  DecodeResult result;
  WordReader reader(words);
  const auto report = [&](std::string_view message) { result.reports.emplace_back(message); };
  try {
    int failed = 0;
    if (page.check == PositionCheck::Count) {
      failed = CheckFourWordBlock(words, report);
    } else {
      for (const CodeWordTexts& word : words.first(std::min(page.words, words.size()))) {
        CheckCodeWordPositions(word[0], word[1], word[2], report);
      }
    }
    if (failed != 0) {
      result.cleared = true;
      result.lines.push_back({Labelled(page.count_label, std::to_string(failed)), {}});
      return result;
    }

    LineOrigin form_origin;
    const AhForm* form = &page.forms[0];
    if (page.selector) {
      form = &page.forms[reader.Read(*page.selector) != 0 ? 1 : 0];
      form_origin.Add(*page.selector, reader.Values());
    }
    const auto line_of = [&](const AhField& field) {
      const std::uint32_t value = reader.Read(field.bits);
      std::optional<std::string> text = FieldLine(field, value);
      if (!text) return;
      LineOrigin origin = form_origin;
      if (field.shown != Shown::Blank) origin.Add(field.bits, reader.Values());
      const auto index = std::find(page.fields.begin(), page.fields.end(), &field) - page.fields.begin();
      origin.field = static_cast<int>(index);
      result.lines.push_back({std::move(*text), origin});
    };

    if (form->read == ReadOrder::ValuesFirst) {
      for (const AhField& field : form->fields) reader.Read(field.bits);
    }
    result.cleared = true;
    for (std::size_t i = 0; i < form->fields.size(); ++i) {
      if (form->read == ReadOrder::WordsAfter && i == form->read_after) {
        std::array<bool, kMaxWords> used{};
        for (const AhField& field : form->fields) {
          if (field.shown != Shown::Blank) used[static_cast<std::size_t>(field.bits.word)] = true;
        }
        for (std::size_t w = 0; w < used.size(); ++w) {
          if (used[w]) reader.ReadWhole(w);
        }
      }
      line_of(form->fields[i]);
    }
  } catch (const ConversionError& error) {
    result.error = error;
  }
  return result;
}

}  // namespace ostrolen
