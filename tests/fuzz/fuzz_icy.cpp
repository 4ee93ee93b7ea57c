// Any bytes as a station's in-band metadata block and as its response headers:
// the title found is bounded, on one line, trimmed, and stays UTF-8 when the block
// was; a bit rate is a plain positive number or nothing.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/media/StreamTags.h"

namespace {
void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

bool IsUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const size_t extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : 9;
    if (extra == 9 || i + extra >= s.size() + (extra == 0)) return false;
    for (size_t k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += extra + 1;
  }
  return true;
}

void CheckText(const std::string& text) {
  Check(text.size() <= IcyMetadata::kMaxTextBytes, "a text is bounded");
  for (char c : text) Check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F, "no control characters");
  Check(text.empty() || (text.front() != ' ' && text.back() != ' '), "trimmed");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string title;
  if (IcyMetadata::StreamTitle(input, title)) {
    CheckText(title);
    const std::string_view looked = input.substr(0, IcyMetadata::kMaxBlockBytes);
    if (IsUtf8(looked.substr(0, looked.find('\0')))) Check(IsUtf8(title), "UTF-8 stays UTF-8");
  }
  StreamTags tags;
  IcyMetadata::ReadHeaders(input, tags);
  CheckText(tags.station);
  CheckText(tags.genre);
  Check(tags.bitRateKbps >= 0 && tags.bitRateKbps < 1000000, "a plausible bit rate");
  return 0;
}
