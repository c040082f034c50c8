// The tune store, the private cache folder and the music folder, on real
// files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "EmbeddedTuneStore.h"
#include "EnvGuard.h"
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

TEST(EmbeddedTuneStore, FindsOneLetterMidiTunesOnly) {
  EmbeddedTuneStore store(TestTune);
  EXPECT_EQ(store.FindResource("a", "MIDI"), std::optional<std::string_view>("MThd tune a"));
  EXPECT_EQ(store.FindResource("B", "midi"), TestTune('b'));
  for (const auto& [name, type] : std::vector<std::pair<std::string, std::string>>{
           {"c", "MIDI"}, {"ab", "MIDI"}, {"", "MIDI"}, {"a", "WAVE"}, {"1", "MIDI"}}) {
    EXPECT_EQ(store.FindResource(name, type), std::nullopt) << name << " " << type;
  }
}

TEST(EmbeddedTuneStore, WritesExactBytesReplacingAnOlderLongerFile) {
  TempDir dir;
  EmbeddedTuneStore store(TestTune);
  WriteBytes(dir / "Temp.mid", std::string(5000, 'o'));
  ASSERT_TRUE(store.WriteFile(dir / "Temp.mid", "new bytes"));
  EXPECT_EQ(ReadBytes(dir / "Temp.mid"), "new bytes");
  const std::string binary("\0\x01\xFF tune", 8);
  ASSERT_TRUE(store.WriteFile(dir / "Temp.mid", binary));
  EXPECT_EQ(ReadBytes(dir / "Temp.mid"), binary);
  EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"Temp.mid"});  // nothing left behind
}

TEST(EmbeddedTuneStore, PlantedLinkIsReplacedNotFollowed) {
  TempDir dir;
  WriteBytes(dir / "victim", "precious");
  ASSERT_EQ(symlink((dir / "victim").c_str(), (dir / "Temp.mid").c_str()), 0);
  ASSERT_EQ(symlink((dir / "nowhere/file").c_str(), (dir / "Dangling.mid").c_str()), 0);
  EmbeddedTuneStore store(TestTune);
  ASSERT_TRUE(store.WriteFile(dir / "Temp.mid", "tune"));
  ASSERT_TRUE(store.WriteFile(dir / "Dangling.mid", "tune"));
  EXPECT_EQ(ReadBytes(dir / "victim"), "precious");
  for (const char* name : {"Temp.mid", "Dangling.mid"}) {
    struct stat st {};
    ASSERT_EQ(lstat((dir / name).c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode)) << name;
    EXPECT_EQ(ReadBytes(dir / name), "tune");
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "nowhere"));
}

TEST(EmbeddedTuneStore, ReaderOfTheOldFileNeverSeesHalfANewOne) {
  TempDir dir;
  EmbeddedTuneStore store(TestTune);
  ASSERT_TRUE(store.WriteFile(dir / "Temp.mid", std::string(100000, 'a')));
  const int reader = open((dir / "Temp.mid").c_str(), O_RDONLY);
  ASSERT_GE(reader, 0);
  ASSERT_TRUE(store.WriteFile(dir / "Temp.mid", "b"));
  std::string seen(200000, '\0');
  const ssize_t got = pread(reader, seen.data(), seen.size(), 0);
  close(reader);
  EXPECT_EQ(seen.substr(0, static_cast<std::size_t>(got)), std::string(100000, 'a'));
  EXPECT_EQ(ReadBytes(dir / "Temp.mid"), "b");
}

TEST(EmbeddedTuneStore, FolderAtTheNameOrMissingFolderFails) {
  TempDir dir;
  MakeFolder(dir / "Temp.mid");
  WriteBytes(dir / "Temp.mid/keep", "x");
  EmbeddedTuneStore store(TestTune);
  EXPECT_FALSE(store.WriteFile(dir / "Temp.mid", "tune"));
  EXPECT_EQ(ReadBytes(dir / "Temp.mid/keep"), "x");
  EXPECT_FALSE(store.WriteFile(dir / "missing/Temp.mid", "tune"));
  EXPECT_FALSE(store.WriteFile("", "tune"));
  EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"Temp.mid"});
}

class XdgFolders : public ::testing::Test {
 protected:
  std::string Mode(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return "none";
    char text[8];
    std::snprintf(text, sizeof text, "%04o", st.st_mode & 07777);
    return text;
  }
  TempDir home;
  ScopedEnv homeEnv{"HOME", home.Path().substr(0, home.Path().size() - 1)};
  ScopedEnv cacheEnv{"XDG_CACHE_HOME", std::nullopt};
  ScopedEnv configEnv{"XDG_CONFIG_HOME", std::nullopt};
  XdgUserFolders folders;
};

TEST_F(XdgFolders, TempFolderIsMadePrivateUnderTheCacheFolder) {
  EXPECT_EQ(folders.TempFolder(), home / ".cache/TimerZqv2010/");
  EXPECT_EQ(Mode(home / ".cache/TimerZqv2010"), "0700");
  EXPECT_EQ(Mode(home / ".cache"), "0700");
  ScopedEnv cache("XDG_CACHE_HOME", home / "elsewhere/cache/");
  EXPECT_EQ(folders.TempFolder(), home / "elsewhere/cache/TimerZqv2010/");
  EXPECT_EQ(Mode(home / "elsewhere/cache/TimerZqv2010"), "0700");
  // A relative XDG_CACHE_HOME is ignored, as the XDG rules say.
  ScopedEnv relative("XDG_CACHE_HOME", "relative/cache");
  EXPECT_EQ(folders.TempFolder(), home / ".cache/TimerZqv2010/");
  // A folder left open to others is closed again.
  ASSERT_EQ(chmod((home / ".cache/TimerZqv2010").c_str(), 0777), 0);
  EXPECT_EQ(folders.TempFolder(), home / ".cache/TimerZqv2010/");
  EXPECT_EQ(Mode(home / ".cache/TimerZqv2010"), "0700");
}

TEST_F(XdgFolders, LinkFileOrForeignFolderIsNotUsed) {
  MakeFolder(home / ".cache");
  MakeFolder(home / "target");
  const std::string targetMode = Mode(home / "target");
  ASSERT_EQ(symlink((home / "target").c_str(), (home / ".cache/TimerZqv2010").c_str()), 0);
  EXPECT_EQ(folders.TempFolder(), "");
  EXPECT_EQ(Mode(home / "target"), targetMode);  // the link's target is left alone
  unlink((home / ".cache/TimerZqv2010").c_str());
  WriteBytes(home / ".cache/TimerZqv2010", "a file");
  EXPECT_EQ(folders.TempFolder(), "");
  if (geteuid() == 0) {
    unlink((home / ".cache/TimerZqv2010").c_str());
    MakeFolder(home / ".cache/TimerZqv2010");
    ASSERT_EQ(chown((home / ".cache/TimerZqv2010").c_str(), 65534, 65534), 0);
    EXPECT_EQ(folders.TempFolder(), "");
  }
}

TEST_F(XdgFolders, MusicFolderFromUserDirsThenMusicThenNothing) {
  const std::string homePath = home.Path().substr(0, home.Path().size() - 1);
  EXPECT_EQ(folders.SpecialFolderPath(13), "");  // nothing configured, no ~/Music
  MakeFolder(home / "Music");
  EXPECT_EQ(folders.SpecialFolderPath(13), homePath + "/Music");
  EXPECT_EQ(folders.SpecialFolderPath(5), "");

  MakeFolder(home / ".config");
  const std::pair<const char*, std::string> cases[] = {
      {"XDG_MUSIC_DIR=\"$HOME/Tunes\"\n", homePath + "/Tunes"},
      {"# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n  XDG_MUSIC_DIR=\"/srv/music/\"\n", "/srv/music"},
      {"XDG_MUSIC_DIR=\"$HOME/My \\\"Songs\\\"\"\n", homePath + "/My \"Songs\""},
      {"XDG_MUSIC_DIR=\"$HOME/\"\n", homePath + "/Music"},    // switched off: the usual folder
      {"XDG_MUSIC_DIR=\"relative\"\n", homePath + "/Music"},  // invalid
      {"XDG_MUSICDIR=\"/x\"\n", homePath + "/Music"},
  };
  for (const auto& [contents, expected] : cases) {
    WriteBytes(home / ".config/user-dirs.dirs", contents);
    EXPECT_EQ(folders.SpecialFolderPath(13), expected) << contents;
  }
  ScopedEnv config("XDG_CONFIG_HOME", home / "conf");
  MakeFolder(home / "conf");
  WriteBytes(home / "conf/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/FromConf\"\n");
  EXPECT_EQ(folders.SpecialFolderPath(13), homePath + "/FromConf");
}

}  // namespace
