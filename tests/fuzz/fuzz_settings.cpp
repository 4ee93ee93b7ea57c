// Any options file loads into lines the store can hold; saving and loading it
// again gives the same store; the look-ups agree with what was written.
// Input: a first line "section<TAB>key<TAB>value" to work with, then the file.
#include <QStringList>

#include "FuzzSupport.h"
#include "platform/System.h"
#include "settings/SettingsFile.h"

namespace {
bool IsStorable(const QString& line) {
  return !line.isEmpty() && line.size() <= SettingsFile::kMaxLineLength && !line.contains('\n') &&
         !line.endsWith('\r');
}

void CheckLines(const SettingsFile& store) {
  for (const QString& line : store.Lines()) FUZZ_CHECK(IsStorable(line));
}

SettingsFile Reloaded(const SettingsFile& store, const QString& name) {
  const QString path = Fuzz::Workspace() + '/' + name;
  FUZZ_CHECK(store.SaveToFile(path) == 1);
  SettingsFile again;
  FUZZ_CHECK(again.LoadFromFile(path) == 1);
  return again;
}

void CheckSection(const SettingsFile& store, const QString& section) {
  const int count = store.CountKeys(section);
  FUZZ_CHECK(count >= -1);
  for (int i = 0; i < count; ++i) {
    const QString line = store.GetLine(i, section);
    FUZZ_CHECK(!line.isEmpty() && !line.contains(']'));
  }
  FUZZ_CHECK(store.GetLine(std::max(count, 0), section).isEmpty());
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Fuzz::Setup();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray input = Fuzz::Bytes(data, size);
  const qsizetype newline = input.indexOf('\n');
  const QStringList names = Platform::DecodeText(input.left(newline < 0 ? 0 : newline)).split('\t');
  const QString section = names.value(0, "tarnello");
  const QString key = names.value(1, "Key");
  const QString value = names.value(2, "");

  SettingsFile store;
  FUZZ_CHECK(store.LoadFromFile(Fuzz::WriteFile("in.txt", input.mid(newline + 1))) == 1);
  CheckLines(store);
  FUZZ_CHECK(Reloaded(store, "saved.txt").Lines() == store.Lines());
  CheckSection(store, section);

  // A key line the store can hold as it is written is found again, also after a save.
  FUZZ_CHECK(store.WriteString(section, key, value) == 1);
  const QString header = '[' + section + ']';
  const QString entry = key + '=' + value;
  if (!key.contains('=') && !entry.contains(']') && IsStorable(entry) && IsStorable(header)) {
    QString found;
    FUZZ_CHECK(store.GetString(section, key, QStringLiteral("default"), found) == 1 && found == value);
    FUZZ_CHECK(Reloaded(store, "written.txt").GetString(section, key, QString(), found) == 1 && found == value);
  }
  CheckSection(store, section);
  FUZZ_CHECK(store.ClearSection(section) == 1);
  FUZZ_CHECK(store.CountKeys(section) <= 0);
  return 0;
}
