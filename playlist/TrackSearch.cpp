#include "playlist/TrackSearch.h"

#include "playlist/Playlist.h"

namespace {
constexpr char16_t kFieldBreak = 0x01;  // between title and path: no word spans it

// Letters that have no decomposition to a base letter but are read as one.
const char16_t* SpeltOut(char16_t c) {
  switch (c) {
    case u'ß': case u'ẞ': return u"ss";
    case u'æ': case u'Æ': return u"ae";
    case u'œ': case u'Œ': return u"oe";
    case u'ø': case u'Ø': return u"o";
    case u'ł': case u'Ł': return u"l";
    case u'đ': case u'Đ': case u'ð': case u'Ð': return u"d";
    case u'þ': case u'Þ': return u"th";
    case u'ı': return u"i";
    default: return nullptr;
  }
}

bool IsHangulSyllable(char16_t c) { return c >= 0xAC00 && c <= 0xD7A3; }

void AppendFolded(char16_t c, QString& out, int depth = 0) {
  if (c < 0x80) {
    if (c >= 'A' && c <= 'Z') c = char16_t(c + ('a' - 'A'));
    else if (c < 0x20 || c == 0x7F) c = u' ';
    out += QChar(c);
    return;
  }
  const QChar ch(c);
  if (ch.category() == QChar::Mark_NonSpacing) return;
  if (const char16_t* spelt = SpeltOut(c)) {
    out += QStringView(spelt);
    return;
  }
  // Canonical and compatibility decompositions: "é" is "e" and a mark, "Ａ" is "A".
  // Hangul syllables stay whole; their letters are not separate marks.
  if (depth < 4 && ch.decompositionTag() != QChar::NoDecomposition && !IsHangulSyllable(c)) {
    const QString parts = ch.decomposition();
    for (QChar part : parts) AppendFolded(part.unicode(), out, depth + 1);
    return;
  }
  if (ch.category() == QChar::Other_Control) {
    out += QChar(u' ');
    return;
  }
  out += QChar(char16_t(QChar::toCaseFolded(c)));
}
}  // namespace

QString TrackSearch::Fold(QStringView text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      // Beyond the basic plane: case folded, nothing more.
      const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(c, text[i + 1]));
      out += QString::fromUcs4(&folded, 1);
      ++i;
      continue;
    }
    AppendFolded(c.unicode(), out);
  }
  return out;
}

QStringList TrackSearch::Words(const QString& text) {
  return Fold(text).split(QChar(u' '), Qt::SkipEmptyParts);
}

void TrackSearch::Index(const Playlist& playlist) {
  folded_.clear();
  starts_.clear();
  const int count = playlist.GetCount();
  starts_.reserve(size_t(count) + 1);
  for (int row = 0; row < count; ++row) {
    starts_.push_back(folded_.size());
    const PlaylistEntry& entry = playlist.Row(row);
    folded_ += Fold(entry.title);
    folded_ += QChar(kFieldBreak);
    folded_ += Fold(entry.path);
  }
  starts_.push_back(folded_.size());
  words_.clear();
  matches_.clear();
  for (int row = 0; row < count; ++row) matches_.push_back(row);
}

bool TrackSearch::Narrows(const QStringList& words) const {
  // Every earlier word lies inside a new one: a row that matches now matched then.
  for (const QString& before : words_) {
    bool inside = false;
    for (const QString& now : words) inside = inside || now.contains(before);
    if (!inside) return false;
  }
  return true;
}

bool TrackSearch::RowMatches(int row, const QStringList& words) const {
  const QStringView text = QStringView(folded_).mid(starts_[size_t(row)], starts_[size_t(row) + 1] - starts_[size_t(row)]);
  for (const QString& word : words)
    if (!text.contains(word)) return false;
  return true;
}

const std::vector<int>& TrackSearch::Filter(const QString& text) {
  const QStringList words = Words(text);
  std::vector<int> found;
  if (Narrows(words)) {
    for (int row : matches_)
      if (RowMatches(row, words)) found.push_back(row);
  } else {
    for (int row = 0; row < RowCount(); ++row)
      if (RowMatches(row, words)) found.push_back(row);
  }
  matches_ = std::move(found);
  words_ = words;
  return matches_;
}
