#pragma once
#include <QFile>
#include <QString>

enum class RegularFileOpen { Opened, Missing, Refused };

// Opens path for reading only when it is a regular file (a link to one is
// followed). A FIFO, a device, a socket or a folder is refused without waiting:
// the open itself never blocks, so a FIFO put in a state file's place cannot hang
// the start. Missing when there is no such file at all.
RegularFileOpen OpenRegularFile(QFile& file, const QString& path);
