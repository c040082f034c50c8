// The settings store of the Linux program: one INI file written with
// QSettings, one group per setting key holding the value "String Value".
#pragma once

#include <QString>
#include <map>

#include "app/Ports.h"

class QtKeyValueStore : public KeyValueStore {
 public:
  // The INI file's full path; DefaultPath() gives the usual one.
  explicit QtKeyValueStore(QString iniPath);
  // $XDG_CONFIG_HOME/TimerZqv2010/Timer.ini (XDG_CONFIG_HOME defaults to ~/.config).
  static QString DefaultPath();
  const QString& Path() const { return path_; }

  bool CreateKey(const std::string& path, Key& key) override;
  bool SetValue(Key key, const std::string& valueName, std::string_view data) override;
  bool OpenKey(const std::string& path, Key& key) override;
  bool QueryValue(Key key, const std::string& valueName, char* buffer, std::uint32_t& size) override;
  void CloseKey(Key key) override;

  // The INI group of a key path: "Software\TimerZqv2010\Time" -> "Time".
  static QString GroupOf(const std::string& keyPath);

 private:
  QString path_;
  std::map<Key, QString> open_;  // handle -> group
  Key next_ = 1;
};
