// The sound channel's command strings, and the real MCI's answers when no
// song is open, on which the endless-music check relies.
#include <gtest/gtest.h>

#include "MciSoundChannel.h"

TEST(MciSoundChannel, CommandStringsNameTheOneAlias) {
  struct Case {
    std::string built;
    std::string expected;
  };
  const Case cases[] = {
      {MciCloseCommand(), "close timersound"},
      {MciPlayCommand(), "play timersound"},
      {MciStatusCommand(), "status timersound MODE"},
      // The quotes keep a path with spaces in one piece.
      {MciOpenCommand("C:\\Users\\Me\\My Music\\Song one.mp3"),
       "open \"C:\\Users\\Me\\My Music\\Song one.mp3\" alias timersound"},
      {MciOpenCommand("C:\\Temp\\Temp.mid"), "open \"C:\\Temp\\Temp.mid\" alias timersound"},
      // An empty path still makes a command, which then simply fails.
      {MciOpenCommand(""), "open \"\" alias timersound"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.built, c.expected);
}

TEST(MciSoundChannel, ModeIsEmptyWhenNothingIsOpen) {
  MciSoundChannel channel;
  channel.Close();  // closing with nothing open does no harm
  EXPECT_EQ(channel.Mode(), "");
  channel.Close();
  EXPECT_EQ(channel.Mode(), "");
}

TEST(MciSoundChannel, FailedOpenLeavesTheChannelClosed) {
  MciSoundChannel channel;
  channel.Open("C:\\no such folder\\no such song.mp3");
  channel.Play();
  // Never "stopped": a song that could not be opened must not start the next one.
  EXPECT_EQ(channel.Mode(), "");
  channel.Close();
}
