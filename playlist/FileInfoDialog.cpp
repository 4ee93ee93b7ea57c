#include "playlist/FileInfoDialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "platform/TrackInfo.h"
#include "playlist/HtmlPlaylist.h"

namespace {
FileInfoPresenter installed;

void RunDialog(QWidget* parent, const QString& location, const QString& text) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QStringLiteral("File Info - ") + QFileInfo(location).fileName());
  auto* layout = new QVBoxLayout(&dialog);
  auto* view = new QPlainTextEdit(text, &dialog);
  view->setReadOnly(true);
  view->setMinimumSize(360, 240);
  layout->addWidget(view);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  dialog.exec();
}
}  // namespace

QString FileInfoText(const QString& location, const TrackInfo& info, bool readable) {
  QStringList lines;
  lines << QStringLiteral("File: ") + location;
  if (!readable) {
    lines << QStringLiteral("The file cannot be read.");
    return lines.join('\n');
  }
  const QFileInfo file(location);
  if (file.isFile()) lines << QStringLiteral("Size: %1 bytes").arg(file.size());
  lines << QStringLiteral("Format: ") + info.format;
  lines << QStringLiteral("Codec: ") + info.codec;
  if (info.lengthMs > 0) lines << QStringLiteral("Length: ") + LengthText((info.lengthMs + 500) / 1000);
  if (info.bitRate > 0) lines << QStringLiteral("Bit rate: %1 kbit/s").arg(info.bitRate / 1000);
  if (info.sampleRate > 0) lines << QStringLiteral("Sample rate: %1 Hz").arg(info.sampleRate);
  if (info.channels > 0)
    lines << QStringLiteral("Channels: %1").arg(info.channels == 1   ? QStringLiteral("1 (mono)")
                                                 : info.channels == 2 ? QStringLiteral("2 (stereo)")
                                                                      : QString::number(info.channels));
  if (!info.tags.empty()) lines << QString() << QStringLiteral("Tags:");
  for (const auto& [key, value] : info.tags) lines << key + QStringLiteral(": ") + value;
  return lines.join('\n');
}

QString StreamInfoText(const QString& location, const StreamMetadata& stream) {
  QStringList lines;
  lines << QStringLiteral("File: ") + location;
  if (!stream.station.isEmpty()) lines << QStringLiteral("Station: ") + stream.station;
  if (!stream.genre.isEmpty()) lines << QStringLiteral("Genre: ") + stream.genre;
  if (stream.bitRateKbps > 0) lines << QStringLiteral("Bit rate: %1 kbit/s").arg(stream.bitRateKbps);
  const QString song = stream.Song();
  if (!song.isEmpty()) lines << QStringLiteral("Playing: ") + song;
  return lines.join('\n');
}

void SetFileInfoPresenter(FileInfoPresenter presenter) { installed = std::move(presenter); }

void ShowFileInfo(QWidget* parent, const QString& location, const QString& text) {
  if (installed) {
    installed(parent, location, text);
  } else {
    RunDialog(parent, location, text);
  }
}
