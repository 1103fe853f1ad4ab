// The controller over a wire, for a front end in another language (the
// browser page): an intent comes in as a JSON object, the effects go out as
// JSON, each with what is needed to draw it (a list's lines with their marks
// and selection, the menu's items, the focus with its caret), so that the
// front end keeps no state of its own but the drawing.
//
// In:  {"do": NAME, ...}, and for "readingAnswered" and "searchRows" the
//      bytes of the answer beside it (see Wire::Handle).
// Out: {"handled": BOOL, "idle": BOOL, "undo": {LIST: BOOL, ...},
//       "effects": [{"kind": KIND, ...}, ...]}
// The intents and effects are listed in wire.cpp, each with its fields.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "ui/controller.h"

namespace ostrolen::ui {

class Wire {
 public:
  explicit Wire(Controller& controller) : controller_(controller) {}

  // Runs the intent `json` on the controller; `bytes` are the reader's
  // answer of a reading or the database's rows. The answer as above; for an
  // intent that cannot be read, {"error": TEXT} and nothing done.
  std::string Handle(std::string_view json, std::string_view bytes = {});

 private:
  Controller& controller_;
  std::string file_;       // the chosen database's name (empty: the sample)
  std::size_t asked_ = 0;  // the statements of the reading under way
};

}  // namespace ostrolen::ui
