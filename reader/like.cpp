#include "reader/like.h"

#include <algorithm>
#include <cstdint>

namespace ostrolen {

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
  return Utf16ToUtf8(units);
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

std::optional<std::u32string> LikePattern::Literal() const {
  std::u32string chars;
  for (const Token& token : tokens_) {
    if (token.kind != Token::Kind::Char) return std::nullopt;
    chars.push_back(token.ch);
  }
  return chars;
}

std::u32string LikePattern::Folded(std::string_view text) {
  // Most keys are ASCII: folded byte by byte.
  if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    std::u32string t(text.size(), U'\0');
    for (std::size_t i = 0; i < text.size(); ++i) t[i] = FoldCase(static_cast<unsigned char>(text[i]));
    return t;
  }
  std::u32string t = DecodeUtf8(text);
  for (char32_t& c : t) c = FoldCase(c);
  return t;
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

ConditionPlan PlanConditions(const std::vector<std::string>& columns, const Statement& statement) {
  ConditionPlan plan;
  for (const Condition& condition : statement.conditions) {
    std::size_t column = 0;
    while (column < columns.size() && !SameName(columns[column], condition.column)) ++column;
    if (column == columns.size()) return {{}, ReadFailure::MissingColumn, condition.column};
    std::optional<LikePattern> pattern = LikePattern::Compile(condition.pattern);
    if (!pattern) return {{}, ReadFailure::BadPattern, condition.pattern};
    plan.tests.emplace_back(column, std::move(*pattern));
  }
  return plan;
}

// The text LIKE compares: a Yes/No value as Jet's -1 or 0; nothing for null
// and binary values, which match no pattern.
std::optional<std::string> LikeText(const Value& value) {
  switch (value.kind) {
    case Value::Kind::Null:
    case Value::Kind::Binary: return std::nullopt;
    case Value::Kind::Boolean: return value.is_false ? "0" : "-1";
    default: return value.text;
  }
}

}  // namespace ostrolen
