// The Access formats: Jet 3 (Access 97) with its texts in the code page its
// header names, Jet 4, and ACE (Access 2007-2019), read like Jet 4; the
// files that cannot be read say what they are. The Jet 3 files are written
// by ostrolen-mkdb --jet3, the ACE ones are Jet 4 files with ACE's
// signature and version: the two share their pages.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "pages/segments/segments.h"
#include "reader/access_file.h"
#include "tests/pages/segments/segments_support.h"
#include "tests/support/press.h"
#include "tests/support/process.h"

namespace ostrolen::testing {
namespace {

// Page 0 hides 126 (Jet 3) or 128 bytes from 0x18 under RC4 with this key;
// the same pass hides and shows them.
void Rc4Header(std::string& bytes, std::size_t length) {
  const std::array<std::uint8_t, 4> key = {0xC7, 0xDA, 0x39, 0x6B};
  std::array<std::uint8_t, 256> s{};
  for (int i = 0; i < 256; ++i) s[i] = static_cast<std::uint8_t>(i);
  int j = 0;
  for (int i = 0; i < 256; ++i) {
    j = (j + s[i] + key[i % 4]) % 256;
    std::swap(s[i], s[j]);
  }
  int a = 0, b = 0;
  for (std::size_t k = 0; k < length; ++k) {
    a = (a + 1) % 256;
    b = (b + s[a]) % 256;
    std::swap(s[a], s[b]);
    bytes[0x18 + k] = static_cast<char>(static_cast<std::uint8_t>(bytes[0x18 + k]) ^ s[(s[a] + s[b]) % 256]);
  }
}

void Put(std::string& bytes, std::size_t at, std::uint32_t value, int size) {
  for (int k = 0; k < size; ++k) bytes[at + static_cast<std::size_t>(k)] = static_cast<char>((value >> (8 * k)) & 0xFF);
}

std::string Jet4File() { return ReadBytes(FixturePath("lookup")); }

// The Jet 4 file as Access 2007 and later write it: their signature and
// version; the pages are Jet 4's.
std::string AceFile(std::uint8_t version, std::string bytes = Jet4File()) {
  bytes.replace(4, 16, std::string("Standard ACE DB\0", 16));
  bytes[0x14] = static_cast<char>(version);
  return bytes;
}

// Changes the hidden header values of a Jet 4 or ACE file.
std::string WithHiddenValue(std::string bytes, std::size_t at, std::uint32_t value, int size) {
  Rc4Header(bytes, 128);
  Put(bytes, at, value, size);
  Rc4Header(bytes, 128);
  return bytes;
}

// A Jet 3 page 0 (2 KB) naming `code_page` and `sort_order`, followed by `pages` empty pages.
std::string Jet3File(std::uint16_t code_page, std::uint16_t sort_order, std::size_t pages = 0) {
  std::string bytes(2048 * (pages + 1), '\0');
  bytes.replace(4, 16, std::string("Standard Jet DB\0", 16));
  bytes[0x14] = 0;
  Put(bytes, 0x3A, sort_order, 2);
  Put(bytes, 0x3C, code_page, 2);
  Rc4Header(bytes, 126);
  return bytes;
}

std::string Utf8Range(char32_t first, char32_t last) {
  std::u32string text;
  for (char32_t c = first; c <= last; ++c) text.push_back(c);
  std::string out;
  for (const char32_t c : text) {  // two-byte UTF-8 is enough here
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
  return out;
}

TEST(AccessHeader, TheJet4WriterFile) {
  const std::optional<AccessHeader> header = ReadAccessHeader(Jet4File());
  ASSERT_TRUE(header.has_value());
  EXPECT_EQ(header->engine, AccessEngine::Jet4);
  EXPECT_EQ(header->version, 1);
  EXPECT_EQ(header->code_page, 1252);
  EXPECT_EQ(header->sort_order, 0x0409u);
  EXPECT_EQ(header->key, 0u);
  EXPECT_EQ(AccessVersionName(*header), "Access 2000–2003");
  EXPECT_FALSE(EncryptedBeyondReading(*header));
}

TEST(AccessHeader, AceVersionsTwelveToSeventeen) {
  const std::vector<std::string> names = {"Access 2007", "Access 2010", "Access 2013", "Access 2016", "Access 2019"};
  for (std::uint8_t version = 2; version <= 6; ++version) {
    const std::optional<AccessHeader> header = ReadAccessHeader(AceFile(version));
    ASSERT_TRUE(header.has_value()) << int{version};
    EXPECT_EQ(header->engine, AccessEngine::Ace) << int{version};
    EXPECT_EQ(header->version, version);
    EXPECT_EQ(header->code_page, 1252);
    EXPECT_EQ(AccessVersionName(*header), names[version - 2]);
    EXPECT_FALSE(EncryptedBeyondReading(*header));
  }
  // The version byte decides, as it does for libmdb; the signature only says "Access".
  std::string jet_signature = Jet4File();
  jet_signature[0x14] = 3;
  EXPECT_EQ(ReadAccessHeader(jet_signature)->engine, AccessEngine::Ace);
  for (const std::uint8_t version : {7, 8, 0x10, 0xFF}) {
    const std::optional<AccessHeader> header = ReadAccessHeader(AceFile(version));
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(header->engine, AccessEngine::Unknown) << int{version};
  }
}

TEST(AccessHeader, OtherFilesAreNoAccessFiles) {
  const std::string good = Jet4File();
  EXPECT_FALSE(ReadAccessHeader("").has_value());
  EXPECT_FALSE(ReadAccessHeader(good.substr(0, 2047)).has_value());
  EXPECT_TRUE(ReadAccessHeader(good.substr(0, 2048)).has_value());
  for (const char* signature : {"Standard Jet DC", "standard jet db", "MSISAM Database", "Standard ACE D\0"}) {
    std::string bytes = good;
    bytes.replace(4, 15, std::string(signature, 15));
    EXPECT_FALSE(ReadAccessHeader(bytes).has_value()) << signature;
  }
  std::string first = good;
  first[0] = 1;
  EXPECT_FALSE(ReadAccessHeader(first).has_value());
}

TEST(AccessHeader, OnlyEncryptedAceFilesAreBeyondReading) {
  // Jet 3 and Jet 4 hide their pages under the key with RC4, which libmdb undoes.
  const std::optional<AccessHeader> jet4 = ReadAccessHeader(WithHiddenValue(Jet4File(), 0x3E, 0x1234ABCD, 4));
  ASSERT_TRUE(jet4.has_value());
  EXPECT_EQ(jet4->key, 0x1234ABCDu);
  EXPECT_FALSE(EncryptedBeyondReading(*jet4));
  std::string jet3 = Jet3File(1251, 1049);
  Rc4Header(jet3, 126);
  Put(jet3, 0x3E, 77, 4);
  Rc4Header(jet3, 126);
  EXPECT_FALSE(EncryptedBeyondReading(*ReadAccessHeader(jet3)));
  for (std::uint8_t version = 2; version <= 6; ++version) {
    const std::optional<AccessHeader> ace = ReadAccessHeader(WithHiddenValue(AceFile(version), 0x3E, 1, 4));
    EXPECT_TRUE(EncryptedBeyondReading(*ace)) << int{version};
  }
}

TEST(Jet3CodePages, TheHeaderNamesTheCodePage) {
  struct Case {
    std::uint16_t code_page, sort_order, chosen;
    const char* charset;
  };
  for (const Case& c :
       {Case{1251, 1049, 1251, "CP1251"}, Case{1252, 1033, 1252, "CP1252"},
        Case{1251, 1033, 1251, "CP1251"},  // the code page, not the sort order
        Case{866, 1049, 866, "CP866"}, Case{1250, 0x0415, 1250, "CP1250"}, Case{20866, 1049, 20866, "KOI8-R"},
        // None named: the sort order's language.
        Case{0, 1049, 1251, "CP1251"}, Case{0, 0x0422, 1251, "CP1251"}, Case{0, 0x0C1A, 1251, "CP1251"},
        Case{0, 0x041A, 1250, "CP1250"}, Case{0, 0x0415, 1250, "CP1250"}, Case{0, 0x0408, 1253, "CP1253"},
        Case{0, 1033, 1252, "CP1252"}, Case{0, 0x0407, 1252, "CP1252"}, Case{0, 0, 1252, "CP1252"}}) {
    const std::optional<AccessHeader> header = ReadAccessHeader(Jet3File(c.code_page, c.sort_order));
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(header->engine, AccessEngine::Jet3);
    EXPECT_EQ(header->code_page, c.code_page);
    EXPECT_EQ(header->sort_order, c.sort_order);
    EXPECT_EQ(Jet3CodePage(*header), c.chosen) << c.code_page << " " << c.sort_order;
    EXPECT_EQ(CodePageCharset(Jet3CodePage(*header)), c.charset) << c.code_page << " " << c.sort_order;
    EXPECT_EQ(AccessVersionName(*header), "Access 97");
  }
  EXPECT_EQ(CodePageCharset(9999), "");
  EXPECT_EQ(CodePageCharset(0), "");
}

TEST(Jet3CodePages, CyrillicAndWesternTexts) {
  // Windows-1251: А-я at C0-FF, Ё and ё at A8 and B8.
  std::string letters;
  for (int b = 0xC0; b <= 0xFF; ++b) letters.push_back(static_cast<char>(b));
  EXPECT_EQ(DecodeCodePageText(letters, 1251), Utf8Range(U'А', U'я'));
  EXPECT_EQ(DecodeCodePageText("\xA8\xB8", 1251), "Ёё");
  EXPECT_EQ(DecodeCodePageText("\xC1\xEB\xEE\xEA \xE3\xF0\xF3\xEF\xEF\xEE\xE2\xEE\xE9 \xC1\xC3 2", 1251),
            "Блок групповой БГ 2");
  // The same bytes in a Western file are Western letters.
  EXPECT_EQ(DecodeCodePageText("\xC1\xEB\xEE\xEA", 1252), "Áëîê");
  EXPECT_EQ(DecodeCodePageText("Caf\xE9 Z\xFCrich \x80 \xAB\xBB", 1252), "Café Zürich € «»");
  EXPECT_EQ(DecodeCodePageText("\x80\xA0\xF0", 866), "АаЁ");
  EXPECT_EQ(DecodeCodePageText("\xE1\xC1", 20866), "Аа");
  // A byte the code page leaves undefined, as libmdb shows it.
  EXPECT_EQ(DecodeCodePageText("\xC0\x98\xC0", 1251), "А?А");
  EXPECT_EQ(DecodeCodePageText("", 1251), "");
  const std::string ascii = "nomsegm 3C-7 % _ [!a] \t\\";
  EXPECT_EQ(DecodeCodePageText(ascii, 1251), ascii);
  EXPECT_EQ(DecodeCodePageText(std::string(3000, '\xE9'), 1251).size(), 6000u);
}

class FormatsTest : public DatabaseFolder {
 protected:
  std::vector<Message> Lookup(std::string_view segment, std::string_view step) {
    return PressWith(window_, "SpeedButton17", {{"Edit329", segment}, {"Edit330", step}});
  }
  ModelWindow window_;
};

// mdbtools' own programs take the ACE files for what they are.
TEST_F(FormatsTest, AceFilesAreAceForMdbtools) {
  const std::vector<std::string> names = {"ACE12", "ACE14", "ACE15", "ACE16", "ACE17"};
  for (std::uint8_t version = 2; version <= 6; ++version) {
    WriteBytes(Database(), AceFile(version));
    const ProcessRun ver = RunShell(InLocale() + "mdb-ver dbveltra.mdb 2>&1");
    if (ver.status == 127) GTEST_SKIP() << "mdbtools is not installed";
    EXPECT_EQ(ver.out, names[version - 2] + "\n");
    const ProcessRun rows = RunShell(InLocale() + "mdb-export dbveltra.mdb segmoborud 2>&1");
    EXPECT_EQ(rows.status, 0);
    const std::string first = "nomsegm,oborud\n\"0\",\"Оборудование сегмента 0\"\n";
    EXPECT_EQ(rows.out.substr(0, first.size()), first);
  }
}

TEST_F(FormatsTest, AceFilesAreLookedUpLikeJet4) {
  for (std::uint8_t version = 2; version <= 6; ++version) {
    WriteBytes(Database(), AceFile(version));
    EXPECT_TRUE(Lookup("12", "1").empty()) << int{version};
    EXPECT_EQ(window_.Lines("ListBox10"),
              (Lines{"Проверяемое оборудование:", "Блок групповой БГ 2", "",
                     "Наименование исполнительной программы:", "Программа 12-1", "",
                     "Неисправность:", "Неисправность 12-1", "", "Примечание:", "Примечание 12-1"}))
        << int{version};
    EXPECT_TRUE(Lookup("ж1", "1").empty());
    EXPECT_EQ(window_.Lines("ListBox10")[1], "Сегмент Ж1");
    EXPECT_TRUE(Lookup("3d", "7").empty());
    EXPECT_EQ(window_.Lines("ListBox10").size(), 40u);
    EXPECT_EQ(Lookup("99", "1"), std::vector<Message>{Error("Invalid variant type conversion.")});
    EXPECT_EQ(Lookup("[", "1"), std::vector<Message>{Error("Недопустимый образец поиска «[».")});
  }
  // A missing table is missing in an ACE file too.
  WriteBytes(Database(), AceFile(3, ReadBytes(FixturePath("no_tables"))));
  EXPECT_EQ(Lookup("12", "1"), std::vector<Message>{Error("В базе данных «dbveltra.mdb» нет таблицы «segmoborud».")});
}

TEST_F(FormatsTest, AnEncryptedAceFileSaysWhatItIs) {
  const std::vector<std::string> names = {"Access 2007", "Access 2010", "Access 2013", "Access 2016", "Access 2019"};
  for (std::uint8_t version = 2; version <= 6; ++version) {
    WriteBytes(Database(), WithHiddenValue(AceFile(version), 0x3E, 0x5A17C0DE, 4));
    EXPECT_EQ(Lookup("12", "1"),
              std::vector<Message>{Error("Файл «dbveltra.mdb» — зашифрованная база данных " + names[version - 2] +
                                         "; для запроса нужна база данных без шифрования: расшифруйте её в Access.")});
    EXPECT_TRUE(window_.Lines("ListBox10").empty());
  }
}

TEST_F(FormatsTest, AnUnknownVersionSaysWhatItIs) {
  for (const std::uint8_t version : {7, 0x20}) {
    WriteBytes(Database(), AceFile(version));
    EXPECT_EQ(
        Lookup("3C", "1"),
        std::vector<Message>{Error("Файл «dbveltra.mdb» — база данных Access неизвестной версии (" +
                                   std::to_string(version) + "); для запроса нужна база данных Access 97–2019.")});
    EXPECT_TRUE(window_.Lines("ListBox10").empty());
  }
  // Not Access at all: as before.
  std::string other = Jet4File();
  other.replace(4, 15, "MSISAM Database");
  WriteBytes(Database(), other);
  EXPECT_EQ(Lookup("12", "1"), std::vector<Message>{Error("Файл «dbveltra.mdb» не является базой данных Access.")});
}

TEST_F(FormatsTest, AJet3FileInACodePageNotKnownHere) {
  WriteBytes(Database(), Jet3File(9999, 1049, 3));
  EXPECT_EQ(Lookup("12", "1"),
            std::vector<Message>{Error("Тексты базы данных Access 97 «dbveltra.mdb» записаны в кодовой странице 9999, "
                                       "которую программа не знает; для запроса нужна база данных в кодовой странице "
                                       "Windows.")});
  // A known code page gets the file to libmdb, which finds no tables in empty pages.
  WriteBytes(Database(), Jet3File(1251, 1049, 3));
  const std::vector<Message> messages = Lookup("12", "1");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text.find("Тексты"), std::string::npos) << messages[0].text;
}

// The Jet 3 fixtures are the Jet 4 ones as Access 97 writes them: mdbtools
// sees a Jet 3 file with the same tables and the same values.
TEST(Jet3Files, MdbtoolsReadThemAsTheirJet4Counterparts) {
  for (const char* name : {"lookup", "names", "cyrillic_names", "western"}) {
    const std::string jet3 = FixturePath(std::string(name) + "_jet3"), jet4 = FixturePath(name);
    const ProcessRun ver = RunShell(InLocale() + "mdb-ver '" + jet3 + "' 2>&1");
    if (ver.status == 127) GTEST_SKIP() << "mdbtools is not installed";
    EXPECT_EQ(ver.out, "JET3\n") << name;
    EXPECT_EQ(RunShell(InLocale() + "mdb-ver '" + jet4 + "'").out, "JET4\n");
    const ProcessRun tables = RunShell(InLocale() + "mdb-tables -1 '" + jet4 + "'");
    EXPECT_EQ(RunShell(InLocale() + "mdb-tables -1 '" + jet3 + "'").out, tables.out) << name;
    std::size_t count = 0;
    for (std::size_t at = 0; at < tables.out.size(); ++count) {
      const std::size_t end = tables.out.find('\n', at);
      const std::string table = tables.out.substr(at, end - at);
      at = end + 1;
      const ProcessRun rows = RunShell(InLocale() + "mdb-export '" + jet3 + "' '" + table + "' 2>&1");
      EXPECT_EQ(rows.status, 0) << name << " " << table;
      EXPECT_EQ(rows.out, RunShell(InLocale() + "mdb-export '" + jet4 + "' '" + table + "' 2>&1").out)
          << name << " " << table;
      EXPECT_GT(rows.out.size(), 20u);
    }
    EXPECT_GT(count, 0u) << name;
  }
}

TEST_F(FormatsTest, Jet3FilesAreLookedUpLikeJet4) {
  const std::vector<std::pair<std::string, std::string>> lookups = {
      {"12", "1"}, {"12", "2"}, {"12", "3"},   {"12", "9"}, {"3C", "5"}, {"3c", "5"},  {"3D", "7"}, {"3d", "7"},
      {"3E", "2"}, {"3E", "1"}, {"3F", "4"},   {"3C", "6"}, {"4C", "1"}, {"3", "1"},   {"3 ", "1"}, {"ж1", "1"},
      {"Ж1", "1"}, {"S1", "1"}, {"E1", "1"},   {"N1", "1"}, {"99", "1"}, {"7'", "1'"}, {"'", "1"},  {"5_", "1"},
      {"%", "%"},  {"_", "_"},  {"[5]A", "1"}, {"*", "1"},  {"?", "1"},  {"[", "1"},   {"", ""}};
  std::size_t with_lines = 0;
  for (const auto& [segment, step] : lookups) {
    Place("lookup");
    const std::vector<Message> jet4_messages = Lookup(segment, step);
    const Lines jet4_lines = window_.Lines("ListBox10");
    Place("lookup_jet3");
    EXPECT_EQ(Lookup(segment, step), jet4_messages) << segment << "-" << step;
    EXPECT_EQ(window_.Lines("ListBox10"), jet4_lines) << segment << "-" << step;
    if (jet4_lines.size() > 1) ++with_lines;
  }
  EXPECT_GT(with_lines, 20u);
  for (const auto& [segment, step] : {std::pair{"12", "1"}, std::pair{"3C", "1"}, std::pair{"3C", "2"}}) {
    Place("names");
    const std::vector<Message> jet4_messages = Lookup(segment, step);
    const Lines jet4_lines = window_.Lines("ListBox10");
    Place("names_jet3");
    EXPECT_EQ(Lookup(segment, step), jet4_messages) << segment << "-" << step;
    EXPECT_EQ(window_.Lines("ListBox10"), jet4_lines) << segment << "-" << step;
  }
  // The Cyrillic texts as they are.
  Place("lookup_jet3");
  EXPECT_TRUE(Lookup("ж1", "1").empty());
  EXPECT_EQ(
      window_.Lines("ListBox10"),
      (Lines{"Проверяемое оборудование:", "Сегмент Ж1", "", "Наименование исполнительной программы:", "Программа Ж1-1",
             "", "Неисправность:", "Неисправность Ж1-1", "", "Примечание:", "Примечание Ж1-1"}));
  EXPECT_TRUE(Lookup("*", "1").empty());
  EXPECT_EQ(window_.Lines("ListBox10")[1], "Сегмент «звёздочка»");
}

// A Jet 3 file whose header names no code page: its sort order's language decides.
TEST_F(FormatsTest, AJet3FileThatNamesNoCodePage) {
  std::string bytes = ReadBytes(FixturePath("cyrillic_names_jet3"));
  Rc4Header(bytes, 126);
  Put(bytes, 0x3C, 0, 2);
  Rc4Header(bytes, 126);
  ASSERT_EQ(ReadAccessHeader(bytes)->code_page, 0);
  ASSERT_EQ(ReadAccessHeader(bytes)->sort_order, 0x0419u);  // Cyrillic
  WriteBytes(Database(), bytes);
  Connection connection(Database().string(), kNoHang);
  std::vector<StatementOutcome> outcomes = connection.Run({{"Сегменты", {{"Сегмент", "12"}}}});
  ASSERT_EQ(outcomes[0].failure, ReadFailure::None) << outcomes[0].name;
  ASSERT_TRUE(outcomes[0].result.has_row);
  EXPECT_EQ(outcomes[0].result.row[1].text, "Блок групповой БГ 2");
  // With the "General" sort order it is a Western file, as Access 97 in the West wrote it.
  Rc4Header(bytes, 126);
  Put(bytes, 0x3A, 0x0409, 2);
  Rc4Header(bytes, 126);
  WriteBytes(Database(), bytes);
  outcomes = connection.Run({{"Ñåãìåíòû", {{"Ñåãìåíò", "12"}}}});
  ASSERT_EQ(outcomes[0].failure, ReadFailure::None) << outcomes[0].name;
  ASSERT_TRUE(outcomes[0].result.has_row);
  EXPECT_EQ(outcomes[0].result.row[1].text, "Áëîê ãðóïïîâîé ÁÃ 2");
}

TEST_F(FormatsTest, AWesternJet3FileStaysWestern) {
  for (const char* fixture : {"western_jet3", "western"}) {
    Place(fixture);
    EXPECT_TRUE(Lookup("12", "1").empty()) << fixture;
    EXPECT_EQ(window_.Lines("ListBox10"),
              (Lines{"Проверяемое оборудование:", "Unité de groupe BG 2 — Zürich", "",
                     "Наименование исполнительной программы:", "Programme 12-1 ‘façade’", "",
                     "Неисправность:", "Défaut 12-1 „ß“", "", "Примечание:", "Remarque 12-1 … ©"}))
        << fixture;
    EXPECT_TRUE(Lookup("3c", "1").empty()) << fixture;
    EXPECT_EQ(window_.Lines("ListBox10"), (Lines{"Проверяемое оборудование:",
                                                 "Lignes «USK» 0-7 € œ Ÿ",
                                                 "",
                                                 "Объект управления:",
                                                 "Objet 3C-1 ñ",
                                                 "",
                                                 "Информация в УСК:",
                                                 "Info 3C-1 å",
                                                 "",
                                                 "Приемник:",
                                                 "Récepteur 3C-1",
                                                 "",
                                                 "Состояние точки сканирования:",
                                                 "0",
                                                 "",
                                                 "Неисправность:",
                                                 "Défaut 3C-1 ø",
                                                 "",
                                                 "Примечание:",
                                                 "Remarque 3C-1 †",
                                                 ""}))
        << fixture;
  }
}

// The character sets the environment names for mdbtools' programs are no
// business of the reader: names come out in UTF-8 whatever MDBICONV says,
// and a Jet 3 file is read in its own code page whatever MDB_JET3_CHARSET says.
TEST_F(FormatsTest, TheEnvironmentDoesNotChooseTheCharacterSet) {
  struct Variables {
    Variables() {
      ::setenv("MDBICONV", "KOI8-R", 1);
      ::setenv("MDB_JET3_CHARSET", "CP1252", 1);
    }
    ~Variables() {
      ::unsetenv("MDBICONV");
      ::unsetenv("MDB_JET3_CHARSET");
    }
    Variables(const Variables&) = delete;
    Variables& operator=(const Variables&) = delete;
  } const variables;  // for this test only, even when it fails
  for (const char* fixture : {"cyrillic_names", "cyrillic_names_jet3"}) {
    Connection connection(FixturePath(fixture), kNoHang);
    const std::vector<StatementOutcome> outcomes = connection.Run({{"сегменты", {{"оборудование", "Линии%"}}}});
    ASSERT_EQ(outcomes.size(), 1u);
    ASSERT_EQ(outcomes[0].failure, ReadFailure::None) << fixture << ": " << outcomes[0].name;
    EXPECT_EQ(outcomes[0].result.columns, (std::vector<std::string>{"Сегмент", "Оборудование"})) << fixture;
    ASSERT_TRUE(outcomes[0].result.has_row) << fixture;
    EXPECT_EQ(outcomes[0].result.row[0].text, "3C");
    EXPECT_EQ(outcomes[0].result.row[1].text, "Линии УСК 0-7");
  }
}

}  // namespace
}  // namespace ostrolen::testing
