#pragma once
#include "playback/InputModule.h"

// The functions the player writes into every plug-in record, and the process-wide
// record of the main window they report to.
namespace HostCallbacks {

// Published once the plug-ins have been started; until then reportStreamInfo
// reaches no window. Any thread may read it.
void PublishMainWindow(WindowHandle window);
WindowHandle MainWindow();

// Writes hostHook1 ... hostHook11 and reportStreamInfo into module.
void Install(InputModule& module);

}  // namespace HostCallbacks
