// Folder listings through opendir/readdir and fstatat, sorted by name.
#include "PosixFolderListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool GlobMatch(const char* glob, const char* name) {
  // Iterative "*" backtracking: linear enough for file names.
  const char* starGlob = nullptr;
  const char* starName = nullptr;
  while (*name != '\0') {
    if (*glob == '*') {
      starGlob = ++glob;
      starName = name;
    } else if (*glob != '\0' && (*glob == '?' || Lower(*glob) == Lower(*name))) {
      ++glob;
      ++name;
    } else if (starGlob != nullptr) {
      glob = starGlob;
      name = ++starName;
    } else {
      return false;
    }
  }
  while (*glob == '*') ++glob;
  return *glob == '\0';
}

std::string RealPath(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> real(realpath(path.c_str(), nullptr), &std::free);
  return real ? std::string(real.get()) : std::string();
}

// True when the folder a link leads to is the listed folder or one of the
// folders on the way to it: entering it would start the same walk again.
bool LeadsToAncestor(const std::string& folder, const std::string& linkPath) {
  const std::string target = RealPath(linkPath);
  if (target.empty()) return true;
  std::string prefix = folder.empty() ? std::string(".") : folder;
  for (;;) {
    while (prefix.size() > 1 && prefix.back() == '/') prefix.pop_back();
    if (RealPath(prefix) == target) return true;
    const std::size_t cut = prefix.rfind('/');
    if (cut == std::string::npos) {
      if (prefix == ".") return false;
      prefix = ".";  // a relative folder hangs below the current one
    } else if (cut == 0) {
      if (prefix == "/") return false;
      prefix = "/";
    } else {
      prefix.resize(cut);
    }
  }
}

void Describe(const struct stat& st, FindData& data) {
  if (S_ISDIR(st.st_mode)) {
    data.Attributes |= FileAttrDirectory;
  } else if (S_ISREG(st.st_mode)) {
    data.Attributes |= FileAttrArchive;
    const auto size = static_cast<std::uint64_t>(st.st_size);
    data.SizeHigh = static_cast<std::uint32_t>(size >> 32);
    data.SizeLow = static_cast<std::uint32_t>(size);
  } else {
    data.Attributes |= FileAttrSystem;
  }
}

}  // namespace

bool PosixFolderListing::Matches(const std::string& glob, const std::string& name) {
  if (glob == "*.*") return true;
  return GlobMatch(glob.c_str(), name.c_str());
}

FolderListing::Handle PosixFolderListing::FindFirst(const std::string& pattern, FindData& data, std::uint32_t& error) {
  const std::size_t cut = pattern.rfind('/');
  const std::string folder = cut == std::string::npos ? std::string() : pattern.substr(0, cut + 1);
  const std::string glob = cut == std::string::npos ? pattern : pattern.substr(cut + 1);

  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) {
    error = errno == EACCES ? ListingAccessDenied : ListingPathNotFound;
    return InvalidHandle;
  }
  const int fd = dirfd(dir);
  if (listings_.empty()) walked_.clear();  // a new walk begins
  struct stat self {};
  if (fstat(fd, &self) == 0) {
    const auto [walked, first] = walked_.emplace(std::make_pair(self.st_dev, self.st_ino), folder);
    if (!first && walked->second != folder) {
      closedir(dir);
      error = ListingPathNotFound;
      return InvalidHandle;
    }
  }
  // Listing every name is how the walk looks for subfolders; file sizes do
  // not matter there, and leaving them out spares one lookup per song.
  const bool wantSizes = glob != "*.*";
  Listing listing;
  errno = 0;
  while (const dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (!Matches(glob, name)) continue;
    FindData found;
    found.Name = std::move(name);
    if (found.Name == "." || found.Name == "..") {
      found.Attributes = FileAttrDirectory;  // as Windows lists them
      listing.entries.push_back(std::move(found));
      continue;
    }
    if (found.Name[0] == '.') found.Attributes |= FileAttrHidden;
    // The directory entry's type saves a lookup where it says enough.
    switch (entry->d_type) {
      case DT_DIR:
        found.Attributes |= FileAttrDirectory;
        listing.entries.push_back(std::move(found));
        continue;
      case DT_REG:
        if (!wantSizes) {
          found.Attributes |= FileAttrArchive;
          listing.entries.push_back(std::move(found));
          continue;
        }
        break;
      case DT_FIFO:
      case DT_SOCK:
      case DT_CHR:
      case DT_BLK:
        found.Attributes |= FileAttrSystem;
        listing.entries.push_back(std::move(found));
        continue;
      default:  // a link, or a file system that does not say
        break;
    }
    struct stat st {};
    if (fstatat(fd, found.Name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;  // gone meanwhile
    if (S_ISLNK(st.st_mode)) {
      if (fstatat(fd, found.Name.c_str(), &st, 0) != 0) {
        found.Attributes |= FileAttrSystem;  // a dangling link is nothing to play
      } else if (S_ISDIR(st.st_mode) && LeadsToAncestor(folder, folder + found.Name)) {
        found.Attributes |= FileAttrHidden;
      }
    }
    if ((found.Attributes & FileAttrSystem) == 0) Describe(st, found);
    listing.entries.push_back(std::move(found));
  }
  closedir(dir);

  if (listing.entries.empty()) {
    error = ListingFileNotFound;
    return InvalidHandle;
  }
  std::sort(listing.entries.begin(), listing.entries.end(),
            [](const FindData& a, const FindData& b) { return a.Name < b.Name; });
  data = listing.entries[0];
  listing.next = 1;
  const Handle handle = nextHandle_++;
  listings_.emplace(handle, std::move(listing));
  return handle;
}

bool PosixFolderListing::FindNext(Handle handle, FindData& data, std::uint32_t& error) {
  const auto it = listings_.find(handle);
  if (it == listings_.end() || it->second.next >= it->second.entries.size()) {
    error = ListingNoMoreFiles;
    return false;
  }
  data = std::move(it->second.entries[it->second.next++]);
  return true;
}

void PosixFolderListing::FindClose(Handle handle) { listings_.erase(handle); }
