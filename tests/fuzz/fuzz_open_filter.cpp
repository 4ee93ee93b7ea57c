// The open filter built from the plug-ins' file-type texts: three copies of the
// test plug-in announce texts from the input (split at '\0'). The filter holds,
// after its "All supported types" pair, every text that fits, whole and in load
// order; the pattern list of that pair is the list the texts give.
#include <QDir>
#include <QStringList>

#include "FuzzSupport.h"
#include "playback/PluginManager.h"
#include "playback/OpenFilter.h"
#include "playlist/AddFolder.h"

namespace {
const char* const kNames[] = {"a.so", "b.so", "c.so"};

QString Folder() { return Fuzz::Workspace() + "/Plugins"; }
QString Control() { return Fuzz::Workspace() + "/control"; }
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Fuzz::Setup();
  QDir().mkpath(Folder());
  QDir().mkpath(Control());
  for (const char* name : kNames)
    if (!QFile::copy(QStringLiteral(TARNELLO_TEST_PLUGIN), Folder() + '/' + name)) std::abort();
  qputenv("TARNELLO_TEST_PLUGIN_DIR", QFile::encodeName(Control()));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QList<QByteArray> texts = Fuzz::Bytes(data, size).split('\0');
  QString expected;
  for (int i = 0; i < 3; ++i) {
    const QByteArray text = texts.value(i, "Test Files (*.tst)|*.tst|");
    QFile types(Control() + '/' + kNames[i] + ".types");
    if (!types.open(QIODevice::WriteOnly) || types.write(text) != text.size()) std::abort();
    types.close();
    // As the plug-in announces it; a text that does not fit is left out whole.
    const QString announced = QString::fromUtf8(text);
    if (!announced.isEmpty() && announced.size() <= PluginManager::kFilterCapacity - 2 - expected.size())
      expected += announced;
  }
  expected += u'|';

  PluginManager plugins(nullptr, Folder());
  plugins.LoadAll();
  FUZZ_CHECK(plugins.Count() == 3);
  const QString filter = plugins.BuildOpenFilter();
  plugins.UnloadAll();
  QFile::remove(Control() + "/log.txt");

  const QString head = QStringLiteral("All supported types|");
  FUZZ_CHECK(filter.startsWith(head) && filter.endsWith(expected));
  const QString all = filter.mid(head.size(), filter.size() - head.size() - expected.size());
  FUZZ_CHECK(all.endsWith(u'|') && !all.chopped(1).contains(u'|'));
  QStringList patterns;
  for (const QString& p : all.chopped(1).split(u';', Qt::SkipEmptyParts)) {
    FUZZ_CHECK(p == p.trimmed());
    if (!patterns.contains(p)) patterns.append(p);
  }
  // Read back as the folder walk reads it, the filter gives the same patterns.
  FUZZ_CHECK(OpenFilter(filter).DistinctPatterns() == patterns);
  return 0;
}
