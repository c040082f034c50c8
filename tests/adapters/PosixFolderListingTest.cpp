// The POSIX folder listing on a real folder: names, attributes and sizes.
// (The walk over real trees: BrokenMediaTest.)
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "PosixFolderListing.h"
#include "PosixTestGuards.h"

namespace {

constexpr std::uint32_t Dir = FileAttrDirectory, Arc = FileAttrArchive, Hid = FileAttrHidden, Sys = FileAttrSystem;

// Names sorted and matched ignoring case; a dot file hidden; what cannot be
// played (a FIFO, a dangling link) a system entry; links count as what they
// lead to, but a link back to an ancestor is hidden: the walk must not enter it.
TEST(PosixFolderListing, AttributesSizesAndSortedNames) {
  TempDir root;
  // dir.mp3: a folder named like a song; listing pipe.mp3 must not block
  ASSERT_EQ(root.Run("printf 12345 >b.mp3 && printf 1 >A.MP3 && printf 12 >.hidden.mp3 && printf x >notes.txt && "
                     "mkdir dir.mp3 && printf 1 >dir.mp3/inside.mp3 && mkfifo pipe.mp3 && ln -s b.mp3 link.mp3 && "
                     "ln -s nowhere.mp3 dangling.mp3 && ln -s . self.mp3"),
            0);
  using Row = std::tuple<std::string, std::uint32_t, std::uint64_t>;
  const std::vector<Row> expected = {
      {".hidden.mp3", Hid | Arc, 2}, {"A.MP3", Arc, 1},    {"b.mp3", Arc, 5},    {"dangling.mp3", Sys, 0},
      {"dir.mp3", Dir, 0},           {"link.mp3", Arc, 5}, {"pipe.mp3", Sys, 0}, {"self.mp3", Dir | Hid, 0},
  };
  PosixFolderListing listing;
  std::vector<Row> listed;
  FindData data;
  std::uint32_t error = 0;
  const auto handle = listing.FindFirst(root / "*.mp3", data, error);
  ASSERT_NE(handle, FolderListing::InvalidHandle);
  do {
    const std::uint64_t size = (data.Attributes & Dir) ? 0 : (std::uint64_t{data.SizeHigh} << 32) | data.SizeLow;
    listed.emplace_back(data.Name, data.Attributes, size);  // a folder's size means nothing
  } while (listing.FindNext(handle, data, error));
  listing.FindClose(handle);
  EXPECT_EQ(listed, expected);
  for (const std::string& pattern : {root / "missing/*.mp3", root / "notes.txt/*.*", root / "*.wav"})
    EXPECT_EQ(listing.FindFirst(pattern, data, error), FolderListing::InvalidHandle) << pattern;
}

}  // namespace
