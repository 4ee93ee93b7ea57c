#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Text and time conversions shared by the plug-ins that host the media player control.
namespace PluginText {

// UTF-16 to UTF-8. An unpaired U+DC80 to U+DCFF is the player's way of passing a
// byte of a file name that is not UTF-8: it becomes that byte again. Any other
// unpaired surrogate becomes U+FFFD. A null text is empty.
std::string ToUtf8(const char16_t* text);

// UTF-8 to UTF-16; each malformed sequence becomes U+FFFD.
std::u16string ToUtf16(std::string_view text);

// Seconds of the control as whole milliseconds, cut towards 0 and held within
// int32_t; not a number is 0.
int32_t ToMs(double seconds);

}  // namespace PluginText
