// The sound channel that loads SDL at the first song: quiet without its
// module, the real channel behind it once loaded, gone again after the music.
#include <dlfcn.h>

#include <QtTest>

#include "LazySound.h"

class LazySoundTest : public QObject {
  Q_OBJECT
 private slots:
  void loadedForTheMusicOnlyAndAtItsGain() {
    QTemporaryDir dir;
    const QString song = dir.filePath(QStringLiteral("Temp.mid")), out = dir.filePath(QStringLiteral("out.raw"));
    QFile file(song);  // one note
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        QByteArray("MThd\0\0\0\x06\0\0\0\x01\0\x60MTrk\0\0\0\x0c\0\x90\x3c\x40\x60\x80\x3c\x40\0\xff\x2f\0", 34));
    file.close();
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIODELAY", "0");
    qputenv("SDL_DISKAUDIOFILE", out.toUtf8());
    LazySoundChannel missing({"/nonexistent/tovins-timer-sound.so"});
    missing.Open(song.toStdString());
    QCOMPARE(missing.Mode(), std::string());
    // A gain set before the module loads is the real channel's too: silence
    // at 0, the note at full.
    for (const std::uint32_t gain : {0u, 0xFFFFFFFFu}) {
      LazySoundChannel channel({"/nonexistent/first.so", TIMER_SOUND_MODULE_PATH});
      channel.SetGain(gain);
      channel.Close();
      QCOMPARE(channel.Mode(), std::string());
      QVERIFY(!channel.Loaded());  // asking and closing load nothing
      channel.Open(song.toStdString());
      channel.Play();
      QTRY_COMPARE(channel.Mode(), std::string("stopped"));
      channel.Close();
      QCOMPARE(channel.Mode(), std::string());
      QVERIFY(!channel.Loaded());  // the music is over: the sound stack goes
      QVERIFY(!dlopen(TIMER_SOUND_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD));
      QFile samples(out);
      QVERIFY(samples.open(QIODevice::ReadOnly));
      const QByteArray bytes = samples.readAll();
      QCOMPARE(bytes.count('\0') != bytes.size(), gain != 0);
      channel.Open(song.toStdString());  // and comes back at the next song
      QCOMPARE(channel.Mode(), std::string("stopped"));
    }
  }
};

QTEST_GUILESS_MAIN(LazySoundTest)
#include "LazySoundTest.moc"
