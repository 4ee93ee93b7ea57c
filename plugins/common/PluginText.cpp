#include "plugins/common/PluginText.h"

#include <cmath>
#include <cuchar>
#include <limits>

namespace PluginText {
namespace {

void AppendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | (c >> 18));
    out += char(0x80 | ((c >> 12) & 0x3F));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

// The code points of valid UTF-8 (no overlong forms, no surrogates, none above
// U+10FFFF); false at the first byte that breaks it.
bool DecodeUtf8(std::string_view s, std::u32string& out) {
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || i + size_t(extra) > s.size() - 1) return false;
    uint32_t c = extra == 0 ? b : b & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      const auto t = static_cast<unsigned char>(s[i + size_t(k)]);
      if ((t & 0xC0) != 0x80) return false;
      c = (c << 6) | (t & 0x3F);
    }
    static constexpr uint32_t kLeast[4] = {0, 0x80, 0x800, 0x10000};
    if (c < kLeast[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    out += char32_t(c);
    i += size_t(extra) + 1;
  }
  return true;
}

}  // namespace

std::u16string BytesToUtf16(std::string_view bytes) {
  std::u16string out;
  std::u32string points;
  if (!DecodeUtf8(bytes, points)) {
    for (char b : bytes) {
      const auto u = static_cast<unsigned char>(b);
      out += char16_t(u < 0x80 ? u : 0xDC00 + u);
    }
    return out;
  }
  for (char32_t c : points) {
    if (c < 0x10000) {
      out += char16_t(c);
    } else {
      out += char16_t(0xD800 + ((c - 0x10000) >> 10));
      out += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  return out;
}

std::string ToUtf8(const char16_t* text) {
  std::string out;
  for (const char16_t* p = text; p && *p; ++p) {
    uint32_t c = *p;
    if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (uint32_t(p[1]) - 0xDC00);
      ++p;
    } else if (c >= 0xDC80 && c <= 0xDCFF) {
      out += char(c - 0xDC00);
      continue;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

std::u16string LocalToUtf16(std::string_view text) {
  std::u16string out;
  std::mbstate_t state{};
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end) {
    char16_t c = 0;
    const size_t n = std::mbrtoc16(&c, p, size_t(end - p), &state);
    if (n == size_t(-1) || n == size_t(-2)) {  // no character, or one cut short
      out += u'\xFFFD';
      state = {};
      ++p;
      continue;
    }
    out += c;
    if (n != size_t(-3)) p += n == 0 ? 1 : n;  // -3: the second half of a pair, no input taken
  }
  return out;
}

int32_t ToMs(double seconds) {
  const double ms = seconds * 1000.0;
  if (!std::isfinite(ms)) return 0;
  if (ms >= double(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  if (ms <= double(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  return int32_t(ms);
}

}  // namespace PluginText
