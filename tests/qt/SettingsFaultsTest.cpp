// Faults of the settings file under the program's start-up and writes:
// garbage around good settings, a file that is read-only, write-only,
// unreadable, a FIFO or a link to a device, a file in place of its folder,
// and writers killed mid-write.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QtTest>
#include <cstring>
#include <functional>
#include <random>

#include "Fakes.h"
#include "PosixTestGuards.h"
#include "QtKeyValueStore.h"
#include "settings/Settings.h"

namespace {

constexpr uid_t Nobody = NobodyUid;

struct Loaded {
  std::string time;
  bool useMidi;
  std::string folder;
  bool subfolders;
};

}  // namespace

class SettingsFaultsTest : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  int case_ = 0;
  // A fresh path for every test: QSettings keeps what it parsed per path
  // within a process, and the program reads its file once per process.
  QString Folder() const { return dir_.filePath(QStringLiteral("%1/TimerZqv2010").arg(case_)); }
  QString Ini() const { return Folder() + QStringLiteral("/Timer.ini"); }
  std::string IniPath() const { return Ini().toStdString(); }

  static QByteArray GoodSettings() {
    return "[Time]\nString%20Value=8:30 pm\n"
           "[UseMidi]\nString%20Value=0\n"
           "[MP3Folder]\nString%20Value=/songs/\n"
           "[SubfoldersOn]\nString%20Value=0\n";
  }
  void WriteIni(const QByteArray& bytes) {
    QFile file(Ini());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
  }
  QByteArray ReadIni() {
    QFile file(Ini());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
  }
  // The program's start-up over the file: what it reads into its state.
  Loaded Start() { return Start(Ini()); }
  Loaded Start(const QString& ini) {
    QtKeyValueStore store(ini);
    TestApp t;
    t.folders.musicFolder = "/home/u/Music";
    App app{AppState{},
            Ports{t.window, t.sound, store, t.folders, t.listing, t.clock, t.volume, t.tunes, t.launcher, t.chooser}};
    LoadSettings(app);
    return {t.window.ItemText(202), app.State.UseMidi, app.State.MP3Folder, app.State.SubfoldersOn};
  }
  // Hands the folder and the file to "nobody", who can then reach them.
  void GiveToNobody() {
    QVERIFY(chmod(dir_.path().toUtf8().constData(), 0755) == 0);
    QVERIFY(chmod(QFileInfo(Folder()).path().toUtf8().constData(), 0755) == 0);
    if (geteuid() != 0) return;
    QVERIFY(chown(Folder().toUtf8().constData(), Nobody, Nobody) == 0);
    struct stat st {};
    if (lstat(Ini().toUtf8().constData(), &st) == 0) QVERIFY(lchown(Ini().toUtf8().constData(), Nobody, Nobody) == 0);
  }

 private slots:
  void init() {
    QVERIFY(dir_.isValid());
    ++case_;
    QDir().mkpath(Folder());
  }

  void garbageAroundGoodSettingsKeepsThem() {
    QByteArray garbage;
    for (int i = 0; i < 3000; ++i) garbage.append(static_cast<char>((i * 7919 + 13) % 256));
    WriteIni(garbage + "\n[UseMidi]\nString%20Value=0\n" + garbage.left(500) +
             "\n[MP3Folder]\nString%20Value=/songs/\n" + garbage.right(700));
    const Loaded loaded = Start();
    QCOMPARE(loaded.useMidi, false);
    QCOMPARE(loaded.folder, std::string("/songs/"));
    QCOMPARE(loaded.subfolders, true);  // garbage: the default
    // A write keeps what could be read.
    QtKeyValueStore store(Ini());
    WriteSetting(store, "Time", "5");
    const Loaded after = Start();
    QCOMPARE(after.time, std::string("5"));
    QCOMPARE(after.useMidi, false);
    QCOMPARE(after.folder, std::string("/songs/"));
  }

  void readOnlyFileIsReadAndLeftAsItWas() {
    WriteIni(GoodSettings());
    QVERIFY(chmod(Ini().toUtf8().constData(), 0444) == 0);
    GiveToNobody();
    {
      AsNobody nobody;
      const Loaded loaded = Start();
      QCOMPARE(loaded.time, std::string("8:30 pm"));
      QCOMPARE(loaded.useMidi, false);
      QCOMPARE(loaded.folder, std::string("/songs/"));
      QCOMPARE(loaded.subfolders, false);
      QtKeyValueStore store(Ini());
      WriteSetting(store, "Time", "20");  // dropped quietly
    }
    QCOMPARE(ReadIni(), GoodSettings());
  }

  void unreadableFileGivesDefaultsAndKeepsItsContents() {
    WriteIni(GoodSettings());
    QVERIFY(chmod(Ini().toUtf8().constData(), 0) == 0);
    GiveToNobody();
    {
      AsNobody nobody;
      const Loaded loaded = Start();
      QCOMPARE(loaded.time, std::string());
      QCOMPARE(loaded.useMidi, true);
      QCOMPARE(loaded.folder, std::string("/home/u/Music"));
      QCOMPARE(loaded.subfolders, true);
      QtKeyValueStore store(Ini());
      WriteSetting(store, "UseMidi", "1");
    }
    QVERIFY(chmod(Ini().toUtf8().constData(), 0644) == 0);
    QCOMPARE(ReadIni(), GoodSettings());
  }

  void writeOnlyFileIsNotReplacedByWhatLittleIsKnown() {
    // The file cannot be read but could be replaced: a write must not put a
    // file holding only the new setting in place of the four stored ones.
    WriteIni(GoodSettings());
    QVERIFY(chmod(Ini().toUtf8().constData(), 0200) == 0);
    GiveToNobody();
    {
      AsNobody nobody;
      QCOMPARE(Start().useMidi, true);
      QtKeyValueStore store(Ini());
      WriteSetting(store, "Time", "20");
    }
    QVERIFY(chmod(Ini().toUtf8().constData(), 0644) == 0);
    const Loaded after = Start();
    QCOMPARE(after.useMidi, false);
    QCOMPARE(after.folder, std::string("/songs/"));
    QCOMPARE(after.subfolders, false);
  }

  void fifoOrDeviceAtTheFilesPlaceNeverBlocks() {
    struct Case {
      const char* what;
      std::function<void()> plant;
    };
    const Case cases[] = {
        {"FIFO", [&] { QVERIFY(mkfifo(Ini().toUtf8().constData(), 0666) == 0); }},
        {"link to /dev/zero", [&] { QVERIFY(symlink("/dev/zero", Ini().toUtf8().constData()) == 0); }},
        {"link to a FIFO",
         [&] {
           QVERIFY(mkfifo((Ini() + QStringLiteral(".fifo")).toUtf8().constData(), 0666) == 0);
           QVERIFY(symlink((Ini() + QStringLiteral(".fifo")).toUtf8().constData(), Ini().toUtf8().constData()) == 0);
         }},
    };
    for (const Case& c : cases) {
      ++case_;
      QDir().mkpath(Folder());
      c.plant();
      GiveToNobody();
      rusage before{};
      getrusage(RUSAGE_SELF, &before);
      HangGuard guard(c.what);
      // As "nobody", so that nothing could ever be written into /dev.
      AsNobody nobody;
      const Loaded loaded = Start();
      QVERIFY2(loaded.useMidi && loaded.subfolders && loaded.time.empty(), c.what);
      QtKeyValueStore store(Ini());
      WriteSetting(store, "Time", "20");
      rusage after{};
      getrusage(RUSAGE_SELF, &after);
      QVERIFY2(after.ru_maxrss - before.ru_maxrss < 256 * 1024, c.what);  // nothing read without end
    }
  }

  void folderReplacedByAFileGivesDefaultsAndStaysAFile() {
    QVERIFY(QDir(Folder()).removeRecursively());
    QFile file(Folder());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("someone's file");
    file.close();
    const Loaded loaded = Start();
    QCOMPARE(loaded.time, std::string());
    QCOMPARE(loaded.useMidi, true);
    QCOMPARE(loaded.folder, std::string("/home/u/Music"));
    QtKeyValueStore store(Ini());
    WriteSetting(store, "Time", "20");  // nowhere to go: dropped quietly
    QVERIFY(QFileInfo(Folder()).isFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("someone's file"));
  }

  void emptyLockLeftByAKilledWriterDoesNotHoldUpWrites() {
    // What a writer killed between creating the lock file and filling it in
    // leaves behind. Waiting for it to age would take 30 seconds.
    WriteIni(GoodSettings());
    QFile lock(Ini() + QStringLiteral(".lock"));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.close();
    HangGuard guard("write behind an empty lock file", 10);
    QtKeyValueStore store(Ini());
    WriteSetting(store, "Time", "20");
    const QString copy = dir_.filePath(QStringLiteral("after-lock.ini"));  // read as a fresh start would
    QVERIFY(QFile::copy(Ini(), copy));
    QCOMPARE(Start(copy).time, std::string("20"));
    QCOMPARE(Start(copy).useMidi, false);
  }

  void writerKilledMidWriteLeavesTheOldOrTheNewFile() {
    // A child writes two settings again and again, telling the parent after
    // each pair; the parent kills it at once, so the kill falls somewhere in
    // the next pair. The file must always be a whole earlier or later one.
    const auto value = [](int round) {
      return "round " + std::to_string(round) + " " + std::string(150, static_cast<char>('a' + round % 26));
    };
    {
      QtKeyValueStore store(Ini());
      WriteSetting(store, "UseMidi", "0");
      WriteSetting(store, "SubfoldersOn", "0");
    }
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

      // Read as a fresh start would: a copy at a path never parsed before.
      const QString copy = dir_.filePath(QStringLiteral("copy%1.ini").arg(kill_));
      QVERIFY(QFile::copy(Ini(), copy));
      const Loaded loaded = Start(copy);
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

QTEST_GUILESS_MAIN(SettingsFaultsTest)
#include "SettingsFaultsTest.moc"
