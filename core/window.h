// The window as the page handlers see it: boxes and lists by control name,
// and the two message boxes. The Qt window, the command-line runner and the
// tests all implement it, so every handler is written once.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace ostrolen {

struct LineOrigin;

class Window {
 public:
  virtual ~Window() = default;

  virtual std::string Text(std::string_view box) const = 0;
  virtual void SetText(std::string_view box, std::string_view text) = 0;

  virtual void ClearList(std::string_view list) = 0;
  virtual void AppendLine(std::string_view list, std::string_view line) = 0;
  // A result line with the bits it comes from; a window that explains its
  // lines keeps the origin, any other just appends the line.
  virtual void AppendSourcedLine(std::string_view list, std::string_view line, const LineOrigin& origin);

  // The modal input error report: caption "Ошибка!!!", the text, OK, no icon.
  virtual void InputErrorReport(std::string_view text) = 0;

  // The common error box (stop icon, OK); `text` already ends as shown.
  virtual void ShowError(std::string_view text) = 0;
};

using Handler = void (*)(Window&);

// Writes `fill` into every box, in the given order, whose text is exactly
// empty. A box holding a blank is not empty.
void FillEmptyBoxes(Window& window, std::span<const std::string_view> boxes, std::string_view fill = "0");
void FillEmptyBoxes(Window& window, std::initializer_list<std::string_view> boxes, std::string_view fill = "0");

// The text of an error as the common error box shows it: a full stop is
// appended when the last character sorts after ".".
std::string ErrorBoxText(std::string_view message);

// Runs one handler as a button click does: an error that leaves it ends it
// and is shown in the common error box; nothing written before is undone.
void RunGuarded(Window& window, Handler handler);

}  // namespace ostrolen
