// QSettings-backed settings store (see QtKeyValueStore.h). Every operation
// opens the file afresh, so a bad file costs one setting at most, never the
// program.
#include "QtKeyValueStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <cerrno>
#include <cstring>

namespace {
constexpr const char* KeyPrefix = "Software\\TimerZqv2010\\";

// A text value is stored as plain text when it is the usual NUL-terminated
// UTF-8 string, so the file stays readable; anything else keeps its bytes.
bool IsPlainText(std::string_view data) {
  if (data.empty() || data.back() != '\0') return false;
  const std::string_view body = data.substr(0, data.size() - 1);
  if (body.find('\0') != std::string_view::npos) return false;
  const QByteArray bytes(body.data(), static_cast<qsizetype>(body.size()));
  return QString::fromUtf8(bytes).toUtf8() == bytes;
}

// QSettings opens the file with a plain blocking open, and its writes follow
// a link to replace the link's target: a FIFO at the file's place would hang
// the program, a link to a device would be read or replaced. So only a
// regular file is read or rewritten (or none, which a write creates).
bool IsNoFileOrARegularOne(const QString& path) {
  struct stat st {};
  if (stat(QFile::encodeName(path).constData(), &st) != 0) return errno == ENOENT;
  return S_ISREG(st.st_mode);
}

// QSettings guards each write with a lock file that QLockFile fills in just
// after creating it. A writer killed in between leaves it empty, and every
// later write would then wait 30 seconds for it to age. An empty lock file
// is such a leftover (or a writer a moment from filling it in, which only
// costs the merge of two running copies' writes: the last one wins anyway).
void RemoveEmptyLockFile(const QString& path) {
  const QByteArray lock = QFile::encodeName(path + QStringLiteral(".lock"));
  struct stat st {};
  if (lstat(lock.constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0) unlink(lock.constData());
}

QString ValueKey(const QString& group, const std::string& valueName) {
  return group + QLatin1Char('/') + QString::fromStdString(valueName);
}
}  // namespace

QtKeyValueStore::QtKeyValueStore(QString iniPath) : path_(std::move(iniPath)) {}

QString QtKeyValueStore::DefaultPath() {
  QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
  return base + QStringLiteral("/TimerZqv2010/Timer.ini");
}

QString QtKeyValueStore::GroupOf(const std::string& keyPath) {
  std::string rest = keyPath;
  if (rest.rfind(KeyPrefix, 0) == 0) rest = rest.substr(std::strlen(KeyPrefix));
  QStringList parts = QString::fromStdString(rest).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
  return parts.join(QLatin1Char('/'));
}

bool QtKeyValueStore::CreateKey(const std::string& path, Key& key) {
  const QString group = GroupOf(path);
  if (group.isEmpty()) return false;
  key = next_++;
  open_[key] = group;
  return true;
}

bool QtKeyValueStore::SetValue(Key key, const std::string& valueName, std::string_view data) {
  const auto it = open_.find(key);
  if (it == open_.end() || !IsNoFileOrARegularOne(path_)) return false;
  RemoveEmptyLockFile(path_);
  QSettings settings(path_, QSettings::IniFormat);
  if (IsPlainText(data)) {
    settings.setValue(ValueKey(it->second, valueName), QString::fromUtf8(data.data(), data.size() - 1));
  } else {
    settings.setValue(ValueKey(it->second, valueName), QByteArray(data.data(), static_cast<qsizetype>(data.size())));
  }
  settings.sync();  // written now, atomically (QSaveFile), not at exit
  return settings.status() == QSettings::NoError;
}

bool QtKeyValueStore::OpenKey(const std::string& path, Key& key) {
  const QString group = GroupOf(path);
  if (group.isEmpty() || !IsNoFileOrARegularOne(path_)) return false;
  QSettings settings(path_, QSettings::IniFormat);
  settings.beginGroup(group);
  if (settings.allKeys().isEmpty()) return false;
  key = next_++;
  open_[key] = group;
  return true;
}

bool QtKeyValueStore::QueryValue(Key key, const std::string& valueName, char* buffer, std::uint32_t& size) {
  const auto it = open_.find(key);
  if (it == open_.end() || !IsNoFileOrARegularOne(path_)) return false;
  QSettings settings(path_, QSettings::IniFormat);
  const QVariant value = settings.value(ValueKey(it->second, valueName));
  QByteArray bytes;
  if (value.typeId() == QMetaType::QByteArray) {
    bytes = value.toByteArray();
  } else if (value.typeId() == QMetaType::QString) {
    bytes = value.toString().toUtf8();
    bytes.append('\0');  // text values carry their NUL, as they were written
  } else {
    return false;  // absent, or a list or other type nobody wrote here
  }
  if (static_cast<std::uint64_t>(bytes.size()) > size) return false;
  if (!bytes.isEmpty()) std::memcpy(buffer, bytes.constData(), static_cast<std::size_t>(bytes.size()));
  size = static_cast<std::uint32_t>(bytes.size());
  return true;
}

void QtKeyValueStore::CloseKey(Key key) { open_.erase(key); }
