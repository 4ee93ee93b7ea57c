// Dovrel: the input plug-in for Windows Media Audio (".wma", ".asf"). It decodes
// nothing itself: it hosts the media player control and passes the player's
// requests on to it.
#include <dlfcn.h>

#include <cstring>
#include <string>

#include "playback/InputModule.h"
#include "platform/PlatformApi.h"
#include "plugins/common/ControlHost.h"
#include "plugins/common/PluginText.h"
#include "plugins/wma/WmaPlayer.h"

namespace {
constexpr int kFileTypesCapacity = 260;
const char16_t kEmptyText[] = u"";
const char16_t kWmaTypes[] = u"Windows Media Audio Files (*.wma)|*.wma|";

char16_t fileTypesBuffer[kFileTypesCapacity];
int32_t controlAvailable = 0;
InputModule& Module();
WmaPlayer& Player() {
  static WmaPlayer player(Module());
  return player;
}

// The file name of this library ("Dovrel.so"), for message captions.
std::u16string LibraryFileName() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&LibraryFileName), &info) && info.dli_fname) {
    const std::string_view path = info.dli_fname;
    return PluginText::LocalToUtf16(path.substr(path.rfind('/') + 1));
  }
  return u"Dovrel.so";
}

MediaPlayer* Control() { return controlAvailable == 1 ? Player().Control() : nullptr; }

void ShowConfig(WindowHandle parent) { PlatformMessageBox(parent, kEmptyText, kEmptyText); }

void ShowAbout(WindowHandle parent) { PlatformMessageBox(parent, u"about 입니다용~", kEmptyText); }

void Startup() {
  // The platform needs no component start-up of its own here, so what remains is
  // creating the control.
  if (Player().Control()) return;
  if (!Player().Create()) {
    controlAvailable = 0;
    const std::u16string caption = u" Error! / " + LibraryFileName();
    PlatformMessageBox(nullptr,
                       u"Windows Media Player Control for PocketIE 가 설치 되어 있지 않아\nwma를 재생할수 없습니다.",
                       caption.c_str());
    fileTypesBuffer[0] = 0;
    return;
  }
  controlAvailable = 1;
  std::memcpy(fileTypesBuffer, kWmaTypes, sizeof kWmaTypes);
}

void Shutdown() {
  controlAvailable = 0;
  Player().Release();
}

// Only the last '.' counts, and only its first four characters.
int32_t ClaimsFile(const char16_t* path) {
  if (controlAvailable != 1 || !path) return 0;
  const char16_t* dot = nullptr;
  for (const char16_t* p = path; *p; ++p)
    if (*p == u'.') dot = p;
  if (!dot) return 0;
  auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c; };
  auto matches = [&](const char16_t* ext) {
    for (int i = 0; i < 4; ++i)
      if (lower(dot[i]) != ext[i]) return false;  // stops at the path's terminating 0
    return true;
  };
  return matches(u".wma") || matches(u".asf") ? 1 : 0;
}

int32_t PlayFile(const char16_t* path) {
  if (MediaPlayer* c = Control()) {
    if (c->SetSource(PluginText::ToUtf8(path))) c->SetPosition(0.0);
    c->Play();
  }
  return 0;
}

InputModule& Module() {
  static InputModule module = [] {
    InputModule m{};
    ControlHost::Wire(m, Control);
    m.description = u"Use WMT(Windows Media Technology) Component at PocketPC\nVersion v0.1";
    m.fileTypes = fileTypesBuffer;
    m.showConfig = ShowConfig;
    m.showAbout = ShowAbout;
    m.startup = Startup;
    m.shutdown = Shutdown;
    m.claimsFile = ClaimsFile;
    m.playFile = PlayFile;
    return m;
  }();
  return module;
}
}  // namespace

extern "C" __attribute__((visibility("default"))) InputModule* orvaneGetInModule2(void) { return &Module(); }
