// The main window on the offscreen platform: menu bar, keys wherever the
// focus is, wheel, countdown in the caption, tooltips, help and start-up.
#include <QtTest>
#include <QtWidgets>

#include "MusicSettingsDialog.h"
#include "TimerStyle.h"
#include "WindowRig.h"
#include "alarm/Countdown.h"
#include "app/Commands.h"
#include "app/Ids.h"
#include "app/Tooltips.h"
#include "settings/Help.h"
#include "settings/MusicDialog.h"

namespace {
QString Text(const std::string& s) { return QString::fromStdString(s); }

void SendWheel(QWidget* target, int delta, Qt::KeyboardModifiers mods) {
  const QPointF pos(target->width() / 2.0, target->height() / 2.0);
  QWheelEvent event(pos, target->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, mods, Qt::NoScrollPhase,
                    false);
  QApplication::sendEvent(target, &event);
}

bool Played(const FakeSoundChannel& sound) {
  return std::find(sound.log.begin(), sound.log.end(), "play") != sound.log.end();
}

// Which command a key ran, as far as the fakes and the window can tell.
enum class Effect { Timer, Go, Stop, Volume, Help, Folder, Typed };
}  // namespace

Q_DECLARE_METATYPE(Effect)
Q_DECLARE_METATYPE(Qt::KeyboardModifiers)

class MainWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QApplication::setStyle(new TimerStyle); }

  void menuBarHasSixItemsWithMinimiseRightmostAndFixedSize() {
    WindowRig rig;
    QStringList labels;
    QList<QRect> rects;
    for (QAction* action : rig.window.MenuBar()->actions()) {
      if (action->isSeparator()) continue;
      labels << action->text();
      rects << rig.window.MenuBar()->actionGeometry(action);
    }
    QCOMPARE(labels, (QStringList{"&Go", "&Stop", "&Volume", "&Folder", "&Help", "__"}));
    for (int i = 1; i < rects.size(); ++i) QVERIFY(rects[i].left() >= rects[i - 1].right());
    // "__" stands at the right end, apart from the others.
    QVERIFY(rects.last().right() >= rig.window.MenuBar()->width() - 12);
    QVERIFY(rects.last().left() > rects[4].right() + 20);
    QCOMPARE(rig.window.windowTitle(), QStringLiteral("Timer"));
    // Fixed size, no maximise or minimise box: "__" minimises.
    QCOMPARE(rig.window.minimumSize(), rig.window.maximumSize());
    QVERIFY(!(rig.window.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(rig.window.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(rig.window.windowFlags() & Qt::WindowCloseButtonHint);
    rig.window.MenuAction(CmdMinimize)->trigger();
    QTRY_VERIFY(rig.window.isMinimized());
  }

  void startUpLoadsSettingsBeforeTheLimit() {
    WindowRig rig([](TestApp& fakes) {
      fakes.store.PutRaw("Software\\TimerZqv2010\\Time", "String Value", std::string("123456789012345", 16));
      fakes.store.PutRaw("Software\\TimerZqv2010\\UseMidi", "String Value", std::string("0", 2));
      fakes.clock.Set(9, 5, 7);
    });
    QCOMPARE(rig.window.TimeEdit()->text(), QStringLiteral("123456789012345"));  // longer than the limit, kept whole
    QCOMPARE(rig.app.State.UseMidi, false);
    QCOMPARE(rig.app.State.NowSeconds, (9 * 60 + 5) * 60 + 7);  // the clock was read once
    QCOMPARE(rig.app.State.AlarmTime, -1);                      // the timer is not started
    QCOMPARE(rig.window.windowTitle(), QStringLiteral("Timer"));
    // The time box has the focus with the entry selected: typing replaces it.
    QCOMPARE(rig.window.focusWidget(), rig.window.TimeEdit());
    QTest::keyClicks(rig.window.TimeEdit(), "20");
    QCOMPARE(rig.window.TimeEdit()->text(), QStringLiteral("20"));
  }

  // The time's own letters are typed, not commands; typing stops at ten,
  // and ten characters show whole: the text does not scroll as the cursor
  // goes from its end to its start.
  void typingStopsAtTenCharacters() {
    WindowRig rig;
    QLineEdit* edit = rig.window.TimeEdit();
    for (const char* typed : {"8:30 pm1234", "01234567899"}) {
      edit->clear();
      QTest::keyClicks(edit, typed);
      const QString text = edit->text();
      QCOMPARE(text, QString::fromLatin1(typed, 10));
      edit->grab();  // the line edit places its text as it paints
      const int end = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().x();
      edit->home(false);
      edit->grab();
      const int start = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().x();
      QVERIFY2(qAbs(end - start - edit->fontMetrics().horizontalAdvance(text)) <= 1, typed);
    }
    QVERIFY(!Played(rig.fakes.sound));
  }

  // Entries and song names are shown as written, never as markup.
  void textsShowAsWritten() {
    WindowRig rig;
    rig.window.TimeEdit()->setText(QStringLiteral("8:30p<b>"));
    RunCommand(rig.app, CmdStartTimer);
    QCOMPARE(rig.window.ItemText(IdAlarmDisplay), std::string("8:30p<b>"));
    MusicSettingsDialog dialog(rig.app, &rig.window);
    for (QLabel* label : rig.window.findChildren<QLabel*>() + dialog.findChildren<QLabel*>()) {
      QCOMPARE(label->textFormat(), Qt::PlainText);
    }
    rig.window.SetCaption("<i>Song</i> [*] & co.mp3");
    QCOMPARE(rig.window.windowHandle()->title(), QStringLiteral("<i>Song</i> [*] & co.mp3"));
    QCOMPARE(rig.window.Caption(), std::string("<i>Song</i> [*] & co.mp3"));
  }

  void keys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("mods");
    QTest::addColumn<Effect>("effect");
    const auto none = Qt::KeyboardModifiers(Qt::NoModifier);
    QTest::newRow("Enter") << int(Qt::Key_Return) << none << Effect::Timer;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier) << Effect::Timer;
    QTest::newRow("t") << int(Qt::Key_T) << none << Effect::Timer;
    QTest::newRow("Alt+t") << int(Qt::Key_T) << Qt::KeyboardModifiers(Qt::AltModifier) << Effect::Timer;
    QTest::newRow("g") << int(Qt::Key_G) << none << Effect::Go;
    QTest::newRow("s") << int(Qt::Key_S) << none << Effect::Stop;
    QTest::newRow("v") << int(Qt::Key_V) << none << Effect::Volume;
    QTest::newRow("h") << int(Qt::Key_H) << none << Effect::Help;
    QTest::newRow("f") << int(Qt::Key_F) << none << Effect::Folder;
    QTest::newRow("G") << int(Qt::Key_G) << Qt::KeyboardModifiers(Qt::ShiftModifier) << Effect::Typed;
    QTest::newRow("T") << int(Qt::Key_T) << Qt::KeyboardModifiers(Qt::ShiftModifier) << Effect::Typed;
  }
  // Each key, typed into the time box and with the focus on the button.
  void keys() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, mods);
    QFETCH(Effect, effect);
    for (int target : {IdTimeEdit, IdTimerButton}) {
      WindowRig rig;
      rig.window.TimeEdit()->setText(QStringLiteral("20"));
      rig.window.TimeEdit()->end(false);
      QString shown;
      ModalHandler handler([&](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) shown = box->text();
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
      });
      if (effect == Effect::Typed) {
        QTest::keyClick(rig.window.Item(target), char(key), mods);  // carries the upper-case text
      } else {
        QTest::keyClick(rig.window.Item(target), Qt::Key(key), mods);
      }
      const QString edit = rig.window.TimeEdit()->text();
      switch (effect) {
        case Effect::Timer:
          QCOMPARE(rig.window.windowTitle(), QStringLiteral("Timer started"));
          QCOMPARE(rig.window.ItemText(IdAlarmDisplay), std::string("20"));
          QCOMPARE(rig.fakes.store.writes, 1);  // once: Alt+t is not also the button's mnemonic
          break;
        case Effect::Go:
          QVERIFY(!rig.fakes.sound.log.empty());
          QCOMPARE(rig.fakes.sound.log.back(), std::string("play"));
          QVERIFY(rig.window.windowTitle() != QStringLiteral("Timer"));
          break;
        case Effect::Stop:
          QVERIFY(!rig.fakes.sound.log.empty());
          QCOMPARE(rig.fakes.sound.log.back(), std::string("close"));
          break;
        case Effect::Volume:
          QCOMPARE(rig.fakes.launcher.launched, std::vector<std::string>{"pavucontrol"});
          break;
        case Effect::Help:
          QCOMPARE(shown, QString::fromUtf8(HelpText));
          QVERIFY(shown.endsWith(QStringLiteral(
              "\n\nTovin's Timer, by Tovin and the Tovin's Timer team. The guide: /usr/share/doc/tovins-timer/README.md")));
          break;
        case Effect::Folder:
          QCOMPARE(handler.seenClass, QStringLiteral("MusicSettingsDialog"));
          break;
        case Effect::Typed:
          QCOMPARE(rig.window.windowTitle(), QStringLiteral("Timer"));
          QVERIFY(!Played(rig.fakes.sound));
          break;
      }
      if (effect != Effect::Help && effect != Effect::Folder) QVERIFY(!handler.seen);
      // A command key never lands in the time box; a typed one only there.
      if (effect == Effect::Typed && target == IdTimeEdit) {
        QCOMPARE(edit, QStringLiteral("20") + QChar(key));
      } else {
        QCOMPARE(edit, QStringLiteral("20"));
      }
    }
  }

  void tabTogglesBetweenTimeBoxAndButton() {
    WindowRig rig;
    QApplication::setActiveWindow(&rig.window);
    QVERIFY(QTest::qWaitForWindowActive(&rig.window));
    rig.window.TimeEdit()->setText(QStringLiteral("20"));
    rig.window.TimeEdit()->setFocus();
    QTRY_VERIFY(rig.window.TimeEdit()->hasFocus());
    const QImage unfocused = rig.window.TimerButton()->grab().toImage();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_VERIFY(rig.window.TimerButton()->hasFocus());
    QVERIFY(rig.window.TimerButton()->grab().toImage() != unfocused);  // the focus shows
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_VERIFY(rig.window.TimeEdit()->hasFocus());
    QVERIFY(!rig.window.TimeEdit()->hasSelectedText());  // a plain focus change
    // From anywhere else, Tab goes to the time box.
    rig.window.MenuBar()->setFocus();
    QTest::keyClick(rig.window.MenuBar(), Qt::Key_Tab);
    QTRY_VERIFY(rig.window.TimeEdit()->hasFocus());
  }

  void wheelInTheWindow_data() {
    QTest::addColumn<int>("delta");
    QTest::addColumn<bool>("ctrl");
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<bool>("volumeChanged");
    QTest::newRow("up") << 120 << false << "21" << false;
    QTest::newRow("down") << -120 << false << "19" << false;
    QTest::newRow("several notches, one step") << 360 << false << "21" << false;
    QTest::newRow("fine touchpad step") << 15 << false << "21" << false;
    QTest::newRow("no turn") << 0 << false << "20" << false;
    QTest::newRow("Ctrl up") << 120 << true << "20" << true;
    QTest::newRow("Ctrl down") << -120 << true << "20" << true;
  }
  void wheelInTheWindow() {
    QFETCH(int, delta);
    QFETCH(bool, ctrl);
    QFETCH(bool, volumeChanged);
    for (int target : {IdTimeEdit, IdClock, IdTimerButton}) {
      WindowRig rig;
      rig.fakes.volume.wave = 0x80008000;
      rig.window.TimeEdit()->setText(QStringLiteral("20"));
      SendWheel(rig.window.Item(target), delta, ctrl ? Qt::ControlModifier : Qt::NoModifier);
      QTEST(rig.window.TimeEdit()->text(), "minutes");
      QCOMPARE(rig.fakes.volume.wave != 0x80008000, volumeChanged);
      if (volumeChanged) {
        // One step of 2000 either way, whatever the size of the turn.
        QCOMPARE(rig.fakes.volume.wave & 0xFFFF, delta > 0 ? 0x8000u + 2000 : 0x8000u - 2000);
      }
    }
  }

  void wheelOverTheDialogActsOnTheMainWindow() {
    WindowRig rig;
    rig.fakes.volume.wave = 0x80008000;
    rig.window.TimeEdit()->setText(QStringLiteral("20"));
    ModalHandler handler([&](QWidget* modal) {
      auto* dialog = qobject_cast<MusicSettingsDialog*>(modal);
      QVERIFY(dialog);
      SendWheel(dialog->FolderEdit(), 120, Qt::NoModifier);
      SendWheel(dialog->MessageEdit()->viewport(), 120, Qt::NoModifier);
      SendWheel(dialog, -120, Qt::ControlModifier);
      // Keys inside the dialog are typed, not commands.
      dialog->FolderEdit()->clear();
      QTest::keyClicks(dialog->FolderEdit(), "gst");
      QCOMPARE(dialog->FolderEdit()->text(), QStringLiteral("gst"));
    });
    rig.window.OpenMusicDialog();
    QVERIFY(handler.seen);
    QCOMPARE(rig.window.TimeEdit()->text(), QStringLiteral("22"));
    QCOMPARE(rig.fakes.volume.wave & 0xFFFF, 0x8000u - 2000);
    QVERIFY(!Played(rig.fakes.sound));
    QVERIFY(!rig.window.MusicDialog());
  }

  void captionCountsDownWithTheClock() {
    WindowRig rig;
    QTest::keyClicks(rig.window.TimeEdit(), "2");
    QTest::keyClick(rig.window.TimeEdit(), Qt::Key_Return);
    QCOMPARE(rig.window.windowTitle(), QStringLiteral("Timer started"));
    QCOMPARE(rig.fakes.store.Text("Software\\TimerZqv2010\\Time"), std::optional<std::string>("2"));
    QStringList captions;
    for (int second = 0; second < 120; ++second) {
      rig.fakes.clock.Advance(1);
      rig.window.Tick();
      if (captions.isEmpty() || captions.last() != rig.window.windowTitle()) captions << rig.window.windowTitle();
    }
    QCOMPARE(captions.first(), QStringLiteral("1 minute left"));
    QVERIFY(captions.contains(QStringLiteral("60 seconds left")));
    QVERIFY(captions.contains(QStringLiteral("1 second left")));
    QVERIFY(!rig.fakes.sound.log.empty());  // the alarm started the music
    QVERIFY(rig.window.windowTitle() != QStringLiteral("1 second left"));
    QCOMPARE(rig.window.ItemText(IdClock), FormatClock(10, 2, 0));
    QCOMPARE(rig.window.ItemText(IdAlarmDisplay), std::string());
  }

  void clockStaysWhileMinimised() {
    WindowRig rig;
    rig.window.Tick();
    const std::string before = rig.window.ItemText(IdClock);
    QCOMPARE(before, FormatClock(10, 0, 0));
    rig.window.showMinimized();
    QTRY_VERIFY(rig.window.isMinimized());
    rig.fakes.clock.Advance(5);
    rig.window.Tick();
    QCOMPARE(rig.window.ItemText(IdClock), before);
    QCOMPARE(rig.app.State.NowSeconds, 10 * 3600 + 5);
  }

  // With the window's own one-second timer: the alarm fires at a tick, its
  // message box (title, text, no icon, one button) opens inside that tick,
  // and later ticks still arrive.
  void ticksGoOnWhileTheAlarmMessageIsOpen() {
    WindowRig rig({}, true);
    TestApp& fakes = rig.fakes;
    MainWindow& window = rig.window;
    App& app = rig.app;
    app.State.AlarmMessage = "Tea is ready";
    std::size_t checksWhenShown = 0;
    bool nestedTicks = false;
    ModalHandler handler([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      QVERIFY(box);
      QCOMPARE(box->windowTitle(), QStringLiteral("Tovin's Timer"));
      QCOMPARE(box->text(), QStringLiteral("Tea is ready"));
      QCOMPARE(box->icon(), QMessageBox::NoIcon);
      QCOMPARE(box->buttons().size(), 1);
      QCOMPARE(box->textFormat(), Qt::PlainText);
      // The caption shows whole beside the title bar's buttons.
      QFont title = QApplication::font();
      title.setBold(true);
      QVERIFY(box->width() >= 2 * QFontMetrics(title).horizontalAdvance(QStringLiteral("Tovin's Timer")));
      checksWhenShown = fakes.sound.log.size();
      fakes.clock.Advance(1);
      // KeepPlaying asks the channel at every tick: new questions mean ticks.
      QTRY_VERIFY_WITH_TIMEOUT(fakes.sound.log.size() > checksWhenShown, 3000);
      nestedTicks = window.ItemText(IdClock) == FormatClock(10, 0, 1);
      box->button(QMessageBox::Ok)->click();
    });
    window.SetItemText(IdTimeEdit, "0");
    RunCommand(app, CmdStartTimer);  // fires at the next tick
    QTRY_VERIFY_WITH_TIMEOUT(handler.seen, 3000);
    QVERIFY(nestedTicks);
  }

  void tooltipsCarryTheirTextsWrapped() {
    WindowRig rig;
    // Set once the window has first been painted.
    QTRY_VERIFY(!rig.window.Item(IdClock)->toolTip().isEmpty());
    const QFontMetrics metrics(QToolTip::font());
    auto checkWrapped = [&](const QString& tip, const QString& expected) {
      QCOMPARE(QString(tip).replace(QLatin1Char('\n'), QLatin1Char(' ')), expected);
      for (const QString& line : tip.split(QLatin1Char('\n'))) {
        QVERIFY2(metrics.horizontalAdvance(line) <= TooltipMaxWidth, qPrintable(line));
      }
    };
    for (const MenuItem& item : MainMenuItems) {
      checkWrapped(rig.window.MenuAction(item.Id)->toolTip(), Text(MenuTooltipText(item.Id)));
    }
    for (const ControlTooltip& tip : ControlTooltips) {
      checkWrapped(rig.window.Item(tip.Id)->toolTip(), QString::fromUtf8(tip.Text));
    }
    QVERIFY(rig.window.Item(IdTimeEdit)->toolTip().count(QLatin1Char('\n')) >= 1);  // the long one wraps
    QCOMPARE(rig.window.Item(IdClock)->toolTip(), QStringLiteral("The current time"));
    QCOMPARE(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), TooltipInitialDelayMs);
  }

  void menuItemShowsItsTooltip() {
    WindowRig rig;
    QMenuBar* bar = rig.window.MenuBar();
    QAction* volume = rig.window.MenuAction(CmdVolume);
    const QPoint at = bar->actionGeometry(volume).center();
    QHelpEvent event(QEvent::ToolTip, at, bar->mapToGlobal(at));
    QApplication::sendEvent(bar, &event);
    QTRY_COMPARE(QToolTip::text(), volume->toolTip());
    QToolTip::hideText();
  }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
