// The main window on the offscreen platform: look and start-up, keys wherever
// the focus is, wheel, captions, the alarm box and tooltips.
#include <QtTest>
#include <QtWidgets>

#include "MusicSettingsDialog.h"
#include "TimerStyle.h"
#include "WindowRig.h"
#include "app/Commands.h"
#include "app/Ids.h"

namespace {
void SendWheel(QWidget* target, int delta, bool ctrl) {
  const QPointF pos(target->width() / 2.0, target->height() / 2.0);
  QWheelEvent event(pos, target->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                    ctrl ? Qt::ControlModifier : Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(target, &event);
}

QString LastPlayOrClose(WindowRig& rig) {
  const auto& log = rig.fakes.sound.log;
  const auto it = std::find_if(log.rbegin(), log.rend(), [](const std::string& c) { return c == "play" || c == "close"; });
  return it == log.rend() ? QString() : QString::fromStdString(*it);
}
}  // namespace

Q_DECLARE_METATYPE(Qt::KeyboardModifiers)

class MainWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QApplication::setStyle(new TimerStyle); }

  void looksAndStartsUp() {
    WindowRig rig([](TestApp& fakes) {
      fakes.store.PutRaw("Software\\TimerZqv2010\\Time", "String Value", std::string("123456789012345", 16));
    });
    MainWindow& w = rig.window;
    QStringList labels;
    for (QAction* action : w.MenuBar()->actions()) labels << action->text();
    QCOMPARE(labels, (QStringList{"&Go", "&Stop", "&Volume", "&Folder", "&Help", "", "__"}));
    const QRect minimise = w.MenuBar()->actionGeometry(w.MenuAction(CmdMinimize));  // "__" apart, at the right end
    QVERIFY(minimise.right() >= w.MenuBar()->width() - 12);
    QVERIFY(minimise.left() > w.MenuBar()->actionGeometry(w.MenuAction(CmdHelp)).right() + 20);
    QCOMPARE(w.windowTitle(), QStringLiteral("Timer"));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    const auto boxes = Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    QCOMPARE(w.windowFlags() & boxes, Qt::WindowFlags(Qt::WindowCloseButtonHint));
    // The stored entry whole, past the typing limit, selected in the focused box: typing replaces it.
    QCOMPARE(w.TimeEdit()->text(), QStringLiteral("123456789012345"));
    QCOMPARE(w.focusWidget(), w.TimeEdit());
    QTest::keyClicks(w.TimeEdit(), "20");
    QCOMPARE(w.TimeEdit()->text(), QStringLiteral("20"));
    w.MenuAction(CmdMinimize)->trigger();
    QTRY_VERIFY(w.isMinimized());
  }

  // Typing stops at ten characters, and ten show whole: the text does not
  // scroll as the cursor goes from its end to its start.
  void typingStopsAtTenThatShowWhole() {
    WindowRig rig;
    QLineEdit* edit = rig.window.TimeEdit();
    for (const char* typed : {"8:30 pm1234", "01234567899"}) {
      edit->clear();
      QTest::keyClicks(edit, typed);
      QCOMPARE(edit->text(), QString::fromLatin1(typed, 10));
      edit->grab();  // the line edit places its text as it paints
      const int end = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().x();
      edit->home(false);
      edit->grab();
      const int start = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().x();
      QVERIFY2(qAbs(end - start - edit->fontMetrics().horizontalAdvance(edit->text())) <= 1, typed);
    }
  }

  void textsShowAsWritten() {
    WindowRig rig;
    rig.window.TimeEdit()->setText(QStringLiteral("8:30p<b>"));
    RunCommand(rig.app, CmdStartTimer);
    QCOMPARE(rig.window.findChild<QLabel*>(QStringLiteral("alarmDisplay"))->text(), QStringLiteral("8:30p<b>"));
    for (QLabel* label : rig.window.findChildren<QLabel*>()) {
      QCOMPARE(label->textFormat(), Qt::PlainText);
    }
    rig.window.SetCaption("<i>Song</i> [*] & co.mp3");
    QCOMPARE(rig.window.windowHandle()->title(), QStringLiteral("<i>Song</i> [*] & co.mp3"));
    QCOMPARE(rig.window.Caption(), std::string("<i>Song</i> [*] & co.mp3"));
  }

  void keys_data() {
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("mods");
    QTest::addColumn<QString>("effect");
    QTest::addColumn<QString>("edit");
    const Qt::KeyboardModifiers none, shift(Qt::ShiftModifier);
    const int box = IdTimeEdit, button = IdTimerButton;
    const QString started = "Timer started", guide = "The guide: /usr/share/doc/tovins-timer/README.md";
    QTest::newRow("Enter") << box << int(Qt::Key_Return) << none << started << "20";
    QTest::newRow("Alt+t") << box << int(Qt::Key_T) << Qt::KeyboardModifiers(Qt::AltModifier) << started << "20";
    QTest::newRow("t on the button") << button << int(Qt::Key_T) << none << started << "20";
    QTest::newRow("g on the button") << button << int(Qt::Key_G) << none << "play" << "20";
    QTest::newRow("s") << box << int(Qt::Key_S) << none << "close" << "20";
    QTest::newRow("v") << box << int(Qt::Key_V) << none << "pavucontrol" << "20";
    QTest::newRow("h") << button << int(Qt::Key_H) << none << guide << "20";
    QTest::newRow("f") << box << int(Qt::Key_F) << none << "Set folder for MP3 music files" << "20";
    QTest::newRow("G") << box << int(Qt::Key_G) << shift << "Timer" << "20G";
    QTest::newRow("G on the button") << button << int(Qt::Key_G) << shift << "Timer" << "20";
  }
  // The effect: the window that opened, else the program started, else the
  // caption if the timer started, else the last sound call, else the caption.
  void keys() {
    QFETCH(int, target);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, mods);
    WindowRig rig;
    rig.window.TimeEdit()->setText(QStringLiteral("20"));
    rig.window.TimeEdit()->end(false);
    QString effect;
    ModalHandler handler([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      effect = box ? box->text().section(QStringLiteral(". "), -1) : modal->windowTitle();
      qobject_cast<QDialog*>(modal)->reject();
    });
    if (mods == Qt::ShiftModifier) {
      QTest::keyClick(rig.window.Item(target), char(key), mods);  // carries the upper-case text
    } else {
      QTest::keyClick(rig.window.Item(target), Qt::Key(key), mods);
    }
    const auto& launched = rig.fakes.launcher.launched;
    if (effect.isEmpty() && !launched.empty()) effect = QString::fromStdString(launched.back());
    if (effect.isEmpty() && rig.window.windowTitle() != QStringLiteral("Timer started")) effect = LastPlayOrClose(rig);
    if (effect.isEmpty()) effect = rig.window.windowTitle();
    QTEST(effect, "effect");
    QTEST(rig.window.TimeEdit()->text(), "edit");
  }

  void tabTogglesBetweenTimeBoxAndButton() {
    WindowRig rig;
    QApplication::setActiveWindow(&rig.window);
    QVERIFY(QTest::qWaitForWindowActive(&rig.window));
    rig.window.TimeEdit()->setText(QStringLiteral("20"));
    rig.window.TimeEdit()->setFocus();
    const QImage unfocused = rig.window.TimerButton()->grab().toImage();
    QTest::keyClick(rig.window.TimeEdit(), Qt::Key_Tab);
    QTRY_VERIFY(rig.window.TimerButton()->hasFocus());
    QVERIFY(rig.window.TimerButton()->grab().toImage() != unfocused);  // the focus shows
    QTest::keyClick(rig.window.TimerButton(), Qt::Key_Tab);
    QTRY_VERIFY(rig.window.TimeEdit()->hasFocus());
    QVERIFY(!rig.window.TimeEdit()->hasSelectedText());  // a plain focus change
    rig.window.MenuBar()->setFocus();  // from anywhere else, Tab goes to the time box
    QTest::keyClick(rig.window.MenuBar(), Qt::Key_Tab);
    QTRY_VERIFY(rig.window.TimeEdit()->hasFocus());
  }

  void wheel_data() {
    QTest::addColumn<int>("delta");
    QTest::addColumn<bool>("ctrl");
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<uint>("volume");
    QTest::newRow("up") << 120 << false << "21" << 0x8000u;
    QTest::newRow("down") << -120 << false << "19" << 0x8000u;
    QTest::newRow("several notches, one step") << 360 << false << "21" << 0x8000u;
    QTest::newRow("fine touchpad step") << 15 << false << "21" << 0x8000u;
    QTest::newRow("no turn") << 0 << false << "20" << 0x8000u;
    QTest::newRow("Ctrl up") << 120 << true << "20" << 0x8000u + 2000;
    QTest::newRow("Ctrl down, several notches") << -360 << true << "20" << 0x8000u - 2000;
  }
  void wheel() {
    QFETCH(int, delta);
    QFETCH(bool, ctrl);
    for (int target : {IdTimeEdit, IdClock, IdTimerButton}) {
      WindowRig rig;
      rig.fakes.volume.wave = 0x80008000;
      rig.window.TimeEdit()->setText(QStringLiteral("20"));
      SendWheel(rig.window.Item(target), delta, ctrl);
      QTEST(rig.window.TimeEdit()->text(), "minutes");
      QTEST(rig.fakes.volume.wave & 0xFFFF, "volume");
    }
  }

  // Over the music dialog the wheel still acts on the main window; keys
  // there are typed, not commands.
  void wheelAndKeysInTheDialog() {
    WindowRig rig;
    rig.fakes.volume.wave = 0x80008000;
    rig.window.TimeEdit()->setText(QStringLiteral("20"));
    ModalHandler handler([&](QWidget* modal) {
      auto* dialog = qobject_cast<MusicSettingsDialog*>(modal);
      SendWheel(dialog->FolderEdit(), 120, false);
      SendWheel(dialog->MessageEdit()->viewport(), 120, false);
      SendWheel(dialog, -120, true);
      dialog->FolderEdit()->clear();
      QTest::keyClicks(dialog->FolderEdit(), "gst");
      QCOMPARE(dialog->FolderEdit()->text(), QStringLiteral("gst"));
    });
    rig.window.OpenMusicDialog();
    QCOMPARE(rig.window.TimeEdit()->text(), QStringLiteral("22"));
    QCOMPARE(rig.fakes.volume.wave & 0xFFFF, 0x8000u - 2000);
    QCOMPARE(LastPlayOrClose(rig), QString());
  }

  // With the window's own timer: the alarm box opens inside a tick, never
  // hangs on a minimised window, and the ticks go on while it is open (the
  // clock only while the window shows).
  void alarmBox_data() {
    QTest::addColumn<bool>("minimised");
    QTest::addColumn<QString>("clock");
    QTest::newRow("window shown") << false << "10:00:01 am";
    QTest::newRow("window minimised") << true << "10:00:00 am";
  }
  void alarmBox() {
    QFETCH(bool, minimised);
    WindowRig rig({}, true);
    rig.app.State.AlarmMessage = "Tea <b>is</b> ready";
    if (minimised) rig.window.showMinimized();
    QTRY_COMPARE(rig.window.isMinimized(), minimised);
    ModalHandler handler([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      QCOMPARE(box->windowTitle(), QStringLiteral("Tovin's Timer"));
      QCOMPARE(box->text(), QStringLiteral("Tea <b>is</b> ready"));
      QCOMPARE(box->textFormat(), Qt::PlainText);
      QCOMPARE(box->icon(), QMessageBox::NoIcon);
      QCOMPARE(box->buttons().size(), 1);
      QVERIFY(!box->parentWidget() || !box->parentWidget()->isMinimized());
      QFont title = QApplication::font();  // the caption shows whole beside the title bar's buttons
      title.setBold(true);
      QVERIFY(box->width() >= 2 * QFontMetrics(title).horizontalAdvance(QStringLiteral("Tovin's Timer")));
      const std::size_t calls = rig.fakes.sound.log.size();  // each tick asks the channel
      rig.fakes.clock.Advance(1);
      QTRY_VERIFY_WITH_TIMEOUT(rig.fakes.sound.log.size() > calls, 3000);
      QTEST(QString::fromStdString(rig.window.ItemText(IdClock)), "clock");
    });
    rig.window.SetItemText(IdTimeEdit, "0");
    RunCommand(rig.app, CmdStartTimer);  // fires at the next tick
    QTRY_VERIFY_WITH_TIMEOUT(handler.seen, 3000);
  }

  void tooltips_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("tip");
    QTest::newRow("Volume") << "menu403"
                            << "Volume control (shortcut key = V), or hold down CTRL key and spin the mousewheel";
    QTest::newRow("time box") << "timeEdit"
                              << "Type minutes (like \"20\") or time (like \"8:30 pm\") for timer to go off; you can "
                                 "spin the mousewheel to adjust the number of minutes";
    QTest::newRow("clock") << "clock" << "The current time";
  }
  // Each wrapped to the tooltip width.
  void tooltips() {
    QFETCH(QString, item);
    WindowRig rig;
    const QString tip = rig.window.findChild<QObject*>(item)->property("toolTip").toString();
    QTEST(QString(tip).replace(QLatin1Char('\n'), QLatin1Char(' ')), "tip");
    for (const QString& line : tip.split(QLatin1Char('\n'))) {
      QVERIFY2(QFontMetrics(QToolTip::font()).horizontalAdvance(line) <= 250, qPrintable(line));
    }
  }

  void menuItemShowsItsTooltipSoon() {
    WindowRig rig;
    QMenuBar* bar = rig.window.MenuBar();
    const QPoint at = bar->actionGeometry(rig.window.MenuAction(CmdGo)).center();
    QHelpEvent event(QEvent::ToolTip, at, bar->mapToGlobal(at));
    QApplication::sendEvent(bar, &event);
    QTRY_COMPARE(QToolTip::text(), QStringLiteral("Play songs (shortcut key = G)"));
    QToolTip::hideText();
    QCOMPARE(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 200);
  }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
