// How the window sits on the operator's desk: its size (a zoom of the whole
// window), its look (light or dark), whether it stays above the other
// windows, and the compact view that shows the page in front alone. The
// controller holds them for both editions; the texts of their commands are
// declared here once.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/shell.h"

namespace ostrolen::ui {

namespace desk_text {
inline constexpr std::string_view kMenu = "Вид";
inline constexpr std::string_view kZoomIn = "Крупнее";
inline constexpr std::string_view kZoomInKey = "Ctrl++";
inline constexpr std::string_view kZoomOut = "Мельче";
inline constexpr std::string_view kZoomOutKey = "Ctrl+-";
inline constexpr std::string_view kZoomReset = "Обычный размер";
inline constexpr std::string_view kZoomResetKey = "Ctrl+0";
inline constexpr std::string_view kDark = "Тёмное оформление";
inline constexpr std::string_view kFollowDesktop = "Оформление как у системы";
inline constexpr std::string_view kOnTop = "Поверх всех окон";
inline constexpr std::string_view kCompact = "Компактный вид";
inline constexpr std::string_view kCompactKey = "Ctrl+M";
}  // namespace desk_text

// The zoom steps, in per cent of the window's own size.
inline constexpr std::array<int, 6> kZoomSteps = {100, 110, 125, 150, 175, 200};

using shell::Look;

struct Desk {
  int zoom = 100;               // one of kZoomSteps
  bool follow_desktop = true;   // the look is the desktop's where the front end can tell it
  Look chosen = Look::Light;    // the operator's own choice, when not following
  std::optional<Look> desktop;  // the desktop's look, when the front end can tell it
  bool on_top = false;
  bool compact = false;

  // The look the window shows.
  Look Shown() const { return follow_desktop && desktop ? *desktop : chosen; }
  bool operator==(const Desk&) const = default;
};

// The next zoom step up (+1) or down (-1) from `zoom`, kept within the steps
// and at most `largest` (the largest step the screen holds, 100 at least).
int NextZoom(int zoom, int direction, int largest = kZoomSteps.back());

// "light" and "dark", as settings store them.
std::string_view LookName(Look look);
std::optional<Look> LookNamed(std::string_view name);

}  // namespace ostrolen::ui
