// The music settings dialog (see MusicSettingsDialog.h): laid out in dialog
// units; what its controls do is the core's dialog logic.
#include "MusicSettingsDialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "Accessibility.h"
#include "Look.h"
#include "app/App.h"
#include "app/Ids.h"
#include "settings/MusicDialog.h"

namespace {
QString FromText(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool IsEnter(const QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const int key = static_cast<const QKeyEvent*>(event)->key();
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// A typed "~" or "~/..." means the home folder, as in a shell.
QString WithHome(const QString& folder) {
  if (folder == QStringLiteral("~") || folder.startsWith(QStringLiteral("~/"))) return QDir::homePath() + folder.mid(1);
  return folder;
}
}  // namespace

MusicSettingsDialog::MusicSettingsDialog(App& app, QWidget* parent) : QDialog(parent), app_(app) {
  setObjectName(QStringLiteral("musicDialog"));
  setWindowTitle(QString::fromUtf8(MusicDialogTitle));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setWindowIcon(TimerIcon());
  setFont(TemplateFont());
  PaintYellow(this);
  const DialogUnits du = UnitsOf(font());

  auto addButton = [&](int id, const char* text, QRect where) {
    auto* button = new QPushButton(QString::fromUtf8(text), this);
    button->setObjectName(QStringLiteral("button%1").arg(id));
    button->setAutoDefault(false);  // no default button: Enter is handled in keyPressEvent
    KeepSystemColours(button);
    Place(button, where);
    buttons_[id] = button;
    connect(button, &QPushButton::clicked, this, [this, id] { Command(id); });
  };
  auto addCheck = [&](int id, const char* text, QRect where) {
    auto* check = new QCheckBox(QString::fromUtf8(text), this);
    check->setObjectName(QStringLiteral("check%1").arg(id));
    Place(check, where);
    buttons_[id] = check;
    connect(check, &QCheckBox::clicked, this, [this, id] { Command(id); });
  };
  auto addLabel = [&](const char* text, QRect where, QWidget* hintFor = nullptr) {
    QLabel* label = hintFor ? new HintLabel(hintFor, this) : new QLabel(this);
    label->setTextFormat(Qt::PlainText);
    label->setText(QString::fromUtf8(text));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    Place(label, where);
    return label;
  };

  // Template order, which is also the tab order.
  addButton(IdBrowseButton, "&Browse", du.ToPixels(179, 8, 36, 15));
  folderEdit_ = new QLineEdit(this);
  folderEdit_->setObjectName(QStringLiteral("folderEdit"));
  folderEdit_->setAlignment(Qt::AlignCenter);
  Place(folderEdit_, du.ToPixels(3, 14, 167, 10));
  messageEdit_ = new QPlainTextEdit(this);
  messageEdit_->setObjectName(QStringLiteral("messageEdit"));
  messageEdit_->setTabChangesFocus(true);
  messageEdit_->installEventFilter(this);  // Enter never breaks the message's line
  messageEdit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Place(messageEdit_, du.ToPixels(42, 32, 173, 20));
  addButton(IdPlayButton, "&Play music", du.ToPixels(3, 60, 50, 20));
  addButton(IdStopButton, "&Stop music", du.ToPixels(56, 60, 50, 20));
  addButton(IdVolumeButton, "&Volume", du.ToPixels(172, 60, 44, 20));
  addCheck(IdSubfoldersCheck, "Play music from subfolders too", du.ToPixels(4, 86, 146, 8));
  addCheck(IdInternalMusicCheck, "Use internal music instead of MP3 songs", du.ToPixels(4, 98, 151, 8));
  // Each text field is named by its label for a screen reader.
  addLabel("Alarm message", du.ToPixels(3, 33, 38, 18))->setBuddy(messageEdit_);
  addLabel("Folder for MP3 songs:", du.ToPixels(22, 5, 129, 8))->setBuddy(folderEdit_);
  addButton(IdDoneButton, "&Done", du.ToPixels(172, 86, 44, 20));
  // The wheel's hint belongs with the Volume button, not to the whole window.
  addLabel("Or CTRL + mousewheel", du.ToPixels(121, 62, 49, 18), buttons_[IdVolumeButton]);

  setFixedSize(du.X(219), du.Y(112));
  MusicDialogInit(app_, *this);
  CenterOnScreen(this);
  buttons_[IdBrowseButton]->setFocus();  // the first tab stop
}

void MusicSettingsDialog::keyPressEvent(QKeyEvent* event) {
  if (!IsEnter(event)) {
    QDialog::keyPressEvent(event);
    return;
  }
  // As in a Windows dialog: Enter presses the push button with the focus;
  // anywhere else it would press the default button, and there is none.
  if (auto* button = qobject_cast<QPushButton*>(focusWidget())) button->click();
  event->accept();
}

bool MusicSettingsDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == messageEdit_ && IsEnter(event)) {
    event->accept();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

QAbstractButton* MusicSettingsDialog::Button(int id) const {
  const auto it = buttons_.find(id);
  return it == buttons_.end() ? nullptr : it->second;
}

void MusicSettingsDialog::Command(int id) {
  if (MusicDialogCommand(app_, *this, id)) reject();
}

void MusicSettingsDialog::reject() {
  // Runs once, while the controls still hold what was typed.
  if (!closed_) {
    closed_ = true;
    MusicDialogClosing(app_, *this);
  }
  QDialog::reject();
}

std::string MusicSettingsDialog::FolderText() { return QFile::encodeName(WithHome(folderEdit_->text())).toStdString(); }

void MusicSettingsDialog::SetFolderText(const std::string& text) {
  folderEdit_->setText(QFile::decodeName(QByteArray::fromStdString(text)));
}

std::string MusicSettingsDialog::MessageText() { return messageEdit_->toPlainText().toUtf8().toStdString(); }

void MusicSettingsDialog::SetMessageText(const std::string& text) { messageEdit_->setPlainText(FromText(text)); }

void MusicSettingsDialog::SetChecked(int id, bool checked) {
  if (auto* check = qobject_cast<QCheckBox*>(Button(id))) check->setChecked(checked);
}
