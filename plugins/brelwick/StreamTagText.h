#pragma once
#include <string>

#include "platform/media/StreamTags.h"

// A stream's tags as the player takes them: UTF-16 texts. A UTF-8 text reads as
// UTF-8; the others (stations that still send a legacy code page) in the charset
// detected in all of them, else as Latin-1, so nothing comes out unreadable.
struct StreamTagText {
  std::u16string station;
  std::u16string genre;
  std::u16string artist;
  std::u16string title;
  int bitRateKbps = 0;
};

StreamTagText DecodeStreamTags(const StreamTags& tags);
