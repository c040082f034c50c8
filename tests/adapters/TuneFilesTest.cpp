// The tune store, the private cache folder, the music folder and the clock,
// on real files.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <limits>

#include "EmbeddedTuneStore.h"
#include "EnvGuard.h"
#include "PosixClock.h"
#include "TestFiles.h"
#include "XdgUserFolders.h"

namespace {

std::string_view TestTune(char letter) {
  static const std::string tunes[] = {"MThd tune a", "MThd tune b, a little longer", ""};
  if (letter == 'a' || letter == 'A') return tunes[0];
  if (letter == 'b' || letter == 'B') return tunes[1];
  return tunes[2];
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::string Mode(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return "none";
  char text[16];
  std::snprintf(text, sizeof text, "%s%04o", S_ISREG(st.st_mode) ? "file " : "", st.st_mode & 07777);
  return text;
}

TEST(EmbeddedTuneStore, FindsOneLetterMidiTunesOnly) {
  EmbeddedTuneStore store(TestTune);
  EXPECT_EQ(store.FindResource("a", "MIDI"), std::optional<std::string_view>("MThd tune a"));
  EXPECT_EQ(store.FindResource("B", "midi"), TestTune('b'));
  for (const auto& [name, type] : std::vector<std::pair<std::string, std::string>>{
           {"c", "MIDI"}, {"ab", "MIDI"}, {"", "MIDI"}, {"a", "WAVE"}, {"1", "MIDI"}}) {
    EXPECT_EQ(store.FindResource(name, type), std::nullopt) << name << " " << type;
  }
}

// Whatever lies at the tune file's name, a write replaces it whole with a
// private regular file or fails leaving it as it was; nothing is left behind.
TEST(EmbeddedTuneStore, WriteReplacesWholeOrNotAtAll) {
  const struct {
    const char* what;
    std::function<void(const std::string& dir)> plant;
    rlim_t fileSizeLimit;  // a full disk: writes stop after this many bytes
    const char* afterwards;  // Temp.mid afterwards; nullptr: the new tune
    const char* name;        // where it is written
  } cases[] = {
      {"an older, longer file", [](const std::string& d) { WriteBytes(d + "Temp.mid", std::string(5000, 'o')); },
       RLIM_INFINITY, nullptr, "Temp.mid"},
      {"a link to a file", [](const std::string& d) { ASSERT_EQ(symlink((d + "victim").c_str(), (d + "Temp.mid").c_str()), 0); },
       RLIM_INFINITY, nullptr, "Temp.mid"},
      {"a dangling link", [](const std::string& d) { ASSERT_EQ(symlink((d + "no/file").c_str(), (d + "Temp.mid").c_str()), 0); },
       RLIM_INFINITY, nullptr, "Temp.mid"},
      {"a folder", [](const std::string& d) { MakeFolder(d + "Temp.mid/keep"); }, RLIM_INFINITY, "", "Temp.mid"},
      {"a full disk", [](const std::string& d) { WriteBytes(d + "Temp.mid", "good tune"); }, 1000, "good tune",
       "Temp.mid"},
      {"a missing folder", [](const std::string&) {}, RLIM_INFINITY, "", "missing/Temp.mid"},
  };
  const std::string tune(5000, 't');
  signal(SIGXFSZ, SIG_IGN);  // a full disk fails the write instead of ending the test
  for (const auto& c : cases) {
    TempDir dir;
    WriteBytes(dir / "victim", "precious");
    c.plant(dir.Path());
    const auto before = Names(dir.Path());
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlim_t old = limit.rlim_cur;
    limit.rlim_cur = c.fileSizeLimit;
    setrlimit(RLIMIT_FSIZE, &limit);
    const bool written = EmbeddedTuneStore(TestTune).WriteFile(dir / c.name, tune);
    limit.rlim_cur = old;
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_EQ(written, c.afterwards == nullptr) << c.what;
    if (!c.afterwards) {
      EXPECT_EQ(ReadBytes(dir / "Temp.mid"), tune) << c.what;
      EXPECT_EQ(Mode(dir / "Temp.mid"), "file 0600") << c.what;
    } else if (*c.afterwards) {
      EXPECT_EQ(ReadBytes(dir / "Temp.mid"), c.afterwards) << c.what;
    }
    EXPECT_EQ(ReadBytes(dir / "victim"), "precious") << c.what;
    auto after = before;
    if (std::find(after.begin(), after.end(), "Temp.mid") == after.end() && written) after.push_back("Temp.mid");
    std::sort(after.begin(), after.end());
    EXPECT_EQ(Names(dir.Path()), after) << c.what;
  }
  EXPECT_FALSE(EmbeddedTuneStore(TestTune).WriteFile("", tune));
}

class XdgFolders : public ::testing::Test {
 protected:
  TempDir home;
  ScopedEnv homeEnv{"HOME", home.Path().substr(0, home.Path().size() - 1)};
  ScopedEnv cacheEnv{"XDG_CACHE_HOME", std::nullopt};
  ScopedEnv configEnv{"XDG_CONFIG_HOME", std::nullopt};
  XdgUserFolders folders;
};

TEST_F(XdgFolders, TempFolderIsMadePrivateUnderTheCacheFolder) {
  EXPECT_EQ(folders.TempFolder(), home / ".cache/TimerZqv2010/");
  EXPECT_EQ(Mode(home / ".cache/TimerZqv2010"), "0700");
  ScopedEnv cache("XDG_CACHE_HOME", home / "elsewhere/cache/");
  EXPECT_EQ(folders.TempFolder(), home / "elsewhere/cache/TimerZqv2010/");
  ScopedEnv relative("XDG_CACHE_HOME", "relative/cache");  // ignored, as the XDG rules say
  ASSERT_EQ(chmod((home / ".cache/TimerZqv2010").c_str(), 0777), 0);
  EXPECT_EQ(folders.TempFolder(), home / ".cache/TimerZqv2010/");
  EXPECT_EQ(Mode(home / ".cache/TimerZqv2010"), "0700") << "a folder left open to others is closed again";
}

TEST_F(XdgFolders, MusicFolderFromUserDirsThenMusicThenNothing) {
  const std::string homePath = home.Path().substr(0, home.Path().size() - 1);
  EXPECT_EQ(folders.SpecialFolderPath(13), "");  // nothing configured, no ~/Music
  MakeFolder(home / "Music");
  EXPECT_EQ(folders.SpecialFolderPath(5), "");
  MakeFolder(home / ".config");
  const std::pair<const char*, std::string> cases[] = {
      {"", homePath + "/Music"},
      {"XDG_MUSIC_DIR=\"$HOME/Tunes\"\n", homePath + "/Tunes"},
      {"# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n  XDG_MUSIC_DIR=\"/srv/music/\"\n", "/srv/music"},
      {"XDG_MUSIC_DIR=\"$HOME/My \\\"Songs\\\"\"\n", homePath + "/My \"Songs\""},
      {"XDG_MUSIC_DIR=\"$HOME/\"\n", homePath + "/Music"},    // switched off: the usual folder
      {"XDG_MUSIC_DIR=\"$HOMEX\"\n", homePath + "/Music"},    // invalid
      {"XDG_MUSIC_DIR=\"relative\"\n", homePath + "/Music"},  // invalid
  };
  for (const auto& [contents, expected] : cases) {
    WriteBytes(home / ".config/user-dirs.dirs", contents);
    EXPECT_EQ(folders.SpecialFolderPath(13), expected) << contents;
  }
  MakeFolder(home / "conf");
  WriteBytes(home / "conf/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/FromConf\"\n");
  const std::string cwd = std::filesystem::current_path();
  ASSERT_EQ(chdir(home.Path().c_str()), 0);
  ScopedEnv relative("XDG_CONFIG_HOME", "conf");  // relative: ignored
  EXPECT_EQ(folders.SpecialFolderPath(13), homePath + "/Music");
  ASSERT_EQ(chdir(cwd.c_str()), 0);
  ScopedEnv config("XDG_CONFIG_HOME", home / "conf");
  EXPECT_EQ(folders.SpecialFolderPath(13), homePath + "/FromConf");
}

// Readings the local time of day may meet: a leap second, a time zone with
// leap seconds, a reading before 1970 and one localtime cannot convert.
TEST(PosixClock, UnusualReadings) {
  const std::tuple<const char*, time_t, int, int, int> cases[] = {
      {"right/UTC", 1483228826, 23, 59, 59},  // 23:59:60 on 31 December 2016
      {"right/UTC", 1483228827, 0, 0, 0},
      {"UTC", 1483228799, 23, 59, 59},
      {"UTC", -1, 23, 59, 59},
      {"Asia/Kolkata", 0, 5, 30, 0},
      {"UTC", std::numeric_limits<time_t>::max(), 0, 0, 0},
  };
  for (const auto& [zone, when, hour, minute, second] : cases) {
    ScopedEnv tz("TZ", zone);
    tzset();
    const LocalTime t = LocalTimeOf(when);
    EXPECT_EQ(std::make_tuple(t.Hour, t.Minute, t.Second), std::make_tuple(hour, minute, second)) << zone << " " << when;
  }
  tzset();
  PosixClock clock;
  EXPECT_LT(clock.MillisecondsSinceStart(), 60000u);
  const auto counter = clock.PerformanceCounter();
  ASSERT_TRUE(counter);
  EXPECT_LT(clock.PerformanceCounter().value() - *counter, 60'000'000'000u);
}

}  // namespace
