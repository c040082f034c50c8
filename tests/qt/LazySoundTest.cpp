// The sound channel that loads SDL at the first song: quiet without its
// module, the real channel behind it once loaded, and the gain kept across.
#include <dlfcn.h>

#include <QtTest>

#include "LazySound.h"

namespace {
// A complete one-note standard MIDI file.
const char OneNote[] =
    "MThd\0\0\0\x06\0\0\0\x01\0\x60"
    "MTrk\0\0\0\x0c\0\x90\x3c\x40\x60\x80\x3c\x40\0\xff\x2f\0";
}  // namespace

class LazySoundTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { qputenv("SDL_AUDIODRIVER", "dummy"); }

  void withoutTheModuleEveryOpenFailsQuietly() {
    LazySoundChannel channel({"/nonexistent/tovins-timer-sound.so", ""});
    LazyOutputVolume volume(channel);
    QCOMPARE(volume.GetWaveVolume(), std::optional<std::uint32_t>(0xFFFFFFFFu));  // full at start
    channel.Open("/usr/share/sounds/anything.mid");
    channel.Play();
    QCOMPARE(channel.Mode(), std::string());
    QVERIFY(!channel.Loaded());
    volume.SetWaveVolume(0x12341234);
    QCOMPARE(volume.GetWaveVolume(), std::optional<std::uint32_t>(0x12341234));
    channel.Close();
  }

  void modeAndCloseNeverLoadTheModule() {
    LazySoundChannel channel({TIMER_SOUND_MODULE_PATH});
    QCOMPARE(channel.Mode(), std::string());
    channel.Close();
    channel.Play();
    QVERIFY(!channel.Loaded());
  }

  void firstSongLoadsTheRealChannel() {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("Temp.mid")).toStdString();
    {
      QFile file(QString::fromStdString(path));
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(OneNote, sizeof OneNote - 1);
    }

    LazySoundChannel channel({"/nonexistent/first.so", TIMER_SOUND_MODULE_PATH});
    LazyOutputVolume volume(channel);
    volume.SetWaveVolume(0x40004000);  // before the module: kept, then handed on
    channel.Open(dir.filePath(QStringLiteral("missing.mid")).toStdString());
    QVERIFY(channel.Loaded());
    QCOMPARE(channel.Mode(), std::string());  // nothing could be opened
    channel.Open(path);
    channel.Play();
    QVERIFY(!channel.Mode().empty());
    QCOMPARE(volume.GetWaveVolume(), std::optional<std::uint32_t>(0x40004000));
    channel.Close();
    QCOMPARE(channel.Mode(), std::string());
    QVERIFY(!channel.Loaded());  // the music is over: the sound stack goes
    QVERIFY(!dlopen(TIMER_SOUND_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD));
    channel.Open(path);          // and comes back at the next song
    QVERIFY(channel.Loaded());
    QVERIFY(!channel.Mode().empty());
  }

  // Heard through SDL's disk driver: a gain set before the module loads is
  // the real channel's too (silence at 0, the note at full).
  void gainSetBeforeLoadingIsHeard() {
    QTemporaryDir dir;
    const QString song = dir.filePath(QStringLiteral("Temp.mid")), out = dir.filePath(QStringLiteral("out.raw"));
    QFile file(song);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(OneNote, sizeof OneNote - 1);
    file.close();
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIODELAY", "0");
    qputenv("SDL_DISKAUDIOFILE", out.toUtf8());
    for (const std::uint32_t gain : {0xFFFFFFFFu, 0u}) {
      {
        LazySoundChannel channel({TIMER_SOUND_MODULE_PATH});
        channel.SetGain(gain);
        channel.Open(song.toStdString());
        channel.Play();
        QTRY_COMPARE(channel.Mode(), std::string("stopped"));
      }
      QFile samples(out);
      QVERIFY(samples.open(QIODevice::ReadOnly));
      const QByteArray bytes = samples.readAll();
      QCOMPARE(bytes.count('\0') != bytes.size(), gain != 0);
    }
    qputenv("SDL_AUDIODRIVER", "dummy");
  }
};

QTEST_GUILESS_MAIN(LazySoundTest)
#include "LazySoundTest.moc"
