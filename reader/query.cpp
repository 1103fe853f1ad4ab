#include "reader/query.h"

#include "core/code_word.h"

namespace ostrolen {
namespace {

// Little-endian 32-bit lengths and counts, bytes as they are.
class Writer {
 public:
  void Byte(std::uint8_t b) { out_.push_back(static_cast<char>(b)); }
  void Count(std::size_t n) {
    for (int k = 0; k < 4; ++k) Byte(static_cast<std::uint8_t>((n >> (8 * k)) & 0xFF));
  }
  void Text(std::string_view s) {
    Count(s.size());
    out_.append(s);
  }
  std::string& Bytes() { return out_; }

 private:
  std::string out_;
};

class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {}
  bool Byte(std::uint8_t& b) {
    if (at_ >= in_.size()) return false;
    b = static_cast<std::uint8_t>(in_[at_++]);
    return true;
  }
  bool Count(std::size_t& n) {
    if (in_.size() - at_ < 4) return false;
    n = 0;
    for (int k = 0; k < 4; ++k) n |= static_cast<std::size_t>(static_cast<std::uint8_t>(in_[at_++])) << (8 * k);
    return true;
  }
  bool Text(std::string& s) {
    std::size_t n = 0;
    if (!Count(n) || in_.size() - at_ < n) return false;
    s.assign(in_.substr(at_, n));
    at_ += n;
    return true;
  }
  // A count of items that each take at least `least` bytes: no more than the rest can hold.
  bool Items(std::size_t& n, std::size_t least) { return Count(n) && n <= (in_.size() - at_) / least; }
  std::size_t Offset() const { return at_; }
  bool AtEnd() const { return at_ == in_.size(); }

 private:
  std::string_view in_;
  std::size_t at_ = 0;
};

constexpr char kHex[] = "0123456789abcdef";

bool DecodeOne(Reader& in, StatementOutcome& outcome) {
  std::uint8_t failure = 0;
  if (!in.Byte(failure) || failure > static_cast<std::uint8_t>(ReadFailure::Cancelled)) return false;
  outcome.failure = static_cast<ReadFailure>(failure);
  if (!in.Text(outcome.name)) return false;
  std::size_t columns = 0;
  if (!in.Items(columns, 4)) return false;
  outcome.result.columns.resize(columns);
  for (std::string& name : outcome.result.columns) {
    if (!in.Text(name)) return false;
  }
  std::uint8_t has_row = 0;
  if (!in.Byte(has_row) || has_row > 1) return false;
  outcome.result.has_row = has_row == 1;
  if (!outcome.result.has_row) return true;
  outcome.result.row.resize(columns);
  for (Value& value : outcome.result.row) {
    std::uint8_t kind = 0, is_false = 0;
    if (!in.Byte(kind) || kind > static_cast<std::uint8_t>(Value::Kind::Binary) || !in.Byte(is_false) ||
        !in.Text(value.text))
      return false;
    value.kind = static_cast<Value::Kind>(kind);
    value.is_false = is_false != 0;
  }
  return true;
}

}  // namespace

std::string StatementKey(const Statement& statement) {
  std::string key;
  const auto part = [&key](std::string_view text) {
    key += std::to_string(text.size());
    key += ':';
    key += text;
  };
  part(statement.table);
  for (const Condition& condition : statement.conditions) {
    part(condition.column);
    part(condition.pattern);
  }
  return key;
}

StatementOutcome Failed(ReadFailure failure, std::string_view name) {
  StatementOutcome outcome;
  outcome.failure = failure;
  outcome.name = std::string(name);
  return outcome;
}

std::string EncodeRequest(std::string_view file, const std::vector<Statement>& statements) {
  Writer w;
  w.Text(file);
  w.Count(statements.size());
  for (const Statement& s : statements) {
    w.Text(s.table);
    w.Count(s.conditions.size());
    for (const Condition& c : s.conditions) {
      w.Text(c.column);
      w.Text(c.pattern);
    }
  }
  std::string hex;
  hex.reserve(w.Bytes().size() * 2);
  for (const char c : w.Bytes()) {
    const auto b = static_cast<unsigned char>(c);
    hex.push_back(kHex[b >> 4]);
    hex.push_back(kHex[b & 0xF]);
  }
  return hex;
}

bool DecodeRequest(std::string_view argument, std::string& file, std::vector<Statement>& statements) {
  if (argument.size() % 2 != 0) return false;
  std::string bytes;
  bytes.reserve(argument.size() / 2);
  for (std::size_t i = 0; i < argument.size(); i += 2) {
    const int high = HexDigitValue(argument[i]), low = HexDigitValue(argument[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes.push_back(static_cast<char>(high * 16 + low));
  }
  Reader in(bytes);
  std::size_t count = 0;
  if (!in.Text(file) || !in.Items(count, 8)) return false;
  statements.assign(count, {});
  for (Statement& s : statements) {
    std::size_t conditions = 0;
    if (!in.Text(s.table) || !in.Items(conditions, 8)) return false;
    s.conditions.resize(conditions);
    for (Condition& c : s.conditions) {
      if (!in.Text(c.column) || !in.Text(c.pattern)) return false;
    }
  }
  return in.AtEnd();
}

std::string EncodeOutcome(const StatementOutcome& outcome) {
  Writer w;
  w.Byte(static_cast<std::uint8_t>(outcome.failure));
  w.Text(outcome.name);
  w.Count(outcome.result.columns.size());
  for (const std::string& name : outcome.result.columns) w.Text(name);
  w.Byte(outcome.result.has_row ? 1 : 0);
  if (outcome.result.has_row) {
    for (const Value& value : outcome.result.row) {
      w.Byte(static_cast<std::uint8_t>(value.kind));
      w.Byte(value.is_false ? 1 : 0);
      w.Text(value.text);
    }
  }
  return std::move(w.Bytes());
}

std::vector<StatementOutcome> DecodeOutcomes(std::string_view bytes, std::size_t count) {
  std::vector<StatementOutcome> outcomes;
  Reader in(bytes);
  while (outcomes.size() < count) {
    StatementOutcome outcome;
    if (!DecodeOne(in, outcome)) break;
    outcomes.push_back(std::move(outcome));
  }
  return outcomes;
}

std::string EncodeFrame(char kind, std::string_view payload) {
  Writer w;
  w.Byte(static_cast<std::uint8_t>(kind));
  w.Text(payload);
  return std::move(w.Bytes());
}

std::optional<Frame> NextFrame(std::string_view bytes, std::size_t& at, bool& bad) {
  if (at > bytes.size() || bytes.size() - at < frame::kHeader) return std::nullopt;
  Reader in(bytes.substr(at));
  std::uint8_t kind = 0;
  std::size_t length = 0;
  in.Byte(kind);
  in.Count(length);
  if (length > frame::kMost) {
    bad = true;
    return std::nullopt;
  }
  if (bytes.size() - at - frame::kHeader < length) return std::nullopt;
  Frame f{static_cast<char>(kind), bytes.substr(at + frame::kHeader, length)};
  at += frame::kHeader + length;
  return f;
}

}  // namespace ostrolen
