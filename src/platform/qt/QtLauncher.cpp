// Detached program start through QProcess (see QtLauncher.h).
#include "QtLauncher.h"

#include <QProcess>
#include <QString>

bool QtLauncher::Launch(const std::string& program) {
  // A program name, optionally followed by its arguments.
  QStringList words = QProcess::splitCommand(QString::fromStdString(program));
  if (words.isEmpty()) return false;
  const QString name = words.takeFirst();
  return QProcess::startDetached(name, words);
}
