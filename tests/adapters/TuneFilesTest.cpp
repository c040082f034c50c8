// The tune store, the private cache folder, the music folder and the clock,
// on real files.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <limits>

#include "EmbeddedTuneStore.h"
#include "Fakes.h"
#include "PosixClock.h"
#include "PosixTestGuards.h"
#include "Skips.h"
#include "XdgUserFolders.h"

namespace {

// The permissions of what lies at the path, a link not followed.
std::filesystem::perms ModeOf(const std::string& path) { return std::filesystem::symlink_status(path).permissions(); }

// The store finds one-letter MIDI tunes only. Whatever lies at the tune file's
// name, a write replaces it whole with a private regular file (a planted link
// is replaced, never followed) or fails leaving everything as it was: a full
// disk never replaces a good tune file.
TEST(EmbeddedTuneStore, FindsOneLetterMidiTunesAndWritesWholeOrNotAtAll) {
  EmbeddedTuneStore store([](char c) -> std::string_view { return c == 'a' || c == 'A' ? "MThd tune a" : ""; });
  EXPECT_EQ(store.FindResource("A", "midi"), std::optional<std::string_view>("MThd tune a"));
  for (const char* name : {"ab", "b", ""}) EXPECT_EQ(store.FindResource(name, "MIDI"), std::nullopt) << name;
  EXPECT_EQ(store.FindResource("a", "WAVE"), std::nullopt);
  const std::pair<const char*, const char*> cases[] = {
      // what lies there (made by a shell command) -> Temp.mid afterwards
      {"head -c 9000 /dev/zero > Temp.mid", "new"},
      {"ln -s victim Temp.mid", "new"},
      {"printf 'good tune' > Temp.mid", "good tune"},  // on a full disk
      {"mkdir -p Temp.mid/keep", ""}};
  const std::string tune(5000, 't');
  signal(SIGXFSZ, SIG_IGN);  // a full disk fails the write instead of ending the test
  for (const auto& [plant, after] : cases) {
    TempDir dir;
    WriteBytes(dir / "victim", "precious");
    ASSERT_EQ(dir.Run(plant), 0);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit full{std::string(after) == "good tune" ? 1000 : limit.rlim_cur, limit.rlim_max};
    setrlimit(RLIMIT_FSIZE, &full);
    const bool written = store.WriteFile(dir / "Temp.mid", tune);
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_EQ(written, std::string(after) == "new") << after;
    EXPECT_EQ(ReadBytes(dir / "Temp.mid"), written ? tune : after);
    EXPECT_EQ(ReadBytes(dir / "victim"), "precious");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2) << "nothing is left behind";
    EXPECT_TRUE(!written || ModeOf(dir / "Temp.mid") == std::filesystem::perms{0600}) << "private";
  }
}

// The private folder is our own real folder, closed to others, or none at
// all. The music folder: user-dirs.dirs under an absolute XDG_CONFIG_HOME,
// else ~/Music if there is one.
TEST(XdgUserFolders, PrivateTempFolderAndTheMusicFolder) {
  TempDir home;
  const std::string h = home.Path().substr(0, home.Path().size() - 1);
  ScopedEnv homeEnv("HOME", h), cacheEnv("XDG_CACHE_HOME", std::nullopt), configEnv("XDG_CONFIG_HOME", std::nullopt);
  XdgUserFolders folders;
  ASSERT_EQ(home.Run("mkdir .cache && mkdir -m 777 .cache/TimerZqv2010"), 0);
  EXPECT_EQ(folders.TempFolder(), h + "/.cache/TimerZqv2010/");
  EXPECT_EQ(ModeOf(h + "/.cache/TimerZqv2010"), std::filesystem::perms{0700}) << "closed to others again";
  for (const char* plant : {"mkdir x && ln -s x TimerZqv2010", "mkdir TimerZqv2010 && chown 65534 TimerZqv2010"}) {
    if (geteuid() != 0 && std::strstr(plant, "chown")) continue;  // only root can give a folder away
    TempDir cache;
    ScopedEnv cacheHere("XDG_CACHE_HOME", cache.Path());
    ASSERT_EQ(cache.Run(plant), 0);
    EXPECT_EQ(folders.TempFolder(), "") << plant;
  }
  EXPECT_EQ(folders.SpecialFolderPath(13), "");  // nothing configured, no ~/Music
  ASSERT_EQ(home.Run("mkdir Music conf"), 0);
  // The same folder named by a relative path: ignored, as the XDG rules say.
  ScopedEnv relative("XDG_CONFIG_HOME", std::filesystem::relative(h + "/conf").string());
  const std::pair<const char*, std::string> cases[] = {
      {"", h + "/Music"},
      {"# comment\n  XDG_MUSIC_DIR=\"$HOME/My \\\"Songs\\\"\"\n", h + "/My \"Songs\""},
      {"XDG_MUSIC_DIR=\"/srv/music/\"\n", "/srv/music"},
      {"XDG_MUSIC_DIR=\"$HOME/\"\n", h + "/Music"},  // switched off: the usual folder
      {"XDG_MUSIC_DIR=\"$HOMEX\"\n", h + "/Music"},
      {"XDG_MUSIC_DIR=\"/a\"\nXDG_MUSIC_DIR=\"/b\"\n", "/b"}};  // the last line wins, as in the shell
  for (const auto& [contents, expected] : cases) {
    WriteBytes(h + "/conf/user-dirs.dirs", contents);
    EXPECT_EQ(folders.SpecialFolderPath(13), h + "/Music") << "relative " << contents;
    ScopedEnv config("XDG_CONFIG_HOME", h + "/conf");
    EXPECT_EQ(folders.SpecialFolderPath(13), expected) << contents;
  }
  if (geteuid() != 0) TIMER_GTEST_SKIP("not run as root, so no folder given away was planted");
}

// The zone's offset at a moment: daylight saving, a leap second (read as
// the last second of its minute), a reading before 1970 and one localtime
// cannot convert. Clock-time entries under the tz database's own rules (TZ):
// the repeated hour, a skipped half hour and Apia's skipped day; such a row
// ticks at its moment, enters the time, ticks again and reads the clock label
// and the caption.
TEST(PosixClock, ZoneOffsetsAndClockTimesUnderRealZoneRules) {
  const std::tuple<const char*, std::int64_t, std::int32_t, const char*, const char*> rows[] = {
      {"Europe/Berlin", 1806195599, 3600, nullptr, nullptr},  // 01:59:59 on 28 March 2027, the last second of winter
      {"Europe/Berlin", 1806195600, 7200, nullptr, nullptr},
      {"right/UTC", 1483228825, -26, nullptr, nullptr},  // 23:59:59 on 31 December 2016
      {"right/UTC", 1483228826, -27, nullptr, nullptr},  // its leap second, 23:59:60
      {"UTC", -1, 0, nullptr, nullptr},
      {"Asia/Kolkata", 0, 19800, nullptr, nullptr},
      {"UTC", std::numeric_limits<std::int64_t>::max(), 0, nullptr, nullptr},
      {"Europe/Berlin", 1792890600, 3600, "2:50", " 2:10:00 am, 40 minutes left"},  // 25 Oct 2026, the second 02:10
      {"Europe/Berlin", 1774745400, 3600, "2:30", " 1:50:00 am, 10 minutes left"},  // 29 Mar 2026, 02:30 skipped
      {"America/New_York", 1793513400, -18000, "1:50 am", " 1:10:00 am, 40 minutes left"},    // 1 Nov 2026, 01:10 EST
      {"Australia/Lord_Howe", 1775315100, 37800, "1:55 am", " 1:35:00 am, 20 minutes left"},  // the second 01:35
      {"Pacific/Apia", 1325235600, -36000, "8:00 am", "11:00:00 pm, 540 minutes left"},       // before the 30th skipped
      {"Pacific/Apia", 1325239140, -36000, "0:30 am", "11:59:00 pm, 31 minutes left"}};
  const std::uint64_t before = *PosixClock().PerformanceCounter();
  PosixClock clock;
  for (const auto& [zone, when, offset, entry, expected] : rows) {
    ScopedEnv tz("TZ", zone);
    tzset();
    EXPECT_EQ(clock.UtcOffset(when), offset) << zone << " " << when;
    if (entry == nullptr) continue;
    TestApp t;
    t.clock.zone = &clock, t.clock.utc = when;
    t.Tick(), t.Enter(entry), t.Tick();
    EXPECT_EQ(t.window.items[IdClock] + ", " + t.window.caption, expected) << zone << " " << entry;
  }
  tzset();  // the milliseconds since start are no more than the counter counted since before it
  EXPECT_LE(clock.MillisecondsSinceStart(), (*clock.PerformanceCounter() - before) / 1000000);
  timespec boot[2]{};  // the boot clock's seconds, which count suspend, lie within its readings around them
  clock_gettime(CLOCK_BOOTTIME, &boot[0]);
  const std::int64_t seconds = clock.BootSeconds();
  clock_gettime(CLOCK_BOOTTIME, &boot[1]);
  EXPECT_TRUE(boot[0].tv_sec <= seconds && seconds <= boot[1].tv_sec) << seconds;
}

}  // namespace
