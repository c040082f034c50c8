// Test doubles for the ports.
#include "Fakes.h"

#include <cctype>

#include "alarm/Countdown.h"

static std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

void FakeSoundChannel::Close() {
  log.push_back("close");
  isOpen = ended = false;
  openPath.clear();
}

void FakeSoundChannel::Open(const std::string& path) {
  log.push_back("open " + path);
  if (isOpen || path.empty() || unplayable.count(path) != 0 || !device) return;  // alias in use, or cannot open
  isOpen = true;
  openPath = path;
}

std::string FakeSoundChannel::Mode() {
  log.push_back("status");
  return !reply.empty() ? reply : !isOpen ? "" : ended || endsAtOnce.count(openPath) ? "stopped" : "playing";
}

bool MemoryKeyValueStore::CreateKey(const std::string& path, Key& key) {
  keys[path];
  openKeys[key = next_++] = path;
  return true;
}

bool MemoryKeyValueStore::SetValue(Key key, const std::string& valueName, std::string_view data) {
  if (openKeys.count(key) == 0) return false;
  keys[openKeys[key]][valueName] = std::string(data);
  return true;
}

bool MemoryKeyValueStore::QueryValue(Key key, const std::string& valueName, char* buffer, std::uint32_t& size) {
  if (openKeys.count(key) == 0 || keys[openKeys[key]].count(valueName) == 0) return false;
  const std::string& value = keys[openKeys[key]][valueName];
  if (value.size() > size) return false;
  std::copy(value.begin(), value.end(), buffer);
  size = static_cast<std::uint32_t>(value.size());
  return true;
}

std::optional<std::string> MemoryKeyValueStore::Text(const std::string& keyPath) const {
  const auto key = keys.find(keyPath);
  if (key == keys.end() || key->second.count("String Value") == 0) return std::nullopt;
  return key->second.at("String Value").substr(0, key->second.at("String Value").find('\0'));
}

std::vector<FindData>& FakeFolderListing::Folder(const std::string& path) {
  auto& entries = folders[path.ends_with(PathSeparator) ? path : path + PathSeparator];
  if (entries.empty()) entries = {{".", FileAttrDirectory}, {"..", FileAttrDirectory}};
  return entries;
}

void FakeFolderListing::AddFile(const std::string& folder, const std::string& name, std::uint64_t size,
                                std::uint32_t attributes) {
  Folder(folder).push_back(
      {name, attributes, static_cast<std::uint32_t>(size >> 32), static_cast<std::uint32_t>(size)});
}

// Patterns are "<folder>*.*" (everything) or "<folder>*<suffix>" (any case).
FolderListing::Handle FakeFolderListing::FindFirst(const std::string& pattern, FindData& data, std::uint32_t& error) {
  const std::size_t cut = pattern.rfind(PathSeparator) + 1;
  const std::string suffix = Lower(pattern.substr(cut + 1));
  std::vector<FindData> matches;
  for (const FindData& entry : folders[pattern.substr(0, cut)]) {
    if (suffix == ".*" || Lower(entry.Name).ends_with(suffix)) matches.push_back(entry);
  }
  if (matches.empty()) return error = 2, InvalidHandle;
  listings_[next_] = matches;
  ++openListings;
  FindNext(next_, data, error);
  return next_++;
}

bool FakeFolderListing::FindNext(Handle handle, FindData& data, std::uint32_t& error) {
  const auto it = listings_.find(handle);
  if (it == listings_.end() || it->second.empty()) return error = 18, false;
  data = it->second.front();
  it->second.erase(it->second.begin());
  return true;
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
