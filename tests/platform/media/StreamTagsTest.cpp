// A live stream's tags: the in-band metadata blocks and headers of Shoutcast and
// Icecast stations, as hostile as a server on the internet may send them.
#include <gtest/gtest.h>

#include <string>

#include "platform/media/StreamTags.h"

namespace {
using namespace std::string_literals;

std::string Title(std::string_view block) {
  std::string title = "(none)";
  IcyMetadata::StreamTitle(block, title);
  return title;
}

TEST(IcyMetadata, TheStreamTitleEndsAtTheQuoteThatEndsItsField) {
  EXPECT_EQ(Title("StreamTitle='Alpha - One';StreamUrl='';"), "Alpha - One");
  EXPECT_EQ(Title("StreamUrl='http://x/';StreamTitle='Beta';"), "Beta");
  // Quotes and semicolons inside the title belong to it.
  EXPECT_EQ(Title("StreamTitle='Guns N' Roses - Don't Cry';StreamUrl='';"), "Guns N' Roses - Don't Cry");
  EXPECT_EQ(Title("StreamTitle='Two; Too';"), "Two; Too");
  EXPECT_EQ(Title("StreamTitle='A';B';StreamUrl='u';"), "A';B");
  EXPECT_EQ(Title("StreamTitle='It ends ';' here';"), "It ends ';' here");
  // Zero padding to the block's 16-byte size, and a block cut short.
  EXPECT_EQ(Title("StreamTitle='Padded';\0\0\0\0\0\0"s), "Padded");
  EXPECT_EQ(Title("StreamTitle='Cut off"), "Cut off");
  EXPECT_EQ(Title("StreamTitle='Cut off'"), "Cut off");
}

TEST(IcyMetadata, AnEmptyTitleIsEmptyAndABlockWithoutOneSaysNothing) {
  EXPECT_EQ(Title("StreamTitle='';StreamUrl='';"), "");
  EXPECT_EQ(Title("StreamTitle='   ';"), "");
  EXPECT_EQ(Title("StreamUrl='http://x/';"), "(none)");
  EXPECT_EQ(Title(""), "(none)");
  EXPECT_EQ(Title("\0\0\0\0"s), "(none)");
  EXPECT_EQ(Title("garbage without fields"), "(none)");
  EXPECT_EQ(Title("StreamTitle"), "(none)");
  EXPECT_EQ(Title("StreamTitle="), "(none)");
  EXPECT_EQ(Title("streamtitle='other case';"), "(none)");
}

TEST(IcyMetadata, HostileBlocksAreBoundedAndCleaned) {
  // Control characters (a line break would split the title panel's one line) become blanks.
  EXPECT_EQ(Title("StreamTitle='One\r\nTwo\x1b[31m';"), "One  Two [31m");
  // Beyond the largest block a server can send nothing is looked at.
  const std::string huge = "StreamTitle='" + std::string(100000, 'x') + "';";
  const std::string title = Title(huge);
  EXPECT_EQ(title.size(), IcyMetadata::kMaxTextBytes);
  // A cut never splits a UTF-8 character.
  std::string accents;
  while (accents.size() < 2000) accents += "\xC3\xA9";
  const std::string cut = Title("StreamTitle='x" + accents + "';");
  EXPECT_LE(cut.size(), IcyMetadata::kMaxTextBytes);
  EXPECT_EQ(cut.size() % 2, 1u);
  EXPECT_NE(static_cast<unsigned char>(cut.back()), 0xC3);
  // Thousands of empty fields, and quotes everywhere.
  std::string fields;
  while (fields.size() < 5000) fields += "a='';";
  EXPECT_EQ(Title(fields + "StreamTitle='late';"), "(none)");
  EXPECT_EQ(Title(std::string(4080, '\'')), "(none)");
  EXPECT_EQ(Title("StreamTitle='" + std::string(4000, '\'') + "';"), std::string(4000, '\'').substr(0, 512));
}

TEST(IcyMetadata, TheStationsHeadersGiveNameGenreAndBitRate) {
  StreamTags tags;
  IcyMetadata::ReadHeaders("icy-name: Radio Q\nICY-GENRE:  Jazz \nicy-br: 128,128\nicy-url: http://q/\n", tags);
  EXPECT_EQ(tags.station, "Radio Q");
  EXPECT_EQ(tags.genre, "Jazz");
  EXPECT_EQ(tags.bitRateKbps, 128);
  StreamTags hostile;
  IcyMetadata::ReadHeaders("icy-br: 99999999999999999999\nicy-name\nicy-genre: a\x07" "b\n:\n\n", hostile);
  EXPECT_EQ(hostile.bitRateKbps, 0);
  EXPECT_EQ(hostile.station, "");
  EXPECT_EQ(hostile.genre, "a b");
  StreamTags none;
  IcyMetadata::ReadHeaders("icy-br: -5\nicy-br: kbps\n", none);
  EXPECT_EQ(none.bitRateKbps, 0);
}

}  // namespace
