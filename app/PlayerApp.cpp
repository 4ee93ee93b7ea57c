#include "app/PlayerApp.h"

#include <QFileInfo>

#include "app/MainWindow.h"
#include "platform/MediaControl.h"
#include "platform/MessageBox.h"
#include "platform/ModalLoops.h"
#include "platform/System.h"
#include "playlist/RowText.h"

PlayerApp::PlayerApp() = default;
PlayerApp::~PlayerApp() {
  Platform::OnTerminationSignal({});
  // Reached without ExitInstance when start-up failed.
  if (ThePlayOrder() == playOrder_.get()) PublishPlayOrder(nullptr);
}

namespace {
// Opens the files after the saved playlist instead of in its place.
const QString kEnqueueSwitch = QStringLiteral("--enqueue");

// The arguments as the running player can take them: URLs as they are, files by
// their absolute paths (its working folder is not ours); a path that is not
// UTF-8 travels as a "file:" URI, which keeps its bytes.
QStringList HandOverItems(const QStringList& arguments) {
  QStringList items;
  for (const QString& argument : arguments) {
    if (argument.contains(QStringLiteral("://"))) {
      items << argument;
    } else if (!argument.isEmpty()) {
      const QString path = QFileInfo(argument).absoluteFilePath();
      items << (HasRawBytes(path) ? PathToFileUri(path) : path);
    }
  }
  return items;
}
}  // namespace

bool PlayerApp::InitInstance(const QStringList& commandLine) {
  // "--enqueue FILE..." (the desktop entry's start) keeps the saved playlist and
  // opens the files after it, as a running player does.
  const bool enqueue = !commandLine.isEmpty() && commandLine[0] == kEnqueueSwitch;
  const QStringList arguments = enqueue ? commandLine.mid(1) : commandLine;
  // 0. A player already running in this session takes the files (or comes to
  // the front); a second player would overwrite its settings at exit.
  if (Platform::HandToRunningPlayer(HandOverItems(arguments))) return false;
  // An installed copy writes into a folder of the user's, first filled with its defaults.
  Platform::PrepareDataFolder();

  // 1. The sockets layer.
  if (!Platform::StartSockets()) {
    ShowMessageBox(nullptr, "Windows sockets initialization failed.");
    return false;
  }
  // 2. The play order, created with no items and published process-wide.
  playOrder_ = std::make_unique<PlayOrder>(0);
  PublishPlayOrder(playOrder_.get());

  // 3.-5. The main window builds everything else while it is created.
  mainWindow_ = std::make_unique<MainWindow>();
  // The command line names one file, its words joined as they were typed. A
  // desktop launch hands several files as separate arguments instead: the first
  // takes the command line's place and the others are appended once the
  // playlist exists.
  const QString joined = arguments.join(' ');
  QStringList more;
  if (enqueue) {
    more = HandOverItems(arguments);
  } else if (arguments.size() > 1 && KindOfPath(joined) == PathKind::None &&
             KindOfPath(arguments[0]) != PathKind::None) {
    mainWindow_->SetCommandLine(arguments[0]);
    more = HandOverItems(arguments.mid(1));
  } else {
    mainWindow_->SetCommandLine(joined);
  }
  const QString title = QStringLiteral("Tarnello");
  if (!mainWindow_->Create(title)) return false;
  if (enqueue && !more.isEmpty()) {
    mainWindow_->OpenItems(more);
  } else if (!more.isEmpty()) {
    mainWindow_->PlaylistEditor().AddItems(more);
  }

  // 6. The main window is dragged as an outline, free on both axes.
  mainWindow_->SetDragMode(DragMode{.outline = true});

  // 7. Shown and painted.
  mainWindow_->Show();
  mainWindow_->Invalidate(true);

  // The message loop runs next; dialogs, menus and waits are nested in it.
  Platform::SetMainLoopLevel(1);
  // A logout or Ctrl-C closes the player like its own close command, so nothing is lost.
  Platform::OnTerminationSignal([this] {
    if (mainWindow_ && mainWindow_->Exists()) mainWindow_->EndSession();
  });
  return true;
}

void PlayerApp::ExitInstance() {
  Platform::SetMainLoopLevel(0);
  mainWindow_.reset();
  // The play order goes last: the playlist in the main window refers to it.
  PublishPlayOrder(nullptr);
  playOrder_.reset();
}
