// Folder walk, shuffle and song lookup of the MP3 library.
#include "music/Mp3Library.h"

#include <utility>

#include "app/App.h"
#include "app/Platform.h"
#include "music/Random.h"

std::uint32_t SearchFirst(FolderListing& listing, const std::string& pattern, std::uint32_t requested,
                          TSearchRec& rec) {
  rec.ExcludeAttr = static_cast<std::int32_t>(~requested & SkippableAttributes);
  std::uint32_t error = 0;
  rec.FindHandle = listing.FindFirst(pattern, rec.Data, error);
  if (rec.FindHandle == FolderListing::InvalidHandle) return error != 0 ? error : ListingFileNotFound;
  const std::uint32_t result = SearchMatch(listing, rec);
  if (result != 0) SearchClose(listing, rec);
  return result;
}

std::uint32_t SearchNext(FolderListing& listing, TSearchRec& rec) {
  std::uint32_t error = 0;
  if (!listing.FindNext(rec.FindHandle, rec.Data, error)) return error != 0 ? error : ListingNoMoreFiles;
  return SearchMatch(listing, rec);
}

void SearchClose(FolderListing& listing, TSearchRec& rec) {
  if (rec.FindHandle == FolderListing::InvalidHandle) return;
  listing.FindClose(rec.FindHandle);
  rec.FindHandle = FolderListing::InvalidHandle;
}

std::uint32_t SearchMatch(FolderListing& listing, TSearchRec& rec) {
  while ((rec.Data.Attributes & static_cast<std::uint32_t>(rec.ExcludeAttr)) != 0) {
    std::uint32_t error = 0;
    if (!listing.FindNext(rec.FindHandle, rec.Data, error)) return error != 0 ? error : ListingNoMoreFiles;
  }
  rec.Size = static_cast<std::int64_t>((static_cast<std::uint64_t>(rec.Data.SizeHigh) << 32) | rec.Data.SizeLow);
  rec.Attr = static_cast<std::int32_t>(rec.Data.Attributes);
  rec.Name = rec.Data.Name.substr(0, rec.Data.Name.find('\0'));
  return 0;
}

namespace {

// What a walk found: the songs it counted, and the wanted song's path once
// it reached it ("" when it did not).
struct WalkResult {
  std::int32_t Songs = 0;
  std::string Path;
};

// One walk serves both counting and finding; the folder ends with the
// separator (or is empty: the current folder). It stops at song number
// `wanted` of the walk (none below 1), so that nothing more is listed.
WalkResult Walk(App& app, const std::string& folder, std::int32_t wanted) {
  FolderListing& listing = app.Port.Listing;
  const char separator = PathSeparator;
  WalkResult result;

  if (app.State.SubfoldersOn) {
    TSearchRec rec;
    if (SearchFirst(listing, folder + "*.*", FileAttrDirectory, rec) == 0) {
      do {
        if ((rec.Attr & static_cast<std::int32_t>(FileAttrDirectory)) != 0 && rec.Name != "." && rec.Name != "..") {
          // The subfolder numbers its songs on from those counted so far.
          WalkResult found = Walk(app, folder + rec.Name + separator, wanted - result.Songs);
          result.Songs += found.Songs;
          if (!found.Path.empty()) {
            SearchClose(listing, rec);
            result.Path = std::move(found.Path);
            return result;
          }
        }
      } while (SearchNext(listing, rec) == 0);
      SearchClose(listing, rec);
    }
  }

  TSearchRec rec;
  if (SearchFirst(listing, folder + "*.mp3", FileAttrArchive, rec) == 0) {
    do {
      if (rec.Size <= 0) continue;
      ++result.Songs;
      if (result.Songs == wanted) {
        result.Path = folder + rec.Name;
        SearchClose(listing, rec);
        return result;
      }
    } while (SearchNext(listing, rec) == 0);
    SearchClose(listing, rec);
  }
  return result;
}

}  // namespace

std::string FolderForJoin(const std::string& folder) {
  if (folder.empty() || folder.back() == PathSeparator) return folder;
  return folder + PathSeparator;
}

namespace {
// A blank folder holds no songs: it would be the working folder, the home
// folder or a whole drive.
bool Blank(const std::string& folder) { return folder.find_first_not_of(' ') == std::string::npos; }
}  // namespace

std::int32_t CountSongs(App& app, const std::string& folder) {
  return Blank(folder) ? 0 : Walk(app, FolderForJoin(folder), 0).Songs;
}

std::string FindSong(App& app, const std::string& folder, std::int32_t number) {
  return Blank(folder) ? std::string() : Walk(app, FolderForJoin(folder), number).Path;
}

bool ShuffleSongs(App& app) {
  AppState& s = app.State;
  s.SongPath.clear();
  const std::int32_t n = CountSongs(app, s.MP3Folder);
  if (n == 0) return false;

  // A fresh array: one number per song, even after a larger tree.
  s.SongOrder = std::vector<std::int32_t>(static_cast<std::size_t>(n) + 1, 0);
  for (std::int32_t i = 1; i <= n; ++i) s.SongOrder[static_cast<std::size_t>(i)] = i;

  Randomize(s.RandSeed, app.Port.Time);
  for (int round = 0; round < 3; ++round) {
    for (std::int32_t i = 1; i <= n; ++i) {
      const std::int32_t j = Random(s.RandSeed, n) + 1;
      if (j != i) std::swap(s.SongOrder[static_cast<std::size_t>(i)], s.SongOrder[static_cast<std::size_t>(j)]);
    }
  }
  s.SongPos = Random(s.RandSeed, n);
  return true;
}

void NextSongPath(App& app) {
  AppState& s = app.State;
  if (s.SongOrder.empty()) return;
  ++s.SongPos;
  if (s.SongPos < 1 || static_cast<std::size_t>(s.SongPos) >= s.SongOrder.size()) s.SongPos = 1;
  s.SongPath = FindSong(app, s.MP3Folder, s.SongOrder[static_cast<std::size_t>(s.SongPos)]);
}
