#include "fuzz/press_script.h"

#include <stdexcept>
#include <string>

#include "core/utf8.h"
#include "pages/pages.h"

namespace ostrolen::fuzz {
namespace {

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  bool Empty() const { return next_ >= bytes_.size(); }
  std::uint8_t Byte() { return Empty() ? 0 : bytes_[next_++]; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t next_ = 0;
};

// Bytes after a lead byte, as UTF-8 asks for them.
int FollowingBytes(std::uint8_t lead) {
  if (lead >= 0xC0 && lead <= 0xDF) return 1;
  if (lead >= 0xE0 && lead <= 0xEF) return 2;
  if (lead >= 0xF0 && lead <= 0xF7) return 3;
  return 0;
}

std::string Character(Reader& in) {
  const std::uint8_t lead = in.Byte();
  std::string c(1, static_cast<char>(lead));
  for (int k = FollowingBytes(lead); k > 0 && !in.Empty(); --k) c += static_cast<char>(in.Byte());
  return c;
}

// At most `most` characters as CharCount counts them.
std::string Clipped(const std::string& text, std::size_t most) {
  if (CharCount(text) <= most) return text;
  std::string clipped;
  const std::vector<std::string_view> chars = SplitChars(text);
  for (std::size_t k = 0; k < most; ++k) clipped += chars[k];
  return clipped;
}

template <typename T>
std::size_t IndexOf(const std::vector<T>& items, const T& item) {
  for (std::size_t k = 0; k < items.size(); ++k) {
    if (items[k] == item) return k;
  }
  throw std::invalid_argument("not found");
}

}  // namespace

std::vector<const BoxSpec*> SettableBoxes(const PageLayout& page) {
  std::vector<const BoxSpec*> boxes;
  for (const BoxSpec& box : page.boxes) {
    if (!box.read_only()) boxes.push_back(&box);
  }
  return boxes;
}

std::vector<ScriptPress> DecodeScript(std::span<const std::uint8_t> bytes, std::size_t most) {
  const std::vector<const PageLayout*>& pages = AllPages();
  std::vector<ScriptPress> presses;
  Reader in(bytes);
  while (!in.Empty() && presses.size() < most) {
    ScriptPress press;
    press.page = pages[in.Byte() % pages.size()];
    const std::uint8_t button = in.Byte();
    const std::uint8_t count = in.Byte();
    const std::vector<const BoxSpec*> boxes = SettableBoxes(*press.page);
    for (int k = 0; k < count && !in.Empty() && !boxes.empty(); ++k) {
      const BoxSpec* box = boxes[in.Byte() % boxes.size()];
      const std::size_t most_chars = static_cast<std::size_t>(box->max_length);
      const std::size_t length = in.Byte() % (most_chars + 1);
      std::string text;
      for (std::size_t c = 0; c < length && !in.Empty(); ++c) text += Character(in);
      // Neither a command-line argument nor a typed text can hold a NUL.
      std::erase(text, '\0');
      press.settings.emplace_back(box, Clipped(text, most_chars));
    }
    if (press.page->buttons.empty()) continue;
    press.button = &press.page->buttons[button % press.page->buttons.size()];
    presses.push_back(std::move(press));
  }
  return presses;
}

std::string EncodePress(const std::string& button, const std::vector<std::pair<std::string, std::string>>& settings) {
  const ButtonOnPage found = FindButton(button);
  if (found.button == nullptr) throw std::invalid_argument("no button " + button);
  const std::vector<const PageLayout*>& pages = AllPages();
  const std::vector<const BoxSpec*> boxes = SettableBoxes(*found.page);
  if (settings.size() > 255) throw std::invalid_argument("too many settings");
  std::string script;
  script += static_cast<char>(IndexOf(pages, found.page));
  script += static_cast<char>(found.button - found.page->buttons.data());
  script += static_cast<char>(settings.size());
  for (const auto& [name, text] : settings) {
    const BoxOnPage box = FindBox(name);
    if (box.page != found.page || box.box->read_only()) {
      throw std::invalid_argument("box " + name + " is not a settable box of the page of " + button);
    }
    script += static_cast<char>(IndexOf(boxes, box.box));
    script += static_cast<char>(CharCount(text));
    script += text;  // UTF-8 reads back as the same characters
  }
  return script;
}

}  // namespace ostrolen::fuzz
