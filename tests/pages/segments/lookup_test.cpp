// The lookup end to end, as the operator sees it: boxes typed, "Запрос"
// pressed, the list and the message boxes after the press.
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "pages/segments/segments.h"
#include "tests/pages/segments/segments_support.h"
#include "tests/support/press.h"

namespace ostrolen::testing {
namespace {

constexpr char kEquipment[] = "Проверяемое оборудование:";
constexpr char kProgram[] = "Наименование исполнительной программы:";
constexpr char kFault[] = "Неисправность:";
constexpr char kNote[] = "Примечание:";
constexpr char kObject[] = "Объект управления:";
constexpr char kInfo[] = "Информация в УСК:";
constexpr char kReceiver[] = "Приемник:";
constexpr char kState[] = "Состояние точки сканирования:";
constexpr char kSeparator[] = "------------------------------------------------";
constexpr char kNoValue[] = "Invalid variant type conversion.";

Lines Concat(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Lines EquipmentLines(const std::string& equipment) { return {kEquipment, equipment, ""}; }

// An ordinary segment's step, as the fixtures name its texts.
Lines Ordinary(const std::string& equipment, const std::string& key) {
  return Concat({EquipmentLines(equipment),
                 {kProgram, "Программа " + key, "", kFault, "Неисправность " + key, "", kNote, "Примечание " + key}});
}

// A control step with one description: the state fourth.
Lines OneDescription(const std::string& equipment, const std::string& key, const std::string& state) {
  return Concat({EquipmentLines(equipment),
                 {kObject, "Объект " + key, "", kInfo, "Информация " + key, "", kReceiver, "Приемник " + key, "",
                  kState, state, "", kFault, "Неисправность " + key, "", kNote, "Примечание " + key, ""}});
}

// One of two descriptions: the state first.
Lines StateBlock(const std::string& key, const std::string& state) {
  return {kState,
          state,
          "",
          kObject,
          "Объект " + key,
          "",
          kInfo,
          "Информация " + key,
          "",
          kReceiver,
          "Приемник " + key,
          "",
          kFault,
          "Неисправность " + key,
          "",
          kNote,
          "Примечание " + key,
          ""};
}

struct Case {
  const char* what;
  const char* fixture;
  const char* segment;
  const char* step;
  Lines lines;
  std::string error;  // as the error box shows it; empty: no error
};

// Test names show what a case is about, not its bytes.
void PrintTo(const Case& c, std::ostream* os) { *os << c.what; }

class LookupTest : public DatabaseFolder, public ::testing::WithParamInterface<Case> {};

TEST_P(LookupTest, ShowsTheLinesAndTheError) {
  const Case& c = GetParam();
  Place(c.fixture);
  ModelWindow window;
  const std::vector<Message> messages =
      PressWith(window, "SpeedButton17", {{"Edit329", c.segment}, {"Edit330", c.step}});
  EXPECT_EQ(window.Lines("ListBox10"), c.lines);
  if (c.error.empty()) {
    EXPECT_TRUE(messages.empty());
  } else {
    EXPECT_EQ(messages, std::vector<Message>{Error(c.error)});
  }
  EXPECT_EQ(Texts(window, {"Edit329", "Edit330"}), (std::vector<std::string>{c.segment, c.step}));
}

const Lines kDescriptions3D7 =
    Concat({EquipmentLines("Линии УСК 8-F"), StateBlock("3D-7/0", "0"), {kSeparator}, StateBlock("3D-7/1", "1")});

INSTANTIATE_TEST_SUITE_P(
    Kinds, LookupTest,
    ::testing::Values(
        Case{"ordinary", "lookup", "12", "1", Ordinary("Блок групповой БГ 2", "12-1"), ""},
        Case{"first equipment row only", "lookup", "12", "2", Ordinary("Блок групповой БГ 2", "12-2"), ""},
        Case{"one description", "lookup", "3C", "5", OneDescription("Линии УСК 0-7", "3C-5", "0"), ""},
        Case{"one description, lower case", "lookup", "3c", "5", OneDescription("Линии УСК 0-7", "3C-5", "0"), ""},
        Case{"two descriptions", "lookup", "3D", "7", kDescriptions3D7, ""},
        Case{"two descriptions, lower case", "lookup", "3d", "7", kDescriptions3D7, ""},
        Case{"4C is ordinary", "lookup", "4C", "1", Ordinary("Сегмент 4C", "4C-1"), ""},
        Case{"3 is ordinary", "lookup", "3", "1", Ordinary("Сегмент 3", "3-1"), ""},
        Case{"a blank makes it ordinary", "lookup", "3 ", "1", {kEquipment}, kNoValue},
        Case{"Cyrillic letters match in either case", "lookup", "ж1", "1", Ordinary("Сегмент Ж1", "Ж1-1"), ""},
        Case{"a tab in a value", "lookup", "S1", "1", Ordinary("Табуляция:\tконец", "S1-1"), ""}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(
    Missing, LookupTest,
    ::testing::Values(
        Case{"segment not in the file", "lookup", "99", "1", {kEquipment}, kNoValue},
        Case{"step not in the file", "lookup", "12", "9", Concat({EquipmentLines("Блок групповой БГ 2"), {kProgram}}),
             kNoValue},
        Case{"null program", "lookup", "12", "3", Concat({EquipmentLines("Блок групповой БГ 2"), {kProgram}}),
             kNoValue},
        Case{"control step with no row: null d", "lookup", "3E", "2",
             Concat({EquipmentLines("Линии УСК, сегмент 3E"), {kState}}), kNoValue},
        Case{"no row for state 1", "lookup", "3F", "4",
             Concat({EquipmentLines("Линии УСК, сегмент 3F"), StateBlock("3F-4/0", "0"), {kSeparator, kState}}),
             kNoValue},
        Case{"null note in one description", "lookup", "3C", "6",
             Concat({EquipmentLines("Линии УСК 0-7"),
                     {kObject, "Объект 3C-6", "", kInfo, "Информация 3C-6", "", kReceiver, "Приемник 3C-6", "", kState,
                      "1", "", kFault, "Неисправность 3C-6", "", kNote}}),
             kNoValue},
        Case{"empty texts are empty lines",
             "lookup",
             "E1",
             "1",
             {kEquipment, "", "", kProgram, "", "", kFault, "Неисправность E1-1", "", kNote, ""},
             ""},
        Case{"a null is an error", "lookup", "N1", "1", {kEquipment}, kNoValue}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

// Quotes are data; the Jet wildcards work, other signs are themselves.
INSTANTIATE_TEST_SUITE_P(
    Patterns, LookupTest,
    ::testing::Values(
        Case{"quotes typed in both boxes", "lookup", "7'", "1'",
             Concat({EquipmentLines("Сегмент с кавычкой"),
                     {kProgram, "Программа с кавычками", "", kFault, "Неисправность 7'-1'", "", kNote,
                      "Примечание 7'-1'"}}),
             ""},
        Case{"a lone quote finds nothing", "lookup", "'", "1", {kEquipment}, kNoValue},
        Case{"quote after a segment", "lookup", "12", "'", Concat({EquipmentLines("Блок групповой БГ 2"), {kProgram}}),
             kNoValue},
        Case{"_ takes the first match in file order", "lookup", "5_", "1", Ordinary("Сегмент 5B", "5B-1"), ""},
        Case{"% in both boxes: the first rows", "lookup", "%", "%", Ordinary("Оборудование сегмента 0", "0-0"), ""},
        Case{"_ for one character", "lookup", "_", "_", Ordinary("Оборудование сегмента 0", "0-0"), ""},
        Case{"a set", "lookup", "[5]A", "1", Ordinary("Сегмент 5A", "5A-1"), ""},
        Case{"* is itself", "lookup", "*", "1", Ordinary("Сегмент «звёздочка»", "*-1"), ""},
        Case{"? is itself", "lookup", "?", "1", {kEquipment}, kNoValue},
        Case{"# is itself", "lookup", "#", "1", {kEquipment}, kNoValue},
        Case{"an open [ is refused", "lookup", "[", "1", {}, "Недопустимый образец поиска «[»."}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(
    Schema, LookupTest,
    ::testing::Values(
        Case{"names in other cases", "names", "12", "1", Ordinary("Оборудование 12", "12-1"), ""},
        Case{"numeric zero d, text ts", "names", "3C", "1", OneDescription("Оборудование 3C", "3C-1", "0"), ""},
        Case{"numeric non-zero d", "names", "3C", "2",
             Concat({EquipmentLines("Оборудование 3C"),
                     StateBlock("3C-2/0", "0"),
                     {kSeparator},
                     StateBlock("3C-2/1", "1")}),
             ""},
        Case{
            "no equipment table", "no_tables", "12", "1", {}, "В базе данных «dbveltra.mdb» нет таблицы «segmoborud»."},
        Case{"no step table", "equipment_only", "12", "1", EquipmentLines("Оборудование 12"),
             "В базе данных «dbveltra.mdb» нет таблицы «Segment»."},
        Case{"no control table", "equipment_only", "3C", "1", EquipmentLines("Оборудование 3C"),
             "В базе данных «dbveltra.mdb» нет таблицы «segmentkup»."},
        Case{"no oborud column", "no_oborud", "12", "1", {kEquipment}, "ADOQuery1: Field 'oborud' not found."},
        Case{"no prim column", "missing_columns", "12", "1",
             Concat({EquipmentLines("Оборудование 12"),
                     {kProgram, "Программа 12-1", "", kFault, "Неисправность 12-1", "", kNote}}),
             "ADOQuery1: Field 'prim' not found."},
        Case{"no ts column to read", "missing_columns", "3C", "1",
             Concat({EquipmentLines("Оборудование 3C"),
                     {kObject, "Объект 3C-1", "", kInfo, "Информация 3C-1", "", kReceiver, "Приемник 3C-1", "",
                      kState}}),
             "ADOQuery1: Field 'ts' not found."},
        Case{"no ts column to match", "missing_columns", "3C", "2", EquipmentLines("Оборудование 3C"),
             "В таблице «segmentkup» базы данных «dbveltra.mdb» нет столбца «ts»."},
        Case{"no nomstep column to match", "missing_d", "12", "1", EquipmentLines("Оборудование 12"),
             "В таблице «Segment» базы данных «dbveltra.mdb» нет столбца «nomstep»."},
        Case{"no d column", "missing_d", "3C", "1", EquipmentLines("Оборудование 3C"),
             "ADOQuery1: Field 'd' not found."}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

using SegmentsPageTest = DatabaseFolder;

TEST_F(SegmentsPageTest, EmptyBoxesBecomeSegmentZeroStepZero) {
  Place("lookup");
  ModelWindow window;
  EXPECT_TRUE(PressWith(window, "SpeedButton17").empty());
  EXPECT_EQ(Texts(window, {"Edit329", "Edit330"}), (std::vector<std::string>{"0", "0"}));
  EXPECT_EQ(window.Lines("ListBox10"), Ordinary("Оборудование сегмента 0", "0-0"));
}

TEST_F(SegmentsPageTest, MissingFileThenPresentWorksWithoutRestart) {
  ModelWindow window;
  EXPECT_EQ(PressWith(window, "SpeedButton17", {{"Edit329", "12"}, {"Edit330", "1"}}),
            std::vector<Message>{Error("Не найден файл базы данных «dbveltra.mdb».")});
  EXPECT_TRUE(window.Lines("ListBox10").empty());
  Place("lookup");
  EXPECT_TRUE(PressWith(window, "SpeedButton17").empty());
  EXPECT_EQ(window.Lines("ListBox10"), Ordinary("Блок групповой БГ 2", "12-1"));
  // Gone again: the list is cleared before the error.
  std::filesystem::remove(Database());
  EXPECT_EQ(PressWith(window, "SpeedButton17"),
            std::vector<Message>{Error("Не найден файл базы данных «dbveltra.mdb».")});
  EXPECT_TRUE(window.Lines("ListBox10").empty());
}

TEST_F(SegmentsPageTest, AReplacedFileIsReadAfresh) {
  ModelWindow window;
  Place("lookup");
  PressWith(window, "SpeedButton17", {{"Edit329", "12"}, {"Edit330", "1"}});
  EXPECT_EQ(window.Lines("ListBox10"), Ordinary("Блок групповой БГ 2", "12-1"));
  Place("names");
  EXPECT_TRUE(PressWith(window, "SpeedButton17").empty());
  EXPECT_EQ(window.Lines("ListBox10"), Ordinary("Оборудование 12", "12-1"));
}

TEST_F(SegmentsPageTest, TheFileIsOnlyRead) {
  Place("lookup");
  ::chmod(Database().c_str(), 0444);
  const std::string before = ReadBytes(Database());
  const auto written = std::filesystem::last_write_time(Database());
  ModelWindow window;
  PressWith(window, "SpeedButton17", {{"Edit329", "3D"}, {"Edit330", "7"}});
  EXPECT_EQ(window.Lines("ListBox10").size(), 40u);
  EXPECT_EQ(ReadBytes(Database()), before);
  EXPECT_EQ(std::filesystem::last_write_time(Database()), written);
  // No lock file beside it, nothing else made.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), std::filesystem::directory_iterator()), 1);
}

TEST_F(SegmentsPageTest, NotADatabase) {
  WriteBytes(Database(), "Segment\t12\nНе база данных, а текст.\n");
  ModelWindow window;
  EXPECT_EQ(PressWith(window, "SpeedButton17", {{"Edit329", "12"}, {"Edit330", "1"}}),
            std::vector<Message>{Error("Файл «dbveltra.mdb» не является базой данных Access.")});
  EXPECT_TRUE(window.Lines("ListBox10").empty());
  WriteBytes(Database(), "");
  EXPECT_EQ(PressWith(window, "SpeedButton17"),
            std::vector<Message>{Error("Файл «dbveltra.mdb» не является базой данных Access.")});
}

TEST_F(SegmentsPageTest, AFolderNamedLikeTheDatabase) {
  std::filesystem::create_directory(Database());
  ModelWindow window;
  EXPECT_EQ(PressWith(window, "SpeedButton17"),
            std::vector<Message>{Error("«dbveltra.mdb» — не файл базы данных, а папка или устройство.")});
}

TEST_F(SegmentsPageTest, TheErrorLeavesTheLinesAndTheNextPressWorks) {
  Place("lookup");
  ModelWindow window;
  PressWith(window, "SpeedButton17", {{"Edit329", "3E"}, {"Edit330", "2"}});
  EXPECT_EQ(window.Lines("ListBox10"), Concat({EquipmentLines("Линии УСК, сегмент 3E"), {kState}}));
  EXPECT_TRUE(PressWith(window, "SpeedButton17", {{"Edit330", "1"}}).empty());
  EXPECT_EQ(window.Lines("ListBox10"), OneDescription("Линии УСК, сегмент 3E", "3E-1", "0"));
}

// The reader is a program of its own: a crash or a hang there is an error
// box, and what it answered before still counts.
class FakeReaderTest : public DatabaseFolder {
 protected:
  // The lookup's lines and error with the reader at `reader`.
  std::pair<Lines, std::string> Lookup(const std::string& reader, std::string_view segment, std::string_view step,
                                       std::chrono::milliseconds limit = kNoHang) {
    ::setenv("OSTROLEN_MDB_READER", reader.c_str(), 1);
    Connection connection(std::string(kDatabaseFile), limit);
    Lines lines;
    std::string error;
    try {
      SegmentLookup(connection, segment, step, [&](std::string_view line) { lines.emplace_back(line); });
    } catch (const DatabaseError& e) {
      error = e.what();
    }
    ::unsetenv("OSTROLEN_MDB_READER");
    return {lines, error};
  }
  std::string RealReader() const { return FindReader(); }
};

TEST_F(FakeReaderTest, ACrashIsAnErrorAndTheAnswersBeforeItStand) {
  Place("lookup");
  // The real reader's answer to the equipment statement, then a crash.
  Connection probe(std::string(kDatabaseFile), kNoHang);
  const std::vector<StatementOutcome> outcomes = probe.Run(LookupStatements("12", "1"));
  ASSERT_EQ(outcomes.size(), 2u);
  WriteBytes(folder_ / "first", EncodeFrame(frame::kOutcome, EncodeOutcome(outcomes[0])));
  const std::string half = Script("half", "cat \"" + (folder_ / "first").string() + "\"\nkill -SEGV $$");
  EXPECT_EQ(
      Lookup(half, "12", "1"),
      std::make_pair(EquipmentLines("Блок групповой БГ 2"),
                     std::string("Чтение базы данных «dbveltra.mdb» завершилось аварийно: файл, видимо, повреждён")));
  const std::string dies = Script("dies", "kill -SEGV $$");
  EXPECT_EQ(
      Lookup(dies, "12", "1"),
      std::make_pair(Lines{},
                     std::string("Чтение базы данных «dbveltra.mdb» завершилось аварийно: файл, видимо, повреждён")));
  const std::string garbage = Script("garbage", "echo 'not an answer'");
  EXPECT_EQ(Lookup(garbage, "3C", "5"),
            std::make_pair(Lines{}, std::string("Чтение базы данных «dbveltra.mdb» завершилось аварийно: файл, "
                                                "видимо, повреждён")));
}

TEST_F(FakeReaderTest, AHangIsCutShort) {
  Place("lookup");
  const std::string hangs = Script("hangs", "exec sleep 30");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Lookup(hangs, "3D", "7", std::chrono::milliseconds(300)),
            std::make_pair(Lines{}, std::string("Чтение базы данных «dbveltra.mdb» не завершилось вовремя и "
                                                "прервано: файл, видимо, повреждён")));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

// $OSTROLEN_READER_TIME_LIMIT_MS sets the reader's limit where nothing else
// does: a whole number of milliseconds from 1 on, anything else the default.
TEST_F(FakeReaderTest, TheTimeLimitFromTheEnvironment) {
  const std::vector<std::pair<const char*, long long>> cases = {
      {nullptr, 5000},     {"", 5000}, {"0", 5000},  {"-5", 5000},       {"12x", 5000},
      {" 300", 5000},      {"1", 1},   {"300", 300}, {"120000", 120000}, {"999999999", 999999999},
      {"1000000000", 5000}};
  for (const auto& [text, ms] : cases) {
    if (text != nullptr) ::setenv("OSTROLEN_READER_TIME_LIMIT_MS", text, 1);
    else ::unsetenv("OSTROLEN_READER_TIME_LIMIT_MS");
    EXPECT_EQ(ReaderTimeLimit().count(), ms) << (text ? text : "unset");
  }
  ::setenv("OSTROLEN_READER_TIME_LIMIT_MS", "abc", 1);
  EXPECT_EQ(ReaderTimeLimit(std::chrono::seconds(10)).count(), 10000);

  // A reader that hangs is cut short after the limit the variable gives.
  Place("lookup");
  ::setenv("OSTROLEN_READER_TIME_LIMIT_MS", "300", 1);
  ::setenv("OSTROLEN_MDB_READER", Script("hangs", "exec sleep 30").c_str(), 1);
  const auto start = std::chrono::steady_clock::now();
  Connection connection;
  Lines lines;
  std::string error;
  try {
    SegmentLookup(connection, "3D", "7", [&](std::string_view line) { lines.emplace_back(line); });
  } catch (const DatabaseError& e) {
    error = e.what();
  }
  ::unsetenv("OSTROLEN_MDB_READER");
  ::unsetenv("OSTROLEN_READER_TIME_LIMIT_MS");
  EXPECT_EQ(error, "Чтение базы данных «dbveltra.mdb» не завершилось вовремя и прервано: файл, видимо, повреждён");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

TEST_F(FakeReaderTest, AMissingReader) {
  Place("lookup");
  EXPECT_EQ(Lookup((folder_ / "nowhere").string(), "12", "1"),
            std::make_pair(
                Lines{}, "Не удалось запустить программу чтения базы данных «" + (folder_ / "nowhere").string() + "»"));
}

// Every one- and two-character text: only the eight spellings of 3C-3F are
// control-memory segments.
TEST(ControlSegment, OnlyTheEightExactTexts) {
  const std::vector<std::string> expected = {"3C", "3D", "3E", "3F", "3c", "3d", "3e", "3f"};
  std::vector<std::string> found;
  for (int a = 0x20; a < 0x7F; ++a) {
    if (IsControlSegment(std::string(1, static_cast<char>(a)))) found.emplace_back(1, static_cast<char>(a));
    for (int b = 0x20; b < 0x7F; ++b) {
      const std::string text = {static_cast<char>(a), static_cast<char>(b)};
      if (IsControlSegment(text)) found.push_back(text);
    }
  }
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, expected);
  EXPECT_FALSE(IsControlSegment("3С"));  // Cyrillic С
  EXPECT_FALSE(IsControlSegment(" 3C"));
}

}  // namespace
}  // namespace ostrolen::testing
