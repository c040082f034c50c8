// Table tests of the shell's pure helpers: accelerator keys, tick schedule,
// typing limit, tooltip wrapping, dialog units and centring.
#include <QtTest>

#include "Look.h"
#include "QtLauncher.h"
#include "ShellRules.h"
#include "app/Ids.h"

Q_DECLARE_METATYPE(Qt::KeyboardModifiers)

class ShellRulesTest : public QObject {
  Q_OBJECT
 private slots:
  void accelerators_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("mods");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("command");  // 0: typed or handled normally
    const auto none = Qt::KeyboardModifiers(Qt::NoModifier);
    // The keys' effects in the window are checked by the window's own test;
    // here the keys that must not be commands, and Tab.
    QTest::newRow("Tab") << int(Qt::Key_Tab) << none << "\t" << CmdNextFocus;
    QTest::newRow("Alt+t without text") << int(Qt::Key_T) << Qt::KeyboardModifiers(Qt::AltModifier) << ""
                                        << CmdStartTimer;
    const auto shift = Qt::KeyboardModifiers(Qt::ShiftModifier);
    QTest::newRow("Alt+T (shift) nothing") << int(Qt::Key_T) << (Qt::AltModifier | Qt::ShiftModifier) << "T" << 0;
    QTest::newRow("Ctrl+g nothing") << int(Qt::Key_G) << Qt::KeyboardModifiers(Qt::ControlModifier) << "\a" << 0;
    QTest::newRow("Alt+g is the menu's") << int(Qt::Key_G) << Qt::KeyboardModifiers(Qt::AltModifier) << "g" << 0;
    QTest::newRow("digit") << int(Qt::Key_2) << none << "2" << 0;
    QTest::newRow("colon") << int(Qt::Key_Colon) << shift << ":" << 0;
    QTest::newRow("space") << int(Qt::Key_Space) << none << " " << 0;
    QTest::newRow("p") << int(Qt::Key_P) << none << "p" << 0;
    QTest::newRow("a") << int(Qt::Key_A) << none << "a" << 0;
    QTest::newRow("Ctrl+Enter") << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::ControlModifier) << "\r" << 0;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << none << "\x1b" << 0;
  }
  void accelerators() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, mods);
    QFETCH(QString, text);
    QFETCH(int, command);
    QCOMPARE(AcceleratorCommand(key, mods, text).value_or(0), command);
  }

  void tickDelay_data() {
    QTest::addColumn<int>("ms");
    QTest::addColumn<int>("delay");
    QTest::newRow("at the second") << 0 << 1005;
    QTest::newRow("just after a tick") << 5 << 1000;
    QTest::newRow("half way") << 500 << 505;
    QTest::newRow("just before") << 999 << 6;
    QTest::newRow("clamped low") << -3 << 1005;
    QTest::newRow("clamped high") << 1200 << 6;
  }
  void tickDelay() {
    QFETCH(int, ms);
    QFETCH(int, delay);
    QCOMPARE(MsUntilNextTick(ms), delay);
    // Whatever the start, the tick lands in the first few ms of a second.
    QCOMPARE((std::clamp(ms, 0, 999) + MsUntilNextTick(ms)) % 1000, TickLateMs);
  }

  void typingLimit_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cursor");
    QTest::newRow("tenth character fits") << "123456789"
                                          << "1234567890" << false << "" << 0;
    QTest::newRow("eleventh is refused") << "1234567890"
                                         << "12345678901" << true << "1234567890" << 10;
    QTest::newRow("insert in the middle refused") << "1234567890"
                                                  << "12345x67890" << true << "1234567890" << 5;
    QTest::newRow("paste cut to what fits") << "12345"
                                            << "12345abcdefgh" << true << "12345abcde" << 10;
    QTest::newRow("paste over a selection") << "1234567890"
                                            << "12abcdefgh90" << true << "12abcdef90" << 8;
    QTest::newRow("stored long text can't grow") << "123456789012345"
                                                 << "1234567890123456" << true << "123456789012345" << 15;
  }
  void typingLimit() {
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(bool, changed);
    const auto result = LimitTyping(before, after, 10);
    QCOMPARE(result.has_value(), changed);
    if (changed) {
      QTEST(result->Text, "text");
      QTEST(result->Cursor, "cursor");
    }
  }

  void wrapping_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("wrapped");
    QTest::newRow("short stays") << "The current time" << 250 << "The current time";
    QTest::newRow("breaks at spaces") << "aaa bbb ccc ddd" << 7 << "aaa bbb\nccc ddd";
    QTest::newRow("exact fit") << "aaaa bbbbb" << 10 << "aaaa bbbbb";
    QTest::newRow("long word alone") << "a bbbbbbbbbbbb c" << 5 << "a\nbbbbbbbbbbbb\nc";
  }
  void wrapping() {
    QFETCH(QString, text);
    QFETCH(int, width);
    // One pixel per character makes the widths easy to read.
    QTEST(WrapToWidth(text, width, [](const QString& s) { return static_cast<int>(s.size()); }), "wrapped");
  }

  void dialogUnits_data() {
    QTest::addColumn<int>("alphabet");
    QTest::addColumn<int>("height");
    QTest::addColumn<QRect>("units");
    QTest::addColumn<QRect>("pixels");
    // Tahoma 12 pt on a 96 dpi desktop: base units 7 x 16 (alphabet 364 px wide).
    QTest::newRow("time box") << 364 << 16 << QRect(3, 3, 40, 10) << QRect(5, 6, 70, 20);
    QTest::newRow("client") << 364 << 16 << QRect(0, 0, 180, 15) << QRect(0, 0, 315, 30);
    QTest::newRow("Timer button") << 364 << 16 << QRect(93, 3, 30, 10) << QRect(163, 6, 52, 20);
    QTest::newRow("odd base rounds") << 300 << 15 << QRect(1, 1, 3, 3) << QRect(2, 2, 4, 6);
  }
  void dialogUnits() {
    QFETCH(int, alphabet);
    QFETCH(int, height);
    QFETCH(QRect, units);
    const DialogUnits du = DialogUnits::FromFont(alphabet, height);
    QTEST(du.ToPixels(units.x(), units.y(), units.width(), units.height()), "pixels");
  }

  void centring_data() {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QPoint>("corner");
    QTest::newRow("fits") << QSize(1024, 768) << QSize(450, 55) << QPoint(287, 356);
    QTest::newRow("odd difference") << QSize(101, 101) << QSize(50, 50) << QPoint(25, 25);
    QTest::newRow("wider than the screen") << QSize(100, 100) << QSize(105, 50) << QPoint(-2, 25);
  }
  void centring() {
    QFETCH(QSize, screen);
    QFETCH(QSize, window);
    QTEST(CenteredCorner(screen, window), "corner");
  }

  void launcherTellsWhetherTheProgramStarted() {
    QtLauncher launcher;
    QVERIFY(launcher.Launch("true"));
    QVERIFY(launcher.Launch("true --with an-argument"));
    QVERIFY(!launcher.Launch("no-such-mixer-program-here"));
    QVERIFY(!launcher.Launch(""));
  }
};

QTEST_GUILESS_MAIN(ShellRulesTest)
#include "ShellRulesTest.moc"
