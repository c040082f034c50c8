// The MP3 library: songs are numbered in a fixed walk order of the folder tree
// and found again by number; only the shuffled numbers are kept in memory.
#pragma once

#include <cstdint>
#include <string>

#include "app/Ports.h"

struct App;

using TFileName = std::string;

// One folder listing in progress.
struct TSearchRec {
  std::int64_t Size = 0;
  std::int32_t Attr = 0;
  TFileName Name;
  std::int32_t ExcludeAttr = 0;
  FolderListing::Handle FindHandle = FolderListing::InvalidHandle;
  FindData Data;
};

// Entries with any of these bits can be skipped: hidden, system, folder.
constexpr std::uint32_t SkippableAttributes = FileAttrHidden | FileAttrSystem | FileAttrDirectory;

std::uint32_t SearchFirst(FolderListing& listing, const std::string& pattern, std::uint32_t requested, TSearchRec& rec);
std::uint32_t SearchNext(FolderListing& listing, TSearchRec& rec);
void SearchClose(FolderListing& listing, TSearchRec& rec);
std::uint32_t SearchMatch(FolderListing& listing, TSearchRec& rec);

// The folder as the walks join names to it: with its final separator, which
// the stored folder may lack (the root stays as it is). A blank folder is never
// walked: it holds no songs.
std::string FolderForJoin(const std::string& folder);

// Walks: each folder's subfolders first (when SubfoldersOn), then its songs,
// numbered from 1 in that order. The folder is found with or without its
// final separator.
std::int32_t CountSongs(App& app, const std::string& folder);
// The path of song number `number`; "" when the tree holds fewer now.
std::string FindSong(App& app, const std::string& folder, std::int32_t number);

// Recounts the songs and shuffles their numbers; false when there is none.
bool ShuffleSongs(App& app);
// Sets SongPath to the next song of the order, or "" when none is found.
void NextSongPath(App& app);
