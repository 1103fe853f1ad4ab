// The fault pages "УВП", "БГ", "ВВК" and "ПУУ": a status message of one or
// two words is shown bit by bit and compared with the page's healthy-state
// words; every monitored item whose bit is off its healthy state is listed.
//
// One mechanism serves the four pages; each page is a descriptor of its
// boxes plus a fault table.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/explain.h"
#include "core/window.h"

namespace ostrolen {

// One word of a status message as typed: four hexadecimal positions, most
// significant first. Every position takes all sixteen digits: no maxima.
using MessageWord = std::array<std::string, 4>;

// The value a message word has when every item it monitors is healthy,
// fixed per page and word and shown position by position in read-only boxes.
using HealthMask = MessageWord;

// The 16-character bit string of a word; a position that is not a
// hexadecimal digit raises ConversionError.
std::string MessageWordBits(const MessageWord& word);

// One monitored item: its word (1 or 2), its bit position (1 = most
// significant) and the line listed when it is faulty.
struct FaultEntry {
  int word = 1;
  int bit = 1;
  std::string_view text;
};

// A page's entries in output order.
using FaultTable = std::span<const FaultEntry>;

extern const FaultTable UvpFaultTable;
extern const FaultTable BgFaultTable;
extern const FaultTable VvkFaultTable;
extern const FaultTable PuuFaultTable;

// The texts, in table order, of the entries whose bit in their word differs
// from the same bit of that word's mask. `words` and `masks` are bit
// strings, one per word. Never fails: a bit missing from a string compares
// as the empty text, so a word given neither as word nor as mask lists nothing.
std::vector<std::string> DecodeFaults(const std::vector<std::string>& words, const std::vector<std::string>& masks,
                                      FaultTable table);

// The lines of the entries whose bit differs between word and mask (words
// and masks by value, word 1 first), each with its bit as the line's source.
DecodeResult DecodeFaultWords(std::span<const std::uint16_t> words, std::span<const std::uint16_t> masks,
                              FaultTable table);

using PositionBoxes = std::array<std::string, 4>;
using BitRowBoxes = std::array<std::string, 16>;

enum class RowOrder {
  FirstToLast,  // position 1 into boxes 1-4 first
  LastToFirst,  // position 4 into boxes 16-13 first
};

// Writes the four positions bit by bit into the sixteen row boxes: box
// 4(k-1)+j receives bit j of position k. Each position is converted before
// any of its boxes changes, so a bad digit stops with that position's boxes
// (and all later ones) untouched. Returns the word's value.
std::uint16_t ShowWordBits(Window& window, const PositionBoxes& positions, const BitRowBoxes& row,
                           RowOrder order = RowOrder::FirstToLast);

// The boxes of one word on a fault page.
struct FaultWordBoxes {
  std::optional<HealthMask> mask;  // none: the page decodes against 0000
  PositionBoxes mask_boxes;        // the mask's read-only boxes
  BitRowBoxes mask_row;            // "Маска"
  PositionBoxes message;           // the typed word
  BitRowBoxes check_row;           // "Проверка"
};

enum class FaultRule {
  DiffersFromMask,  // the check-row bit differs from the mask-row bit
  IsOne,            // the check-row bit is "1" (a page without masks)
};

struct FaultPage {
  std::vector<FaultWordBoxes> words;  // word 1 first
  std::string list;
  FaultTable table;
  FaultRule rule = FaultRule::DiffersFromMask;
  RowOrder order = RowOrder::FirstToLast;  // how the check rows are written
};

const FaultPage& UvpFaultPage();
const FaultPage& BgFaultPage();
const FaultPage& VvkFaultPage();
const FaultPage& PuuFaultPage();

// The value a word is compared with: its healthy word, or 0000 on a page
// that lists the bits that are on.
std::uint16_t HealthyValue(const FaultPage& page, const FaultWordBoxes& word);

// One press of a fault page's "Проверить": masks into the mask rows, empty
// message positions filled with "0", the words into the check rows, the
// list cleared, then one line per faulty entry of the words as converted.
void CheckFaultPage(Window& window, const FaultPage& page);

void SpeedButton11Click(Window& window);  // "УВП"
void SpeedButton12Click(Window& window);  // "БГ"
void SpeedButton13Click(Window& window);  // "ВВК"
void SpeedButton16Click(Window& window);  // "ПУУ"

}  // namespace ostrolen
