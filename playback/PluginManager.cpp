#include "playback/PluginManager.h"

#include "playback/HostCallbacks.h"
#include "playback/OpenFilter.h"
#include "platform/Log.h"
#include "platform/MessageBox.h"

namespace {
const char kEntryPoint[] = "orvaneGetInModule2";

// Length of a plug-in's text, or -1 when it is longer than limit units.
qsizetype BoundedLength(const char16_t* text, qsizetype limit) {
  if (!text) return 0;
  for (qsizetype n = 0; n <= limit; ++n)
    if (text[n] == 0) return n;
  return -1;
}

void LogRefused(const QString& path, const QString& why) {
  Platform::Log("plugins", QStringLiteral("refused %1: %2").arg(path, why));
}
}  // namespace

PluginManager::PluginManager(WindowHandle hostWindow, QString folder)
    : folder_(std::move(folder)), hostWindow_(hostWindow) {}

PluginManager::~PluginManager() { UnloadAll(); }

bool PluginManager::IsPluginFileName(const QString& name) {
  for (qsizetype i = name.size() - 1; i >= 0; --i) {
    if (name[i] == u'.' && QStringView(name).mid(i, 3) == u".so") return true;
  }
  return false;
}

int PluginManager::LoadAll() {
  for (const Platform::FolderEntry& entry : Platform::ListFolder(folder_)) {
    if (entry.isFolder || !IsPluginFileName(entry.name)) continue;
    const QString path = folder_ + u'/' + entry.name;
    Platform::Log("plugins", QStringLiteral("found %1").arg(path));
    if (count_ >= kMaxPlugins) {
      // The table is full: the remaining files cannot be loaded in this run.
      LogRefused(path, QStringLiteral("the table is full (%1 plug-ins)").arg(kMaxPlugins));
      ShowMessageBox(nullptr, QStringLiteral("LoadDll Fail!"));
      break;
    }
    // The path must fit its buffer with the terminating 0; a longer one is never tried.
    if (path.size() >= kMaxPath) {
      LogRefused(path, QStringLiteral("the path is %1 characters long, at most %2 fit").arg(path.size()).arg(kMaxPath - 1));
      ShowMessageBox(nullptr, QStringLiteral("LoadDll Fail!"));
    } else if (!LoadPlugin(path)) {
      ShowMessageBox(nullptr, QStringLiteral("LoadDll Fail!"));
    }
  }
  return 1;
}

bool PluginManager::LoadPlugin(const QString& path) {
  if (count_ >= kMaxPlugins) {
    LogRefused(path, QStringLiteral("the table is full (%1 plug-ins)").arg(kMaxPlugins));
    return false;
  }
  Platform::LibraryHandle library = Platform::LoadLibrary(path);
  if (!library) {
    LogRefused(path, QStringLiteral("cannot be loaded: ") + Platform::LastLibraryError());
    return false;
  }
  auto entry = reinterpret_cast<GetInModuleFunction>(Platform::GetProcAddress(library, kEntryPoint));
  InputModule* module = entry ? entry() : nullptr;
  if (!module) {
    LogRefused(path, entry ? QStringLiteral("%1 returned no record").arg(QLatin1String(kEntryPoint))
                           : QStringLiteral("no entry point %1").arg(QLatin1String(kEntryPoint)));
    Platform::FreeLibrary(library);
    return false;
  }
  PluginEntry& row = table_[size_t(count_)];
  row.library = library;
  row.module = module;
  module->hostWindow = hostWindow_;
  module->libraryHandle = library;
  HostCallbacks::Install(*module);
  if (module->startup) module->startup();
  ++count_;
  Platform::Log("plugins", QStringLiteral("loaded %1 as plug-in %2").arg(path).arg(count_));
  return true;
}

void PluginManager::UnloadAll() {
  for (int i = 0; i < count_; ++i) {
    PluginEntry& row = table_[size_t(i)];
    if (row.module && row.module->shutdown) row.module->shutdown();
    if (row.library) Platform::FreeLibrary(row.library);
    row = PluginEntry{};
  }
  count_ = 0;
  currentLibrary_ = nullptr;
  current_ = nullptr;
}

int PluginManager::PlayFile(const QString& path) {
  const auto* text = reinterpret_cast<const char16_t*>(path.utf16());
  int chosen = -1;
  for (int i = 0; i < count_; ++i) {
    InputModule* m = table_[size_t(i)].module;
    if (m->claimsFile && m->claimsFile(text) != 0) {
      chosen = i;
      break;
    }
  }
  if (chosen < 0) return -1;
  if (current_ && current_->stopPlayback) current_->stopPlayback();
  currentLibrary_ = table_[size_t(chosen)].library;
  current_ = table_[size_t(chosen)].module;
  return current_->playFile ? current_->playFile(text) : -1;
}

void PluginManager::PausePlayback() {
  if (current_ && current_->pausePlayback) current_->pausePlayback();
}

void PluginManager::ResumePlayback() {
  if (current_ && current_->resumePlayback) current_->resumePlayback();
}

int PluginManager::IsPlaybackPaused() {
  return current_ && current_->isPlaybackPaused ? current_->isPlaybackPaused() : 0;
}

void PluginManager::StopPlayback() {
  if (current_ && current_->stopPlayback) current_->stopPlayback();
}

int PluginManager::TrackLengthMs() { return current_ && current_->trackLengthMs ? current_->trackLengthMs() : -1; }

int PluginManager::PlayPositionMs() {
  return current_ && current_->playPositionMs ? current_->playPositionMs() : -1;
}

void PluginManager::SeekToMs(int ms) {
  if (current_ && current_->seekToMs) current_->seekToMs(ms);
}

void PluginManager::ApplyVolume(int volume) {
  if (current_ && current_->applyVolume) current_->applyVolume(volume);
}

void PluginManager::ApplyBalance(int balance) {
  if (current_ && current_->applyBalance) current_->applyBalance(balance);
}

void PluginManager::ApplySpeed(float factor) {
  if (current_ && current_->applySpeed) current_->applySpeed(factor);
}

void PluginManager::ApplyEqualizer(int enabled, const int16_t* bands, int preamp) {
  if (current_ && current_->applyEqualizer) current_->applyEqualizer(enabled, bands, preamp);
}

QString PluginManager::BuildOpenFilter() const {
  // The plug-ins' texts in load order; a text that would not fit the buffer together
  // with the final '|' and the terminating 0 is left out whole, since a cut text
  // would corrupt the groups after it.
  QString buffer;
  for (int i = 0; i < count_; ++i) {
    const char16_t* types = table_[size_t(i)].module->fileTypes;
    const qsizetype room = kFilterCapacity - 2 - buffer.size();
    const qsizetype length = BoundedLength(types, room);
    if (length <= 0) continue;
    buffer.append(QStringView(types, length));
  }
  buffer.append(u'|');
  return OpenFilter::ForTypes(buffer).Text();
}
