// Time to unpack a skin package and load it, as choosing a skin does.
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "SkinTestFiles.h"
#include "skin/SkinSet.h"

using namespace SkinTest;

namespace {

// A package with every bitmap at the size a full skin draws from.
QString MakePackage(const QString& folder) {
  const struct {
    const char* name;
    int width, height;
  } files[] = {{"main.bmp", 275, 116},     {"cbuttons.bmp", 136, 36}, {"EqMain.bmp", 275, 315}, {"MonoSter.bmp", 56, 24},
               {"Numbers.bmp", 99, 13},    {"PlayPaus.bmp", 42, 9},   {"PlEdit.bmp", 280, 186}, {"Posbar.bmp", 307, 10},
               {"ShufRep.bmp", 92, 85},    {"TitleBar.bmp", 344, 87}, {"volume.bmp", 68, 433},  {"balance.bmp", 68, 433},
               {"text.bmp", 155, 18}};
  std::vector<ZipEntry> entries;
  int seed = 0;
  for (const auto& f : files) entries.push_back({f.name, EncodeBmp24(Pattern(f.width, f.height, ++seed))});
  entries.push_back({"pledit.txt", "[Text]\nNormal=#00FF00\nCurrent=#FFFFFF\nNormalBG=#000000\nSelectedBG=#0000FF\n"});
  const QString package = folder + "/Bench.qsk";
  WriteZip(package, entries);
  return package;
}

void UnpackAndLoadPackage(benchmark::State& state) {
  QTemporaryDir dir;
  const QString package = MakePackage(dir.path());
  SkinSet skin(dir.path() + "/Temporary");
  for (auto _ : state) {
    if (!skin.Load(package) || skin.Bitmap(SLOT_MAIN).isNull()) state.SkipWithError("the package did not load");
  }
}
BENCHMARK(UnpackAndLoadPackage)->Unit(benchmark::kMillisecond);

void LoadUnpackedFolder(benchmark::State& state) {
  QTemporaryDir dir;
  SkinSet skin(dir.path() + "/Temporary");
  skin.Load(MakePackage(dir.path()));
  for (auto _ : state) skin.Load(skin.Folder());
}
BENCHMARK(LoadUnpackedFolder)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
