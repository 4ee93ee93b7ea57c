#pragma once
#include <cstdint>

// Which paths Brelwick plays: files by their extension and http(s) URLs, never
// what Dovrel plays (".wma" and ".asf" by the first four characters of the last
// '.'), so the plug-ins' load order never decides who plays a WMA file.
namespace Claims {

// The open-file filter groups of the formats below.
extern const char16_t kFileTypes[];

bool IsUrl(const char16_t* path);
// Also a span of a file it claims, "PATH#t=START,END" (ParseSourceSpan).
bool Claims(const char16_t* path);

}  // namespace Claims
