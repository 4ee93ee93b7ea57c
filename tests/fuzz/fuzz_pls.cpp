// Any PLS file adds exactly "NumberOfEntries" rows (none for a count below 1, at
// most the entry limit), each exactly what the look-ups "File%d", "Title%d" and
// "Length%d" of its number give (the title as a row holds it: control characters
// blanked).
#include <algorithm>

#include "FuzzSupport.h"
#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"
#include "playlist/PlsFile.h"
#include "playlist/RowText.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Fuzz::Setup();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PlsFile file;
  FUZZ_CHECK(file.LoadFromFile(Fuzz::WriteFile("temp.pls", Fuzz::Bytes(data, size)), kMaxPlsBytes) == 1);
  PlayOrder order;
  Playlist playlist(order);
  const int added = file.AppendTo(playlist);
  FUZZ_CHECK(added == playlist.GetCount());
  QString countText;
  file.GetString("playlist", "NumberOfEntries", "-1", countText);
  FUZZ_CHECK(added == std::clamp(ParseDecimal(countText), 0, PlsFile::kMaxEntries));
  const QString section = QStringLiteral("playlist");
  // The look-ups walk the file: the first rows and the last one are compared.
  for (int i = 1; i <= added; i = i < 200 ? i + 1 : std::max(i + 1, added)) {
    QString path, title, length;
    file.GetString(section, QString::asprintf("File%d", i), "", path);
    file.GetString(section, QString::asprintf("Title%d", i), "", title);
    file.GetString(section, QString::asprintf("Length%d", i), "", length);
    FUZZ_CHECK(playlist.GetPath(i - 1) == path);
    FUZZ_CHECK(playlist.GetTitle(i - 1) == CleanTitle(title));
    const int seconds = ParseDecimal(length);
    FUZZ_CHECK(playlist.GetLengthText(i - 1) == (seconds < 0 ? QString() : QString::number(seconds)));
  }
  return 0;
}
