// Detached program start through QProcess (see QtLauncher.h).
#include "QtLauncher.h"

#include <QProcess>
#include <QString>

bool QtLauncher::Launch(const std::string& program) {
  if (program.empty()) return false;
  return QProcess::startDetached(QString::fromStdString(program), {});
}
