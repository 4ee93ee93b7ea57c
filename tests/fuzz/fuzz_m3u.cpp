// Any M3U file reads into entries within the reader's bounds, and writing those
// entries and reading the file again gives the same entries.
#include "FuzzSupport.h"
#include "playlist/PlaylistFile.h"

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
  return 0;
}
