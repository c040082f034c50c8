// Start-up of the Windows program: the window class, the main window from its
// dialog template, the settings, the tooltips and the one message loop.
#include "MciSoundChannel.h"
#include "RegistryKeyValueStore.h"
#include "Shell.h"
#include "ShellFolderChooser.h"
#include "Views.h"
#include "Win32.h"
#include "Win32Adapters.h"
#include "app/Ids.h"
#include "settings/Settings.h"

namespace {
constexpr const char* WindowClassName = "TIMERZQV2010";
constexpr const char* MainTemplateName = "TIMERZQV2010";
constexpr const char* IconName = "TIMER";
constexpr const char* AcceleratorsName = "Timer";
// WS_POPUP | TTS_NOPREFIX | TTS_NOFADE | TTS_BALLOON
constexpr DWORD TooltipStyle = 0x80000062;

struct Program {
  Win32MainWindowView window;
  MciSoundChannel sound;
  RegistryKeyValueStore store;
  ShellUserFolders folders;
  Win32FolderListing listing;
  Win32Clock clock;
  WinmmOutputVolume volume;
  ResourceTuneStore tunes;
  ShellLauncher launcher;
  ShellFolderChooser chooser;
  App app{AppState{}, Ports{window, sound, store, folders, listing, clock, volume, tunes, launcher, chooser}};
};

Program& TheProgram() {
  static Program program;
  return program;
}

bool RegisterMainClass(HINSTANCE instance) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = 0;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = DLGWINDOWEXTRA;  // the class serves a dialog template
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, IconName);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = nullptr;  // the window procedure paints it
  windowClass.lpszMenuName = nullptr;   // the menu comes from the template
  windowClass.lpszClassName = WindowClassName;
  windowClass.hIconSm = LoadIconA(instance, IconName);
  return RegisterClassExA(&windowClass) != 0;
}

HWND CreateTooltipWindow(HINSTANCE instance, HWND owner) {
  // The tooltip class lives in the common controls, which need loading first.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  return CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, TooltipStyle, 0, 0, 0, 0, owner, nullptr, instance, nullptr);
}
}  // namespace

App& TheApp() { return TheProgram().app; }
ShellFolderChooser& TheFolderChooser() { return TheProgram().chooser; }
ShellLauncher& TheLauncher() { return TheProgram().launcher; }

void CenterOnScreen(HWND window, bool repaint) {
  RECT rect;
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  // C++ division truncates toward zero, as wanted for windows larger than the screen.
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  MoveWindow(window, x, y, width, height, repaint ? TRUE : FALSE);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  AppState& state = TheApp().State;
  state.MainWindow = 0;
  if (!RegisterMainClass(instance)) return 0;
  state.BackgroundBrush = reinterpret_cast<std::uintptr_t>(CreateSolidBrush(BackgroundColour));

  const HWND mainWindow = CreateDialogParamA(instance, MainTemplateName, nullptr, nullptr, 0);
  if (mainWindow == nullptr) return 0;  // nothing to show and nothing to run
  state.MainWindow = reinterpret_cast<std::uintptr_t>(mainWindow);
  TheLauncher().SetOwner(state.MainWindow);

  CenterOnScreen(mainWindow, false);
  LoadSettings(TheApp());
  // Set after the stored text is in place, so it bounds typing only.
  SendDlgItemMessageA(mainWindow, IdTimeEdit, EM_LIMITTEXT, TimeEditTypingLimit, 0);

  state.TooltipWindow = reinterpret_cast<std::uintptr_t>(CreateTooltipWindow(instance, mainWindow));
  const HACCEL accelerators = LoadAcceleratorsA(instance, AcceleratorsName);
  SetupTooltips();
  ShowWindow(mainWindow, SW_SHOWNORMAL);

  // No IsDialogMessage: TAB and ENTER reach the program as accelerator commands.
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (TranslateAcceleratorA(mainWindow, accelerators, &message) == 0) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return 0;
}
