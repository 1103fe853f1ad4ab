#include "app/desktop_look.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace ostrolen {
namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString kGroup = QStringLiteral("org.freedesktop.appearance");
const QString kKey = QStringLiteral("color-scheme");

// The portal wraps its values in variants, some versions twice.
QVariant Unwrapped(QVariant value) {
  while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>()) {
    value = value.value<QDBusVariant>().variant();
  }
  return value;
}

}  // namespace

DesktopLook::DesktopLook(Told told, QObject* parent) : QObject(parent), told_(std::move(told)) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  bus.connect(kService, kPath, kInterface, QStringLiteral("SettingChanged"), this,
              SLOT(SettingChanged(QString, QString, QVariant)));
  QDBusMessage read = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Read"));
  read << kGroup << kKey;
  // Not started for this: a desktop without the portal says nothing.
  read.setAutoStartService(false);
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(read), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
    const QDBusPendingReply<QVariant> reply = *call;
    call->deleteLater();
    if (!reply.isError()) told_(LookOf(reply.value()));
  });
}

std::optional<shell::Look> DesktopLook::LookOf(const QVariant& value) {
  bool number = false;
  const uint scheme = Unwrapped(value).toUInt(&number);
  if (!number) return std::nullopt;
  if (scheme == 1) return shell::Look::Dark;
  if (scheme == 2) return shell::Look::Light;
  return std::nullopt;
}

void DesktopLook::SettingChanged(const QString& group, const QString& key, const QVariant& value) {
  if (group == kGroup && key == kKey) told_(LookOf(value));
}

}  // namespace ostrolen
