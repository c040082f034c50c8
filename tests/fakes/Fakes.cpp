// Test doubles for the ports.
#include "Fakes.h"

#include <cctype>

bool FakeKeyValueStore::QueryValue(Key key, const std::string& valueName, char* buffer, std::uint32_t& size) {
  if (!openKeys.count(key) || !keys[openKeys[key]].count(valueName)) return false;
  const std::string& value = keys[openKeys[key]][valueName];
  if (value.size() > size) return false;
  size = static_cast<std::uint32_t>(value.copy(buffer, size));
  return true;
}

FolderListing::Handle FakeFolderListing::FindFirst(const std::string& pattern, FindData& data, std::uint32_t& error) {
  const auto lower = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  };
  const std::size_t cut = pattern.rfind(PathSeparator) + 1;
  const std::string suffix = lower(pattern.substr(cut + 1));
  std::vector<FindData>& matches = listings_[next_];
  for (const FindData& entry : folders[pattern.substr(0, cut)])
    if (suffix == ".*" || lower(entry.Name).ends_with(suffix)) matches.push_back(entry);
  if (matches.empty()) return listings_.erase(next_), error = ListingFileNotFound, InvalidHandle;
  ++openListings;
  FindNext(next_, data, error);
  return next_++;
}
