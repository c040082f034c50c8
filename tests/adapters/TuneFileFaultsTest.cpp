// Whatever lies at the tune file's place or in its folder, an internal song
// start through the real store, folders and SDL channel writes nothing
// through it, shows the tune's title and goes on.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "EmbeddedTuneStore.h"
#include "EmbeddedTunes.h"
#include "EnvGuard.h"
#include "Fakes.h"
#include "SdlSoundChannel.h"
#include "TestFiles.h"
#include "XdgUserFolders.h"
#include "music/InternalTunes.h"
#include "music/TuneTitles.h"

namespace {

constexpr uid_t Nobody = 65534;

struct TuneRig {
  TestApp fakes;
  XdgUserFolders folders;
  EmbeddedTuneStore tunes;
  SdlSoundChannel sound;
  App app{AppState{}, Ports{fakes.window, sound, fakes.store, folders, fakes.listing, fakes.clock, fakes.volume, tunes,
                            fakes.launcher, fakes.chooser}};
};

struct Planted {
  const char* what;
  bool needsRoot;  // the case plants something of another user
  std::function<void(const std::string& cache, const std::string& outside)> plant;
  bool written;  // the tune file is ours and holds the tune afterwards
};

std::string TuneFile(const std::string& cache) { return cache + "/TimerZqv2010/Temp.mid"; }

TEST(TuneFileFaults, NothingIsWrittenThroughWhatWasPlanted) {
  const auto folder = [](const std::string& cache) { return cache + "/TimerZqv2010"; };
  const Planted cases[] = {
      {"nothing", false, [](const std::string&, const std::string&) {}, true},
      {"link to another user's file", true,
       [&](const std::string& cache, const std::string& outside) {
         MakeFolder(folder(cache));
         ASSERT_EQ(chown((outside + "victim").c_str(), Nobody, Nobody), 0);
         ASSERT_EQ(symlink((outside + "victim").c_str(), TuneFile(cache).c_str()), 0);
       },
       true},
      {"another user's file", true,
       [&](const std::string& cache, const std::string& outside) {
         MakeFolder(folder(cache));
         WriteBytes(TuneFile(cache), "precious");
         ASSERT_EQ(chown(TuneFile(cache).c_str(), Nobody, Nobody), 0);
         ASSERT_EQ(chmod(TuneFile(cache).c_str(), 0666), 0);
         ASSERT_EQ(link(TuneFile(cache).c_str(), (outside + "theirs").c_str()), 0);  // to look at it later
       },
       true},
      {"read-only file of ours", false,
       [&](const std::string& cache, const std::string&) {
         MakeFolder(folder(cache));
         WriteBytes(TuneFile(cache), "old tune");
         ASSERT_EQ(chmod(TuneFile(cache).c_str(), 0400), 0);
       },
       true},
      {"FIFO", false,
       [&](const std::string& cache, const std::string&) {
         MakeFolder(folder(cache));
         ASSERT_EQ(mkfifo(TuneFile(cache).c_str(), 0666), 0);
       },
       true},
      {"tune folder open to others", false,
       [&](const std::string& cache, const std::string&) {
         MakeFolder(folder(cache));
         ASSERT_EQ(chmod(folder(cache).c_str(), 0777), 0);
       },
       true},
      {"tune folder of another user", true,
       [&](const std::string& cache, const std::string&) {
         MakeFolder(folder(cache));
         ASSERT_EQ(chown(folder(cache).c_str(), Nobody, Nobody), 0);
         ASSERT_EQ(chmod(folder(cache).c_str(), 0777), 0);
       },
       false},
      {"tune folder is a link", false,
       [&](const std::string& cache, const std::string& outside) {
         MakeFolder(cache);
         ASSERT_EQ(symlink(outside.c_str(), folder(cache).c_str()), 0);
       },
       false},
      {"tune folder is a file", false,
       [&](const std::string& cache, const std::string&) {
         MakeFolder(cache);
         WriteBytes(folder(cache), "precious");
       },
       false},
      {"cache folder below a file", false,
       [&](const std::string& cache, const std::string&) {
         WriteBytes(cache, "precious");  // XDG_CACHE_HOME names a file
       },
       false},
  };
  for (const Planted& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.needsRoot && geteuid() != 0) continue;  // only the superuser can plant another user's things
    TempDir home;
    TempDir outside;
    WriteBytes(outside / "victim", "precious");
    const std::string cache = home / "cache";
    ScopedEnv homeEnv("HOME", home / "home");
    ScopedEnv cacheEnv("XDG_CACHE_HOME", cache);
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    c.plant(cache, outside.Path());
    TuneRig rig;
    for (int song = 0; song < 2; ++song) {
      PlayInternalTune(rig.app);
      const char letter = rig.app.State.TuneHistory.back();
      EXPECT_EQ(rig.fakes.window.caption, TuneTitles[static_cast<std::size_t>(letter - 'a')]);
      if (c.written) {
        struct stat st {};
        ASSERT_EQ(lstat(TuneFile(cache).c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_uid, geteuid());
        EXPECT_EQ(st.st_mode & 07777, 0600u);
        EXPECT_EQ(ReadBytes(TuneFile(cache)), EmbeddedTune(letter));
        EXPECT_EQ(rig.sound.Mode(), "playing");
      } else {
        EXPECT_EQ(rig.sound.Mode(), "");
      }
    }
    // Nothing outside the private folder changed or appeared.
    EXPECT_EQ(ReadBytes(outside / "victim"), "precious");
    EXPECT_NE(access((outside / "Temp.mid").c_str(), F_OK), 0);
    if (access((outside / "theirs").c_str(), F_OK) == 0) {
      EXPECT_EQ(ReadBytes(outside / "theirs"), "precious");
    }
    struct stat st {};
    if (lstat((cache + "/TimerZqv2010").c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid()) {
      EXPECT_EQ(st.st_mode & 077, 0u) << "the tune folder stays closed to others";
    }
    if (stat((cache + "/TimerZqv2010").c_str(), &st) == 0 && st.st_uid == Nobody) {
      EXPECT_NE(access((cache + "/TimerZqv2010/Temp.mid").c_str(), F_OK), 0) << "nothing in another user's folder";
    }
    EXPECT_NE(access("/Temp.mid", F_OK), 0);
    EXPECT_NE(access("Temp.mid", F_OK), 0);
  }
}

}  // namespace
