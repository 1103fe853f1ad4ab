// The encode command: a page's words from their fields. It starts from the
// words given (the others zero), sets each NAME=VALUE in order and prints
// the words as the page's boxes take them. The fields, their values and the
// setting are the window's own (pages/subscriber/compose.h).
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/explain.h"
#include "core/typing.h"
#include "core/utf8.h"
#include "pages/subscriber/compose.h"

namespace ostrolen {
namespace {

struct EncodeError {
  std::string message;
};

const AhField* FindField(const AhFieldPage& page, std::string_view name) {
  for (const AhField* field : SettableFields(page)) {
    if (FieldName(*field) == name) return field;
  }
  return nullptr;
}

// The field's bits in the form `decode --explain` writes a source, each bit as "x".
std::string FieldSource(const AhField& field) {
  LineOrigin origin;
  origin.Add(field.bits, {});
  return SourceText(origin, 'x');
}

// What a field accepts, for its --fields line and its messages.
std::string AcceptedValues(const AhField& field, std::string_view separator) {
  if (IsNumeric(field)) return ValueText(field, 0) + ".." + ValueText(field, FieldMax(field));
  std::string values;
  for (const FieldChoice& choice : Choices(field)) {
    if (!values.empty()) values += separator;
    values += choice.text;
  }
  return values;
}

// A code word of five positions; what a paste skips between them is skipped.
std::uint16_t ParseWord(const ComposePage& page, const std::string& text) {
  std::string digits;
  for (const std::string& c : SpreadCharacters(text)) digits += c;
  const std::string problem = "'" + text + "' is not a word of " + std::string(page.fields->name) +
                              ": a code word is five digits, at most 7 7 3 F F";
  if (!IsValidUtf8(text) || digits.size() != kCodeWordPositions.size()) throw EncodeError{problem};
  std::uint32_t word = 0;
  for (std::size_t p = 0; p < digits.size(); ++p) {
    const int digit = HexDigitValue(digits[p]);
    if (digit < 0 || digit > kCodeWordPositions[p].max) throw EncodeError{problem};
    word |= kCodeWordPositions[p].Place(static_cast<std::uint32_t>(digit));
  }
  return static_cast<std::uint16_t>(word);
}

std::vector<std::uint16_t> Encode(const ComposePage& page, const std::vector<std::string>& args) {
  const AhFieldPage& fields = *page.fields;
  std::vector<std::uint16_t> words(fields.words, 0);
  std::size_t given = 0;
  std::size_t at = 0;
  for (; at < args.size() && args[at].find('=') == std::string::npos; ++at) {
    if (given == words.size()) {
      throw EncodeError{std::string(fields.name) + " takes at most " + std::to_string(words.size()) + " word(s)"};
    }
    words[given++] = ParseWord(page, args[at]);
  }
  for (; at < args.size(); ++at) {
    const std::size_t equals = args[at].find('=');
    if (equals == std::string::npos) {
      throw EncodeError{"'" + args[at] + "' comes after a setting: words come first, then NAME=VALUE"};
    }
    const std::string name = args[at].substr(0, equals);
    const std::string value = args[at].substr(equals + 1);
    const AhField* field = FindField(fields, name);
    if (field == nullptr) {
      throw EncodeError{std::string(fields.name) + " has no field '" + name + "' (see ostrolen-cli encode " +
                        std::string(fields.name) + " --fields)"};
    }
    const std::optional<std::uint32_t> parsed = ParseFieldValue(*field, value);
    if (!parsed) {
      std::string message = "'";
      message += value;
      message += "' is not a value of '";
      message += name;
      message += "': ";
      message += AcceptedValues(*field, ", ");
      message += ", or its bits " + BitsText(*field, 0);
      message += ".." + BitsText(*field, FieldMax(*field));
      throw EncodeError{message};
    }
    SetField(fields, *field, words, *parsed);
  }
  return words;
}

std::string FieldLines(const AhFieldPage& page) {
  std::string lines;
  for (const AhField* field : SettableFields(page)) {
    lines += FieldName(*field) + "\t" + FieldSource(*field) + "\t" + AcceptedValues(*field, "\t") + "\n";
  }
  return lines;
}

}  // namespace

std::string EncodeUsage() {
  std::string usage =
      "usage: ostrolen-cli encode PAGE WORD... NAME=VALUE...\n"
      "       ostrolen-cli encode PAGE --fields\n"
      "\n"
      "Composes a page's code words from their fields: starts from the words given\n"
      "(the page's other words are zero), sets each field NAME to VALUE in order and\n"
      "prints the page's words, one a line, as its boxes take them. NAME is the field's\n"
      "line label without its trailing blanks and \"=\"; VALUE is written as the line\n"
      "shows it, or as the field's bits (0b0101). Bits that no setting names keep their\n"
      "values. On first-stage, setting a field of the other form switches the form, and\n"
      "that form's fields start at zero. A usage error prints one line and exits with 2.\n"
      "--fields prints one line per field: its name, TAB, its bits (x) as decode\n"
      "--explain writes a source, TAB, and its values separated by TABs, or MIN..MAX.\n"
      "\n"
      "Pages and their fields:\n";
  for (const ComposePage& page : ComposePages()) {
    usage += "  " + std::string(page.fields->name) + "\n";
    const std::vector<const AhField*> fields = SettableFields(*page.fields);
    for (const AhField* field : fields) {
      usage += "    " + FieldName(*field) + " = " + AcceptedValues(*field, " | ") + "\n";
    }
    // An example: the page's example words with its last field set to its largest value.
    const AhField& last = *fields.back();
    usage += "    e.g. ostrolen-cli encode " + std::string(page.fields->name) + " " +
             std::string(ComposeExample(page)) + " '" + FieldName(last) + "=" + ValueText(last, FieldMax(last)) + "'\n";
  }
  usage +=
      "\nExamples:\n"
      "  ostrolen-cli encode sko 271A6 'Набор номера=Декадый'\n"
      "  ostrolen-cli encode first-stage 'нормализованная сотня=13' 'десятки-еденицы=28'\n"
      "  ostrolen-cli encode rko 00359 362C5 'Услуга \"Диктофон\"=включена'\n"
      "  ostrolen-cli encode second-stage --fields\n";
  return usage;
}

int RunEncodeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  // args[0] is "encode".
  if (args.size() < 2 || args[1] == "--help" || args[1] == "-h") {
    if (args.size() < 2) {
      err << "ostrolen-cli: 'encode' needs a page name (see ostrolen-cli encode --help)\n";
      return 2;
    }
    out << EncodeUsage();
    return 0;
  }
  const ComposePage* page = FindComposePage(args[1]);
  if (page == nullptr) {
    err << "ostrolen-cli: no page named '" << args[1] << "' to encode (see ostrolen-cli encode --help)\n";
    return 2;
  }
  const std::vector<std::string> rest(args.begin() + 2, args.end());
  if (rest.size() == 1 && rest[0] == "--fields") {
    out << FieldLines(*page->fields);
    return 0;
  }
  try {
    for (const std::uint16_t word : Encode(*page, rest)) {
      for (const std::string& digit : CodeWordDigits(word)) out << digit;
      out << '\n';
    }
  } catch (const EncodeError& error) {
    err << "ostrolen-cli: " << error.message << '\n';
    return 2;
  }
  return 0;
}

}  // namespace ostrolen
