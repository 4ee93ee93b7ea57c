// Any cue sheet gives a row for every track with an INDEX 01 under a playable
// FILE line naming the audio file beside it (and rows for files elsewhere that
// exist), each row's span starting at its index and ending, when it has an end,
// after its start.
#include "FuzzSupport.h"
#include "playlist/CueSheet.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Fuzz::Setup();
  Fuzz::WriteFile("a.flac", "x");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text = CueSheet::Decode(Fuzz::Bytes(data, size));
  const std::vector<CueSheet::File> files = CueSheet::Parse(text);
  const QString sheet = Fuzz::Workspace() + QStringLiteral("/s.cue");
  const std::vector<CueSheet::Row> rows = CueSheet::Rows(files, sheet, [](const QString&) { return 1000; });
  size_t tracks = 0;
  for (const CueSheet::File& file : files) {
    for (const CueSheet::Track& track : file.tracks) FUZZ_CHECK(track.startFrame >= 0);
    if (file.name == u"a.flac") tracks += file.tracks.size();
  }
  FUZZ_CHECK(rows.size() >= tracks);
  for (const CueSheet::Row& row : rows) {
    const qsizetype mark = row.path.lastIndexOf(u"#t=");
    FUZZ_CHECK(mark > 0);
    const QStringList times = row.path.mid(mark + 3).split(u',');
    FUZZ_CHECK(times.size() == 1 || times.size() == 2);
    bool ok = false;
    const double start = times[0].toDouble(&ok);
    FUZZ_CHECK(ok && start >= 0);
    if (times.size() == 2) FUZZ_CHECK(times[1].toDouble(&ok) > start && ok);
    FUZZ_CHECK(row.length >= -1);
  }
  return 0;
}
