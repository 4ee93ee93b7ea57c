#pragma once
#include <QByteArray>
#include <QString>
#include <iconv.h>

// text in a legacy charset, by glibc's converter (not the player's decoder);
// empty when the text has no form in it.
inline QByteArray EncodeLegacy(const QString& text, const char* charset) {
  const QByteArray utf8 = text.toUtf8();
  iconv_t handle = iconv_open(charset, "UTF-8");
  if (handle == iconv_t(-1)) return {};
  QByteArray out(utf8.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(utf8.constData());
  size_t inLeft = size_t(utf8.size());
  char* to = out.data();
  size_t toLeft = size_t(out.size());
  const bool ok = iconv(handle, &in, &inLeft, &to, &toLeft) != size_t(-1);
  iconv_close(handle);
  if (!ok) return {};
  out.truncate(out.size() - qsizetype(toLeft));
  return out;
}
