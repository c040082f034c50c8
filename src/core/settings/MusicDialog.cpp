// Music settings dialog logic, shared by both desktops.
#include "settings/MusicDialog.h"

#include "app/App.h"
#include "app/Ids.h"
#include "app/Platform.h"
#include "app/Text.h"
#include "music/Music.h"
#include "settings/Settings.h"
#include "settings/Volume.h"

std::string FolderForDisplay(const std::string& folder) {
  if (folder.empty() || folder.back() != PathSeparator) return folder;
#ifndef _WIN32
  if (folder == "/") return folder;  // the root stays a usable folder
#endif
  return folder.substr(0, folder.size() - 1);
}

void MusicDialogInit(App& app, MusicDialogView& dialog) {
  dialog.SetFolderText(FolderForDisplay(app.State.MP3Folder));
  dialog.SetMessageText(app.State.AlarmMessage);
  dialog.SetChecked(IdInternalMusicCheck, app.State.UseMidi);
  dialog.SetChecked(IdSubfoldersCheck, app.State.SubfoldersOn);
}

void SaveFolderFromDialog(App& app, MusicDialogView& dialog) {
  const std::string text = dialog.FolderText();
  if (text != app.State.MP3Folder) {
    app.State.MP3Folder = text;
    WriteSetting(app.Port.Store, SettingMP3Folder.Name, text);
  }
  std::string& folder = app.State.MP3Folder;
  if (!folder.empty() && folder.back() != PathSeparator) folder += PathSeparator;
}

bool MusicDialogCommand(App& app, MusicDialogView& dialog, int id) {
  AppState& s = app.State;
  switch (id) {
    case IdDoneButton:
      return true;
    case IdBrowseButton:
      BrowseForMusicFolder(app, dialog);
      break;
    case IdInternalMusicCheck:
      s.UseMidi = !s.UseMidi;
      dialog.SetChecked(IdInternalMusicCheck, s.UseMidi);
      WriteSetting(app.Port.Store, SettingUseMidi.Name, FlagText(s.UseMidi));
      break;
    case IdSubfoldersCheck:
      s.SubfoldersOn = !s.SubfoldersOn;
      dialog.SetChecked(IdSubfoldersCheck, s.SubfoldersOn);
      WriteSetting(app.Port.Store, SettingSubfoldersOn.Name, FlagText(s.SubfoldersOn));
      break;
    case IdPlayButton:
      SaveFolderFromDialog(app, dialog);  // a typed folder plays at once
      StartMusic(app);
      break;
    case IdStopButton:
      StopMusic(app);
      break;
    case IdVolumeButton:
      OpenVolumeMixer(app);
      break;
    default:
      break;
  }
  return false;
}

void MusicDialogClosing(App& app, MusicDialogView& dialog) {
  app.State.AlarmMessage = TrimBlanks(dialog.MessageText());
  SaveFolderFromDialog(app, dialog);
  WriteSetting(app.Port.Store, SettingMP3Folder.Name, app.State.MP3Folder);
}

void BrowseForMusicFolder(App& app, MusicDialogView& dialog) {
  const auto chosen = app.Port.Chooser.ChooseFolder(app.State.MP3Folder);
  if (!chosen) return;  // Cancel changes nothing
  app.State.MP3Folder = *chosen;
  dialog.SetFolderText(*chosen);
  WriteSetting(app.Port.Store, SettingMP3Folder.Name, *chosen);
}
