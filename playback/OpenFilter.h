#pragma once
#include <QString>
#include <QStringList>

// An open-file filter text: fields separated by '|', alternately a description and
// a list of patterns separated by ';' ("Description|*.a;*.b|...|"). The plug-ins
// announce their types in this form; the plug-in manager joins them behind an
// "All supported types" group; the add-folder walk and the drop take the
// patterns from it, the file dialogs its groups.
class OpenFilter {
 public:
  OpenFilter() = default;
  explicit OpenFilter(QString text) : text_(std::move(text)) {}

  // The filter of the plug-ins' texts (joined in load order and closed by one
  // more '|'): "All supported types|" and every pattern followed by ';', then '|'
  // and the texts.
  static OpenFilter ForTypes(const QString& types);

  const QString& Text() const { return text_; }

  // The patterns of every pattern field in order, each trimmed of white space,
  // empty ones skipped; a pattern still open when the text ends is dropped.
  QStringList Patterns() const;
  // The same, each pattern kept once (exact comparison, so "*.mp3" and "*.MP3"
  // are both kept).
  QStringList DistinctPatterns() const;

  // The name filters of a Qt file dialog ("Description (*.a *.b)"), in the same
  // order, so the first one is the dialog's initial choice; the filter ends at its
  // first empty field (a doubled '|').
  QStringList NameFilters() const;

 private:
  QString text_;
};
