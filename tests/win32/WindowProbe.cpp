// Test helper run beside Timer.exe under Wine: tells whether its main window
// is minimised (which X11 can't show without a window manager), and closes
// it the way its close box does.
#include <windows.h>

#include <cstdio>
#include <cstring>

// Exit codes: 0 yes / done, 1 no, 2 no window, 3 bad usage.
int main(int argc, char** argv) {
  if (argc != 2) return 3;
  const HWND window = FindWindowA("TIMERZQV2010", nullptr);
  if (window == nullptr) return 2;
  if (std::strcmp(argv[1], "iconic") == 0) return IsIconic(window) ? 0 : 1;
  if (std::strcmp(argv[1], "visible") == 0) return IsWindowVisible(window) ? 0 : 1;
  if (std::strcmp(argv[1], "close") == 0) {
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
  }
  return 3;
}
