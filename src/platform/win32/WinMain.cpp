// The Windows program's entry: the one app object with the Windows adapters,
// then start-up and the message loop.
#include "MciSoundChannel.h"
#include "RegistryKeyValueStore.h"
#include "Shell.h"
#include "ShellFolderChooser.h"
#include "Views.h"
#include "Win32.h"
#include "Win32Adapters.h"

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
}  // namespace

App& TheApp() { return TheProgram().app; }
ShellFolderChooser& TheFolderChooser() { return TheProgram().chooser; }
ShellLauncher& TheLauncher() { return TheProgram().launcher; }

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const StartedProgram program = StartUp(instance);
  if (program.MainWindow == nullptr) return 0;
  return RunMessageLoop(program);
}
