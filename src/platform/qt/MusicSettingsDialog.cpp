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
#include "ShellRules.h"
#include "app/App.h"
#include "app/Desktop.h"
#include "app/Ids.h"
#include "settings/MusicDialog.h"

namespace {
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

  // Template order, which is also the tab order.
  std::map<int, QWidget*> made;
  for (const Control& control : MusicControls) {
    const int id = control.Id;
    const QString text = QString::fromUtf8(control.Label);
    QWidget* widget = nullptr;
    switch (control.Kind) {
      case ControlKind::Edit:
        widget = folderEdit_ = new QLineEdit(this);
        folderEdit_->setObjectName(QStringLiteral("folderEdit"));
        folderEdit_->setAlignment(Qt::AlignCenter);
        break;
      case ControlKind::TextArea:
        widget = messageEdit_ = new QPlainTextEdit(this);
        messageEdit_->setObjectName(QStringLiteral("messageEdit"));
        messageEdit_->setTabChangesFocus(true);
        messageEdit_->installEventFilter(this);  // Enter never breaks the message's line
        messageEdit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        break;
      case ControlKind::Check: {
        auto* check = new QCheckBox(text, this);
        check->setObjectName(QStringLiteral("check%1").arg(id));
        connect(check, &QCheckBox::clicked, this, [this, id] { Command(id); });
        widget = buttons_[id] = check;
        break;
      }
      case ControlKind::Label: {
        // Each text field is named by its label for a screen reader; the
        // wheel's hint belongs with the Volume button, not to the whole window.
        const bool hint = buttons_.count(control.Names) != 0;
        QLabel* label = hint ? new HintLabel(made[control.Names], this) : new QLabel(this);
        if (!hint) label->setBuddy(made[control.Names]);
        label->setTextFormat(Qt::PlainText);
        label->setText(text);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setWordWrap(true);
        widget = label;
        break;
      }
      default: {
        auto* button = new QPushButton(text, this);
        button->setObjectName(QStringLiteral("button%1").arg(id));
        button->setAutoDefault(false);  // no default button: Enter is handled in keyPressEvent
        KeepSystemColours(button);
        connect(button, &QPushButton::clicked, this, [this, id] { Command(id); });
        widget = buttons_[id] = button;
      }
    }
    Place(widget, Pixels(du, control.Place));
    made[id] = widget;
  }

  setFixedSize(du.X(MusicDialogArea.Width), du.Y(MusicDialogArea.Height));
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
