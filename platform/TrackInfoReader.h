#pragma once
// The entry point of libtarnello-trackinfo.so, loaded by the platform library at
// the first read. It reports what it finds as UTF-8 key/value pairs: every tag
// as "tag:NAME", and "format", "codec", "length_ms", "bit_rate", "sample_rate",
// "channels". Returns 1 when the file was read, 0 when not.
extern "C" {
typedef void (*TarnelloTrackField)(void* context, const char* key, const char* value);
typedef int (*TarnelloReadTrackInfoFunction)(const char* path, TarnelloTrackField field, void* context);
int TarnelloReadTrackInfo(const char* path, TarnelloTrackField field, void* context);
}
