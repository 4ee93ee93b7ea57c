// The folder walk over a tree made from the input: every row is a file of the tree
// that matches a pattern, once per pattern it matches, and nothing else; a link
// back to the top is never followed into a second walk.
// Input: a first line with a filter text, then one path per line ("a/b/c.mp3"
// makes the folders a and a/b and the file c.mp3; a trailing '/' only folders).
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStringList>

#include "FuzzSupport.h"
#include "platform/System.h"
#include "playback/OpenFilter.h"
#include "playlist/AddFolder.h"
#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"

namespace {
// The rows a walk must give, found independently of the walker: every regular
// file under root (or directly in it), once per pattern whose extension it has.
int ExpectedRows(const QString& root, const QStringList& patterns, bool recurse) {
  int rows = 0;
  QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks,
                  recurse ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
  while (it.hasNext()) {
    const QString name = QFileInfo(it.next()).fileName();
    for (const QString& pattern : patterns) {
      const qsizetype n = name.lastIndexOf('.'), p = pattern.lastIndexOf('.');
      const QString a = n < 0 ? name : name.mid(n), b = p < 0 ? pattern : pattern.mid(p);
      rows += a.compare(b, Qt::CaseInsensitive) == 0;
    }
  }
  return rows;
}

void MakeTree(const QString& root, const QStringList& paths) {
  int made = 0;
  for (const QString& path : paths) {
    if (++made > 64) break;
    QStringList levels = path.split('/', Qt::SkipEmptyParts);
    if (levels.size() > 8) levels = levels.mid(0, 8);
    levels.removeIf([](const QString& l) { return l == "." || l == ".." || l.contains(QChar(0)); });
    if (levels.isEmpty()) continue;
    const bool onlyFolders = path.endsWith('/');
    const QString file = onlyFolders ? QString() : levels.takeLast();
    const QString folder = root + (levels.isEmpty() ? QString() : '/' + levels.join('/'));
    if (!QDir().mkpath(folder) || file.isEmpty()) continue;
    QFile f(folder + '/' + file);
    if (!QFileInfo(folder + '/' + file).exists()) f.open(QIODevice::WriteOnly);
  }
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Fuzz::Setup();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QStringList lines = Platform::DecodeText(Fuzz::Bytes(data, size)).split('\n');
  const QString filter = lines.takeFirst();
  const QString root = Fuzz::Workspace() + "/tree";
  QDir(root).removeRecursively();
  QDir().mkpath(root);
  MakeTree(root, lines);
  // A link cycle: the walk must end, and see the top folder once.
  const bool looped = QFile::link(root, root + "/loop");

  const QStringList patterns = OpenFilter(filter).DistinctPatterns();
  for (bool recurse : {false, true}) {
    PlayOrder order;
    Playlist playlist(order);
    const int added = AddFolderFiles(playlist, root + (recurse ? "/" : ""), patterns, recurse);
    FUZZ_CHECK(added == playlist.GetCount());
    FUZZ_CHECK(added == ExpectedRows(root, patterns, recurse));
    for (int i = 0; i < added; ++i) {
      const QString path = playlist.GetPath(i);
      FUZZ_CHECK(path.startsWith(root + '/'));
      FUZZ_CHECK(!looped || !path.mid(root.size()).startsWith("/loop/"));
      FUZZ_CHECK(QFileInfo(path).isFile());
      FUZZ_CHECK(recurse || !path.mid(root.size() + 1).contains('/'));
    }
  }
  return 0;
}
