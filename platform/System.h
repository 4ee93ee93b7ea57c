#pragma once
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class Window;

// Operating-system services the player uses, in the shape the player needs them.
namespace Platform {

// The folder of the running program with a trailing '/', or TARNELLO_HOME (given
// a trailing '/') when that is set; empty when neither can be had, so that the
// program's files are then named relative to the current folder.
QString ProgramFolder();

// The name of the file an installation places in the program folder: such a
// copy never writes there.
inline const QString kInstalledMarker = QStringLiteral("tarnello.installed");

// The folder of the files the player writes ("tarnello.txt", "tarnello.m3u",
// "temp.pls", "Skins/Temporary"), with a trailing '/': TARNELLO_HOME when set;
// else the program folder, unless that is an installed copy or cannot be
// written, in which case $XDG_CONFIG_HOME/tarnello/ (~/.config/tarnello/ when
// the variable is unset or not absolute).
QString DataFolder();
// Creates the data folder when it is not the program folder and gives it the
// program folder's copies of the files it lacks ("tarnello.txt", "tarnello.m3u"
// and the files of "Skins/Temporary"), so an installed copy starts with its
// defaults. Files already there are never replaced. False when the folder
// cannot be created.
bool PrepareDataFolder();

struct FolderEntry {
  QString name;  // the entry's name, without its folder
  bool isFolder = false;
};
// The entries of a folder sorted by name in byte order; empty when it cannot be read.
std::vector<FolderEntry> ListFolder(const QString& folder);

using LibraryHandle = void*;
LibraryHandle LoadLibrary(const QString& path);  // null on failure
// Why the last LoadLibrary on this thread failed (the loader's text).
QString LastLibraryError();
void* GetProcAddress(LibraryHandle library, const char* name);
void FreeLibrary(LibraryHandle library);

// Network start-up; nothing needs starting on Linux, so it always succeeds.
bool StartSockets();

// Flags of the full-screen call (hide or show the task bar and input-panel button).
constexpr int SHELL_SHOW_TASKBAR = 1;
constexpr int SHELL_HIDE_TASKBAR = 2;
constexpr int SHELL_HIDE_INPUT_BUTTON = 8;
// A desktop has no task bar of ours to hide: the call does nothing.
void ShellFullScreen(Window* window, int flags);

// Tells the display server the user is active, so the screen saver and the
// screen blanking start their wait again. Does nothing off X11 (Wayland, offscreen).
void ResetIdleTimer();

// A 32-bit random number from a generator seeded once from the system.
uint32_t Random();

// Text files are UTF-8; a byte sequence that is not valid UTF-8 (an old file in a
// legacy code page) is decoded as Latin-1 instead of being lost.
QString DecodeText(const QByteArray& bytes);
// Whether bytes are UTF-8 throughout (no overlong forms, surrogates or cut sequences).
bool IsValidUtf8(QByteArrayView bytes);

// Calls handler on the UI thread when the process receives SIGTERM, SIGINT or SIGHUP,
// so that a logout or Ctrl-C closes the program like its own close command.
// A later call replaces the handler; an empty handler removes it.
void OnTerminationSignal(std::function<void()> handler);

}  // namespace Platform
