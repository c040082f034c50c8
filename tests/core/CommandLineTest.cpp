// The command line: arguments to what the program does, and the countdown's
// progress on the taskbar and the launcher.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "app/CommandLine.h"
#include "app/Progress.h"
#include "settings/Settings.h"

namespace {
const std::string LinuxUsage =
    "Usage: tovins-timer [-m TEXT] [--minimized] [TIME]\n"
    "       tovins-timer --stop | --help | --version\n"
    "TIME is minutes from 0 to 1380 or a clock time such as 8:30 pm; the timer starts at once.\n";
const std::string WindowsUsage =
    "Usage: Timer.exe [/m TEXT] [/minimized] [TIME]\n"
    "       Timer.exe /stop | /help | /version\n"
    "TIME is minutes from 0 to 1380 or a clock time such as 8:30 pm; the timer starts at once.\n";
}  // namespace

TEST(CommandLine, ArgumentsToWhatTheProgramDoes) {
  using enum LaunchAction;
  struct Row {
    std::vector<std::string> args;
    bool windows;
    LaunchAction action;
    std::string entry;
    std::optional<std::string> message;
    bool minimized;
    int status;
    std::string text;
  };
  // clang-format off
  const Row rows[] = {
      {{}, false, Open, "", {}, false, 0, ""},
      {{"20"}, false, Open, "20", {}, false, 0, ""},
      {{"8:30", "pm"}, false, Open, "8:30 pm", {}, false, 0, ""},
      {{"1380", "-m", "Tea"}, false, Open, "1380", "Tea", false, 0, ""},
      {{"--message=Tea is ready", "--minimized", "--", "0"}, false, Open, "0", "Tea is ready", true, 0, ""},
      {{"/m", "Tea", "/minimized", "22:34"}, true, Open, "22:34", "Tea", true, 0, ""},
      {{"-m", "a", "--message", "b"}, false, Open, "", "b", false, 0, ""},
      {{"--stop"}, false, Stop, "", {}, false, 0, ""},
      {{"/stop"}, true, Stop, "", {}, false, 0, ""},
      {{"--version", "99:99"}, false, Version, "", {}, false, 0, "Tovin's Timer 9.8.7\n"},
      {{"/?"}, true, Help, "", {}, false, 0, ""},
      {{"-h", "--stop"}, false, Help, "", {}, false, 0, ""},
      {{"99:99"}, false, Fail, "", {}, false, 2,
       "tovins-timer: '99:99' is not a time to count down to.\n" + LinuxUsage},
      {{"1381"}, true, Fail, "", {}, false, 2, "Timer.exe: '1381' is not a time to count down to.\n" + WindowsUsage},
      {{"--", "-5"}, false, Fail, "", {}, false, 2, "tovins-timer: '-5' is not a time to count down to.\n" + LinuxUsage},
      {{" "}, false, Fail, "", {}, false, 2, "tovins-timer: ' ' is not a time to count down to.\n" + LinuxUsage},
      {{"20", "5"}, false, Fail, "", {}, false, 2, "tovins-timer: '20 5' is not a time to count down to.\n" + LinuxUsage},
      {{"--stop", "20"}, false, Fail, "", {}, false, 2,
       "tovins-timer: --stop takes no time, message or other option.\n" + LinuxUsage},
      {{"/stop", "/minimized"}, true, Fail, "", {}, false, 2,
       "Timer.exe: /stop takes no time, message or other option.\n" + WindowsUsage},
      {{"--stop", "-m", ""}, false, Fail, "", {}, false, 2,
       "tovins-timer: --stop takes no time, message or other option.\n" + LinuxUsage},
      {{"--help=x"}, false, Fail, "", {}, false, 2, "tovins-timer: Unexpected value after '--help'.\n" + LinuxUsage},
      {{"20", "-m"}, false, Fail, "", {}, false, 2, "tovins-timer: Missing value after '-m'.\n" + LinuxUsage},
      {{"--help", "--bogus"}, false, Fail, "", {}, false, 2, "tovins-timer: Unknown option 'bogus'.\n" + LinuxUsage},
      {{"/stop"}, false, Fail, "", {}, false, 2, "tovins-timer: '/stop' is not a time to count down to.\n" + LinuxUsage},
  };
  // clang-format on
  for (const Row& row : rows) {
    const std::string program = row.windows ? "Timer.exe" : "tovins-timer";
    const LaunchRequest got = DecideLaunch(ReadArguments(row.args, row.windows), {program, row.windows, "9.8.7"});
    SCOPED_TRACE(testing::PrintToString(row.args));
    EXPECT_EQ(got.Action, row.action);
    EXPECT_EQ(got.Entry, row.entry);
    EXPECT_EQ(got.Message, row.message);
    EXPECT_EQ(got.Minimized, row.minimized);
    EXPECT_EQ(got.ExitStatus, row.status);
    if (row.action != Help) {
      EXPECT_EQ(got.Text, row.text);
    }
  }
}

TEST(CommandLine, HelpListsEveryOptionInThePlatformsStyle) {
  EXPECT_EQ(DecideLaunch(ReadArguments({"--help"}, false), {"tovins-timer", false, "1"}).Text,
            LinuxUsage +
                "\nOptions:\n"
                "  -m, --message TEXT    show TEXT at the alarm (for this timer only)\n"
                "      --minimized       start with the window minimized\n"
                "      --stop            stop the music of every running copy\n"
                "  -h, --help            show this help\n"
                "  -v, --version         show the version\n");
  EXPECT_EQ(DecideLaunch(ReadArguments({"/help"}, true), {"Timer.exe", true, "1"}).Text,
            WindowsUsage +
                "\nOptions:\n"
                "  /m, /message TEXT     show TEXT at the alarm (for this timer only)\n"
                "  /minimized            start with the window minimized\n"
                "  /stop                 stop the music of every running copy\n"
                "  /h, /help             show this help\n"
                "  /v, /version          show the version\n");
}

// As typed and Enter pressed: started and stored; the message only held.
TEST(CommandLine, AnEntryStartsTheTimerAsTypedAndTheMessageIsNotStored) {
  TestApp t;
  t.Tick();
  ApplyLaunch(t.app, DecideLaunch(ReadArguments({" 2 ", "-m", " Tea "}, false), {"tovins-timer", false, "1"}));
  EXPECT_EQ(t.window.items[IdTimeEdit], " 2 ");
  EXPECT_EQ(t.state.AlarmTime, t.clock.boot + 120);
  EXPECT_EQ(t.window.caption, "Timer started");
  EXPECT_EQ(ReadSetting(t.store, "Time", "none"), "2");
  EXPECT_EQ(t.state.AlarmMessage, "Tea");
  EXPECT_EQ(ReadSetting(t.store, "AlarmMessage", "none"), "none");
  ApplyLaunch(t.app, {LaunchAction::Help, "5", "Coffee", false, 0, ""});
  EXPECT_EQ(t.state.AlarmMessage, "Tea");
  EXPECT_EQ(t.state.AlarmTime, t.clock.boot + 120);
}

// Rows of one run, a tick each: the state after the tick, what is shown then.
// "now" is the clock the alarm counts on (the boot clock for minutes, the
// wall clock for a clock time); the other clock reads something else.
TEST(TaskProgress, FollowsTheCountdownAndRingsUntilStop) {
  struct Step {
    std::int64_t now, alarm;
    bool music;
    std::optional<TaskProgress> shown;
    bool clockTime = false;
  };
  // clang-format off
  const Step steps[] = {
      {100, -1, false, {}},                       // no countdown: nothing to show, as before
      {100, 200, false, TaskProgress{true, 0, false}},
      {150, 200, true, TaskProgress{true, 500, false}},  // Go while counting
      {150, 200, true, {}},
      {199, 200, false, TaskProgress{true, 990, false}},
      {200, -1, true, TaskProgress{true, 1000, true}},  // the alarm
      {260, -1, true, {}},
      {261, -1, false, TaskProgress{false, 0, false}},  // Stop
      {300, 400, false, TaskProgress{true, 0, false}},
      {290, 400, false, {}},  // the clock set back: never below nothing
      {350, -1, false, TaskProgress{false, 0, false}},  // cancelled
      {360, 380, true, TaskProgress{true, 0, false}},
      {370, -1, true, TaskProgress{false, 0, false}},   // cancelled while Go plays
      {380, 380, false, TaskProgress{true, 1000, false}},  // "0": due at once
      {400, 600, false, TaskProgress{true, 0, false}, true},  // "8:30 pm"
      {500, 600, false, TaskProgress{true, 500, false}, true},
      {600, -1, true, TaskProgress{true, 1000, true}, true},  // its alarm
  };
  // clang-format on
  ProgressWatch watch;
  AppState state;
  for (const Step& step : steps) {
    state.NowBoot = step.clockTime ? step.now + 5000 : step.now;
    state.NowUtc = step.clockTime ? step.now : step.now + 5000;
    state.AlarmTime = step.alarm, state.AlarmTimeOfDay = step.clockTime ? 0 : -1, state.MusicOn = step.music;
    SCOPED_TRACE(step.now);
    const auto shown = WatchProgress(watch, state);
    ASSERT_EQ(shown.has_value(), step.shown.has_value());
    if (shown) {
      EXPECT_EQ(*shown, *step.shown);
    }
  }
}
