/* The input plug-in record: the one contract between the player and every input
   plug-in. A plug-in exports orvaneGetInModule2, which returns its record; the
   player writes hostWindow, libraryHandle, the host hooks, reportStreamInfo and
   reportStreamTags, then calls startup, and from then on drives playback through the operations.

   Layout: one field per slot, in this order, pointers at their natural width,
   C layout and C linkage. Compiles as C (C11) and C++. Texts are 0-terminated
   UTF-16. This layout changes only together with apiVersion. */
#ifndef TARNELLO_INPUT_MODULE_H
#define TARNELLO_INPUT_MODULE_H

#include <stddef.h>
#include <stdint.h>
#ifndef __cplusplus
#include <uchar.h>
#endif

#ifndef TARNELLO_WINDOW_HANDLE_DEFINED
#define TARNELLO_WINDOW_HANDLE_DEFINED
typedef void* WindowHandle; /* the player's main window, opaque */
#endif
#ifndef TARNELLO_LIBRARY_HANDLE_DEFINED
#define TARNELLO_LIBRARY_HANDLE_DEFINED
typedef void* LibraryHandle; /* what dlopen returned */
#endif

/* Window messages between a plug-in and the player (send them with
   PlatformSendMessage or PlatformPostMessage of platform/PlatformApi.h).
   MSG_TRACK_ENDED: plug-in -> hostWindow, wParam 0, lParam 0, the track played to its end.
   MSG_STREAM_RATES / MSG_STREAM_CHANNELS: sent by the player's reportStreamInfo. */
#ifndef TARNELLO_PLUGIN_MESSAGES_DEFINED
#define TARNELLO_PLUGIN_MESSAGES_DEFINED
#ifdef __cplusplus
constexpr uint32_t MSG_TRACK_ENDED = 0x0402;
constexpr uint32_t MSG_STREAM_RATES = 0x040B;
constexpr uint32_t MSG_STREAM_CHANNELS = 0x040D;
#else
enum { MSG_TRACK_ENDED = 0x0402, MSG_STREAM_RATES = 0x040B, MSG_STREAM_CHANNELS = 0x040D };
#endif
#endif

#define INPUT_MODULE_API_VERSION 256

#ifdef __cplusplus
extern "C" {
#endif

/* What a plug-in tells the player of a live stream (internet radio, a chained Ogg
   stream): the station and the song playing now. Each report carries everything
   known at that moment; a null or empty text is unknown. The texts need to live
   only for the call. A text the stream sent in a legacy code page may be passed
   as its bytes, each byte above 0x7F as U+DC00 + byte: the player reads it in the
   code page it detects. */
typedef struct StreamTagReport {
  int32_t size;               /* sizeof(StreamTagReport) as the plug-in knows it */
  int32_t bitRateKbps;        /* the bit rate the station announces (icy-br); 0 unknown */
  const char16_t* station;    /* the station's name (icy-name) */
  const char16_t* genre;      /* icy-genre */
  const char16_t* artist;     /* the song's artist, when the stream names it apart */
  const char16_t* title;      /* the song; radio titles are often "Artist - Title" in one */
} StreamTagReport;

typedef struct InputModule {
  int32_t apiVersion;          /* 256 */
  const char16_t* description; /* not shown by the player */
  WindowHandle hostWindow;     /* written by the player before startup */
  LibraryHandle libraryHandle; /* written by the player before startup */
  /* Open-file filter groups "Description|pattern;pattern|", each field ending in '|';
     may be filled in during startup; empty = no types offered. */
  const char16_t* fileTypes;
  int32_t reserved1;
  int32_t reserved2;
  void (*showConfig)(WindowHandle parent); /* must work before startup */
  void (*showAbout)(WindowHandle parent);  /* must work before startup */
  void (*startup)(void);
  void (*shutdown)(void);
  void (*reservedFn1)(void);   /* never called by the player */
  int32_t (*reservedFn2)(void); /* never called by the player */
  int32_t (*claimsFile)(const char16_t* path); /* nonzero: this plug-in plays path (a file or a URL) */
  int32_t (*playFile)(const char16_t* path);   /* 0 = started from the beginning */
  void (*pausePlayback)(void);
  void (*resumePlayback)(void);
  int32_t (*isPlaybackPaused)(void);
  void (*stopPlayback)(void);
  int32_t (*trackLengthMs)(void);  /* called several times a second: answer at once */
  int32_t (*playPositionMs)(void); /* likewise */
  void (*seekToMs)(int32_t ms);
  void (*applyVolume)(int32_t volume);   /* 0 silent ... 255 full */
  void (*applyBalance)(int32_t balance); /* -127 left ... 127 right */
  /* Host hooks written by the player: they do nothing; 4, 7, 10 and 11 return 0. */
  void (*hostHook1)(void);
  void (*hostHook2)(void);
  void (*hostHook3)(void);
  int32_t (*hostHook4)(void);
  void (*hostHook5)(void);
  void (*hostHook6)(void);
  int32_t (*hostHook7)(void);
  void (*hostHook8)(void);
  void (*hostHook9)(void);
  int32_t (*hostHook10)(void);
  int32_t (*hostHook11)(void);
  /* enabled 0/1, ten band positions (lowest first, valid during the call), preamp position */
  void (*applyEqualizer)(int32_t enabled, const int16_t* bands, int32_t preamp);
  /* Written by the player: shows bit rate, sample rate (Hz) and channels in the main
     window (a negative value blanks its field); the fourth value is ignored. Any thread. */
  void (*reportStreamInfo)(int32_t bitRate, int32_t sampleRate, int32_t channels, int32_t fourth);
  /* Written by the player before startup; an older player leaves it null, and an
     older plug-in never calls it. Any thread; the call returns once the player has
     taken the report. The slot was reserved3 and keeps that name too. */
  union {
    void* reserved3;
    void (*reportStreamTags)(const StreamTagReport* report);
  };
  void (*applySpeed)(float factor); /* 1.0 = normal; the player keeps 0.6 ... 1.4 */
} InputModule;

/* The one export of a plug-in: returns the same record on every call. */
InputModule* orvaneGetInModule2(void);
typedef InputModule* (*GetInModuleFunction)(void);

#ifdef __cplusplus
}
#endif

/* The layout is pinned: slot n lies at n * 4 on a 32-bit target; on a 64-bit
   target the pointers widen and the two int32 pairs share one 8-byte slot. */
#ifdef __cplusplus
#define TARNELLO_STATIC_ASSERT(c, m) static_assert(c, m)
#else
#define TARNELLO_STATIC_ASSERT(c, m) _Static_assert(c, m)
#endif
#if UINTPTR_MAX == 0xFFFFFFFFu
TARNELLO_STATIC_ASSERT(sizeof(InputModule) == 156, "InputModule is 39 words");
TARNELLO_STATIC_ASSERT(offsetof(InputModule, showConfig) == 28, "showConfig is word 7");
TARNELLO_STATIC_ASSERT(offsetof(InputModule, hostHook1) == 96, "hostHook1 is word 24");
TARNELLO_STATIC_ASSERT(offsetof(InputModule, reportStreamInfo) == 144, "reportStreamInfo is word 36");
TARNELLO_STATIC_ASSERT(offsetof(InputModule, applySpeed) == 152, "applySpeed is word 38");
#else
TARNELLO_STATIC_ASSERT(sizeof(void*) == 8, "32-bit or 64-bit targets only");
TARNELLO_STATIC_ASSERT(offsetof(InputModule, description) == 8, "description");
TARNELLO_STATIC_ASSERT(offsetof(InputModule, hostWindow) == 16, "hostWindow");
TARNELLO_STATIC_ASSERT(offsetof(InputModule, libraryHandle) == 24, "libraryHandle");
TARNELLO_STATIC_ASSERT(offsetof(InputModule, fileTypes) == 32, "fileTypes");
TARNELLO_STATIC_ASSERT(offsetof(InputModule, reserved1) == 40, "reserved1");
TARNELLO_STATIC_ASSERT(offsetof(InputModule, reserved2) == 44, "reserved2");
TARNELLO_STATIC_ASSERT(offsetof(InputModule, showConfig) == 48, "showConfig");
TARNELLO_STATIC_ASSERT(offsetof(InputModule, claimsFile) == 96, "claimsFile");
TARNELLO_STATIC_ASSERT(offsetof(InputModule, applyBalance) == 176, "applyBalance");
TARNELLO_STATIC_ASSERT(offsetof(InputModule, hostHook1) == 184, "hostHook1");
TARNELLO_STATIC_ASSERT(offsetof(InputModule, hostHook11) == 264, "hostHook11");
TARNELLO_STATIC_ASSERT(offsetof(InputModule, applyEqualizer) == 272, "applyEqualizer");
TARNELLO_STATIC_ASSERT(offsetof(InputModule, reportStreamInfo) == 280, "reportStreamInfo");
TARNELLO_STATIC_ASSERT(offsetof(InputModule, reserved3) == 288, "reserved3");
TARNELLO_STATIC_ASSERT(offsetof(InputModule, reportStreamTags) == 288, "reportStreamTags");
TARNELLO_STATIC_ASSERT(sizeof(StreamTagReport) == 40, "StreamTagReport size");
TARNELLO_STATIC_ASSERT(offsetof(InputModule, applySpeed) == 296, "applySpeed");
TARNELLO_STATIC_ASSERT(sizeof(InputModule) == 304, "InputModule size");
#endif
#undef TARNELLO_STATIC_ASSERT

#endif
