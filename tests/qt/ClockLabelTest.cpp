// The clock repaints only what changed; after every kind of change what the
// screen shows is what a fresh clock with the same text, font, colours and
// size paints whole.
#include <QScreen>
#include <QTest>
#include <functional>

#include "ClockLabel.h"

class ClockLabelTest : public QObject {
  Q_OBJECT

  static QImage Fresh(const ClockLabel& shown) {
    ClockLabel fresh;
    fresh.setFont(shown.font());
    fresh.setPalette(shown.palette());
    fresh.resize(shown.size());
    fresh.SetText(shown.Text());
    return fresh.grab().toImage().convertToFormat(QImage::Format_RGB32);
  }
  static QImage OnScreen(QWidget& window, const ClockLabel& clock) {
    return window.screen()
        ->grabWindow(window.winId(), clock.x(), clock.y(), clock.width(), clock.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
  }

 private slots:
  void showsWhatAFreshClockPaintsAfterEachChange() {
    QWidget window;
    window.resize(240, 60);
    auto* clock = new ClockLabel(&window);
    clock->setGeometry(10, 10, 150, 30);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QPalette timerColours;
    timerColours.setColor(QPalette::Window, QColor(255, 255, 221));
    timerColours.setColor(QPalette::WindowText, QColor(0, 0, 170));
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"the first text", [&] { clock->SetText(QStringLiteral(" 9:59:58 am")); }},
        {"a digit", [&] { clock->SetText(QStringLiteral(" 9:59:59 am")); }},
        {"a wider text", [&] { clock->SetText(QStringLiteral("10:00:00 am")); }},
        {"am to pm", [&] { clock->SetText(QStringLiteral("10:00:00 pm")); }},
        {"a narrower text", [&] { clock->SetText(QStringLiteral(" 1:00:00 pm")); }},
        {"a shorter text", [&] { clock->SetText(QStringLiteral("1:00")); }},
        {"a font", [&] { clock->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 15)); }},
        {"colours", [&] { clock->setPalette(timerColours); }},
        {"a size", [&] { clock->resize(220, 40); }},
        {"a digit after them", [&] { clock->SetText(QStringLiteral("1:01")); }},
    };
    for (const auto& [change, make] : changes) {
      make();
      QTRY_VERIFY2(OnScreen(window, *clock) == Fresh(*clock), change);
    }
    // In the timer's colours behind the characters too, and centred.
    const QImage shown = OnScreen(window, *clock);
    QCOMPARE(shown.pixelColor(shown.width() / 2, 0), QColor(255, 255, 221));
    int left = shown.width(), right = 0;
    for (int y = 0; y < shown.height(); ++y) {
      for (int x = 0; x < shown.width(); ++x) {
        if (shown.pixelColor(x, y) != QColor(255, 255, 221)) left = std::min(left, x), right = std::max(right, x);
      }
    }
    QVERIFY2(std::abs(left - (shown.width() - 1 - right)) <= 3,
             qPrintable(QStringLiteral("%1 %2").arg(left).arg(right)));
  }
};

QTEST_MAIN(ClockLabelTest)
#include "ClockLabelTest.moc"
