#include "platform/SessionPower.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace {
class LogindSessionPower : public SessionPowerService {
 public:
  void Suspend() override {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.login1"),
                                                       QStringLiteral("/org/freedesktop/login1"),
                                                       QStringLiteral("org.freedesktop.login1.Manager"),
                                                       QStringLiteral("Suspend"));
    call << false;  // not interactive: no authentication prompt
    // The player is closing: the answer (or a refusal) changes nothing.
    bus.send(call);
  }
};

SessionPowerService* installed = nullptr;

SessionPowerService& Service() {
  static LogindSessionPower logind;
  return installed ? *installed : logind;
}
}  // namespace

void SetSessionPowerService(SessionPowerService* service) { installed = service; }

namespace Platform {
void Suspend() { Service().Suspend(); }
}  // namespace Platform
