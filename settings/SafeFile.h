#pragma once
#include <QByteArray>
#include <QString>

// Replaces the file at path with bytes so that, whatever happens meanwhile (a
// full disk, a read-only folder, the process killed, the power lost), the file
// holds either its previous content or the new one, never a part. The bytes go
// to a new file beside it, which is flushed to the disk and then renamed over
// the old one; the folder is flushed too, so the rename itself lasts. False when
// any step fails; the temporary file is then removed and the old file is untouched.
bool ReplaceFileSafely(const QString& path, const QByteArray& bytes);

// Removes what ReplaceFileSafely left beside the file at path when the process
// was killed while writing it: files named like the file followed by '.' and six
// letters or digits, regular, owned by this user and not being written now.
// Nothing else is touched. Returns the number of files removed.
int RemoveStaleTemporaries(const QString& path);
