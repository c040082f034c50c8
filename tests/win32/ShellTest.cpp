// The Windows shell's own rules, run under Wine on the real windows over the
// core's fakes: the layout at each DPI, the tooltips of the menu bar and the
// controls, and the mouse wheel.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "Dpi.h"
#include "Fakes.h"
#include "Shell.h"
#include "ShellFolderChooser.h"
#include "Skips.h"
#include "Views.h"
#include "Win32Adapters.h"
#include "app/Ids.h"
#include "app/Progress.h"
#include "app/Tooltips.h"
#include "settings/MusicDialog.h"

namespace {
struct Program {  // the real window over the fakes' other ports
  TestApp fakes;
  Win32MainWindowView window;
  ShellLauncher launcher;
  ShellFolderChooser chooser;
  App app{AppState{}, Ports{window, fakes.sound, fakes.store, fakes.folders, fakes.listing, fakes.clock, fakes.volume,
                            fakes.tunes, launcher, chooser}};
} program;

HWND MainWindow() {
  static const HWND window = StartUp(GetModuleHandleA(nullptr)).MainWindow;
  return window;
}
}  // namespace

App& TheApp() { return program.app; }
ShellFolderChooser& TheFolderChooser() { return program.chooser; }
ShellLauncher& TheLauncher() { return program.launcher; }

// At each DPI, both windows take the template's font at that size, and no
// control overlaps another or leaves the client area. The first pass is the
// layout made at start-up at the system's DPI (the Wine tests run this at
// 96, 144 and 192); then each DPI as a move to such a monitor brings it, and
// back to the system's, where the main window stays for the other tests.
TEST(Layout, NoControlOverlapsAnotherAtAnyDpi) {
  const std::map<UINT, LONG> fontHeights = {{96, -16}, {144, -24}, {192, -32}};  // Tahoma 12 pt, in pixels
  const HWND main = MainWindow();
  const HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MusicDialogTemplateName, main, MusicDialogProc, 0);
  ASSERT_TRUE(main != nullptr && dialog != nullptr);
  const UINT systemDpi = WindowDpi(main);
  for (const HWND window : {main, dialog}) {
    for (const UINT change : {0u, 96u, 144u, 192u, systemDpi}) {  // 0: as laid out at start-up
      RECT frame, client;
      GetWindowRect(window, &frame);
      if (change != 0)
        SendMessageA(window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(change, change), reinterpret_cast<LPARAM>(&frame));
      const UINT dpi = change != 0 ? change : systemDpi;
      const std::string where = std::string(window == main ? "main window" : "music dialog") + " at " +
                                std::to_string(dpi) + " dpi" + (change == 0 ? " (start)" : "");
      GetWindowRect(window, &frame);
      GetClientRect(window, &client);
      std::printf("%s: window %ldx%ld, client %ldx%ld\n", where.c_str(), frame.right - frame.left,
                  frame.bottom - frame.top, client.right, client.bottom);
      std::vector<std::pair<int, RECT>> controls;
      for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r, inside;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        const int id = static_cast<short>(GetDlgCtrlID(child));
        LOGFONTW font = {};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_EQ(std::wstring(font.lfFaceName) + L" " + std::to_wstring(font.lfHeight),
                  L"Tahoma " + std::to_wstring(fontHeights.count(dpi) ? fontHeights.at(dpi) : 0))
            << where << ", control " << id;
        IntersectRect(&inside, &r, &client);
        EXPECT_TRUE(EqualRect(&inside, &r)) << where << ": control " << id << " leaves the client area";
        for (const auto& [other, rect] : controls) {
          EXPECT_FALSE(IntersectRect(&inside, &r, &rect))
              << where << ": controls " << id << " and " << other << " overlap";
        }
        controls.emplace_back(id, r);
      }
    }
  }
  DestroyWindow(dialog);
}

// The manifest makes the program per-monitor aware (version 2 where the
// system has it; Wine 8 knows version 1 only), so the system leaves the
// scaling to the program and stretches no bitmap.
TEST(Layout, TheProgramIsPerMonitorAware) {
  const HMODULE user = GetModuleHandleA("user32.dll");
  const auto context = reinterpret_cast<HANDLE(WINAPI*)()>(
      reinterpret_cast<void (*)()>(GetProcAddress(user, "GetThreadDpiAwarenessContext")));
  const auto awareness = reinterpret_cast<int(WINAPI*)(HANDLE)>(
      reinterpret_cast<void (*)()>(GetProcAddress(user, "GetAwarenessFromDpiAwarenessContext")));
  if (context == nullptr || awareness == nullptr) TIMER_GTEST_SKIP("a system older than Windows 10");
  EXPECT_EQ(awareness(context()), 2);  // DPI_AWARENESS_PER_MONITOR_AWARE
}

// The resources hold what the core describes: each window's place, caption
// and controls (id, kind, rectangle, label) in template order, the menu bar
// and the accelerator table.
TEST(Resources, MatchTheCoreDescription) {
  const auto narrow = [](const std::wstring& text) { return std::string(text.begin(), text.end()); };
  const auto kind = [](const TemplateItem& item) {
    const DWORD button = item.Style & BS_TYPEMASK;
    if (item.Class == L"EDIT") return (item.Style & ES_MULTILINE) != 0 ? ControlKind::TextArea : ControlKind::Edit;
    if (item.Class == L"STATIC") return ControlKind::Label;
    if (button == BS_AUTOCHECKBOX) return ControlKind::Check;
    return button == BS_DEFPUSHBUTTON ? ControlKind::DefaultButton : ControlKind::Button;
  };
  const std::tuple<const char*, const char*, Rect, std::span<const Control>> windows[] = {
      {MainTemplateName, TimerCaption, MainWindowArea, MainControls},
      {MusicDialogTemplateName, MusicDialogTitle, MusicDialogArea, MusicControls}};
  for (const auto& [name, caption, area, controls] : windows) {
    const std::optional<DialogTemplate> dialog = ReadTemplate(name);
    ASSERT_TRUE(dialog && dialog->Items.size() == controls.size()) << name;
    EXPECT_TRUE(dialog->Area == area && narrow(dialog->Caption) == caption) << name;
    for (std::size_t i = 0; i < controls.size(); ++i) {
      const TemplateItem& item = dialog->Items[i];
      const Control& control = controls[i];
      EXPECT_TRUE(static_cast<short>(item.Id) == control.Id && kind(item) == control.Kind &&
                  item.Place == control.Place && narrow(item.Text) == control.Label)
          << name << ": control " << i << " (" << control.Label << ")";
    }
  }
  const HMENU menu = GetMenu(MainWindow());
  ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(MainMenuItems.size()));
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char label[32] = {};
    GetMenuStringA(menu, static_cast<UINT>(i), label, sizeof label, MF_BYPOSITION);
    EXPECT_EQ(std::make_pair(static_cast<int>(GetMenuItemID(menu, i)), std::string(label)),
              std::make_pair(MainMenuItems[i].Id, std::string(MainMenuItems[i].Label)));
  }
  ACCEL entries[16];
  const int count = CopyAcceleratorTableA(LoadAcceleratorsA(GetModuleHandleA(nullptr), "Timer"), entries, 16);
  ASSERT_EQ(count, static_cast<int>(Accelerators.size()));
  for (int i = 0; i < count; ++i) {
    const Accelerator read = {static_cast<char>(entries[i].key), (entries[i].fVirt & FVIRTKEY) == 0,
                              (entries[i].fVirt & FALT) != 0, entries[i].cmd};
    EXPECT_TRUE(read == Accelerators[i]) << "accelerator " << i << ": " << Accelerators[i].Key;
  }
}

// With the mouse resting on a menu-bar item (its position) or a control (-1
// and its id), its tip shows.
TEST(Tooltips, ShowOverMenuBarItemsAndControls) {
  const std::tuple<int, int, const char*> rows[] = {
      {0, 0, "Play songs (shortcut key = G)"},
      {5, 0, "Minimize"},
      {-1, 202,
       "Type minutes (like \"20\") or time (like \"8:30 pm\") for timer to go off; you can spin the mousewheel to "
       "adjust the number of minutes"},
      {-1, 199, "The current time"},
  };
  const HWND main = MainWindow();
  SetForegroundWindow(main);
  const HWND tooltip = TheHandles().TooltipWindow;
  for (const auto& [menuPosition, controlId, text] : rows) {
    RECT item;
    if (menuPosition >= 0) GetMenuItemRect(main, GetMenu(main), static_cast<UINT>(menuPosition), &item);
    if (menuPosition < 0) GetWindowRect(GetDlgItem(main, controlId), &item);
    // The mouse as a user moves it: input, not a message to the window.
    INPUT move = {INPUT_MOUSE,
                  {{MulDiv((item.left + item.right) / 2, 65536, GetSystemMetrics(SM_CXSCREEN)),
                    MulDiv((item.top + item.bottom) / 2, 65536, GetSystemMetrics(SM_CYSCREEN)), 0,
                    MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 0, 0}}};
    SendInput(1, &move, sizeof move);
    // The tooltip's own timers run in real time: its messages for up to 5 s.
    std::string shown;
    for (const DWORD start = GetTickCount(); shown != text && GetTickCount() - start < 5000;) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&message);
      wchar_t tip[256] = {};
      GetWindowTextW(tooltip, tip, 256);
      shown = IsWindowVisible(tooltip) ? std::string(tip, tip + wcslen(tip)) : "(hidden)";
    }
    EXPECT_EQ(shown, text) << "over menu item " << menuPosition << ", control " << controlId;
  }
}

// The wheel over the main window or the music settings dialog, their text
// fields too: a minute up or down in the time box, or with CTRL held (other
// keys too) a volume step.
TEST(Messages, MouseWheelStepsMinutesOrVolume) {
  // Over what (0: the main window, -1: the dialog, or a control's id), the
  // delta and keys; the minutes and the volume after it.
  const std::tuple<int, short, WORD, const char*, std::uint32_t> rows[] = {
      {0, 120, 0, "21", 0x4E204E20},
      {0, 120, MK_CONTROL, "20", 0x55F055F0},
      {0, -240, MK_CONTROL | MK_SHIFT, "20", 0x46504650},
      {-1, -120, MK_CONTROL, "20", 0x46504650},
      {IdTimeEdit, 120, 0, "21", 0x4E204E20},  // the edit control keeps a plain turn unless handed on
      {IdTimeEdit, -120, MK_CONTROL, "20", 0x46504650},
      {IdFolderEdit, -120, 0, "19", 0x4E204E20},
      {IdMessageEdit, 120, 0, "21", 0x4E204E20},
  };
  const HWND main = MainWindow();
  const HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MusicDialogTemplateName, main, MusicDialogProc, 0);
  for (const auto& [over, delta, keys, minutes, volume] : rows) {
    SetDlgItemTextA(main, IdTimeEdit, "20");
    program.fakes.volume.wave = 0x4E204E20;  // 20000 on each side
    const HWND target = over == 0 ? main : over == -1 ? dialog : GetDlgItem(over == IdTimeEdit ? main : dialog, over);
    SendMessageA(target, WM_MOUSEWHEEL, MAKEWPARAM(keys, delta), 0);
    EXPECT_EQ(WindowText(GetDlgItem(main, IdTimeEdit)), minutes) << over << ", " << delta << ", keys " << keys;
    EXPECT_EQ(program.fakes.volume.wave, volume) << over << ", " << delta << ", keys " << keys;
  }
  DestroyWindow(dialog);
}

// Wine keeps no taskbar progress to look at: what can be checked is that each
// state is told without an error.
TEST(Taskbar, EachStateIsToldWithoutError) {
  for (const TaskProgress& progress : {TaskProgress{true, 500, false}, TaskProgress{true, 1000, true}, TaskProgress{}})
    EXPECT_TRUE(ShowOnTaskbar(MainWindow(), progress)) << progress.PerMille;
}
