// A controller's options for tests: the replay's clock, so that the
// history's times are known, and no database rows but those a test gives.
#pragma once

#include "ui/controller.h"

namespace ostrolen::ui {

inline Controller::Options Quiet() {
  Controller::Options options;
  options.clock = ReplayClock();
  return options;
}

}  // namespace ostrolen::ui
