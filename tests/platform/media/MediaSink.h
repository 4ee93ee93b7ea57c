#pragma once
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/media/MediaPlayer.h"

// Collects the control's events; an optional handler runs on the event thread.
class RecordingSink : public MediaEventSink {
 public:
  void OnMediaEvent(MediaEvent event) override {
    if (handler) handler(event);
    std::lock_guard lock(mutex);
    // Stream details and tags are counted apart: the events below are the ends of sources.
    if (event == MediaEvent::StreamInfoChanged || event == MediaEvent::TagsChanged) {
      ++(event == MediaEvent::TagsChanged ? tagEvents : infoEvents);
      return;
    }
    events.push_back(event);
    changed.notify_all();
  }
  // Waits until count events have arrived; false on timeout.
  bool WaitForEvents(size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, timeout, [&] { return events.size() >= count; });
  }
  std::vector<MediaEvent> Events() {
    std::lock_guard lock(mutex);
    return events;
  }

  std::function<void(MediaEvent)> handler;
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<MediaEvent> events;
  int infoEvents = 0;
  int tagEvents = 0;
};
