// Balloon tooltips for every menu-bar item and four controls, registered once
// at start-up with one tooltip control.
#include "app/Tooltips.h"

#include <string>

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

HWND TooltipHandle() { return reinterpret_cast<HWND>(TheApp().State.TooltipWindow); }

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
  SendMessageA(tooltip, TTM_SETMAXTIPWIDTH, 0, TooltipMaxWidth);
  SendMessageA(tooltip, TTM_SETDELAYTIME, TTDT_INITIAL, TooltipInitialDelayMs);
}

void AddMenuItemTool(int toolId, int position, const std::string& text) {
  RECT rect = {};
  GetMenuItemRect(MainWindowHandle(), GetMenu(MainWindowHandle()), static_cast<UINT>(position), &rect);
  // The menu bar lies above the client area: negative vertical coordinates.
  AddTool(MenuToolFlags, static_cast<UINT_PTR>(toolId), ScreenToMainClient(rect), text);
}

void AddControlTool(int controlId, const std::string& text) {
  const HWND control = ItemWindow(controlId);
  RECT rect = {};
  GetWindowRect(control, &rect);
  const UINT flags = controlId > LastAreaControlId ? WindowToolFlags : MenuToolFlags;
  AddTool(flags, reinterpret_cast<UINT_PTR>(control), ScreenToMainClient(rect), text);
}
}  // namespace

void SetupTooltips() {
  const HMENU menu = GetMenu(MainWindowHandle());
  const int count = GetMenuItemCount(menu);
  int toolId = -1;
  for (int position = 0; position < count; ++position) {
    int id = static_cast<int>(GetMenuItemID(menu, position));
    if (id >= MenuTooltipIdLimit) continue;  // no tool, and the counter stays
    if (id == -1) id = position;             // an item that opens a pop-up
    ++toolId;
    AddMenuItemTool(toolId, position, MenuTooltipText(id));
  }
  for (const ControlTooltip& control : ControlTooltips) AddControlTool(control.Id, control.Text);
}
