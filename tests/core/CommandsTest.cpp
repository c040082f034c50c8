// Command dispatch, help and tooltip texts, the music settings dialog, the
// settings store and the volume.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "app/Commands.h"
#include "app/Tooltips.h"
#include "settings/MusicDialog.h"
#include "settings/Settings.h"
#include "settings/Volume.h"

const std::string Key = "Software\\TimerZqv2010\\";

TEST(Commands, EachCommandReachesItsOperation) {
  TestApp t;
  t.window.items[IdTimeEdit] = "20", t.window.focused = IdTimeEdit, t.folders.tempFolder = "tmp";
  RunCommand(t.app, CmdNextFocus);
  EXPECT_EQ(t.window.focused, IdTimerButton);
  RunCommand(t.app, CmdNextFocus);
  EXPECT_EQ(t.window.focused, IdTimeEdit);
  RunCommand(t.app, CmdStartTimer);  // no tick yet: the caption to put back is empty
  EXPECT_EQ(t.state.AlarmTime, 1200);
  RunCommand(t.app, CmdGo);
  EXPECT_TRUE(t.sound.isOpen);
  EXPECT_EQ(t.volume.unmutes, 0);  // Go plays at the volume the user left
  RunCommand(t.app, CmdStop);
  EXPECT_FALSE(t.sound.isOpen);
  EXPECT_EQ(t.window.caption, "Timer");
  t.launcher.startable = {MixerPrograms[0]};
  RunCommand(t.app, CmdVolume), RunCommand(t.app, CmdFolder), RunCommand(t.app, 0);
  // A mixer started, Folder's dialog, and nothing minimised.
  EXPECT_EQ(std::tuple(t.launcher.launched.size(), t.window.dialogs, t.window.minimized), std::tuple(1u, 1, false));
  RunCommand(t.app, CmdMinimize);
  EXPECT_TRUE(t.window.minimized);
  t.volume.wave = 0x0FA00FA0;
  OnMouseWheel(t.app, true, true);
  EXPECT_EQ(t.volume.wave, 0x13881388u);
  OnMouseWheel(t.app, false, true);
  EXPECT_EQ(t.window.items[IdTimeEdit], "21");
  RunCommand(t.app, CmdHelp);
  EXPECT_EQ(t.window.notices.at(0),
            "Timer works like a kitchen timer. You set it to go off after a specific number of minutes - or at a "
            "specific time. When it goes off, it plays music (either from internal MIDI songs or from a folder with "
            "MP3 songs) and it can also display a message of your choice.\n\nTo set Timer to go off after a certain "
            "number of minutes, type the number of minutes (e.g., \"20\") in the TIME box. Then click the START TIMER "
            "button. You can type in any value from \"0\" to \"1380\" (23 hours). Use \"0\" to see what happens when "
            "the timer goes off.\n\nTo set Timer to go off at a specific time, type the hours and minutes in the TIME "
            "box, and then click TIMER. Type the time like \"10:34 pm\" or \"2:00 am.\" If you omit \"am\" and \"pm,\" "
            "then Timer will assume the current value. You can also use 24-hour time (like \"22:34\"), and you can use "
            "a value for the next day (e.g. \"1:30 am\").\n\nIf you change your mind, you can type in a new time and "
            "then click TIMER.\n\nI wrote Timer to wake me up after my afternoon nap. But the program has other uses "
            "too. You can even use it as a basic music player. This is the January 20, 2010 version of the program.\n\n"
            "Tovin's Timer, by Tovin and the Tovin's Timer team. " +
                std::string(PathSeparator == '/' ? "The guide: /usr/share/doc/tovins-timer/README.md"
                                                 : "Rest the mouse on a menu item or a box to see what it does."));
}

TEST(Tooltips, EveryMenuItemAndControlHasItsText) {
  std::map<int, std::string> texts;
  for (const int id : {401, 402, 403, 101, 204, 499, 77}) texts[id] = MenuTooltipText(id);
  for (const ControlTooltip& control : ControlTooltips) texts[control.Id] += control.Text;
  const std::map<int, std::string> expected = {
      {401, "Play songs (shortcut key = G)"},
      {402, "Stop playing songs (shortcut key = S)"},
      {403, "Volume control (shortcut key = V), or hold down CTRL key and spin the mousewheel"},
      {101, "Set folder for MP3 songs (shortcut key = F)"},
      {204, "Help about this program (shortcut key = H)"},
      {499, "Minimize"},
      {77, "77"},  // an item without a text of its own shows its id
      {202,
       "Type minutes (like \"20\") or time (like \"8:30 pm\") for timer to go off; you can spin the mousewheel "
       "to adjust the number of minutes"},
      {304, "Start or restart the timer (shortcut key = T or ENTER)"},
      {199, "The current time"},
      {200, "The alarm setting (total minutes or specific time) for timer to go off"}};
  EXPECT_EQ(texts, expected);
}

// The folder box shows the folder without its separator and a typed one gains
// it; the message is trimmed; checks and Browse are stored at once.
TEST(MusicDialog, FolderMessageChecksAndBrowse) {
  TestApp t;
  FakeMusicDialogView dialog;
  t.state.MP3Folder = P("/music/");
  MusicDialogInit(t.app, dialog);
  EXPECT_EQ(dialog.folder, P("/music"));
  EXPECT_EQ(FolderForDisplay("/"), "/");
  dialog.folder = P("/songs");
  dialog.message = "  Wake up\n  now  ";
  MusicDialogClosing(t.app, dialog);
  EXPECT_EQ(t.state.AlarmMessage, "Wake up\n  now");
  for (const auto& [key, values] : t.store.keys)  // the message is never stored
    for (const auto& [name, data] : values) EXPECT_EQ(data.find("Wake up"), std::string::npos) << key;
  EXPECT_EQ(t.store.Text(Key + "MP3Folder"), P("/songs/"));
  for (const int id : {IdSubfoldersCheck, IdInternalMusicCheck}) MusicDialogCommand(t.app, dialog, id);
  EXPECT_EQ(t.store.Text(Key + "SubfoldersOn"), "1");
  EXPECT_EQ(t.store.Text(Key + "UseMidi"), "0");
  t.chooser.answer = P("/new/");
  EXPECT_FALSE(MusicDialogCommand(t.app, dialog, IdBrowseButton));
  EXPECT_EQ(t.store.Text(Key + "MP3Folder"), P("/new/"));
  EXPECT_EQ(dialog.folder, P("/new/"));
  t.listing.AddFile(P("/typed"), "s.mp3");
  dialog.folder = P("/typed");  // a typed folder plays at once
  MusicDialogCommand(t.app, dialog, IdPlayButton);
  EXPECT_EQ(t.sound.openPath, P("/typed/s.mp3"));
  MusicDialogCommand(t.app, dialog, IdStopButton);
  EXPECT_FALSE(t.sound.isOpen);
  t.chooser.answer.reset();  // Cancel
  MusicDialogCommand(t.app, dialog, IdBrowseButton);
  EXPECT_EQ(t.state.MP3Folder, P("/typed/"));
  EXPECT_TRUE(MusicDialogCommand(t.app, dialog, IdDoneButton));
}

// Texts are stored with their NUL and read up to it; at start-up the stored
// values are taken, and the music folder loses the NULs the desktop may pad
// it with.
TEST(Settings, StoredTextsAndStartUp) {
  TestApp t;
  t.folders.musicFolder = std::string("/home/u/Music\0\0", 15);
  LoadSettings(t.app);
  EXPECT_EQ(t.state.MP3Folder, "/home/u/Music");
  EXPECT_TRUE(t.state.UseMidi && t.state.SubfoldersOn);  // the defaults
  WriteSetting(t.store, "Time", "8:30 pm");
  EXPECT_EQ(t.store.keys[Key + "Time"]["String Value"], std::string("8:30 pm\0", 8));
  WriteSetting(t.store, "UseMidi", "1"), WriteSetting(t.store, "SubfoldersOn", "0");
  LoadSettings(t.app);
  EXPECT_EQ(t.window.items[IdTimeEdit], "8:30 pm");
  EXPECT_TRUE(t.state.UseMidi && !t.state.SubfoldersOn);
  EXPECT_TRUE(t.store.openKeys.empty());
}

// A step up also lifts a mute of our stream (louder must be heard); a step
// down does not.
TEST(Volume, StepsGrowAtFourThousandAndTenThousandOnBothChannels) {
  // wave volume before (right << 16 | left), level after a step up, after a step down
  const std::tuple<std::uint32_t, std::uint32_t, std::uint32_t> cases[] = {
      {4000 * 0x10001u, 5000, 3000}, {9999 * 0x10001u, 10999, 8999}, {0x0000FFFF, 34767, 30767}};  // unequal: the mean
  for (const auto& [before, up, down] : cases) {
    TestApp t;
    t.volume.wave = before, VolumeUp(t.app);
    EXPECT_EQ(std::make_pair(t.volume.wave, t.volume.midi), std::make_pair(up * 0x10001u, up * 0x10001u)) << before;
    t.volume.wave = before, VolumeDown(t.app);
    EXPECT_EQ(t.volume.wave, down * 0x10001u) << std::hex << before;
    EXPECT_EQ(t.volume.unmutes, 1);
  }
}

// The mixers are tried in turn until one starts; a Linux desktop may have none.
TEST(Volume, MixersAreTriedInTurnUntilOneStarts) {
  using Texts = std::vector<std::string>;
  const std::tuple<std::set<std::string>, Texts, Texts> cases[] = {
  // installed, tried, notices
#ifdef _WIN32
      {{"sndvol32.exe", "sndvol.exe"}, {"sndvol32.exe"}, {}},
      {{}, {"sndvol32.exe", "sndvol.exe"}, {}},
#else
      {{"pavucontrol --tab=1", "gnome-control-center sound"}, {"pavucontrol --tab=1"}, {}},
      {{},
       {"pavucontrol --tab=1", "pavucontrol-qt", "gnome-control-center sound", "systemsettings kcm_pulseaudio"},
       {"No volume mixer could be started. Install the package \"pavucontrol\" (or \"pavucontrol-qt\") for one, "
        "or change the volume with CTRL and the mouse wheel."}},
#endif
  };
  for (const auto& [installed, tried, notices] : cases) {
    TestApp t;
    t.launcher.startable = installed;
    OpenVolumeMixer(t.app);
    EXPECT_EQ(t.launcher.launched, tried);
    EXPECT_EQ(t.window.notices, notices);
  }
}
