// UTF-8 helpers. Box texts are UTF-8; lengths and positions count characters.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrolen {

// True when the text is well-formed UTF-8 (no overlongs, no surrogates).
bool IsValidUtf8(std::string_view text);

// The characters of a text. A byte that does not start a well-formed
// sequence counts as one character of its own, so any byte string splits.
std::vector<std::string_view> SplitChars(std::string_view text);

// Number of characters, counted as SplitChars counts them.
std::size_t CharCount(std::string_view text);

// Character `index` (1-based) or the empty text when there is none.
std::string CharAt(std::string_view text, std::size_t index);

// Code point of the last character (the byte itself for a malformed one);
// 0 for the empty text.
char32_t LastCodePoint(std::string_view text);

// The text as code points; a byte that starts no valid sequence becomes U+FFFD.
std::u32string DecodeUtf8(std::string_view text);
// Code points as UTF-8; a surrogate or a value past U+10FFFF becomes U+FFFD.
std::string EncodeUtf8(std::u32string_view text);
// UTF-16 as UTF-8: a pair of surrogates is one character, a lone one U+FFFD
// (as Jet keeps texts and as a browser hands them over); U+0000 is kept.
std::string Utf16ToUtf8(std::u16string_view text);

// The small letter of `c` for the Latin, Greek and Cyrillic letters Jet
// treats as case pairs; every other character is itself. The one case fold
// of the database reader and of the Jet writer.
char32_t FoldCase(char32_t c);

// Table and column names compare as Jet compares them: letter case ignored.
bool SameName(std::string_view a, std::string_view b);

// A field of an output record, or a line that decode prints: backslash, TAB,
// line feed and carriage return as \\, \t, \n, \r; the other C0 controls
// and DEL as \xHH; the C1 controls and U+2028, U+2029 as \uHHHH (hex digits
// upper case). Nothing else is changed, so an escaped text holds no control
// character and every backslash in it begins one of these forms.
std::string EscapeField(std::string_view text);

// The text an escaped field stands for: \\, \t, \n, \r, \xHH and \uHHHH
// (hex digits of either case) read back; nothing for a backslash that
// begins none of them.
std::optional<std::string> UnescapeField(std::string_view text);

}  // namespace ostrolen
