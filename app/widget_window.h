// The abstract window over the real widgets of TForm1.
#pragma once

#include <QHash>
#include <QString>
#include <functional>
#include <vector>

#include "core/code_word.h"
#include "core/layout.h"
#include "core/window.h"

class QLineEdit;
class QListWidget;
class QWidget;

namespace ostrolen {

class WidgetWindow : public Window {
 public:
  enum class MessageKind { Report, Error };
  // Replaces the modal boxes, for tests that must not block.
  using MessageHook = std::function<void(MessageKind, const QString&)>;

  explicit WidgetWindow(QWidget* owner) : owner_(owner) {}

  void AddBox(QLineEdit* box);
  // `page`: the page whose words the list's lines come from, for their tooltips.
  void AddList(QListWidget* list, const PageLayout* page = nullptr);
  // Called with a control's name when no widget has it yet, so that the
  // window can build the page that declares it.
  void SetMissingControlHook(std::function<void(std::string_view)> hook) { missing_ = std::move(hook); }
  void SetMessageHook(MessageHook hook) { hook_ = std::move(hook); }

  std::string Text(std::string_view box) const override;
  void SetText(std::string_view box, std::string_view text) override;
  void ClearList(std::string_view list) override;
  void AppendLine(std::string_view list, std::string_view line) override;
  // The line keeps its origin (kLineOriginRole) for the window to explain it.
  void AppendSourcedLine(std::string_view list, std::string_view line, const LineOrigin& origin) override;
  void InputErrorReport(std::string_view text) override;
  void ShowError(std::string_view text) override;

 private:
  QLineEdit* Box(std::string_view name) const;
  QListWidget* List(std::string_view name) const;

  QWidget* owner_;
  QHash<QString, QLineEdit*> boxes_;
  QHash<QString, QListWidget*> lists_;
  QHash<QString, const PageLayout*> pages_;
  MessageHook hook_;
  std::function<void(std::string_view)> missing_;
};

// The application's title as the error box shows it (shell::ApplicationTitle).
QString ApplicationTitle(const QString& program_path);

}  // namespace ostrolen
