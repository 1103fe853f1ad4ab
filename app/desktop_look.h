// The desktop's look, where the desktop tells it: the desktop portal's
// "color-scheme" setting (1 prefers dark, 2 prefers light, 0 says nothing),
// asked once without waiting for it and followed while it changes. Where
// there is no session bus or no portal, the desktop says nothing.
#pragma once

#include <QObject>
#include <QVariant>
#include <functional>
#include <optional>

#include "core/shell.h"

namespace ostrolen {

class DesktopLook : public QObject {
  Q_OBJECT

 public:
  using Told = std::function<void(std::optional<shell::Look> look)>;
  DesktopLook(Told told, QObject* parent);

  // The portal's value as a look: 1 dark, 2 light, anything else none.
  static std::optional<shell::Look> LookOf(const QVariant& value);

 private slots:
  void SettingChanged(const QString& group, const QString& key, const QVariant& value);

 private:
  Told told_;
};

}  // namespace ostrolen
