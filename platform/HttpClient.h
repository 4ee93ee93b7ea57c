#pragma once
#include <QString>
#include <cstdint>

namespace Platform {

// One GET of url (http or https, redirects followed) whose body is streamed into
// localPath, created or truncated, through the HTTP library (libtarnello-http.so
// beside the platform library, loaded at the first call and kept). False when the
// library is missing, the request cannot be made, the transfer breaks off,
// receives nothing for stallSeconds, takes longer than totalSeconds in all (0: no
// bound), exceeds maxBytes, or *cancel (when not null) becomes nonzero (read
// atomically; seen within about a second). caBundle: a PEM file of trusted
// certificates, or empty for the system's store. Any one thread at a time.
bool HttpGetToFile(const QByteArray& url, const QString& localPath, int stallSeconds, int totalSeconds,
                   int64_t maxBytes, const QString& caBundle, const int* cancel);

}  // namespace Platform
