// What the first page of an Access file says about the file: which engine
// wrote it, whether its pages are encrypted, and in which code page a
// Jet 3 file keeps its texts. Read from the bytes alone, before libmdb
// sees the file, so that a file libmdb cannot read gets a message that
// says what it is.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ostrolen {

enum class AccessEngine : std::uint8_t {
  Jet3,     // Access 97: 2 KB pages, texts in a Windows code page
  Jet4,     // Access 2000-2003
  Ace,      // Access 2007 and later: Jet 4's pages and texts
  Unknown,  // an Access signature with a version number not known here
};

struct AccessHeader {
  AccessEngine engine = AccessEngine::Unknown;
  std::uint8_t version = 0;      // the byte at 0x14
  std::uint16_t code_page = 0;   // the file's default code page (0x3C)
  std::uint32_t sort_order = 0;  // the default collating order, a Windows locale number
  std::uint32_t key = 0;         // the page encryption key (0x3E); 0: the pages are plain
};

// Page 0 of an Access file ("Standard Jet DB" or "Standard ACE DB"), its
// hidden part unmasked; nothing when the bytes are no Access file.
std::optional<AccessHeader> ReadAccessHeader(std::string_view bytes);

// The Access version that writes such a file, for messages: "Access 97",
// "Access 2000–2003", "Access 2007", ... "Access 2019".
std::string AccessVersionName(const AccessHeader& header);

// Whether libmdb can read the file's pages. Jet 3 and Jet 4 hide their
// pages with RC4 under the header's key, which libmdb undoes; Access 2007
// and later encrypt with a password (Office encryption), which it cannot.
bool EncryptedBeyondReading(const AccessHeader& header);

// The size of the file's pages: 2 KB for Jet 3, 4 KB for the later engines.
std::size_t PageSize(const AccessHeader& header);

// Page `page` as the engine reads it: past page 0, a file whose header
// holds a key hides each page under RC4 with the key and the page's number.
std::string PlainPage(const AccessHeader& header, std::uint32_t page, std::string bytes);

// The code page a Jet 3 file's texts are in: the one its header names; a
// file that names none (0) is taken to be in the ANSI code page of its
// sort order's language (Cyrillic for Russian, Ukrainian, ...), else in 1252.
std::uint16_t Jet3CodePage(const AccessHeader& header);

// The iconv name of a Windows code page ("CP1251"); empty when iconv here
// cannot convert from it to UTF-8.
std::string CodePageCharset(std::uint16_t code_page);

// Text in a single-byte or multi-byte Windows code page as UTF-8. A byte
// the code page does not define becomes "?", as libmdb shows it.
std::string DecodeCodePageText(std::string_view bytes, std::uint16_t code_page);

}  // namespace ostrolen
