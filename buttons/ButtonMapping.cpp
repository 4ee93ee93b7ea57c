#include "buttons/ButtonMapping.h"

#include "buttons/HotkeyWindow.h"
#include "platform/System.h"
#include "settings/SettingsFile.h"

namespace ButtonMapping {

bool ParseTriple(const QString& value, int& a, int& b, int& c) {
  const qsizetype first = value.indexOf('/');
  if (first < 0) return false;
  const qsizetype second = value.indexOf('/', first + 1);
  if (second < 0) return false;
  a = ParseDecimal(value.left(first));
  b = ParseDecimal(value.mid(first + 1, second - first - 1));
  c = ParseDecimal(value.mid(second + 1));
  return true;
}

namespace {
// The lines of a section, split at their first '='; lines without one are skipped.
template <typename Each>
void ForEachKeyLine(const SettingsFile& store, const QString& section, Each each) {
  const int count = store.CountKeys(section);
  for (int i = 0; i < count; ++i) {
    const QString line = store.GetLine(i, section);
    const qsizetype equals = line.indexOf('=');
    if (equals < 0) continue;
    each(line.left(equals), line.mid(equals + 1));
  }
}
}  // namespace

void AddButtons(const SettingsFile& hotkeys, HotkeyWindow& window) {
  ForEachKeyLine(hotkeys, kHotkeysSection, [&window](const QString& name, const QString& value) {
    int id = 0, modifiers = 0, key = 0;
    if (ParseTriple(value, id, modifiers, key)) window.AddButton(name, id, modifiers, key);
  });
}

void AddButtonsFromFile(HotkeyWindow& window) {
  SettingsFile hotkeys;
  hotkeys.LoadFromFile(Platform::ProgramFolder() + kHotkeysFile);
  AddButtons(hotkeys, window);
}

QStringList BindingValues(const SettingsFile& settings) {
  QStringList values;
  ForEachKeyLine(settings, kButtonsSection, [&values](const QString&, const QString& value) { values << value; });
  return values;
}

void AddBindings(const QStringList& values, HotkeyWindow& window) {
  for (const QString& value : values) {
    int function = 0, presses = 0, key = 0;
    if (ParseTriple(value, function, presses, key)) window.AddBinding(function, presses, key);
  }
}

void WriteBindings(SettingsFile& settings, const HotkeyWindow& window) {
  settings.ClearSection(kButtonsSection);
  for (int i = 0; i < window.GetBindingCount(); ++i) {
    const std::optional<HotkeyBinding> b = window.GetBinding(i);
    const QString value = b ? QString::asprintf("%d/%d/%d", b->function, b->presses, b->virtualKey) : QString("");
    settings.WriteString(kButtonsSection, QString::asprintf("Hotkey%d", i), value);
  }
}

}  // namespace ButtonMapping
