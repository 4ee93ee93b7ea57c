#pragma once
#include <string>
#include <string_view>

// What a live stream says about itself and its current song, as bytes the way the
// source sent them (UTF-8 as a rule, a legacy code page from some stations); the
// host decodes them. Empty fields are unknown.
struct StreamTags {
  std::string station;  // icy-name
  std::string genre;    // icy-genre
  int bitRateKbps = 0;  // icy-br, the bit rate the station announces
  std::string artist;   // the song's artist, when the stream names it apart (Ogg comments)
  std::string title;    // the song; ICY titles are often "Artist - Title" in one
  bool operator==(const StreamTags&) const = default;
  bool Empty() const { return *this == StreamTags{}; }
};

// Shoutcast/Icecast in-band metadata: the text of one metadata block
// ("StreamTitle='...';StreamUrl='...';") and the station's response headers.
namespace IcyMetadata {

// A metadata block is at most 255 x 16 bytes; anything beyond is not looked at.
constexpr size_t kMaxBlockBytes = 255 * 16;
// A text longer than this is cut (at a character boundary where it is UTF-8).
constexpr size_t kMaxTextBytes = 512;

// The StreamTitle of a block; false when the block has none. A title may hold
// quotes and semicolons: it ends at the "';" that ends the block or comes before
// the next "Key='". Control characters become blanks; blanks around are trimmed.
bool StreamTitle(std::string_view block, std::string& title);

// icy-name, icy-genre and icy-br of "Name: value" lines (as FFmpeg's http protocol
// collects them, names in any case), into tags; other lines are ignored.
void ReadHeaders(std::string_view headers, StreamTags& tags);

// text without control characters, trimmed and cut to kMaxTextBytes.
std::string CleanText(std::string_view text);

}  // namespace IcyMetadata
