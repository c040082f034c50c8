// Detached program start through QProcess (see QtLauncher.h).
#include "QtLauncher.h"

#include <QProcess>
#include <QString>

#include "StreamIdentity.h"

bool QtLauncher::Launch(const std::string& program) {
  // A program name, optionally followed by its arguments.
  QStringList words = QProcess::splitCommand(QString::fromStdString(program));
  if (words.isEmpty()) return false;
  QProcess process;
  process.setProgram(words.takeFirst());
  process.setArguments(words);
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  ForgetSoundEnvironment(environment);
  process.setProcessEnvironment(environment);
  return process.startDetached();
}
