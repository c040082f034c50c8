// The floor for the start-up benchmark: the least a Qt Widgets program can
// show (one window, one label), built against the same Qt as the timer.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QLabel window(QStringLiteral("12:00:00 am"));
  window.setWindowTitle(QStringLiteral("Bare window"));
  window.show();
  return QApplication::exec();
}
