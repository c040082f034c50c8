// The music settings dialog's rules: what it shows, what its buttons do, and
// how it takes the folder and the alarm message over. There is no Cancel.
#pragma once

#include <string>

struct App;
class MusicDialogView;

inline constexpr const char* MusicDialogTitle = "Set folder for MP3 music files";
inline constexpr const char* FolderChooserTitle = "Folder for MP3 Songs";
inline constexpr const char* FolderChooserPrompt = "Which mp3 songs do you want to hear?";

// Fills the controls when the dialog opens.
void MusicDialogInit(App& app, MusicDialogView& dialog);
// A button or check box; returns true when the dialog is to close.
bool MusicDialogCommand(App& app, MusicDialogView& dialog, int id);
// However the dialog closes: takes the message and the folder over.
void MusicDialogClosing(App& app, MusicDialogView& dialog);
void SaveFolderFromDialog(App& app, MusicDialogView& dialog);
void BrowseForMusicFolder(App& app, MusicDialogView& dialog);
// The folder as the folder box shows it: without one trailing separator,
// except for a root folder.
std::string FolderForDisplay(const std::string& folder);
