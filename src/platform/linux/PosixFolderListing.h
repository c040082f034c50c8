// The folder-listing port on POSIX: Windows-like listings of a folder by
// pattern, with attributes that keep the walk away from anything but songs.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/Ports.h"

// Patterns are "<folder>/<glob>" (a bare glob lists the current folder);
// the glob knows "*" and "?" and ignores case, and "*.*" matches every name.
// Names starting with "." are hidden; directories (links followed) carry the
// directory bit; regular files the archive bit and their size; anything else
// (FIFO, socket, device, dangling link) the system bit, so it is never a song.
// A link to a folder that is the listed folder or one of its ancestors is
// reported hidden, so no walk can go round in circles; and within one walk
// (from a listing made while none is open until the next such one) each real
// folder is listed under one path only: reached again through another link
// it lists as missing, so a web of links cannot multiply the walk. A "*.*"
// listing (the walk's search for subfolders) reports regular files without
// their size and write time, sparing a lookup per file. Entries come sorted
// by name, so two walks of an unchanged tree see the same order. Nothing is
// ever opened but the folder itself, so a listing never blocks on a device.
class PosixFolderListing : public FolderListing {
 public:
  Handle FindFirst(const std::string& pattern, FindData& data, std::uint32_t& error) override;
  bool FindNext(Handle handle, FindData& data, std::uint32_t& error) override;
  void FindClose(Handle handle) override;

  // Case-insensitive match of a name against a glob, as the listing uses it.
  static bool Matches(const std::string& glob, const std::string& name);
  // Listings found and not yet closed.
  std::size_t OpenListings() const { return listings_.size(); }

 private:
  struct Listing {
    std::vector<FindData> entries;
    std::size_t next = 0;
  };
  std::map<Handle, Listing> listings_;
  Handle nextHandle_ = 1;
  // The folders listed in the current walk, by device and inode, with the
  // path they were first listed under.
  std::map<std::pair<dev_t, ino_t>, std::string> walked_;
};
