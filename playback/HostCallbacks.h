#pragma once
#include "platform/TrackInfo.h"
#include "playback/InputModule.h"

// The functions the player writes into every plug-in record, and the process-wide
// record of the main window they report to.
namespace HostCallbacks {

// Published once the plug-ins have been started; until then reportStreamInfo
// reaches no window. Any thread may read it.
void PublishMainWindow(WindowHandle window);
WindowHandle MainWindow();

// Writes hostHook1 ... hostHook11, reportStreamInfo and reportStreamTags into module.
void Install(InputModule& module);

// A plug-in's report as the player keeps it: the fields the plug-in's size
// covers, each text up to kMaxTextLength characters on one line; null reads as
// empty. Texts that pass bytes (U+DC80 + byte) are read in the code page detected
// in them.
constexpr int kMaxTextLength = 1024;
StreamMetadata ReadStreamTags(const StreamTagReport& report);

}  // namespace HostCallbacks
