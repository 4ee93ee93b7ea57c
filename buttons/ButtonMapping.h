#pragma once
#include <QString>
#include <QStringList>

class HotkeyWindow;
class SettingsFile;

// The button lists as files keep them: "hotkeys.ini" section "hotkeys" with
// name=identifier/modifiers/virtual key, and the bindings in section "buttons" of
// the options as "Hotkey%d" = function/press count/virtual key.
namespace ButtonMapping {
inline const QString kHotkeysFile = QStringLiteral("hotkeys.ini");
inline const QString kHotkeysSection = QStringLiteral("hotkeys");
inline const QString kButtonsSection = QStringLiteral("buttons");

// Splits "a/b/c" at the first two '/': false when either is missing.
bool ParseTriple(const QString& value, int& a, int& b, int& c);
// Every line of the section "hotkeys" of a "hotkeys.ini" store, as buttons.
void AddButtons(const SettingsFile& hotkeys, HotkeyWindow& window);
// Reads "hotkeys.ini" of the program folder (nothing when it is missing) into window.
void AddButtonsFromFile(HotkeyWindow& window);
// The value parts of every line of section "buttons", whatever their keys.
QStringList BindingValues(const SettingsFile& settings);
// Every well-formed value as a binding.
void AddBindings(const QStringList& values, HotkeyWindow& window);
// Clears section "buttons" and writes the window's bindings from "Hotkey0" on.
void WriteBindings(SettingsFile& settings, const HotkeyWindow& window);
}  // namespace ButtonMapping
