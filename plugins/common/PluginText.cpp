#include "plugins/common/PluginText.h"

#include <cmath>
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

// The code point of the UTF-8 sequence at text[i], advancing i past it; a malformed
// sequence (bad lead, missing continuation, overlong, surrogate, beyond U+10FFFF)
// is U+FFFD and advances by one byte.
uint32_t DecodeUtf8(std::string_view text, size_t& i) {
  const auto lead = uint8_t(text[i]);
  int length = 0;
  uint32_t c = 0;
  if (lead < 0x80) {
    ++i;
    return lead;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, c = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, c = lead & 0x07;
  } else {
    ++i;
    return 0xFFFD;
  }
  if (i + size_t(length) > text.size()) {
    ++i;
    return 0xFFFD;
  }
  for (int k = 1; k < length; ++k) {
    const auto byte = uint8_t(text[i + size_t(k)]);
    if ((byte & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    c = (c << 6) | (byte & 0x3F);
  }
  const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < smallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++i;
    return 0xFFFD;
  }
  i += size_t(length);
  return c;
}

}  // namespace

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

std::u16string ToUtf16(std::string_view text) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    const uint32_t c = DecodeUtf8(text, i);
    if (c < 0x10000) {
      out += char16_t(c);
    } else {
      out += char16_t(0xD800 + ((c - 0x10000) >> 10));
      out += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
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
