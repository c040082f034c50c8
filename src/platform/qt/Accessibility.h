// What a screen reader learns of the program beyond Qt's defaults: the window
// as a frame named by its caption, the texts the clock and alarm display show,
// the menu bar's items with names and descriptions, and spoken announcements.
#pragma once

#include <QLabel>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "app/Ports.h"

// Dynamic properties of a menu-bar action: what a screen reader reads for it,
// where its label would mean nothing spoken ("__") and its tooltip.
inline constexpr char AccessibleNameProperty[] = "accessibleName";
inline constexpr char AccessibleDescriptionProperty[] = "accessibleDescription";

// A label that is a hint about a control without naming it: a screen reader
// reads it with that control, not as a description of the whole window.
class HintLabel : public QLabel {
  Q_OBJECT
 public:
  HintLabel(QWidget* control, QWidget* parent) : QLabel(parent), control_(control) {}
  QWidget* Control() const { return control_; }

 private:
  QPointer<QWidget> control_;
};

// Has Qt build our accessible interfaces for our widgets; runs once, however
// often it is called.
void InstallAccessibleFactory();

// A notification for screen readers, without room on screen: Qt 6.4 has no
// announcement event, and its AT-SPI bridge drops Alert events, but an object
// with the notification role that turns "showing" is read out at once.
class Announcement : public QWidget {
  Q_OBJECT
 public:
  explicit Announcement(QWidget* parent);
  // Says the text, even when the same text was said last.
  void Announce(const QString& text);
  void Withdraw();
  // Withdraws it only while it still says this text.
  void Withdraw(const QString& text);
  // What it says: its accessible name.
  QString Text() const { return text_; }

 private:
  QString text_;
};

// "Time is up!", and the alarm message after it when there is one.
QString AlarmAnnouncement(const std::string& message);

// The alarm told to a screen reader as well as through the desktop's
// notifications.
class SpokenAlarmNotifier : public AlarmNotifier {
 public:
  SpokenAlarmNotifier(Announcement& announcement, AlarmNotifier& desktop)
      : announcement_(&announcement), desktop_(desktop) {}
  void ShowAlarm(const std::string& message) override;
  void WithdrawAlarm() override;

 private:
  QPointer<Announcement> announcement_;
  AlarmNotifier& desktop_;
};
