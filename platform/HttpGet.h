#pragma once
// The HTTP client of the player, in a library of its own (libtarnello-http.so in
// the program folder) that the player loads at its first download: libcurl and the
// TLS, Kerberos and LDAP libraries behind it stay out of a player that never
// fetches a playlist. Plain C entry, no Qt.
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif
// One GET of url (http or https, redirects followed) whose body is streamed into
// localPath, created or truncated. 1 on success; 0 when the request cannot be made,
// the transfer breaks off, receives nothing for stallSeconds, takes longer than
// totalSeconds in all (0: no bound), exceeds maxBytes, or *cancel (when not null)
// becomes nonzero (read atomically; seen within about a second).
// caBundle: a PEM file of trusted certificates, or null for the system's store.
// Safe to call from any one thread at a time.
typedef int (*TarnelloHttpGetFunction)(const char* url, const char* localPath, int stallSeconds, int totalSeconds,
                                       int64_t maxBytes, const char* caBundle, const int* cancel);
int TarnelloHttpGet(const char* url, const char* localPath, int stallSeconds, int totalSeconds, int64_t maxBytes,
                    const char* caBundle, const int* cancel);
#ifdef __cplusplus
}
#endif
