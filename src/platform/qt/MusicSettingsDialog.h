// The music settings dialog: folder, music source, subfolders and the alarm
// message. There is no Cancel: Done, Escape and the close box all keep what
// was typed. Enter presses the focused push button and nothing else.
#pragma once

#include <QDialog>
#include <map>

#include "app/Ports.h"

struct App;
class QAbstractButton;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

class MusicSettingsDialog : public QDialog, public MusicDialogView {
  Q_OBJECT
 public:
  MusicSettingsDialog(App& app, QWidget* parent);

  QLineEdit* FolderEdit() const { return folderEdit_; }
  QPlainTextEdit* MessageEdit() const { return messageEdit_; }
  QAbstractButton* Button(int id) const;

  // MusicDialogView
  std::string FolderText() override;
  void SetFolderText(const std::string& text) override;
  std::string MessageText() override;
  void SetMessageText(const std::string& text) override;
  void SetChecked(int id, bool checked) override;

 public slots:
  // Done, Escape and the close box all end here.
  void reject() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Command(int id);

  App& app_;
  QLineEdit* folderEdit_;
  QPlainTextEdit* messageEdit_;
  std::map<int, QAbstractButton*> buttons_;
  bool closed_ = false;
};
