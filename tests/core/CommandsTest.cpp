// Command dispatch, the music settings dialog's rules, help and tooltip texts.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "app/Commands.h"
#include "app/Ids.h"
#include "app/Platform.h"
#include "app/Tooltips.h"
#include "settings/MusicDialog.h"

namespace {

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
  RunCommand(t.app, CmdFolder);
  EXPECT_EQ(t.window.dialogOpens, 1);
  t.folders.tempFolder = "tmp";
  RunCommand(t.app, CmdGo);
  EXPECT_TRUE(t.sound.isOpen);
  RunCommand(t.app, CmdStop);
  EXPECT_FALSE(t.sound.isOpen);
  EXPECT_EQ(t.window.caption, "Timer");
  EXPECT_EQ(t.state.AlarmTime, 37200) << "Stop leaves the alarm alone";
  RunCommand(t.app, CmdVolume);
  EXPECT_EQ(t.launcher.launched.size(), 2u);
  RunCommand(t.app, CmdMinimize);
  EXPECT_TRUE(t.window.minimized);
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

class MusicDialogTest : public ::testing::Test {
 protected:
  std::optional<std::string> Stored(const char* name) { return t.store.Text(Key + name); }
  TestApp t;
  FakeMusicDialogView dialog;
};

// The folder box at closing: unchanged keeps the separator, a typed folder
// gains one, an emptied one stays empty; each is stored as taken over.
TEST_F(MusicDialogTest, TheFolderIsShownWithoutItsSeparatorAndTakenOverAtClosing) {
  const std::string music = Sep + "music" + Sep;
  const std::pair<std::optional<std::string>, std::string> cases[] = {
      {std::nullopt, music}, {Sep + "songs", Sep + "songs" + Sep}, {"", ""}};
  for (const auto& [typed, taken] : cases) {
    t.state.MP3Folder = music;
    MusicDialogInit(t.app, dialog);
    EXPECT_EQ(dialog.folder, Sep + "music");
    if (typed) dialog.folder = *typed;
    EXPECT_TRUE(MusicDialogCommand(t.app, dialog, IdDoneButton));
    MusicDialogClosing(t.app, dialog);
    EXPECT_EQ(t.state.MP3Folder, taken);
    EXPECT_EQ(Stored("MP3Folder"), taken);
  }
  EXPECT_EQ(FolderForDisplay(Sep), Sep == "/" ? "/" : "");
}

TEST_F(MusicDialogTest, MessageIsTrimmedOfSpacesOnlyAndChecksAreStoredAtEachClick) {
  MusicDialogInit(t.app, dialog);
  dialog.message = "  Wake up\n  now  ";
  MusicDialogClosing(t.app, dialog);
  EXPECT_EQ(t.state.AlarmMessage, "Wake up\n  now");
  MusicDialogCommand(t.app, dialog, IdInternalMusicCheck);
  EXPECT_FALSE(t.state.UseMidi);
  EXPECT_FALSE(dialog.checked[IdInternalMusicCheck]);
  EXPECT_EQ(Stored("UseMidi"), "0");
  MusicDialogCommand(t.app, dialog, IdSubfoldersCheck);
  EXPECT_EQ(t.state.SubfoldersOn, dialog.checked[IdSubfoldersCheck]);
  EXPECT_EQ(Stored("SubfoldersOn"), t.state.SubfoldersOn ? "1" : "0");
  EXPECT_EQ(Stored("UseMidi"), "0");
  for (const auto& [path, values] : t.store.keys) EXPECT_EQ(path.find("Message"), std::string::npos);
}

TEST_F(MusicDialogTest, PlayTakesTheTypedFolderAndBrowseSavesTheChoice) {
  t.state.UseMidi = false;
  t.listing.AddFile(Sep + "new", "Song one.mp3");
  MusicDialogInit(t.app, dialog);
  dialog.folder = Sep + "new";
  EXPECT_FALSE(MusicDialogCommand(t.app, dialog, IdPlayButton));
  EXPECT_EQ(Stored("MP3Folder"), Sep + "new") << "stored as typed";
  EXPECT_EQ(t.window.caption, "Song one");
  MusicDialogCommand(t.app, dialog, IdStopButton);
  EXPECT_EQ(t.window.caption, "Timer");
  MusicDialogCommand(t.app, dialog, IdBrowseButton);  // cancelled: nothing changes
  EXPECT_EQ(t.chooser.openedOn, std::vector<std::string>{Sep + "new" + Sep});
  EXPECT_EQ(t.state.MP3Folder, Sep + "new" + Sep);
  t.chooser.answer = Sep + "songs";
  MusicDialogCommand(t.app, dialog, IdBrowseButton);
  EXPECT_EQ(dialog.folder, Sep + "songs");
  EXPECT_EQ(Stored("MP3Folder"), Sep + "songs");
  MusicDialogCommand(t.app, dialog, IdVolumeButton);
  EXPECT_EQ(t.launcher.launched.size(), 2u);
}

}  // namespace
