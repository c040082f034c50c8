// The main window and the music settings dialog as the core sees them.
#pragma once

#include "Win32.h"
#include "app/Ports.h"

class Win32MainWindowView : public MainWindowView {
 public:
  void SetCaption(const std::string& text) override;
  std::string Caption() override;
  void SetItemText(int id, const std::string& text) override;
  std::string ItemText(int id) override;
  bool IsMinimized() override;
  void Notice(const std::string& text) override;
  void Beep() override;
  int FocusedItem() override;
  void FocusItem(int id) override;
  void Minimize() override;
  void OpenMusicDialog() override;
};

class Win32MusicDialogView : public MusicDialogView {
 public:
  explicit Win32MusicDialogView(HWND dialog) : dialog_(dialog) {}
  std::string FolderText() override;
  void SetFolderText(const std::string& text) override;
  std::string MessageText() override;
  void SetMessageText(const std::string& text) override;
  void SetChecked(int id, bool checked) override;

 private:
  HWND dialog_;
};
