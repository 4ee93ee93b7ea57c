#pragma once
#include <QString>
#include <functional>

class QWidget;
struct StreamMetadata;
struct TrackInfo;

// "File Info": the row's location, its stream details and every tag of the file.
// The text the dialog shows, line by line ("Name: value").
QString FileInfoText(const QString& location, const TrackInfo& info, bool readable);
// The same for a live stream: the station's name, genre and bit rate, and the song.
QString StreamInfoText(const QString& location, const StreamMetadata& stream);

// Shows the dialog (modal, with a Close button). Replaceable so that tests look
// at what would be shown instead of waiting for a person.
using FileInfoPresenter = std::function<void(QWidget* parent, const QString& location, const QString& text)>;
void SetFileInfoPresenter(FileInfoPresenter presenter);  // empty restores the dialog
void ShowFileInfo(QWidget* parent, const QString& location, const QString& text);
