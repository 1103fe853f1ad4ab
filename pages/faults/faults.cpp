#include "pages/faults/faults.h"

#include "core/conversions.h"
#include "core/explain.h"
#include "core/layout.h"
#include "core/utf8.h"

namespace ostrolen {

std::string MessageWordBits(const MessageWord& word) {
  std::string bits;
  for (const std::string& position : word) bits += ValueToBits(HexValue(position), 4);
  return bits;
}

std::vector<std::string> DecodeFaults(const std::vector<std::string>& words, const std::vector<std::string>& masks,
                                      FaultTable table) {
  const auto bit_of = [](const std::vector<std::string>& strings, const FaultEntry& entry) {
    const auto index = static_cast<std::size_t>(entry.word - 1);
    if (entry.word < 1 || index >= strings.size() || entry.bit < 1) return std::string();
    return CharAt(strings[index], static_cast<std::size_t>(entry.bit));
  };
  std::vector<std::string> lines;
  for (const FaultEntry& entry : table) {
    if (bit_of(words, entry) != bit_of(masks, entry)) lines.emplace_back(entry.text);
  }
  return lines;
}

std::uint16_t ShowWordBits(Window& window, const PositionBoxes& positions, const BitRowBoxes& row, RowOrder order) {
  const bool forward = order == RowOrder::FirstToLast;
  std::uint32_t value = 0;
  for (std::size_t step = 0; step < 4; ++step) {
    const std::size_t k = forward ? step : 3 - step;
    const std::int32_t digit = HexValue(window.Text(positions[k]));
    const std::string bits = ValueToBits(digit, 4);
    for (std::size_t s = 0; s < 4; ++s) {
      const std::size_t j = forward ? s : 3 - s;
      window.SetText(row[4 * k + j], CharAt(bits, j + 1));
    }
    value |= (static_cast<std::uint32_t>(digit) & 0xFU) << (4 * (3 - k));
  }
  return static_cast<std::uint16_t>(value);
}

DecodeResult DecodeFaultWords(std::span<const std::uint16_t> words, std::span<const std::uint16_t> masks,
                              FaultTable table) {
  DecodeResult result;
  result.cleared = true;
  for (const FaultEntry& entry : table) {
    const auto w = static_cast<std::size_t>(entry.word - 1);
    if (entry.word < 1 || w >= words.size() || w >= kMaxWords || entry.bit < 1 || entry.bit > 16) continue;
    const BitRange bit{entry.word - 1, entry.bit, entry.bit};
    const std::uint16_t mask = w < masks.size() ? masks[w] : 0;
    if (((words[w] ^ mask) & bit.mask()) == 0) continue;
    LineOrigin origin;
    origin.Add(bit, words);
    result.lines.push_back({std::string(entry.text), origin});
  }
  return result;
}

std::uint16_t HealthyValue(const FaultPage& page, const FaultWordBoxes& word) {
  if (page.rule == FaultRule::IsOne || !word.mask) return 0;
  return static_cast<std::uint16_t>(std::stoul(MessageWordBits(*word.mask), nullptr, 2));
}

void CheckFaultPage(Window& window, const FaultPage& page) {
  for (const FaultWordBoxes& word : page.words) {
    if (word.mask) ShowWordBits(window, word.mask_boxes, word.mask_row);
  }

  std::vector<std::string_view> message;
  for (const FaultWordBoxes& word : page.words) message.insert(message.end(), word.message.begin(), word.message.end());
  FillEmptyBoxes(window, message);

  // The list comes from the words as converted, against the page's declared
  // healthy words; the rows only show the bits.
  std::vector<std::uint16_t> words;
  std::vector<std::uint16_t> masks;
  for (const FaultWordBoxes& word : page.words) {
    words.push_back(ShowWordBits(window, word.message, word.check_row, page.order));
    masks.push_back(HealthyValue(page, word));
  }
  ShowResult(window, page.list, DecodeFaultWords(words, masks, page.table));
}

namespace {

template <std::size_t N>
std::array<std::string, N> Names(const std::vector<std::string>& names) {
  std::array<std::string, N> boxes;
  for (std::size_t i = 0; i < N && i < names.size(); ++i) boxes[i] = names[i];
  return boxes;
}

PositionBoxes Positions(int first) { return Names<4>(EditRange(first, first + 3)); }
BitRowBoxes Row(int first) { return Names<16>(EditRange(first, first + 15)); }

}  // namespace

const FaultPage& UvpFaultPage() {
  static const FaultPage page = [] {
    // The check row of word 1 is not numbered in one run.
    std::vector<std::string> check1 = {"Edit78", "Edit83", "Edit104", "Edit109"};
    Append(check1, EditRange(110, 121));
    return FaultPage{{
                         {HealthMask{"0", "0", "3", "5"}, Positions(100), Row(84), Positions(74), Names<16>(check1)},
                         {HealthMask{"0", "0", "3", "F"}, Positions(105), Row(122), Positions(79), Row(138)},
                     },
                     "ListBox4",
                     UvpFaultTable,
                     FaultRule::DiffersFromMask,
                     RowOrder::FirstToLast};
  }();
  return page;
}

const FaultPage& BgFaultPage() {
  static const FaultPage page{{
                                  {HealthMask{"0", "0", "0", "0"}, Positions(154), Row(170), Positions(162), Row(186)},
                              },
                              "ListBox5",
                              BgFaultTable,
                              FaultRule::DiffersFromMask,
                              RowOrder::FirstToLast};
  return page;
}

const FaultPage& VvkFaultPage() {
  static const FaultPage page{{
                                  {HealthMask{"0", "0", "3", "4"}, Positions(202), Row(210), Positions(158), Row(226)},
                                  {HealthMask{"0", "0", "3", "0"}, Positions(206), Row(242), Positions(166), Row(258)},
                              },
                              "ListBox6",
                              VvkFaultTable,
                              FaultRule::DiffersFromMask,
                              RowOrder::FirstToLast};
  return page;
}

const FaultPage& PuuFaultPage() {
  // No masks; each check row is written from its last box back to its first.
  static const FaultPage page{{
                                  {std::nullopt, {}, {}, Positions(289), Row(297)},
                                  {std::nullopt, {}, {}, Positions(293), Row(313)},
                              },
                              "ListBox9",
                              PuuFaultTable,
                              FaultRule::IsOne,
                              RowOrder::LastToFirst};
  return page;
}

void SpeedButton11Click(Window& window) { CheckFaultPage(window, UvpFaultPage()); }
void SpeedButton12Click(Window& window) { CheckFaultPage(window, BgFaultPage()); }
void SpeedButton13Click(Window& window) { CheckFaultPage(window, VvkFaultPage()); }
void SpeedButton16Click(Window& window) { CheckFaultPage(window, PuuFaultPage()); }

}  // namespace ostrolen
