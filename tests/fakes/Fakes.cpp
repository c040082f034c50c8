// Test doubles for the ports.
#include "Fakes.h"

#include <algorithm>
#include <cctype>

#include "alarm/Countdown.h"
#include "app/Platform.h"

void FakeClock::Set(int hour, int minute, int second) { seconds_ = (hour * 60 + minute) * 60 + second; }

void FakeClock::SetSeconds(std::int32_t secondsOfDay) { seconds_ = secondsOfDay; }

void FakeClock::Advance(std::int32_t seconds) {
  seconds_ = ((seconds_ + seconds) % 86400 + 86400) % 86400;
  if (counter) *counter += static_cast<std::uint64_t>(seconds) * 1000003u;
  milliseconds += static_cast<std::uint32_t>(seconds) * 1000u;
}

LocalTime FakeClock::Now() { return {seconds_ / 3600, seconds_ / 60 % 60, seconds_ % 60}; }

void FakeMainWindowView::SetCaption(const std::string& text) {
  caption = text;
  captions.push_back(text);
  if (onCaption) onCaption(text);
}

void FakeMainWindowView::SetItemText(int id, const std::string& text) { items[id] = text; }

std::string FakeMainWindowView::ItemText(int id) {
  const auto it = items.find(id);
  return it == items.end() ? std::string() : it->second;
}

void FakeMainWindowView::Notice(const std::string& text) {
  notices.push_back(text);
  if (onNotice) onNotice();
}

void FakeSoundChannel::Close() {
  log.push_back("close");
  isOpen = false;
  ended = false;
  openPath.clear();
}

void FakeSoundChannel::Open(const std::string& path) {
  log.push_back("open " + path);
  if (isOpen || path.empty() || unplayable.count(path) != 0) return;  // alias in use, or cannot open
  isOpen = true;
  ended = endsAtOnce.count(path) != 0;
  openPath = path;
}

void FakeSoundChannel::Play() { log.push_back("play"); }

std::string FakeSoundChannel::Mode() {
  log.push_back("status");
  if (!isOpen) return {};
  return ended ? "stopped" : "playing";
}

void FakeSoundChannel::FinishSong() { ended = true; }

bool MemoryKeyValueStore::CreateKey(const std::string& path, Key& key) {
  keys[path];
  key = next_++;
  openKeys[key] = path;
  return true;
}

bool MemoryKeyValueStore::SetValue(Key key, const std::string& valueName, std::string_view data) {
  const auto it = openKeys.find(key);
  if (it == openKeys.end()) return false;
  keys[it->second][valueName] = std::string(data);
  ++writes;
  return true;
}

bool MemoryKeyValueStore::OpenKey(const std::string& path, Key& key) {
  if (keys.count(path) == 0) return false;
  key = next_++;
  openKeys[key] = path;
  return true;
}

bool MemoryKeyValueStore::QueryValue(Key key, const std::string& valueName, char* buffer, std::uint32_t& size) {
  const auto it = openKeys.find(key);
  if (it == openKeys.end()) return false;
  const auto& values = keys[it->second];
  const auto value = values.find(valueName);
  if (value == values.end() || value->second.size() > size) return false;
  std::copy(value->second.begin(), value->second.end(), buffer);
  size = static_cast<std::uint32_t>(value->second.size());
  return true;
}

void MemoryKeyValueStore::CloseKey(Key key) { openKeys.erase(key); }

std::optional<std::string> MemoryKeyValueStore::Text(const std::string& keyPath) const {
  const auto key = keys.find(keyPath);
  if (key == keys.end()) return std::nullopt;
  const auto value = key->second.find("String Value");
  if (value == key->second.end()) return std::nullopt;
  return value->second.substr(0, value->second.find('\0'));
}

void MemoryKeyValueStore::PutRaw(const std::string& keyPath, const std::string& valueName, const std::string& data) {
  keys[keyPath][valueName] = data;
}

namespace {

std::string WithSeparator(std::string path) {
  if (path.empty() || path.back() != PathSeparator) path += PathSeparator;
  return path;
}

bool WildcardMatch(const char* pattern, const char* name) {
  if (*pattern == '\0') return *name == '\0';
  if (*pattern == '*') {
    for (const char* rest = name;; ++rest) {
      if (WildcardMatch(pattern + 1, rest)) return true;
      if (*rest == '\0') return false;
    }
  }
  if (*name == '\0') return false;
  if (*pattern != '?' &&
      std::tolower(static_cast<unsigned char>(*pattern)) != std::tolower(static_cast<unsigned char>(*name)))
    return false;
  return WildcardMatch(pattern + 1, name + 1);
}

}  // namespace

void FakeFolderListing::AddFolder(const std::string& path) {
  auto& entries = folders[WithSeparator(path)];
  if (entries.empty()) {
    entries.push_back({".", FileAttrDirectory, 0});
    entries.push_back({"..", FileAttrDirectory, 0});
  }
}

void FakeFolderListing::AddFile(const std::string& folder, const std::string& name, std::uint64_t size,
                                std::uint32_t attributes) {
  AddFolder(folder);
  folders[WithSeparator(folder)].push_back({name, attributes, size});
}

void FakeFolderListing::AddSubfolder(const std::string& folder, const std::string& name, std::uint32_t attributes) {
  AddFolder(folder);
  folders[WithSeparator(folder)].push_back({name, attributes, 0});
  AddFolder(WithSeparator(folder) + name);
}

void FakeFolderListing::Remove(const std::string& folder, const std::string& name) {
  auto& entries = folders[WithSeparator(folder)];
  entries.erase(std::remove_if(entries.begin(), entries.end(), [&](const Entry& e) { return e.name == name; }),
                entries.end());
}

void FakeFolderListing::Fill(const Entry& entry, FindData& data) {
  data.Name = entry.name;
  data.Attributes = entry.attributes;
  data.SizeHigh = static_cast<std::uint32_t>(entry.size >> 32);
  data.SizeLow = static_cast<std::uint32_t>(entry.size);
  data.WriteTime = 0x5A210000;
}

FolderListing::Handle FakeFolderListing::FindFirst(const std::string& pattern, FindData& data, std::uint32_t& error) {
  patterns.push_back(pattern);
  if (onFindFirst) onFindFirst(pattern);
  const std::size_t cut = pattern.rfind(PathSeparator);
  const std::string folder = cut == std::string::npos ? std::string() : pattern.substr(0, cut + 1);
  const std::string glob = cut == std::string::npos ? pattern : pattern.substr(cut + 1);
  const auto it = folders.find(folder);
  Listing listing{{}, 0};
  if (it != folders.end()) {
    for (const Entry& entry : it->second) {
      if (glob == "*.*" || WildcardMatch(glob.c_str(), entry.name.c_str())) listing.matches.push_back(entry);
    }
  }
  if (listing.matches.empty()) {
    error = 2;
    return InvalidHandle;
  }
  Fill(listing.matches[0], data);
  listing.pos = 1;
  const Handle handle = next_++;
  listings_[handle] = listing;
  ++openListings;
  return handle;
}

bool FakeFolderListing::FindNext(Handle handle, FindData& data, std::uint32_t& error) {
  const auto it = listings_.find(handle);
  if (it == listings_.end() || it->second.pos >= it->second.matches.size()) {
    error = 18;
    return false;
  }
  Fill(it->second.matches[it->second.pos++], data);
  return true;
}

void FakeFolderListing::FindClose(Handle handle) {
  if (listings_.erase(handle) != 0) --openListings;
}

FakeTuneStore::FakeTuneStore() {
  for (char c = 'a'; c <= 'z'; ++c) resources[std::string(1, c)] = std::string("MThd-tune-") + c;
}

std::optional<std::string_view> FakeTuneStore::FindResource(const std::string& name, const std::string& type) {
  if (type != "MIDI") return std::nullopt;
  std::string lower = name;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const auto it = resources.find(lower);
  if (it == resources.end()) return std::nullopt;
  return std::string_view(it->second);
}

bool FakeTuneStore::WriteFile(const std::string& path, std::string_view bytes) {
  if (onWrite) onWrite(path);
  if (failWrite) return false;
  files[path] = std::string(bytes);
  return true;
}

bool FakeLauncher::Launch(const std::string& program) {
  launched.push_back(program);
  return startable.count(program) != 0;
}

std::optional<std::string> FakeFolderChooser::ChooseFolder(const std::string& current) {
  openedOn.push_back(current);
  return answer;
}

void TestApp::Tick() {
  ClockTick(app);
  CountdownTick(app);
}

void TestApp::RunSeconds(int seconds) {
  for (int i = 0; i < seconds; ++i) {
    clock.Advance(1);
    Tick();
  }
}
