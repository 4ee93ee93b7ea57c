#pragma once
#include <QString>
#include <memory>

// Keeping the session from idling into sleep while a track plays. The service is
// replaceable so that tests record the requests (or talk to a bus of their own)
// instead of reaching the real session.
class SleepInhibitService {
 public:
  virtual ~SleepInhibitService() = default;
  // Takes the inhibitor when inhibited and none is held, lets it go when not;
  // repeating a request changes nothing, so at most one is ever held.
  virtual void SetInhibited(bool inhibited) = 0;
  virtual bool IsInhibited() const = 0;
};

// Installs a service (null restores the default one). The default asks the
// session's screen saver (org.freedesktop.ScreenSaver Inhibit / UnInhibit on the
// session bus) and, where no screen saver answers, logind (Inhibit "idle:sleep"
// on the system bus, held as a file descriptor until closed). Without either bus
// nothing happens. Its calls wait at most a second for an answer.
void SetSleepInhibitService(SleepInhibitService* service);

namespace Platform {
void InhibitSleep(bool inhibited);
bool IsSleepInhibited();
}  // namespace Platform

// The default service on the buses at these addresses instead of the session's
// (an empty address: no such bus), for tests that run buses of their own.
std::unique_ptr<SleepInhibitService> CreateDbusSleepInhibitService(const QString& sessionAddress,
                                                                   const QString& systemAddress);
