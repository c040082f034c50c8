// The folder chooser: a folders-only file dialog with the program's title and
// question, opening on the folder in force and offering no new-folder button.
#pragma once

#include <QDialog>
#include <QPointer>

#include "app/Ports.h"

class QFileDialog;
class QWidget;

// The chooser window: the question above an embedded folders-only file dialog.
class FolderChooserDialog : public QDialog {
  Q_OBJECT
 public:
  FolderChooserDialog(QWidget* parent, const QString& current);
  QFileDialog* Files() const { return files_; }
  // The chosen folder once the dialog was accepted.
  QString ChosenFolder() const;

 private:
  QFileDialog* files_;
};

class QtFolderChooser : public FolderChooser {
 public:
  // parent() gives the window the chooser is modal to (the music dialog).
  std::optional<std::string> ChooseFolder(const std::string& current) override;
  void SetParent(QWidget* parent) { parent_ = parent; }

 private:
  QPointer<QWidget> parent_;
};
