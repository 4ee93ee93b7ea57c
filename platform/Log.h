#pragma once
#include <string_view>

// The diagnostic log: one line per noteworthy event (a plug-in found, loaded or
// refused, a sound server or stream failure, a file that does not decode, a skin
// that does not load, a file that cannot be saved, the D-Bus name). TARNELLO_LOG
// chooses it: unset, empty or "0" keeps it off; "1" writes to stderr; anything
// else names a file the lines are appended to (stderr when it cannot be opened).
// Plain C++ so that the media control, the sound library and the plug-ins log
// too; each shared library keeps its own copy and reads the variable once.
// Any thread: a line is written with one write call, so lines never interleave.
namespace Platform {

// Whether the log is on; after the first call a single load.
bool LogEnabled();

// Writes "tarnello[PID] HH:MM:SS.mmm AREA: TEXT" when the log is on; line breaks
// inside text become spaces, so every event stays one line.
void Log(std::string_view area, std::string_view text);

// The same for Qt's texts (anything with toUtf8()), converted only when the log is on.
template <typename Text>
  requires requires(const Text& t) { t.toUtf8().constData(); }
void Log(std::string_view area, const Text& text) {
  if (!LogEnabled()) return;
  const auto bytes = text.toUtf8();
  Log(area, std::string_view(bytes.constData(), size_t(bytes.size())));
}

// Reads TARNELLO_LOG again and reopens the target (a test changes it in-process;
// the player reads it once).
void ReopenLog();

}  // namespace Platform
