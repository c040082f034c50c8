// Whatever lies at the tune file's place or in its folder, an internal song
// start through the real store, folders and SDL channel writes nothing
// through it and goes on.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "EmbeddedTuneStore.h"
#include "EmbeddedTunes.h"
#include "EnvGuard.h"
#include "Fakes.h"
#include "SdlSoundChannel.h"
#include "TestFiles.h"
#include "XdgUserFolders.h"
#include "music/InternalTunes.h"

namespace {

TEST(TuneFileFaults, NothingIsWrittenThroughWhatWasPlanted) {
  const struct {
    const char* what;
    const char* plant;  // a shell command in the folder holding "cache" and "outside"
    bool written;       // our own private tune file holds the tune afterwards
  } cases[] = {{"nothing", "mkdir -p cache", true},
               {"link to another user's file",
                "mkdir -p cache/TimerZqv2010 && chown 65534 outside/victim && "
                "ln -s ../../outside/victim cache/TimerZqv2010/Temp.mid",
                true},
               {"FIFO", "mkdir -p cache/TimerZqv2010 && mkfifo cache/TimerZqv2010/Temp.mid", true},
               {"tune folder is a link", "mkdir -p cache && ln -s ../outside cache/TimerZqv2010", false},
               {"tune folder is a file", "mkdir -p cache && echo precious > cache/TimerZqv2010", false},
               {"tune folder of another user", "mkdir -p cache/TimerZqv2010 && chown 65534 cache/TimerZqv2010", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (geteuid() != 0 && std::string(c.plant).find("chown") != std::string::npos) continue;  // only root can
    TempDir root;
    MakeFolder(root / "outside");
    WriteBytes(root / "outside/victim", "precious");
    ASSERT_EQ(std::system(("cd '" + root.Path() + "' && " + c.plant).c_str()), 0);
    ScopedEnv cache("XDG_CACHE_HOME", root / "cache"), driver("SDL_AUDIODRIVER", "dummy");
    TestApp fakes;
    XdgUserFolders folders;
    EmbeddedTuneStore tunes;
    SdlSoundChannel sound;
    App app{AppState{}, Ports{fakes.window, sound, fakes.store, folders, fakes.listing, fakes.clock, fakes.volume,
                              tunes, fakes.launcher, fakes.chooser}};
    for (int song = 0; song < 2; ++song) {
      PlayInternalTune(app);
      const std::string file = root / "cache/TimerZqv2010/Temp.mid";
      struct stat st {};
      EXPECT_EQ(lstat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid() &&
                    (st.st_mode & 0777) == 0600 && ReadBytes(file) == EmbeddedTune(app.State.TuneHistory.back()),
                c.written);
      EXPECT_EQ(sound.Mode(), c.written ? "playing" : "");
    }
    EXPECT_EQ(ReadBytes(root / "outside/victim"), "precious");
    EXPECT_NE(access((root / "outside/Temp.mid").c_str(), F_OK), 0);
  }
}

}  // namespace
