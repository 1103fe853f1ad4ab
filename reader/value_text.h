// The texts of the values a segment lookup reads that are not texts in the
// file: numbers, dates and money, written as a Russian desktop shows them.
// The reader program and the browser's reader both write them so.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ostrolen {

// `v` with at most `digits` significant digits ("%.*g").
std::string FormatNumber(double v, int digits);

// Days since 30.12.1899 and the day's fraction, as the date and time text
// of a Russian desktop: "17.06.2000 20:36:24", the time left out at midnight;
// nothing for a date out of range.
std::optional<std::string> FormatDate(double td);

// A replication id's 16 bytes as Access writes it: its first three groups
// kept little-endian, "{6A27398E-A8BC-C44A-891E-49911D8438DD}".
std::string FormatGuid(std::string_view bytes);

// A currency value kept in ten-thousandths, without trailing zeros.
std::string FormatMoney(long long raw);

}  // namespace ostrolen
