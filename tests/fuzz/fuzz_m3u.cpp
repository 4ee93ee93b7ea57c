// Any M3U file reads into entries within the reader's bounds, and writing those
// entries and reading the file again gives the same entries. Entries made from
// any bytes (line breaks and other control characters, bytes that are not
// UTF-8) are written in one info line and one path line each and read back with
// the same paths and with titles free of control characters.
#include "FuzzSupport.h"
#include "playlist/PlaylistFile.h"
#include "playlist/RowText.h"

namespace {
bool Same(const std::vector<PlaylistFileEntry>& a, const std::vector<PlaylistFileEntry>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].length != b[i].length || a[i].title != b[i].title || a[i].path != b[i].path) return false;
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Fuzz::Setup();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PlaylistFile file;
  FUZZ_CHECK(file.ReadM3u(Fuzz::WriteFile("in.m3u", Fuzz::Bytes(data, size))));
  FUZZ_CHECK(file.entries.size() <= PlaylistFile::kMaxEntries);
  for (const PlaylistFileEntry& entry : file.entries) {
    FUZZ_CHECK(entry.title.size() <= PlaylistFile::kMaxTextLength && entry.path.size() <= PlaylistFile::kMaxTextLength);
    FUZZ_CHECK(!entry.path.startsWith('#') && !entry.path.contains('\n') && !entry.title.contains('\n'));
  }
  const QString saved = Fuzz::Workspace() + "/out.m3u";
  FUZZ_CHECK(file.WriteM3u(saved));
  FUZZ_CHECK(Fuzz::ReadFile(saved).startsWith("#EXTM3U\n"));
  const int boxes = Fuzz::Boxes().shown;
  PlaylistFile again;
  FUZZ_CHECK(again.ReadM3u(saved));
  FUZZ_CHECK(Fuzz::Boxes().shown == boxes);  // what we write is never a syntax error
  FUZZ_CHECK(Same(again.entries, file.entries));

  // The input as entries of its own: each '\0' ends a text, titles and paths take turns.
  PlaylistFile made;
  const QList<QByteArray> texts = Fuzz::Bytes(data, size).split('\0');
  for (qsizetype i = 0; i + 1 < texts.size() && made.entries.size() < 64; i += 2) {
    if (texts[i + 1].size() * 3 + 16 > PlaylistFile::kMaxTextLength) continue;
    made.entries.push_back({int(i) - 1, QString::fromUtf8(texts[i].left(1000)), PathFromBytes(texts[i + 1])});
  }
  FUZZ_CHECK(made.WriteM3u(saved));
  FUZZ_CHECK(Fuzz::ReadFile(saved).count('\n') == qsizetype(1 + 2 * made.entries.size()));
  PlaylistFile back;
  FUZZ_CHECK(back.ReadM3u(saved));
  FUZZ_CHECK(Fuzz::Boxes().shown == boxes);
  FUZZ_CHECK(back.entries.size() == made.entries.size());
  for (size_t i = 0; i < back.entries.size(); ++i) {
    FUZZ_CHECK(back.entries[i].path == made.entries[i].path);
    FUZZ_CHECK(back.entries[i].length == made.entries[i].length);
    FUZZ_CHECK(back.entries[i].title == CleanTitle(back.entries[i].title));
    if (!made.entries[i].title.contains(QStringLiteral("#EXTM3U")))
      FUZZ_CHECK(back.entries[i].title == CleanTitle(made.entries[i].title));
  }
  return 0;
}
