#include "pages/segments/like.h"

#include <cstdint>

namespace ostrolen {

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

std::string DecodeJetText(std::string_view bytes) {
  std::u16string units;
  units.reserve(bytes.size());
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  if (bytes.size() >= 2 && at(0) == 0xFF && at(1) == 0xFE) {
    bool single = true;
    std::size_t i = 2;
    while (i < bytes.size()) {
      if (at(i) == 0) {
        single = !single;
        ++i;
      } else if (single) {
        units.push_back(at(i++));
      } else if (i + 1 < bytes.size()) {
        units.push_back(static_cast<char16_t>(at(i) | (at(i + 1) << 8)));
        i += 2;
      } else {
        break;
      }
    }
  } else {
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
      units.push_back(static_cast<char16_t>(at(i) | (at(i + 1) << 8)));
  }
  std::u32string text;
  text.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      text.push_back(0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      text.push_back(U'\uFFFD');
    } else {
      text.push_back(u);
    }
  }
  return EncodeUtf8(text);
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

std::optional<LikePattern> LikePattern::Compile(std::string_view pattern) {
  const std::u32string p = DecodeUtf8(pattern);
  LikePattern compiled;
  for (std::size_t i = 0; i < p.size(); ++i) {
    Token token;
    if (p[i] == U'%') {
      token.kind = Token::Kind::Run;
    } else if (p[i] == U'_') {
      token.kind = Token::Kind::One;
    } else if (p[i] == U'[') {
      std::size_t j = i + 1;
      const std::size_t close = p.find(U']', j);
      if (close == std::u32string::npos) return std::nullopt;
      if (close == j) {  // "[]" matches the empty text: no token at all
        i = close;
        continue;
      }
      token.kind = Token::Kind::Set;
      if (p[j] == U'!') {
        token.negated = true;
        ++j;
      }
      while (j < close) {
        const char32_t low = FoldCase(p[j]);
        if (j + 2 < close && p[j + 1] == U'-') {
          token.ranges.emplace_back(low, FoldCase(p[j + 2]));
          j += 3;
        } else {
          token.ranges.emplace_back(low, low);
          ++j;
        }
      }
      i = close;
    } else {
      token.ch = FoldCase(p[i]);
    }
    compiled.tokens_.push_back(std::move(token));
  }
  return compiled;
}

bool LikePattern::Accepts(const Token& token, char32_t c) {
  switch (token.kind) {
    case Token::Kind::Char: return token.ch == c;
    case Token::Kind::One: return true;
    case Token::Kind::Run: return false;
    case Token::Kind::Set:
      for (const auto& [low, high] : token.ranges) {
        if (c >= low && c <= high) return !token.negated;
      }
      return token.negated;
  }
  return false;
}

bool LikePattern::Matches(std::string_view text) const {
  std::u32string t = DecodeUtf8(text);
  for (char32_t& c : t) c = FoldCase(c);
  // Greedy with a step back to the last "%": every other token takes one character.
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::size_t at = 0, p = 0, run = kNone, resume = 0;
  while (at < t.size()) {
    if (p < tokens_.size() && tokens_[p].kind == Token::Kind::Run) {
      run = p++;
      resume = at;
    } else if (p < tokens_.size() && Accepts(tokens_[p], t[at])) {
      ++p;
      ++at;
    } else if (run != kNone) {
      p = run + 1;
      at = ++resume;
    } else {
      return false;
    }
  }
  while (p < tokens_.size() && tokens_[p].kind == Token::Kind::Run) ++p;
  return p == tokens_.size();
}

}  // namespace ostrolen
