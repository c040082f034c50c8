// The main window procedure: each message is handed to one handler, and the
// handlers only translate into the core's operations.
#include <cstdint>

#include "Dpi.h"
#include "Shell.h"
#include "Views.h"
#include "Win32.h"
#include "app/Commands.h"
#include "app/Ids.h"
#include "music/Music.h"

namespace {
constexpr const char* TimerFailedText = "Sorry, but I couldn't set up the Windows TIMER properly.";
// A song start's next tries: a timer's message comes after the keys and
// clicks waiting, so the window answers between two goes.
constexpr UINT_PTR ContinueMusicTimerId = TimerId + 1;

void ContinueMusicSoon(HWND window) {
  if (TheApp().State.StartPending) SetTimer(window, ContinueMusicTimerId, USER_TIMER_MINIMUM, nullptr);
}

void OnCreate(HWND window) {
  if (SetTimer(window, TimerId, TimerPeriodMs, nullptr) == 0) {
    AppNotice(TimerFailedText);
    ExitProcess(0);  // without the tick there is no timer to offer
  }
  SetProgramIcons(window);
}

void OnDestroy(HWND window) {
  ReleaseLayoutFont(window);
  ReleaseTooltipFont();
  if (BackgroundBrushHandle() != nullptr) DeleteObject(BackgroundBrushHandle());
  KillTimer(MainWindowHandle(), TimerId);
  PostQuitMessage(0);
}

void OnEraseBackground(HWND window, HDC deviceContext) {
  RECT client;
  GetClientRect(window, &client);
  FillRect(deviceContext, &client, BackgroundBrushHandle());
}

void OnMouseWheelMessage(WPARAM wParam) {
  // The sign of the delta in the high word is the sign of the whole 32 bits.
  const bool up = static_cast<std::int32_t>(static_cast<std::uint32_t>(wParam)) > 0;
  const bool ctrl = (LOWORD(wParam) & MK_CONTROL) != 0;
  OnMouseWheel(TheApp(), ctrl, up);
}

// An edit control (Wine's at least) keeps the wheel to itself; the program's
// wheel steps the minutes or the volume over every control alike.
LRESULT CALLBACK WheelToMainWindow(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (message == WM_MOUSEWHEEL) {
    SendMessageA(MainWindowHandle(), WM_MOUSEWHEEL, wParam, lParam);
    return 0;
  }
  return DefSubclassProc(control, message, wParam, lParam);
}

// The control that had the focus when the window was last deactivated.
HWND focusWhenInactive = nullptr;

// Activation puts the focus back where it was, the time box at first (by
// default the window itself would take it, and typing would go nowhere).
// Returns false when the default handling is to run.
bool OnActivate(HWND window, WPARAM wParam) {
  if (LOWORD(wParam) == WA_INACTIVE) {
    const HWND focus = GetFocus();
    if (focus != nullptr && IsChild(window, focus)) focusWhenInactive = focus;
    return false;
  }
  if (HIWORD(wParam) != 0) return false;  // minimised
  const bool known = focusWhenInactive != nullptr && IsChild(window, focusWhenInactive);
  SetFocus(known ? focusWhenInactive : GetDlgItem(window, IdTimeEdit));
  return true;
}

// The new DPI in the high word; the system suggests the window's new place,
// whose corner is kept while the size follows the layout.
void OnDpiChanged(HWND window, WPARAM wParam, LPARAM lParam) {
  const UINT dpi = HIWORD(wParam);
  const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
  const POINT topLeft = {suggested.left, suggested.top};
  LayOutForDpi(window, MainTemplateName, dpi, &topLeft);
  FitTooltips(dpi);
}

void OnTimer() {
  Tick(TheApp());
  FollowCountdownOnTaskbar(MainWindowHandle(), TheApp().State);
}
}  // namespace

HBRUSH ColourControl(HDC deviceContext) {
  SetBkColor(deviceContext, BackgroundColour);
  SetTextColor(deviceContext, TextColour);
  return BackgroundBrushHandle();
}

int AppMessageBox(const std::string& text, UINT flags) {
  return MessageBoxA(MainWindowHandle(), text.c_str(), ProgramName, flags);
}

void AppNotice(const std::string& text) { AppMessageBox(text, MB_OK | MB_SETFOREGROUND); }

void SetItemText(int id, const std::string& text) { SetDlgItemTextA(MainWindowHandle(), id, text.c_str()); }

HWND ItemWindow(int id) { return GetDlgItem(MainWindowHandle(), id); }

std::string WindowText(HWND window) {
  if (window == nullptr) return {};
  const int length = GetWindowTextLengthA(window);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(window, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

void PassWheelToMainWindow(HWND control) {
  if (control != nullptr) SetWindowSubclass(control, WheelToMainWindow, 0, 0);
}

void SetProgramIcons(HWND window) {
  const HICON icon = LoadIconA(GetModuleHandleA(nullptr), IconName);
  SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(window);
      break;
    case WM_DESTROY:
      OnDestroy(window);
      break;
    case WM_SYSCOMMAND:
      // The whole value is compared, as the close box, the system menu and
      // ALT+F4 send it.
      if (wParam == SC_CLOSE) {
        DestroyWindow(MainWindowHandle());
        return 0;
      }
      break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WmCtlColorLegacy:
      return reinterpret_cast<LRESULT>(ColourControl(reinterpret_cast<HDC>(wParam)));
    case WM_ERASEBKGND:
      OnEraseBackground(window, reinterpret_cast<HDC>(wParam));
      break;
    case WM_COMMAND:
      RunCommand(TheApp(), LOWORD(wParam));
      ContinueMusicSoon(window);
      break;
    case WM_MOUSEWHEEL:
      OnMouseWheelMessage(wParam);
      return 0;
    case WM_TIMER:
      if (wParam == ContinueMusicTimerId) {
        KillTimer(window, ContinueMusicTimerId);
        ContinueSongStart(TheApp());
      } else {
        OnTimer();
      }
      ContinueMusicSoon(window);
      return 0;
    case WmDpiChanged:
      OnDpiChanged(window, wParam, lParam);
      return 0;
    case WM_NCMOUSEMOVE:
      RelayMenuBarMouseMove(lParam);
      break;
    case WM_ACTIVATE:
      if (OnActivate(window, wParam)) return 0;
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// The main window's controls for the core.

void Win32MainWindowView::SetCaption(const std::string& text) { SetWindowTextA(MainWindowHandle(), text.c_str()); }

std::string Win32MainWindowView::Caption() { return WindowText(MainWindowHandle()); }

void Win32MainWindowView::SetItemText(int id, const std::string& text) { ::SetItemText(id, text); }

std::string Win32MainWindowView::ItemText(int id) { return WindowText(ItemWindow(id)); }

// A window not shown yet counts as minimised too: the clock label first shows
// the time at the first tick.
bool Win32MainWindowView::IsMinimized() {
  return IsIconic(MainWindowHandle()) != FALSE || IsWindowVisible(MainWindowHandle()) == FALSE;
}

void Win32MainWindowView::Notice(const std::string& text) { AppNotice(text); }

void Win32MainWindowView::Beep() { MessageBeep(MB_OK); }

int Win32MainWindowView::FocusedItem() {
  const HWND focus = GetFocus();
  if (focus == nullptr) return 0;
  for (const int id : {IdTimeEdit, IdTimerButton}) {
    if (ItemWindow(id) == focus) return id;
  }
  return 0;
}

void Win32MainWindowView::FocusItem(int id) { SetFocus(ItemWindow(id)); }

void Win32MainWindowView::Minimize() { ShowWindow(MainWindowHandle(), SW_SHOWMINIMIZED); }

void Win32MainWindowView::OpenMusicDialog() {
  // A template that can't be loaded simply opens nothing.
  DialogBoxParamA(GetModuleHandleA(nullptr), MusicDialogTemplateName, MainWindowHandle(), MusicDialogProc, 0);
}
