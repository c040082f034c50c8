// The Windows program's entry: the command line, the one app object with the
// Windows adapters, then start-up and the message loop.
#include <string>
#include <vector>

#include "MciSoundChannel.h"
#include "RegistryKeyValueStore.h"
#include "Shell.h"
#include "ShellFolderChooser.h"
#include "Views.h"
#include "Win32.h"
#include "Win32Adapters.h"
#include "app/CommandLine.h"
#include "app/Ids.h"

namespace {
struct Program {
  Win32MainWindowView window;
  MciSoundChannel sound;
  RegistryKeyValueStore store;
  ShellUserFolders folders;
  Win32FolderListing listing;
  Win32Clock clock;
  WinmmOutputVolume volume;
  ResourceTuneStore tunes;
  ShellLauncher launcher;
  ShellFolderChooser chooser;
  App app{AppState{}, Ports{window, sound, store, folders, listing, clock, volume, tunes, launcher, chooser}};
};

Program& TheProgram() {
  static Program program;
  return program;
}

// The arguments after the program's name, split as Windows programs split them,
// in the program's code page as every other text of it.
std::vector<std::string> CommandLineArguments() {
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; words != nullptr && i < count; ++i) {
    const int size = WideCharToMultiByte(CP_ACP, 0, words[i], -1, nullptr, 0, nullptr, nullptr);
    std::string text(size > 1 ? static_cast<std::size_t>(size) : 1, '\0');
    if (size > 1) WideCharToMultiByte(CP_ACP, 0, words[i], -1, text.data(), size, nullptr, nullptr);
    text.resize(text.size() - 1);
    arguments.push_back(text);
  }
  LocalFree(words);
  return arguments;
}

// Every copy's main window is told the Stop command, as its menu would.
BOOL CALLBACK StopCopy(HWND window, LPARAM stopped) {
  char name[32] = {};
  if (GetClassNameA(window, name, sizeof name) == 0 || lstrcmpA(name, MainWindowClass) != 0) return TRUE;
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutA(window, WM_COMMAND, CmdStop, 0, SMTO_ABORTIFHUNG, 5000, &answer) != 0)
    ++*reinterpret_cast<int*>(stopped);
  return TRUE;
}

// What ends without a window: the help, the version, an error, /stop.
int Finish(const LaunchRequest& request) {
  if (request.Action == LaunchAction::Stop) {
    int stopped = 0;
    EnumWindows(StopCopy, reinterpret_cast<LPARAM>(&stopped));
    return stopped > 0 ? 0 : 1;
  }
  const UINT icon = request.Action == LaunchAction::Fail ? MB_ICONERROR : MB_ICONINFORMATION;
  MessageBoxA(nullptr, request.Text.c_str(), ProgramName, MB_OK | icon | MB_SETFOREGROUND);
  return request.ExitStatus;
}
}  // namespace

App& TheApp() { return TheProgram().app; }
ShellFolderChooser& TheFolderChooser() { return TheProgram().chooser; }
ShellLauncher& TheLauncher() { return TheProgram().launcher; }

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const LaunchRequest request =
      DecideLaunch(ReadArguments(CommandLineArguments(), true), {"Timer.exe", true, TIMER_VERSION});
  if (request.Action != LaunchAction::Open) return Finish(request);
  const StartedProgram program = StartUp(instance, request.Minimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
  if (program.MainWindow == nullptr) return 0;
  ApplyLaunch(TheApp(), request);
  return RunMessageLoop(program);
}
