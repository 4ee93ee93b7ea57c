// M3U lists written by old players in a legacy code page: the titles and paths
// read as the words they were.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistStorage.h"
#include "support/LegacyEncoding.h"

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {
struct Entry {
  int length;
  QString title, path;
};

struct LegacyList {
  const char* charset;
  std::vector<Entry> entries;
};

const std::vector<LegacyList>& Lists() {
  static const std::vector<LegacyList> lists{
      {"CP1251",
       {{245, "Кино - Группа крови", "/музыка/Кино/01 Группа крови.mp3"},
        {272, "Кино - Закрой за мной дверь", "/музыка/Кино/02 Закрой за мной дверь.mp3"},
        {231, "ДДТ - Осень", "/музыка/ДДТ/Осень.mp3"}}},
      {"CP1252",
       {{201, "Mötley Crüe - Kickstart My Heart", "C:\\Música\\Mötley Crüe\\Kickstart.mp3"},
        {188, "Édith Piaf - Non, je ne regrette rien", "C:\\Música\\Édith Piaf\\Non.mp3"},
        {230, "Sigur Rós - Hoppípolla", "C:\\Música\\Sigur Rós\\Hoppípolla.mp3"}}},
      {"SHIFT_JIS",
       {{263, "宇多田ヒカル - First Love", "/音楽/宇多田ヒカル/First Love.mp3"},
        {301, "椎名林檎 - 丸の内サディスティック", "/音楽/椎名林檎/丸の内サディスティック.mp3"},
        {280, "森山直太朗 - さくら（独唱）", "/音楽/森山直太朗/さくら.mp3"}}},
      {"EUC-KR",
       {{233, "아이유 - 좋은 날", "/음악/아이유/좋은 날.mp3"},
        {219, "싸이 - 강남스타일", "/음악/싸이/강남스타일.mp3"},
        {205, "소녀시대 - 소원을 말해봐", "/음악/소녀시대/소원을 말해봐.mp3"}}},
      {"GB18030",
       {{210, "邓丽君 - 月亮代表我的心", "/音乐/邓丽君/月亮代表我的心.mp3"},
        {299, "周杰伦 - 七里香", "/音乐/周杰伦/七里香.mp3"},
        {256, "王菲 - 红豆", "/音乐/王菲/红豆.mp3"}}},
  };
  return lists;
}

class LegacyLists : public ::testing::Test {
 protected:
  QString Write(const QByteArray& bytes) {
    const QString path = dir_.filePath("old.m3u");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }
  QTemporaryDir dir_;
};

TEST_F(LegacyLists, ListsInEachLegacyEncodingGiveTheirTitlesAndPaths) {
  for (const LegacyList& list : Lists()) {
    SCOPED_TRACE(list.charset);
    QByteArray bytes = "#EXTM3U\r\n";
    for (const Entry& e : list.entries) {
      bytes += "#EXTINF:" + QByteArray::number(e.length) + "," + EncodeLegacy(e.title, list.charset) + "\r\n";
      bytes += EncodeLegacy(e.path, list.charset) + "\r\n";
    }
    PlaylistFile file;
    ASSERT_TRUE(file.ReadM3u(Write(bytes)));
    ASSERT_EQ(file.entries.size(), list.entries.size());
    for (size_t i = 0; i < list.entries.size(); ++i) {
      EXPECT_EQ(file.entries[i].length, list.entries[i].length);
      EXPECT_EQ(file.entries[i].title, list.entries[i].title);
      EXPECT_EQ(file.entries[i].path, list.entries[i].path);
    }
  }
}

TEST_F(LegacyLists, Utf8LinesKeepTheirReadingBesideLegacyOnes) {
  // A list edited by two programs: UTF-8 entries stay exactly, the CP1251 one reads as Cyrillic.
  const QByteArray bytes = "#EXTM3U\n#EXTINF:1,Кино\n/m/Группа.mp3\n#EXTINF:2," +
                           EncodeLegacy("Кино - Звезда по имени Солнце", "CP1251") + "\n/m/b.mp3\n#EXTINF:3,Ça\n/m/Ça.mp3\n";
  PlayOrder order;
  Playlist playlist(order);
  ASSERT_TRUE(LoadPlaylist(playlist, Write(bytes)));
  ASSERT_EQ(playlist.GetCount(), 3);
  EXPECT_EQ(playlist.GetTitle(0), "Кино");
  EXPECT_EQ(playlist.GetPath(0), "/m/Группа.mp3");
  EXPECT_EQ(playlist.GetDisplayText(1), "2. Кино - Звезда по имени Солнце");
  EXPECT_EQ(playlist.GetTitle(2), "Ça");
  EXPECT_EQ(playlist.GetPath(2), "/m/Ça.mp3");
}
}  // namespace
