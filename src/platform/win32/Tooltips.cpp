// Balloon tooltips for every menu-bar item and four controls, with one
// tooltip control: registered at start-up, fitted again to the window at each
// change of DPI.
#include "app/Tooltips.h"

#include <string>

#include "Dpi.h"
#include "Shell.h"
#include "Win32.h"

namespace {
// TTF_CENTERTIP | TTF_SUBCLASS | TTF_TRANSPARENT, plus TTF_IDISHWND for the
// controls that are tools of their own (entry box and Timer button).
constexpr UINT MenuToolFlags = 0x0112;
constexpr UINT WindowToolFlags = 0x0113;
// Controls above this id are tools of their own; the others are areas of
// the main window, since static texts take no mouse input.
constexpr int LastAreaControlId = 201;
constexpr const char* TooltipFontProperty = "TimerTooltipFont";

HWND TooltipHandle() { return TheHandles().TooltipWindow; }

std::wstring ToWide(const std::string& text) {
  std::wstring wide;
  wide.reserve(text.size());
  for (const char c : text) wide.push_back(static_cast<unsigned char>(c));  // the texts are plain ASCII
  return wide;
}

RECT ScreenToMainClient(RECT rect) {
  POINT topLeft{rect.left, rect.top};
  POINT bottomRight{rect.right, rect.bottom};
  ScreenToClient(MainWindowHandle(), &topLeft);
  ScreenToClient(MainWindowHandle(), &bottomRight);
  return {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

void AddTool(UINT flags, UINT_PTR toolId, const RECT& rect, const std::string& text) {
  std::wstring wide = ToWide(text);
  TTTOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;  // the fields up to the application value
  tool.uFlags = flags;
  tool.hwnd = MainWindowHandle();
  tool.uId = toolId;
  tool.rect = rect;
  tool.hinst = nullptr;
  tool.lpszText = wide.data();
  tool.lParam = 0;
  const HWND tooltip = TooltipHandle();
  SetWindowPos(tooltip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));  // the control keeps a copy
  SendMessageA(tooltip, TTM_SETMAXTIPWIDTH, 0, ScaleToDpi(TooltipMaxWidth, WindowDpi(MainWindowHandle())));
  SendMessageA(tooltip, TTM_SETDELAYTIME, TTDT_INITIAL, TooltipInitialDelayMs);
}

void SetToolRect(UINT_PTR toolId, const RECT& rect) {
  TTTOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = MainWindowHandle();
  tool.uId = toolId;
  tool.rect = rect;
  SendMessageW(TooltipHandle(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
}

// The item's rectangle in client coordinates; the menu bar lies above the
// client area, so its vertical coordinates are negative.
RECT MenuItemRect(int position) {
  RECT rect = {};
  GetMenuItemRect(MainWindowHandle(), GetMenu(MainWindowHandle()), static_cast<UINT>(position), &rect);
  return ScreenToMainClient(rect);
}

RECT ControlRect(HWND control) {
  RECT rect = {};
  GetWindowRect(control, &rect);
  return ScreenToMainClient(rect);
}

// Calls back (tool id, menu position, command id) for each menu-bar item
// that has a tool.
template <typename Visit>
void ForEachMenuTool(Visit visit) {
  const HMENU menu = GetMenu(MainWindowHandle());
  const int count = GetMenuItemCount(menu);
  int toolId = -1;
  for (int position = 0; position < count; ++position) {
    int id = static_cast<int>(GetMenuItemID(menu, position));
    if (id >= MenuTooltipIdLimit) continue;  // no tool, and the counter stays
    if (id == -1) id = position;             // an item that opens a pop-up
    ++toolId;
    visit(toolId, position, id);
  }
}
}  // namespace

void SetupTooltips() {
  ForEachMenuTool([](int toolId, int position, int id) {
    AddTool(MenuToolFlags, static_cast<UINT_PTR>(toolId), MenuItemRect(position), MenuTooltipText(id));
  });
  for (const ControlTooltip& control : ControlTooltips) {
    const HWND window = ItemWindow(control.Id);
    const UINT flags = control.Id > LastAreaControlId ? WindowToolFlags : MenuToolFlags;
    AddTool(flags, reinterpret_cast<UINT_PTR>(window), ControlRect(window), control.Text);
  }
}

void FitTooltips(UINT dpi) {
  ForEachMenuTool(
      [](int toolId, int position, int) { SetToolRect(static_cast<UINT_PTR>(toolId), MenuItemRect(position)); });
  for (const ControlTooltip& control : ControlTooltips) {
    const HWND window = ItemWindow(control.Id);
    SetToolRect(reinterpret_cast<UINT_PTR>(window), ControlRect(window));
  }
  const HWND tooltip = TooltipHandle();
  SendMessageA(tooltip, TTM_SETMAXTIPWIDTH, 0, ScaleToDpi(TooltipMaxWidth, dpi));
  // The system's tooltip font, at the window's DPI.
  const LOGFONTW font = NonClientMetricsForDpi(dpi).lfStatusFont;
  if (const HFONT made = CreateFontIndirectW(&font); made != nullptr) {
    SendMessageW(tooltip, WM_SETFONT, reinterpret_cast<WPARAM>(made), FALSE);
    ReleaseTooltipFont();
    SetPropA(MainWindowHandle(), TooltipFontProperty, made);
  }
}

void ReleaseTooltipFont() {
  if (const HANDLE font = RemovePropA(MainWindowHandle(), TooltipFontProperty); font != nullptr) DeleteObject(font);
}

void RelayMenuBarMouseMove(LPARAM screenPoint) {
  // A tooltip that subclasses the window sees only the client area's mouse
  // moves; over the menu bar the window gets WM_NCMOUSEMOVE in screen
  // coordinates, passed on here as the move in client coordinates it is.
  POINT point = {static_cast<short>(LOWORD(screenPoint)), static_cast<short>(HIWORD(screenPoint))};
  ScreenToClient(MainWindowHandle(), &point);
  MSG message = {};
  message.hwnd = MainWindowHandle();
  message.message = WM_MOUSEMOVE;
  message.lParam = MAKELPARAM(point.x, point.y);
  message.time = static_cast<DWORD>(GetMessageTime());
  GetCursorPos(&message.pt);
  SendMessageW(TooltipHandle(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
}
