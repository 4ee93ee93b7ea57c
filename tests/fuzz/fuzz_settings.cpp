// Any options file loads into lines the store can hold, every line whole;
// saving and loading it again gives the same store; a save never writes a file
// that the same size limit would refuse to load, and a refused save leaves the
// old file; the look-ups agree with what was written.
// Input: a first line "section<TAB>key<TAB>value" to work with, then the file.
#include <QStringList>

#include "FuzzSupport.h"
#include "platform/System.h"
#include "settings/SettingsFile.h"

namespace {
bool IsStorable(const QString& line) { return !line.isEmpty() && !line.contains('\n') && !line.endsWith('\r'); }

qint64 EncodedSize(const SettingsFile& store) {
  qint64 size = 0;
  for (const QString& line : store.Lines()) size += line.toUtf8().size() + 1;
  return size;
}

// A save under a limit either writes a file that loads under the same limit
// into the same lines, or writes nothing and keeps the file that was there.
void CheckLimitedSave(const SettingsFile& store, qint64 limit) {
  const QByteArray old = "[old]\nkept=1\n";
  const QString path = Fuzz::WriteFile("limited.txt", old);
  const int saved = store.SaveToFile(path, limit);
  FUZZ_CHECK(saved == (EncodedSize(store) <= limit ? 1 : 0));
  if (saved) {
    SettingsFile again;
    FUZZ_CHECK(again.LoadFromFile(path, limit) == 1 && again.Lines() == store.Lines());
  } else {
    FUZZ_CHECK(Fuzz::ReadFile(path) == old);
  }
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
  // The lines of a physical line are never split: a line without line ends comes back as one.
  if (!input.mid(newline + 1).contains('\n') && !input.mid(newline + 1).contains('\r') && !store.Lines().isEmpty())
    FUZZ_CHECK(store.Lines().size() == 1);
  CheckSection(store, section);
  const qint64 bytes = EncodedSize(store);
  CheckLimitedSave(store, bytes);
  CheckLimitedSave(store, bytes - 1);
  CheckLimitedSave(store, bytes / 2);

  // A key line the store can hold as it is written is found again, also after a save.
  FUZZ_CHECK(store.WriteString(section, key, value) == 1);
  const QString entry = key + '=' + value;
  // Line breaks in what is written never add lines.
  FUZZ_CHECK(Reloaded(store, "broken.txt").Lines() == store.Lines());
  const auto lineBreak = [](const QString& text) { return text.contains('\n') || text.contains('\r'); };
  if (!key.contains('=') && !entry.contains(']') && !lineBreak(entry) && !lineBreak(section)) {
    QString found;
    FUZZ_CHECK(store.GetString(section, key, QStringLiteral("default"), found) == 1 && found == value);
    FUZZ_CHECK(Reloaded(store, "written.txt").GetString(section, key, QString(), found) == 1 && found == value);
  }
  CheckSection(store, section);
  FUZZ_CHECK(store.ClearSection(section) == 1);
  FUZZ_CHECK(store.CountKeys(section) <= 0);
  return 0;
}
