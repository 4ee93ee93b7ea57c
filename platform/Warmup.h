#pragma once
#include <functional>
#include <thread>

namespace Platform {

// Start-up work done on a thread of its own while the player starts, so that the
// UI thread does not wait for it where it is first needed; joined when destroyed.
// Gone before the application object is.
class Warmup {
 public:
  explicit Warmup(const std::function<void()>& work);
  ~Warmup();
  Warmup(const Warmup&) = delete;
  Warmup& operator=(const Warmup&) = delete;

 private:
  std::thread thread_;
};

// Loads the system's font list, most of what the first paint costs. Qt's font
// database may be used from any thread; a paint that comes first just waits for it.
Warmup WarmFonts();

// Reads the system's font configuration (its files and caches), 3-5 ms of the first
// text any program draws, while the application object is being made; Qt's font
// list then finds it read. Started before the application object exists: it touches
// nothing of Qt, and the configuration is read once, safely from any thread.
Warmup WarmFontConfiguration();

}  // namespace Platform
