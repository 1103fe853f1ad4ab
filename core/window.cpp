#include "core/window.h"

#include <exception>

#include "core/conversions.h"
#include "core/utf8.h"

namespace ostrolen {

void Window::AppendSourcedLine(std::string_view list, std::string_view line, const LineOrigin& /*origin*/) {
  AppendLine(list, line);
}

void FillEmptyBoxes(Window& window, std::span<const std::string_view> boxes, std::string_view fill) {
  for (const std::string_view box : boxes) {
    if (window.Text(box).empty()) window.SetText(box, fill);
  }
}

void FillEmptyBoxes(Window& window, std::initializer_list<std::string_view> boxes, std::string_view fill) {
  FillEmptyBoxes(window, std::span<const std::string_view>(boxes.begin(), boxes.size()), fill);
}

std::string ErrorBoxText(std::string_view message) {
  std::string text(message);
  if (!text.empty() && LastCodePoint(text) > U'.') text += '.';
  return text;
}

void RunGuarded(Window& window, Handler handler) {
  if (handler == nullptr) return;
  try {
    handler(window);
  } catch (const ConversionError& error) {
    window.ShowError(ErrorBoxText(error.message()));
  } catch (const std::exception& error) {
    window.ShowError(ErrorBoxText(error.what()));
  }
}

}  // namespace ostrolen
