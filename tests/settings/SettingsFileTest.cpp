#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "settings/SettingsFile.h"
#include "support/LogCapture.h"

namespace {
class SettingsFileTest : public ::testing::Test {
 protected:
  QString Write(const QByteArray& bytes) {
    const QString path = dir.filePath("settings.txt");
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
    return path;
  }
  QByteArray Read(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
  }
  SettingsFile Loaded(const QByteArray& bytes) {
    SettingsFile s;
    EXPECT_EQ(1, s.LoadFromFile(Write(bytes)));
    return s;
  }
  QString Get(const SettingsFile& s, const QString& section, const QString& key, int* found = nullptr) {
    QString value;
    const int r = s.GetString(section, key, "dflt", value);
    if (found) *found = r;
    return value;
  }
  QTemporaryDir dir;
};

TEST_F(SettingsFileTest, LookupIsCaseInsensitiveAndUntrimmed) {
  SettingsFile s = Loaded("[tarnello]\nMain_x=12\nMain_y = 5\nA=b=c\n");
  int found = 0;
  EXPECT_EQ("12", Get(s, "TARNELLO", "MAIN_X", &found));
  EXPECT_EQ(1, found);
  EXPECT_EQ("dflt", Get(s, "tarnello", "Main_y", &found));
  EXPECT_EQ(0, found);
  EXPECT_EQ(" 5", Get(s, "tarnello", "Main_y "));
  EXPECT_EQ("b=c", Get(s, "tarnello", "A"));
}

TEST_F(SettingsFileTest, KeysBeforeAnyHeaderAreNeverFound) {
  SettingsFile s = Loaded("Main_x=3\n[tarnello]\n");
  EXPECT_EQ("dflt", Get(s, "tarnello", "Main_x"));
  EXPECT_EQ("dflt", Get(s, "", "Main_x"));
}

TEST_F(SettingsFileTest, HeaderClassificationAndNames) {
  // Anything holding ']' is a header; its name runs from after the first '[' to the last ']'.
  SettingsFile s = Loaded("  [tarnello]  \nA=1\nother]\nB=2\nFile1=/Music/[Live] track\nC=3\n");
  EXPECT_EQ("1", Get(s, "tarnello", "A"));
  EXPECT_EQ("2", Get(s, "other", "B"));
  EXPECT_EQ("3", Get(s, "Live", "C"));
  EXPECT_EQ("dflt", Get(s, "other", "File1"));
  EXPECT_EQ(1, s.CountKeys("Live"));
}

TEST_F(SettingsFileTest, RepeatedSectionIsSearchedInEveryOccurrenceFirstMatchWins) {
  SettingsFile s = Loaded("[a]\nX=1\n[b]\nY=2\n[a]\nY=3\nX=4\n");
  EXPECT_EQ("1", Get(s, "a", "X"));
  EXPECT_EQ("3", Get(s, "a", "Y"));
  // Writing stays within the first occurrence: a new key goes before "[b]".
  s.WriteString("a", "Y", "9");
  EXPECT_EQ(QStringList({"[a]", "X=1", "Y=9", "[b]", "Y=2", "[a]", "Y=3", "X=4"}), s.Lines());
  EXPECT_EQ(2, s.CountKeys("a"));
}

TEST_F(SettingsFileTest, WriteStringReplacesInsertsAndAppends) {
  SettingsFile s = Loaded("[tarnello]\nmain_X=1\n[buttons]\nHotkey0=1/1/1\n");
  EXPECT_EQ(1, s.WriteString("tarnello", "Main_x", "7"));  // replaced, spelled as given
  EXPECT_EQ(1, s.WriteString("tarnello", "Scale", "100"));  // inserted before [buttons]
  EXPECT_EQ(1, s.WriteString("eq", "EQOn", "1"));           // new section at the end
  EXPECT_EQ(QStringList({"[tarnello]", "Main_x=7", "Scale=100", "[buttons]", "Hotkey0=1/1/1", "[eq]", "EQOn=1"}),
            s.Lines());
  EXPECT_EQ(0, s.WriteString("tarnello", QString(), "1"));
  EXPECT_EQ(0, s.WriteString("tarnello", "K", QString()));
  EXPECT_EQ(1, s.WriteString("tarnello", "Empty", ""));  // empty is not missing
  const QString path = dir.filePath("out.txt");
  ASSERT_EQ(1, s.SaveToFile(path));
  EXPECT_EQ("[tarnello]\nMain_x=7\nScale=100\nEmpty=\n[buttons]\nHotkey0=1/1/1\n[eq]\nEQOn=1\n", Read(path));
}

TEST_F(SettingsFileTest, CountGetLineAndClearUseTheFirstOccurrence) {
  SettingsFile s = Loaded("[a]\n[b]\nx\ny=1\nz\n[c]\n[b]\nw\n");
  EXPECT_EQ(-1, s.CountKeys("absent"));
  EXPECT_EQ(0, s.CountKeys("a"));
  EXPECT_EQ(3, s.CountKeys("B"));
  EXPECT_EQ("x", s.GetLine(0, "b"));
  EXPECT_EQ("z", s.GetLine(2, "b"));
  EXPECT_EQ("", s.GetLine(3, "b"));
  EXPECT_EQ("", s.GetLine(5, "b"));
  EXPECT_EQ("", s.GetLine(0, "absent"));
  EXPECT_EQ(1, s.ClearSection("b"));
  EXPECT_EQ(1, s.ClearSection("absent"));
  EXPECT_EQ(QStringList({"[a]", "[b]", "[c]", "[b]", "w"}), s.Lines());
}

TEST_F(SettingsFileTest, RoundTripDropsOnlyEmptyLines) {
  const QByteArray original = "; comment\n\n[tarnello]\r\nno equals sign\n\n\nA=1\n  B = 2 \n[x]\nÜber=ü\n";
  SettingsFile s = Loaded(original);
  const QString path = dir.filePath("again.txt");
  ASSERT_EQ(1, s.SaveToFile(path));
  EXPECT_EQ("; comment\n[tarnello]\nno equals sign\nA=1\n  B = 2 \n[x]\nÜber=ü\n", Read(path));
  EXPECT_EQ("ü", Get(s, "X", "über"));
}

TEST_F(SettingsFileTest, LongLinesStayWholeThroughLoadAndSave) {
  // Cut at 511 characters, the end of this line would become a key line of its own.
  const QString value = QString(505, 'v') + "Volume=0";
  const QByteArray text = "[t]\nFile1=" + value.toUtf8() + "\n" + QByteArray(5000, 'c') + "\nK=1\n";
  SettingsFile s = Loaded(text);
  ASSERT_EQ(4, s.Lines().size());
  EXPECT_EQ(value, Get(s, "t", "File1"));
  EXPECT_EQ("1", Get(s, "t", "K"));
  EXPECT_EQ("dflt", Get(s, "t", "Volume"));
  const QString path = dir.filePath("again.txt");
  ASSERT_EQ(1, s.SaveToFile(path));
  EXPECT_EQ(text, Read(path));
  s.WriteString("t", "File1", value + "x");
  EXPECT_EQ(value + "x", Get(s, "t", "File1"));
}

TEST_F(SettingsFileTest, InvalidUtf8IsKeptAsLatin1) {
  SettingsFile s = Loaded("[t]\nName=Caf\xe9\n");
  EXPECT_EQ(QString::fromUtf8("Café"), Get(s, "t", "Name"));
}

TEST_F(SettingsFileTest, MissingFileLeavesStoreAndFailedSaveKeepsOldFile) {
  SettingsFile s;
  s.WriteString("t", "A", "1");
  EXPECT_EQ(0, s.LoadFromFile(dir.filePath("nope.txt")));
  EXPECT_EQ(2, s.Lines().size());
  EXPECT_EQ(1, Loaded("").LoadFromFile(Write("")));  // an empty file opens fine

  const QString path = Write("[old]\nkept=1\n");
  EXPECT_EQ(0, s.SaveToFile(dir.filePath("no/such/folder/x.txt")));
  // A folder we may not write to: the save fails and the old file is untouched.
  QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
  const bool canStillWrite = QFile(dir.filePath("probe")).open(QIODevice::WriteOnly);  // root ignores modes
  if (!canStillWrite) {
    EXPECT_EQ(0, s.SaveToFile(path));
  }
  QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  if (!canStillWrite) {
    EXPECT_EQ("[old]\nkept=1\n", Read(path));
  }
}

TEST(ParseDecimal, BehavesLikeAtoi) {
  EXPECT_EQ(12, ParseDecimal("12"));
  EXPECT_EQ(-7, ParseDecimal("  -7x"));
  EXPECT_EQ(5, ParseDecimal("+5"));
  EXPECT_EQ(0, ParseDecimal("abc"));
  EXPECT_EQ(0, ParseDecimal(""));
  EXPECT_EQ(0, ParseDecimal(" - 3"));
  EXPECT_EQ(2147483647, ParseDecimal("99999999999999999999"));
}
}  // namespace

TEST_F(SettingsFileTest, CarriageReturnsEndingALineAreDroppedSoASaveReadsBackTheSame) {
  // "\r\r\n" would lose its '\r's at the next load; they are dropped at the first
  // one, so load, save, load agree. A '\r' inside a line is text and stays.
  SettingsFile s = Loaded("[t]\r\r\nA=1\r\r\n\r\n" + QByteArray(510, 'x') + "\ryz\n");
  EXPECT_EQ(QStringList({"[t]", "A=1", QString(510, 'x') + "\ryz"}), s.Lines());
  const QString path = dir.filePath("again.txt");
  ASSERT_EQ(1, s.SaveToFile(path));
  SettingsFile again;
  ASSERT_EQ(1, again.LoadFromFile(path));
  EXPECT_EQ(s.Lines(), again.Lines());
}

TEST_F(SettingsFileTest, LineBreaksInWrittenTextNeverAddLines) {
  SettingsFile s = Loaded("[tarnello]\nA=1\n");
  ASSERT_EQ(1, s.WriteString("tarnello", "URL", "http://x/\nVolume=0\r\nK=2"));
  ASSERT_EQ(1, s.WriteString("new\nsection", "B", "2"));
  const QString path = dir.filePath("again.txt");
  ASSERT_EQ(1, s.SaveToFile(path));
  SettingsFile again;
  ASSERT_EQ(1, again.LoadFromFile(path));
  EXPECT_EQ(s.Lines(), again.Lines());
  EXPECT_EQ(5, again.Lines().size());
  EXPECT_EQ("dflt", Get(again, "tarnello", "Volume"));
  EXPECT_EQ("http://x/ Volume=0  K=2", Get(again, "tarnello", "URL"));
  EXPECT_EQ("2", Get(again, "new section", "B"));
}

TEST_F(SettingsFileTest, ASaveThatWouldPassTheSizeLimitKeepsTheOldFile) {
  // Just under the limit as read, past it once written: Latin-1 letters take
  // two bytes each in UTF-8. The next start would refuse such a file.
  QByteArray latin1 = "[t]\nName=";
  latin1 += QByteArray(int(SettingsFile::kMaxFileBytes) - latin1.size() - 1 - 100, 'a');
  latin1 += QByteArray(100, '\xe9');
  latin1 += '\n';
  ASSERT_EQ(SettingsFile::kMaxFileBytes, latin1.size());
  SettingsFile s = Loaded(latin1);
  const QString path = Write(latin1);
  EXPECT_EQ(0, s.SaveToFile(path));
  EXPECT_EQ(latin1, Read(path));
  EXPECT_EQ(QStringList{"settings.txt"}, QDir(dir.path()).entryList(QDir::Files));
  // Within the limit the same store is written, and reads back.
  s.WriteString("t", "Name", "short");
  EXPECT_EQ(1, s.SaveToFile(path));
  EXPECT_EQ(QByteArray("[t]\nName=short\n"), Read(path));
  EXPECT_EQ(0, s.SaveToFile(path, 10));  // the limit can be given
}

TEST_F(SettingsFileTest, AFileBeyondTheSizeLimitIsRefusedUnread) {
  const QByteArray line = "[t]\nA=" + QByteArray(1000, 'v') + "\n";
  QByteArray big;
  while (big.size() <= SettingsFile::kMaxFileBytes) big += line;
  SettingsFile s;
  EXPECT_EQ(0, s.LoadFromFile(Write(big)));
  EXPECT_TRUE(s.Lines().isEmpty());
  EXPECT_EQ(1, s.LoadFromFile(Write(big.left(SettingsFile::kMaxFileBytes))));  // exactly the limit reads
}

namespace {
TEST_F(SettingsFileTest, AFileThatCannotBeSavedIsLoggedWithTheReason) {
  SettingsFile s = Loaded("[tarnello]\nA=1\n");
  LogCapture log;
  // A file whose folder is a file: no user, root included, can write there.
  const QString blocked = dir.filePath("settings.txt") + "/tarnello.txt";
  EXPECT_EQ(0, s.SaveToFile(blocked, 1 << 20));
  // A link into a folder that does not exist is followed, and fails the same way.
  const QString link = dir.filePath("link.txt");
  ASSERT_TRUE(QFile::link(dir.filePath("gone/tarnello.txt"), link));
  EXPECT_EQ(0, s.SaveToFile(link, 1 << 20));
  EXPECT_EQ(1, s.SaveToFile(dir.filePath("fine.txt"), 1 << 20));
  EXPECT_EQ(log.Area("save"),
            QStringList({"cannot save " + blocked + ": cannot create a file beside it: Not a directory",
                         "cannot save " + link + ": cannot create a file beside it: No such file or directory"}));
}
}  // namespace
