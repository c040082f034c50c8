// Test helper run beside Timer.exe under Wine: asks or does what the smoke
// test can't through X11. Exit codes: 0 yes / done, 1 no, 2 no such window.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  const HWND window = FindWindowA("TIMERZQV2010", nullptr);
  const HWND dialog = FindWindowA(nullptr, "Set folder for MP3 music files");
  const HWND box = FindWindowA("#32770", "Tovin's Timer");  // a message box
  const char* ask = argc > 1 ? argv[1] : "";
  if (std::strcmp(ask, "iconic") == 0) return window == nullptr ? 2 : IsIconic(window) ? 0 : 1;
  if (std::strcmp(ask, "close") == 0) return window && PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 2;
  if (std::strcmp(ask, "timer") == 0 && argc > 2)  // a Timer command with this entry
    return window && SetDlgItemTextA(window, 202, argv[2]) && PostMessageA(window, WM_COMMAND, 304, 0) ? 0 : 2;
  if (std::strcmp(ask, "message") == 0 && argc > 2) return dialog && SetDlgItemTextA(dialog, 203, argv[2]) ? 0 : 2;
  char text[256] = {};  // "box": prints the message box's text and presses OK
  if (std::strcmp(ask, "box") != 0 || box == nullptr) return 2;
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  std::printf("%s\n", text);
  return PostMessageA(box, WM_COMMAND, IDOK, 0) ? 0 : 2;
}
