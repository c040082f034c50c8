// The tune store, the private cache folder, the music folder and the clock,
// on real files.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <limits>
#include <set>

#include "EmbeddedTuneStore.h"
#include "EnvGuard.h"
#include "PosixClock.h"
#include "TestFiles.h"
#include "XdgUserFolders.h"

namespace {

std::string_view TestTune(char letter) { return letter == 'a' || letter == 'A' ? "MThd tune a" : ""; }

// Names in order and, for regular files, their permission bits (384 is 0600).
std::string Listing(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    struct stat st {};
    lstat(e.path().c_str(), &st);
    names.insert(e.path().filename().string() + (S_ISREG(st.st_mode) ? std::to_string(st.st_mode & 0777) : ""));
  }
  std::string joined;
  for (const auto& name : names) joined += name + " ";
  return joined;
}

TEST(EmbeddedTuneStore, FindsOneLetterMidiTunesOnly) {
  EmbeddedTuneStore store(TestTune);
  EXPECT_EQ(store.FindResource("A", "midi"), std::optional<std::string_view>("MThd tune a"));
  for (const char* name : {"ab", "b", ""}) EXPECT_EQ(store.FindResource(name, "MIDI"), std::nullopt) << name;
  EXPECT_EQ(store.FindResource("a", "WAVE"), std::nullopt);
}

// Whatever lies at the tune file's name, a write replaces it whole with a
// private regular file (a planted link is replaced, never followed) or fails
// leaving everything as it was: a full disk never replaces a good tune file.
TEST(EmbeddedTuneStore, WriteReplacesWholeOrNotAtAll) {
  const struct {
    std::function<void(const std::string& dir)> plant;
    rlim_t fileSizeLimit;  // a full disk: writes stop after this many bytes
    const char* listing;   // of the folder afterwards
    const char* tune;      // Temp.mid's content afterwards
  } cases[] = {
      {[](auto& d) { WriteBytes(d + "Temp.mid", std::string(9000, 'o')); }, RLIM_INFINITY, "Temp.mid384 victim420 ", "new"},
      {[](auto& d) { symlink((d + "victim").c_str(), (d + "Temp.mid").c_str()); }, RLIM_INFINITY, "Temp.mid384 victim420 ", "new"},
      {[](auto& d) { WriteBytes(d + "Temp.mid", "good tune"); }, 1000, "Temp.mid420 victim420 ", "good tune"},
      {[](auto& d) { MakeFolder(d + "Temp.mid/keep"); }, RLIM_INFINITY, "Temp.mid victim420 ", ""},
  };
  const std::string tune(5000, 't');
  signal(SIGXFSZ, SIG_IGN);  // a full disk fails the write instead of ending the test
  for (const auto& c : cases) {
    TempDir dir;
    WriteBytes(dir / "victim", "precious");
    chmod((dir / "victim").c_str(), 0644);
    c.plant(dir.Path());
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlim_t old = std::exchange(limit.rlim_cur, c.fileSizeLimit);
    setrlimit(RLIMIT_FSIZE, &limit);
    const bool written = EmbeddedTuneStore(TestTune).WriteFile(dir / "Temp.mid", tune);
    limit.rlim_cur = old;
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_EQ(written, std::string(c.tune) == "new") << c.listing;
    EXPECT_EQ(ReadBytes(dir / "Temp.mid"), written ? tune : c.tune) << c.listing;
    EXPECT_EQ(ReadBytes(dir / "victim"), "precious");
    EXPECT_EQ(Listing(dir.Path()), c.listing) << "nothing is left behind";
  }
}

TEST(XdgUserFolders, PrivateTempFolderAndTheMusicFolder) {
  TempDir home;
  const std::string h = home.Path().substr(0, home.Path().size() - 1);
  ScopedEnv homeEnv("HOME", h), cacheEnv("XDG_CACHE_HOME", std::nullopt), configEnv("XDG_CONFIG_HOME", std::nullopt);
  XdgUserFolders folders;
  MakeFolder(h + "/.cache/TimerZqv2010");
  chmod((h + "/.cache/TimerZqv2010").c_str(), 0777);
  EXPECT_EQ(folders.TempFolder(), h + "/.cache/TimerZqv2010/");
  EXPECT_EQ(Listing(h + "/.cache"), "TimerZqv2010 ");
  struct stat st {};
  EXPECT_EQ(stat((h + "/.cache/TimerZqv2010").c_str(), &st) == 0 ? st.st_mode & 0777 : 1, 0700u);
  EXPECT_EQ(folders.SpecialFolderPath(13), "");  // nothing configured, no ~/Music
  MakeFolder(h + "/Music");
  MakeFolder(h + "/conf");
  const auto cwd = std::filesystem::current_path();
  ScopedEnv relative("XDG_CONFIG_HOME", "conf");  // relative: ignored, as the XDG rules say
  ASSERT_EQ(chdir(h.c_str()), 0);
  const std::pair<const char*, std::string> cases[] = {
      {"", h + "/Music"},
      {"# comment\n  XDG_MUSIC_DIR=\"$HOME/My \\\"Songs\\\"\"\n", h + "/My \"Songs\""},
      {"XDG_MUSIC_DIR=\"/srv/music/\"\n", "/srv/music"},
      {"XDG_MUSIC_DIR=\"$HOME/\"\n", h + "/Music"},  // switched off: the usual folder
      {"XDG_MUSIC_DIR=\"$HOMEX\"\n", h + "/Music"},
  };
  for (const auto& [contents, expected] : cases) {
    WriteBytes(h + "/conf/user-dirs.dirs", contents);
    EXPECT_EQ(folders.SpecialFolderPath(13), h + "/Music") << "relative " << contents;
    ScopedEnv config("XDG_CONFIG_HOME", h + "/conf");
    EXPECT_EQ(folders.SpecialFolderPath(13), expected) << contents;
  }
  std::filesystem::current_path(cwd);
}

// Readings the local time of day may meet: a leap second, a reading before
// 1970 and one localtime cannot convert.
TEST(PosixClock, UnusualReadings) {
  const std::tuple<const char*, time_t, int, int, int> cases[] = {
      {"right/UTC", 1483228826, 23, 59, 59},  // 23:59:60 on 31 December 2016
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
  PosixClock clock;  // 20 ms on its own counter read as 20 ms
  for (const auto start = *clock.PerformanceCounter(); *clock.PerformanceCounter() - start < 20'000'000;) {
  }
  EXPECT_GE(clock.MillisecondsSinceStart(), 20u);
  EXPECT_LT(clock.MillisecondsSinceStart(), 10000u);
}

}  // namespace
