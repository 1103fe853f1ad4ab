// The window without widgets: every box and list of every page held as
// text, and the message boxes recorded in the order they are shown (each is
// taken as answered with OK). The command-line runner and the tests use it.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/explain.h"
#include "core/window.h"

namespace ostrolen {

class ModelWindow : public Window {
 public:
  enum class MessageKind { Report, Error };
  struct Message {
    MessageKind kind;
    std::string text;
    bool operator==(const Message&) const = default;
  };

  // As the window starts: boxes empty but the fixed ones, lists empty.
  ModelWindow();

  std::string Text(std::string_view box) const override;
  void SetText(std::string_view box, std::string_view text) override;
  void ClearList(std::string_view list) override;
  void AppendLine(std::string_view list, std::string_view line) override;
  void AppendSourcedLine(std::string_view list, std::string_view line, const LineOrigin& origin) override;
  void InputErrorReport(std::string_view text) override;
  void ShowError(std::string_view text) override;

  const std::vector<std::string>& Lines(std::string_view list) const;
  // Where each line of the list comes from; an empty origin for a plain line.
  const std::vector<LineOrigin>& Origins(std::string_view list) const;
  const std::map<std::string, std::string, std::less<>>& Boxes() const { return boxes_; }
  const std::vector<Message>& Messages() const { return messages_; }
  void ClearMessages() { messages_.clear(); }

 private:
  std::map<std::string, std::string, std::less<>> boxes_;
  std::map<std::string, std::vector<std::string>, std::less<>> lists_;
  std::map<std::string, std::vector<LineOrigin>, std::less<>> origins_;
  std::vector<Message> messages_;
};

}  // namespace ostrolen
