#include "core/utf8.h"

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

}  // namespace ostrolen
