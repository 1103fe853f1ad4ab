#include "core/utf8.h"

#include <cstdint>

#include "core/code_word.h"

namespace ostrolen {
namespace {

// Length of the well-formed sequence that starts at text[i], or 0.
std::size_t SequenceLength(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  char32_t min = 0;
  char32_t cp = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    min = 0x80;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    min = 0x800;
    cp = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    min = 0x10000;
    cp = lead & 0x07;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const unsigned char c = byte(i + k);
    if ((c & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (c & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

char32_t Decode(std::string_view ch) {
  const auto lead = static_cast<unsigned char>(ch[0]);
  if (ch.size() == 1) return lead;
  char32_t cp = lead & (ch.size() == 2 ? 0x1F : ch.size() == 3 ? 0x0F : 0x07);
  for (std::size_t k = 1; k < ch.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(ch[k]) & 0x3F);
  return cp;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = SequenceLength(text, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::vector<std::string_view> SplitChars(std::string_view text) {
  std::vector<std::string_view> chars;
  chars.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    std::size_t n = SequenceLength(text, i);
    if (n == 0) n = 1;
    chars.push_back(text.substr(i, n));
    i += n;
  }
  return chars;
}

std::size_t CharCount(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++count) {
    const std::size_t n = SequenceLength(text, i);
    i += n == 0 ? 1 : n;
  }
  return count;
}

std::string CharAt(std::string_view text, std::size_t index) {
  if (index == 0) return {};
  std::size_t at = 1;
  for (std::size_t i = 0; i < text.size(); ++at) {
    std::size_t n = SequenceLength(text, i);
    if (n == 0) n = 1;
    if (at == index) return std::string(text.substr(i, n));
    i += n;
  }
  return {};
}

char32_t LastCodePoint(std::string_view text) {
  if (text.empty()) return 0;
  // Walk back over at most three continuation bytes to the lead byte.
  std::size_t start = text.size() - 1;
  for (int k = 0; k < 3 && start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80; ++k) --start;
  if (SequenceLength(text, start) == text.size() - start) return Decode(text.substr(start));
  return static_cast<unsigned char>(text.back());
}

std::u32string DecodeUtf8(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    char32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size();
    for (int k = 1; ok && k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) ok = false;
      c = (c << 6) | (next & 0x3F);
    }
    static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (ok && (c < kLeast[static_cast<std::size_t>(extra)] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) ok = false;
    if (ok) {
      out.push_back(c);
      i += static_cast<std::size_t>(extra) + 1;
    } else {
      out.push_back(U'\uFFFD');
      ++i;
    }
  }
  return out;
}

std::string EncodeUtf8(std::u32string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t c : text) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = U'\uFFFD';
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::u32string points;
  points.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      points.push_back(0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else {
      points.push_back(u);  // a lone surrogate: EncodeUtf8 writes U+FFFD
    }
  }
  return EncodeUtf8(points);
}

char32_t FoldCase(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 0x20;
  if (c < 0xC0) return c;
  if (c <= 0xDE) return c == 0xD7 ? c : c + 0x20;            // Latin-1, but for the multiplication sign
  if (c >= 0x100 && c <= 0x137) return c | 1;                // Latin Extended-A pairs: even capital, odd small
  if (c >= 0x139 && c <= 0x148) return (c & 1) ? c + 1 : c;  // odd capital, even small
  if (c >= 0x14A && c <= 0x177) return c | 1;
  if (c == 0x178) return 0xFF;
  if (c >= 0x179 && c <= 0x17E) return (c & 1) ? c + 1 : c;
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;  // Greek
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;                // Cyrillic Ѐ-Џ, Ё among them
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;                // Cyrillic А-Я
  if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF)) return c | 1;
  if (c >= 0x4D0 && c <= 0x52F) return c | 1;
  return c;
}

bool SameName(std::string_view a, std::string_view b) {
  const std::u32string x = DecodeUtf8(a);
  const std::u32string y = DecodeUtf8(b);
  if (x.size() != y.size()) return false;
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (FoldCase(x[i]) != FoldCase(y[i])) return false;
  }
  return true;
}

std::string EscapeField(std::string_view text) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string escaped;
  escaped.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const auto next = [&](std::size_t ahead) {
      return i + ahead < text.size() ? static_cast<unsigned char>(text[i + ahead]) : 0U;
    };
    switch (byte) {
      case '\\': escaped += "\\\\"; continue;
      case '\t': escaped += "\\t"; continue;
      case '\n': escaped += "\\n"; continue;
      case '\r': escaped += "\\r"; continue;
      default: break;
    }
    if (byte < 0x20 || byte == 0x7F) {
      escaped += "\\x";
      escaped += kDigits[byte >> 4U];
      escaped += kDigits[byte & 0xFU];
    } else if (byte == 0xC2 && next(1) >= 0x80 && next(1) <= 0x9F) {
      // C1 controls, NEL among them: U+0080..U+009F.
      escaped += "\\u00";
      escaped += kDigits[next(1) >> 4U];
      escaped += kDigits[next(1) & 0xFU];
      i += 1;
    } else if (byte == 0xE2 && next(1) == 0x80 && (next(2) == 0xA8 || next(2) == 0xA9)) {
      // The line and paragraph separators U+2028 and U+2029.
      escaped += next(2) == 0xA8 ? "\\u2028" : "\\u2029";
      i += 2;
    } else {
      escaped += text[i];
    }
  }
  return escaped;
}

std::optional<std::string> UnescapeField(std::string_view text) {
  const auto hex = [&text](std::size_t at, std::size_t digits) -> std::optional<std::uint32_t> {
    if (at + digits > text.size()) return std::nullopt;
    std::uint32_t value = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
      const int digit = HexDigitValue(text[i]);
      if (digit < 0) return std::nullopt;
      value = (value << 4U) | static_cast<std::uint32_t>(digit);
    }
    return value;
  };
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      plain += text[i];
      continue;
    }
    if (i + 1 >= text.size()) return std::nullopt;
    const char kind = text[++i];
    switch (kind) {
      case '\\': plain += '\\'; break;
      case 't': plain += '\t'; break;
      case 'n': plain += '\n'; break;
      case 'r': plain += '\r'; break;
      case 'x': {
        const std::optional<std::uint32_t> byte = hex(i + 1, 2);
        if (!byte) return std::nullopt;
        plain += static_cast<char>(*byte);
        i += 2;
        break;
      }
      case 'u': {
        const std::optional<std::uint32_t> code = hex(i + 1, 4);
        if (!code) return std::nullopt;
        plain += EncodeUtf8(std::u32string(1, static_cast<char32_t>(*code)));
        i += 4;
        break;
      }
      default: return std::nullopt;
    }
  }
  return plain;
}

}  // namespace ostrolen
