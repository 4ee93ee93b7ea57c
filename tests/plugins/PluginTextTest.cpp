// The text and time conversions the hosting plug-ins share: file names must reach
// the media control as exactly the bytes the player read from disk.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "platform/FileNames.h"
#include "plugins/common/PluginText.h"

namespace {

// The player's text for bytes read from disk, as the plug-in receives it.
std::u16string PlayerPath(const std::string& bytes) {
  const QString path = Platform::PathFromBytes(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
  return std::u16string(reinterpret_cast<const char16_t*>(path.utf16()), size_t(path.size()));
}

TEST(PluginTextTest, FileNameBytesSurviveThePlayersTextEncoding) {
  const std::string names[] = {
      "/music/plain.mp3",
      "/music/caf\xe9 del mar.mp3",                    // Latin-1 byte
      "/m\xc3\xbcsik/\xe3\x81\x82.flac",               // valid two- and three-byte UTF-8
      "/x/\xf0\x9f\x8e\xb5 song.ogg",                  // four-byte UTF-8: a surrogate pair
      "/x/\xed\xa0\x80.wav",                           // an encoded surrogate is three bytes
      "/x/\xc0\x80 overlong \xe2\x82 cut \xff\xfe.wma",  // overlong, truncated, never-valid bytes
      "/x/\xf0\x9f\x8e\xb5\x80",                       // a stray byte right after a pair
  };
  for (const std::string& name : names) EXPECT_EQ(PluginText::ToUtf8(PlayerPath(name).c_str()), name) << name;

  std::mt19937 random(7);
  for (int n = 0; n < 2000; ++n) {
    std::string bytes(size_t(1 + random() % 24), '\0');
    for (char& b : bytes) b = char(1 + random() % 255);  // no 0: the plug-in text ends there
    ASSERT_EQ(PluginText::ToUtf8(PlayerPath(bytes).c_str()), bytes);
  }
}

TEST(PluginTextTest, UnpairedSurrogatesThatAreNoByteBecomeReplacementCharacters) {
  EXPECT_EQ(PluginText::ToUtf8(u"a\xD800" "b"), "a\xEF\xBF\xBD" "b");  // high, no low
  EXPECT_EQ(PluginText::ToUtf8(u"a\xDC10"), "a\xEF\xBF\xBD");          // low below the byte range
  EXPECT_EQ(PluginText::ToUtf8(u"\xDBFF"), "\xEF\xBF\xBD");            // high at the end
  EXPECT_EQ(PluginText::ToUtf8(u"\xD800\xDC80"), "\xF0\x90\x82\x80");  // a pair, not a byte
  EXPECT_EQ(PluginText::ToUtf8(nullptr), "");
  EXPECT_EQ(PluginText::ToUtf8(u""), "");
}

TEST(PluginTextTest, LocalTextBecomesUtf16WithStrayBytesReplaced) {
  // As in the player, which takes the user's locale at start.
  const std::string before = std::setlocale(LC_ALL, nullptr);
  ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
  EXPECT_EQ(PluginText::LocalToUtf16("Dovrel.so"), u"Dovrel.so");
  EXPECT_EQ(PluginText::LocalToUtf16("\xeb\x8f\x84.so"), u"\xB3C4.so");
  EXPECT_EQ(PluginText::LocalToUtf16("\xf0\x9f\x8e\xb5.so"), u"\xD83C\xDFB5.so");  // a pair
  EXPECT_EQ(PluginText::LocalToUtf16("a\x80z"), u"a\xFFFDz");                    // lone continuation
  EXPECT_EQ(PluginText::LocalToUtf16("a\xe2\x82"), u"a\xFFFD\xFFFD");            // cut at the end
  EXPECT_EQ(PluginText::LocalToUtf16(std::string_view("a\0b", 3)), std::u16string(u"a\0b", 3));
  EXPECT_EQ(PluginText::LocalToUtf16(""), u"");
  std::setlocale(LC_ALL, before.c_str());
}

TEST(PluginTextTest, SecondsBecomeMillisecondsCutTowardsZeroAndHeldInRange) {
  EXPECT_EQ(PluginText::ToMs(1.9999), 1999);
  EXPECT_EQ(PluginText::ToMs(-1.9999), -1999);
  EXPECT_EQ(PluginText::ToMs(0.0), 0);
  EXPECT_EQ(PluginText::ToMs(std::nan("")), 0);
  EXPECT_EQ(PluginText::ToMs(std::numeric_limits<double>::infinity()), 0);
  EXPECT_EQ(PluginText::ToMs(1e12), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(PluginText::ToMs(-1e12), std::numeric_limits<int32_t>::min());
}

}  // namespace

TEST(PluginTextTest, TagBytesBecomeUtf16OrArePassedAsBytesWhenTheyAreNotUtf8) {
  EXPECT_EQ(PluginText::BytesToUtf16("Caf\xC3\xA9 \xF0\x9F\x8E\xB5"), u"Caf\u00E9 \U0001F3B5");
  EXPECT_EQ(PluginText::BytesToUtf16(""), u"");
  // Windows-1252 "Café": every byte above 0x7F is passed as U+DC00 + byte.
  EXPECT_EQ(PluginText::BytesToUtf16("Caf\xE9"), u"Caf\xDCE9");
  // Not UTF-8 either: overlong forms, encoded surrogates, a cut sequence, a lone continuation.
  EXPECT_EQ(PluginText::BytesToUtf16("\xC0\xAF"), u"\xDCC0\xDCAF");
  EXPECT_EQ(PluginText::BytesToUtf16("\xED\xA0\x80"), u"\xDCED\xDCA0\xDC80");
  EXPECT_EQ(PluginText::BytesToUtf16("ab\xE2\x82"), u"ab\xDCE2\xDC82");
  EXPECT_EQ(PluginText::BytesToUtf16("\x80"), u"\xDC80");
  EXPECT_EQ(PluginText::BytesToUtf16("\xF4\x90\x80\x80"), u"\xDCF4\xDC90\xDC80\xDC80");
  // Passed bytes come back as the same bytes.
  const std::string bytes = "R\xE0\xE4\xE8\xEE \xFF\x81";
  EXPECT_EQ(PluginText::ToUtf8(PluginText::BytesToUtf16(bytes).c_str()), bytes);
}
