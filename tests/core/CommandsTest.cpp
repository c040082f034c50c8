// Command dispatch, the music settings dialog's rules, help and tooltip texts.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "app/Commands.h"
#include "app/Ids.h"
#include "app/Platform.h"
#include "app/Tooltips.h"
#include "settings/Help.h"
#include "settings/MusicDialog.h"

namespace {

const std::string Key = "Software\\TimerZqv2010\\";
const std::string Sep(1, PathSeparator);

TEST(Commands, EachCommandReachesItsOperation) {
  TestApp t;
  t.clock.Set(10, 0, 0);
  t.Tick();
  t.window.items[IdTimeEdit] = "20";
  RunCommand(t.app, CmdStartTimer);
  EXPECT_EQ(t.state.AlarmTime, 37200);

  RunCommand(t.app, CmdHelp);
  EXPECT_EQ(t.window.notices, std::vector<std::string>{HelpText});

  RunCommand(t.app, CmdFolder);
  EXPECT_EQ(t.window.dialogOpens, 1);

  RunCommand(t.app, CmdGo);
  EXPECT_TRUE(t.sound.isOpen || !t.sound.log.empty());
  RunCommand(t.app, CmdStop);
  EXPECT_EQ(t.sound.log.back(), "close");
  EXPECT_EQ(t.window.caption, "Timer");
  EXPECT_EQ(t.state.AlarmTime, 37200) << "Stop leaves the alarm alone";

  RunCommand(t.app, CmdVolume);
  EXPECT_EQ(t.launcher.launched.size(), 2u);

  RunCommand(t.app, CmdMinimize);
  EXPECT_TRUE(t.window.minimized);

  const auto logSize = t.sound.log.size();
  RunCommand(t.app, 12345);
  EXPECT_EQ(t.sound.log.size(), logSize);
}

TEST(Help, SixParagraphsSeparatedByOneEmptyLine) {
  const std::string text = HelpText;
  int paragraphs = 1;
  for (std::size_t at = text.find("\n\n"); at != std::string::npos; at = text.find("\n\n", at + 2)) ++paragraphs;
  EXPECT_EQ(paragraphs, 6);
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_EQ(text.find("\n\n\n"), std::string::npos);
  EXPECT_NE(text.front(), '\n');
  EXPECT_NE(text.back(), '\n');
  EXPECT_EQ(text.rfind("Timer works like a kitchen timer.", 0), 0u);
  EXPECT_NE(text.find("(like \"22:34\"), and you can use a value for the next day (e.g. \"1:30 am\").\n\n"),
            std::string::npos);
  EXPECT_NE(text.find("\n\nIf you change your mind, you can type in a new time and then click TIMER.\n\n"),
            std::string::npos);
}

TEST(Tooltips, MenuTextsByCommandId) {
  EXPECT_EQ(MenuTooltipText(401), "Play songs (shortcut key = G)");
  EXPECT_EQ(MenuTooltipText(403), "Volume control (shortcut key = V), or hold down CTRL key and spin the mousewheel");
  EXPECT_EQ(MenuTooltipText(499), "Minimize");
  EXPECT_EQ(MenuTooltipText(77), "77");
  EXPECT_EQ(MenuTooltipText(-1), "-1");
  for (const MenuItem& item : MainMenuItems) {
    EXPECT_NE(MenuTooltipText(item.Id), std::to_string(item.Id)) << item.Label << " has a text of its own";
  }
}

class MusicDialogTest : public ::testing::Test {
 protected:
  std::optional<std::string> Stored(const char* name) { return t.store.Text(Key + name); }
  TestApp t;
  FakeMusicDialogView dialog;
};

TEST_F(MusicDialogTest, OpensWithTheFolderWithoutItsTrailingSeparator) {
  t.state.MP3Folder = Sep + "music" + Sep;
  t.state.AlarmMessage = "Tea";
  t.state.UseMidi = false;
  t.state.SubfoldersOn = true;
  MusicDialogInit(t.app, dialog);
  EXPECT_EQ(dialog.folder, Sep + "music");
  EXPECT_EQ(dialog.message, "Tea");
  EXPECT_FALSE(dialog.checked[IdInternalMusicCheck]);
  EXPECT_TRUE(dialog.checked[IdSubfoldersCheck]);
}

// The folder box at closing: unchanged keeps the separator, a typed folder
// gains one, an emptied one stays empty; each is stored as taken over.
TEST_F(MusicDialogTest, TheFolderIsTakenOverAtClosing) {
  const std::string music = Sep + "music" + Sep;
  const std::pair<std::optional<std::string>, std::string> cases[] = {
      {std::nullopt, music}, {Sep + "songs", Sep + "songs" + Sep}, {"", ""}};
  for (const auto& [typed, taken] : cases) {
    t.state.MP3Folder = music;
    MusicDialogInit(t.app, dialog);
    if (typed) dialog.folder = *typed;
    EXPECT_TRUE(MusicDialogCommand(t.app, dialog, IdDoneButton));
    MusicDialogClosing(t.app, dialog);
    EXPECT_EQ(t.state.MP3Folder, taken);
    EXPECT_EQ(Stored("MP3Folder"), taken);
  }
}

TEST_F(MusicDialogTest, TheAlarmMessageIsTrimmedOfSpacesOnlyAndNeverStored) {
  MusicDialogInit(t.app, dialog);
  dialog.message = "  Wake up\n  now  ";
  MusicDialogClosing(t.app, dialog);
  EXPECT_EQ(t.state.AlarmMessage, "Wake up\n  now");
  dialog.message = "    ";
  MusicDialogClosing(t.app, dialog);
  EXPECT_EQ(t.state.AlarmMessage, "");
  for (const auto& [path, values] : t.store.keys) EXPECT_EQ(path.find("Message"), std::string::npos);
}

TEST_F(MusicDialogTest, CheckBoxesTakeEffectAndAreStoredAtEachClick) {
  MusicDialogInit(t.app, dialog);
  MusicDialogCommand(t.app, dialog, IdInternalMusicCheck);
  EXPECT_FALSE(t.state.UseMidi);
  EXPECT_FALSE(dialog.checked[IdInternalMusicCheck]);
  EXPECT_EQ(Stored("UseMidi"), "0");
  MusicDialogCommand(t.app, dialog, IdInternalMusicCheck);
  EXPECT_EQ(Stored("UseMidi"), "1");
  MusicDialogCommand(t.app, dialog, IdSubfoldersCheck);
  EXPECT_TRUE(t.state.SubfoldersOn);
  EXPECT_TRUE(dialog.checked[IdSubfoldersCheck]);
  EXPECT_EQ(Stored("SubfoldersOn"), "1");
}

TEST_F(MusicDialogTest, PlayTakesTheTypedFolderBeforeTheMusicStarts) {
  t.state.UseMidi = false;
  const std::string folder = Sep + "new";
  t.listing.AddFile(folder, "Song one.mp3");
  MusicDialogInit(t.app, dialog);
  dialog.folder = folder;
  EXPECT_FALSE(MusicDialogCommand(t.app, dialog, IdPlayButton));
  EXPECT_EQ(t.state.MP3Folder, folder + Sep);
  EXPECT_EQ(Stored("MP3Folder"), folder) << "stored as typed";
  EXPECT_EQ(t.window.caption, "Song one");
  MusicDialogCommand(t.app, dialog, IdStopButton);
  EXPECT_EQ(t.window.caption, "Timer");
}

TEST_F(MusicDialogTest, BrowseOpensOnTheFolderInForceAndCancelChangesNothing) {
  t.state.MP3Folder = Sep + "music" + Sep;
  MusicDialogInit(t.app, dialog);
  MusicDialogCommand(t.app, dialog, IdBrowseButton);
  EXPECT_EQ(t.chooser.openedOn, std::vector<std::string>{Sep + "music" + Sep});
  EXPECT_EQ(t.state.MP3Folder, Sep + "music" + Sep);
  EXPECT_EQ(t.store.writes, 0);

  t.chooser.answer = Sep + "songs";
  MusicDialogCommand(t.app, dialog, IdBrowseButton);
  EXPECT_EQ(t.state.MP3Folder, Sep + "songs");
  EXPECT_EQ(dialog.folder, Sep + "songs");
  EXPECT_EQ(Stored("MP3Folder"), Sep + "songs");
  MusicDialogClosing(t.app, dialog);
  EXPECT_EQ(Stored("MP3Folder"), Sep + "songs" + Sep);
}

TEST(MusicDialog, RootFolderStaysUsable) {
#ifdef _WIN32
  EXPECT_EQ(FolderForDisplay("C:\\"), "C:");
#else
  EXPECT_EQ(FolderForDisplay("/"), "/");
#endif
}

}  // namespace
