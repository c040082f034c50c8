// Folder chooser over QFileDialog (see QtFolderChooser.h).
#include "QtFolderChooser.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QVBoxLayout>

#include "settings/MusicDialog.h"

FolderChooserDialog::FolderChooserDialog(QWidget* parent, const QString& current)
    : QDialog(parent), files_(new QFileDialog(this)) {
  setWindowTitle(QString::fromUtf8(FolderChooserTitle));
  setObjectName(QStringLiteral("folderChooser"));
  auto* prompt = new QLabel(this);
  prompt->setTextFormat(Qt::PlainText);
  prompt->setText(QString::fromUtf8(FolderChooserPrompt));
  prompt->setObjectName(QStringLiteral("prompt"));

  // Qt's own dialog, so that its new-folder button can be taken away.
  files_->setWindowFlags(Qt::Widget);
  files_->setOption(QFileDialog::DontUseNativeDialog, true);
  files_->setOption(QFileDialog::ShowDirsOnly, true);
  files_->setOption(QFileDialog::ReadOnly, true);
  files_->setFileMode(QFileDialog::Directory);
  files_->setAcceptMode(QFileDialog::AcceptOpen);
  files_->setLabelText(QFileDialog::Accept, QStringLiteral("&Choose"));
  if (auto* newFolder = files_->findChild<QAbstractButton*>(QStringLiteral("newFolderButton"))) newFolder->hide();
  if (!current.isEmpty() && QDir(current).exists()) files_->setDirectory(current);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(prompt);
  layout->addWidget(files_);
  connect(files_, &QFileDialog::finished, this, &QDialog::done);
}

QString FolderChooserDialog::ChosenFolder() const {
  const QStringList chosen = files_->selectedFiles();
  return chosen.isEmpty() ? QString() : chosen.first();
}

std::optional<std::string> QtFolderChooser::ChooseFolder(const std::string& current) {
  QWidget* owner = parent_ ? parent_.data() : QApplication::activeModalWidget();
  FolderChooserDialog dialog(owner, QFile::decodeName(QByteArray::fromStdString(current)));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QString folder = dialog.ChosenFolder();
  if (folder.isEmpty()) return std::nullopt;
  return QFile::encodeName(QDir::cleanPath(folder)).toStdString();
}
