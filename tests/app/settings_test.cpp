// What the window keeps between runs, in a file of the test's own: written
// and read back, the file beside the program chosen first, damaged files and
// values not understood giving the defaults with a line on standard error,
// and a read-only file read and left as it is.
#include <unistd.h>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <cstdio>

#include "app/settings.h"

namespace {

// What `read` writes on standard error.
template <typename Read>
QString StandardError(Read read) {
  QTemporaryFile file;
  if (!file.open()) return QStringLiteral("(no temporary file)");
  std::fflush(stderr);
  const int saved = dup(2);
  dup2(file.handle(), 2);
  read();
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  file.seek(0);
  return QString::fromUtf8(file.readAll());
}

void WriteFile(const QString& name, const QByteArray& bytes) {
  QFile file(name);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

}  // namespace

class SettingsTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  QString File(const char* name) { return dir_.filePath(QString::fromLatin1(name)); }

 private slots:
  void keptAndReadBack() {
    ostrolen::Kept kept;
    kept.desk.zoom = 150;
    kept.desk.chosen = ostrolen::shell::Look::Dark;
    kept.desk.follow_desktop = false;
    kept.desk.on_top = true;
    kept.desk.compact = true;
    kept.place = QPoint(120, -4);
    kept.page = "TabSheet8";
    {
      ostrolen::Settings settings(File("a/ostrolen.conf"));
      QVERIFY(settings.Writable());
      settings.Write(kept);
    }
    ostrolen::Settings again(File("a/ostrolen.conf"));
    ostrolen::Kept read;
    QCOMPARE(StandardError([&] { read = again.Read(); }), QString());
    QVERIFY(read.desk == kept.desk);
    QCOMPARE(read.place, kept.place);
    QCOMPARE(read.page, kept.page);
  }

  void noFileGivesTheDefaults() {
    ostrolen::Settings settings(File("none/ostrolen.conf"));
    ostrolen::Kept read;
    QCOMPARE(StandardError([&] { read = settings.Read(); }), QString());
    QVERIFY(read.desk == ostrolen::ui::Desk{});
    QVERIFY(!read.place);
    QVERIFY(read.page.empty());
  }

  void theFileBesideTheProgramComesFirst() {
    WriteFile(File("portable.conf"), "[desk]\nzoom=110\n");
    QCOMPARE(ostrolen::Settings::Choose(File("portable.conf"), File("user.conf")), File("portable.conf"));
    QCOMPARE(ostrolen::Settings::Choose(File("missing.conf"), File("user.conf")), File("user.conf"));
    // The user's file is in the configuration folder the environment names.
    QVERIFY2(ostrolen::Settings::UserFile().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")) ||
                 qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"),
             qPrintable(ostrolen::Settings::UserFile()));
    QVERIFY(ostrolen::Settings::UserFile().endsWith(QStringLiteral("/ostrolen/ostrolen.conf")));
  }

  void valuesNotUnderstoodKeepTheirDefaults() {
    WriteFile(
        File("odd.conf"),
        "[desk]\nzoom=large\nlook=purple\nonTop=true\ncompact=perhaps\n[window]\nx=10\ny=twenty\npage=TabSheet4\n");
    ostrolen::Settings settings(File("odd.conf"));
    ostrolen::Kept read;
    const QString said = StandardError([&] { read = settings.Read(); });
    QCOMPARE(read.desk.zoom, 100);
    QCOMPARE(read.desk.chosen, ostrolen::shell::Look::Light);
    QVERIFY(read.desk.on_top);
    QVERIFY(!read.desk.compact);
    QVERIFY(!read.place);
    QCOMPARE(read.page, std::string("TabSheet4"));
    QVERIFY2(said.contains(QStringLiteral("desk/zoom is not a number")), qPrintable(said));
    QVERIFY2(said.contains(QStringLiteral("desk/look is neither light nor dark")), qPrintable(said));
    QVERIFY2(said.contains(QStringLiteral("desk/compact is neither true nor false")), qPrintable(said));
    QVERIFY2(said.contains(QStringLiteral("window/y is not a number")), qPrintable(said));
  }

  void aDamagedFileGivesTheDefaults() {
    static constexpr char kStart[] = "[desk\nzoom=150\n\x01\x02\xff\xfe\0\0";
    QByteArray garbage(kStart, sizeof kStart - 1);
    for (int i = 0; i < 64; ++i) garbage += static_cast<char>((i * 37) & 0xff);
    WriteFile(File("damaged.conf"), garbage);
    ostrolen::Settings settings(File("damaged.conf"));
    ostrolen::Kept read;
    const QString said = StandardError([&] { read = settings.Read(); });
    QVERIFY(read.desk == ostrolen::ui::Desk{});
    QVERIFY2(said.startsWith(QStringLiteral("ostrolen: ")), qPrintable(said));
  }

  void aReadOnlyFileIsReadAndLeftAsItIs() {
    const QString name = File("readonly.conf");
    WriteFile(name, "[desk]\nzoom=125\n");
    QFile::setPermissions(name, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    ostrolen::Settings settings(name);
    QVERIFY(!settings.Writable());
    ostrolen::Kept read = settings.Read();
    QCOMPARE(read.desk.zoom, 125);
    read.desk.zoom = 200;
    settings.Write(read);
    QFile file(name);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("[desk]\nzoom=125\n"));
  }
};

QTEST_MAIN(SettingsTest)
#include "settings_test.moc"
