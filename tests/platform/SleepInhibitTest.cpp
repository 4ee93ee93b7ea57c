// The sleep inhibitor against a screen saver and a logind of the test's own, on
// the private bus of dbus-run-session: taken once, released once, never two.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QThread>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/SleepInhibit.h"

namespace {

// What a fake service saw, read by the test while the service answers on its thread.
struct Record {
  std::mutex lock;
  QStringList calls;  // "Inhibit <args>", "UnInhibit <cookie>"
  int held = 0;
  int mostHeld = 0;
  std::vector<int> lockReadEnds;  // logind: the read end of each descriptor handed out

  void Call(const QString& text, int change) {
    std::lock_guard<std::mutex> guard(lock);
    calls.append(text);
    held += change;
    mostHeld = std::max(mostHeld, held);
  }
  QStringList Calls() {
    std::lock_guard<std::mutex> guard(lock);
    return calls;
  }
};

QString Join(const QVariantList& args) {
  QStringList parts;
  for (const QVariant& a : args) parts.append(a.toString());
  return parts.join(' ');
}

// org.freedesktop.ScreenSaver: cookies from 7 upward.
class FakeScreenSaver : public QDBusVirtualObject {
 public:
  explicit FakeScreenSaver(Record& record) : record_(record) {}
  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    if (message.interface() != "org.freedesktop.ScreenSaver") return false;
    if (message.member() == "Inhibit") {
      record_.Call("Inhibit " + Join(message.arguments()), 1);
      connection.send(message.createReply(QVariantList{QVariant::fromValue(uint(next_++))}));
      return true;
    }
    if (message.member() == "UnInhibit") {
      record_.Call("UnInhibit " + Join(message.arguments()), -1);
      connection.send(message.createReply());
      return true;
    }
    return false;
  }

 private:
  Record& record_;
  uint next_ = 7;
};

// org.freedesktop.login1: each inhibitor is the write end of a pipe; it is
// released when every copy of that end is closed.
class FakeLogind : public QDBusVirtualObject {
 public:
  explicit FakeLogind(Record& record) : record_(record) {}
  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    if (message.member() != "Inhibit") return false;
    int ends[2];
    if (pipe(ends) != 0) return false;
    record_.Call("Inhibit " + Join(message.arguments()), 1);
    {
      std::lock_guard<std::mutex> guard(record_.lock);
      record_.lockReadEnds.push_back(ends[0]);
    }
    // The reply carries a copy; ours goes, so the player's copy is the only one.
    connection.send(message.createReply(QVariantList{QVariant::fromValue(QDBusUnixFileDescriptor(ends[1]))}));
    close(ends[1]);
    return true;
  }

 private:
  Record& record_;
};

// Whether the writer of a fake logind inhibitor still holds it open.
bool StillHeld(int readEnd) {
  pollfd p{readEnd, POLLIN, 0};
  return poll(&p, 1, 0) == 0;
}

// Whether every writer has let go within a while (the bus may hold a copy in flight).
bool Released(int readEnd) {
  pollfd p{readEnd, POLLIN, 0};
  return poll(&p, 1, 3000) == 1;
}

class SleepInhibitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    address_ = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (!QDBusConnection::connectToBus(address_, "probe").isConnected())
      GTEST_SKIP() << "needs a session bus (run under dbus-run-session)";
    QDBusConnection::disconnectFromBus("probe");
    thread_.start();
  }
  void TearDown() override {
    service_.reset();
    if (fakeBus_) {
      QDBusConnection::disconnectFromBus(*fakeBus_);
      fakeBus_.reset();
    }
    thread_.quit();
    thread_.wait();
    delete screenSaver_;
    delete logind_;
    for (int fd : record_.lockReadEnds) close(fd);
  }

  // The fakes answer on a thread of their own, as another process would.
  void Offer(bool screenSaver, bool logind) {
    fakeBus_ = QStringLiteral("fake-session-services");
    QDBusConnection bus = QDBusConnection::connectToBus(address_, *fakeBus_);
    ASSERT_TRUE(bus.isConnected());
    if (screenSaver) {
      screenSaver_ = new FakeScreenSaver(record_);
      screenSaver_->moveToThread(&thread_);
      ASSERT_TRUE(bus.registerVirtualObject("/org/freedesktop/ScreenSaver", screenSaver_));
      ASSERT_TRUE(bus.registerService("org.freedesktop.ScreenSaver"));
    }
    if (logind) {
      logind_ = new FakeLogind(record_);
      logind_->moveToThread(&thread_);
      ASSERT_TRUE(bus.registerVirtualObject("/org/freedesktop/login1", logind_));
      ASSERT_TRUE(bus.registerService("org.freedesktop.login1"));
    }
  }

  QString address_;
  std::optional<QString> fakeBus_;
  QThread thread_;
  Record record_;
  FakeScreenSaver* screenSaver_ = nullptr;
  FakeLogind* logind_ = nullptr;
  std::unique_ptr<SleepInhibitService> service_;
};

TEST_F(SleepInhibitTest, TheScreenSaverGrantsOneInhibitorAndGetsItsCookieBack) {
  Offer(true, true);
  service_ = CreateDbusSleepInhibitService(address_, address_);
  service_->SetInhibited(true);
  service_->SetInhibited(true);  // a second track, a resume: still the one inhibitor
  EXPECT_TRUE(service_->IsInhibited());
  EXPECT_EQ(record_.Calls(), QStringList{"Inhibit Tarnello Playing audio"});
  service_->SetInhibited(false);
  service_->SetInhibited(false);
  EXPECT_FALSE(service_->IsInhibited());
  service_->SetInhibited(true);
  service_->SetInhibited(false);
  EXPECT_EQ(record_.Calls(), (QStringList{"Inhibit Tarnello Playing audio", "UnInhibit 7",
                                          "Inhibit Tarnello Playing audio", "UnInhibit 8"}));
  EXPECT_EQ(record_.mostHeld, 1);
  EXPECT_EQ(record_.held, 0);
}

TEST_F(SleepInhibitTest, WithoutAScreenSaverLogindHoldsItUntilTheDescriptorCloses) {
  Offer(false, true);
  // The same private bus stands in for the system bus.
  service_ = CreateDbusSleepInhibitService(address_, address_);
  service_->SetInhibited(true);
  service_->SetInhibited(true);
  ASSERT_TRUE(service_->IsInhibited());
  EXPECT_EQ(record_.Calls(), QStringList{"Inhibit idle:sleep Tarnello Playing audio block"});
  ASSERT_EQ(record_.lockReadEnds.size(), 1u);
  EXPECT_TRUE(StillHeld(record_.lockReadEnds[0]));
  service_->SetInhibited(false);
  EXPECT_TRUE(Released(record_.lockReadEnds[0]));

  // Going away (the player exits) lets go of a held inhibitor too.
  service_->SetInhibited(true);
  ASSERT_EQ(record_.lockReadEnds.size(), 2u);
  EXPECT_TRUE(StillHeld(record_.lockReadEnds[1]));
  service_.reset();
  EXPECT_TRUE(Released(record_.lockReadEnds[1]));
}

TEST_F(SleepInhibitTest, NoServiceOrNoBusHoldsNothingAndBlocksNothing) {
  Offer(false, false);
  service_ = CreateDbusSleepInhibitService(address_, QString());
  service_->SetInhibited(true);
  EXPECT_FALSE(service_->IsInhibited());
  service_ = CreateDbusSleepInhibitService(QString(), QString());
  service_->SetInhibited(true);
  EXPECT_FALSE(service_->IsInhibited());
  service_->SetInhibited(false);
  EXPECT_TRUE(record_.Calls().isEmpty());
}

TEST_F(SleepInhibitTest, ExitReleasesTheScreenSaversInhibitor) {
  Offer(true, false);
  service_ = CreateDbusSleepInhibitService(address_, QString());
  service_->SetInhibited(true);
  service_.reset();
  EXPECT_EQ(record_.Calls(), (QStringList{"Inhibit Tarnello Playing audio", "UnInhibit 7"}));
}

}  // namespace
