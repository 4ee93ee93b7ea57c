/* A C translation unit using the plug-in header the way a C plug-in would. */
#include <stddef.h>
#include <stdio.h>

#include "playback/InputModule.h"
#include "platform/PlatformApi.h"

static int32_t Claims(const char16_t* path) { return path && path[0] == u'x'; }
static int tagReports = 0;
static void Tags(const StreamTagReport* report) { tagReports += report && report->size == sizeof *report; }

static InputModule module = {.apiVersion = INPUT_MODULE_API_VERSION, .description = u"C plug-in", .fileTypes = u"C|*.c|"};

InputModule* orvaneGetInModule2(void) { return &module; }

int main(void) {
  GetInModuleFunction entry = orvaneGetInModule2;
  InputModule* m = entry();
  m->claimsFile = Claims;
  if (m->claimsFile(u"x.c") != 1 || m->apiVersion != 256) return 1;
  if (MSG_TRACK_ENDED != 0x0402 || MSG_STREAM_RATES != 0x040B || MSG_STREAM_CHANNELS != 0x040D) return 2;
  /* Word 36 of the record; the rest of the layout is pinned inside the header. */
  if (offsetof(InputModule, reportStreamInfo) != (sizeof(void*) == 8 ? 280u : 144u)) return 3;
  /* The tags hook shares the slot once called reserved3; a plug-in tests it for null. */
  if (m->reportStreamTags != NULL || m->reserved3 != NULL) return 4;
  m->reportStreamTags = Tags;
  if (m->reserved3 == NULL) return 5;
  StreamTagReport report = {.size = sizeof report, .title = u"Song"};
  m->reportStreamTags(&report);
  if (tagReports != 1) return 6;
  puts("ok");
  return 0;
}
