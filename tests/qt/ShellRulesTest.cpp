// The shell's rules: accelerator keys, tick schedule, typing limit, tooltip
// wrapping, dialog units and centring.
#include <QtTest>

#include "Look.h"
#include "ShellRules.h"
#include "app/Commands.h"
#include "app/Ids.h"

class ShellRulesTest : public QObject {
  Q_OBJECT
 private slots:
  void accelerators() {
    const auto none = Qt::NoModifier, shift = Qt::ShiftModifier, alt = Qt::AltModifier, ctrl = Qt::ControlModifier;
    // Key, modifiers and text -> command (0: none; Alt+g is the menu's).
    const std::tuple<int, Qt::KeyboardModifiers, QString, int> cases[] = {
        {Qt::Key_Return, none, "\r", CmdStartTimer},
        {Qt::Key_Enter, Qt::KeypadModifier, "\r", CmdStartTimer},
        {Qt::Key_Tab, none, "\t", CmdNextFocus},
        {Qt::Key_Backtab, shift, "", CmdNextFocus},
        {Qt::Key_T, alt, "", CmdStartTimer},
        {Qt::Key_H, none, "h", CmdHelp},
        {Qt::Key_G, none, "g", CmdGo},
        {Qt::Key_S, none, "s", CmdStop},
        {Qt::Key_V, none, "v", CmdVolume},
        {Qt::Key_F, none, "f", CmdFolder},
        {Qt::Key_T, none, "t", CmdStartTimer},
        {Qt::Key_G, shift, "G", 0},
        {Qt::Key_G, ctrl, "g", 0},
        {Qt::Key_G, alt, "g", 0},
        {Qt::Key_2, none, "2", 0},
        {Qt::Key_Return, ctrl, "\r", 0}};
    for (const auto& [key, mods, text, command] : cases)
      QCOMPARE(AcceleratorCommand(key, mods, text).value_or(0), command);
  }

  // Ticks land 5 ms after the second; typing stops at the limit (a paste is
  // cut to fit); tooltips wrap at the width; dialog units round.
  void layoutAndTimingRules() {
    for (const auto& [ms, delay] : {std::pair{0, 1005}, {500, 505}, {999, 6}, {-3, 1005}, {1200, 6}})
      QCOMPARE(MsUntilNextTick(ms), delay);
    const std::tuple<QString, QString, QString, int> typing[] = {
        // before, after -> kept text and cursor ("": as typed)
        {"123456789", "1234567890", "", 0},
        {"1234567890", "12345x67890", "1234567890", 5},
        {"1234567890", "12abcdefgh90", "12abcdef90", 8},
        {"123456789012345", "1234567890123456", "123456789012345", 15}};
    for (const auto& [before, after, text, cursor] : typing) {
      const auto kept = LimitTyping(before, after, 10);
      QCOMPARE(kept ? std::make_pair(kept->Text, kept->Cursor) : std::make_pair(QString(), 0),
               std::make_pair(text, cursor));
    }
    const auto width = [](const QString& s) { return static_cast<int>(s.size()); };  // a pixel a character
    QCOMPARE(WrapToWidth("aaa bbb ccc ddd", 7, width), QStringLiteral("aaa bbb\nccc ddd"));
    QCOMPARE(WrapToWidth("a bbbbbbbbbbbb c", 5, width), QStringLiteral("a\nbbbbbbbbbbbb\nc"));
    QCOMPARE(DialogUnits::FromFont(364, 16).ToPixels(93, 3, 30, 10), QRect(163, 6, 52, 20));  // Tahoma 12 pt, 96 dpi
    QCOMPARE(DialogUnits::FromFont(300, 15).ToPixels(1, 1, 3, 3), QRect(2, 2, 4, 6));
    QCOMPARE(CenteredCorner(QSize(1024, 768), QSize(450, 55)), QPoint(287, 356));
  }
};

QTEST_MAIN(ShellRulesTest)
#include "ShellRulesTest.moc"
