#include "reader/value_text.h"

#include <cmath>
#include <cstdio>

namespace ostrolen {

std::string FormatNumber(double v, int digits) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*g", digits, v);
  return buf;
}

// Days since 30.12.1899 and the day's fraction, as the date and time text
// of a Russian desktop: "17.06.2000 20:36:24", the time left out at midnight.
std::optional<std::string> FormatDate(double td) {
  if (!std::isfinite(td) || td < -657434.0 || td >= 2958466.0) return std::nullopt;
  const double whole = std::trunc(td);
  long long seconds = std::llround(std::fabs(td - whole) * 86400.0);
  long long days = static_cast<long long>(whole);
  if (seconds >= 86400) {
    seconds -= 86400;
    days += td < 0 ? -1 : 1;
  }
  // Civil date from days since 1970-01-01.
  long long z = days - 25569 + 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  const long long day = doy - (153 * mp + 2) / 5 + 1;
  const long long month = mp < 10 ? mp + 3 : mp - 9;
  const long long year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  char buf[128];
  if (days == 0 && seconds != 0) {
    std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
  } else if (seconds == 0) {
    std::snprintf(buf, sizeof buf, "%02lld.%02lld.%04lld", day, month, year);
  } else {
    std::snprintf(buf, sizeof buf, "%02lld.%02lld.%04lld %lld:%02lld:%02lld", day, month, year, seconds / 3600,
                  seconds / 60 % 60, seconds % 60);
  }
  return std::string(buf);
}

std::string FormatGuid(std::string_view bytes) {
  if (bytes.size() < 16) return {};
  const auto b = [&](std::size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(bytes[i])); };
  char buf[48];
  std::snprintf(buf, sizeof buf, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b(3), b(2),
                b(1), b(0), b(5), b(4), b(7), b(6), b(8), b(9), b(10), b(11), b(12), b(13), b(14), b(15));
  return buf;
}

std::string FormatMoney(long long raw) {
  const bool negative = raw < 0;
  const unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(raw) : raw;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%llu.%04llu", negative ? "-" : "", magnitude / 10000, magnitude % 10000);
  std::string text = buf;
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text;
}

}  // namespace ostrolen
