// Any "hotkeys.ini" gives a button table without two buttons on one key, each
// from a well-formed line; any section "buttons" gives bindings that are written
// back and read again unchanged.
#include <QApplication>
#include <vector>

#include "FuzzSupport.h"
#include "buttons/ButtonMapping.h"
#include "buttons/HotkeyWindow.h"
#include "settings/SettingsFile.h"

namespace {
struct Binding {
  int function, presses, key;
  bool operator==(const Binding&) const = default;
};

std::vector<Binding> Bindings(const HotkeyWindow& window) {
  std::vector<Binding> result;
  for (int i = 0; i < window.GetBindingCount(); ++i) {
    const HotkeyBinding b = *window.GetBinding(i);
    result.push_back({b.function, b.presses, b.virtualKey});
  }
  return result;
}

void CheckButtons(const SettingsFile& file, const HotkeyWindow& window) {
  const auto& buttons = window.Buttons();
  FUZZ_CHECK(int(buttons.size()) <= HotkeyWindow::kMaxButtons);
  FUZZ_CHECK(int(buttons.size()) <= std::max(0, file.CountKeys(ButtonMapping::kHotkeysSection)));
  for (size_t i = 0; i < buttons.size(); ++i) {
    for (size_t j = 0; j < i; ++j) FUZZ_CHECK(buttons[i].virtualKey != buttons[j].virtualKey);
    // Each button is the first well-formed line with its key.
    QString value;
    FUZZ_CHECK(file.GetString(ButtonMapping::kHotkeysSection, buttons[i].name, QString(), value) == 1);
  }
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  new QApplication(*argc, *argv);
  Fuzz::Setup();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SettingsFile file;
  FUZZ_CHECK(file.LoadFromFile(Fuzz::WriteFile("hotkeys.ini", Fuzz::Bytes(data, size))) == 1);

  HotkeyWindow first(nullptr, 0);
  ButtonMapping::AddButtons(file, first);
  CheckButtons(file, first);

  ButtonMapping::AddBindings(ButtonMapping::BindingValues(file), first);
  const std::vector<Binding> bindings = Bindings(first);
  FUZZ_CHECK(int(bindings.size()) <= HotkeyWindow::kMaxBindings);
  for (size_t i = 0; i < bindings.size(); ++i)
    for (size_t j = 0; j < i; ++j)
      FUZZ_CHECK(bindings[i].key != bindings[j].key || bindings[i].presses != bindings[j].presses);

  // Written into the options and read back from the saved file: the same bindings.
  ButtonMapping::WriteBindings(file, first);
  FUZZ_CHECK(std::max(0, file.CountKeys(ButtonMapping::kButtonsSection)) == int(bindings.size()));
  const QString saved = Fuzz::Workspace() + "/tarnello.txt";
  FUZZ_CHECK(file.SaveToFile(saved) == 1);
  SettingsFile again;
  FUZZ_CHECK(again.LoadFromFile(saved) == 1);
  HotkeyWindow second(nullptr, 0);
  ButtonMapping::AddBindings(ButtonMapping::BindingValues(again), second);
  FUZZ_CHECK(Bindings(second) == bindings);
  return 0;
}
