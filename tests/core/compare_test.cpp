// Marking two results line by line: the pairing rules on hand-made lines,
// and the two read-back properties over random results.
#include "core/compare.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace ostrolen {
namespace {

SourcedLine FieldLine(int field, std::string text) {
  SourcedLine line{std::move(text), {}};
  line.origin.field = field;
  line.origin.mask[0] = 0x00F0;
  return line;
}

SourcedLine EntryLine(int word, std::uint16_t bit, std::string text) {
  SourcedLine line{std::move(text), {}};
  line.origin.mask[static_cast<std::size_t>(word)] = bit;
  return line;
}

SourcedLine PlainLine(std::string text) { return {std::move(text), {}}; }

std::string Marks(const std::vector<ComparedLine>& lines) {
  std::string marks;
  for (const ComparedLine& line : lines) marks += static_cast<char>(line.change);
  return marks;
}

TEST(CompareLines, FieldsPairByFieldWhateverTheirTexts) {
  const std::vector<SourcedLine> before = {FieldLine(0, "Класс: 1"), FieldLine(1, "Тип: А"), FieldLine(2, "Пусто")};
  const std::vector<SourcedLine> after = {FieldLine(0, "Класс: 1"), FieldLine(1, "Тип: Б"), FieldLine(2, "Пусто")};
  const std::vector<ComparedLine> lines = CompareLines(before, after);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], (ComparedLine{Change::Same, "Класс: 1", ""}));
  EXPECT_EQ(lines[1], (ComparedLine{Change::Changed, "Тип: Б", "Тип: А"}));
  EXPECT_EQ(lines[2], (ComparedLine{Change::Same, "Пусто", ""}));
  EXPECT_FALSE(AllSame(lines));
}

TEST(CompareLines, AFieldMissingOnOneSideIsGoneOrNewInItsPlace) {
  const std::vector<SourcedLine> before = {FieldLine(0, "a"), FieldLine(3, "Ограничение"), FieldLine(5, "c")};
  const std::vector<SourcedLine> after = {FieldLine(0, "a"), FieldLine(5, "c2"), FieldLine(6, "d")};
  const std::vector<ComparedLine> lines = CompareLines(before, after);
  EXPECT_EQ(Marks(lines), "=-~+");
  EXPECT_EQ(lines[1].text, "Ограничение");
}

TEST(CompareLines, AFieldOnSeveralLinesPairsInTurn) {
  const std::vector<SourcedLine> before = {FieldLine(2, "x1"), FieldLine(2, "x2"), FieldLine(4, "y")};
  const std::vector<SourcedLine> after = {FieldLine(2, "x1"), FieldLine(2, "x3"), FieldLine(2, "x4"),
                                          FieldLine(4, "y")};
  EXPECT_EQ(Marks(CompareLines(before, after)), "=~+=");
}

TEST(CompareLines, FaultLinesPairByWordAndBit) {
  // The same text from another entry is another line.
  const std::vector<SourcedLine> before = {EntryLine(0, 0x0040, "БВ 01-60 УВП 0-3"), EntryLine(1, 0x0040, "ИП 1")};
  const std::vector<SourcedLine> after = {EntryLine(1, 0x0040, "ИП 1"), EntryLine(1, 0x0001, "БВ 01-60 УВП 0-3")};
  const std::vector<ComparedLine> lines = CompareLines(before, after);
  EXPECT_EQ(Marks(lines), "-=+");
  EXPECT_EQ(lines[0].text, "БВ 01-60 УВП 0-3");
}

TEST(CompareLines, OtherLinesPairByText) {
  const std::vector<SourcedLine> before = {PlainLine("Линия 00012"), PlainLine("Бит 3"), PlainLine("")};
  const std::vector<SourcedLine> after = {PlainLine("Линия 00012"), PlainLine("Бит 4"), PlainLine("")};
  EXPECT_EQ(Marks(CompareLines(before, after)), "=-+=");
  EXPECT_EQ(Marks(CompareLines(before, before)), "===");
  EXPECT_TRUE(AllSame(CompareLines(before, before)));
  EXPECT_EQ(Marks(CompareLines({}, after)), "+++");
  EXPECT_EQ(Marks(CompareLines(before, {})), "---");
  EXPECT_TRUE(CompareLines({}, {}).empty());
}

TEST(CompareLines, ALineOfSeveralWordsIsNotAnEntry) {
  SourcedLine wide = PlainLine("Слово 0 и 1");
  wide.origin.mask = {0x8000, 0x8000, 0, 0};
  SourcedLine other = wide;
  other.text = "другое";
  EXPECT_EQ(Marks(CompareLines(std::vector{wide}, std::vector{other})), "-+");
}

// Random results from a few keys and texts, so that pairs, repeats and
// crossings all come up; both sides read back from the marks.
TEST(CompareLines, BothResultsReadBackFromTheMarks) {
  std::mt19937 random(18);
  const auto line = [&random]() {
    const int kind = static_cast<int>(random() % 3);
    const std::string text = "t" + std::to_string(random() % 4);
    if (kind == 0) return FieldLine(static_cast<int>(random() % 5), text);
    if (kind == 1)
      return EntryLine(static_cast<int>(random() % 2), static_cast<std::uint16_t>(1U << (random() % 3)), text);
    return PlainLine(text);
  };
  int changed = 0;
  for (int round = 0; round < 5000; ++round) {
    std::vector<SourcedLine> before(random() % 8);
    for (SourcedLine& one : before) one = line();
    std::vector<SourcedLine> after = before;
    if (round % 2 == 0) {
      after.resize(random() % 8);
      for (SourcedLine& one : after) one = line();
    } else if (!after.empty()) {
      after[random() % after.size()] = line();
    }
    const std::vector<ComparedLine> lines = CompareLines(before, after);
    std::vector<std::string> old_texts, new_texts;
    for (const SourcedLine& one : before) old_texts.push_back(one.text);
    for (const SourcedLine& one : after) new_texts.push_back(one.text);
    ASSERT_EQ(OldTexts(lines), old_texts) << "round " << round;
    ASSERT_EQ(NewTexts(lines), new_texts) << "round " << round;
    ASSERT_EQ(AllSame(lines), before == after) << "round " << round;
    for (const ComparedLine& one : lines) {
      if (one.change == Change::Changed) {
        ASSERT_NE(one.text, one.old_text);
        ++changed;
      }
    }
  }
  EXPECT_GT(changed, 100);
}

TEST(CompareLines, EveryMarkHasADescription) {
  for (const Change change : {Change::Same, Change::Changed, Change::Added, Change::Gone}) {
    EXPECT_FALSE(ChangeDescription(change).empty());
  }
}

}  // namespace
}  // namespace ostrolen
