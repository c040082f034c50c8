// Table tests of the shell's pure helpers: accelerator keys, tick schedule,
// typing limit, tooltip wrapping, dialog units and centring; the window's
// tooltips and its alarm message box.
#include <QAbstractButton>
#include <QLabel>
#include <QtTest>

#include "Look.h"
#include "MusicSettingsDialog.h"
#include "QtLauncher.h"
#include "ShellRules.h"
#include "WindowRig.h"
#include "app/Commands.h"
#include "app/Ids.h"
#include "app/Tooltips.h"

class ShellRulesTest : public QObject {
  Q_OBJECT
 private slots:
  void accelerators() {
    const auto none = Qt::NoModifier, shift = Qt::ShiftModifier, alt = Qt::AltModifier, ctrl = Qt::ControlModifier;
    const std::tuple<const char*, int, Qt::KeyboardModifiers, QString, int> cases[] = {  // 0: no command
        {"Enter", Qt::Key_Return, none, "\r", CmdStartTimer},
        {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, "\r", CmdStartTimer},
        {"Tab", Qt::Key_Tab, none, "\t", CmdNextFocus},
        {"Shift+Tab", Qt::Key_Backtab, shift, "", CmdNextFocus},
        {"Alt+t without text", Qt::Key_T, alt, "", CmdStartTimer},
        {"h", Qt::Key_H, none, "h", CmdHelp},
        {"g", Qt::Key_G, none, "g", CmdGo},
        {"s", Qt::Key_S, none, "s", CmdStop},
        {"v", Qt::Key_V, none, "v", CmdVolume},
        {"f", Qt::Key_F, none, "f", CmdFolder},
        {"t", Qt::Key_T, none, "t", CmdStartTimer},
        {"G (upper case)", Qt::Key_G, shift, "G", 0},
        {"Alt+T (shift)", Qt::Key_T, alt | shift, "T", 0},
        {"Ctrl+g", Qt::Key_G, ctrl, "g", 0},
        {"Alt+g is the menu's", Qt::Key_G, alt, "g", 0},
        {"digit", Qt::Key_2, none, "2", 0},
        {"colon", Qt::Key_Colon, shift, ":", 0},
        {"Ctrl+Enter", Qt::Key_Return, ctrl, "\r", 0},
        {"Escape", Qt::Key_Escape, none, "\x1b", 0},
    };
    for (const auto& [what, key, mods, text, command] : cases) {
      QVERIFY2(AcceleratorCommand(key, mods, text).value_or(0) == command, what);
    }
  }

  void tickDelay() {
    // ms into the second -> delay: the tick lands 5 ms after the second
    const std::pair<int, int> cases[] = {{0, 1005}, {5, 1000}, {500, 505}, {999, 6}, {-3, 1005}, {1200, 6}};
    for (const auto& [ms, delay] : cases) QCOMPARE(MsUntilNextTick(ms), delay);
  }

  void typingLimit() {
    // before, after the edit -> the text kept and the cursor (no change when the text is empty)
    const std::tuple<QString, QString, QString, int> cases[] = {
        {"123456789", "1234567890", "", 0},  // the tenth character fits
        {"1234567890", "12345678901", "1234567890", 10},
        {"1234567890", "12345x67890", "1234567890", 5},
        {"12345", "12345abcdefgh", "12345abcde", 10},  // a paste cut to what fits
        {"1234567890", "12abcdefgh90", "12abcdef90", 8},  // a paste over a selection
        {"123456789012345", "1234567890123456", "123456789012345", 15},  // a stored long text cannot grow
    };
    for (const auto& [before, after, text, cursor] : cases) {
      const auto result = LimitTyping(before, after, 10);
      QCOMPARE(result.has_value(), !text.isEmpty());
      if (result) QCOMPARE(std::make_pair(result->Text, result->Cursor), std::make_pair(text, cursor));
    }
  }

  void wrapping() {
    // One pixel per character makes the widths easy to read.
    const auto width = [](const QString& s) { return static_cast<int>(s.size()); };
    const std::tuple<QString, int, QString> cases[] = {
        {"The current time", 250, "The current time"},
        {"aaa bbb ccc ddd", 7, "aaa bbb\nccc ddd"},
        {"aaaa bbbbb", 10, "aaaa bbbbb"},
        {"a bbbbbbbbbbbb c", 5, "a\nbbbbbbbbbbbb\nc"},
    };
    for (const auto& [text, maxWidth, wrapped] : cases) QCOMPARE(WrapToWidth(text, maxWidth, width), wrapped);
  }

  void dialogUnits() {
    // Tahoma 12 pt on a 96 dpi desktop: base units 7 x 16 (alphabet 364 px wide).
    const std::tuple<int, int, QRect, QRect> cases[] = {
        {364, 16, QRect(3, 3, 40, 10), QRect(5, 6, 70, 20)},
        {364, 16, QRect(0, 0, 180, 15), QRect(0, 0, 315, 30)},
        {364, 16, QRect(93, 3, 30, 10), QRect(163, 6, 52, 20)},
        {300, 15, QRect(1, 1, 3, 3), QRect(2, 2, 4, 6)},  // odd base units round
    };
    for (const auto& [alphabet, height, units, pixels] : cases) {
      const DialogUnits du = DialogUnits::FromFont(alphabet, height);
      QCOMPARE(du.ToPixels(units.x(), units.y(), units.width(), units.height()), pixels);
    }
  }

  void centring() {
    QCOMPARE(CenteredCorner(QSize(1024, 768), QSize(450, 55)), QPoint(287, 356));
    QCOMPARE(CenteredCorner(QSize(101, 101), QSize(50, 50)), QPoint(25, 25));
    QCOMPARE(CenteredCorner(QSize(100, 100), QSize(105, 50)), QPoint(-2, 25));
  }

  // The texts themselves are checked word for word with the core's tests.
  void everyMenuItemAndControlShowsItsTooltip() {
    WindowRig rig;
    for (const MenuItem& item : MainMenuItems) {
      QCOMPARE(QString(rig.window.MenuAction(item.Id)->toolTip()).replace('\n', ' ').toStdString(),
               MenuTooltipText(item.Id));
    }
    for (const ControlTooltip& tip : ControlTooltips) {
      QCOMPARE(rig.window.Item(tip.Id)->toolTip().replace('\n', ' ').toStdString(), std::string(tip.Text));
    }
  }

  void musicDialogTexts() {
    WindowRig rig;
    MusicSettingsDialog dialog(rig.app, &rig.window);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Set folder for MP3 music files"));
    QStringList texts, expected{"&Browse", "&Play music", "&Stop music", "&Volume", "Play music from subfolders too",
                                "Use internal music instead of MP3 songs", "Alarm message", "Folder for MP3 songs:",
                                "&Done", "Or CTRL + mousewheel"};
    for (const auto* button : dialog.findChildren<QAbstractButton*>()) texts << button->text();
    for (const auto* label : dialog.findChildren<QLabel*>()) texts << label->text();
    texts.sort();
    expected.sort();
    QCOMPARE(texts, expected);
  }

  // A box owned by a minimised window could stay hidden with it.
  void alarmMessageBoxIsSeenAlsoWhenTheWindowIsMinimised() {
    for (const bool minimised : {false, true}) {
      WindowRig rig;
      rig.app.State.AlarmMessage = "Tea <b>now</b>";
      if (minimised) {
        rig.window.showMinimized();
        QTRY_VERIFY(rig.window.isMinimized());
      }
      QString title, text;
      bool plain = false, hidden = true;
      ModalHandler handler([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        plain = box->textFormat() == Qt::PlainText;
        hidden = !box->isVisible() || (box->parentWidget() && box->parentWidget()->isMinimized());
      });
      rig.window.SetItemText(IdTimeEdit, "0");
      RunCommand(rig.app, CmdStartTimer);
      rig.window.Tick();
      QVERIFY(handler.seen);
      QCOMPARE(title, QStringLiteral("Tovin's Timer"));
      QCOMPARE(text, QStringLiteral("Tea <b>now</b>"));
      QVERIFY(plain);
      QVERIFY2(!hidden, minimised ? "minimised" : "shown");
    }
  }

  void launcherTellsWhetherTheProgramStarted() {
    QtLauncher launcher;
    QVERIFY(launcher.Launch("true --with an-argument"));
    QVERIFY(!launcher.Launch("no-such-mixer-program-here"));
    QVERIFY(!launcher.Launch(""));
  }
};

QTEST_MAIN(ShellRulesTest)
#include "ShellRulesTest.moc"
