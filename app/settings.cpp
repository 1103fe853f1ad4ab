#include "app/settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

namespace ostrolen {
namespace {

void Say(const QString& file, const QString& what) {
  QTextStream(stderr) << "ostrolen: " << file << ": " << what << '\n';
}

}  // namespace

QString Settings::PortableFile() { return QCoreApplication::applicationDirPath() + QStringLiteral("/ostrolen.conf"); }

QString Settings::UserFile() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/ostrolen/ostrolen.conf");
}

QString Settings::Choose(const QString& portable, const QString& user) {
  return QFileInfo::exists(portable) ? portable : user;
}

Settings::Settings() : Settings(Choose(PortableFile(), UserFile())) {}

Settings::Settings(const QString& file) : file_(file) {
  const QFileInfo info(file_);
  // A file there that cannot be written, or a folder that cannot take one, is only read.
  // Read-only is what the file's owner may do, whoever runs the program.
  if (info.exists()) {
    writable_ = info.permission(QFile::WriteOwner) && info.isWritable();
  } else {
    QDir folder = info.dir();
    writable_ = folder.exists() ? QFileInfo(folder.path()).isWritable() : QDir().mkpath(folder.path());
  }
  settings_ = std::make_unique<QSettings>(file_, QSettings::IniFormat);
}

Kept Settings::Read() {
  Kept kept;
  const QFileInfo info(file_);
  if (!info.exists()) return kept;
  if (!info.isReadable() || settings_->status() == QSettings::AccessError) {
    Say(file_, QStringLiteral("cannot be read; the settings are the defaults"));
    return kept;
  }
  if (settings_->status() == QSettings::FormatError) {
    Say(file_, QStringLiteral("is damaged; the settings are the defaults"));
    return kept;
  }
  const auto number = [&](const QString& key, int fallback) {
    if (!settings_->contains(key)) return fallback;
    bool ok = false;
    const int value = settings_->value(key).toString().toInt(&ok);
    if (ok) return value;
    Say(file_, key + QStringLiteral(" is not a number; it is left at its default"));
    return fallback;
  };
  const auto flag = [&](const QString& key, bool fallback) {
    if (!settings_->contains(key)) return fallback;
    const QString text = settings_->value(key).toString();
    if (text == QStringLiteral("true")) return true;
    if (text == QStringLiteral("false")) return false;
    Say(file_, key + QStringLiteral(" is neither true nor false; it is left at its default"));
    return fallback;
  };
  kept.desk.zoom = number(QStringLiteral("desk/zoom"), kept.desk.zoom);
  if (settings_->contains(QStringLiteral("desk/look"))) {
    const std::string name = settings_->value(QStringLiteral("desk/look")).toString().toStdString();
    if (const std::optional<ui::Look> look = ui::LookNamed(name)) {
      kept.desk.chosen = *look;
    } else {
      Say(file_, QStringLiteral("desk/look is neither light nor dark; it is left at its default"));
    }
  }
  kept.desk.follow_desktop = flag(QStringLiteral("desk/followDesktop"), kept.desk.follow_desktop);
  kept.desk.on_top = flag(QStringLiteral("desk/onTop"), kept.desk.on_top);
  kept.desk.compact = flag(QStringLiteral("desk/compact"), kept.desk.compact);
  if (settings_->contains(QStringLiteral("window/x")) && settings_->contains(QStringLiteral("window/y"))) {
    constexpr int kFar = 1 << 20;
    const int x = number(QStringLiteral("window/x"), kFar);
    const int y = number(QStringLiteral("window/y"), kFar);
    if (x != kFar && y != kFar) kept.place = QPoint(x, y);
  }
  kept.page = settings_->value(QStringLiteral("window/page")).toString().toStdString();
  return kept;
}

void Settings::Write(const Kept& kept) {
  if (!writable_) return;
  settings_->setValue(QStringLiteral("desk/zoom"), kept.desk.zoom);
  const std::string_view look = ui::LookName(kept.desk.chosen);
  settings_->setValue(QStringLiteral("desk/look"), QString::fromUtf8(look.data(), static_cast<qsizetype>(look.size())));
  settings_->setValue(QStringLiteral("desk/followDesktop"), kept.desk.follow_desktop);
  settings_->setValue(QStringLiteral("desk/onTop"), kept.desk.on_top);
  settings_->setValue(QStringLiteral("desk/compact"), kept.desk.compact);
  if (kept.place) {
    settings_->setValue(QStringLiteral("window/x"), kept.place->x());
    settings_->setValue(QStringLiteral("window/y"), kept.place->y());
  }
  if (!kept.page.empty()) settings_->setValue(QStringLiteral("window/page"), QString::fromStdString(kept.page));
  settings_->sync();
}

}  // namespace ostrolen
