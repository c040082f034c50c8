// Test helper run beside Timer.exe under Wine: tells whether its main window
// is minimised (which X11 can't show without a window manager), counts its
// tooltips, and closes it the way its close box does.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {
struct ToolSearch {
  DWORD process;
  HWND tooltip;
};

// The program's tooltip control: a top-level window of its process.
BOOL CALLBACK FindTooltip(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ToolSearch*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  if (process == search->process && std::strcmp(className, "tooltips_class32") == 0) {
    search->tooltip = window;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

// Exit codes: 0 yes / done, 1 no, 2 no window, 3 bad usage.
int main(int argc, char** argv) {
  if (argc != 2) return 3;
  const HWND window = FindWindowA("TIMERZQV2010", nullptr);
  if (window == nullptr) return 2;
  if (std::strcmp(argv[1], "iconic") == 0) return IsIconic(window) ? 0 : 1;
  if (std::strcmp(argv[1], "visible") == 0) return IsWindowVisible(window) ? 0 : 1;
  if (std::strcmp(argv[1], "tools") == 0) {  // prints how many tooltips are registered
    ToolSearch search = {0, nullptr};
    GetWindowThreadProcessId(window, &search.process);
    EnumWindows(FindTooltip, reinterpret_cast<LPARAM>(&search));
    if (search.tooltip == nullptr) return 1;
    std::printf("%d\n", static_cast<int>(SendMessageA(search.tooltip, 0x040D /* TTM_GETTOOLCOUNT */, 0, 0)));
    return 0;
  }
  if (std::strcmp(argv[1], "close") == 0) {
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
  }
  return 3;
}
