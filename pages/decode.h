// One record decoded on its page: words as the operator reads them off the
// console go into the page's boxes, the page's button is pressed, and what
// the page shows is handed back. The command line, the window and the
// browser page all decode through this, so each record reads alike in all.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/explain.h"
#include "core/layout.h"

namespace ostrolen {

// Every page's commands, in the order of the window's tabs.
const std::vector<const PageCommand*>& PageCommands();

// A command's page as a chooser or a printout names it: "АХ, СКО" for
// "АХ, СКО: an abbreviated class of service".
std::string_view CommandCaption(const PageCommand& command);

// What a press of a page with some words ends with, on a fresh window.
struct DecodeOutcome {
  std::vector<std::pair<std::string, std::string>> settings;  // the box texts typed in
  std::vector<std::string> reports;                           // the "Ошибка!!!" reports, in order
  std::optional<std::string> error;                           // the common error box's text
  // The lines of the page's result list; on the converter each group of
  // boxes is a line ("LABEL boxes", each box escaped, an empty one "_")
  // whose field is the group's number.
  std::vector<SourcedLine> lines;
};

// Types `words` into the boxes of `page` on a fresh window and presses its
// button. Throws WordsError for words the page cannot take. The common
// error box ends a press, so its text comes after every report.
DecodeOutcome DecodeOn(const PageCommand& page, const std::vector<std::string>& words);

// Decodes record after record as DecodeOn does, each on a window as fresh
// as a new one, without building a window for every record: the one window
// is put back as it started after each press.
class RecordDecoder {
 public:
  RecordDecoder();
  ~RecordDecoder();
  RecordDecoder(const RecordDecoder&) = delete;
  RecordDecoder& operator=(const RecordDecoder&) = delete;

  // As DecodeOn(page, words).
  DecodeOutcome Decode(const PageCommand& page, const std::vector<std::string>& words);

 private:
  class Reused;
  std::unique_ptr<Reused> window_;
};

// The words of one line of input: separated by blanks, TABs and carriage
// returns.
std::vector<std::string> WordsOfLine(const std::string& line);

}  // namespace ostrolen
