#include "reader/access_file.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>

namespace ostrolen {
namespace {

// Page 0 hides its bytes from 0x18 on under RC4 with a fixed key: 126 of
// them in a Jet 3 file, 128 in the later ones.
constexpr std::size_t kHiddenStart = 0x18;

void Rc4(std::string& data, const std::uint8_t* key, std::size_t key_size) {
  std::array<std::uint8_t, 256> s{};
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<std::uint8_t>(i);
  std::uint8_t j = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    j = static_cast<std::uint8_t>(j + s[i] + key[i % key_size]);
    std::swap(s[i], s[j]);
  }
  std::uint8_t a = 0;
  std::uint8_t b = 0;
  for (char& c : data) {
    a = static_cast<std::uint8_t>(a + 1);
    b = static_cast<std::uint8_t>(b + s[a]);
    std::swap(s[a], s[b]);
    c = static_cast<char>(static_cast<std::uint8_t>(c) ^ s[static_cast<std::uint8_t>(s[a] + s[b])]);
  }
}

std::string Unmask(std::string_view bytes, std::size_t length) {
  std::string data(bytes.substr(kHiddenStart, length));
  constexpr std::array<std::uint8_t, 4> kKey = {0xC7, 0xDA, 0x39, 0x6B};
  Rc4(data, kKey.data(), kKey.size());
  return data;
}

// Little-endian numbers of the unmasked part, by their offset in the page.
std::uint32_t Number(const std::string& hidden, std::size_t offset, int bytes) {
  std::uint32_t value = 0;
  for (int k = bytes - 1; k >= 0; --k) {
    value = value << 8 | static_cast<std::uint8_t>(hidden[offset - kHiddenStart + static_cast<std::size_t>(k)]);
  }
  return value;
}

class Converter {
 public:
  explicit Converter(const std::string& charset) : cd_(iconv_open("UTF-8", charset.c_str())) {}
  ~Converter() {
    if (Ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool Ok() const { return reinterpret_cast<std::intptr_t>(cd_) != -1; }  // iconv_open failed: (iconv_t)-1
  iconv_t Get() const { return cd_; }

 private:
  iconv_t cd_;
};

}  // namespace

std::optional<AccessHeader> ReadAccessHeader(std::string_view bytes) {
  static constexpr std::string_view kJet("Standard Jet DB\0", 16);
  static constexpr std::string_view kAce("Standard ACE DB\0", 16);
  // The smallest page is Jet 3's 2 KB.
  if (bytes.size() < 2048 || bytes[0] != 0) return std::nullopt;
  const std::string_view signature = bytes.substr(4, kJet.size());
  if (signature != kJet && signature != kAce) return std::nullopt;
  AccessHeader header;
  header.version = static_cast<std::uint8_t>(bytes[0x14]);
  switch (header.version) {
    case 0: header.engine = AccessEngine::Jet3; break;
    case 1: header.engine = AccessEngine::Jet4; break;
    case 2:
    case 3:
    case 4:
    case 5:
    case 6: header.engine = AccessEngine::Ace; break;
    default: header.engine = AccessEngine::Unknown; break;
  }
  const bool jet3 = header.engine == AccessEngine::Jet3;
  const std::string hidden = Unmask(bytes, jet3 ? 126 : 128);
  header.code_page = static_cast<std::uint16_t>(Number(hidden, 0x3C, 2));
  header.key = Number(hidden, 0x3E, 4);
  header.sort_order = jet3 ? Number(hidden, 0x3A, 2) : Number(hidden, 0x6E, 2);
  return header;
}

std::string AccessVersionName(const AccessHeader& header) {
  switch (header.version) {
    case 0: return "Access 97";
    case 1: return "Access 2000–2003";
    case 2: return "Access 2007";
    case 3: return "Access 2010";
    case 4: return "Access 2013";
    case 5: return "Access 2016";
    case 6: return "Access 2019";
    default: return "Access";
  }
}

bool EncryptedBeyondReading(const AccessHeader& header) {
  return header.engine == AccessEngine::Ace && header.key != 0;
}

std::size_t PageSize(const AccessHeader& header) { return header.engine == AccessEngine::Jet3 ? 2048 : 4096; }

std::string PlainPage(const AccessHeader& header, std::uint32_t page, std::string bytes) {
  if (page == 0 || header.key == 0) return bytes;
  const std::uint32_t key = header.key ^ page;
  const std::array<std::uint8_t, 4> k = {static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(key >> 8),
                                         static_cast<std::uint8_t>(key >> 16), static_cast<std::uint8_t>(key >> 24)};
  Rc4(bytes, k.data(), k.size());
  return bytes;
}

std::uint16_t Jet3CodePage(const AccessHeader& header) {
  if (header.code_page != 0) return header.code_page;
  const std::uint32_t locale = header.sort_order & 0xFFFF;
  switch (locale & 0x3FF) {                                              // the language, without its country
    case 0x02:                                                           // Bulgarian
    case 0x19:                                                           // Russian
    case 0x22:                                                           // Ukrainian
    case 0x23:                                                           // Belarusian
    case 0x2F:                                                           // Macedonian
    case 0x3F:                                                           // Kazakh
    case 0x40:                                                           // Kyrgyz
    case 0x44:                                                           // Tatar
    case 0x50: return 1251;                                              // Mongolian
    case 0x1A: return locale == 0x0C1A ? 1251 : 1250;                    // Serbian in Cyrillic letters; Croatian
    case 0x05:                                                           // Czech
    case 0x0E:                                                           // Hungarian
    case 0x15:                                                           // Polish
    case 0x18:                                                           // Romanian
    case 0x1B:                                                           // Slovak
    case 0x1C:                                                           // Albanian
    case 0x24: return 1250;                                              // Slovenian
    case 0x08: return 1253;                                              // Greek
    case 0x1F: return 1254;                                              // Turkish
    case 0x0D: return 1255;                                              // Hebrew
    case 0x01:                                                           // Arabic
    case 0x20:                                                           // Urdu
    case 0x29: return 1256;                                              // Farsi
    case 0x25:                                                           // Estonian
    case 0x26:                                                           // Latvian
    case 0x27: return 1257;                                              // Lithuanian
    case 0x2A: return 1258;                                              // Vietnamese
    case 0x1E: return 874;                                               // Thai
    case 0x11: return 932;                                               // Japanese
    case 0x12: return 949;                                               // Korean
    case 0x04: return locale == 0x0804 || locale == 0x1004 ? 936 : 950;  // Chinese
    default: return 1252;
  }
}

std::string CodePageCharset(std::uint16_t code_page) {
  std::string name;
  switch (code_page) {
    case 0: return {};
    case 20866: name = "KOI8-R"; break;
    case 21866: name = "KOI8-U"; break;
    case 65001: name = "UTF-8"; break;
    default:
      if (code_page >= 28591 && code_page <= 28606) {
        name = "ISO-8859-" + std::to_string(code_page - 28590);
      } else {
        name = "CP" + std::to_string(code_page);
      }
  }
  return Converter(name).Ok() ? name : std::string();
}

std::string DecodeCodePageText(std::string_view bytes, std::uint16_t code_page) {
  const std::string charset = CodePageCharset(code_page);
  Converter converter(charset.empty() ? std::string("CP1252") : charset);
  std::string out;
  if (!converter.Ok()) return out;
  out.reserve(bytes.size() * 2);
  std::string input(bytes);
  char* in = input.data();
  std::size_t in_left = input.size();
  std::array<char, 1024> chunk{};
  while (in_left > 0) {
    char* to = chunk.data();
    std::size_t to_left = chunk.size();
    const std::size_t done = iconv(converter.Get(), &in, &in_left, &to, &to_left);
    const int error = errno;
    out.append(chunk.data(), chunk.size() - to_left);
    if (done != static_cast<std::size_t>(-1)) break;
    if (error == E2BIG) continue;
    // A byte the code page does not define, or a sequence cut short.
    out.push_back('?');
    ++in;
    --in_left;
    iconv(converter.Get(), nullptr, nullptr, nullptr, nullptr);
  }
  return out;
}

}  // namespace ostrolen
