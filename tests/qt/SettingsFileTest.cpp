// The settings file against a real INI file: long values, and faults of the
// file under start-up and writes (garbage, permissions, a FIFO or device at
// its place, a stale lock): a damaged file costs at most the damaged setting.
#include <sys/stat.h>
#include <unistd.h>

#include <QtTest>

#include "Fakes.h"
#include "PosixTestGuards.h"
#include "QtKeyValueStore.h"
#include "settings/Settings.h"

class SettingsFileTest : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  int copies_ = 0;
  // What a start-up reads, as "time|UseMidi|folder|SubfoldersOn"; from a copy
  // at a new path when asked, as QSettings keeps what it parsed per path.
  std::string Start(QString ini, bool copy = true) {
    if (copy && QFile::copy(ini, dir_.filePath(QStringLiteral("copy%1").arg(++copies_))))
      ini = dir_.filePath(QStringLiteral("copy%1").arg(copies_));
    QtKeyValueStore store(ini);
    TestApp t;
    t.folders.musicFolder = "/home/u/Music";
    App app{AppState{},
            Ports{t.window, t.sound, store, t.folders, t.listing, t.clock, t.volume, t.tunes, t.launcher, t.chooser}};
    LoadSettings(app);
    return t.window.ItemText(202) + "|" + std::to_string(app.State.UseMidi) + "|" + app.State.MP3Folder + "|" +
           std::to_string(app.State.SubfoldersOn);
  }

 private slots:
  void faultsNeverStopTheProgramNorLoseAStoredSetting() {
    QVERIFY(chmod(dir_.path().toUtf8().constData(), 0755) == 0);
    qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8());
    QCOMPARE(QtKeyValueStore::DefaultPath(), dir_.filePath(QStringLiteral("TimerZqv2010/Timer.ini")));
    const std::string good = "|0|/songs/|0", defaults = "|1|/home/u/Music|1";
    const char* const goodFile =
        "printf '[UseMidi]\\nString%%20Value=0\\n[MP3Folder]\\nString%%20Value=/songs/\\n"
        "[SubfoldersOn]\\nString%%20Value=0\\n' > Timer.ini";
    const struct {
      std::string plant;  // a shell command in the settings folder
      bool asNobody;      // what a user sees, not the superuser
      std::string loaded;
      bool writeLands;  // else the file stays as it was
    } cases[] = {
        {goodFile + std::string("; head -c 3000 /bin/sh >> Timer.ini; printf '\\n[Time]\\nString%%20Value=a, b\\n' >> "
                                "Timer.ini"),
         false, good, true},                                                    // garbage, and a list nobody wrote
        {goodFile + std::string("; touch Timer.ini.lock"), false, good, true},  // left by a killed writer
        {goodFile + std::string("; chmod 444 Timer.ini"), true, good, false},
        {goodFile + std::string("; chmod 200 Timer.ini"), true, defaults, false},
        {"mkfifo Timer.ini", true, defaults, false},
        {"ln -s /dev/zero Timer.ini", true, defaults, false},
        {"mkdir Timer.ini", false, defaults, false},
        {"cd .. && rmdir TimerZqv2010 && touch TimerZqv2010", false, defaults, false}};
    for (const auto& c : cases) {
      const QString folder = dir_.filePath(QStringLiteral("%1/TimerZqv2010").arg(&c - cases)),
                    ini = folder + "/Timer.ini";
      QDir().mkpath(folder);
      QCOMPARE(std::system(("cd '" + folder.toStdString() + "' && " + c.plant).c_str()), 0);
      if (c.asNobody && geteuid() == 0)
        QCOMPARE(std::system(("chown -R 65534 '" + folder.toStdString() + "/..'").c_str()), 0);
      const auto before = QFileInfo(ini).isFile() ? ReadBytes(ini) : QByteArray("<no file>");
      {
        HangGuard guard(c.plant, 10);
        std::optional<AsNobody> nobody;
        if (c.asNobody) nobody.emplace();
        QCOMPARE(Start(ini, false), c.loaded);
        QtKeyValueStore store(ini);
        WriteSetting(store, "Time", "20");
      }
      chmod(ini.toUtf8().constData(), 0644);
      if (c.writeLands)
        QCOMPARE(Start(ini), "20" + c.loaded);
      else
        QCOMPARE(QFileInfo(ini).isFile() ? ReadBytes(ini) : QByteArray("<no file>"), before);
    }
    // Long texts: a 1,000-byte folder survives a restart; 4,096 bytes with the NUL are read, more are not.
    const QString ini = dir_.filePath(QStringLiteral("long.ini"));
    for (const auto& [size, loaded] : {std::pair{1000, 1000}, {4095, 4095}, {4096, 13}}) {
      QtKeyValueStore store(ini);
      WriteSetting(store, "MP3Folder", std::string(size, 'm'));
      QCOMPARE(Start(ini).size(), std::size_t(loaded) + 5);
    }
    KeyValueStore::Key key = 0;  // a failed write is reported as one
    QtKeyValueStore store("/proc/self/no-such-folder/Timer.ini");
    QVERIFY(store.CreateKey("Software\\TimerZqv2010\\Time", key));
    QVERIFY(!store.SetValue(key, "String Value", std::string_view("20", 3)));
  }

  static QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
  }
};

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "SettingsFileTest.moc"
