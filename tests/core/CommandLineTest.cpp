// The command line: arguments to what the program does, and the countdown's
// progress on the taskbar and the launcher.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "app/CommandLine.h"
#include "app/Progress.h"
#include "settings/Settings.h"

// What the program writes, in Linux and in Windows style.
const std::string Usage[2] = {
    "Usage: tovins-timer [-m TEXT] [--minimized] [TIME]\n"
    "       tovins-timer --stop | --help | --version\n"
    "TIME is minutes from 0 to 1380 or a clock time such as 8:30 pm; the timer starts at once.\n",
    "Usage: Timer.exe [/m TEXT] [/minimized] [TIME]\n"
    "       Timer.exe /stop | /help | /version\n"
    "TIME is minutes from 0 to 1380 or a clock time such as 8:30 pm; the timer starts at once.\n"};
const std::string Help[2] = {Usage[0] +
                                 "\nOptions:\n"
                                 "  -m, --message TEXT    show TEXT at the alarm (for this timer only)\n"
                                 "      --minimized       start with the window minimized\n"
                                 "      --stop            stop the music of every running copy\n"
                                 "  -h, --help            show this help\n"
                                 "  -v, --version         show the version\n",
                             Usage[1] +
                                 "\nOptions:\n"
                                 "  /m, /message TEXT     show TEXT at the alarm (for this timer only)\n"
                                 "  /minimized            start with the window minimized\n"
                                 "  /stop                 stop the music of every running copy\n"
                                 "  /h, /help             show this help\n"
                                 "  /v, /version          show the version\n"};

// The arguments, in Windows style or not; what the program does: the action,
// the entry in brackets, the message quoted, "minimized", the exit status; and
// what it writes (after a complaint, the usage).
TEST(CommandLine, ArgumentsToWhatTheProgramDoes) {
  const std::tuple<std::vector<std::string>, bool, const char*, std::string> rows[] = {
      {{}, false, "open [] 0", ""},
      {{"8:30", "pm"}, false, "open [8:30 pm] 0", ""},
      {{"1380", "-m", "Tea"}, false, "open [1380] 'Tea' 0", ""},
      {{"--message=Tea is ready", "--minimized", "--", "0"}, false, "open [0] 'Tea is ready' minimized 0", ""},
      {{"/m", "Tea", "/minimized", "22:34"}, true, "open [22:34] 'Tea' minimized 0", ""},
      {{"-m", "a", "--message", "b"}, false, "open [] 'b' 0", ""},
      {{"--stop"}, false, "stop [] 0", ""},
      {{"--version", "99:99"}, false, "version [] 0", "Tovin's Timer 9.8.7\n"},
      {{"/?"}, true, "help [] 0", Help[1]},
      {{"-h", "--stop"}, false, "help [] 0", Help[0]},
      {{"1381"}, true, "fail [] 2", "Timer.exe: '1381' is not a time to count down to.\n"},
      {{"--", "-5"}, false, "fail [] 2", "tovins-timer: '-5' is not a time to count down to.\n"},
      {{"--stop", "20"}, false, "fail [] 2", "tovins-timer: --stop takes no time, message or other option.\n"},
      {{"/stop", "/minimized"}, true, "fail [] 2", "Timer.exe: /stop takes no time, message or other option.\n"},
      {{"--stop", "-m", ""}, false, "fail [] 2", "tovins-timer: --stop takes no time, message or other option.\n"},
      {{"--help=x"}, false, "fail [] 2", "tovins-timer: Unexpected value after '--help'.\n"},
      {{"20", "-m"}, false, "fail [] 2", "tovins-timer: Missing value after '-m'.\n"},
      {{"--help", "--bogus"}, false, "fail [] 2", "tovins-timer: Unknown option 'bogus'.\n"},
      {{"/stop"}, false, "fail [] 2", "tovins-timer: '/stop' is not a time to count down to.\n"},
      {{std::string(250, '0') + "20"},
       false,
       "fail [] 2",  // more than the time box holds
       "tovins-timer: '" + std::string(250, '0') + "20' is not a time to count down to.\n"},
      {{"--=5"}, false, "fail [] 2", "tovins-timer: Unknown option ''.\n"},
  };
  const char* const actions[] = {"open", "stop", "help", "version", "fail"};
  for (const auto& [args, windows, does, writes] : rows) {
    const LaunchRequest r =
        DecideLaunch(ReadArguments(args, windows), {windows ? "Timer.exe" : "tovins-timer", windows, "9.8.7"});
    EXPECT_EQ(actions[static_cast<int>(r.Action)] + (" [" + r.Entry + "]") +
                  (r.Message ? " '" + *r.Message + "'" : "") + (r.Minimized ? " minimized " : " ") +
                  std::to_string(r.ExitStatus),
              does)
        << testing::PrintToString(args);
    EXPECT_EQ(r.Text, writes + (r.ExitStatus ? Usage[windows] : "")) << testing::PrintToString(args);
  }
}

// As typed and Enter pressed: started and stored; the message only held.
TEST(CommandLine, AnEntryStartsTheTimerAsTypedAndTheMessageIsNotStored) {
  TestApp t;
  t.Tick();
  const auto seen = [&t] {  // the time box, the caption, the message, the seconds counted down
    return t.window.items[IdTimeEdit] + "," + t.window.caption + "," + t.state.AlarmMessage + "," +
           std::to_string(t.state.AlarmTime - t.clock.boot);
  };
  ApplyLaunch(t.app, DecideLaunch(ReadArguments({" 2 ", "-m", " Tea "}, false), {"tovins-timer", false, "1"}));
  EXPECT_EQ(seen(), " 2 ,Timer started,Tea,120");
  EXPECT_EQ(ReadSetting(t.store, "Time", "none") + "," + ReadSetting(t.store, "AlarmMessage", "none"), "2,none");
  ApplyLaunch(t.app, {LaunchAction::Help, "5", "Coffee", false, 0, ""});
  EXPECT_EQ(seen(), " 2 ,Timer started,Tea,120");
  ApplyLaunch(t.app, {LaunchAction::Open, "", "Coffee", false, 0, ""});  // a message alone leaves the time box
  EXPECT_EQ(seen(), " 2 ,Timer started,Coffee,120");
}

// Rows of one run, a tick each: the state after the tick, what is shown then.
// "now" is the clock the alarm counts on (the boot clock for minutes, the
// wall clock for a clock time); the other clock reads something else.
TEST(TaskProgress, FollowsTheCountdownAndRingsUntilStop) {
  using P = TaskProgress;
  // now, alarm, music, a clock time, what is shown
  const std::tuple<std::int64_t, std::int64_t, bool, bool, std::optional<P>> steps[] = {
      {100, -1, false, false, {}},  // no countdown: nothing to show, as before
      {100, 200, false, false, P{true, 0, false}},
      {150, 200, true, false, P{true, 500, false}},  // Go while counting
      {199, 200, false, false, P{true, 990, false}},
      {200, -1, true, false, P{true, 1000, true}},  // the alarm
      {260, -1, true, false, {}},
      {261, -1, false, false, P{false, 0, false}},  // Stop
      {300, 400, false, false, P{true, 0, false}},
      {290, 400, false, false, {}},                 // the clock set back: never below nothing
      {350, -1, false, false, P{false, 0, false}},  // cancelled
      {360, 380, true, false, P{true, 0, false}},
      {370, -1, true, false, P{false, 0, false}},      // cancelled while Go plays
      {380, 380, false, false, P{true, 1000, false}},  // "0": due at once
      {400, 600, false, true, P{true, 0, false}},      // "8:30 pm"
      {500, 600, false, true, P{true, 500, false}},
      {600, -1, true, true, P{true, 1000, true}},  // its alarm
  };
  ProgressWatch watch;
  AppState state;
  for (const auto& [now, alarm, music, clockTime, shown] : steps) {
    state.NowBoot = clockTime ? now + 5000 : now;
    state.NowUtc = clockTime ? now : now + 5000;
    state.AlarmTime = alarm, state.AlarmTimeOfDay = clockTime ? 0 : -1, state.MusicOn = music;
    EXPECT_EQ(WatchProgress(watch, state), shown) << now;
  }
}
