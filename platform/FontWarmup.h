#pragma once
#include <thread>

namespace Platform {

// Loads the system's font list on a thread of its own while the player starts,
// so that the first text a window draws does not wait for it on the UI thread
// (the font list is most of what the first paint costs). Qt's font database may
// be used from any thread; a paint that comes first just waits for the list.
// Made once the application object exists; gone before it is.
class FontWarmup {
 public:
  FontWarmup();
  ~FontWarmup();
  FontWarmup(const FontWarmup&) = delete;
  FontWarmup& operator=(const FontWarmup&) = delete;

 private:
  std::thread thread_;
};

}  // namespace Platform
