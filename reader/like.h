// Jet's LIKE as the Jet OLE DB provider runs it under ADO: ANSI-92
// wildcards, letter case ignored. Shared by the reader program, which
// filters the rows, and the tests.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/utf8.h"
#include "reader/query.h"

namespace ostrolen {

// A Jet 4 text value as stored: UTF-16LE, or after the marker FF FE runs
// of one byte per character (high byte zero) and of two, each zero byte
// switching between them. Pairs of surrogates become one character, a lone
// one U+FFFD; U+0000 is kept.
std::string DecodeJetText(std::string_view bytes);

class LikePattern {
 public:
  // "%" any run of characters, "_" one character, "[abc]", "[a-z]" and
  // "[!...]" one character of (or not of) the set, "[]" nothing at all;
  // every other character, "*", "?" and "#" included, stands for itself.
  // Nothing when a "[" is not closed.
  static std::optional<LikePattern> Compile(std::string_view pattern);

  bool Matches(std::string_view text) const;

  // A pattern of plain characters only matches exactly the texts whose
  // Folded() is this; nothing for a pattern with a wildcard or a set.
  std::optional<std::u32string> Literal() const;
  // `text` with its letter case folded as LIKE compares it.
  static std::u32string Folded(std::string_view text);

 private:
  struct Token {
    enum class Kind { Char, One, Run, Set } kind = Kind::Char;
    char32_t ch = 0;
    bool negated = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;  // folded, inclusive
  };
  static bool Accepts(const Token& token, char32_t c);

  std::vector<Token> tokens_;
};

// A statement's conditions against a table's columns: for each, in order,
// the index of the column it names (letter case ignored, the first match)
// and its compiled pattern; or why the statement fails, for the first
// condition that names no column or whose pattern is not closed.
struct ConditionPlan {
  std::vector<std::pair<std::size_t, LikePattern>> tests;
  ReadFailure failure = ReadFailure::None;
  std::string name;  // the column or pattern of the failure
};
ConditionPlan PlanConditions(const std::vector<std::string>& columns, const Statement& statement);

// The text LIKE compares: a Yes/No value as Jet's -1 or 0; nothing for null
// and binary values, which match no pattern.
std::optional<std::string> LikeText(const Value& value);

}  // namespace ostrolen
