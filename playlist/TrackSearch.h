#pragma once
#include <QString>
#include <QStringList>
#include <vector>

class Playlist;

// Finding rows by what the user types: a row matches when every word of the text
// occurs in its title or in its path, without regard to case or accents ("e"
// finds "É", "strasse" finds "Straße"). The rows' texts are folded once, when
// indexed; a query that only narrows the last one (more letters, another word)
// searches only the rows that matched it.
class TrackSearch {
 public:
  // Takes the titles and paths of every row of the playlist.
  void Index(const Playlist& playlist);
  // The matching rows in row order; every row for a text without words.
  const std::vector<int>& Filter(const QString& text);
  const std::vector<int>& Matches() const { return matches_; }
  int RowCount() const { return int(starts_.size()) - 1; }

  // Lower case, accents and other marks removed, letters without a decomposition
  // spelt out (ß ss, æ ae, ø o, ł l, ...), full- and half-width forms as the plain
  // ones; control characters become blanks.
  static QString Fold(QStringView text);
  static QStringList Words(const QString& text);

 private:
  bool Narrows(const QStringList& words) const;
  bool RowMatches(int row, const QStringList& words) const;

  QString folded_;                // every row's "title\x01path", one after another
  std::vector<qsizetype> starts_;  // where each row begins in folded_, and the end
  QStringList words_;             // of the last filter
  std::vector<int> matches_;
};
