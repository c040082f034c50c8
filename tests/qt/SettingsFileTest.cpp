// The settings file against a real INI file: what round-trips, and faults of
// the file under start-up and writes (garbage, permissions, a FIFO or device
// at its place, a stale lock, writers killed mid-write).
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QtTest>
#include <functional>
#include <random>

#include "Fakes.h"
#include "PosixTestGuards.h"
#include "QtKeyValueStore.h"
#include "settings/Settings.h"

namespace {
struct Loaded {
  std::string time;
  bool useMidi;
  std::string folder;
  bool subfolders;
  bool operator==(const Loaded& o) const {
    return time == o.time && useMidi == o.useMidi && folder == o.folder && subfolders == o.subfolders;
  }
};

const QByteArray Good = "[Time]\nString%20Value=8:30 pm\n[UseMidi]\nString%20Value=0\n"
                        "[MP3Folder]\nString%20Value=/songs/\n[SubfoldersOn]\nString%20Value=0\n";
const Loaded Stored{"8:30 pm", false, "/songs/", false};
const Loaded Defaults{"", true, "/home/u/Music", true};
}  // namespace

class SettingsFileTest : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  int case_ = 0;
  // A fresh path for every case: QSettings keeps what it parsed per path
  // within a process, and the program reads its file once per process.
  QString Folder() const { return dir_.filePath(QStringLiteral("%1/TimerZqv2010").arg(case_)); }
  QString Ini() const { return Folder() + QStringLiteral("/Timer.ini"); }
  const char* Path(const QString& suffix = {}) {
    static QByteArray bytes;
    bytes = (Ini() + suffix).toUtf8();
    return bytes.constData();
  }
  void WriteIni(const QByteArray& bytes) {
    QFile file(Ini());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
  }
  QByteArray ReadIni() {  // as the superuser; never opens a FIFO or device
    QFile file(Ini());
    struct stat st {};
    if (stat(Path(), &st) != 0 || !S_ISREG(st.st_mode)) return "<not a file>";
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
  }
  // The program's start-up over the file (read from a copy at a new path
  // when fresh): what it reads into its state.
  Loaded Start(bool fresh = false) {
    QString ini = Ini();
    if (fresh) {
      ini = dir_.filePath(QStringLiteral("copy%1-%2.ini").arg(case_).arg(++copies_));
      QFile::copy(Ini(), ini);
    }
    QtKeyValueStore store(ini);
    TestApp t;
    t.folders.musicFolder = "/home/u/Music";
    App app{AppState{},
            Ports{t.window, t.sound, store, t.folders, t.listing, t.clock, t.volume, t.tunes, t.launcher, t.chooser}};
    LoadSettings(app);
    return {t.window.ItemText(202), app.State.UseMidi, app.State.MP3Folder, app.State.SubfoldersOn};
  }
  void Write(const std::string& name, const std::string& value) {
    QtKeyValueStore store(Ini());
    WriteSetting(store, name, value);
  }
  int copies_ = 0;

 private slots:
  void init() {
    ++case_;
    QDir().mkpath(Folder());
    QVERIFY(chmod(dir_.path().toUtf8().constData(), 0755) == 0);
    QVERIFY(chmod(QFileInfo(Folder()).path().toUtf8().constData(), 0755) == 0);
  }

  void defaultPathFollowsXdgConfigHome() {
    qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8());
    QCOMPARE(QtKeyValueStore::DefaultPath(), dir_.filePath(QStringLiteral("TimerZqv2010/Timer.ini")));
  }

  // Any real path fits (4,096 bytes with its NUL); each read is a new store,
  // as at a restart.
  void textsRoundTripByteForByteUpTo4095() {
    std::string path = "/";
    while (path.size() < 4095) path += "music/";
    path.resize(4095);
    for (const std::string& text : std::vector<std::string>{"/home/a, b/Music/", "a=b;c", "@ByteArray(x)", "  8:30 pm ",
                                                            "1 ", "", path, "/m\xe9lodies"}) {
      Write("MP3Folder", text);
      QtKeyValueStore store(Ini());
      QCOMPARE(ReadSetting(store, "MP3Folder", "default"), text);
    }
    Write("MP3Folder", path + "/");
    QCOMPARE(Start().folder, std::string("/home/u/Music"));
    QSettings file(Ini(), QSettings::IniFormat);
    QCOMPARE(file.value(QStringLiteral("MP3Folder/String Value")).toString().size(), 4096);
    const QStringList files = QDir(Folder()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(files, QStringList{QStringLiteral("Timer.ini")});  // nothing left beside it
  }

  // Each fault: what start-up reads, then whether a write of Time lands
  // (keeping the other settings) or leaves the file as it was.
  void faultsNeverStopTheProgramNorLoseAStoredSetting() {
    QByteArray garbage;
    for (int i = 0; i < 3000; ++i) garbage.append(static_cast<char>((i * 7919 + 13) % 256));
    const struct {
      const char* what;
      std::function<void()> plant;
      bool asNobody;  // what a user sees, not the superuser
      Loaded loaded;
      bool writeLands;
    } cases[] = {
        {"garbage around good settings",
         [&] { WriteIni(garbage + "\n[UseMidi]\nString%20Value=0\n" + garbage.left(500) +
                        "\n[MP3Folder]\nString%20Value=/songs/\n" + garbage.right(700)); },
         false, {"", false, "/songs/", true}, true},
        {"a list nobody wrote",
         [&] {
           WriteIni("[Time]\nString%20Value=a, b\n[UseMidi]\nString%20Value=0\n[MP3Folder]\nString%20Value=/songs/");
         },
         false, {"", false, "/songs/", true}, true},
        {"an empty lock file left by a killed writer",
         [&] { WriteIni(Good); QFile lock(Ini() + QStringLiteral(".lock")); QVERIFY(lock.open(QIODevice::WriteOnly)); },
         false, Stored, true},
        {"read-only", [&] { WriteIni(Good); QVERIFY(chmod(Path(), 0444) == 0); }, true, Stored, false},
        {"unreadable", [&] { WriteIni(Good); QVERIFY(chmod(Path(), 0) == 0); }, true, Defaults, false},
        {"write-only", [&] { WriteIni(Good); QVERIFY(chmod(Path(), 0200) == 0); }, true, Defaults, false},
        {"a FIFO", [&] { QVERIFY(mkfifo(Path(), 0666) == 0); }, true, Defaults, false},
        {"a link to /dev/zero", [&] { QVERIFY(symlink("/dev/zero", Path()) == 0); }, true, Defaults, false},
        {"a link to a FIFO",
         [&] {
           const QByteArray fifo = Path(".fifo");
           QVERIFY(mkfifo(fifo.constData(), 0666) == 0);
           QVERIFY(symlink(fifo.constData(), Path()) == 0);
         },
         true, Defaults, false},
        {"a folder at its place", [&] { QDir().mkpath(Ini()); }, false, Defaults, false},
        {"a file at its folder's place",
         [&] { QDir(Folder()).removeRecursively(); QFile f(Folder()); QVERIFY(f.open(QIODevice::WriteOnly)); },
         false, Defaults, false},
    };
    for (const auto& c : cases) {
      ++case_;
      QDir().mkpath(Folder());
      c.plant();
      const QByteArray before = ReadIni();
      if (c.asNobody && geteuid() == 0) {
        QVERIFY(chown(Folder().toUtf8().constData(), NobodyUid, NobodyUid) == 0);
        if (QFileInfo::exists(Ini())) QVERIFY(lchown(Path(), NobodyUid, NobodyUid) == 0);
      }
      rusage usage{};
      getrusage(RUSAGE_SELF, &usage);
      const long rss = usage.ru_maxrss;
      {
        HangGuard guard(c.what, 10);
        std::optional<AsNobody> nobody;
        if (c.asNobody) nobody.emplace();
        QVERIFY2(Start() == c.loaded, c.what);
        Write("Time", "20");
      }
      getrusage(RUSAGE_SELF, &usage);
      QVERIFY2(usage.ru_maxrss - rss < 256 * 1024, c.what);  // nothing read without end
      struct stat st {};
      if (lstat(Path(), &st) == 0 && S_ISREG(st.st_mode)) chmod(Path(), 0644);
      if (c.writeLands) {
        Loaded expected = c.loaded;
        expected.time = "20";
        QVERIFY2(Start(true) == expected, c.what);
      } else {
        QVERIFY2(ReadIni() == before, c.what);
      }
    }
    KeyValueStore::Key key = 0;  // a failed write is reported as one
    QtKeyValueStore store("/proc/self/no-such-folder/Timer.ini");
    QVERIFY(store.CreateKey("Software\\TimerZqv2010\\Time", key));
    QVERIFY(!store.SetValue(key, "String Value", std::string_view("20", 3)));
  }

  void writerKilledMidWriteLeavesTheOldOrTheNewFile() {
    // A child writes two settings again and again, telling the parent after
    // each pair; the parent kills it at once, so the kill falls somewhere in
    // the next pair. The file must always be a whole earlier or later one.
    const auto value = [](int round) {
      return "round " + std::to_string(round) + " " + std::string(150, static_cast<char>('a' + round % 26));
    };
    Write("UseMidi", "0");
    Write("SubfoldersOn", "0");
    std::mt19937 random(7);
    int lastSeen = -1;
    for (int kill_ = 0; kill_ < 40; ++kill_) {
      int progress[2];
      QVERIFY(pipe(progress) == 0);
      const int first = lastSeen + 1;
      const pid_t child = fork();
      QVERIFY(child >= 0);
      if (child == 0) {
        close(progress[0]);
        QtKeyValueStore store(Ini());
        for (int round = first;; ++round) {
          WriteSetting(store, "Time", value(round));
          WriteSetting(store, "MP3Folder", value(round));
          if (write(progress[1], "x", 1) != 1) _exit(0);
        }
      }
      close(progress[1]);
      const int pairs = 1 + static_cast<int>(random() % 3);
      char byte = 0;
      for (int i = 0; i < pairs; ++i) QVERIFY(read(progress[0], &byte, 1) == 1);
      ::kill(child, SIGKILL);
      int status = 0;
      QVERIFY(waitpid(child, &status, 0) == child);
      close(progress[0]);
      const Loaded loaded = Start(true);
      QVERIFY2(!loaded.useMidi && !loaded.subfolders, ReadIni().constData());
      // Time is written first: it is one round ahead of the folder or equal.
      int timeRound = -1;
      int folderRound = -1;
      for (int round = first - 1; round <= first + pairs + 1; ++round) {
        if (loaded.time == value(round)) timeRound = round;
        if (loaded.folder == value(round)) folderRound = round;
      }
      QVERIFY2(timeRound >= first + pairs - 1, ReadIni().constData());
      QVERIFY2(timeRound == folderRound || timeRound == folderRound + 1, ReadIni().constData());
      lastSeen = timeRound;
    }
  }
};

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "SettingsFileTest.moc"
