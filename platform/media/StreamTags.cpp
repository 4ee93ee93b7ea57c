#include "platform/media/StreamTags.h"

#include <algorithm>
#include <cctype>

namespace IcyMetadata {
namespace {
bool IsKeyChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-'; }

// Whether a "Key='" starts at `at`.
bool KeyStartsAt(std::string_view s, size_t at) {
  size_t end = at;
  while (end < s.size() && IsKeyChar(s[end])) ++end;
  return end > at && s.substr(end, 2) == "='";
}

// Where the value starting at `from` ends: at a "';" followed by the end of the
// block or by another key; else at the last quote, or the block's end.
size_t ValueEnd(std::string_view s, size_t from) {
  for (size_t at = s.find("';", from); at != std::string_view::npos; at = s.find("';", at + 1)) {
    size_t next = at + 2;
    while (next < s.size() && s[next] == ' ') ++next;
    if (next >= s.size() || KeyStartsAt(s, next)) return at;
  }
  const size_t quote = s.rfind('\'');
  return quote != std::string_view::npos && quote >= from ? quote : s.size();
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

int LeadingNumber(std::string_view text) {
  long long n = 0;
  size_t i = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && n < 1000000; ++i)
    n = n * 10 + (text[i] - '0');
  return i > 0 && n > 0 && n < 1000000 ? int(n) : 0;
}
}  // namespace

std::string CleanText(std::string_view text) {
  std::string out;
  out.reserve(std::min(text.size(), kMaxTextBytes));
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    out += u < 0x20 || u == 0x7F ? ' ' : c;
  }
  const size_t first = out.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  out.erase(0, first);
  out.erase(out.find_last_not_of(' ') + 1);
  if (out.size() > kMaxTextBytes) {
    size_t cut = kMaxTextBytes;
    // Not inside a UTF-8 sequence: back to the byte that starts a character.
    while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
    out.resize(cut);
    out.erase(out.find_last_not_of(' ') + 1);
  }
  return out;
}

bool StreamTitle(std::string_view block, std::string& title) {
  block = block.substr(0, std::min(block.size(), kMaxBlockBytes));
  // The block is padded with zeros to a multiple of 16 bytes.
  block = block.substr(0, std::min(block.size(), block.find('\0')));
  for (size_t at = 0; at < block.size();) {
    while (at < block.size() && (block[at] == ' ' || block[at] == ';')) ++at;
    size_t keyEnd = at;
    while (keyEnd < block.size() && IsKeyChar(block[keyEnd])) ++keyEnd;
    if (keyEnd == at || block.substr(keyEnd, 2) != "='") return false;
    const size_t valueStart = keyEnd + 2;
    const size_t valueEnd = ValueEnd(block, valueStart);
    if (block.substr(at, keyEnd - at) == "StreamTitle") {
      title = CleanText(block.substr(valueStart, valueEnd - valueStart));
      return true;
    }
    at = valueEnd + 1;
  }
  return false;
}

void ReadHeaders(std::string_view headers, StreamTags& tags) {
  while (!headers.empty()) {
    const size_t lineEnd = std::min(headers.size(), headers.find('\n'));
    std::string_view line = headers.substr(0, lineEnd);
    headers.remove_prefix(std::min(headers.size(), lineEnd + 1));
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view name = line.substr(0, colon);
    const std::string_view value = line.substr(colon + 1);
    if (EqualsNoCase(name, "icy-name")) tags.station = CleanText(value);
    else if (EqualsNoCase(name, "icy-genre")) tags.genre = CleanText(value);
    else if (EqualsNoCase(name, "icy-br")) tags.bitRateKbps = LeadingNumber(CleanText(value));
  }
}

}  // namespace IcyMetadata
