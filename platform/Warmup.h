#pragma once
#include <functional>
#include <thread>

namespace Platform {

// Start-up work done on a thread of its own while the player starts, so that the
// UI thread does not wait for it where it is first needed; joined when destroyed.
// Made once the application object exists; gone before it is.
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

}  // namespace Platform
