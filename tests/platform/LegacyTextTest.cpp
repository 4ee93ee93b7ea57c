// Tags and lines written in legacy code pages: each made here in its encoding by
// glibc's converter, read back through the detector, and through FFmpeg's tag
// readers from real MP3 files.
#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/LegacyText.h"
#include "platform/TrackInfo.h"
#include "support/LegacyEncoding.h"

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {

QByteArray Encode(const QString& text, const char* charset) { return EncodeLegacy(text, charset); }

// A title, artist and album as an old tagger would have written them.
struct Album {
  const char* charset;
  QString title, artist, album;
};

const std::vector<Album>& Albums() {
  static const std::vector<Album> albums{
      {"CP1251", "Группа крови", "Кино", "Звезда по имени Солнце"},
      {"CP1252", "“Señorita” – Live", "Mötley Crüe", "Dr. Feelgood"},
      {"SHIFT_JIS", "ファーストラブ", "宇多田ヒカル", "ファースト・ラブ"},
      {"EUC-KR", "좋은 날", "아이유", "리얼"},
      {"GB18030", "月亮代表我的心", "邓丽君", "岛国之情歌第四集"},
  };
  return albums;
}

TEST(LegacyText, TagsInEachLegacyEncodingReadAsWritten) {
  for (const Album& a : Albums()) {
    SCOPED_TRACE(a.charset);
    const std::vector<QString> texts = LegacyText::DecodeTags(
        {Encode(a.title, a.charset), Encode(a.artist, a.charset), Encode(a.album, a.charset), "1984"}, false);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0], a.title);
    EXPECT_EQ(texts[1], a.artist);
    EXPECT_EQ(texts[2], a.album);
    EXPECT_EQ(texts[3], "1984");
  }
}

TEST(LegacyText, Utf8StaysAsItIsAndUnknownBytesReadAsLatin1) {
  // Valid UTF-8, also text within Latin-1 from a format whose tags are UTF-8.
  const std::vector<QString> utf8 =
      LegacyText::DecodeTags({QString("Кино").toUtf8(), QString("Café").toUtf8(), "\xc3\x8a\xc3\xa8\xc3\xad\xc3\xae"}, false);
  EXPECT_EQ(utf8, (std::vector<QString>{"Кино", "Café", "Êèíî"}));
  // A few accented letters are Western, whatever a detector makes of so little.
  EXPECT_EQ(LegacyText::DecodeTags({"\xd1\xfa", "Caf\xe9"}, false), (std::vector<QString>{"Ñú", "Café"}));
  // Bytes no charset explains fall back to Latin-1, byte by byte.
  EXPECT_EQ(LegacyText::DecodeIn("a\x81z", "WINDOWS-1252"), QString::fromUtf8("a\xc2\x81z"));
  EXPECT_EQ(LegacyText::DecodeIn("\xe9t\xe9", QByteArray()), "été");
  QString untouched = "x";
  EXPECT_FALSE(LegacyText::Convert("\x82", "NO-SUCH-CHARSET", untouched));
  EXPECT_FALSE(LegacyText::Convert("\x82", "SHIFT_JIS", untouched));  // a lead byte cut off
  EXPECT_EQ(untouched, "x");
}

TEST(LegacyText, DeclaredLatin1IsReadAgainOnlyWhenItIsAnotherScript) {
  // What the ID3 reader makes of Latin-1 frames holding CP1251 bytes.
  const QString cyrillic = QString::fromLatin1(Encode("Группа крови", "CP1251"));
  const QString artist = QString::fromLatin1(Encode("Кино", "CP1251"));
  EXPECT_EQ(LegacyText::DecodeTags({cyrillic.toUtf8(), artist.toUtf8()}, true),
            (std::vector<QString>{"Группа крови", "Кино"}));
  // Real Latin-1 stays; control characters 0x80-0x9F are Windows quotes and dashes.
  EXPECT_EQ(LegacyText::DecodeTags({QString("Ça été").toUtf8(), QString("Édith Piaf").toUtf8()}, true),
            (std::vector<QString>{"Ça été", "Édith Piaf"}));
  const QString quoted = QString::fromLatin1("\x93Quote\x94 \x96 Caf\xe9");
  EXPECT_EQ(LegacyText::DecodeTags({quoted.toUtf8()}, true), (std::vector<QString>{"“Quote” – Café"}));
  // Without the Latin-1 claim (a Vorbis comment) the same text stays exactly.
  EXPECT_EQ(LegacyText::DecodeTags({cyrillic.toUtf8()}, false), (std::vector<QString>{cyrillic}));
}

TEST(LegacyText, FileLinesUseTheWholeFileAndKeepUtf8Lines) {
  // The first legacy line is short; the lines after it tell the detector what it is.
  const QByteArray sjis = Encode("宇多田ヒカル - First Love", "SHIFT_JIS");
  QByteArray file = "#EXTM3U\n#EXTINF:263," + sjis + "\n";
  for (const char* more : {"ファーストラブ/さくら.mp3", "椎名林檎 - 丸の内サディスティック", "無罪モラトリアム/歌舞伎町の女王.mp3"})
    file += Encode(more, "SHIFT_JIS") + "\n";
  file += QString("/music/Ünïcödé.mp3\n").toUtf8();
  QTemporaryDir dir;
  QFile list(dir.filePath("list.m3u"));
  ASSERT_TRUE(list.open(QIODevice::WriteOnly));
  list.write(file);
  list.close();
  ASSERT_TRUE(list.open(QIODevice::ReadOnly));
  LegacyTextDecoder decoder(&list);
  QStringList lines;
  while (!list.atEnd()) lines.append(decoder.Decode(list.readLine().chopped(1)));
  EXPECT_EQ(lines, (QStringList{"#EXTM3U", "#EXTINF:263,宇多田ヒカル - First Love", "ファーストラブ/さくら.mp3",
                                "椎名林檎 - 丸の内サディスティック", "無罪モラトリアム/歌舞伎町の女王.mp3",
                                "/music/Ünïcödé.mp3"}));
}

// Real MP3 files: ffmpeg makes the audio without tags, the test adds old tags.
class LegacyTagFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    audio_ = Make("plain.mp3", {"-id3v2_version", "0", "-write_xing", "0"});
    ASSERT_FALSE(audio_.isEmpty());
  }

  QByteArray Make(const QString& name, const QStringList& options) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", QStringList{"-v", "error", "-y", "-f", "lavfi", "-i", "sine=duration=0.5", "-c:a",
                                       "libmp3lame", "-b:a", "32k"} +
                               options + QStringList{dir_.filePath(name)});
    if (!ffmpeg.waitForFinished(30000) || ffmpeg.exitCode() != 0) return {};
    QFile f(dir_.filePath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  static QByteArray Id3v1(const QByteArray& title, const QByteArray& artist, const QByteArray& album) {
    auto field = [](QByteArray text, int size) { return text.left(size).leftJustified(size, '\0'); };
    return "TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + "1999" + field({}, 30) + '\xff';
  }

  // Four bytes of n, most significant first, bitsPerByte bits in each.
  static QByteArray BigEndian(quint32 n, int bitsPerByte) {
    QByteArray bytes;
    const quint32 mask = (1u << bitsPerByte) - 1;
    for (int i = 3; i >= 0; --i) bytes.append(char((n >> (i * bitsPerByte)) & mask));
    return bytes;
  }

  // An ID3v2.3 tag of Latin-1 text frames (encoding byte 0).
  static QByteArray Id3v2Latin1(const std::vector<std::pair<QByteArray, QByteArray>>& frames) {
    QByteArray body;
    for (const auto& [id, text] : frames) {
      const QByteArray payload = '\0' + text;
      const quint32 n = quint32(payload.size());
      body += id + BigEndian(n, 8) + QByteArray(2, '\0') + payload;
    }
    const quint32 n = quint32(body.size());
    // The tag's own size is "synchsafe": seven bits a byte.
    return QByteArray("ID3\x03\x00\x00", 6) + BigEndian(n, 7) + body;
  }

  TrackInfo Read(const QString& name, const QByteArray& bytes) {
    QFile f(dir_.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    TrackInfo info;
    EXPECT_TRUE(Platform::ReadTrackInfo(dir_.filePath(name), info));
    return info;
  }

  QTemporaryDir dir_;
  QByteArray audio_;
};

TEST_F(LegacyTagFileTest, Id3v1TagsInEachEncodingReadAsWords) {
  for (const Album& a : Albums()) {
    SCOPED_TRACE(a.charset);
    const TrackInfo info = Read("v1.mp3", audio_ + Id3v1(Encode(a.title, a.charset), Encode(a.artist, a.charset),
                                                         Encode(a.album, a.charset)));
    EXPECT_EQ(info.Tag("title"), a.title);
    EXPECT_EQ(info.Tag("artist"), a.artist);
    EXPECT_EQ(info.Tag("album"), a.album);
    EXPECT_EQ(info.DisplayTitle(), a.artist + " - " + a.title);
  }
}

TEST_F(LegacyTagFileTest, Id3v2FramesClaimingLatin1AndUtf8Tags) {
  // CP1251 bytes in frames that say Latin-1, as many Windows taggers wrote them.
  TrackInfo info = Read("cyr.mp3", Id3v2Latin1({{"TIT2", Encode("Группа крови", "CP1251")},
                                                {"TPE1", Encode("Кино", "CP1251")}}) +
                                       audio_);
  EXPECT_EQ(info.DisplayTitle(), "Кино - Группа крови");
  info = Read("fr.mp3", Id3v2Latin1({{"TIT2", QString("Ça été").toLatin1()}, {"TPE1", QString("Édith Piaf").toLatin1()}}) +
                            audio_);
  EXPECT_EQ(info.DisplayTitle(), "Édith Piaf - Ça été");
  // UTF-8 tags written by ffmpeg read exactly, in any script.
  const QByteArray utf8 = Make("utf8.mp3", {"-metadata", "title=Группа крови", "-metadata", "artist=Café Tacvba"});
  ASSERT_FALSE(utf8.isEmpty());
  info = Read("utf8.mp3", utf8);
  EXPECT_EQ(info.DisplayTitle(), "Café Tacvba - Группа крови");
}

}  // namespace
