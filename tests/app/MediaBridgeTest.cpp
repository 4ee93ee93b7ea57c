#include <gtest/gtest.h>

#include <QStringList>

#include "app/MediaBridge.h"
#include "app/PopupMenu.h"
#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"

namespace {

// The bridge against a bare player state and playlist: no window, no plug-in,
// no session bus; its requests are written down.
class MediaBridgeTest : public ::testing::Test {
 protected:
  MediaBridgeTest() : bridge(state, &playlist, Commands()) {}

  MediaCommands Commands() {
    MediaCommands c;
    c.send = [this](int command) { sent.append(QString::number(command)); };
    c.seek = [this](int ms) { sent.append(QString("seek %1").arg(ms)); };
    c.setVolume = [this](int volume) { sent.append(QString("volume %1").arg(volume)); };
    c.open = [this](const QStringList& items) { sent.append("open " + items.join(',')); };
    c.raise = [this] { sent.append("raise"); };
    c.quit = [this] { sent.append("quit"); };
    return c;
  }

  PlayerState state;
  PlayOrder order;
  Playlist playlist{order};
  QStringList sent;
  MediaBridge bridge;
};

TEST_F(MediaBridgeTest, TheStatusIsThePlayersStateAndThePlaylistsCurrentRow) {
  MediaStatus s = bridge.GetMediaStatus();
  EXPECT_EQ(s.state, MediaStatus::State::Stopped);
  EXPECT_EQ(s.row, -1);
  EXPECT_FALSE(s.canPlay || s.canPause || s.canSeek || s.canGoNext);

  playlist.AddFile("/m/first song.tst");
  playlist.AddFile("/m/b.tst");
  playlist.SetCurrentRow(0);
  state.SetVolume(200);
  state.TrackStarted();
  s = bridge.GetMediaStatus();
  EXPECT_EQ(s.state, MediaStatus::State::Playing);
  EXPECT_EQ(s.row, 0);
  EXPECT_EQ(s.location, "/m/first song.tst");
  EXPECT_FALSE(s.title.isEmpty());
  EXPECT_EQ(s.volume, 200);
  EXPECT_TRUE(s.canPlay && s.canPause && s.canGoNext && s.canGoPrevious);
  EXPECT_FALSE(s.canSeek);  // no length known yet

  state.SetKnownLength(90000);
  state.Seek(12345);
  state.SetPaused(true);
  s = bridge.GetMediaStatus();
  EXPECT_EQ(s.state, MediaStatus::State::Paused);
  EXPECT_EQ(s.lengthUs, 90000000);
  EXPECT_TRUE(s.canSeek);
  EXPECT_EQ(bridge.GetPositionUs(), 12345000);

  // Stopped: no position, and the polled length no longer counts.
  state.TrackStopped();
  s = bridge.GetMediaStatus();
  EXPECT_EQ(s.state, MediaStatus::State::Stopped);
  EXPECT_EQ(s.lengthUs, 0);
  EXPECT_FALSE(s.canSeek || s.canPause);
  EXPECT_EQ(bridge.GetPositionUs(), 0);
}

StreamMetadata Song(const QString& artist, const QString& title) {
  StreamMetadata m;
  m.station = "Radio Q";
  m.artist = artist;
  m.title = title;
  return m;
}

TEST_F(MediaBridgeTest, AStreamsSongIsTheTitleAndArtistWhileItPlays) {
  playlist.AddFile("http://radio.example/stream");
  playlist.SetTitle(0, "My Radio");
  playlist.SetCurrentRow(0);
  state.TrackStarted();
  EXPECT_EQ(bridge.GetMediaStatus().title, "My Radio");

  // A radio title "Artist - Title" is split at its first " - ".
  state.SetStreamTags(Song("", "Beta's Band - Two - Live"));
  MediaStatus s = bridge.GetMediaStatus();
  EXPECT_EQ(s.title, "Two - Live");
  EXPECT_EQ(s.artist, "Beta's Band");
  EXPECT_EQ(s.location, "http://radio.example/stream");
  // One the stream names apart is taken as it is; a title without " - " has no artist.
  state.SetStreamTags(Song("Gamma", "Three - Remix"));
  s = bridge.GetMediaStatus();
  EXPECT_EQ(s.title, "Three - Remix");
  EXPECT_EQ(s.artist, "Gamma");
  state.SetStreamTags(Song("", "Station jingle"));
  s = bridge.GetMediaStatus();
  EXPECT_EQ(s.title, "Station jingle");
  EXPECT_TRUE(s.artist.isEmpty());
  state.SetStreamTags(Song("", " - "));
  EXPECT_EQ(bridge.GetMediaStatus().title, " - ");
  // Without a song the row's title is back; stopped, the stream's tags are gone.
  state.SetStreamTags(Song("", ""));
  EXPECT_EQ(bridge.GetMediaStatus().title, "My Radio");
  state.SetStreamTags(Song("", "Four"));
  state.TrackStopped();
  s = bridge.GetMediaStatus();
  EXPECT_EQ(s.title, "My Radio");
  EXPECT_TRUE(s.artist.isEmpty());
}

TEST_F(MediaBridgeTest, RequestsBecomeThePlayersOwnCommandsAndPlayNeverRestartsAPlayingTrack) {
  bridge.MediaPause();  // nothing plays: nothing to pause
  bridge.MediaPlay();
  state.TrackStarted();
  bridge.MediaPlay();  // playing: a controller's Play only resumes
  bridge.MediaPlayPause();
  state.SetPaused(true);
  bridge.MediaPause();
  bridge.MediaPlayPause();
  bridge.MediaStop();
  bridge.MediaNext();
  bridge.MediaPrevious();
  const auto id = [](int command) { return QString::number(command); };
  EXPECT_EQ(sent, QStringList({id(CMD_REMOTE_PLAY), id(CMD_REMOTE_PAUSE), id(CMD_REMOTE_PLAY), id(CMD_REMOTE_STOP),
                               id(CMD_REMOTE_NEXT), id(CMD_REMOTE_PREVIOUS)}));

  sent.clear();
  bridge.MediaSeekTo(5000000);
  bridge.MediaSeekTo(int64_t(1) << 50);  // beyond what a position in ms can hold
  bridge.MediaSetVolume(300);
  bridge.MediaOpen({"/m/c.tst", "/m/d"});
  bridge.MediaRaise();
  bridge.MediaQuit();
  EXPECT_EQ(sent, QStringList({"seek 5000", "seek 2147483647", "volume 300", "open /m/c.tst,/m/d", "raise", "quit"}));
  // Asking is not telling: the bridge changes none of the state itself.
  EXPECT_EQ(state.Volume(), 0);
  EXPECT_TRUE(state.IsPaused());
}

}  // namespace
