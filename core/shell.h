// The texts of the window's frame around the pages: its caption, the
// commands of its toolbar, the about box and the caption of the input
// error report. The pages' own texts are in their declarations.
#pragma once

#include <string_view>

namespace ostrolen::shell {

inline constexpr std::string_view kWindowCaption = "Ostrolen";
inline constexpr std::string_view kExitCommand = "Выход";
inline constexpr std::string_view kAboutCommand = "О программе";
inline constexpr std::string_view kAboutCaption = "О программе";
inline constexpr std::string_view kAboutLine = "Ostrolen v.1.0.3";
inline constexpr int kAboutLinePixels = 16;
inline constexpr int kAboutWidth = 333;
inline constexpr int kAboutHeight = 158;
inline constexpr std::string_view kReportCaption = "Ошибка!!!";
inline constexpr std::string_view kOk = "OK";
inline constexpr int kWindowWidth = 799;
inline constexpr int kWindowHeight = 538;
inline constexpr int kToolbarHeight = 29;
inline constexpr int kPageFontPixels = 11;
inline constexpr int kBoxFontPixels = 19;
inline constexpr std::string_view kFontFamily = "MS Sans Serif";

}  // namespace ostrolen::shell
