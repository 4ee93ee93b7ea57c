#pragma once
#include "playback/InputModule.h"
#include "platform/media/MediaPlayer.h"

// What the plug-ins that host the media player control have in common: the module
// record's fixed fields and the requests passed on to the control unchanged.
namespace ControlHost {

// The plug-in's control while it is usable, or null.
using ControlAccess = MediaPlayer* (*)();

// Fills the record's version, reserved entries and the requests every hosting
// plug-in passes on alike (pause, resume, paused?, stop, length, position, seek,
// volume), acting on what `control` returns; balance, equalizer and speed do
// nothing. The plug-in then sets its texts, start-up, shutdown, claims and play,
// and replaces any request it handles its own way. Each plug-in library holds its
// own copy of this code, so one `control` per plug-in.
void Wire(InputModule& module, ControlAccess control);

// The forwarding the plug-ins may build on when they replace an entry.
int32_t TrackLengthMs();
// Negative positions are passed on as they are.
void SeekToMs(int32_t ms);

// Passes the end of a stream to the player's main window, synchronously: the
// player's handling calls back into the control (stop, play), which never waits for
// the event thread, and no lock may be held here. Sent even when the player has
// stopped meanwhile: the player decides what it means. True when `event` was it.
bool ForwardEndOfStream(const InputModule& module, MediaEvent event);

}  // namespace ControlHost
