#include "plugins/brelwick/Claims.h"

#include <string>

#include "platform/media/SpanDecoder.h"

namespace Claims {

const char16_t kFileTypes[] =
    u"MPEG Audio (*.mp3;*.mp2)|*.mp3;*.mp2|"
    u"FLAC (*.flac)|*.flac|"
    u"Ogg Vorbis and Opus (*.ogg;*.oga;*.opus)|*.ogg;*.oga;*.opus|"
    u"AAC and MPEG-4 Audio (*.m4a;*.m4b;*.aac;*.mp4)|*.m4a;*.m4b;*.aac;*.mp4|"
    u"WAV and AIFF (*.wav;*.aif;*.aiff;*.aifc)|*.wav;*.aif;*.aiff;*.aifc|"
    u"WavPack, Monkey's Audio, Musepack, TTA, Matroska Audio (*.wv;*.ape;*.mpc;*.tta;*.mka)|"
    u"*.wv;*.ape;*.mpc;*.tta;*.mka|";

namespace {
constexpr const char16_t* kExtensions[] = {u"mp3", u"mp2", u"flac", u"ogg",  u"oga", u"opus", u"m4a", u"m4b",
                                           u"aac", u"mp4", u"wav",  u"aif",  u"aiff", u"aifc", u"wv",  u"ape",
                                           u"mpc", u"tta", u"mka"};

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c; }

// Whether text starts with prefix (lower case), ignoring case.
bool StartsWith(const char16_t* text, const char16_t* prefix) {
  for (; *prefix; ++text, ++prefix)
    if (Lower(*text) != *prefix) return false;  // stops at text's terminating 0
  return true;
}

// Whether the whole of text equals word (lower case), ignoring case.
bool Equals(const char16_t* text, const char16_t* word) {
  return StartsWith(text, word) && text[std::char_traits<char16_t>::length(word)] == 0;
}

const char16_t* LastDot(const char16_t* path) {
  const char16_t* dot = nullptr;
  for (const char16_t* p = path; *p; ++p)
    if (*p == u'.') dot = p;
  return dot;
}

// Dovrel's own rule, taken as it is.
bool DovrelClaims(const char16_t* path) {
  const char16_t* dot = LastDot(path);
  return dot && (StartsWith(dot, u".wma") || StartsWith(dot, u".asf"));
}
}  // namespace

bool IsUrl(const char16_t* path) { return path && (StartsWith(path, u"http://") || StartsWith(path, u"https://")); }

namespace {
// A whole file or URL, by its extension or scheme.
bool ClaimsWhole(const char16_t* path) {
  if (DovrelClaims(path)) return false;
  if (IsUrl(path)) return true;
  const char16_t* dot = LastDot(path);
  if (!dot) return false;
  // The extension belongs to the file name, not to a folder above it.
  for (const char16_t* p = dot; *p; ++p)
    if (*p == u'/') return false;
  for (const char16_t* extension : kExtensions)
    if (Equals(dot + 1, extension)) return true;
  return false;
}
}  // namespace

bool Claims(const char16_t* path) {
  if (!path || !*path) return false;
  // A span of a file ("PATH#t=START,END", a cue sheet's track): claimed when the file is.
  const std::u16string text(path);
  const size_t mark = text.rfind(u"#t=");
  if (mark != std::u16string::npos && !IsUrl(path)) {
    // Only the times after the mark need reading; they are plain ASCII.
    std::string ascii;
    for (char16_t c : text) ascii += c < 0x80 ? char(c) : '?';
    SourceSpan span;
    if (ParseSourceSpan(ascii, span)) return ClaimsWhole(text.substr(0, mark).c_str());
  }
  return ClaimsWhole(path);
}

}  // namespace Claims
