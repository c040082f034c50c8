// The settings file against a real INI file in a temporary folder: limits,
// flags, raw bytes, and files that are corrupt, unreadable or unwritable.
#include <QtTest>

#include "Fakes.h"
#include "QtKeyValueStore.h"
#include "settings/Settings.h"

class QtKeyValueStoreTest : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  QString Ini() const { return dir_.filePath(QStringLiteral("TimerZqv2010/Timer.ini")); }
  void WriteFileText(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
  }

 private slots:
  void init() {
    QVERIFY(dir_.isValid());
    QDir(dir_.path()).removeRecursively();
    QDir().mkpath(dir_.path());
  }

  void defaultPathFollowsXdgConfigHome() {
    qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8());
    QCOMPARE(QtKeyValueStore::DefaultPath(), Ini());
  }

  void settingIsAGroupHoldingStringValue() {
    QtKeyValueStore store(Ini());
    WriteSetting(store, "Time", "20");
    QSettings file(Ini(), QSettings::IniFormat);
    QCOMPARE(file.value(QStringLiteral("Time/String Value")).toString(), QStringLiteral("20"));
    QCOMPARE(ReadSetting(store, "Time", "x"), std::string("20"));
    QCOMPARE(ReadSetting(store, "UseMidi", "1"), std::string("1"));  // absent: the default
  }

  // Any real path fits (4,096 bytes with its NUL) and survives a restart:
  // a new store on the same file, read at start-up.
  void longFolderSurvivesARestart_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("readBack");
    QTest::newRow("1,000 bytes") << 1000 << true;
    QTest::newRow("4,095 fits with its NUL") << 4095 << true;
    QTest::newRow("4,096 is too long") << 4096 << false;
    QTest::newRow("empty") << 0 << true;
  }
  void longFolderSurvivesARestart() {
    QFETCH(int, length);
    QFETCH(bool, readBack);
    std::string text = "/";
    while (text.size() < static_cast<std::size_t>(length)) text += "music/";
    text.resize(static_cast<std::size_t>(length));
    {
      QtKeyValueStore before(Ini());
      WriteSetting(before, "MP3Folder", text);
    }
    QtKeyValueStore store(Ini());
    TestApp t;
    t.folders.musicFolder = "/home/u/Music";
    App app{AppState{},
            Ports{t.window, t.sound, store, t.folders, t.listing, t.clock, t.volume, t.tunes, t.launcher, t.chooser}};
    LoadSettings(app);
    QCOMPARE(app.State.MP3Folder, readBack ? text : std::string("/home/u/Music"));
  }

  void rawBytesKeepEveryByte() {
    QtKeyValueStore store(Ini());
    KeyValueStore::Key key = 0;
    QVERIFY(store.CreateKey("Software\\TimerZqv2010\\MP3Folder", key));
    const std::string bytes("/m\xe9lodies\0x", 11);  // not UTF-8, an inner NUL, no final NUL
    QVERIFY(store.SetValue(key, "String Value", bytes));
    store.CloseKey(key);
    QVERIFY(store.OpenKey("Software\\TimerZqv2010\\MP3Folder", key));
    char buffer[64];
    std::uint32_t size = sizeof buffer;
    QVERIFY(store.QueryValue(key, "String Value", buffer, size));
    QCOMPARE(std::string(buffer, size), bytes);
    std::uint32_t small = 10;
    QVERIFY(!store.QueryValue(key, "String Value", buffer, small));
    QVERIFY(!store.QueryValue(key, "Other Value", buffer, size));
    store.CloseKey(key);
    QVERIFY(!store.OpenKey("Software\\TimerZqv2010\\Missing", key));
  }

  void textWithIniSpecialCharactersRoundTrips() {
    QtKeyValueStore store(Ini());
    // Kept byte for byte, blanks included, so "1 " stays a false flag.
    for (const std::string text : {"/home/a, b/Music/", "a=b;c", "@ByteArray(x)", "  8:30 pm  ", "\"q\"", "1 ", " 1"}) {
      WriteSetting(store, "MP3Folder", text);
      QCOMPARE(ReadSetting(store, "MP3Folder", "default"), text);
    }
  }

  void garbageFileGivesDefaults() {
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i) garbage.append(static_cast<char>((i * 7919 + 13) % 256));
    WriteFileText(Ini(), garbage);
    QtKeyValueStore store(Ini());
    TestApp t;
    t.folders.musicFolder = "/home/u/Music";
    App app{AppState{},
            Ports{t.window, t.sound, store, t.folders, t.listing, t.clock, t.volume, t.tunes, t.launcher, t.chooser}};
    LoadSettings(app);
    QCOMPARE(app.State.UseMidi, true);
    QCOMPARE(app.State.SubfoldersOn, true);
    QCOMPARE(app.State.MP3Folder, std::string("/home/u/Music"));
    QCOMPARE(t.window.ItemText(202), std::string());
    // A later write still lands and reads back.
    WriteSetting(store, "Time", "5");
    QCOMPARE(ReadSetting(store, "Time", ""), std::string("5"));
  }

  void oneBadSettingLeavesTheOthers() {
    WriteFileText(Ini(),
                  "[Time]\nString%20Value=a, b, c\n"
                  "[UseMidi]\nString%20Value=0\n"
                  "[SubfoldersOn\nString%20Value=0\n"
                  "[MP3Folder]\nString%20Value=/songs/\n");
    QtKeyValueStore store(Ini());
    QCOMPARE(ReadSetting(store, "Time", "default"), std::string("default"));  // a list nobody wrote
    QCOMPARE(ReadSetting(store, "UseMidi", "1"), std::string("0"));
    QCOMPARE(ReadSetting(store, "MP3Folder", ""), std::string("/songs/"));
    WriteSetting(store, "Time", "20");
    QCOMPARE(ReadSetting(store, "UseMidi", "1"), std::string("0"));
    QCOMPARE(ReadSetting(store, "MP3Folder", ""), std::string("/songs/"));
  }

  void unwritableOrUnreadablePlaceNeverStopsTheProgram() {
    // A plain file where the folder should be: nothing can be created there,
    // whoever runs the test.
    WriteFileText(dir_.filePath(QStringLiteral("TimerZqv2010")), "not a folder");
    QtKeyValueStore store(Ini());
    WriteSetting(store, "Time", "20");
    QCOMPARE(ReadSetting(store, "Time", "default"), std::string("default"));
    KeyValueStore::Key key = 0;
    QVERIFY(store.CreateKey("Software\\TimerZqv2010\\Time", key));
    QVERIFY(!store.SetValue(key, "String Value", std::string_view("20", 3)));
    // A folder in place of the file: defaults, and writes change nothing.
    QDir(dir_.path()).removeRecursively();
    QDir().mkpath(Ini());
    QtKeyValueStore other(Ini());
    QCOMPARE(ReadSetting(other, "UseMidi", "1"), std::string("1"));
    WriteSetting(other, "UseMidi", "0");
    QCOMPARE(ReadSetting(other, "UseMidi", "1"), std::string("1"));
  }

  void writesReplaceTheFileWhole() {
    QtKeyValueStore store(Ini());
    WriteSetting(store, "Time", "20");
    WriteSetting(store, "UseMidi", "0");
    // Written through a temporary file and a rename: no partial file or
    // leftover temporary beside it.
    const QStringList files = QDir(QFileInfo(Ini()).path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(files, QStringList{QStringLiteral("Timer.ini")});
    QSettings file(Ini(), QSettings::IniFormat);
    QVERIFY(file.isAtomicSyncRequired());
  }
};

QTEST_GUILESS_MAIN(QtKeyValueStoreTest)
#include "QtKeyValueStoreTest.moc"
