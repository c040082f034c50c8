// The real Win32 windows over fakes: start-up, the template, menu and keys
// from the resources, the tooltips, and each message of the main window and
// of the music settings dialog reaching the core.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "Shell.h"
#include "ShellFolderChooser.h"
#include "Views.h"
#include "Win32.h"
#include "Win32Adapters.h"
#include "app/Ids.h"
#include "app/Tooltips.h"

namespace {
struct ShellTestProgram {
  Win32MainWindowView window;
  FakeSoundChannel sound;
  MemoryKeyValueStore store;
  FakeUserFolders folders;
  FakeFolderListing listing;
  FakeClock clock;
  FakeOutputVolume volume;
  FakeTuneStore tunes;
  FakeLauncher launcher;
  FakeFolderChooser chooser;
  App app{AppState{}, Ports{window, sound, store, folders, listing, clock, volume, tunes, launcher, chooser}};
  ShellFolderChooser shellChooser;
  ShellLauncher shellLauncher;
};

ShellTestProgram& Program() {
  static ShellTestProgram program;
  return program;
}

std::string Setting(const std::string& name) {
  return Program().store.Text("Software\\TimerZqv2010\\" + name).value_or("<absent>");
}
}  // namespace

App& TheApp() { return Program().app; }
ShellFolderChooser& TheFolderChooser() { return Program().shellChooser; }
ShellLauncher& TheLauncher() { return Program().shellLauncher; }

namespace {
class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ShellTestProgram& p = Program();
    p.app.State = AppState{};
    p.store.keys.clear();
    p.folders.musicFolder = "C:\\Users\\Me\\Music";
    p.clock.Set(10, 0, 0);
    p.volume.wave = 0;
    instance = GetModuleHandleA(nullptr);
  }
  void TearDown() override {
    if (IsWindow(main)) DestroyWindow(main);
    UnregisterClassA("TIMERZQV2010", instance);
    MSG message;  // drops the quit message that closing posts
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  void Start() {
    main = StartUp(instance).MainWindow;
    ASSERT_NE(main, nullptr);
  }
  std::string Text(int id) { return WindowText(GetDlgItem(main, id)); }
  void Command(int id) { SendMessageA(main, WM_COMMAND, static_cast<WPARAM>(id), 0); }
  static WPARAM Wheel(short delta, WORD keys) { return MAKEWPARAM(keys, static_cast<WORD>(delta)); }

  HINSTANCE instance = nullptr;
  HWND main = nullptr;
};

HWND Tooltip() { return reinterpret_cast<HWND>(TheApp().State.TooltipWindow); }

struct Tool {
  UINT flags;
  UINT_PTR id;
  RECT rect;
  std::wstring text;
};

Tool ToolAt(int index) {
  wchar_t text[1024] = {};
  TTTOOLINFOW info = {};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.lpszText = text;
  SendMessageW(Tooltip(), TTM_ENUMTOOLSW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&info));
  return {info.uFlags, info.uId, info.rect, text};
}
}  // namespace

TEST_F(ShellTest, StartUpFillsShowsAndCentresTheWindow) {
  Program().store.PutRaw("Software\\TimerZqv2010\\Time", "String Value", std::string("1234567890123\0", 14));
  Program().store.PutRaw("Software\\TimerZqv2010\\UseMidi", "String Value", std::string("0\0", 2));
  Start();
  // The stored text is put in whole; the limit only bounds typing.
  EXPECT_EQ(Text(IdTimeEdit), "1234567890123");
  EXPECT_EQ(SendDlgItemMessageA(main, IdTimeEdit, EM_GETLIMITTEXT, 0, 0), 10);
  EXPECT_FALSE(TheApp().State.UseMidi);
  EXPECT_TRUE(TheApp().State.SubfoldersOn);
  EXPECT_EQ(TheApp().State.MP3Folder, "C:\\Users\\Me\\Music");
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_FALSE(IsIconic(main));
  EXPECT_EQ(WindowText(main), "Timer");

  RECT rect;
  GetWindowRect(main, &rect);
  EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - (rect.right - rect.left)) / 2);
  EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - (rect.bottom - rect.top)) / 2);

  // No minimise or maximise box and no sizing border: "__" minimises.
  const LONG style = GetWindowLongA(main, GWL_STYLE);
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_NE(style & WS_SYSMENU, 0);
}

TEST_F(ShellTest, MenuBarHasSixItemsWithMinimiseAtTheRight) {
  Start();
  const HMENU menu = GetMenu(main);
  ASSERT_EQ(GetMenuItemCount(menu), 6);
  const UINT ids[] = {401, 402, 403, 101, 204, 499};
  const char* labels[] = {"&Go", "&Stop", "&Volume", "&Folder", "&Help", "__"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(GetMenuItemID(menu, i), ids[i]);
    char label[32] = {};
    GetMenuStringA(menu, static_cast<UINT>(i), label, sizeof label, MF_BYPOSITION);
    EXPECT_STREQ(label, labels[i]);
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
    EXPECT_EQ((info.fType & MFT_RIGHTJUSTIFY) != 0, i == 5) << labels[i];
  }
}

TEST_F(ShellTest, TooltipsCoverTheMenuItemsThenTheControls) {
  Start();
  ASSERT_NE(Tooltip(), nullptr);
  ASSERT_EQ(SendMessageW(Tooltip(), TTM_GETTOOLCOUNT, 0, 0), 10);
  EXPECT_EQ(SendMessageW(Tooltip(), TTM_GETMAXTIPWIDTH, 0, 0), 250);
  EXPECT_EQ(SendMessageW(Tooltip(), TTM_GETDELAYTIME, TTDT_INITIAL, 0), 200);

  for (int i = 0; i < 6; ++i) {
    const Tool tool = ToolAt(i);
    EXPECT_EQ(tool.id, static_cast<UINT_PTR>(i));
    EXPECT_EQ(tool.flags & 0x0113, 0x0112u);
    EXPECT_LT(tool.rect.top, 0) << "the menu bar lies above the client area";
    const std::string text = MenuTooltipText(MainMenuItems[i].Id);
    EXPECT_EQ(tool.text, std::wstring(text.begin(), text.end()));
  }
  // The entry box and the Timer button are tools of their own; the static
  // texts are areas of the main window.
  const int controls[] = {IdTimeEdit, IdTimerButton, IdClock, IdAlarmDisplay};
  for (int i = 0; i < 4; ++i) {
    const Tool tool = ToolAt(6 + i);
    EXPECT_EQ(tool.id, reinterpret_cast<UINT_PTR>(GetDlgItem(main, controls[i])));
    EXPECT_EQ(tool.flags & 0x0113, controls[i] > 201 ? 0x0113u : 0x0112u);
    EXPECT_GE(tool.rect.top, 0);
  }
  EXPECT_EQ(ToolAt(8).text, L"The current time");
}

// Activation gives the time box the focus with the stored entry selected,
// so typing replaces it; later activations return the focus where it was.
TEST_F(ShellTest, FocusStartsInTheTimeBoxAndTabMovesIt) {
  Program().store.PutRaw("Software\\TimerZqv2010\\Time", "String Value", std::string("5\0", 2));
  Start();
  SendMessageA(main, WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(GetFocus(), GetDlgItem(main, IdTimeEdit));
  DWORD from = 9, to = 9;
  SendDlgItemMessageA(main, IdTimeEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 0u);
  EXPECT_EQ(to, 1u);
  Command(CmdNextFocus);
  EXPECT_EQ(GetFocus(), GetDlgItem(main, IdTimerButton));
  SendMessageA(main, WM_ACTIVATE, WA_INACTIVE, 0);
  SetFocus(main);
  SendMessageA(main, WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(GetFocus(), GetDlgItem(main, IdTimerButton));
  Command(CmdNextFocus);
  EXPECT_EQ(GetFocus(), GetDlgItem(main, IdTimeEdit));
}

TEST_F(ShellTest, WheelChangesMinutesOrWithCtrlTheVolume) {
  Start();
  SetDlgItemTextA(main, IdTimeEdit, "20");
  SendMessageA(main, WM_MOUSEWHEEL, Wheel(120, 0), 0);
  EXPECT_EQ(Text(IdTimeEdit), "21");
  SendMessageA(main, WM_MOUSEWHEEL, Wheel(-480, 0), 0);  // several notches: still one step
  EXPECT_EQ(Text(IdTimeEdit), "20");
  EXPECT_EQ(Program().volume.wave, 0u);

  SendMessageA(main, WM_MOUSEWHEEL, Wheel(120, MK_CONTROL), 0);
  EXPECT_EQ(Program().volume.wave, 500u + 500u * 65536u);
  EXPECT_EQ(Program().volume.midi, Program().volume.wave);
  SendMessageA(main, WM_MOUSEWHEEL, Wheel(-120, MK_CONTROL | MK_LBUTTON), 0);
  EXPECT_EQ(Program().volume.wave, 0u);
  EXPECT_EQ(Text(IdTimeEdit), "20");
}

TEST_F(ShellTest, MusicDialogShowsTogglesAndTakesOverOnClosing) {
  Start();
  AppState& s = TheApp().State;
  s.MP3Folder = "C:\\Music\\";
  s.UseMidi = true;
  s.SubfoldersOn = false;
  const HWND dialog = CreateDialogParamA(instance, "MP3", main, MusicDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(WindowText(dialog), "Set folder for MP3 music files");
  EXPECT_EQ(WindowText(GetDlgItem(dialog, IdFolderEdit)), "C:\\Music");
  EXPECT_EQ(IsDlgButtonChecked(dialog, IdInternalMusicCheck), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IdSubfoldersCheck), BST_UNCHECKED);

  SendMessageA(dialog, WM_COMMAND, IdInternalMusicCheck, 0);
  EXPECT_FALSE(s.UseMidi);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IdInternalMusicCheck), BST_UNCHECKED);
  EXPECT_EQ(Setting("UseMidi"), "0");
  // A notification of the same number is no click.
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IdInternalMusicCheck, BN_SETFOCUS), 0);
  EXPECT_FALSE(s.UseMidi);

  // The wheel over the dialog acts on the main window.
  SetDlgItemTextA(main, IdTimeEdit, "5");
  SendMessageA(dialog, WM_MOUSEWHEEL, Wheel(120, 0), 0);
  EXPECT_EQ(Text(IdTimeEdit), "6");

  SetDlgItemTextA(dialog, IdMessageEdit, "  Wake up!  ");
  DestroyWindow(dialog);
  EXPECT_EQ(s.AlarmMessage, "Wake up!");
  EXPECT_EQ(s.MP3Folder, "C:\\Music\\");
  EXPECT_EQ(Setting("MP3Folder"), "C:\\Music\\");
}
