// The clock repaints only the characters that changed; after every kind of change what the
// screen shows is what a fresh clock with the same text, font, colours and
// size paints whole.
#include <QScreen>
#include <QTest>

#include "ClockLabel.h"

struct PaintedRegion : QObject {  // what the watched widget's paints covered
  QRegion region;
  bool eventFilter(QObject*, QEvent* e) override {
    return e->type() == QEvent::Paint ? region += static_cast<QPaintEvent*>(e)->region(), false : false;
  }
};

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
    PaintedRegion painted;
    clock->installEventFilter(&painted);
    // A text to show, or one of the other changes: "font", "colours", "size".
    for (const char* change : {" 9:59:58 am", " 9:59:59 am", "10:00:00 am" /* wider */, "10:00:00 pm",
                               " 1:00:00 pm" /* narrower */, "1:00", "font", "colours", "size", "1:01"}) {
      const QString what = QString::fromLatin1(change);
      painted.region = QRegion();
      what == "font"      ? clock->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 15))
      : what == "colours" ? clock->setPalette(timerColours)
      : what == "size"    ? clock->resize(220, 40)
                          : clock->SetText(what);
      QTRY_VERIFY2(OnScreen(window, *clock) == Fresh(*clock), change);
      if (what == " 9:59:59 am" || what == "1:01") {  // only the changed digit's place is repainted
        const QChar digit = what.at(what == "1:01" ? 3 : 7);
        QCOMPARE(painted.region.boundingRect().width(), clock->fontMetrics().horizontalAdvance(digit));
      }
    }
    // In the timer's colours behind the characters too, and centred.
    const QImage shown = OnScreen(window, *clock);
    QCOMPARE(shown.pixelColor(shown.width() / 2, 0), QColor(255, 255, 221));
    int left = shown.width(), right = 0;
    for (int i = 0; i < shown.width() * shown.height(); ++i)
      if (shown.pixelColor(i % shown.width(), i / shown.width()) != QColor(255, 255, 221))
        left = std::min(left, i % shown.width()), right = std::max(right, i % shown.width());
    QCOMPARE_LE(std::abs(left - (shown.width() - 1 - right)), 3);  // the margins left and right
  }
};

QTEST_MAIN(ClockLabelTest)
#include "ClockLabelTest.moc"
