#pragma once
#include <QString>
#include <QStringList>

// The in-memory copy of a small text file of "[section]" header lines and
// key=value lines. Every line is classified afresh whenever it is walked: a line
// containing ']' is a header, any other line is a key line (key up to the first
// '='). Names and keys compare case-insensitively and are never trimmed.
class SettingsFile {
 public:
  SettingsFile() = default;
  virtual ~SettingsFile() = default;

  // 0 when the file cannot be opened, is no regular file (a FIFO or a device is
  // never waited on) or is larger than maxBytes (no store of options is that big:
  // such a file is refused rather than read into memory), else 1; appends the
  // file's lines.
  int LoadFromFile(const QString& path, qint64 maxBytes = kMaxFileBytes);
  // 0 when the file cannot be written, or would be larger than maxBytes (so it
  // could not be loaded again), else 1. The old file is replaced only once the
  // new one is complete, so a failed write never loses it.
  int SaveToFile(const QString& path, qint64 maxBytes = kMaxFileBytes) const;

  // 1 and the value when the key is found in the section, else 0 and the default.
  int GetString(const QString& section, const QString& key, const QString& defaultValue, QString& value) const;
  // 0 when key or value is null, else 1. Line breaks in either become blanks.
  int WriteString(const QString& section, const QString& key, const QString& value);
  // Non-header lines of the section's first occurrence; -1 when the section is absent.
  int CountKeys(const QString& section) const;
  // The index-th non-header line of the section's first occurrence, or "".
  QString GetLine(int index, const QString& section) const;
  // Removes the lines of the section's first occurrence (the header stays); 1.
  int ClearSection(const QString& section);

  const QStringList& Lines() const { return lines_; }

  static constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;

 private:
  int FindHeader(const QString& section) const;

  QStringList lines_;
};

// The plain decimal conversion used for every numeric option: leading blanks and
// a sign accepted, stops at the first non-digit, no digits read as 0.
int ParseDecimal(const QString& text);
