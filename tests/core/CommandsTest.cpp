// Command dispatch, help and tooltip texts, the music settings dialog, the
// settings store and the volume.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "app/Commands.h"
#include "app/Ids.h"
#include "app/Platform.h"
#include "app/Tooltips.h"
#include "settings/MusicDialog.h"
#include "settings/Settings.h"
#include "settings/Volume.h"

const std::string Key = "Software\\TimerZqv2010\\";
const std::string Sep(1, PathSeparator);

TEST(Commands, EachCommandReachesItsOperation) {
  TestApp t;
  t.clock.Set(10, 0, 0);
  t.Tick();
  t.window.items[IdTimeEdit] = "20";
  t.window.focused = IdTimeEdit;
  RunCommand(t.app, CmdNextFocus);
  EXPECT_EQ(t.window.focused, IdTimerButton);
  RunCommand(t.app, CmdNextFocus);
  EXPECT_EQ(t.window.focused, IdTimeEdit);
  RunCommand(t.app, CmdStartTimer);
  EXPECT_EQ(t.state.AlarmTime, 37200);
  t.folders.tempFolder = "tmp";
  RunCommand(t.app, CmdGo);
  EXPECT_TRUE(t.sound.isOpen);
  RunCommand(t.app, CmdStop);
  EXPECT_FALSE(t.sound.isOpen);
  EXPECT_EQ(t.window.caption, "Timer");
  EXPECT_EQ(t.state.AlarmTime, 37200) << "Stop leaves the alarm alone";
  for (const int id : {CmdFolder, CmdVolume, CmdMinimize}) RunCommand(t.app, id);
  EXPECT_TRUE(t.window.dialogOpens == 1 && t.launcher.launched.size() == 2 && t.window.minimized);
  t.volume.wave = 0x0FA00FA0;
  OnMouseWheel(t.app, true, true);
  EXPECT_EQ(t.volume.wave, 0x13881388u);
  OnMouseWheel(t.app, false, true);
  EXPECT_EQ(t.window.items[IdTimeEdit], "21");
  EXPECT_EQ(t.volume.wave, 0x13881388u);
  RunCommand(t.app, CmdHelp);
  ASSERT_EQ(t.window.notices.size(), 1u);
  EXPECT_EQ(t.window.notices[0],
            "Timer works like a kitchen timer. You set it to go off after a specific number of minutes - or at a "
            "specific time. When it goes off, it plays music (either from internal MIDI songs or from a folder with "
            "MP3 songs) and it can also display a message of your choice.\n\n"
            "To set Timer to go off after a certain number of minutes, type the number of minutes (e.g., \"20\") "
            "in the TIME box. Then click the START TIMER button. You can type in any value from \"0\" to \"1380\" "
            "(23 hours). Use \"0\" to see what happens when the timer goes off.\n\n"
            "To set Timer to go off at a specific time, type the hours and minutes in the TIME box, and then click "
            "TIMER. Type the time like \"10:34 pm\" or \"2:00 am.\" If you omit \"am\" and \"pm,\" then Timer will "
            "assume the current value. You can also use 24-hour time (like \"22:34\"), and you can use a value for "
            "the next day (e.g. \"1:30 am\").\n\n"
            "If you change your mind, you can type in a new time and then click TIMER.\n\n"
            "I wrote Timer to wake me up after my afternoon nap. But the program has other uses too. You can even "
            "use it as a basic music player. This is the January 20, 2010 version of the program.\n\n"
#ifdef _WIN32
            "Tovin's Timer, by Tovin and the Tovin's Timer team. The guide: README.md, beside the program's source code");
#else
            "Tovin's Timer, by Tovin and the Tovin's Timer team. The guide: /usr/share/doc/tovins-timer/README.md");
#endif
}

TEST(Tooltips, EveryMenuItemAndControlHasItsText) {
  const std::pair<int, const char*> menu[] = {
      {401, "Play songs (shortcut key = G)"},
      {402, "Stop playing songs (shortcut key = S)"},
      {403, "Volume control (shortcut key = V), or hold down CTRL key and spin the mousewheel"},
      {101, "Set folder for MP3 songs (shortcut key = F)"},
      {204, "Help about this program (shortcut key = H)"},
      {499, "Minimize"},
      {77, "77"},  // an item without a text of its own shows its id
  };
  for (const auto& [id, text] : menu) EXPECT_EQ(MenuTooltipText(id), text);
  const std::pair<int, const char*> controls[] = {
      {202, "Type minutes (like \"20\") or time (like \"8:30 pm\") for timer to go off; you can spin the mousewheel "
            "to adjust the number of minutes"},
      {304, "Start or restart the timer (shortcut key = T or ENTER)"},
      {199, "The current time"},
      {200, "The alarm setting (total minutes or specific time) for timer to go off"},
  };
  ASSERT_EQ(ControlTooltips.size(), std::size(controls));
  for (std::size_t i = 0; i < ControlTooltips.size(); ++i) {
    EXPECT_EQ(ControlTooltips[i].Id, controls[i].first);
    EXPECT_STREQ(ControlTooltips[i].Text, controls[i].second);
  }
}

// The folder box: shown without its separator; at closing an unchanged box
// keeps it, a typed folder gains one, an emptied one stays empty. Checks
// and Browse are stored at once; Play takes the typed folder.
TEST(MusicDialog, FolderMessageChecksAndButtons) {
  const std::string music = Sep + "music" + Sep;
  const std::pair<std::optional<std::string>, std::string> cases[] = {
      {std::nullopt, music}, {Sep + "songs", Sep + "songs" + Sep}, {"", ""}};
  for (const auto& [typed, taken] : cases) {
    TestApp t;
    FakeMusicDialogView dialog;
    t.state.MP3Folder = music;
    MusicDialogInit(t.app, dialog);
    EXPECT_EQ(dialog.folder, Sep + "music");
    if (typed) dialog.folder = *typed;
    dialog.message = "  Wake up\n  now  ";
    MusicDialogClosing(t.app, dialog);
    EXPECT_EQ(t.state.AlarmMessage, "Wake up\n  now");
    EXPECT_EQ(t.store.Text(Key + "MP3Folder"), taken);
  }
  TestApp t;
  FakeMusicDialogView dialog;
  t.listing.AddFile(Sep + "new", "Song one.mp3");
  MusicDialogCommand(t.app, dialog, IdInternalMusicCheck);
  MusicDialogCommand(t.app, dialog, IdSubfoldersCheck);
  EXPECT_EQ(t.store.Text(Key + "UseMidi"), "0");
  EXPECT_EQ(t.store.Text(Key + "SubfoldersOn"), "1");
  dialog.folder = Sep + "new";
  EXPECT_FALSE(MusicDialogCommand(t.app, dialog, IdPlayButton));
  EXPECT_EQ(t.window.caption, "Song one");
  t.chooser.answer = Sep + "songs";
  MusicDialogCommand(t.app, dialog, IdBrowseButton);
  EXPECT_EQ(t.chooser.openedOn, std::vector<std::string>{Sep + "new" + Sep});
  EXPECT_EQ(t.store.Text(Key + "MP3Folder"), Sep + "songs");
}

// Windows reads through the registry's 256 bytes; Linux fits any path.
TEST(Settings, TextIsStoredWithItsNulAndReadThroughTheDesktopsBuffer) {
  const std::size_t limit = PathSeparator == '/' ? 4096 : 256;
  MemoryKeyValueStore store;
  WriteSetting(store, "Time", "8:30 pm");
  EXPECT_EQ(store.keys[Key + "Time"]["String Value"], std::string("8:30 pm\0", 8));
  const std::pair<std::string, std::string> cases[] = {  // stored data -> what is read
      {std::string("", 1), ""},
      {std::string(limit, 'b') + '\0', "dflt"},
      {std::string(limit, 'd'), std::string(limit, 'd')},  // a full buffer without a NUL still fits
      {std::string("ab\0cd", 5), "ab"},
  };
  for (const auto& [data, read] : cases) {
    store.PutRaw(Key + "MP3Folder", "String Value", data);
    EXPECT_EQ(ReadSetting(store, "MP3Folder", "dflt"), read);
  }
}

TEST(Settings, StartUpTakesStoredValuesOrTheDefaults) {
  TestApp t;
  t.folders.musicFolder = std::string("/home/u/Music\0\0", 15);
  LoadSettings(t.app);
  EXPECT_EQ(t.state.MP3Folder, "/home/u/Music");
  WriteSetting(t.store, "Time", "8:30 pm");
  WriteSetting(t.store, "UseMidi", "1 ");  // flags are true only for exactly "1"
  WriteSetting(t.store, "SubfoldersOn", "0");
  LoadSettings(t.app);
  EXPECT_EQ(t.window.items[IdTimeEdit], "8:30 pm");
  EXPECT_FALSE(t.state.UseMidi);
  WriteSetting(t.store, "UseMidi", "1");
  LoadSettings(t.app);
  EXPECT_TRUE(t.state.UseMidi);
  EXPECT_FALSE(t.state.SubfoldersOn);
}

TEST(Volume, StepsGrowAtFourThousandAndTenThousandOnBothChannels) {
  // wave volume before (right << 16 | left), level after a step up, after a step down
  const std::tuple<std::uint32_t, std::uint32_t, std::uint32_t> cases[] = {
      {3999 * 0x10001u, 4499, 3499}, {4000 * 0x10001u, 5000, 3000}, {9999 * 0x10001u, 10999, 8999},
      {0xFFFFFFFF, 65535, 63535},    {0x0000FFFF, 34767, 30767},  // unequal channels: their mean
  };
  for (const auto& [before, up, down] : cases) {
    TestApp t;
    t.volume.wave = before;
    VolumeUp(t.app);
    EXPECT_EQ(t.volume.wave, up * 0x10001u) << std::hex << before;
    EXPECT_EQ(t.volume.midi, up * 0x10001u);
    t.volume.wave = before;
    VolumeDown(t.app);
    EXPECT_EQ(t.volume.wave, down * 0x10001u) << std::hex << before;
  }
}

TEST(Volume, SecondMixerOnlyWhenTheFirstFails) {
  for (const bool firstStarts : {true, false}) {
    TestApp t;
    if (firstStarts) t.launcher.startable = {MixerPrograms[0]};
    OpenVolumeMixer(t.app);
    EXPECT_EQ(t.launcher.launched.size(), firstStarts ? 1u : 2u);
  }
}
