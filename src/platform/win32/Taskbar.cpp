// The taskbar button during a countdown: its progress (ITaskbarList3), and at
// the alarm the error state and a flashing button until the music stops.
#include "Shell.h"
// clang-format off
#include <shobjidl.h>
// clang-format on
#include "app/Progress.h"

namespace {
// Made at the first countdown; without a taskbar (Windows 7's first, Wine)
// only the flashing is left.
ITaskbarList3* TheTaskbarList() {
  static ITaskbarList3* list = [] {
    ITaskbarList3* made = nullptr;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void**>(&made))))
      return static_cast<ITaskbarList3*>(nullptr);
    if (FAILED(made->HrInit())) {
      made->Release();
      return static_cast<ITaskbarList3*>(nullptr);
    }
    return made;
  }();
  return list;
}

void Flash(HWND window, bool on) {
  FLASHWINFO flash = {sizeof flash, window, on ? DWORD{FLASHW_ALL | FLASHW_TIMER} : DWORD{FLASHW_STOP}, 0, 0};
  FlashWindowEx(&flash);
}
}  // namespace

bool ShowOnTaskbar(HWND window, const TaskProgress& progress) {
  Flash(window, progress.Urgent);
  ITaskbarList3* list = TheTaskbarList();
  if (list == nullptr) return false;
  const TBPFLAG state = progress.Urgent ? TBPF_ERROR : progress.Visible ? TBPF_NORMAL : TBPF_NOPROGRESS;
  HRESULT result = list->SetProgressState(window, state);
  if (SUCCEEDED(result) && progress.Visible) result = list->SetProgressValue(window, progress.PerMille, 1000);
  return SUCCEEDED(result);
}

void FollowCountdownOnTaskbar(HWND window, const AppState& state) {
  static ProgressWatch watch;
  if (const auto shown = WatchProgress(watch, state)) ShowOnTaskbar(window, *shown);
}
