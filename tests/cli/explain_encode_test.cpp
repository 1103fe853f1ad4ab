// ostrolen-cli decode --explain and encode as a person and a script use
// them: the lines with their bits, the fields of every page, composing
// words, and every usage error as one line with status 2.
#include <gtest/gtest.h>

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
using testing::Lines;
using Outcome = testing::CliOutcome;

// The part of each line before its TAB, and the part after it.
std::pair<std::vector<std::string>, std::vector<std::string>> Split(const std::string& explained) {
  std::vector<std::string> texts, sources;
  for (const std::string& line : Lines(explained)) {
    const std::size_t tab = line.rfind('\t');
    texts.push_back(tab == std::string::npos ? line : line.substr(0, tab));
    sources.push_back(tab == std::string::npos ? "<no tab>" : line.substr(tab + 1));
  }
  return {texts, sources};
}

const std::vector<std::string> kExplained = {"first-stage", "second-stage", "third-stage", "sko", "rko",
                                             "uvp",         "bg",           "vvk",         "puu"};

TEST(DecodeExplain, TheSkoExample) {
  const Outcome run = Cli({"decode", "--explain", "sko", "271A6"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 14U);
  EXPECT_EQ(lines[0], "Ограничение ведомственной связи \tw0:.............1..");
  EXPECT_EQ(lines[11], "Посылка вызова = ГВТ\tw0:.....1..........");
  EXPECT_EQ(lines[12], "Набор номера = Частотный\tw0:....1...........");
  EXPECT_EQ(lines[13], "Тип абонентской линии = Автоответчик (ГАВС) или перем. КФ\tw0:0101............");
}

TEST(DecodeExplain, EveryPageGivesDecodesLinesEachWithASourceOfItsWords) {
  std::mt19937 random(11);
  const std::string digits = "0123456789ABCDEF";
  for (const std::string& page : kExplained) {
    const bool code =
        page == "first-stage" || page == "second-stage" || page == "third-stage" || page == "sko" || page == "rko";
    const std::size_t words = page == "second-stage" || page == "third-stage"                    ? 4
                              : page == "rko" || page == "uvp" || page == "vvk" || page == "puu" ? 2
                                                                                                 : 1;
    for (int round = 0; round < 40; ++round) {
      std::vector<std::string> args = {"decode", page};
      for (std::size_t w = 0; w < words; ++w) {
        std::string word;
        for (int p = 0; p < (code ? 5 : 4); ++p) {
          // Positions within their maxima, so the four-word pages decode.
          const int max = code && p < 2 ? 8 : code && p == 2 ? 4 : 16;
          word += digits[static_cast<std::size_t>(random()) % static_cast<std::size_t>(max)];
        }
        args.push_back(word);
      }
      const Outcome plain = Cli(args);
      args.insert(args.begin() + 1, "--explain");
      const Outcome explained = Cli(args);
      ASSERT_EQ(explained.status, plain.status);
      ASSERT_EQ(explained.err, plain.err);
      const auto [texts, sources] = Split(explained.out);
      ASSERT_EQ(texts, Lines(plain.out)) << page;
      for (std::size_t i = 0; i < sources.size(); ++i) {
        if (texts[i].empty()) {
          EXPECT_EQ(sources[i], "") << page;
          continue;
        }
        // Items "wN:" and 16 characters of 0, 1 and ".", the bits agreeing with the word typed.
        std::istringstream items(sources[i]);
        for (std::string item; items >> item;) {
          ASSERT_EQ(item.size(), 19U) << item;
          ASSERT_EQ(item[0], 'w');
          const std::size_t w = static_cast<std::size_t>(item[1] - '0');
          ASSERT_LT(w, words);
          const std::string& text = args[3 + w];
          const unsigned value = static_cast<unsigned>(std::stoul(text, nullptr, 16));
          unsigned bits = 0;
          if (code) {
            // The five positions carry 3, 3, 2, 4 and 4 bits.
            const unsigned p[5] = {static_cast<unsigned>(std::stoul(text.substr(0, 1), nullptr, 16)),
                                   static_cast<unsigned>(std::stoul(text.substr(1, 1), nullptr, 16)),
                                   static_cast<unsigned>(std::stoul(text.substr(2, 1), nullptr, 16)),
                                   static_cast<unsigned>(std::stoul(text.substr(3, 1), nullptr, 16)),
                                   static_cast<unsigned>(std::stoul(text.substr(4, 1), nullptr, 16))};
            bits = (p[0] << 13) | (p[1] << 10) | (p[2] << 8) | (p[3] << 4) | p[4];
          } else {
            bits = value;
          }
          for (int k = 0; k < 16; ++k) {
            const char c = item[3 + static_cast<std::size_t>(k)];
            if (c == '.') continue;
            ASSERT_EQ(c, ((bits >> (15 - k)) & 1U) != 0 ? '1' : '0') << page << " " << sources[i];
          }
        }
      }
    }
  }
}

TEST(DecodeExplain, StandardInputLineByLine) {
  const Outcome run = Cli({"decode", "--explain", "uvp", "-"}, "0075 003F\n\n0035 003E\n");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "БВ 01-60 УВП 0-3\tw0:.........1......\n\\\nИ3 110В 0-й ствол\tw1:...............0\n");
}

TEST(DecodeExplain, MessagesAndFailuresAsDecodeGivesThem) {
  // A report on standard error, the lines with their sources.
  const Outcome warned = Cli({"decode", "--explain", "first-stage", "9529C"});
  EXPECT_EQ(warned.status, 0);
  EXPECT_EQ(warned.err, "Ошибка!!!: Первый знак должен быть не более 7!\n");
  EXPECT_EQ(Lines(warned.out).at(0), "сокращённый класс обслуживания=3\tw0:0011............");
  // The count of failed checks depends on no bit.
  const Outcome counted = Cli({"decode", "--explain", "second-stage", "80000"});
  EXPECT_EQ(counted.out, "Ошибок при вводе = 1\t\n");
}

TEST(DecodeExplain, UsageErrors) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"decode", "--explain"},
           {"decode", "--explain", "nothing", "1"},
           {"decode", "--explain", "usk0", "00012", "5FFF"},
           {"decode", "--explain", "word-to-bits", "271A6"},
           {"decode", "--explain", "segment", "0", "0"},
           {"decode", "--explain", "sko", "271A6X"},
       }) {
    const Outcome run = Cli(args);
    EXPECT_EQ(run.status, 2) << args.back();
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
}

TEST(DecodeExplain, HelpDescribesIt) {
  const Outcome run = Cli({"decode", "--help"});
  EXPECT_NE(run.out.find("decode [--explain] PAGE WORD..."), std::string::npos);
  EXPECT_NE(run.out.find("ostrolen-cli decode --explain sko 271A6"), std::string::npos);
}

// --- encode ------------------------------------------------------------------

TEST(Encode, TheDiallingOfTheSkoExample) {
  const Outcome run = Cli({"encode", "sko", "271A6", "Набор номера=Декадый"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "251A6\n");
  const std::vector<std::string> before = Lines(Cli({"decode", "sko", "271A6"}).out);
  std::vector<std::string> after = Lines(Cli({"decode", "sko", "251A6"}).out);
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(after[12], "Набор номера = Декадый");
  after[12] = before[12];
  EXPECT_EQ(after, before);
}

TEST(Encode, NoSettingGivesTheWordsBackAsTheBoxesTakeThem) {
  EXPECT_EQ(Cli({"encode", "sko", "271a6"}).out, "271A6\n");
  EXPECT_EQ(Cli({"encode", "rko", "00359", "362C5"}).out, "00359\n362C5\n");
  // Words not given are zero.
  EXPECT_EQ(Cli({"encode", "second-stage", "03245"}).out, "03245\n00000\n00000\n00000\n");
  EXPECT_EQ(Cli({"encode", "third-stage"}).out, "00000\n00000\n00000\n00000\n");
  EXPECT_EQ(Cli({"encode", "first-stage", "3-5-2-9-C"}).out, "3529C\n");
}

TEST(Encode, SettingsInOrderByTextByBitsAndByNumber) {
  EXPECT_EQ(Cli({"encode", "first-stage", "сокращённый класс обслуживания=7", "нормализованная сотня=13",
                 "десятки-еденицы=28"})
                .out,
            "3529C\n");
  EXPECT_EQ(Cli({"encode", "sko", "00000", "Тип абонентской линии=0b1000"}).out, "40000\n");
  EXPECT_EQ(Cli({"encode", "sko", "00000", "Тип абонентской линии=САК", "Тип абонентской линии=0b0001"}).out,
            "04000\n");
  EXPECT_EQ(Cli({"encode", "sko", "00000", "Ограничение исходящей связи=есть"}).out, "00002\n");
  EXPECT_EQ(Cli({"encode", "sko", "00000", "Услуга \"Напоминание\"(НАП)=включена"}).out, "00020\n");
  EXPECT_EQ(Cli({"encode", "second-stage", "№ 4-словного блока ОЗУ=173FF", "Расширенный класс обслуживания=A"}).out,
            "00000\n00050\n173FF\n00000\n");
  EXPECT_EQ(Cli({"encode", "third-stage", "Ключ-пароль=1234", "Линейный номер абонента ПАБ=65535"}).out,
            "00000\n773FF\n20321\n00000\n");
  // A field of the other form switches the first stage's form; its fields start at zero.
  EXPECT_EQ(Cli({"encode", "first-stage", "3529C", "№ 4-словного блока 2-й ступени=00005"}).out, "40005\n");
  EXPECT_EQ(Cli({"encode", "first-stage", "773FF", "форма=класс и номер"}).out, "00000\n");
}

TEST(Encode, FieldsOfEveryPage) {
  const Outcome sko = Cli({"encode", "sko", "--fields"});
  ASSERT_EQ(sko.status, 0);
  const std::vector<std::string> lines = Lines(sko.out);
  ASSERT_EQ(lines.size(), 15U);
  EXPECT_EQ(lines[0], "Ограничение ведомственной связи\tw0:.............x..\tнет\tесть");
  EXPECT_EQ(lines[3], "Услуга \"Экстренная связь\"(Экс)\tw0:............x...\tвыключена\tвключена");
  EXPECT_EQ(lines[13], "Набор номера\tw0:....x...........\tДекадый\tЧастотный");
  EXPECT_EQ(lines[14].rfind("Тип абонентской линии\tw0:xxxx............\tИндивидуальный", 0), 0U);
  EXPECT_NE(lines[14].find("\t0b1000\t"), std::string::npos);
  EXPECT_EQ(lines[14].substr(lines[14].size() - 7), "\t0b1111");
  const std::vector<std::string> second = Lines(Cli({"encode", "second-stage", "--fields"}).out);
  EXPECT_EQ(second[0], "Нормализованная сотня\tw0:....xxxxx.......\t0..31");
  EXPECT_EQ(second[5], "Количество сокращённых номеров\tw1:......xxx.......\t0..7");
  EXPECT_EQ(second.back(), "Линейный № секретаря (при ПАЗ)\tw3:xxxxxxxxxxxxxxxx\t00000..773FF");
  // Every field of every page can be set to each value it lists, and back.
  for (const std::string page : {"first-stage", "second-stage", "third-stage", "sko", "rko"}) {
    for (const std::string& line : Lines(Cli({"encode", page, "--fields"}).out)) {
      std::vector<std::string> parts;
      std::istringstream in(line);
      for (std::string part; std::getline(in, part, '\t');) parts.push_back(part);
      ASSERT_GE(parts.size(), 3U) << line;
      std::vector<std::string> values(parts.begin() + 2, parts.end());
      if (values.size() == 1) {
        const std::size_t dots = values[0].find("..");
        values = {values[0].substr(0, dots), values[0].substr(dots + 2)};
      }
      for (const std::string& value : values) {
        const Outcome set = Cli({"encode", page, parts[0] + "=" + value});
        EXPECT_EQ(set.status, 0) << page << ": " << parts[0] << "=" << value << ": " << set.err;
      }
    }
  }
}

TEST(Encode, UsageErrorsPrintOneLineAndNothingElse) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"encode"},
           {"encode", "uvp", "0075"},
           {"encode", "nothing"},
           {"encode", "sko", "271A6", "Нет такого=1"},
           {"encode", "sko", "271A6", "Набор номера=Импульсный"},
           {"encode", "sko", "271A6", "Набор номера=0b2"},
           {"encode", "sko", "271A6", "Тип абонентской линии=0b10000"},
           {"encode", "second-stage", "Нормализованная сотня=32"},
           {"encode", "second-stage", "Нормализованная сотня=-1"},
           {"encode", "second-stage", "№ 4-словного блока ОЗУ=273FF"},
           {"encode", "sko", "971A6"},
           {"encode", "sko", "271A"},
           {"encode", "sko", "27GA6"},
           {"encode", "sko", "271A6", "271A6"},
           {"encode", "sko", "Набор номера=Декадый", "271A6"},
       }) {
    const Outcome run = Cli(args);
    EXPECT_EQ(run.status, 2) << args.back();
    EXPECT_EQ(run.out, "") << args.back();
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.err.rfind("ostrolen-cli: ", 0), 0U) << run.err;
  }
}

TEST(Encode, HelpListsEveryPageAndItsFieldsWithExamples) {
  const Outcome run = Cli({"encode", "--help"});
  ASSERT_EQ(run.status, 0);
  for (const std::string page : {"first-stage", "second-stage", "third-stage", "sko", "rko"}) {
    EXPECT_NE(run.out.find("\n  " + page + "\n"), std::string::npos) << page;
  }
  EXPECT_NE(run.out.find("    Набор номера = Декадый | Частотный\n"), std::string::npos);
  EXPECT_NE(run.out.find("ostrolen-cli encode sko 271A6 'Набор номера=Декадый'"), std::string::npos);
}

TEST(Encode, EveryExampleOfTheHelpRuns) {
  const std::string help = Cli({"encode", "--help"}).out;
  int examples = 0;
  for (const std::string& line : Lines(help)) {
    const std::size_t at = line.find("ostrolen-cli encode ");
    if (at == std::string::npos || line.find("PAGE") != std::string::npos) continue;  // the usage lines
    ++examples;
    const std::string command = std::string(OSTROLEN_CLI_PATH) + line.substr(at + std::string("ostrolen-cli").size());
    const testing::ProcessRun run = testing::RunShell(command + " 2>&1");
    EXPECT_EQ(run.status, 0) << line << "\n" << run.out;
    EXPECT_FALSE(run.out.empty()) << line;
  }
  EXPECT_GE(examples, 9);
}

TEST(Encode, TheProgramItself) {
  const testing::ProcessRun run =
      testing::RunShell(std::string(OSTROLEN_CLI_PATH) + " encode sko 271A6 'Набор номера=Декадый'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "251A6\n");
  EXPECT_EQ(testing::RunShell(std::string(OSTROLEN_CLI_PATH) + " encode sko 2>/dev/null 271A6 X=1").status, 2);
}

}  // namespace
}  // namespace ostrolen
