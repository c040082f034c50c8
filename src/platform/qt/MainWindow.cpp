// The main window (see MainWindow.h). It only translates: every rule is in
// the core, reached through RunCommand, OnMouseWheel and the tick functions.
#include "MainWindow.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QGridLayout>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStyleHints>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <ctime>
#include <limits>

#include "Accessibility.h"
#include "ClockLabel.h"
#include "Look.h"
#include "MusicSettingsDialog.h"
#include "ShellRules.h"
#include "alarm/Countdown.h"
#include "app/App.h"
#include "app/Commands.h"
#include "app/Desktop.h"
#include "app/Ids.h"
#include "app/Text.h"
#include "app/Tooltips.h"
#include "music/Music.h"

namespace {
std::string ToText(const QString& text) { return text.toUtf8().toStdString(); }

// What a screen reader hears when the time box's entry is rejected.
const QString InvalidEntryText = QStringLiteral("Invalid entry");
constexpr int RejectFlashMs = 300;

// Qt reads "[*]" in a window title as the unsaved-changes mark; doubled, it
// stands for itself, so a song named with it keeps it.
const QString ModifiedMark = QStringLiteral("[*]");
QString EscapeTitle(QString text) { return text.replace(ModifiedMark, ModifiedMark + ModifiedMark); }
QString UnescapeTitle(QString text) { return text.replace(ModifiedMark + ModifiedMark, ModifiedMark); }

// A label that shows its text as written, never as markup.
QLabel* PlainLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setText(text);
  return label;
}

// Tooltip text broken into lines that fit the tooltip width.
QString WrappedTip(const char* text) {
  const QFontMetrics metrics(QToolTip::font());
  return WrapToWidth(QString::fromUtf8(text), TooltipMaxWidth,
                     [&metrics](const QString& line) { return metrics.horizontalAdvance(line); });
}
}  // namespace

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {
  InstallAccessibleFactory();
  setObjectName(QStringLiteral("mainWindow"));
  // A caption with a close box; no minimise or maximise box, no resizing.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(QString::fromUtf8(TimerCaption));
  PaintYellow(this);
  BuildMenu();
  BuildControls();

  tick_.setObjectName(QStringLiteral("tick"));
  tick_.setSingleShot(true);
  tick_.setTimerType(Qt::PreciseTimer);
  connect(&tick_, &QTimer::timeout, this, [this] {
    // Armed first: the alarm message box opens inside Tick(), and the ticks
    // (the clock, the next song) must go on while it is open.
    ArmTick();
    Tick();
  });
}

MainWindow::~MainWindow() { qApp->removeEventFilter(this); }

void MainWindow::BuildMenu() {
  menuBar_ = new QMenuBar(this);
  menuBar_->setObjectName(QStringLiteral("menuBar"));
  menuBar_->setNativeMenuBar(false);  // the bar belongs to the window
  KeepSystemColours(menuBar_);
  for (const MenuItem& item : MainMenuItems) {
    // A separator before the last item puts it at the right end of the bar.
    if (item.Id == MainMenuItems.back().Id) menuBar_->addSeparator();
    QAction* action = menuBar_->addAction(QString::fromUtf8(item.Label));
    action->setData(item.Id);
    action->setObjectName(QStringLiteral("menu%1").arg(item.Id));
    const int id = item.Id;
    // Read out as a word, not as two underscores; each item described by its tooltip.
    if (id == CmdMinimize) action->setProperty(AccessibleNameProperty, QStringLiteral("Minimize"));
    if (id < MenuTooltipIdLimit) action->setProperty(AccessibleDescriptionProperty, FromText(MenuTooltipText(id)));
    connect(action, &QAction::triggered, this, [this, id] {
      if (app_) RunCommand(*app_, id);
      ContinueMusicSoon();
    });
  }
  menuBar_->installEventFilter(this);  // tooltips of the bar's items
}

void MainWindow::BuildControls() {
  client_ = new QWidget(this);
  client_->setObjectName(QStringLiteral("client"));
  client_->setFont(TemplateFont());
  const DialogUnits du = UnitsOf(client_->font());
  MakeControls();
  const int width = PlaceControls(du);
  DescribeControls();
  setTabOrder(timeEdit_, timerButton_);

  rejectFlash_.setObjectName(QStringLiteral("rejectFlash"));
  rejectFlash_.setSingleShot(true);
  rejectFlash_.setInterval(RejectFlashMs);
  connect(&rejectFlash_, &QTimer::timeout, this, &MainWindow::EndRejectFlash);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(menuBar_);
  layout->addWidget(client_);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  client_->setFixedSize(width, du.Y(MainWindowArea.Height));
}

void MainWindow::MakeControls() {
  timeEdit_ = new QLineEdit(client_);
  timeEdit_->setObjectName(QStringLiteral("timeEdit"));
  timeEdit_->setAlignment(Qt::AlignCenter);
  timeEdit_->setAccessibleName(QStringLiteral("Time"));
  timeEdit_->setTextMargins(0, 0, 0, 0);
  connect(timeEdit_, &QLineEdit::textEdited, this, &MainWindow::OnTimeEdited);

  separator_ = PlainLabel(QString::fromUtf8(ControlOf(MainControls, -1).Label), client_);
  separator_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

  alarmDisplay_ = PlainLabel(QString(), client_);
  alarmDisplay_->setObjectName(QStringLiteral("alarmDisplay"));
  alarmDisplay_->setAccessibleName(QStringLiteral("Alarm"));
  alarmDisplay_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

  timerButton_ = new QPushButton(QString::fromUtf8(ControlOf(MainControls, IdTimerButton).Label), client_);
  timerButton_->setObjectName(QStringLiteral("timerButton"));
  timerButton_->setDefault(true);
  KeepSystemColours(timerButton_);
  connect(timerButton_, &QPushButton::clicked, this, [this] {
    if (app_) RunCommand(*app_, CmdStartTimer);
    ContinueMusicSoon();
  });

  // Drawn by itself, as plain text; a tick repaints only what changed.
  clock_ = new ClockLabel(client_);
  clock_->setObjectName(QStringLiteral("clock"));
  clock_->setAccessibleName(QStringLiteral("Clock"));
}

int MainWindow::PlaceControls(const DialogUnits& du) {
  // Ten typed digits fit the time box without scrolling; the rest of the row
  // moves right by whatever that adds to the template's width.
  const QRect edit = Pixels(du, ControlOf(MainControls, IdTimeEdit).Place);
  const int shift = std::max(edit.width(), TimeEditWidthFor(*timeEdit_)) - edit.width();
  for (const Control& control : MainControls) {
    const QRect where = Pixels(du, control.Place);
    Place(control.Id == -1 ? separator_ : Item(control.Id),
          control.Id == IdTimeEdit ? where.adjusted(0, 0, shift, 0) : where.translated(shift, 0));
  }
  // Wide enough for the whole menu bar, whatever the desktop's menu font.
  return std::max(du.X(MainWindowArea.Width) + shift, menuBar_->sizeHint().width());
}

void MainWindow::DescribeControls() {
  // Described by their tooltips' texts unwrapped, without the tooltips' line breaks.
  for (const ControlTooltip& tip : ControlTooltips) {
    if (QWidget* control = Item(tip.Id)) control->setAccessibleDescription(QString::fromUtf8(tip.Text));
  }
  announcement_ = new Announcement(client_);
}

void MainWindow::SetUpTooltips() {
  for (QAction* action : menuBar_->actions()) {
    if (action->isSeparator()) continue;
    const int id = action->data().toInt();
    if (id >= MenuTooltipIdLimit) continue;
    action->setToolTip(WrappedTip(MenuTooltipText(id).c_str()));
  }
  for (const ControlTooltip& tip : ControlTooltips) {
    if (QWidget* control = Item(tip.Id)) control->setToolTip(WrappedTip(tip.Text));
  }
}

// What the first paint does not need waits until it is done: the drawn icon
// and the wrapped tooltips cost a good part of the start-up otherwise.
void MainWindow::FinishDecorating() {
  if (decorated_) return;
  decorated_ = true;
  setWindowIcon(TimerIcon());
  SetUpTooltips();
}

void MainWindow::Start(App& app, bool ownTicks) {
  app_ = &app;
  StartApp(app);
  adjustSize();
  CenterOnScreen(this);
  ReadyTimeBox();
  StopBlinkingWhenIdle();
  qApp->installEventFilter(this);
  if (ownTicks) ArmTick();
}

void MainWindow::ReadyTimeBox() {
  // Set after the stored text is in place: it bounds typing only.
  typingLimit_ = TimeEditTypingLimit;
  // Typing at once replaces the stored entry: "20" and Enter mean 20.
  timeEdit_->selectAll();
  timeEdit_->setFocus(Qt::OtherFocusReason);
}

void MainWindow::StopBlinkingWhenIdle() {
  // As in GTK programs, the cursor stops blinking after ten seconds without
  // input, so a window left focused all through a countdown repaints nothing.
  flashTime_ = QGuiApplication::styleHints()->cursorFlashTime();
  blinkTimeout_.setObjectName(QStringLiteral("cursorBlinkTimeout"));
  blinkTimeout_.setSingleShot(true);
  blinkTimeout_.setInterval(10000);
  blinkTimeout_.setTimerType(Qt::VeryCoarseTimer);
  connect(&blinkTimeout_, &QTimer::timeout, this, [] { QGuiApplication::styleHints()->setCursorFlashTime(0); });
  KeepCursorBlinking();
}

void MainWindow::Tick() {
  if (!app_) return;
  ::Tick(*app_);
  ContinueMusicSoon();
  if (afterTick_) afterTick_();
}

void MainWindow::ContinueMusicSoon() {
  if (!app_ || !app_->State.StartPending || continueMusic_.isActive()) return;
  if (!continueMusic_.isSingleShot()) {
    continueMusic_.setSingleShot(true);
    connect(&continueMusic_, &QTimer::timeout, this, [this] {
      if (app_ && ContinueSongStart(*app_)) continueMusic_.start(0);
    });
  }
  continueMusic_.start(0);
}

void MainWindow::ArmTick() {
  // Only the millisecond within the second matters: no time zone to look up.
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tick_.start(MsUntilNextTick(static_cast<int>(now.tv_nsec / 1000000)));
}

void MainWindow::OnTimeEdited(const QString& text) {
  if (typingLimit_ > 0) {
    if (const auto limited = LimitTyping(lastTimeText_, text, typingLimit_)) {
      timeEdit_->setText(limited->Text);
      timeEdit_->setCursorPosition(limited->Cursor);
    }
  }
  lastTimeText_ = timeEdit_->text();
}

QWidget* MainWindow::Item(int id) const {
  switch (id) {
    case IdTimeEdit:
      return timeEdit_;
    case IdTimerButton:
      return timerButton_;
    case IdAlarmDisplay:
      return alarmDisplay_;
    case IdClock:
      return clock_;
    default:
      return nullptr;
  }
}

QAction* MainWindow::MenuAction(int commandId) const {
  for (QAction* action : menuBar_->actions()) {
    if (!action->isSeparator() && action->data().toInt() == commandId) return action;
  }
  return nullptr;
}

void MainWindow::SetCaption(const std::string& text) {
  const QString previous = UnescapeTitle(windowTitle());
  setWindowTitle(EscapeTitle(FromText(text)));
  // No name change is sent for the frame: Qt 6.4 sends the object where the
  // name belongs, which Orca cannot read. What matters is announced; the
  // rest is read when the user asks for the title.
  if (!app_) return;
  const AppState& s = app_->State;
  const std::int64_t left = std::clamp<std::int64_t>(SecondsToAlarm(s), 0, std::numeric_limits<std::int32_t>::max());
  const QString timeLeft = s.AlarmTime == -1 ? QString() : FromText(CountdownText(static_cast<std::int32_t>(left)));
  const QString said = CaptionAnnouncement(previous, FromText(text), FromText(s.CaptionText), timeLeft);
  if (!said.isEmpty()) announcement_->Announce(said);
}

std::string MainWindow::Caption() { return ToText(UnescapeTitle(windowTitle())); }

void MainWindow::SetItemText(int id, const std::string& text) {
  const QString value = FromText(text);
  if (id == IdTimeEdit) {
    timeEdit_->setText(value);
    lastTimeText_ = value;
  } else if (id == IdClock) {
    clock_->SetText(value);
  } else if (auto* label = qobject_cast<QLabel*>(Item(id))) {
    label->setText(value);
  } else if (id == IdTimerButton) {
    timerButton_->setText(value);
  }
}

std::string MainWindow::ItemText(int id) {
  if (id == IdTimeEdit) return ToText(timeEdit_->text());
  if (id == IdClock) return ToText(clock_->Text());
  if (auto* label = qobject_cast<QLabel*>(Item(id))) return ToText(label->text());
  if (id == IdTimerButton) return ToText(timerButton_->text());
  return {};
}

bool MainWindow::IsMinimized() { return isMinimized(); }

void MainWindow::Notice(const std::string& text) {
  // A box owned by a minimised window could stay hidden with it; the alarm
  // message must be seen.
  FinishDecorating();
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(ProgramName), FromText(text), QMessageBox::Ok,
                  isMinimized() ? nullptr : this);
  box.setObjectName(QStringLiteral("notice"));
  box.setTextFormat(Qt::PlainText);
  box.setWindowIcon(windowIcon());
  // Room for the whole caption beside the title bar's icon and buttons,
  // however short the message.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    grid->addItem(new QSpacerItem(NoticeMinimumWidth(box.windowTitle()), 0), grid->rowCount(), 0, 1,
                  grid->columnCount());
  }
  box.show();
  box.raise();
  box.activateWindow();
  box.exec();
}

void MainWindow::Beep() {
  QApplication::beep();
  // Most Linux desktops keep the bell silent: the time box flashes in the
  // selection colours, and a screen reader is told.
  QPalette flashed = timeEdit_->palette();
  flashed.setColor(QPalette::Base, flashed.color(QPalette::Highlight));
  flashed.setColor(QPalette::Text, flashed.color(QPalette::HighlightedText));
  timeEdit_->setPalette(flashed);
  rejectFlash_.start();
  announcement_->Announce(InvalidEntryText);
}

void MainWindow::EndRejectFlash() {
  timeEdit_->setPalette(QPalette());  // the window's colours again
  announcement_->Withdraw(InvalidEntryText);
}

int MainWindow::FocusedItem() {
  QWidget* focused = focusWidget();
  if (focused == timeEdit_) return IdTimeEdit;
  if (focused == timerButton_) return IdTimerButton;
  return 0;
}

void MainWindow::FocusItem(int id) {
  // A plain focus change: the time box keeps its text unselected.
  if (QWidget* control = Item(id)) control->setFocus(Qt::OtherFocusReason);
}

void MainWindow::Minimize() { showMinimized(); }

void MainWindow::OpenMusicDialog() {
  if (!app_ || musicDialog_) return;
  MusicSettingsDialog dialog(*app_, this);
  musicDialog_ = &dialog;
  dialog.exec();  // ticks keep arriving in its loop
  musicDialog_ = nullptr;
}

bool MainWindow::IsOurs(QObject* watched) const {
  auto* widget = qobject_cast<QWidget*>(watched);
  return widget && widget->window() == this;
}

bool MainWindow::HandleKey(QObject* watched, QEvent* event) {
  // The accelerators belong to the main window's own loop: never inside a
  // message box or the music settings dialog.
  if (!app_ || QApplication::activeModalWidget() || !IsOurs(watched)) return false;
  // While the menu bar holds the keyboard (after Alt) its keys are its own:
  // Enter and Space run the highlighted item, letters its mnemonics.
  if (watched == menuBar_) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  const auto command = AcceleratorCommand(key->key(), key->modifiers(), key->text());
  if (!command) return false;
  if (event->type() == QEvent::ShortcutOverride) {
    key->accept();  // ours, not a shortcut's (Alt+T is also the button's mnemonic)
    return true;
  }
  RunCommand(*app_, *command);
  ContinueMusicSoon();
  return true;
}

bool MainWindow::HandleWheel(QObject* watched, QEvent* event) {
  if (!app_) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget) return false;
  QWidget* top = widget->window();
  if (top != this && (!musicDialog_ || top != musicDialog_)) return false;
  auto* wheel = static_cast<QWheelEvent*>(event);
  const int delta = wheel->angleDelta().y();
  if (delta == 0) return true;  // no turn, no step (touchpad phases, sideways)
  OnMouseWheel(*app_, wheel->modifiers().testFlag(Qt::ControlModifier), delta > 0);
  return true;
}

void MainWindow::KeepCursorBlinking() {
  if (flashTime_ <= 0) return;
  QStyleHints* hints = QGuiApplication::styleHints();
  if (hints->cursorFlashTime() == 0) hints->setCursorFlashTime(flashTime_);
  blinkTimeout_.start();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::KeyPress || type == QEvent::MouseButtonPress || type == QEvent::Wheel || type == QEvent::FocusIn)
    KeepCursorBlinking();
  switch (type) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
      return HandleKey(watched, event);
    case QEvent::Wheel:
      return HandleWheel(watched, event);
    case QEvent::Paint:
      if (watched == this && !decorated_) QTimer::singleShot(0, this, &MainWindow::FinishDecorating);
      return false;
    case QEvent::ToolTip:
      FinishDecorating();
      if (watched == menuBar_) {
        auto* help = static_cast<QHelpEvent*>(event);
        QAction* action = menuBar_->actionAt(help->pos());
        if (action && !action->toolTip().isEmpty() && !action->isSeparator()) {
          QToolTip::showText(help->globalPos(), action->toolTip(), menuBar_, menuBar_->actionGeometry(action));
        } else {
          QToolTip::hideText();
        }
        return true;
      }
      return false;
    default:
      return false;
  }
}
