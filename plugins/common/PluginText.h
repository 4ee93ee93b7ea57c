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

// UTF-8 to UTF-16. Bytes that are not UTF-8 (a radio station's legacy code page)
// are kept as they are: the text's bytes above 0x7F each become U+DC00 + byte, the
// player's way of passing a byte, which it reads in the code page it detects.
std::u16string BytesToUtf16(std::string_view bytes);

// Text in the process's locale (as the system hands out library paths) to UTF-16;
// each byte that starts no character becomes U+FFFD.
std::u16string LocalToUtf16(std::string_view text);

// Seconds of the control as whole milliseconds, cut towards 0 and held within
// int32_t; not a number is 0.
int32_t ToMs(double seconds);

}  // namespace PluginText
