#include "platform/SleepInhibit.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <atomic>

namespace {
constexpr int kTimeoutMs = 1000;
const QString kApplication = QStringLiteral("Tarnello");
const QString kReason = QStringLiteral("Playing audio");

// One inhibitor at a time: a screen-saver cookie or a logind file descriptor.
class DbusSleepInhibit : public SleepInhibitService {
 public:
  DbusSleepInhibit(QDBusConnection session, QDBusConnection system) : session_(session), system_(system) {}
  ~DbusSleepInhibit() override { SetInhibited(false); }

  void SetInhibited(bool inhibited) override {
    if (inhibited == IsInhibited()) return;
    if (inhibited) {
      if (!TakeScreenSaver()) TakeLogind();
    } else {
      Release();
    }
  }

  bool IsInhibited() const override { return cookie_ != 0 || lock_.isValid(); }

 private:
  bool TakeScreenSaver() {
    if (!session_.isConnected()) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver"),
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("Inhibit"));
    call << kApplication << kReason;
    const QDBusMessage reply = session_.call(call, QDBus::Block, kTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
    cookie_ = reply.arguments().first().toUInt();
    // Cookie 0 is a valid answer of some screen savers; keep it distinguishable from none.
    if (cookie_ == 0) cookie_ = kZeroCookie;
    return true;
  }

  bool TakeLogind() {
    if (!system_.isConnected()) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("idle:sleep") << kApplication << kReason << QStringLiteral("block");
    const QDBusMessage reply = system_.call(call, QDBus::Block, kTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
    // The inhibitor lasts as long as this descriptor stays open.
    lock_ = qvariant_cast<QDBusUnixFileDescriptor>(reply.arguments().first());
    return lock_.isValid();
  }

  void Release() {
    if (lock_.isValid()) lock_ = QDBusUnixFileDescriptor();
    if (cookie_ == 0) return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver"),
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("UnInhibit"));
    call << (cookie_ == kZeroCookie ? 0u : cookie_);
    cookie_ = 0;
    // Waited for, so the release has reached the screen saver before a new
    // inhibitor is asked for or the process ends.
    session_.call(call, QDBus::Block, kTimeoutMs);
  }

  static constexpr uint kZeroCookie = 0xFFFFFFFFu;
  QDBusConnection session_;
  QDBusConnection system_;
  uint cookie_ = 0;
  QDBusUnixFileDescriptor lock_;
};

SleepInhibitService* installed = nullptr;

SleepInhibitService& Service() {
  if (installed) return *installed;
  // Made at the first request, when the application (and its buses) exist, and
  // never destroyed: the buses are gone by the time static objects go.
  static auto* session = new DbusSleepInhibit(QDBusConnection::sessionBus(), QDBusConnection::systemBus());
  return *session;
}

QDBusConnection ConnectTo(const QString& address, const char* kind) {
  static std::atomic<int> serial{0};
  const QString name = QStringLiteral("tarnello-sleep-%1-%2").arg(QLatin1String(kind)).arg(serial++);
  if (address.isEmpty()) return QDBusConnection(name);  // never connected
  return QDBusConnection::connectToBus(address, name);
}
}  // namespace

void SetSleepInhibitService(SleepInhibitService* service) { installed = service; }

std::unique_ptr<SleepInhibitService> CreateDbusSleepInhibitService(const QString& sessionAddress,
                                                                   const QString& systemAddress) {
  return std::make_unique<DbusSleepInhibit>(ConnectTo(sessionAddress, "session"),
                                            ConnectTo(systemAddress, "system"));
}

namespace Platform {
void InhibitSleep(bool inhibited) { Service().SetInhibited(inhibited); }
bool IsSleepInhibited() { return Service().IsInhibited(); }
}  // namespace Platform
