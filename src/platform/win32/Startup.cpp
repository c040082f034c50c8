// Start-up of the Windows program: the window class, the main window from its
// dialog template, the settings, the tooltips, and the one message loop.
#include "Dpi.h"
#include "Shell.h"
#include "Win32.h"
#include "Win32Adapters.h"
#include "app/Ids.h"

namespace {
constexpr const char* AcceleratorsName = "Timer";
// WS_POPUP | TTS_NOPREFIX | TTS_NOFADE | TTS_BALLOON
constexpr DWORD TooltipStyle = 0x80000062;

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
  windowClass.lpszClassName = MainWindowClass;
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

ShellHandles& TheHandles() {
  static ShellHandles handles;
  return handles;
}

StartedProgram StartUp(HINSTANCE instance, int showCommand) {
  ShellHandles& handles = TheHandles();
  handles.MainWindow = nullptr;
  if (!RegisterMainClass(instance)) return {};
  handles.BackgroundBrush = CreateSolidBrush(BackgroundColour);

  const HWND mainWindow = CreateDialogParamA(instance, MainTemplateName, nullptr, nullptr, 0);
  if (mainWindow == nullptr) return {};  // nothing to show and nothing to run
  handles.MainWindow = mainWindow;
  // Laid out again for the monitor's DPI, edge by edge, so that no control
  // overlaps the next as the dialog manager's rounding can make them.
  LayOutForDpi(mainWindow, MainTemplateName, WindowDpi(mainWindow));
  TheLauncher().SetOwner(reinterpret_cast<std::uintptr_t>(mainWindow));

  CenterOnScreen(mainWindow, false);
  StartApp(TheApp());
  // Set after the stored text is in place, so it bounds typing only.
  SendDlgItemMessageA(mainWindow, IdTimeEdit, EM_LIMITTEXT, TimeEditTypingLimit, 0);
  PassWheelToMainWindow(GetDlgItem(mainWindow, IdTimeEdit));
  // The time box takes the focus at activation; typing at once replaces the
  // stored entry, so "20" and ENTER mean 20.
  SendDlgItemMessageA(mainWindow, IdTimeEdit, EM_SETSEL, 0, -1);

  handles.TooltipWindow = CreateTooltipWindow(instance, mainWindow);
  const HACCEL accelerators = LoadAcceleratorsA(instance, AcceleratorsName);
  SetupTooltips();
  ShowWindow(mainWindow, showCommand);
  return {mainWindow, accelerators};
}

int RunMessageLoop(const StartedProgram& program) {
  // No IsDialogMessage: TAB and ENTER reach the program as accelerator commands.
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (TranslateAcceleratorA(program.MainWindow, program.Accelerators, &message) == 0) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return 0;
}
