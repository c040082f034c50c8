// The main window of the Linux program: the menu bar, one row of controls,
// the one-second tick and the keys and wheel of the accelerator table.
#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "app/Ports.h"

struct App;
struct DialogUnits;
class Announcement;
class ClockLabel;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QAction;

class MainWindow : public QWidget, public MainWindowView {
  Q_OBJECT
 public:
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  // Start-up: the first clock reading, centring, the stored settings, the
  // typing limit, the keys and wheel. ownTicks false leaves ticking to the
  // caller (tests drive Tick() themselves).
  void Start(App& app, bool ownTicks = true);

  // One timer tick: the clock (which keeps music going), then the countdown,
  // then what else follows the countdown (the launcher's progress).
  void Tick();
  void SetAfterTick(std::function<void()> afterTick) { afterTick_ = std::move(afterTick); }

  QMenuBar* MenuBar() const { return menuBar_; }
  QLineEdit* TimeEdit() const { return timeEdit_; }
  QPushButton* TimerButton() const { return timerButton_; }
  QWidget* Item(int id) const;
  QAction* MenuAction(int commandId) const;
  // The open music settings dialog, if any.
  QWidget* MusicDialog() const { return musicDialog_; }
  // What a screen reader is told: the alarm, a rejected entry.
  Announcement* Announcer() const { return announcement_; }

  // MainWindowView
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

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenu();
  void BuildControls();
  void MakeControls();
  // Returns the client area's width.
  int PlaceControls(const DialogUnits& du);
  void DescribeControls();
  void ReadyTimeBox();
  void StopBlinkingWhenIdle();
  void SetUpTooltips();
  void FinishDecorating();
  void ArmTick();
  void ContinueMusicSoon();
  void OnTimeEdited(const QString& text);
  bool HandleKey(QObject* watched, QEvent* event);
  bool HandleWheel(QObject* watched, QEvent* event);
  bool IsOurs(QObject* watched) const;
  void KeepCursorBlinking();
  void EndRejectFlash();

  App* app_ = nullptr;
  QMenuBar* menuBar_ = nullptr;
  QWidget* client_ = nullptr;
  QLineEdit* timeEdit_ = nullptr;
  QPushButton* timerButton_ = nullptr;
  QLabel* separator_ = nullptr;
  QLabel* alarmDisplay_ = nullptr;
  ClockLabel* clock_ = nullptr;
  Announcement* announcement_ = nullptr;
  QTimer rejectFlash_{this};  // the time box's flash for a rejected entry
  QTimer tick_{this};
  QTimer continueMusic_{this};  // a song start's next tries, once the window has answered
  QString lastTimeText_;
  int typingLimit_ = 0;  // 0: not yet limited
  QPointer<QWidget> musicDialog_;
  bool decorated_ = false;  // the icon and tooltips, set after the first paint
  QTimer blinkTimeout_{this};
  int flashTime_ = 0;  // the desktop's cursor flash time; 0: no blinking at all
  std::function<void()> afterTick_;
};
