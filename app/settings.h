// What the window keeps from one run to the next: the desk (its zoom, its
// look, on top, the compact view), its place on the screen and the page in
// front. Kept with Qt's settings in the user's configuration folder
// ($XDG_CONFIG_HOME/ostrolen/ostrolen.conf), or in ostrolen.conf beside the
// program when there is one there (a tool carried on a USB stick). A file
// that cannot be read, or holds what is not a setting, gives the defaults
// for what it lacks and a line on standard error; one that cannot be
// written is read and left as it is.
#pragma once

#include <QPoint>
#include <QSettings>
#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "ui/desk.h"

namespace ostrolen {

struct Kept {
  ui::Desk desk;
  std::optional<QPoint> place;  // the window's top left corner
  std::string page;             // the sheet of the page in front
};

class Settings {
 public:
  // The file beside the program when there is one, else the user's.
  Settings();
  // That file, for a test.
  explicit Settings(const QString& file);

  const QString& File() const { return file_; }
  bool Writable() const { return writable_; }

  // What the file holds; each problem a line on standard error.
  Kept Read();
  // Keeps `kept`, unless the file cannot be written.
  void Write(const Kept& kept);

  // The file beside the program, which makes a copy portable, and the
  // user's; the one to keep the settings in.
  static QString PortableFile();
  static QString UserFile();
  static QString Choose(const QString& portable, const QString& user);

 private:
  QString file_;
  bool writable_ = false;
  std::unique_ptr<QSettings> settings_;
};

}  // namespace ostrolen
