// The music settings dialog's procedure and its controls for the core; the
// rules of the dialog are the core's.
#include "settings/MusicDialog.h"

#include "Dpi.h"
#include "Shell.h"
#include "ShellFolderChooser.h"
#include "Views.h"
#include "Win32.h"
#include "app/Ids.h"

namespace {
INT_PTR OnInitDialog(HWND dialog) {
  Win32MusicDialogView view(dialog);
  MusicDialogInit(TheApp(), view);
  SetProgramIcons(dialog);
  for (const int id : {IdFolderEdit, IdMessageEdit}) PassWheelToMainWindow(GetDlgItem(dialog, id));
  // Laid out here, as the main window is, rather than scaled by the system.
  TakeOverDialogScaling(dialog);
  LayOutForDpi(dialog, MusicDialogTemplateName, WindowDpi(dialog));
  CenterOnScreen(dialog, true);
  return TRUE;  // the system puts the focus on the first tab stop
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
  // Only clicks count: the whole wParam is the id, with notification code 0.
  if (wParam > 0xFFFF) return FALSE;
  Win32MusicDialogView view(dialog);
  TheFolderChooser().SetOwner(reinterpret_cast<std::uintptr_t>(dialog));
  if (MusicDialogCommand(TheApp(), view, static_cast<int>(wParam))) {
    EndDialog(dialog, 0);
    return TRUE;
  }
  return FALSE;
}

INT_PTR OnDestroy(HWND dialog) {
  // The controls still hold their texts here, however the dialog was closed.
  Win32MusicDialogView view(dialog);
  MusicDialogClosing(TheApp(), view);
  ReleaseLayoutFont(dialog);
  return TRUE;
}
}  // namespace

INT_PTR CALLBACK MusicDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(dialog);
    case WM_COMMAND:
      return OnCommand(dialog, wParam);
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WmCtlColorLegacy:
      return reinterpret_cast<INT_PTR>(ColourControl(reinterpret_cast<HDC>(wParam)));
    case WM_MOUSEWHEEL:
      // Over the dialog the wheel acts as over the main window.
      SendMessageA(MainWindowHandle(), WM_MOUSEWHEEL, wParam, lParam);
      return 0;
    case WM_DESTROY:
      return OnDestroy(dialog);
    case WmDpiChanged: {
      const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
      const POINT topLeft = {suggested.left, suggested.top};
      LayOutForDpi(dialog, MusicDialogTemplateName, HIWORD(wParam), &topLeft);
      return TRUE;
    }
    default:
      return 0;
  }
}

std::string Win32MusicDialogView::FolderText() { return WindowText(GetDlgItem(dialog_, IdFolderEdit)); }

void Win32MusicDialogView::SetFolderText(const std::string& text) {
  SetDlgItemTextA(dialog_, IdFolderEdit, text.c_str());
}

std::string Win32MusicDialogView::MessageText() { return WindowText(GetDlgItem(dialog_, IdMessageEdit)); }

void Win32MusicDialogView::SetMessageText(const std::string& text) {
  SetDlgItemTextA(dialog_, IdMessageEdit, text.c_str());
}

void Win32MusicDialogView::SetChecked(int id, bool checked) {
  SendDlgItemMessageA(dialog_, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}
