// What ostrolen-cli writes never carries a control character: press records
// and decode lines escape them, one printed line is one line of the page, and
// decode's separator between results is no line a result can hold.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "tests/support/cli.h"
#include "tests/support/process.h"

namespace ostrolen {
namespace {

using testing::Cli;

std::string Utf8(char32_t c) {
  std::string s;
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
  return s;
}

// Every control character: C0, DEL, C1, and the line and paragraph separators.
std::vector<char32_t> ControlCharacters() {
  std::vector<char32_t> all;
  for (char32_t c = 0; c < 0x20; ++c) all.push_back(c);
  all.push_back(0x7F);
  for (char32_t c = 0x80; c < 0xA0; ++c) all.push_back(c);
  all.push_back(0x2028);
  all.push_back(0x2029);
  return all;
}

// How the help says a character is written.
std::string Written(char32_t c) {
  char form[16];
  if (c == '\\') return "\\\\";
  if (c == '\t') return "\\t";
  if (c == '\n') return "\\n";
  if (c == '\r') return "\\r";
  if (c < 0x20 || c == 0x7F) {
    std::snprintf(form, sizeof form, "\\x%02X", static_cast<unsigned>(c));
    return form;
  }
  if ((c >= 0x80 && c < 0xA0) || c == 0x2028 || c == 0x2029) {
    std::snprintf(form, sizeof form, "\\u%04X", static_cast<unsigned>(c));
    return form;
  }
  return Utf8(c);
}

// Reads a field back as a script would, by the forms the help gives.
std::string Unescape(const std::string& field) {
  std::string text;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\') {
      text += field[i];
      continue;
    }
    EXPECT_LT(i + 1, field.size()) << "a lone backslash ends " << field;
    if (i + 1 >= field.size()) break;
    const char kind = field[++i];
    if (kind == '\\') text += '\\';
    else if (kind == 't') text += '\t';
    else if (kind == 'n') text += '\n';
    else if (kind == 'r') text += '\r';
    else if (kind == 'x' || kind == 'u') {
      const std::size_t digits = kind == 'x' ? 2 : 4;
      EXPECT_LE(i + digits, field.size() - 1) << field;
      text += Utf8(static_cast<char32_t>(std::stoul(field.substr(i + 1, digits), nullptr, 16)));
      i += digits;
    } else {
      ADD_FAILURE() << "unknown escape \\" << kind << " in " << field;
    }
  }
  return text;
}

// The first control character in `text` other than the line feeds that end
// its lines and, where `tabs`, the TABs between fields; npos for none.
std::size_t ControlIn(const std::string& text, bool tabs) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '\n' || (tabs && byte == '\t')) continue;
    if (byte < 0x20 || byte == 0x7F) return i;
    if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0) return i;
    if (text.compare(i, 3, "\u2028") == 0 || text.compare(i, 3, "\u2029") == 0) return i;
  }
  return std::string::npos;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(Escape, EveryCharacterOfTheFirstBlocksAsTheHelpSays) {
  // All of U+0000..U+00FF, and the punctuation block around the separators.
  std::vector<char32_t> sweep;
  for (char32_t c = 0; c < 0x100; ++c) sweep.push_back(c);
  for (char32_t c = 0x2000; c < 0x2070; ++c) sweep.push_back(c);
  for (const char32_t c : sweep) {
    const std::string text = Utf8(c);
    SCOPED_TRACE(static_cast<unsigned>(c));
    EXPECT_EQ(EscapeField(text), Written(c));
    EXPECT_EQ(EscapeField("a" + text + "Ж"), "a" + Written(c) + "Ж");
    EXPECT_EQ(ControlIn(EscapeField(text), false), std::string::npos);
    EXPECT_EQ(Unescape(EscapeField(text)), text);
  }
}

TEST(Escape, TheFormsAUserSees) {
  EXPECT_EQ(EscapeField("a\\b\tc\nd\re  "), "a\\\\b\\tc\\nd\\re  ");
  EXPECT_EQ(EscapeField("\x1B[2J\x1B]0;title\x07"), "\\x1B[2J\\x1B]0;title\\x07");
  EXPECT_EQ(EscapeField(std::string("a\0b", 3)), "a\\x00b");
  EXPECT_EQ(EscapeField("\x0B\x0C\x1C\x1D\x1E\x08\x7F"), "\\x0B\\x0C\\x1C\\x1D\\x1E\\x08\\x7F");
  EXPECT_EQ(EscapeField("строка\u0085вторая\u2028третья\u2029"), "строка\\u0085вторая\\u2028третья\\u2029");
  // Neighbours that are no controls stay as they are.
  EXPECT_EQ(EscapeField("\u00A0\u2027\u202A«»№"), "\u00A0\u2027\u202A«»№");
  EXPECT_EQ(EscapeField("\\x1B"), "\\\\x1B") << "a text that looks like an escape is not one";
}

TEST(Escape, RandomTextsComeBackWhole) {
  std::mt19937 random(20);
  const std::vector<char32_t> controls = ControlCharacters();
  const std::vector<char32_t> others = {'a', '0', ' ', '\\', 'x', 'u', 0x416, 0x2116, 0xA0, 0x2027, 0x202A};
  for (int n = 0; n < 2000; ++n) {
    std::string text;
    const int length = std::uniform_int_distribution<int>(0, 12)(random);
    for (int i = 0; i < length; ++i) {
      const auto& from = random() % 2 ? controls : others;
      text += Utf8(from[random() % from.size()]);
    }
    const std::string escaped = EscapeField(text);
    ASSERT_EQ(ControlIn(escaped, false), std::string::npos) << escaped;
    ASSERT_EQ(Unescape(escaped), text);
  }
}

// The hex digit box takes one character; its error box repeats it.
TEST(EscapePress, EveryControlCharacterInARecord) {
  for (const char32_t c : ControlCharacters()) {
    SCOPED_TRACE(static_cast<unsigned>(c));
    const testing::CliOutcome run = Cli({"press", "SpeedButton8", "Edit29=" + Utf8(c)});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ControlIn(run.out, true), std::string::npos) << run.out;
    const std::vector<std::string> records = Lines(run.out);
    ASSERT_GE(records.size(), 2U);
    EXPECT_EQ(records[0], "press\tSpeedButton8");
    EXPECT_EQ(records[1], "error\t'$" + Written(c) + "' is not a valid integer value.");
    for (const std::string& record : records) {
      const std::string kind = record.substr(0, record.find('\t'));
      EXPECT_TRUE(kind == "press" || kind == "error" || kind == "box") << record;
    }
  }
}

// The УСК page shows the line as typed; the error names a box text too long.
TEST(EscapeDecode, EveryControlCharacterInALineAndAMessage) {
  const std::string plain = Cli({"decode", "usk1", "1", "3", "A5F0"}).out;
  for (const char32_t c : ControlCharacters()) {
    SCOPED_TRACE(static_cast<unsigned>(c));
    const testing::CliOutcome run = Cli({"decode", "usk1", "1" + Utf8(c), "3", "A5F0"});
    EXPECT_EQ(ControlIn(run.out, false), std::string::npos) << run.out;
    EXPECT_EQ(ControlIn(run.err, false), std::string::npos) << run.err;
    EXPECT_EQ(Lines(run.out).size(), Lines(plain).size()) << "one line of output a line of the page:\n" << run.out;
    EXPECT_NE(run.out.find("\n1" + Written(c) + "\n"), std::string::npos) << run.out;
    const testing::CliOutcome longer = Cli({"decode", "usk1", "12345" + Utf8(c)});
    EXPECT_EQ(longer.status, 2);
    EXPECT_EQ(longer.err, "ostrolen-cli: '12345" + Written(c) + "' is longer than 5 character(s)\n");
  }
}

TEST(EscapeDecode, StandardInputKeepsItsLinesApart) {
  // Words are split at blanks, TAB and CR; every other control stays in its word.
  std::string input;
  std::vector<std::string> expected;
  for (const char32_t c : ControlCharacters()) {
    if (c == '\t' || c == '\n' || c == '\r') continue;
    input += "1" + Utf8(c) + " 3 A5F0\n";
    expected.push_back(Cli({"decode", "usk1", "1" + Utf8(c), "3", "A5F0"}).out);
  }
  const testing::CliOutcome run = Cli({"decode", "usk1", "-"}, input);
  EXPECT_EQ(ControlIn(run.out, false), std::string::npos);
  // The results, cut at the separator lines, are the single decodes.
  std::vector<std::string> results(1);
  for (const std::string& line : Lines(run.out)) {
    if (line == "\\") {
      results.emplace_back();
    } else {
      results.back() += line + "\n";
    }
  }
  EXPECT_EQ(results, expected);
}

// A database whose texts hold every control character, made with
// ostrolen-mkdb in a folder of its own, where the lookup reads it.
class EscapeDatabase : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "ostrolen-escape-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    std::string description =
        "table\tsegmoborud\ncolumn\tnomsegm\ttext(2)\ncolumn\toborud\ttext\n"
        "row\t1\tпервая\\n\\nвторая\n"
        "row\t2\t\\\\\n"
        "table\tSegment\ncolumn\tnomsegm\ttext(2)\ncolumn\tnomstep\ttext(2)\n"
        "column\tisppro\ttext\ncolumn\tneispr\ttext\ncolumn\tprim\ttext\n";
    // One step a control character (NUL aside: a database text cannot hold it).
    int step = 0;
    for (const char32_t c : ControlCharacters()) {
      if (c == 0) continue;
      const std::string written = c == '\t' ? "\\t" : c == '\n' ? "\\n" : Utf8(c);
      texts_.push_back(Utf8(c));
      description += "row\t1\t" + std::to_string(++step) + "\tп" + written + "р\tн\tз" + written + "к\n";
    }
    description += "row\t2\t1\t\t\t\n";
    std::ofstream(folder_ / "db.tsv", std::ios::binary) << description;
    const testing::ProcessRun made =
        testing::RunShell(std::string(OSTROLEN_MKDB_PATH) + " '" + (folder_ / "db.tsv").string() + "' '" +
                          (folder_ / "dbveltra.mdb").string() + "' 2>&1");
    ASSERT_EQ(made.status, 0) << made.out;
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    here_ = here;
    ASSERT_EQ(chdir(folder_.c_str()), 0);
  }
  void TearDown() override {
    if (!here_.empty()) {
      EXPECT_EQ(chdir(here_.c_str()), 0);
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::filesystem::path folder_;
  std::string here_;
  std::vector<std::string> texts_;  // the control character of each step, from step 1
};

TEST_F(EscapeDatabase, PressRecordsHoldTheTextsEscaped) {
  for (std::size_t i = 0; i < texts_.size(); ++i) {
    SCOPED_TRACE(i + 1);
    const testing::CliOutcome run = Cli({"press", "SpeedButton17", "Edit329=1", "Edit330=" + std::to_string(i + 1)});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ControlIn(run.out, true), std::string::npos) << run.out;
    std::vector<std::string> shown;
    for (const std::string& record : Lines(run.out)) {
      if (!record.starts_with("line\t")) continue;
      ASSERT_EQ(record.find('\t'), record.rfind('\t')) << "one field: " << record;
      shown.push_back(Unescape(record.substr(5)));
    }
    const auto has = [&](const std::string& line) {
      return std::find(shown.begin(), shown.end(), line) != shown.end();
    };
    EXPECT_TRUE(has("первая\n\nвторая")) << "the equipment, a value with an empty line, is one line";
    EXPECT_TRUE(has("п" + texts_[i] + "р"));
    EXPECT_TRUE(has("з" + texts_[i] + "к"));
  }
}

TEST_F(EscapeDatabase, DecodePrintsOneLineForEachLineOfThePage) {
  for (std::size_t i = 0; i < texts_.size(); ++i) {
    SCOPED_TRACE(i + 1);
    const std::string step = std::to_string(i + 1);
    const testing::CliOutcome decoded = Cli({"decode", "segment", "1", step});
    const testing::CliOutcome pressed = Cli({"press", "SpeedButton17", "Edit329=1", "Edit330=" + step});
    ASSERT_EQ(decoded.status, 0) << decoded.err;
    EXPECT_EQ(ControlIn(decoded.out, false), std::string::npos) << decoded.out;
    std::vector<std::string> lines;
    for (const std::string& record : Lines(pressed.out)) {
      if (record.starts_with("line\t")) lines.push_back(record.substr(5));
    }
    EXPECT_EQ(Lines(decoded.out), lines);
    EXPECT_NE(decoded.out.find("первая\\n\\nвторая\n"), std::string::npos) << decoded.out;
  }
}

TEST_F(EscapeDatabase, TheSeparatorIsNoLineOfAResult) {
  // An empty line inside a value, a value that is a lone backslash, the
  // page's own empty lines and an empty result, one after another.
  const std::vector<std::vector<std::string>> inputs = {{"1", "1"}, {"2", "1"}, {"1", "99"}, {"1", "27"}, {"2", "1"}};
  std::string input;
  std::vector<std::string> expected;
  for (const auto& words : inputs) {
    input += words[0] + " " + words[1] + "\n";
    expected.push_back(Cli({"decode", "segment", words[0], words[1]}).out);
  }
  EXPECT_NE(expected[1].find("\n\\\\\n"), std::string::npos) << "the lone backslash, escaped: " << expected[1];
  EXPECT_NE(expected[0].find("\n\n"), std::string::npos) << "the page's own empty lines: " << expected[0];
  const testing::CliOutcome run = Cli({"decode", "segment", "-"}, input);
  std::vector<std::string> results(1);
  for (const std::string& line : Lines(run.out)) {
    if (line == "\\") {
      results.emplace_back();
    } else {
      results.back() += line + "\n";
    }
  }
  EXPECT_EQ(results, expected) << run.out;
}

}  // namespace
}  // namespace ostrolen
