// The Qt shell on the offscreen platform: its rules (keys, ticks, typing,
// wrapping, dialog units), the main window and its clock, the music dialog
// and the folder chooser, real widgets wired to the fakes of every other
// port; the settings file, a real INI file under faults; the sound module
// loaded for the music; the signals that end the program.
#include <dlfcn.h>
#include <signal.h>

#include <QtTest>
#include <QtWidgets>
#include <fstream>

#include "Accessibility.h"
#include "AlarmAttention.h"
#include "ClockLabel.h"
#include "Fakes.h"
#include "LazySound.h"
#include "Look.h"
#include "MainWindow.h"
#include "MusicSettingsDialog.h"
#include "PosixTestGuards.h"
#include "QtFolderChooser.h"
#include "QtKeyValueStore.h"
#include "QtLauncher.h"
#include "QuitOnSignal.h"
#include "ShellRules.h"
#include "Skips.h"
#include "StreamIdentity.h"
#include "TimerStyle.h"
#include "alarm/Countdown.h"
#include "app/Commands.h"
#include "app/Ids.h"
#include "settings/Settings.h"

namespace {
// The window on the fakes, the clock at 10:00:00, the time entry `stored`
// (with its NUL); ticks are the test's unless `timers`.
struct WindowRig {
  TestApp fakes;
  MainWindow window;
  SpokenAlarmNotifier alarms{*window.Announcer(), fakes.notifier};
  App app{AppState{}, Ports{window, fakes.sound, fakes.store, fakes.folders, fakes.listing, fakes.clock, fakes.volume,
                            fakes.tunes, fakes.launcher, fakes.chooser, alarms}};

  explicit WindowRig(bool timers = false, const std::string& stored = {}, bool active = false) {
    fakes.clock.Set(10, 0, 0);
    fakes.folders.tempFolder = "T";  // where the tunes are written, so that they open
    if (!stored.empty()) fakes.store.PutRaw("Software\\TimerZqv2010\\Time", "String Value", stored);
    window.Start(app, timers);
    window.show();
    if (active) QApplication::setActiveWindow(&window);
    QVERIFY(!active || QTest::qWaitForWindowActive(&window));
    // The tooltips are set once the window has first been painted.
    QVERIFY(QTest::qWaitFor([this] { return !window.TimeEdit()->toolTip().isEmpty(); }));
  }
  bool Called(const char* call) const { return std::count(fakes.sound.log.begin(), fakes.sound.log.end(), call); }
};

// Runs `act` on the first modal window that opens (inside its own loop),
// then makes sure it closes. A zero-length timer asks at each turn of the
// loop: nothing waits on the wall clock.
// It stops once it has acted.
struct ModalHandler : QTimer {
  explicit ModalHandler(const std::function<void(QWidget*)>& act) {
    connect(this, &QTimer::timeout, [this, act] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal || !modal->isVisible()) return;
      stop(), act(modal);
      if (modal->isVisible()) modal->close();
    });
    start(0);
  }
};

// A screen reader's view of an object: role, name, text, description and
// the actions it offers.
QStringList Heard(QAccessibleInterface* iface) {
  QAccessibleTextInterface* text = iface->textInterface();
  return {QString::fromLatin1(QMetaEnum::fromType<QAccessible::Role>().valueToKey(iface->role())),
          iface->text(QAccessible::Name), text ? text->text(0, text->characterCount()) : QStringLiteral("-"),
          iface->text(QAccessible::Description), iface->actionInterface()->actionNames().join(',')};
}

struct EventTap : QObject {  // hands `on` each event the watched object gets
  EventTap(QObject* watched, std::function<void(QEvent*)> on) : on(std::move(on)) { watched->installEventFilter(this); }
  std::function<void(QEvent*)> on;
  bool eventFilter(QObject*, QEvent* e) override { return on(e), false; }
};

void SendWheel(QWidget* target, int delta, bool ctrl) {
  const QPointF pos(target->width() / 2.0, target->height() / 2.0);
  QWheelEvent event(pos, target->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                    ctrl ? Qt::ControlModifier : Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(target, &event);
}

}  // namespace

class ShellTest : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  int copies_ = 0;

  // What a start-up reads from `ini`, as "time|UseMidi|folder|SubfoldersOn";
  // from a fresh copy when asked, as QSettings keeps what it parsed per path.
  std::string StartWith(QString ini, bool copy = true) {
    const QString fresh = dir_.filePath(QStringLiteral("copy%1").arg(++copies_));
    if (copy && QFile::copy(ini, fresh)) ini = fresh;
    QtKeyValueStore store(ini);
    TestApp t;
    t.folders.musicFolder = "/home/u/Music";
    App app{AppState{},
            Ports{t.window, t.sound, store, t.folders, t.listing, t.clock, t.volume, t.tunes, t.launcher, t.chooser}};
    LoadSettings(app);
    return t.window.ItemText(IdTimeEdit) + "|" + std::to_string(app.State.UseMidi) + "|" + app.State.MP3Folder + "|" +
           std::to_string(app.State.SubfoldersOn);
  }
  static QByteArray Contents(const QString& path) {  // never opens a FIFO
    QFile file(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
  }

 private slots:
  void initTestCase() { QApplication::setStyle(new TimerStyle); }

  // Our sound streams carry the program's icon and FluidSynth loads with one
  // thread; a mixer started from here gets neither, and what the user set
  // stays everywhere.
  void soundEnvironmentNotPassedOn() {
    // Variable, set before start-up -> ours, the mixer's ("": none).
    const std::tuple<const char*, QByteArray, QByteArray, QByteArray> cases[] = {
        {"PULSE_PROP_application.icon_name", "", "tovins-timer", ""},
        {"PULSE_PROP_application.icon_name", "my-icon", "my-icon", "my-icon\n"},
        {"OMP_NUM_THREADS", "", "1", ""},
        {"OMP_NUM_THREADS", "1", "1", "1\n"}};
    for (const auto& [variable, before, ours, mixers] : cases) {
      before.isEmpty() ? qunsetenv(variable) : qputenv(variable, before);
      SetSoundEnvironment();
      QCOMPARE(qgetenv(variable), ours);
      const QString seen = dir_.filePath(QString("mixer-%1-%2.env").arg(variable, before)),
                    env = "bash -c \"printenv %1 >%2.part; mv %2.part %2\"";
      QVERIFY(QtLauncher().Launch(env.arg(variable, seen).toStdString()));
      QTRY_COMPARE(Contents(seen), mixers);
    }
    QVERIFY(!QtLauncher().Launch("no-such-mixer-program"));
  }

  // Key, modifiers and text -> command (0: none; Alt+g is the menu's). Ticks
  // land 5 ms after the second; typing stops at the limit (a paste is cut to
  // fit); tooltips wrap at the width; dialog units round; the windows' font
  // is never below 12 points.
  void shellRules() {
    const std::tuple<int, Qt::KeyboardModifiers, QString, int> cases[] = {
        {Qt::Key_Enter, Qt::KeypadModifier, "\r", CmdStartTimer},
        {Qt::Key_Backtab, Qt::ShiftModifier, "", CmdNextFocus},
        {Qt::Key_T, Qt::AltModifier, "", CmdStartTimer},
        {Qt::Key_V, Qt::NoModifier, "v", CmdVolume},
        {Qt::Key_G, Qt::ControlModifier, "g", 0},
        // Lower case is a command, Caps Lock's too; capitals, digits, ':' and spaces are typed.
        {Qt::Key_H, Qt::ShiftModifier, "h", CmdHelp},
        {Qt::Key_G, Qt::ShiftModifier, "G", 0},
        {Qt::Key_T, Qt::ShiftModifier, "T", 0},
        {Qt::Key_2, Qt::NoModifier, "2", 0},
        {Qt::Key_Colon, Qt::ShiftModifier, ":", 0},
        {Qt::Key_Space, Qt::NoModifier, " ", 0}};
    for (const auto& [key, mods, text, command] : cases)
      QCOMPARE(AcceleratorCommand(key, mods, text).value_or(0), command);
    for (const auto& [ms, delay] : {std::pair{0, 1005}, {500, 505}, {999, 6}, {-3, 1005}, {1200, 6}})
      QCOMPARE(MsUntilNextTick(ms), delay);
    const std::tuple<QString, QString, QString, int> typing[] = {
        // before, after -> kept text and cursor ("": as typed)
        {"123456789", "1234567890", "", 0},
        {"1234567890", "12345x67890", "1234567890", 5},
        {"1234567890", "12abcdefgh90", "12abcdef90", 8},
        {"123456789012345", "1234567890123456", "123456789012345", 15}};
    for (const auto& [before, after, text, cursor] : typing) {
      const LimitedText kept = LimitTyping(before, after, 10).value_or(LimitedText{});
      QCOMPARE(std::pair(kept.Text, kept.Cursor), std::pair(text, cursor));
    }
    const auto width = [](const QString& s) { return static_cast<int>(s.size()); };  // a pixel a character
    QCOMPARE(WrapToWidth("aaa bbb ccc ddd", 7, width), QStringLiteral("aaa bbb\nccc ddd"));
    QCOMPARE(WrapToWidth("a bbbbbbbbbbbb c", 5, width), QStringLiteral("a\nbbbbbbbbbbbb\nc"));
    QCOMPARE(Pixels(DialogUnits::FromFont(364, 16), {93, 3, 30, 10}), QRect(163, 6, 52, 20));  // Tahoma 12 pt, 96 dpi
    QCOMPARE(Pixels(DialogUnits::FromFont(300, 15), {1, 1, 3, 3}), QRect(2, 2, 4, 6));
    const QFont desktop = QApplication::font();  // the windows' font: the desktop's, at least 12 points
    for (const auto& [size, used] : {std::pair{8.0, 12.0}, {14.0, 14.0}}) {
      QApplication::setFont(QFont(desktop.family(), static_cast<int>(size)));
      QCOMPARE(TemplateFont().pointSizeF(), used);
    }
    QApplication::setFont(desktop);
  }

  // The menu with "__" apart at the right end, a fixed window centred on the
  // screen with only a close box, each control its own tip, wrapped to the
  // tooltip width on the menu bar (tips show soon); the stored entry whole, past the typing
  // limit; typing stops at ten, which show whole; Tab toggles between box and
  // button, the focus showing; the cursor stops blinking after ten seconds
  // until a key or the focus comes back.
  void mainWindowSession() {
    WindowRig rig(false, std::string("123456789012345", 16), true);
    MainWindow& w = rig.window;
    QStringList labels{w.windowTitle(), w.TimerButton()->text()};  // the caption, the button, the menu
    for (QAction* action : w.MenuBar()->actions()) labels << action->text();
    QCOMPARE(labels, (QStringList{"Timer", "&Timer", "&Go", "&Stop", "&Volume", "&Folder", "&Help", "", "__"}));
    QVERIFY(w.MenuBar()->actionGeometry(w.MenuAction(CmdMinimize)).right() >= w.MenuBar()->width() - 12);
    QCOMPARE(w.minimumSize(), w.maximumSize());
    // Near the centre: the frame is known only once shown.
    QVERIFY((w.frameGeometry().center() - w.screen()->geometry().center()).manhattanLength() <= 10);
    const auto boxes = Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    QCOMPARE(w.windowFlags() & boxes, Qt::WindowFlags(Qt::WindowCloseButtonHint));
    QCOMPARE(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 200);
    QTest::mouseMove(w.MenuBar(), w.MenuBar()->actionGeometry(w.MenuAction(CmdVolume)).center());  // the bar's tips
    QTRY_COMPARE(QToolTip::text().replace(QLatin1Char('\n'), QLatin1Char(' ')),
                 "Volume control (shortcut key = V), or hold down CTRL key and spin the mousewheel");
    for (const QString& line : QToolTip::text().split(QLatin1Char('\n')))
      QVERIFY(QFontMetrics(QToolTip::font()).horizontalAdvance(line) <= 250);
    QCOMPARE(w.Item(IdClock)->toolTip(), QStringLiteral("The current time"));  // each control its own tip
    QLineEdit* edit = w.TimeEdit();
    QCOMPARE(edit->text(), QStringLiteral("123456789012345"));
    QTest::keyClicks(edit, "01234567899");
    QCOMPARE(edit->text(), QStringLiteral("0123456789"));
    edit->home(false);
    edit->grab();  // the line edit places its text as it paints
    QCOMPARE(edit->cursorPositionAt(QPoint(edit->width() - 1, edit->height() / 2)), 10);  // the last digit shows
    const QImage unfocused = w.TimerButton()->grab().toImage();
    QTest::keyClick(edit, Qt::Key_Tab);
    QTRY_VERIFY(w.TimerButton()->hasFocus());
    QVERIFY(w.TimerButton()->grab().toImage() != unfocused);
    QTest::keyClick(w.TimerButton(), Qt::Key_Tab);
    QTRY_VERIFY(edit->hasFocus());
    QVERIFY(!edit->hasSelectedText());  // a plain focus change
    auto* blink = w.findChild<QTimer*>(QStringLiteral("cursorBlinkTimeout"));
    for (const bool key : {true, false}) {                                // a key, the focus back
      QMetaObject::invokeMethod(blink, "timeout");                        // as after ten seconds without input
      QTRY_COMPARE(QGuiApplication::styleHints()->cursorFlashTime(), 0);  // the cursor stays lit, no repaints
      key ? QTest::keyClick(edit, Qt::Key_End) : (edit->clearFocus(), edit->setFocus());
      QVERIFY(QGuiApplication::styleHints()->cursorFlashTime() > 0);
      QVERIFY(blink->remainingTime() > 9000);
    }
    w.SetCaption("<i>Song</i> [*] & co.mp3");
    QCOMPARE(w.windowHandle()->title(), QStringLiteral("<i>Song</i> [*] & co.mp3"));
  }

  // The clock repaints only the characters that changed; after every kind of
  // change what the screen shows is what a fresh clock with the same text,
  // font, colours and size paints whole; in its colours behind the
  // characters too, and centred. Then the wheel over the window's controls:
  // the minutes, with Ctrl the volume, a step per notch and none without a
  // turn; over the music dialog too.
  void clockAndWheel() {
    WindowRig rig;
    auto* clock = qobject_cast<ClockLabel*>(rig.window.Item(IdClock));
    const auto onScreen = [&] {
      const QRect at(clock->mapTo(&rig.window, QPoint()), clock->size());
      return rig.window.screen()
          ->grabWindow(rig.window.winId(), at.x(), at.y(), at.width(), at.height())
          .toImage()
          .convertToFormat(QImage::Format_RGB32);
    };
    const auto fresh = [&] {
      ClockLabel fresh(clock->parentWidget());  // in the window's colours and font unless told
      fresh.setFont(clock->font());
      fresh.setPalette(clock->palette());
      fresh.resize(clock->size());
      fresh.SetText(clock->Text());
      return fresh.grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    QPalette colours;
    colours.setColor(QPalette::Window, QColor(221, 255, 255));
    colours.setColor(QPalette::WindowText, QColor(170, 0, 0));
    QRegion painted;  // what the clock's paints covered
    EventTap tap(clock, [&](QEvent* e) {
      if (e->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(e)->region();
    });
    // A text to show, or one of the other changes: "font", "colours", "size".
    for (const char* change : {"", " 9:59:58 am", " 9:59:59 am", "10:00:00 am" /* wider */, "10:00:00 pm",
                               " 1:00:00 pm" /* narrower */, "1:00", "font", "colours", "size", "1:01"}) {
      const QString what = QString::fromLatin1(change);
      painted = QRegion();
      what == "font"      ? clock->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 15))
      : what == "colours" ? clock->setPalette(colours)
      : what == "size"    ? clock->setFixedWidth(110)
                          : clock->SetText(what);
      QTRY_VERIFY2(onScreen() == fresh(), change);
      if (what == " 9:59:59 am" || what == "1:01") {  // only the changed digit's place is repainted
        const QChar digit = what.at(what == "1:01" ? 3 : 7);
        QCOMPARE(painted.boundingRect().width(), clock->fontMetrics().horizontalAdvance(digit));
      }
    }
    const QImage shown = onScreen();
    QCOMPARE(shown.pixelColor(shown.width() / 2, 0), QColor(221, 255, 255));
    int left = shown.width(), right = 0;
    for (int i = 0; i < shown.width() * shown.height(); ++i)
      if (shown.pixelColor(i % shown.width(), i / shown.width()) != QColor(221, 255, 255))
        left = std::min(left, i % shown.width()), right = std::max(right, i % shown.width());
    QCOMPARE_LE(std::abs(left - (shown.width() - 1 - right)), 3);  // the margins left and right
    rig.fakes.volume.wave = 0x80008000;
    rig.window.TimeEdit()->setText(QStringLiteral("20"));
    const std::tuple<int, int, bool, QString, uint> turns[] = {
        // item, delta, Ctrl -> minutes, volume
        {IdTimeEdit, 360, false, "21", 0x8000},  // several notches
        {IdClock, -15, false, "20", 0x8000},     // a fine touchpad step
        {IdClock, 0, false, "20", 0x8000},
        {IdTimerButton, 120, true, "20", 0x8000 + 2000}};
    for (const auto& [item, delta, ctrl, minutes, volume] : turns) {
      SendWheel(rig.window.Item(item), delta, ctrl);
      QCOMPARE(rig.window.TimeEdit()->text(), minutes);
      QCOMPARE(rig.fakes.volume.wave & 0xFFFF, volume);
    }
    // Over the music dialog the wheel still acts here; keys are typed.
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
    QCOMPARE(rig.fakes.volume.wave & 0xFFFF, 0x8000u);
  }

  // While the menu bar holds the keyboard (after Alt; Alt or Esc gives it
  // back) Enter and Space run the highlighted item, which is framed; in the
  // window itself Enter starts the timer.
  void menuBarKeys() {
    const std::pair<std::vector<Qt::Key>, QString> cases[] = {{{Qt::Key_Return}, "timer"},
                                                              {{Qt::Key_Alt, Qt::Key_Left, Qt::Key_Enter}, "minimised"},
                                                              {{Qt::Key_Alt, Qt::Key_Space}, "music"},
                                                              {{Qt::Key_Alt, Qt::Key_Alt, Qt::Key_Return}, "timer"},
                                                              {{Qt::Key_Alt, Qt::Key_Escape, Qt::Key_Return}, "timer"}};
    for (const auto& [keys, effect] : cases) {
      WindowRig rig(false, std::string("20", 3), true);
      MainWindow& w = rig.window;
      // Go's songs each take 60 ms to fail: its start runs out of time after
      // two and goes on at once, without a tick, to the tune standing in.
      rig.app.State.UseMidi = false, rig.app.State.MP3Folder = P("M/");
      for (const char* name : {"a.mp3", "b.mp3", "c.mp3"})
        rig.fakes.listing.AddFile(P("M"), name), rig.fakes.sound.unplayable.insert(P("M/") + name);
      rig.fakes.sound.onOpen = [&rig] { rig.fakes.clock.milliseconds += 60; };
      // Whether "Go" is framed: the frame's dots on the line inside its top edge.
      const auto goFramed = [&w] {
        const QImage item = w.MenuBar()->grab(w.MenuBar()->actionGeometry(w.MenuAction(CmdGo))).toImage();
        for (int x = 1; x < item.width() - 1; ++x)
          if (item.pixelColor(x, 1) == w.MenuBar()->palette().color(QPalette::ButtonText)) return true;
        return false;
      };
      QVERIFY(!goFramed());
      for (const Qt::Key& key : keys) {
        QTest::keyClick(QApplication::focusWidget(), key, key == Qt::Key_Alt ? Qt::AltModifier : Qt::NoModifier);
        if (&key == &keys.front() && key == Qt::Key_Alt) {  // the keyboard is on it, and a screen reader told so
          QVERIFY(goFramed());
          QVERIFY(QAccessible::queryAccessibleInterface(w.MenuAction(CmdGo))->state().focused);
          QVERIFY(!QAccessible::queryAccessibleInterface(w.MenuAction(CmdStop))->state().focused);
        }
      }
      QTRY_COMPARE(QString(w.isMinimized()                      ? "minimised"
                           : rig.fakes.sound.isOpen             ? "music"
                           : w.ItemText(IdAlarmDisplay) == "20" ? "timer"
                                                                : ""),
                   effect);
    }
  }

  // What a screen reader is told as it happens, each by a notification that
  // shows anew and stays while it holds: the timer's start with the time
  // left, the tune Go plays, the alarm with its message (not the tune that
  // starts with it), a rejected entry (the time box also flashes); never the
  // countdown, and never by a name change (Orca cannot read Qt 6.4's). The
  // alarm asks for attention and reaches the desktop. Then what it reads:
  // the window a frame named by the caption (minimised too), the clock's and
  // the alarm display's texts, the menu's names and descriptions, the music
  // window's fields named by their labels; the music window's texts, no
  // label read as markup, both windows fixed.
  void screenReader() {
    WindowRig rig;
    QAccessibleInterface* notice = QAccessible::queryAccessibleInterface(rig.window.Announcer());
    QCOMPARE(notice->role(), QAccessible::Notification);
    QStringList heard;
    EventTap ears(rig.window.Announcer(), [&](QEvent* e) {
      if (e->type() == QEvent::Show) heard << notice->text(QAccessible::Name);
    });
    // Command (0: the alarm, -1: a minute passes), its entry or message -> what is said, and whether it stays shown.
    const std::tuple<int, const char*, QStringList, bool> cases[] = {
        {CmdStartTimer, "2", {"Timer started, 2 minutes left"}, true},
        {-1, "", {}, true},
        {-1, "", {"Time is up!"}, true},
        {CmdStop, "", {}, false},
        {CmdGo, "", {"Scott Joplin - The Entertainer"}, true},
        {0, "Tea <b>is</b> ready", {"Time is up! Tea <b>is</b> ready"}, true},
        {CmdStartTimer, "25:99", {"Invalid entry"}, true},
        {CmdStartTimer, "", {}, true},
        {0, "", {"Time is up!"}, true}};
    for (const auto& [command, text, said, shown] : cases) {
      heard.clear();
      ModalHandler handler([](QWidget*) {});
      rig.window.SetItemText(IdTimeEdit, command == CmdStartTimer ? text : "20");
      rig.app.State.AlarmMessage = text;
      if (command > 0) RunCommand(rig.app, command);
      if (command == 0) FireAlarm(rig.app);
      if (command == -1) rig.fakes.clock.Advance(60), rig.window.Tick();
      QCOMPARE(heard, said);
      QCOMPARE(!notice->state().invisible, shown);
    }
    QCOMPARE(rig.window.Announcer()->accessibleName(), QString());       // setting it would send a name change
    QCOMPARE(rig.fakes.notifier.shown, std::optional<std::string>(""));  // passed on to the desktop
    // The flash of the rejected entry ends; the alarm said since stays.
    const QPalette flashed = rig.window.TimeEdit()->palette();
    QCOMPARE(flashed.color(QPalette::Base), flashed.color(QPalette::Highlight));
    QTRY_COMPARE(rig.window.TimeEdit()->palette().color(QPalette::Base), QColor(255, 255, 221));
    QVERIFY(!notice->state().invisible);
    AlarmAttention(rig.alarms, rig.window).ShowAlarm("Tea");
    QCOMPARE(rig.fakes.notifier.shown, std::optional<std::string>("Tea"));
    MainWindow& w = rig.window;
    rig.app.State.AlarmMessage = "Wake up";
    rig.app.State.MP3Folder = "/home/u/Music/";
    rig.app.State.UseMidi = false;
    w.SetItemText(IdTimeEdit, "20");
    RunCommand(rig.app, CmdStartTimer);
    w.SetCaption("Song [*] 1");
    w.showMinimized();
    QTRY_VERIFY(w.isMinimized());
    MusicSettingsDialog dialog(rig.app, &w);
    const std::pair<QObject*, QStringList> views[] = {
        {&w, {"Window", "Song [*] 1", "-", "", ""}},
        {w.Item(IdClock), {"StaticText", "Clock", "10:02:00 am", "The current time", ""}},
        {w.Item(IdAlarmDisplay),
         {"StaticText", "Alarm", "20", "The alarm setting (total minutes or specific time) for timer to go off", ""}},
        {w.MenuAction(CmdMinimize), {"MenuItem", "Minimize", "-", "Minimize", "Press"}},
        {w.MenuAction(CmdGo), {"MenuItem", "Go", "-", "Play songs (shortcut key = G)", "Press"}},
        {w.MenuBar()->actions().value(5), {"Separator", "", "-", "", ""}},  // nothing to read or press
        {dialog.FolderEdit(), {"EditableText", "Folder for MP3 songs:", "/home/u/Music", "", "SetFocus"}},
        {dialog.MessageEdit(), {"EditableText", "Alarm message", "Wake up", "", "SetFocus"}}};
    for (const auto& [object, read] : views) QCOMPARE(Heard(QAccessible::queryAccessibleInterface(object)), read);
    // A text box's text attributes run over all of it: Orca reads no text outside a run.
    QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(dialog.FolderEdit())->textInterface();
    int start = -1, end = -1;
    text->attributes(1, &start, &end);
    QCOMPARE((std::pair{start, end}), (std::pair{0, text->characterCount()}));
    dialog.FolderEdit()->setSelection(6, 2);  // a part selected is read as that part
    text->selection(0, &start, &end);
    QCOMPARE((std::pair{start, end}), (std::pair{6, 8}));
    // The wheel's hint goes with the Volume button, which keeps its name, not with the whole window.
    QLabel* hint = nullptr;
    for (QLabel* label : dialog.findChildren<QLabel*>()) hint = label->text() == "Or CTRL + mousewheel" ? label : hint;
    const auto related = QAccessible::queryAccessibleInterface(hint)->relations(QAccessible::Label);
    QCOMPARE(related.size(), 1);
    QCOMPARE(related.first().first->text(QAccessible::Name), QStringLiteral("Volume"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Set folder for MP3 music files"));
    QCOMPARE(dialog.Button(IdBrowseButton)->geometry(), Pixels(UnitsOf(dialog.font()), {179, 8, 36, 15}));
    QCOMPARE(dialog.Button(IdInternalMusicCheck)->isChecked(), false);
    QStringList texts;  // no Cancel
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) texts << button->text();
    for (QLabel* label : w.findChildren<QLabel*>()) {  // the dialog's too
      if (label->window() == &dialog) texts << label->text();
      QCOMPARE(label->textFormat(), Qt::PlainText);
    }
    texts.sort();
    QCOMPARE(texts, (QStringList{"&Browse", "&Done", "&Play music", "&Stop music", "&Volume", "Alarm message",
                                 "Folder for MP3 songs:", "Or CTRL + mousewheel", "Play music from subfolders too",
                                 "Use internal music instead of MP3 songs"}));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
  }

  // With the window's own ticks, made due at once: the alarm box opens inside
  // a tick, never hangs on a minimised window, and the ticks go on while it
  // is open (the clock only while the window shows).
  void alarmBox() {
    for (const auto& [minimised, clock] : {std::pair{false, "10:00:01 am"}, {true, "10:00:00 am"}}) {
      WindowRig rig(true);
      auto* tick = rig.window.findChild<QTimer*>(QStringLiteral("tick"));
      rig.app.State.AlarmMessage = "Tea <b>is</b> ready";
      if (minimised) rig.window.showMinimized();
      QTRY_COMPARE(rig.window.isMinimized(), minimised);
      ModalHandler handler([&, clock = clock](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QCOMPARE(box->windowTitle(), QStringLiteral("Tovin's Timer"));
        QCOMPARE(box->text(), QStringLiteral("Tea <b>is</b> ready"));
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QVERIFY(!box->parentWidget() || !box->parentWidget()->isMinimized());
        QFont title = QApplication::font();  // the caption shows whole beside the title bar's buttons
        title.setBold(true);
        QVERIFY(box->width() >= 2 * QFontMetrics(title).horizontalAdvance(QStringLiteral("Tovin's Timer")));
        QVERIFY(tick->isActive());                             // the next tick is armed
        const std::size_t calls = rig.fakes.sound.log.size();  // each tick asks the channel
        rig.fakes.clock.Advance(1);
        tick->start(0);
        QTRY_VERIFY(rig.fakes.sound.log.size() > calls);
        QCOMPARE(rig.window.ItemText(IdClock), std::string(clock));
      });
      rig.window.SetItemText(IdTimeEdit, "0");
      RunCommand(rig.app, CmdStartTimer);  // fires at the next tick
      tick->start(0);
      QTRY_VERIFY(!handler.isActive());
    }
  }

  // However the music dialog closes, it takes the texts over, "~" in the
  // folder meaning home; Enter (either) presses the focused push button, and
  // nothing else: no line break in the message, no toggled check box. (It
  // leaves HOME changed.)
  void musicDialogKeysAndWaysOut() {
    qputenv("HOME", "/home/tester");
    // Focus, keys (none: the close box), typed folder -> what it did
    // (to the music, or to the dialog), kept folder.
    const QList<Qt::Key> enter{Qt::Key_Return, Qt::Key_Enter};
    const std::tuple<const char*, QList<Qt::Key>, QString, QString, std::string> cases[] = {
        {"button401", enter, "/x", "play", "/x/"},
        {"button402", enter, "/x", "close", "/x/"},
        {"button2", enter, "~", "closed", "/home/tester/"},
        {"messageEdit", enter, "/x", "", "/x/"},
        {"folderEdit", enter, "/x", "", "/x/"},
        {"check301", enter, "/x", "", "/x/"},
        {"folderEdit", {Qt::Key_Escape}, "~/Songs", "closed", "/home/tester/Songs/"},
        {"folderEdit", {}, "~bob/Songs", "", "~bob/Songs/"}};
    for (const auto& [focus, keys, typed, effect, kept] : cases) {
      WindowRig rig;
      ModalHandler handler([&](QWidget* modal) {
        auto& dialog = *qobject_cast<MusicSettingsDialog*>(modal);
        dialog.FolderEdit()->setText(typed);
        dialog.MessageEdit()->setPlainText(QStringLiteral("  time for tea  "));
        auto* target = dialog.findChild<QWidget*>(focus);
        target->setFocus();
        QTRY_VERIFY(target->hasFocus());
        for (const Qt::Key key : keys) QTest::keyClick(target, key);
        QCOMPARE(!dialog.isVisible()   ? "closed"
                 : rig.Called("play")  ? "play"
                 : rig.Called("close") ? "close"
                                       : "",
                 effect);
        QCOMPARE(dialog.MessageEdit()->toPlainText(), QStringLiteral("  time for tea  "));
        QVERIFY(dialog.Button(IdInternalMusicCheck)->isChecked());
      });
      rig.window.OpenMusicDialog();
      QCOMPARE(rig.app.State.AlarmMessage, std::string("time for tea"));
      QCOMPARE(rig.fakes.store.Text("Software\\TimerZqv2010\\MP3Folder"), std::optional(kept));
    }
  }

  // Its texts, folders only and no new folder, modal to its owner, opened on
  // the current folder: Choose takes it, Cancel nothing.
  void folderChooser() {
    QWidget owner;
    for (const auto& [accept, chosen] : {std::pair{true, std::optional<std::string>("/usr")}, {false, std::nullopt}}) {
      ModalHandler handler([&, accept = accept](QWidget* modal) {
        auto* dialog = qobject_cast<FolderChooserDialog*>(modal);
        QCOMPARE(dialog->parentWidget(), &owner);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Folder for MP3 Songs"));
        const QLabel* prompt = dialog->findChild<QLabel*>("prompt");
        QCOMPARE(prompt->text(), QStringLiteral("Which mp3 songs do you want to hear?"));
        QVERIFY(prompt->geometry().bottom() < dialog->Files()->y());  // above the folders
        QVERIFY(dialog->Files()->testOption(QFileDialog::ShowDirsOnly));
        QVERIFY(!dialog->Files()->findChild<QWidget*>("newFolderButton")->isVisibleTo(dialog));
        accept ? static_cast<QDialog*>(dialog->Files())->accept() : dialog->Files()->reject();
      });
      QtFolderChooser chooser;
      chooser.SetParent(&owner);
      QCOMPARE(chooser.ChooseFolder("/usr/"), chosen);
    }
  }

  // The sound channel that loads SDL at the first song or volume step: quiet
  // without its module, the real channel behind it once loaded (a gain set
  // as wave volume before or as MIDI volume while it plays is its too:
  // silence at 0, the note at full; with no SoundFont the tune does not open,
  // the lack is said and the tone is heard instead), gone again at a release
  // with nothing open, and back at the next step.
  void lazySoundLoadedForTheMusicOnlyAndAtItsGain() {
#ifndef TIMER_SOUND_MODULE_PATH
    TIMER_QSKIP("built without the sound module");
#else
    const QString song = dir_.filePath(QStringLiteral("Temp.mid")), out = dir_.filePath(QStringLiteral("out.raw"));
    std::ofstream(song.toStdString(), std::ios::binary)  // one note
        .write("MThd\0\0\0\x06\0\0\0\x01\0\x60MTrk\0\0\0\x0c\0\x90\x3c\x40\x60\x80\x3c\x40\0\xff\x2f\0", 34);
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIODELAY", "1");  // 23 times as fast as heard
    qputenv("SDL_DISKAUDIOFILE", out.toUtf8());
    LazySoundChannel missing({"/nonexistent/tovins-timer-sound.so"});
    missing.Open(song.toStdString());
    QCOMPARE(missing.Mode() + missing.Lacking(), std::string());
    const auto sounded = [&] { return Contents(out).count('\0') != Contents(out).size(); };
    // Gain before the song, while it plays, SoundFonts -> heard, what a tune lacked.
    const std::tuple<std::uint32_t, std::optional<std::uint32_t>, QByteArray, bool, std::string> gains[] = {
        {0, {}, "", false, ""},
        {0xFFFFFFFF, {}, "", true, ""},
        {0xFFFFFFFF, 0, "", false, ""},
        {0xFFFFFFFF, {}, "/nonexistent.sf2", true, "No SoundFont: install timgm6mb-soundfont"}};
    for (const auto& [before, during, fonts, heard, lacking] : gains) {
      fonts.isEmpty() ? qunsetenv("SDL_SOUNDFONTS") : qputenv("SDL_SOUNDFONTS", fonts);
      LazySoundChannel channel({"/nonexistent/first.so", TIMER_SOUND_MODULE_PATH});
      LazyOutputVolume volume(channel);
      volume.SetWaveVolume(before);  // no sound server here: the channel's own gain
      QCOMPARE(volume.GetWaveVolume(), std::optional(before));
      channel.Release(), channel.Close();  // a step holds nothing past the next tick; asking and closing load nothing
      QVERIFY(channel.Mode().empty() && !channel.Loaded());
      channel.Open(song.toStdString());
      QCOMPARE(channel.Lacking(), lacking);
      if (!lacking.empty()) QVERIFY(channel.Mode().empty() && channel.OpenTone());
      if (during) volume.SetMidiVolume(*during);
      channel.Play(), channel.Release();
      QVERIFY(channel.Loaded());  // not while it plays
      QTRY_VERIFY(lacking.empty() ? channel.Mode() == "stopped" : sounded());
      channel.Close(), channel.Release();  // the music is over: the sound stack goes
      QVERIFY(!channel.Loaded() && !dlopen(TIMER_SOUND_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD));
      QCOMPARE(sounded(), heard);
      volume.SetWaveVolume(before);  // and comes back for the next step
      QVERIFY(channel.Loaded());
    }
#endif
  }

  // SIGTERM, SIGINT and SIGHUP each end the event loop, normally.
  void signalsEndTheEventLoop() {
    QuitOnSignals(this);
    QTimer guard;  // a fault fails, never hangs
    connect(&guard, &QTimer::timeout, [] { QApplication::exit(1); });
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
      guard.start(5000);
      QTimer::singleShot(0, [signal] { raise(signal); });
      QCOMPARE(QApplication::exec(), 0);
    }
  }

  // A damaged settings file costs at most the damaged setting: garbage, a
  // FIFO or device at its place, a stale lock; a failed write is reported;
  // values are read back byte for byte, up to 4,096 with the NUL. (Last: it
  // moves the settings folder.)
  void settingsFileFaultsNeverStopTheProgramNorLoseAStoredSetting() {
    qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8());
    QCOMPARE(QtKeyValueStore::DefaultPath(), dir_.filePath(QStringLiteral("TimerZqv2010/Timer.ini")));
    const std::string good = "|0|/songs/|0", defaults = "|1|/home/u/Music|1";
    const std::string goodFile =
        "printf '[UseMidi]\\nString%%20Value=0\\n[MP3Folder]\\nString%%20Value=/songs/\\n"
        "[SubfoldersOn]\\nString%%20Value=0\\n' > Timer.ini; ";
    const std::tuple<std::string, std::string, bool> cases[] = {
        // a shell command in the settings folder -> loaded, whether a write
        // lands (else the file stays as it was)
        {goodFile + "head -c 3000 /bin/sh >> Timer.ini; printf '\\n[Time]\\nString%%20Value=a, b\\n' >> Timer.ini",
         good, true},                                     // garbage, and a list nobody wrote
        {goodFile + "touch Timer.ini.lock", good, true},  // left by a killed writer
        {"mkfifo Timer.ini", defaults, false},
        {"ln -s /dev/zero Timer.ini", defaults, false},
        {"mkdir Timer.ini", defaults, false},
        {"cd .. && rmdir TimerZqv2010 && touch TimerZqv2010", defaults, false}};
    for (const auto& [plant, loaded, writeLands] : cases) {
      const QString folder = dir_.filePath(QStringLiteral("%1/TimerZqv2010").arg(++copies_));
      const QString ini = folder + "/Timer.ini";
      QDir().mkpath(folder);
      QCOMPARE(std::system(("cd '" + folder.toStdString() + "' && " + plant).c_str()), 0);
      const QByteArray before = Contents(ini);
      HangGuard guard(plant, 10);
      QCOMPARE(StartWith(ini, false), loaded);
      QtKeyValueStore store(ini);
      WriteSetting(store, "Time", "20");  // written at once
      QCOMPARE(writeLands ? QByteArray::fromStdString(StartWith(ini)) : Contents(ini),
               writeLands ? QByteArray::fromStdString("20" + loaded) : before);
    }
    const QString ini = dir_.filePath(QStringLiteral("values.ini"));
    const std::string m4095 = std::string(4095, 'm') + '\0';
    const std::tuple<QString, std::string, std::string> values[] = {
        // file, written -> read ("-": refused, "x": the write failed)
        {ini, {"20", 3}, {"20", 3}},
        {ini, {"\xff\xfe caf\xe9", 8}, {"\xff\xfe caf\xe9", 8}},  // not UTF-8
        {ini, m4095, m4095},
        {ini, 'm' + m4095, "-"},
        {"/proc/self/no-such-folder/Timer.ini", {"20", 3}, "x"}};
    for (const auto& [file, written, read] : values) {
      KeyValueStore::Key key = 0;
      QtKeyValueStore store(file), fresh(file);
      QVERIFY(store.CreateKey("Software\\TimerZqv2010\\MP3Folder", key));
      std::uint32_t size = 4096;
      char buffer[4096];
      const bool set = store.SetValue(key, "String Value", written);
      QVERIFY(!set || fresh.OpenKey("Software\\TimerZqv2010\\MP3Folder", key));
      std::string got = set ? "-" : "x";
      if (set && fresh.QueryValue(key, "String Value", buffer, size)) got.assign(buffer, size);
      QCOMPARE(got, read);
    }
  }
};

TIMER_QTEST_MAIN(ShellTest, QTEST_MAIN_SETUP())
#include "ShellTest.moc"
