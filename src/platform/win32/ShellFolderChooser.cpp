// SHBrowseForFolderA with a callback that selects the folder in force and
// sets the caption, applied at start and for the first few callbacks only,
// so that the user's own clicks are then left alone.
#include "ShellFolderChooser.h"

#include "Win32.h"
#include "settings/MusicDialog.h"

namespace {
// How often the initial selection may be applied in one browse.
constexpr int MaxSelectionApplications = 5;
// BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_NEWDIALOGSTYLE | BIF_UAHINT | BIF_NONEWFOLDERBUTTON
constexpr UINT BrowseFlags = 0x345;

int BrowseCallbackCount = 0;
std::string BrowseStartFolder;

int CALLBACK BrowseCallback(HWND browseWindow, UINT message, LPARAM, LPARAM) {
  if (message == BFFM_INITIALIZED || BrowseCallbackCount < MaxSelectionApplications) {
    SendMessageA(browseWindow, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(BrowseStartFolder.c_str()));
    SetWindowTextA(browseWindow, FolderChooserTitle);
    ++BrowseCallbackCount;
  }
  return 0;
}
}  // namespace

std::optional<std::string> ShellFolderChooser::ChooseFolder(const std::string& current) {
  BrowseCallbackCount = 0;
  BrowseStartFolder = current;
  char displayName[MAX_PATH] = {};
  BROWSEINFOA request = {};
  request.hwndOwner = reinterpret_cast<HWND>(owner_);
  request.pidlRoot = nullptr;
  request.pszDisplayName = displayName;
  request.lpszTitle = FolderChooserPrompt;
  request.ulFlags = BrowseFlags;
  // With no folder in force the shell's own start and caption are kept.
  request.lpfn = current.empty() ? nullptr : BrowseCallback;
  request.lParam = 0;

  CoInitialize(nullptr);
  std::optional<std::string> chosen;
  if (PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&request)) {
    char path[MAX_PATH] = {};
    // An item without a file-system path (a virtual folder) counts as Cancel,
    // so the folder in force stays a usable path.
    if (SHGetPathFromIDListA(item, path)) chosen = std::string(path);
    CoTaskMemFree(item);
  }
  CoUninitialize();
  return chosen;
}
