#include "ui/desk.h"

#include <algorithm>

namespace ostrolen::ui {

int NextZoom(int zoom, int direction, int largest) {
  int next = kZoomSteps.front();
  if (direction > 0) {
    next = kZoomSteps.back();
    for (const int step : kZoomSteps) {
      if (step > zoom) {
        next = step;
        break;
      }
    }
  } else {
    // Down: the step below; neither (a zoom read from a file): the step at or below.
    for (const int step : kZoomSteps) {
      if (direction < 0 ? step < zoom : step <= zoom) next = step;
    }
  }
  // Never past what the screen holds.
  int fits = kZoomSteps.front();
  for (const int step : kZoomSteps) {
    if (step <= largest) fits = step;
  }
  return std::min(next, fits);
}

std::string_view LookName(Look look) { return look == Look::Dark ? "dark" : "light"; }

std::optional<Look> LookNamed(std::string_view name) {
  if (name == "light") return Look::Light;
  if (name == "dark") return Look::Dark;
  return std::nullopt;
}

}  // namespace ostrolen::ui
