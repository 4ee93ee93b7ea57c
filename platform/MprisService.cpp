#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "platform/InstanceClaim.h"
#include "platform/Log.h"
#include "platform/MediaControl.h"

// The player on the session bus as an MPRIS 2 media player, plus one method of
// its own (org.tarnello.Player.Open) that a second start of the program uses to
// hand over several files at once. The object answers the method calls and the
// property interface itself, so no meta-object code is needed.
namespace {

const QString kServiceName = QStringLiteral("org.mpris.MediaPlayer2.tarnello");
const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kRootInterface = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kOwnInterface = QStringLiteral("org.tarnello.Player");
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kTrackPathBase = QStringLiteral("/org/tarnello/track/");

const char* const kIntrospection = R"(
  <interface name="org.mpris.MediaPlayer2">
    <method name="Raise"/>
    <method name="Quit"/>
    <property name="CanQuit" type="b" access="read"/>
    <property name="CanRaise" type="b" access="read"/>
    <property name="HasTrackList" type="b" access="read"/>
    <property name="Identity" type="s" access="read"/>
    <property name="DesktopEntry" type="s" access="read"/>
    <property name="SupportedUriSchemes" type="as" access="read"/>
    <property name="SupportedMimeTypes" type="as" access="read"/>
  </interface>
  <interface name="org.mpris.MediaPlayer2.Player">
    <method name="Next"/>
    <method name="Previous"/>
    <method name="Pause"/>
    <method name="PlayPause"/>
    <method name="Stop"/>
    <method name="Play"/>
    <method name="Seek"><arg name="Offset" type="x" direction="in"/></method>
    <method name="SetPosition">
      <arg name="TrackId" type="o" direction="in"/><arg name="Position" type="x" direction="in"/>
    </method>
    <method name="OpenUri"><arg name="Uri" type="s" direction="in"/></method>
    <signal name="Seeked"><arg name="Position" type="x"/></signal>
    <property name="PlaybackStatus" type="s" access="read"/>
    <property name="LoopStatus" type="s" access="read"/>
    <property name="Rate" type="d" access="read"/>
    <property name="Shuffle" type="b" access="read"/>
    <property name="Metadata" type="a{sv}" access="read"/>
    <property name="Volume" type="d" access="readwrite"/>
    <property name="Position" type="x" access="read"/>
    <property name="MinimumRate" type="d" access="read"/>
    <property name="MaximumRate" type="d" access="read"/>
    <property name="CanGoNext" type="b" access="read"/>
    <property name="CanGoPrevious" type="b" access="read"/>
    <property name="CanPlay" type="b" access="read"/>
    <property name="CanPause" type="b" access="read"/>
    <property name="CanSeek" type="b" access="read"/>
    <property name="CanControl" type="b" access="read"/>
  </interface>
  <interface name="org.tarnello.Player">
    <method name="Open"><arg name="Items" type="as" direction="in"/></method>
  </interface>
)";

QString StatusText(MediaStatus::State state) {
  switch (state) {
    case MediaStatus::State::Playing: return QStringLiteral("Playing");
    case MediaStatus::State::Paused: return QStringLiteral("Paused");
    default: return QStringLiteral("Stopped");
  }
}

QDBusObjectPath TrackPath(int row) {
  return QDBusObjectPath(row < 0 ? QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack")
                                 : kTrackPathBase + QString::number(row));
}

// A path becomes a file: URL; anything with a scheme is passed as it is.
QString LocationUrl(const QString& location) {
  if (location.startsWith('/')) return QUrl::fromLocalFile(location).toString(QUrl::FullyEncoded);
  return location;
}

QVariantMap Metadata(const MediaStatus& s) {
  QVariantMap map;
  map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(TrackPath(s.row)));
  if (s.row < 0) return map;
  map.insert(QStringLiteral("xesam:title"), s.title);
  if (!s.artist.isEmpty()) map.insert(QStringLiteral("xesam:artist"), QStringList{s.artist});
  map.insert(QStringLiteral("xesam:url"), LocationUrl(s.location));
  if (s.lengthUs > 0) map.insert(QStringLiteral("mpris:length"), qlonglong(s.lengthUs));
  return map;
}

QVariantMap RootProperties() {
  return {
      {QStringLiteral("CanQuit"), true},
      {QStringLiteral("CanRaise"), true},
      {QStringLiteral("HasTrackList"), false},
      {QStringLiteral("Identity"), QStringLiteral("Tarnello")},
      {QStringLiteral("DesktopEntry"), QStringLiteral("tarnello")},
      {QStringLiteral("SupportedUriSchemes"), QStringList{QStringLiteral("file"), QStringLiteral("http"),
                                                          QStringLiteral("https")}},
      {QStringLiteral("SupportedMimeTypes"), QStringList{}},
  };
}

// The player properties that follow the status (Position is asked for, never announced).
QVariantMap StatusProperties(const MediaStatus& s) {
  return {
      {QStringLiteral("PlaybackStatus"), StatusText(s.state)},
      {QStringLiteral("Metadata"), Metadata(s)},
      {QStringLiteral("Volume"), s.volume / 255.0},
      {QStringLiteral("CanGoNext"), s.canGoNext},
      {QStringLiteral("CanGoPrevious"), s.canGoPrevious},
      {QStringLiteral("CanPlay"), s.canPlay},
      {QStringLiteral("CanPause"), s.canPause},
      {QStringLiteral("CanSeek"), s.canSeek},
  };
}

QVariantMap FixedPlayerProperties() {
  return {
      {QStringLiteral("LoopStatus"), QStringLiteral("None")},
      {QStringLiteral("Rate"), 1.0},
      {QStringLiteral("Shuffle"), false},
      {QStringLiteral("MinimumRate"), 1.0},
      {QStringLiteral("MaximumRate"), 1.0},
      {QStringLiteral("CanControl"), true},
  };
}

class MprisObject : public QDBusVirtualObject {
 public:
  MprisObject(MediaControlTarget& target, QDBusConnection bus) : target_(target), bus_(bus) {}

  QString introspect(const QString&) const override { return QString::fromUtf8(kIntrospection); }

  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    // Calls are delivered in this object's thread (the UI thread); anything else
    // is handed over to it so that the player is only touched there.
    if (QThread::currentThread() != thread()) {
      bool handled = false;
      QMetaObject::invokeMethod(this, [&] { handled = Handle(message, connection); },
                                Qt::BlockingQueuedConnection);
      return handled;
    }
    return Handle(message, connection);
  }

  void Announce() {
    const MediaStatus now = target_.GetMediaStatus();
    if (announced_ && now == last_) return;
    QVariantMap changed;
    const QVariantMap before = StatusProperties(last_);
    const QVariantMap after = StatusProperties(now);
    for (auto it = after.begin(); it != after.end(); ++it) {
      if (!announced_ || before.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
    }
    last_ = now;
    announced_ = true;
    if (changed.isEmpty()) return;
    QDBusMessage signal =
        QDBusMessage::createSignal(kObjectPath, kPropertiesInterface, QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList{};
    bus_.send(signal);
  }

  void SendSeeked(int64_t positionUs) {
    QDBusMessage signal = QDBusMessage::createSignal(kObjectPath, kPlayerInterface, QStringLiteral("Seeked"));
    signal << qlonglong(positionUs);
    bus_.send(signal);
  }

 private:
  bool Handle(const QDBusMessage& message, const QDBusConnection& connection) {
    const QString interface = message.interface();
    const QString member = message.member();
    QDBusMessage reply;
    bool known = true;
    if (interface == kPropertiesInterface) {
      known = Properties(message, reply);
    } else if (interface == kRootInterface || (interface.isEmpty() && (member == "Raise" || member == "Quit"))) {
      known = RootCall(member);
    } else if (interface == kPlayerInterface || interface == kOwnInterface || interface.isEmpty()) {
      known = PlayerCall(member, message.arguments());
    } else {
      known = false;
    }
    if (!known) {
      reply = message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
                                       QStringLiteral("No such method or property: ") + interface + '.' + member);
    } else if (reply.type() == QDBusMessage::InvalidMessage) {
      reply = message.createReply();
    }
    if (message.isReplyRequired()) connection.send(reply);
    // What a call changed is announced at once.
    Announce();
    return true;
  }

  bool RootCall(const QString& member) {
    if (member == "Raise") {
      target_.MediaRaise();
    } else if (member == "Quit") {
      target_.MediaQuit();
    } else {
      return false;
    }
    return true;
  }

  bool PlayerCall(const QString& member, const QVariantList& args) {
    if (member == "Play") target_.MediaPlay();
    else if (member == "Pause") target_.MediaPause();
    else if (member == "PlayPause") target_.MediaPlayPause();
    else if (member == "Stop") target_.MediaStop();
    else if (member == "Next") target_.MediaNext();
    else if (member == "Previous") target_.MediaPrevious();
    else if (member == "Seek" && args.size() == 1) Seek(args[0].toLongLong());
    else if (member == "SetPosition" && args.size() == 2) SetPosition(args[0].value<QDBusObjectPath>(), args[1].toLongLong());
    else if (member == "OpenUri" && args.size() == 1) Open({args[0].toString()});
    else if (member == "Open" && args.size() == 1) Open(args[0].toStringList());
    else return false;
    return true;
  }

  // Past the end the track is left for the next one; before the start it begins again.
  void Seek(int64_t offsetUs) {
    const MediaStatus s = target_.GetMediaStatus();
    if (!s.canSeek) return;
    const int64_t target = target_.GetPositionUs() + offsetUs;
    if (s.lengthUs > 0 && target > s.lengthUs) {
      target_.MediaNext();
      return;
    }
    SeekTo(std::max<int64_t>(0, target));
  }

  // Ignored unless it names the current track and lies inside it.
  void SetPosition(const QDBusObjectPath& track, int64_t positionUs) {
    const MediaStatus s = target_.GetMediaStatus();
    if (!s.canSeek || track.path() != TrackPath(s.row).path()) return;
    if (positionUs < 0 || (s.lengthUs > 0 && positionUs > s.lengthUs)) return;
    SeekTo(positionUs);
  }

  void SeekTo(int64_t positionUs) {
    target_.MediaSeekTo(positionUs);
    SendSeeked(target_.GetPositionUs());
  }

  // Paths, URLs and "file:" URIs go to the player as they are: it takes a URI's
  // bytes exactly, also those of a file name that is not UTF-8.
  void Open(const QStringList& items) {
    if (!items.isEmpty()) target_.MediaOpen(items);
  }

  bool Properties(const QDBusMessage& message, QDBusMessage& reply) {
    const QVariantList args = message.arguments();
    const QString member = message.member();
    if (args.isEmpty()) return false;
    const QString interface = args[0].toString();
    if (member == "GetAll") {
      reply = message.createReply(QVariant::fromValue(AllProperties(interface)));
      return true;
    }
    if (args.size() < 2) return false;
    const QString name = args[1].toString();
    if (member == "Get") {
      const QVariantMap all = AllProperties(interface);
      if (!all.contains(name)) return false;
      reply = message.createReply(QVariant::fromValue(QDBusVariant(all.value(name))));
      return true;
    }
    if (member == "Set" && args.size() == 3 && interface == kPlayerInterface && name == "Volume") {
      const double volume = args[2].value<QDBusVariant>().variant().toDouble();
      target_.MediaSetVolume(int(std::lround(std::clamp(volume, 0.0, 1.0) * 255.0)));
      return true;
    }
    if (member == "Set") {
      reply = message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.PropertyReadOnly"),
                                       QStringLiteral("The property cannot be set: ") + name);
      return true;
    }
    return false;
  }

  QVariantMap AllProperties(const QString& interface) {
    if (interface == kRootInterface) return RootProperties();
    if (interface != kPlayerInterface) return {};
    QVariantMap map = FixedPlayerProperties();
    const QVariantMap status = StatusProperties(target_.GetMediaStatus());
    for (auto it = status.begin(); it != status.end(); ++it) map.insert(it.key(), it.value());
    map.insert(QStringLiteral("Position"), qlonglong(target_.GetPositionUs()));
    return map;
  }

  MediaControlTarget& target_;
  QDBusConnection bus_;
  MediaStatus last_;
  bool announced_ = false;
};

class MprisControl : public MediaControl {
 public:
  MprisControl(MediaControlTarget& target, QDBusConnection bus) : bus_(bus), object_(target, bus) {}
  ~MprisControl() override {
    bus_.unregisterObject(kObjectPath);
    bus_.unregisterService(kServiceName);
  }

  bool Register() {
    if (!bus_.registerVirtualObject(kObjectPath, &object_, QDBusConnection::SingleNode)) {
      Platform::Log("dbus", QStringLiteral("cannot register %1: %2").arg(kObjectPath, bus_.lastError().message()));
      return false;
    }
    if (!bus_.registerService(kServiceName)) {
      Platform::Log("dbus", QStringLiteral("cannot own the name %1: %2").arg(kServiceName, bus_.lastError().message()));
      bus_.unregisterObject(kObjectPath);
      return false;
    }
    Platform::Log("dbus", QStringLiteral("registered %1 on the session bus").arg(kServiceName));
    return true;
  }

  void Refresh() override { object_.Announce(); }
  void Seeked(int64_t positionUs) override { object_.SendSeeked(positionUs); }

 private:
  QDBusConnection bus_;
  MprisObject object_;
};

}  // namespace

std::unique_ptr<MediaControl> MediaControl::Start(MediaControlTarget& target) {
  if (Platform::SessionBusAddress().empty()) {
    Platform::Log("dbus", QStringLiteral("no session bus"));
    return nullptr;
  }
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    Platform::Log("dbus", QStringLiteral("no session bus: ") + bus.lastError().message());
    return nullptr;
  }
  auto control = std::make_unique<MprisControl>(target, bus);
  if (!control->Register()) return nullptr;
  return control;
}

namespace Platform {

Warmup WarmSessionBus() {
  if (SessionBusAddress().empty()) return Warmup(nullptr);
  return Warmup([] { QDBusConnection::sessionBus(); });
}

bool HandToRunningPlayer(const QStringList& items) {
  const InstanceClaim claim = ClaimInstance();
  if (claim == InstanceClaim::kFirst || SessionBusAddress().empty()) return false;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface()) return false;
  // A player that has just started takes its name on the bus a moment after its
  // windows; the items wait for it rather than start a second player.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (!bus.interface()->isServiceRegistered(kServiceName).value()) {
    if (claim != InstanceClaim::kTaken || std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  QDBusMessage call = items.isEmpty()
                          ? QDBusMessage::createMethodCall(kServiceName, kObjectPath, kRootInterface, "Raise")
                          : QDBusMessage::createMethodCall(kServiceName, kObjectPath, kOwnInterface, "Open");
  if (!items.isEmpty()) call << items;
  const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
  return reply.type() == QDBusMessage::ReplyMessage;
}

}  // namespace Platform
