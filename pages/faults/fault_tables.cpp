// The four fault tables, in output order: {word, bit position, text}.
// Bit position 1 is the most significant bit (weight 8000), 16 the least.
#include <array>

#include "pages/faults/faults.h"

namespace ostrolen {
namespace {

// One entry a line, as the tables are read.
// clang-format off

// Masks 0035 (word 1) and 003F (word 2). Not monitored: bits 1 and 9 of
// word 1, bits 1, 9 and 10 of word 2.
constexpr std::array kUvpEntries = {
    FaultEntry{1, 16, "И3 СС 0-й ствол"},
    FaultEntry{1, 15, "И3 ТС 0-й ствол"},
    FaultEntry{1, 14, "И3 СС 1-й ствол"},
    FaultEntry{1, 13, "И3 ТС 1-й ствол"},
    FaultEntry{1, 12, "1-я группа ПАК 0,4,8,С"},  // [sic] the last letter is the Cyrillic С
    FaultEntry{1, 11, "2-я группа ПАК 1,5,9,D"},  // [sic] Latin D
    FaultEntry{1, 10, "БВ 01-60 УВП 0-3"},
    FaultEntry{1, 8, "БП-15 0БГ"},
    FaultEntry{1, 7, "БП-110 0БГ"},
    FaultEntry{1, 6, "ГТС СС 0БГ"},
    FaultEntry{1, 5, "ГТС СЗ 0БГ"},
    FaultEntry{1, 4, "ГВС 25Гц 0БГ"},
    FaultEntry{1, 3, "ГВС 110В 0БГ"},
    FaultEntry{1, 2, "ГВТ 0-й ствол"},
    FaultEntry{2, 16, "И3 110В 0-й ствол"},
    FaultEntry{2, 15, "И3 25Гц 0-й ствол"},
    FaultEntry{2, 14, "И3 110В 1-й ствол"},
    FaultEntry{2, 13, "И3 25Гц 1-й ствол"},
    FaultEntry{2, 12, "1-я группа ПАК 2,6,A,E"},  // [sic] Latin A and E
    FaultEntry{2, 11, "2-я группа ПАК 3,7,B,F"},  // [sic] Latin B and F
    FaultEntry{2, 8, "БП-15 1БГ"},
    FaultEntry{2, 7, "БП-110 1БГ"},
    FaultEntry{2, 6, "ГТС СС 1БГ"},
    FaultEntry{2, 5, "ГТС СЗ 1БГ"},
    FaultEntry{2, 4, "ГВС 25Гц 1БГ"},
    FaultEntry{2, 3, "ГВС 110В 1БГ"},
    FaultEntry{2, 2, "ГВТ 1-й ствол"},
};

// Mask 0000. Side 1 in the right half, side 0 in the left; bits 5, 6, 13
// and 14 are not monitored.
constexpr std::array kBgEntries = {
    FaultEntry{1, 16, "БВ 01-60 1ТС 60В"},
    FaultEntry{1, 15, "БП-27В 1-й ствол"},
    FaultEntry{1, 12, "БП-12В БЗУ 1ЭУМ "},  // ends in a blank; its side-0 twin does not
    FaultEntry{1, 11, "БП-5В БВВ 1ЭУМ"},
    FaultEntry{1, 10, "БВ 01-60 1ТС 27В"},
    FaultEntry{1, 9, "БП-5В БК-1 1-й ствол"},
    FaultEntry{1, 8, "БВ 01-60 0ТС 60В"},
    FaultEntry{1, 7, "БП-27В 0-й ствол"},
    FaultEntry{1, 4, "БП-12В БЗУ 0ЭУМ"},
    FaultEntry{1, 3, "БП-5В БВВ 0ЭУМ"},
    FaultEntry{1, 2, "БВ 01-60 0ТС 27В"},
    FaultEntry{1, 1, "БП-5В БК-1 0-й ствол"},
};

// Masks 0034 (word 1) and 0030 (word 2); only bits 11 to 16 are monitored.
constexpr std::array kVvkEntries = {
    FaultEntry{1, 16, "БП-5В ВВК 1-Й ствол ТС"},  // capital Й, as the console prints it
    FaultEntry{1, 15, "БВ 01-60 1-й ствол ТС"},
    FaultEntry{1, 14, "ПСГ"},  // one text for both words
    FaultEntry{1, 13, "БП-27/15В 1-йствол ТС"},
    FaultEntry{1, 12, "УПД 0-го ствола 0ТС"},
    FaultEntry{1, 11, "УПД 0-го ствола 1ТС"},
    FaultEntry{2, 16, "БП-5В ВВК 0-Й ствол ТС"},
    FaultEntry{2, 15, "БВ 01-60 0-й ствол ТС"},
    FaultEntry{2, 14, "ПСГ"},
    FaultEntry{2, 13, "БП-27/15В 0-йствол ТС"},
    FaultEntry{2, 12, "УПД 1-го ствола 0ТС"},
    FaultEntry{2, 11, "УПД 1-го ствола 1ТС"},
};

// No masks: every bit that is 1 names a faulty unit. "БГ"n is bit 8-n of
// word 1, "ВВК"n bit 16-n of word 1, "УВП"n bit 16-n of word 2.
constexpr std::array kPuuEntries = {
    FaultEntry{1, 8, "БГ0"},
    FaultEntry{1, 7, "БГ1"},
    FaultEntry{1, 6, "БГ2"},
    FaultEntry{1, 5, "БГ3"},
    FaultEntry{1, 4, "БГ4"},
    FaultEntry{1, 3, "БГ5"},
    FaultEntry{1, 2, "БГ6"},
    FaultEntry{1, 1, "БГ7"},
    FaultEntry{1, 16, "ВВК0"},
    FaultEntry{1, 15, "ВВК1"},
    FaultEntry{1, 14, "ВВК2"},
    FaultEntry{1, 13, "ВВК3"},
    FaultEntry{1, 12, "ВВК4"},
    FaultEntry{1, 11, "ВВК5"},
    FaultEntry{1, 10, "ВВК6"},
    FaultEntry{1, 9, "ВВК7"},
    FaultEntry{2, 16, "УВП0"},
    FaultEntry{2, 15, "УВП1"},
    FaultEntry{2, 14, "УВП2"},
    FaultEntry{2, 13, "УВП3"},
    FaultEntry{2, 12, "УВП4"},
    FaultEntry{2, 11, "УВП5"},
    FaultEntry{2, 10, "УВП6"},
    FaultEntry{2, 9, "УВП7"},
    FaultEntry{2, 8, "УВП8"},
    FaultEntry{2, 7, "УВП9"},
    FaultEntry{2, 6, "УВПА"},  // [sic] Cyrillic А
    FaultEntry{2, 5, "УВПВ"},  // [sic] Cyrillic В
    FaultEntry{2, 4, "УВПС"},  // [sic] Cyrillic С
    FaultEntry{2, 3, "УВПD"},  // [sic] Latin D
    FaultEntry{2, 2, "УВПЕ"},  // [sic] Cyrillic Е
    FaultEntry{2, 1, "УВПF"},  // [sic] Latin F
};

// clang-format on

}  // namespace

const FaultTable UvpFaultTable = kUvpEntries;
const FaultTable BgFaultTable = kBgEntries;
const FaultTable VvkFaultTable = kVvkEntries;
const FaultTable PuuFaultTable = kPuuEntries;

}  // namespace ostrolen
