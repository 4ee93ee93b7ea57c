#pragma once
#include <cstdint>

// Window message numbers. The player's private messages keep the design's numbers
// (all above the user base 0x0400) because plug-ins send some of them.
constexpr uint32_t MSG_CLOSE = 0x0010;    // ask a window to close (it decides)
constexpr uint32_t MSG_COMMAND = 0x0111;  // wParam = command identifier
constexpr uint32_t MSG_USER = 0x0400;

// The three messages of the plug-in interface; playback/InputModule.h declares the
// same numbers for plug-ins, and whichever header comes first defines them.
#ifndef TARNELLO_PLUGIN_MESSAGES_DEFINED
#define TARNELLO_PLUGIN_MESSAGES_DEFINED
constexpr uint32_t MSG_TRACK_ENDED = 0x0402;
constexpr uint32_t MSG_STREAM_RATES = 0x040B;
constexpr uint32_t MSG_STREAM_CHANNELS = 0x040D;
#endif
constexpr uint32_t MSG_PLAY_ROW = 0x040E;
// Sent by the player's reportStreamTags: lParam = const StreamMetadata* (platform/TrackInfo.h).
constexpr uint32_t MSG_STREAM_TAGS = 0x040F;
constexpr uint32_t MSG_CHILD_FOCUS_GAINED = 0x0410;
constexpr uint32_t MSG_CHILD_FOCUS_LOST = 0x0411;
constexpr uint32_t MSG_SLIDER_TRACK = 0x041E;
constexpr uint32_t MSG_SLIDER_SET = 0x041F;
constexpr uint32_t MSG_WINDOW_MOVING = 0x04C8;  // wParam: const Rect* (screen rectangle)
constexpr uint32_t MSG_DRAG_END = 0x04C9;
constexpr uint32_t MSG_DRAG_BEGIN = 0x04CA;
constexpr uint32_t MSG_LIST_CLICK = 0x052C;
constexpr uint32_t MSG_BUTTON_EVENT = 0x05F4;
