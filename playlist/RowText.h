#pragma once
#include <QByteArray>
#include <QString>

#include "platform/FileNames.h"

// Texts of playlist rows between the bytes of files and the rows. A path is kept
// exactly as its bytes are on disk (Platform::PathFromBytes).
using Platform::HasRawBytes;
using Platform::PathFromBytes;
using Platform::PathToBytes;

// A title as a row shows it and a line-based file can hold it: control characters
// (line breaks, tabs, ...) become blanks, and a raw byte of a path becomes the
// Latin-1 character of that byte.
QString CleanTitle(QStringView title);

// True when no line of a text file can carry the path as it is: it holds a
// control character or a raw byte.
bool NeedsFileUri(QStringView path);
// "file://" and the path's bytes, percent-encoded except for the plain ASCII
// characters of a path ("file:" alone before a relative path).
QString PathToFileUri(QStringView path);
// The path of a "file:" URI naming a local file ("file:///a", "file://localhost/a",
// "file:/a", "file:a" for a relative one), percent-decoded; the empty text for
// any other text.
QString FileUriToPath(QStringView uri);

// The location a path line of a list in folder names: a "file:" URI is a path,
// another URL stays as it is, and a relative path starts at folder. The empty
// line stays empty.
QString ResolveListPath(QStringView line, const QString& folder);

enum class PathKind { None, File, Folder, Other };
// What is at path (PathToBytes gives its bytes); a link is followed.
PathKind KindOfPath(const QString& path);
