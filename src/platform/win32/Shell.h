// The Windows shell's shared pieces: the one app object, the program's
// message boxes, control access and centring.
#pragma once

#include <string>

#include "Win32.h"
#include "app/App.h"
#include "app/Desktop.h"

class ShellFolderChooser;
class ShellLauncher;

// The one app object of the process, and the adapters that need a window
// (defined by the program, or by a test in its place).
App& TheApp();
ShellFolderChooser& TheFolderChooser();
ShellLauncher& TheLauncher();

// The window-system handles of the process: only this shell gives them meaning.
struct ShellHandles {
  HWND MainWindow = nullptr;  // none until its creation has returned
  HBRUSH BackgroundBrush = nullptr;
  HWND TooltipWindow = nullptr;  // none when it could not be made
};
ShellHandles& TheHandles();
inline HWND MainWindowHandle() { return TheHandles().MainWindow; }
inline HBRUSH BackgroundBrushHandle() { return TheHandles().BackgroundBrush; }

inline constexpr const char* IconName = "TIMER";  // the program's icon resource
inline constexpr COLORREF BackgroundColour = RGB(BackgroundRgb.Red, BackgroundRgb.Green, BackgroundRgb.Blue);
inline constexpr COLORREF TextColour = RGB(TextRgb.Red, TextRgb.Green, TextRgb.Blue);
// The 16-bit message of the same meaning as WM_CTLCOLOREDIT and friends.
inline constexpr UINT WmCtlColorLegacy = 0x0019;
// Windows 8.1 and later: the window has moved to a monitor of another DPI.
inline constexpr UINT WmDpiChanged = 0x02E0;

// The colour messages of both windows' edit and static controls: the
// program's two colours on the device context, and the brush to paint with.
HBRUSH ColourControl(HDC deviceContext);

int AppMessageBox(const std::string& text, UINT flags);
void AppNotice(const std::string& text);
void SetItemText(int id, const std::string& text);
HWND ItemWindow(int id);
// The whole text of a window (a control), however long.
std::string WindowText(HWND window);
void CenterOnScreen(HWND window, bool repaint);
// Sends the wheel over a text field to the main window, as over any other control.
void PassWheelToMainWindow(HWND control);
// Gives a window the program's icon "TIMER", small and big.
void SetProgramIcons(HWND window);

struct TaskProgress;
// The countdown's progress on the taskbar button, the alarm's flashing; false
// when the taskbar could not be told.
bool ShowOnTaskbar(HWND window, const TaskProgress& progress);
// After each tick: the taskbar follows the countdown.
void FollowCountdownOnTaskbar(HWND window, const AppState& state);

inline constexpr const char* MainWindowClass = "TIMERZQV2010";

struct StartedProgram {
  HWND MainWindow = nullptr;  // none when start-up failed
  HACCEL Accelerators = nullptr;
};
// Registers the class, creates, centres and fills the main window, registers
// the tooltips and shows it (normal, or as the command line asks).
StartedProgram StartUp(HINSTANCE instance, int showCommand = SW_SHOWNORMAL);
int RunMessageLoop(const StartedProgram& program);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK MusicDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void SetupTooltips();
// Fits the tools' rectangles, the tip width and the tip font to the window as
// it is now laid out at this DPI.
void FitTooltips(UINT dpi);
void ReleaseTooltipFont();
// Hands a mouse move over the window's frame (WM_NCMOUSEMOVE) to the tooltips.
void RelayMenuBarMouseMove(LPARAM screenPoint);
