#include "platform/TrackInfo.h"

#include <dlfcn.h>

#include <QFile>
#include <QFileInfo>
#include <mutex>
#include <sys/stat.h>

#include "platform/LegacyText.h"
#include "platform/FileNames.h"
#include "platform/System.h"
#include "platform/TrackInfoReader.h"

namespace {
constexpr const char* kLibraryName = "libtarnello-trackinfo.so";

// Beside this library, which every program of ours loads from its program folder.
QString LibraryFolder() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&Platform::ReadTrackInfo), &info) || !info.dli_fname) return {};
  return QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath() + '/';
}

TarnelloReadTrackInfoFunction LoadReader() {
  static std::once_flag loaded;
  static TarnelloReadTrackInfoFunction read = nullptr;
  std::call_once(loaded, [] {
    if (Platform::LibraryHandle library = Platform::LoadLibrary(LibraryFolder() + kLibraryName))
      read = reinterpret_cast<TarnelloReadTrackInfoFunction>(Platform::GetProcAddress(library, "TarnelloReadTrackInfo"));
  });
  return read;
}

int Number(const char* value) {
  bool ok = false;
  const qlonglong n = QByteArray(value).toLongLong(&ok);
  return ok && n > 0 && n <= INT32_MAX ? int(n) : -1;
}

// What the reader reports, with the tag values kept as bytes until the whole
// file's tags can be decoded together.
struct Reading {
  TrackInfo& info;
  std::vector<QByteArray> values;
};

// Formats whose tags are ID3, where a tag in a legacy code page often claims Latin-1.
bool HasId3Tags(const QString& format) { return format == "mp3" || format == "aac"; }

void Field(void* context, const char* key, const char* value) {
  auto& reading = *static_cast<Reading*>(context);
  TrackInfo& info = reading.info;
  const QByteArray k(key);
  if (k.startsWith("tag:")) {
    info.tags.emplace_back(QString::fromUtf8(k.mid(4)), QString());
    reading.values.emplace_back(value);
  } else if (k == "format") info.format = QString::fromUtf8(value);
  else if (k == "codec") info.codec = QString::fromUtf8(value);
  else if (k == "length_ms") info.lengthMs = Number(value);
  else if (k == "bit_rate") info.bitRate = Number(value);
  else if (k == "sample_rate") info.sampleRate = Number(value);
  else if (k == "channels") info.channels = Number(value);
}
}  // namespace

QString TrackInfo::Tag(const QString& name) const {
  for (const auto& [key, value] : tags)
    if (key.compare(name, Qt::CaseInsensitive) == 0) return value;
  return {};
}

QString TrackInfo::DisplayTitle() const {
  const QString title = Tag(QStringLiteral("title")).trimmed();
  if (title.isEmpty()) return {};
  const QString artist = Tag(QStringLiteral("artist")).trimmed();
  return artist.isEmpty() ? title : artist + QStringLiteral(" - ") + title;
}

QString StreamMetadata::Song() const {
  if (title.isEmpty()) return {};
  return artist.isEmpty() ? title : artist + QStringLiteral(" - ") + title;
}

std::pair<QString, QString> StreamMetadata::ArtistAndTitle() const {
  if (!artist.isEmpty() || title.isEmpty()) return {artist, title};
  const qsizetype dash = title.indexOf(QStringLiteral(" - "));
  if (dash <= 0 || dash + 3 >= title.size()) return {QString(), title};
  return {title.left(dash).trimmed(), title.mid(dash + 3).trimmed()};
}

namespace Platform {
bool ReadTrackInfo(const QString& path, TrackInfo& info) {
  info = TrackInfo{};
  // Local files only: a URL would make the demuxer open a network stream.
  const QByteArray encoded = PathToBytes(path);
  struct stat status {};
  if (path.isEmpty() || ::stat(encoded.constData(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  const TarnelloReadTrackInfoFunction read = LoadReader();
  if (!read) return false;
  Reading reading{info, {}};
  const bool ok = read(encoded.constData(), &Field, &reading) != 0;
  const std::vector<QString> texts = LegacyText::DecodeTags(reading.values, HasId3Tags(info.format));
  for (size_t i = 0; i < texts.size() && i < info.tags.size(); ++i) info.tags[i].second = texts[i];
  return ok;
}
}  // namespace Platform
