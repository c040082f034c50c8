// The real main window wired to the fakes of every other port, and a helper
// that deals with modal windows from inside their own loops.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "Fakes.h"
#include "MainWindow.h"
#include "app/Ids.h"

struct WindowRig {
  TestApp fakes;
  MainWindow window;
  App app{AppState{}, Ports{window, fakes.sound, fakes.store, fakes.folders, fakes.listing, fakes.clock, fakes.volume,
                            fakes.tunes, fakes.launcher, fakes.chooser}};

  // Ticks are driven by the test unless `timers`; the clock is the fake one.
  // `prepare` sets up the fakes before the window starts.
  explicit WindowRig(const std::function<void(TestApp&)>& prepare = {}, bool timers = false) {
    fakes.clock.Set(10, 0, 0);
    fakes.launcher.startable = {"pavucontrol"};
    if (prepare) prepare(fakes);
    window.Start(app, timers);
    window.show();
    // The tooltips are set once the window has first been painted.
    [[maybe_unused]] const bool decorated =
        QTest::qWaitFor([this] { return !window.Item(IdClock)->toolTip().isEmpty(); });
  }
};

// Runs `act` on the first modal window that opens (inside its own loop),
// then makes sure it closes. Polls with a zero-length timer, so it needs no
// sleeping.
class ModalHandler : public QObject {
 public:
  explicit ModalHandler(std::function<void(QWidget*)> act) : act_(std::move(act)) {
    connect(&poll_, &QTimer::timeout, this, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal || !modal->isVisible()) return;
      poll_.stop();
      seen = true;
      act_(modal);
      if (modal->isVisible()) modal->close();
    });
    poll_.start(0);
  }
  bool seen = false;

 private:
  std::function<void(QWidget*)> act_;
  QTimer poll_;
};
