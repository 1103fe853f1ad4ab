// A small JSON writer for what a page script reads: objects, arrays,
// strings (UTF-8 passed through, control characters escaped) and numbers.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace ostrolen::ui {

class Json {
 public:
  Json& Open(char bracket) {
    Separate();
    text_ += bracket;
    first_ = true;
    return *this;
  }
  Json& Close(char bracket) {
    text_ += bracket;
    first_ = false;
    return *this;
  }
  Json& Key(std::string_view key) {
    String(key);
    text_ += ':';
    first_ = true;
    return *this;
  }
  Json& String(std::string_view value) {
    Separate();
    text_ += '"';
    for (const char c : value) {
      const auto byte = static_cast<unsigned char>(c);
      if (c == '"' || c == '\\') {
        text_ += '\\';
        text_ += c;
      } else if (byte < 0x20 || byte == 0x7F) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
        text_ += escaped;
      } else {
        text_ += c;
      }
    }
    text_ += '"';
    first_ = false;
    return *this;
  }
  Json& Number(long long value) {
    Separate();
    text_ += std::to_string(value);
    first_ = false;
    return *this;
  }
  Json& Bool(bool value) {
    Separate();
    text_ += value ? "true" : "false";
    first_ = false;
    return *this;
  }
  const std::string& Text() const { return text_; }

 private:
  void Separate() {
    if (!first_ && !text_.empty() && text_.back() != ':') text_ += ',';
    first_ = false;
  }

  std::string text_;
  bool first_ = true;
};

}  // namespace ostrolen::ui
