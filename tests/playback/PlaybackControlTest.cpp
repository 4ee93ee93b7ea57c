#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "playback/PlaybackControl.h"
#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"

// Readable failure output for texts and lists of texts.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {

using F = PlayerFunction;

// A plug-in table with one plug-in that claims ".tst" files. It logs every call
// the way the plug-ins' own test double does, and its clock stands still: the
// position is where the last seek put it.
class FakePlugins : public PlaybackPlugins {
 public:
  int PlayFile(const QString& path) override {
    if (!path.endsWith(".tst")) return -1;
    if (current) StopPlayback();
    current = true;
    log.append(QString("playFile %1 -> %2").arg(path).arg(playResult));
    if (playResult == 0) {
      playing = true;
      paused = false;
      position = 0;
    }
    return playResult;
  }
  void PausePlayback() override {
    log.append("pausePlayback");
    if (playing) paused = true;
  }
  void ResumePlayback() override {
    log.append("resumePlayback");
    paused = false;
  }
  int IsPlaybackPaused() override { return Query("isPlaybackPaused", current && paused ? 1 : 0); }
  void StopPlayback() override {
    if (!current) return;
    log.append("stopPlayback");
    playing = paused = false;
    position = 0;
  }
  int TrackLengthMs() override { return Query("trackLengthMs", current ? length : -1); }
  int PlayPositionMs() override { return Query("playPositionMs", !current ? -1 : playing ? position : 0); }
  void SeekToMs(int ms) override {
    if (!current) return;
    log.append(QString("seekToMs %1").arg(ms));
    position = ms;
  }
  void ApplyVolume(int volume) override { Call(QString("applyVolume %1").arg(volume)); }
  void ApplyBalance(int balance) override { Call(QString("applyBalance %1").arg(balance)); }
  void ApplySpeed(float factor) override { Call(QString::asprintf("applySpeed %.3f", double(factor))); }
  void ApplyEqualizer(int enabled, const int16_t* bands, int preamp) override {
    QStringList values;
    for (int k = 0; k < 10; ++k) values.append(QString::number(bands[k]));
    Call(QString("applyEqualizer %1 %2 %3").arg(enabled).arg(values.join(',')).arg(preamp));
  }
  QString BuildOpenFilter() const override { return "All supported types|*.tst;|Test|*.tst|"; }

  // The calls since the last clear, without the queries unless asked.
  QStringList Log(bool withQueries = false) const {
    QStringList lines;
    for (const QString& line : log) {
      const bool query = line.startsWith("isPlaybackPaused") || line.startsWith("playPositionMs") ||
                         line.startsWith("trackLengthMs");
      if (withQueries || !query) lines.append(line);
    }
    return lines;
  }

  bool current = false;  // a plug-in has claimed a file
  bool playing = false;
  bool paused = false;
  int position = 0;
  int length = 60000;
  int playResult = 0;
  QStringList log;

 private:
  void Call(const QString& line) {
    if (current) log.append(line);
  }
  int Query(const char* name, int result) {
    if (current) log.append(QString("%1 -> %2").arg(name).arg(result));
    return result;
  }
};

// Records what playback control asks of the main window.
class RecordingHost : public PlaybackHost {
 public:
  struct Message {
    QString text;
    bool armed;
    bool operator==(const Message&) const = default;
  };

  void SetTitle(const QString& text) override { title = text; }
  void ShowMessage(const QString& text, bool armed) override { messages.push_back({text, armed}); }
  void RestoreTitle() override { ++restores; }
  void StartTimer(int id, int periodMs) override { timers[id] = periodMs; }
  void StopTimer(int id) override {
    timers.erase(id);
    resting.erase(id);
  }
  void RestPlaybackTimer(int id, bool rest) override {
    if (!timers.count(id)) return;
    if (rest) resting.insert(id);
    else resting.erase(id);
  }
  bool AskOpenFile(const QString& filter, QString& path) override {
    askedFilters.append(filter);
    path = openPath;
    return openAnswer;
  }
  bool AskSpeed(int& position) override {
    speedShown.push_back(position);
    if (speedChoice >= 0) position = speedChoice;
    return speedChoice >= 0;
  }
  bool IsPositionDragged() const override { return dragged; }
  void ClearStreamDetails() override { events.append("clear details"); }
  void CloseMainWindow() override { events.append("close"); }
  void ToggleScreen() override { events.append("screen"); }
  void PowerOff() override { events.append("power"); }
  void ResetIdleTimer() override { ++idleResets; }
  void SetSleepInhibited(bool inhibited) override { sleepInhibited.push_back(inhibited); }

  bool Running(int id) const { return timers.count(id) != 0; }

  QString title = " Tarnello v1.0 Beta";
  std::vector<Message> messages;
  int restores = 0;
  std::map<int, int> timers;
  std::set<int> resting;
  QStringList askedFilters;
  bool openAnswer = false;
  QString openPath;
  std::vector<int> speedShown;
  int speedChoice = -1;  // -1 cancels the speed dialog
  bool dragged = false;
  QStringList events;
  int idleResets = 0;
  std::vector<bool> sleepInhibited;
};

// What the views of the player's state hear.
class StateRecorder : public PlayerStateObserver {
 public:
  void VolumeChanged(int volume) override { volumes.push_back(volume); }
  void PlaybackChanged() override { ++changes; }
  void PositionSeeked(int positionMs) override { seeks.push_back(positionMs); }
  void TimeShown(int positionMs) override { timeMs = positionMs; }
  void PositionFollowed(int positionMs, int lengthMs) override { followed.push_back({positionMs, lengthMs}); }
  void PositionCleared() override { ++cleared; }
  void StreamTagsChanged() override { ++tagChanges; }

  int tagChanges = 0;
  std::vector<int> volumes;
  int changes = 0;
  std::vector<int> seeks;
  int timeMs = -99;
  std::vector<std::pair<int, int>> followed;
  int cleared = 0;
};

class PlaybackControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PublishPlayOrder(&order);
    state.AddObserver(&seen);
    control = std::make_unique<PlaybackControl>(plugins, host, state);
    control->SetPlaylist(&playlist);
  }
  void TearDown() override {
    control.reset();
    PublishPlayOrder(nullptr);
  }

  QStringList Log(bool withQueries = false) const { return plugins.Log(withQueries); }
  void ClearLog() { plugins.log.clear(); }
  QStringList Played() { return Log().filter("playFile"); }
  void AddRows(std::initializer_list<const char*> paths) {
    for (const char* p : paths) playlist.AddFile(p);
  }
  // Holds the plug-in's clock at ms.
  void HoldAt(int ms) {
    plugins.PausePlayback();
    plugins.SeekToMs(ms);
  }
  // Moves the plug-in's clock without playback control knowing.
  void SeekPlugin(int ms) { plugins.SeekToMs(ms); }
  QString LastMessage() const { return host.messages.empty() ? QString() : host.messages.back().text; }

  RecordingHost host;
  FakePlugins plugins;
  PlayerState state;
  StateRecorder seen;
  PlayOrder order;
  Playlist playlist{order};
  std::unique_ptr<PlaybackControl> control;
};

TEST_F(PlaybackControlTest, PlayPathStartsTheTrackWithEqualizerVolumeAndSpeedThenTheTimers) {
  state.SetVolume(77);
  ASSERT_TRUE(control->PlayPath("/m/a.tst"));
  EXPECT_EQ(Log(), QStringList({"playFile /m/a.tst -> 0",
                                "applyEqualizer 0 31,31,31,31,31,31,31,31,31,31 31", "applyVolume 77",
                                "applySpeed 1.000"}));
  EXPECT_TRUE(control->IsPlaying());
  EXPECT_EQ(host.timers, (std::map<int, int>{{10, 200}, {101, 500}, {102, 300}}));
  EXPECT_EQ(host.title, " Tarnello v1.0 Beta");  // a path alone has no title
  EXPECT_TRUE(host.messages.empty());

  // A replacing track: the old one is stopped first; the balance is not handed on.
  ClearLog();
  state.SetBalance(40);
  state.SetEqualizer({1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 20});
  ASSERT_TRUE(control->PlayPath("/m/b.tst"));
  // The table stops its current plug-in again before it hands it the new path.
  EXPECT_EQ(Log(), QStringList({"stopPlayback", "stopPlayback", "playFile /m/b.tst -> 0",
                                "applyEqualizer 1 1,2,3,4,5,6,7,8,9,10 20", "applyVolume 77", "applySpeed 1.000"}));
  EXPECT_TRUE(control->IsStoppedByUser());
}

TEST_F(PlaybackControlTest, AFailedStartLeavesTitleAndCurrentRowButHasStoppedThePreviousTrack) {
  AddRows({"/m/a.tst", "/m/b.xyz"});
  ASSERT_TRUE(control->RowRequest(0));
  EXPECT_EQ(host.title, "1. a.tst");
  EXPECT_EQ(playlist.GetCurrentRow(), 0);

  ClearLog();
  EXPECT_EQ(control->RowRequest(1), 0);  // no plug-in claims ".xyz"
  EXPECT_EQ(playlist.GetCurrentRow(), 0);
  EXPECT_EQ(host.title, "1. a.tst");
  EXPECT_EQ(order.GetCurrent(), 1);  // the play order has moved all the same
  EXPECT_FALSE(control->IsPlaying());
  EXPECT_EQ(Log(), QStringList({"stopPlayback"}));
  EXPECT_TRUE(host.messages.empty());
  // The stopped track's bit rate, sample rate and channels go with it.
  EXPECT_EQ(host.events, QStringList({"clear details"}));

  // A plug-in that claims the file but cannot play it.
  plugins.playResult = -1;
  EXPECT_FALSE(control->PlayRow(0));
  EXPECT_FALSE(control->IsPlaying());
  EXPECT_FALSE(host.Running(TIMER_TIME_DISPLAY));
  EXPECT_EQ(host.events, QStringList({"clear details", "clear details"}));
}

TEST_F(PlaybackControlTest, PauseStatePositionAndLengthAreKeptWithoutAskingThePlugIn) {
  AddRows({"/m/a.tst"});
  plugins.length = 90000;
  control->PlayCommand();
  ASSERT_TRUE(control->IsPlaying());
  EXPECT_TRUE(host.events.isEmpty());  // a start clears no details
  EXPECT_GT(seen.changes, 0);
  EXPECT_EQ(control->KnownLengthMs(), -1);  // not polled yet
  SeekPlugin(12000);
  ClearLog();
  // Observers read the state as often as they like: the plug-in hears nothing of it.
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(control->IsPaused());
    EXPECT_EQ(control->KnownPositionMs(), 0);
  }
  EXPECT_TRUE(Log(true).isEmpty());

  // The timers' polls are what is known; a new length is announced.
  int changes = seen.changes;
  control->OnTimer(TIMER_POSITION);
  EXPECT_EQ(control->KnownLengthMs(), 90000);
  EXPECT_EQ(control->KnownPositionMs(), 12000);
  EXPECT_EQ(seen.changes, changes + 1);
  control->OnTimer(TIMER_POSITION);
  EXPECT_EQ(seen.changes, changes + 1);  // the same length again is no change
  SeekPlugin(20000);
  control->OnTimer(TIMER_TIME_DISPLAY);
  EXPECT_EQ(control->KnownPositionMs(), 20000);
  EXPECT_EQ(state.DisplayedTimeMs(), 20000);

  // Pause and resume, from each command that does them.
  changes = seen.changes;
  control->PauseCommand();
  EXPECT_TRUE(control->IsPaused());
  control->PlayCommand();
  EXPECT_FALSE(control->IsPaused());
  control->RunFunction(F::PlayPause);
  EXPECT_TRUE(control->IsPaused());
  control->RunFunction(F::PlayPause);
  EXPECT_FALSE(control->IsPaused());
  EXPECT_EQ(seen.changes, changes + 4);

  // The user's seeks are announced with the position they asked for.
  control->RunFunction(F::FastForward);
  EXPECT_EQ(seen.seeks, std::vector<int>{25000});
  EXPECT_EQ(control->KnownPositionMs(), 25000);
  control->SeekToFraction(128, 255);
  EXPECT_EQ(seen.seeks, (std::vector<int>{25000, 128 * 90000 / 255}));
  EXPECT_EQ(control->KnownPositionMs(), 128 * 90000 / 255);
  // The time display moves only with its own timer.
  EXPECT_EQ(state.DisplayedTimeMs(), 20000);

  // Volume changes are announced; a stop ends pause and position.
  control->RunFunction(F::VolumeUp);
  control->SetVolume(10);
  EXPECT_EQ(seen.volumes, (std::vector<int>{10, 10}));
  control->PauseCommand();
  control->StopPlay();
  EXPECT_FALSE(control->IsPaused());
  EXPECT_FALSE(control->IsPlaying());
  EXPECT_EQ(control->KnownPositionMs(), 0);
  // Stopped, a seek step moves nothing anyone should hear of.
  control->RunFunction(F::FastForward);
  EXPECT_EQ(seen.seeks.size(), 2u);
}

TEST_F(PlaybackControlTest, WithoutAPlaylistNothingPlaysAndNoDialogOpens) {
  control->SetPlaylist(nullptr);
  host.openAnswer = true;
  host.openPath = "/m/a.tst";
  EXPECT_FALSE(control->PlayRow(0));
  control->PlayCommand();
  control->OpenCommand();
  control->NextCommand();
  control->PreviousCommand();
  EXPECT_EQ(control->RowRequest(0), 0);
  EXPECT_EQ(control->TrackEnded(), 0);
  EXPECT_EQ(control->RunFunction(F::PlayPause), 0);
  EXPECT_TRUE(host.askedFilters.isEmpty());
  EXPECT_FALSE(control->IsPlaying());
  EXPECT_TRUE(Played().isEmpty());
}

TEST_F(PlaybackControlTest, StopKillsOnlyTheDisplayTimersAndResetsTimePositionAndLoop) {
  AddRows({"/m/a.tst"});
  ASSERT_TRUE(control->PlayRow(0));
  HoldAt(30000);
  control->RunFunction(F::ABLoop);
  plugins.SeekToMs(40000);
  control->RunFunction(F::ABLoop);
  control->OnTimer(TIMER_TIME_DISPLAY);
  ASSERT_EQ(state.DisplayedTimeMs(), 40000);
  ClearLog();
  seen.cleared = 0;

  control->StopPlay();
  EXPECT_FALSE(control->IsPlaying());
  EXPECT_TRUE(control->IsStoppedByUser());
  EXPECT_EQ(host.timers, (std::map<int, int>{{102, 300}}));
  EXPECT_EQ(seen.timeMs, 0);
  EXPECT_EQ(state.DisplayedTimeMs(), 0);
  EXPECT_EQ(seen.cleared, 1);
  EXPECT_EQ(control->LoopA(), -1);
  EXPECT_EQ(control->LoopB(), -1);
  EXPECT_EQ(Log(), QStringList({"stopPlayback"}));
  EXPECT_EQ(host.title, "1. a.tst");

  // Timer 102 goes on ticking and finds no loop.
  state.ShowTime(50000);
  control->OnTimer(TIMER_AB_LOOP);
  EXPECT_TRUE(Log().filter("seekToMs").isEmpty());

  // A stop while idle swallows nothing.
  control->TrackEnded();
  control->StopPlay();
  EXPECT_FALSE(control->IsStoppedByUser());
}

TEST_F(PlaybackControlTest, AfterNextWhilePlayingOneTrackEndIsSwallowedAndTheSecondAdvances) {
  AddRows({"/m/a.tst", "/m/b.tst", "/m/c.tst"});
  ASSERT_EQ(control->RowRequest(0), 1);
  EXPECT_FALSE(control->IsStoppedByUser());
  control->NextCommand();
  EXPECT_EQ(host.title, "2. b.tst");
  EXPECT_TRUE(control->IsStoppedByUser());

  ClearLog();
  EXPECT_EQ(control->TrackEnded(), 0);
  EXPECT_TRUE(Played().isEmpty());
  EXPECT_EQ(playlist.GetCurrentRow(), 1);
  EXPECT_FALSE(control->IsStoppedByUser());

  control->TrackEnded();
  EXPECT_EQ(Played(), QStringList({"playFile /m/c.tst -> 0"}));
  EXPECT_EQ(playlist.GetCurrentRow(), 2);
  EXPECT_EQ(host.title, "3. c.tst");
}

TEST_F(PlaybackControlTest, TheEndOfTheLastRowWithoutRepeatKeepsPlayingUntilStopOrPlay) {
  AddRows({"/m/a.tst", "/m/b.tst"});
  ASSERT_EQ(control->RowRequest(1), 1);
  ClearLog();
  control->TrackEnded();
  EXPECT_TRUE(Played().isEmpty());
  EXPECT_TRUE(control->IsPlaying());
  EXPECT_EQ(host.timers, (std::map<int, int>{{10, 200}, {101, 500}, {102, 300}}));
  EXPECT_EQ(host.title, "2. b.tst");
  control->OnTimer(TIMER_IDLE_RESET);
  EXPECT_EQ(host.idleResets, 1);

  // Play restarts the current row.
  control->PlayCommand();
  EXPECT_EQ(Played(), QStringList({"playFile /m/b.tst -> 0"}));
  EXPECT_EQ(playlist.GetCurrentRow(), 1);
}

TEST_F(PlaybackControlTest, TheSessionIsKeptAwakeOnlyWhileATrackIsHeard) {
  using Held = std::vector<bool>;
  AddRows({"/m/a.tst", "/m/b.tst", "/m/c.xyz"});
  ASSERT_EQ(control->RowRequest(0), 1);
  EXPECT_EQ(host.sleepInhibited, Held{true});
  // A new track replaces the old one inside one command: nothing is let go meanwhile.
  control->NextCommand();
  ASSERT_EQ(playlist.GetCurrentRow(), 1);
  EXPECT_EQ(host.sleepInhibited, Held{true});

  // Pause and resume, by the buttons, the Play button and the button functions.
  control->PauseCommand();
  control->PauseCommand();
  control->RunFunction(F::Pause);
  control->PlayCommand();
  plugins.SeekToMs(5000);
  control->RunFunction(F::PlayPause);
  control->RunFunction(F::PlayPause);
  EXPECT_EQ(host.sleepInhibited, (Held{true, false, true, false, true, false, true}));
  EXPECT_TRUE(control->KeepsAwake());

  // Paused, then stopped: let go once.
  control->PauseCommand();
  control->StopPlay();
  EXPECT_EQ(host.sleepInhibited.size(), 8u);
  EXPECT_FALSE(control->KeepsAwake());

  // The end of a track with a next row keeps it; the end of the list lets it go,
  // although playback counts as running until Stop or Play.
  ASSERT_EQ(control->RowRequest(0), 1);
  control->TrackEnded();  // the stopped track's late report: swallowed
  EXPECT_TRUE(control->KeepsAwake());
  control->TrackEnded();
  EXPECT_EQ(playlist.GetCurrentRow(), 1);
  EXPECT_TRUE(control->KeepsAwake());
  control->TrackEnded();  // the next row is not playable
  EXPECT_FALSE(control->KeepsAwake());
  ASSERT_EQ(control->RowRequest(1), 1);
  order.SetCurrent(2);
  control->NextCommand();  // nothing after the last row: the track plays on
  EXPECT_TRUE(control->KeepsAwake());
  plugins.playResult = -1;
  EXPECT_EQ(control->RowRequest(0), 0);
  EXPECT_FALSE(control->KeepsAwake());

  // Never two at once: every call changes what is held.
  ASSERT_FALSE(host.sleepInhibited.empty());
  EXPECT_TRUE(host.sleepInhibited.front());
  for (size_t i = 1; i < host.sleepInhibited.size(); ++i) EXPECT_NE(host.sleepInhibited[i], host.sleepInhibited[i - 1]);
  EXPECT_FALSE(host.sleepInhibited.back());
}

TEST_F(PlaybackControlTest, TheEndOfTheListLetsTheSessionSleepAndPlayWakesIt) {
  AddRows({"/m/a.tst", "/m/b.tst"});
  ASSERT_EQ(control->RowRequest(1), 1);
  control->TrackEnded();
  EXPECT_TRUE(control->IsPlaying());
  EXPECT_FALSE(control->KeepsAwake());
  EXPECT_EQ(host.sleepInhibited, (std::vector<bool>{true, false}));
  // A late end report after a stop belongs to the stopped track and changes nothing.
  control->PlayCommand();
  EXPECT_TRUE(control->KeepsAwake());
  control->NextCommand();
  EXPECT_TRUE(control->KeepsAwake());
  control->StopPlay();
  control->TrackEnded();
  EXPECT_EQ(host.sleepInhibited, (std::vector<bool>{true, false, true, false}));
}

TEST_F(PlaybackControlTest, PreviousAndNextWhileIdleOnlyMoveTheMarkedRow) {
  AddRows({"/m/a.tst", "/m/b.tst"});
  control->NextCommand();
  EXPECT_EQ(playlist.GetCurrentRow(), 0);
  control->NextCommand();
  EXPECT_EQ(playlist.GetCurrentRow(), 1);
  control->NextCommand();  // past the end: nothing
  EXPECT_EQ(playlist.GetCurrentRow(), 1);
  control->PreviousCommand();
  EXPECT_EQ(playlist.GetCurrentRow(), 0);
  EXPECT_TRUE(Played().isEmpty());
  EXPECT_FALSE(control->IsPlaying());

  // Play starts the marked row.
  control->PlayCommand();
  EXPECT_EQ(Played(), QStringList({"playFile /m/a.tst -> 0"}));
  ClearLog();
  control->NextCommand();
  EXPECT_EQ(Played(), QStringList({"playFile /m/b.tst -> 0"}));
}

TEST_F(PlaybackControlTest, PlayOnAnEmptyPlaylistOpensTheFileDialogAndPlaysTheChoiceAsTheOnlyRow) {
  control->PlayCommand();  // cancelled
  ASSERT_EQ(host.askedFilters.size(), 1);
  EXPECT_EQ(host.askedFilters[0], "All supported types|*.tst;|Test|*.tst|");
  EXPECT_EQ(playlist.GetCount(), 0);
  EXPECT_TRUE(Played().isEmpty());

  host.openAnswer = true;
  host.openPath = "/music/song.tst";
  control->PlayCommand();
  ASSERT_EQ(playlist.GetCount(), 1);
  EXPECT_EQ(playlist.GetPath(0), "/music/song.tst");
  EXPECT_EQ(playlist.GetCurrentRow(), 0);
  EXPECT_EQ(order.GetItemCount(), 1);
  EXPECT_EQ(host.title, "1. song.tst");
  EXPECT_TRUE(control->IsPlaying());
  EXPECT_EQ(Played(), QStringList({"playFile /music/song.tst -> 0"}));
  // The opened file is the current row of the play order too: its end plays nothing more.
  EXPECT_EQ(order.GetCurrent(), 0);
  ClearLog();
  control->TrackEnded();
  EXPECT_TRUE(Played().isEmpty());
}

TEST_F(PlaybackControlTest, OpeningACueSheetBringsItsTracksAndOneWithoutItsAudioNothing) {
  QTemporaryDir root;
  QFile(root.filePath("album.tst")).open(QIODevice::WriteOnly);
  QFile sheet(root.filePath("album.cue"));
  ASSERT_TRUE(sheet.open(QIODevice::WriteOnly));
  sheet.write("FILE \"album.tst\" WAVE\nTRACK 01 AUDIO\nTITLE A\nINDEX 01 00:00:00\n"
              "TRACK 02 AUDIO\nTITLE B\nINDEX 01 00:10:00\n");
  sheet.close();
  AddRows({"/m/old.tst"});
  host.openAnswer = true;
  host.openPath = sheet.fileName();
  control->OpenCommand();
  ASSERT_EQ(playlist.GetCount(), 2);
  EXPECT_EQ(playlist.GetPath(0), root.filePath("album.tst") + "#t=0,10");
  EXPECT_EQ(playlist.GetPath(1), root.filePath("album.tst") + "#t=10");

  QFile::remove(root.filePath("album.tst"));
  ClearLog();
  control->OpenCommand();
  EXPECT_EQ(playlist.GetCount(), 0);
  EXPECT_TRUE(Played().isEmpty());
}

TEST_F(PlaybackControlTest, PlayAndPauseResumeAPausedTrackAndPlayPauseAtZeroStartsTheRow) {
  AddRows({"/m/a.tst", "/m/b.tst"});
  ASSERT_TRUE(control->RowRequest(1));
  control->PauseCommand();
  ClearLog();
  control->PlayCommand();
  EXPECT_EQ(Log(), QStringList({"resumePlayback"}));
  control->PauseCommand();
  control->PauseCommand();
  EXPECT_EQ(Log(), QStringList({"resumePlayback", "pausePlayback", "resumePlayback"}));

  // Play / Pause: paused → resume; past the start → pause.
  plugins.SeekToMs(5000);
  ClearLog();
  control->RunFunction(F::PlayPause);
  EXPECT_EQ(Log(), QStringList({"pausePlayback"}));
  ClearLog();
  control->RunFunction(F::PlayPause);
  EXPECT_EQ(Log(), QStringList({"resumePlayback"}));

  // Stopped, the position is 0: the current row starts.
  control->StopPlay();
  ClearLog();
  control->RunFunction(F::PlayPause);
  EXPECT_EQ(Played(), QStringList({"playFile /m/b.tst -> 0"}));
  EXPECT_TRUE(control->IsPlaying());
}

TEST_F(PlaybackControlTest, VolumeStepsClampTowardsTheirEndAndShowAnArmedPercentage) {
  ASSERT_TRUE(control->PlayPath("/m/a.tst"));
  ClearLog();
  state.SetVolume(250);
  control->RunFunction(F::VolumeUp);
  EXPECT_EQ(state.Volume(), 255);
  EXPECT_EQ(host.messages.back(), (RecordingHost::Message{" VOLUME : 100%", true}));

  state.SetVolume(5);
  control->RunFunction(F::VolumeDown);
  EXPECT_EQ(state.Volume(), 0);
  EXPECT_EQ(host.messages.back(), (RecordingHost::Message{" VOLUME : 0%", true}));

  control->Volume().volumeUpStep = 128;
  control->RunFunction(F::VolumeUp);
  EXPECT_EQ(LastMessage(), " VOLUME : 50%");
  EXPECT_EQ(Log(), QStringList({"applyVolume 255", "applyVolume 0", "applyVolume 128"}));
}

TEST_F(PlaybackControlTest, HugeVolumeStepsSaturateInsteadOfWrappingRound) {
  ASSERT_TRUE(control->PlayPath("/m/a.tst"));
  ClearLog();
  control->Volume().volumeUpStep = 2147483647;
  control->Volume().volumeDownStep = 2147483647;
  state.SetVolume(100);
  control->RunFunction(F::VolumeUp);
  EXPECT_EQ(state.Volume(), 255);
  control->RunFunction(F::VolumeDown);
  EXPECT_EQ(state.Volume(), 0);
  state.SetVolume(0);
  control->RunFunction(F::VolumeUp);
  EXPECT_EQ(state.Volume(), 255);
  EXPECT_EQ(Log(), QStringList({"applyVolume 255", "applyVolume 0", "applyVolume 255"}));
}

TEST_F(PlaybackControlTest, DraggingVolumeAndBalanceAppliesAndShowsUnarmedThenReleaseRestores) {
  ASSERT_TRUE(control->PlayPath("/m/a.tst"));
  ClearLog();
  state.SetVolume(128);
  EXPECT_EQ(control->SliderTrack(SLIDER_VOLUME), 0);
  EXPECT_EQ(host.messages.back(), (RecordingHost::Message{" VOLUME : 50%", false}));

  const std::vector<std::pair<int, QString>> balances = {{127, " BALANCE: 99% RIGHT"}, {64, " BALANCE: 50% RIGHT"},
                                                         {0, " BALANCE: CENTER"},     {-64, " BALANCE: 50% LEFT"},
                                                         {-127, " BALANCE: 99% LEFT"}};
  for (const auto& [b, text] : balances) {
    state.SetBalance(b);
    control->SliderTrack(SLIDER_BALANCE);
    EXPECT_EQ(host.messages.back(), (RecordingHost::Message{text, false})) << b;
  }
  EXPECT_EQ(Log(), QStringList({"applyVolume 128", "applyBalance 127", "applyBalance 64", "applyBalance 0",
                                "applyBalance -64", "applyBalance -127"}));

  ClearLog();
  EXPECT_EQ(control->SliderSet(SLIDER_VOLUME), 0);
  control->SliderSet(SLIDER_BALANCE);
  EXPECT_EQ(host.restores, 2);
  EXPECT_EQ(Log(), QStringList({"applyVolume 128", "applyBalance -127"}));
}

TEST_F(PlaybackControlTest, SpeedStepsStayBetweenTheBoundsInSinglePrecision) {
  ASSERT_TRUE(control->PlayPath("/m/a.tst"));
  ClearLog();
  for (int i = 0; i < 5; ++i) control->RunFunction(F::SpeedUp);
  EXPECT_EQ(control->Speed(), 1.4f);
  QStringList texts;
  for (const auto& m : host.messages) {
    texts.append(m.text);
    EXPECT_TRUE(m.armed);
  }
  EXPECT_EQ(texts, QStringList({" SPEED : x1.1", " SPEED : x1.2", " SPEED : x1.3", " SPEED : x1.4", " SPEED : x1.4"}));
  EXPECT_EQ(Log().last(), "applySpeed 1.400");
  control->SpeedDialog();  // cancelled
  EXPECT_EQ(host.speedShown.back(), 14);
  EXPECT_EQ(control->Speed(), 1.4f);

  control->RunFunction(F::SpeedReset);
  EXPECT_EQ(control->Speed(), 1.0f);
  EXPECT_EQ(LastMessage(), " SPEED : x1.0");
  control->RunFunction(F::SpeedDown);
  control->RunFunction(F::SpeedDown);
  control->SpeedDialog();
  EXPECT_EQ(host.speedShown.back(), 7);  // 0.79999995 x 10
  control->RunFunction(F::SpeedDown);
  control->RunFunction(F::SpeedDown);
  EXPECT_EQ(control->Speed(), 0.6f);
  control->RunFunction(F::SpeedDown);
  EXPECT_EQ(control->Speed(), 0.6f);
  EXPECT_EQ(LastMessage(), " SPEED : x0.6");

  // The dialog's choice is applied without a message.
  const size_t shown = host.messages.size();
  ClearLog();
  host.speedChoice = 12;
  control->SpeedDialog();
  EXPECT_EQ(control->Speed(), 12.0f * 0.1f);
  EXPECT_EQ(Log(), QStringList({"applySpeed 1.200"}));
  EXPECT_EQ(host.messages.size(), shown);
}

TEST_F(PlaybackControlTest, TheABLoopSetsALoopsBackOnceTheDisplayPassesBAndReleases) {
  ASSERT_TRUE(control->PlayPath("/m/a.tst"));
  // The loop check has nothing to do until both points are set: it does not wake.
  EXPECT_EQ(host.timers.at(TIMER_AB_LOOP), 300);
  EXPECT_TRUE(host.resting.count(TIMER_AB_LOOP));
  HoldAt(12300);
  control->RunFunction(F::ABLoop);
  EXPECT_EQ(control->LoopA(), 12300);
  EXPECT_EQ(host.messages.back(), (RecordingHost::Message{" A<->B : Set A", false}));
  EXPECT_TRUE(host.resting.count(TIMER_AB_LOOP));

  plugins.SeekToMs(20000);
  control->RunFunction(F::ABLoop);
  EXPECT_EQ(control->LoopB(), 20000);
  EXPECT_FALSE(host.resting.count(TIMER_AB_LOOP));
  EXPECT_EQ(host.messages.back(), (RecordingHost::Message{" A<->B : Loop", false}));

  // The check compares B with the time on display, which the display timer
  // refreshes in whole seconds: 20.999 s reads 0:20, not past B.
  plugins.SeekToMs(20999);
  control->OnTimer(TIMER_TIME_DISPLAY);
  ClearLog();
  control->OnTimer(TIMER_AB_LOOP);
  EXPECT_TRUE(Log().isEmpty());
  // Past B by the position bar's poll, but the display still reads 0:20.
  plugins.SeekToMs(21500);
  control->OnTimer(TIMER_POSITION);
  ASSERT_EQ(control->KnownPositionMs(), 21500);
  ClearLog();
  control->OnTimer(TIMER_AB_LOOP);
  EXPECT_TRUE(Log().isEmpty());
  control->OnTimer(TIMER_TIME_DISPLAY);
  ClearLog();
  control->OnTimer(TIMER_AB_LOOP);
  EXPECT_EQ(Log(), QStringList({"seekToMs 12300"}));

  control->RunFunction(F::ABLoop);
  EXPECT_EQ(control->LoopA(), -1);
  EXPECT_EQ(control->LoopB(), -1);
  EXPECT_EQ(host.messages.back(), (RecordingHost::Message{" A<->B : Release", true}));
  EXPECT_TRUE(host.resting.count(TIMER_AB_LOOP));
  ClearLog();
  control->OnTimer(TIMER_AB_LOOP);
  EXPECT_TRUE(Log().isEmpty());

  // A new track does not inherit loop points.
  control->RunFunction(F::ABLoop);
  control->RunFunction(F::ABLoop);
  control->PlayPath("/m/b.tst");
  EXPECT_EQ(control->LoopA(), -1);
  EXPECT_EQ(control->LoopB(), -1);
  // A tick that finds no loop (the points went with the last track) rests the timer.
  control->OnTimer(TIMER_AB_LOOP);
  EXPECT_TRUE(host.resting.count(TIMER_AB_LOOP));
}

TEST_F(PlaybackControlTest, ABPointsAtZeroOrWithoutAPluginNeverLoopAndBBeforeAIsOrdered) {
  // Without a plug-in the position is -1: A stays unset.
  control->RunFunction(F::ABLoop);
  control->RunFunction(F::ABLoop);
  EXPECT_EQ(control->LoopA(), -1);
  EXPECT_EQ(LastMessage(), " A<->B : Set A");

  ASSERT_TRUE(control->PlayPath("/m/a.tst"));
  HoldAt(0);
  control->RunFunction(F::ABLoop);
  plugins.SeekToMs(5000);
  control->RunFunction(F::ABLoop);
  state.ShowTime(9000);
  ClearLog();
  control->OnTimer(TIMER_AB_LOOP);
  EXPECT_TRUE(Log().isEmpty());

  // B set before A after seeking back: the loop runs from the earlier point.
  control->RunFunction(F::ABLoop);
  plugins.SeekToMs(30000);
  control->RunFunction(F::ABLoop);
  plugins.SeekToMs(10000);
  control->RunFunction(F::ABLoop);
  EXPECT_EQ(control->LoopA(), 10000);
  EXPECT_EQ(control->LoopB(), 30000);
  state.ShowTime(11000);
  ClearLog();
  control->OnTimer(TIMER_AB_LOOP);
  EXPECT_TRUE(Log().isEmpty());
}

TEST_F(PlaybackControlTest, ReleasingThePositionSliderSeeksToItsFractionOfTheTrack) {
  ASSERT_TRUE(control->PlayPath("/m/a.tst"));
  const auto seekAt = [&](int length, int value, int range = 255) {
    plugins.length = length;
    ClearLog();
    EXPECT_EQ(control->SeekToFraction(value, range), 0);
    return Log().filter("seekToMs");
  };
  EXPECT_EQ(seekAt(300000, 128), QStringList({"seekToMs 150588"}));
  EXPECT_EQ(seekAt(2147483647, 255), QStringList({"seekToMs 2147483647"}));  // no 32-bit overflow
  EXPECT_EQ(seekAt(-1, 128), QStringList({"seekToMs 0"}));
  EXPECT_EQ(seekAt(-1, 255), QStringList({"seekToMs -1"}));
  EXPECT_EQ(seekAt(0, 200), QStringList({"seekToMs 0"}));
  EXPECT_EQ(control->KnownPositionMs(), 0);

  // A slider whose range is empty does not seek.
  EXPECT_TRUE(seekAt(300000, 0, 0).isEmpty());
}

TEST_F(PlaybackControlTest, ThePositionSliderFollowsPlaybackUnlessHeldAndALengthOfZeroLeavesItAlone) {
  using Followed = std::vector<std::pair<int, int>>;
  ASSERT_TRUE(control->PlayPath("/m/a.tst"));
  const auto followAt = [&](int length, int ms) {
    plugins.length = length;
    HoldAt(ms);
    control->OnTimer(TIMER_POSITION);
  };
  followAt(300000, 150000);
  followAt(0, 1000);  // no fraction: the bar stays, the length is known
  EXPECT_EQ(control->KnownLengthMs(), 0);
  followAt(-1, 1000);
  EXPECT_EQ(seen.followed, (Followed{{150000, 300000}, {1000, -1}}));

  // Held by the user, the bar is left alone and the plug-in is not asked.
  host.dragged = true;
  ClearLog();
  followAt(60000, 30000);
  EXPECT_EQ(seen.followed.size(), 2u);
  EXPECT_TRUE(Log(true).filter("Ms ->").isEmpty());
  EXPECT_EQ(control->KnownLengthMs(), -1);
}

TEST(PositionBarValue, IsTheFractionOfTheRangeWithoutOverflowOrClamping) {
  EXPECT_EQ(PositionBarValue(0, 255, 150000, 300000), 127);
  EXPECT_EQ(PositionBarValue(0, 255, 2000000000, 2147483647), 237);  // no 32-bit overflow
  EXPECT_EQ(PositionBarValue(10, 20, 30000, 60000), 15);
  EXPECT_EQ(PositionBarValue(0, 255, 1000, -1), -255000);  // the slider clamps it
}

TEST_F(PlaybackControlTest, TimersAndFunctionsSeekShowTheTimeAndReachTheWindow) {
  control->OnTimer(TIMER_IDLE_RESET);
  EXPECT_EQ(host.idleResets, 0);
  ASSERT_TRUE(control->PlayPath("/m/a.tst"));
  HoldAt(10000);
  control->OnTimer(TIMER_TIME_DISPLAY);
  EXPECT_EQ(seen.timeMs, 10000);
  control->OnTimer(TIMER_IDLE_RESET);
  EXPECT_EQ(host.idleResets, 1);
  ClearLog();
  control->RunFunction(F::Rewind);
  control->RunFunction(F::Rewind);
  control->RunFunction(F::Rewind);  // not clamped
  control->RunFunction(F::FastForward);
  EXPECT_EQ(Log(), QStringList({"seekToMs 5000", "seekToMs 0", "seekToMs -5000", "seekToMs 0"}));

  EXPECT_EQ(control->RunFunction(F::ScreenToggle), 0);
  control->RunFunction(F::Exit);
  control->RunFunction(F::ExitAndPowerOff);
  EXPECT_EQ(host.events, QStringList({"screen", "close", "close", "power"}));

  ClearLog();
  EXPECT_EQ(control->RunFunction(PlayerFunction(17)), 0);
  control->RunFunction(PlayerFunction(-1));
  control->OnTimer(TIMER_MESSAGE);
  EXPECT_TRUE(Log(true).isEmpty());
  EXPECT_EQ(host.events.size(), 4);

  // Only a playing track keeps the system awake.
  control->StopPlay();
  control->OnTimer(TIMER_IDLE_RESET);
  EXPECT_EQ(host.idleResets, 1);
}

}  // namespace

StreamMetadata Tags(const QString& station, const QString& artist, const QString& title) {
  StreamMetadata m;
  m.station = station;
  m.artist = artist;
  m.title = title;
  return m;
}

TEST_F(PlaybackControlTest, AStreamsSongShowsAsStationAndSongWhileTheRowKeepsItsText) {
  playlist.AddFile("/m/radio.tst");
  playlist.AddFile("/m/next.tst");
  playlist.SetTitle(0, "My Radio");
  ASSERT_TRUE(control->RowRequest(0));
  EXPECT_EQ(host.title, "1. My Radio");

  control->StreamTagsReported(Tags("Radio Q", "", "Alpha - One"));
  EXPECT_EQ(host.title, "Radio Q \u2013 Alpha - One");
  EXPECT_EQ(state.StreamTags().title, "Alpha - One");
  EXPECT_EQ(seen.tagChanges, 1);
  EXPECT_EQ(playlist.GetDisplayText(0), "1. My Radio");
  EXPECT_EQ(playlist.GetTitle(0), "My Radio");

  // The same report again changes nothing; artist and title apart become one song.
  host.title.clear();
  control->StreamTagsReported(Tags("Radio Q", "", "Alpha - One"));
  EXPECT_TRUE(host.title.isEmpty());
  EXPECT_EQ(seen.tagChanges, 1);
  control->StreamTagsReported(Tags("Radio Q", "Beta", "Two"));
  EXPECT_EQ(host.title, "Radio Q \u2013 Beta - Two");

  // No station name: the row's title (without its number) stands for it.
  control->StreamTagsReported(Tags("", "", "Three"));
  EXPECT_EQ(host.title, "My Radio \u2013 Three");
  // No song any more (a station's pause between songs): the row's text again.
  control->StreamTagsReported(Tags("Radio Q", "", ""));
  EXPECT_EQ(host.title, "1. My Radio");
  EXPECT_EQ(state.StreamTags().station, "Radio Q");

  // The next track starts without the stream's tags; a report that comes after
  // its track stopped is dropped.
  control->StreamTagsReported(Tags("Radio Q", "", "Four"));
  ASSERT_TRUE(control->RowRequest(1));
  EXPECT_EQ(host.title, "2. next.tst");
  EXPECT_TRUE(state.StreamTags().IsEmpty());
  control->StopPlay();
  control->StreamTagsReported(Tags("Radio Q", "", "Late"));
  EXPECT_TRUE(state.StreamTags().IsEmpty());
  EXPECT_EQ(host.title, "2. next.tst");
}

TEST_F(PlaybackControlTest, AStreamRowWithoutATitleLendsItsFileNameToTheSong) {
  playlist.AddFile("/m/stream.tst");
  ASSERT_TRUE(control->RowRequest(0));
  control->StreamTagsReported(Tags("", "", "Song"));
  EXPECT_EQ(host.title, Playlist::TitleFromPath("/m/stream.tst") + " \u2013 Song");
}
