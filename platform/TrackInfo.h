#pragma once
#include <QString>
#include <utility>
#include <vector>

// What a file says about itself: its tags and the details of its audio stream.
struct TrackInfo {
  std::vector<std::pair<QString, QString>> tags;  // as the file names them, in file order
  QString format;      // container, e.g. "asf", "mp3", "wav"
  QString codec;       // audio codec, e.g. "wmav2"
  int lengthMs = -1;   // -1 when unknown
  int bitRate = -1;    // bits per second, -1 when unknown
  int sampleRate = -1; // Hz
  int channels = -1;

  // The value of a tag, matched without regard to case; empty when absent.
  QString Tag(const QString& name) const;
  // "Artist - Title", the title alone, or empty without a title tag.
  QString DisplayTitle() const;
};

// What a live stream (internet radio, a chained Ogg stream) says of its station
// and the song playing now, as the plug-in last reported it. Empty texts are unknown.
struct StreamMetadata {
  QString station;      // icy-name
  QString genre;        // icy-genre
  int bitRateKbps = 0;  // icy-br; 0 unknown
  QString artist;       // when the stream names the artist apart
  QString title;

  bool operator==(const StreamMetadata&) const = default;
  bool IsEmpty() const { return *this == StreamMetadata{}; }
  // The song as one text: "Artist - Title", the title alone, or empty.
  QString Song() const;
  // The song's artist and title apart: a radio title "Artist - Title" split at its
  // first " - " when the stream named no artist.
  std::pair<QString, QString> ArtistAndTitle() const;
};

namespace Platform {
// Reads a local file's tags and stream details through the decoder library,
// loaded at the first call. False when the file cannot be read as audio.
bool ReadTrackInfo(const QString& path, TrackInfo& info);
}  // namespace Platform
