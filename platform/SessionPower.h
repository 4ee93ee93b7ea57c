#pragma once

// Switching the machine off, as far as a desktop program may: it asks the session to
// suspend. The service is replaceable so that tests record the request instead.
class SessionPowerService {
 public:
  virtual ~SessionPowerService() = default;
  virtual void Suspend() = 0;
};

// Installs a service (null restores the default one). The default asks logind on the
// system bus (org.freedesktop.login1 Manager.Suspend, not interactive) without waiting
// for the answer; without a system bus nothing happens.
void SetSessionPowerService(SessionPowerService* service);

namespace Platform {
void Suspend();
}  // namespace Platform
